// The options block: every setting, in memory as in the options file "~/.qx.opt".
#pragma once

#include <cstdint>

#include "store/text_file.h"

namespace qx {

struct OptionsBlock {
    char version[3];          // '3', '5', 'g'
    uint8_t reserved1;
    int32_t tabstop;
    int32_t inputTranslation;   // expand TABs on reading, typed TAB becomes blanks
    int32_t outputTranslation;  // compress blanks into TABs on writing
    int32_t autoIndent;
    int32_t textWrapping;
    int32_t reserved2;
    int32_t leftMargin;         // -1: none
    int32_t rightMargin;
    int32_t rightJustify;
    int16_t background;         // curses colour number, -1 the terminal's own
    int16_t foreground;
    char startOfLineMatch;
    char endOfLineMatch;
    int16_t reserved3;
    int32_t mouseSupport;
};
static_assert(sizeof(OptionsBlock) == 52);

inline constexpr OptionsBlock DEFAULT_OPTIONS{{'3', '5', 'g'}, 0, 4, 1, 0, 1, 0, 0, -1, 72, 1, -1, -1, '^', '$', 0, 1};

extern OptionsBlock Options;

// A tab stop the tab arithmetic can divide by.
inline int32_t tab_width() { return Options.tabstop >= 1 ? Options.tabstop : 1; }

// The TAB translation files are read and written with.
inline TabTranslation tab_translation() {
    return {Options.inputTranslation != 0, Options.outputTranslation != 0, tab_width()};
}

}  // namespace qx
