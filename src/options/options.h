// The options block: every setting, in memory as in the options file "~/.qx.opt".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "store/fixed_text.h"
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
// The block is the file's 52 bytes, little-endian, field for field.
static_assert(sizeof(OptionsBlock) == 52 && offsetof(OptionsBlock, background) == 40 &&
              offsetof(OptionsBlock, mouseSupport) == 48);

inline constexpr OptionsBlock DEFAULT_OPTIONS{{'3', '5', 'g'}, 0, 4, 1, 0, 1, 0, 0, -1, 72, 1, -1, -1, '^', '$', 0, 1};

extern OptionsBlock Options;

// A tab stop the tab arithmetic can divide by.
inline int32_t tab_width() { return Options.tabstop >= 1 ? Options.tabstop : 1; }

// The TAB translation files are read and written with.
inline TabTranslation tab_translation() {
    return {Options.inputTranslation != 0, Options.outputTranslation != 0, tab_width()};
}

inline constexpr int32_t MARGIN_LIMIT = 512;   // the widest line the screen can show
inline constexpr int16_t NO_COLOUR = -2;      // a name not on the palette

// The margins a wrap can use: the right one above the left one and within the screen.
inline bool margins_valid(int64_t left, int64_t right) { return right > left && right <= MARGIN_LIMIT; }
// A tab stop the tab arithmetic can use: at least 1 and within a line.
bool tab_stop_valid(int64_t tabstop);

// Reads "~/.qx.opt" over the block: 0, or 3 when there is no HOME or no readable
// file (the block then stays as it was). Values that would break the editor fall
// back to their defaults.
int32_t load_options();
// Writes the block to "~/.qx.opt" through a temporary file: 0 or 3.
int32_t save_options();
// Each unusable value of the block back to its default.
void keep_usable_options(OptionsBlock& options);

// The palette: a name (in any case) to its colour number, NO_COLOUR when unknown; a
// number to its name with only the first letter in capitals, or "Unknown".
int16_t colour_number(std::string_view name);
std::string_view colour_name(int32_t number);
inline constexpr std::string_view PALETTE_LINE = "Default  Black  Red  Green  Yellow  Blue  Magenta  Cyan  White";

}  // namespace qx
