// Keystroke macros: the macros the key reader records and plays (the recording and
// playback state is in state/command_state.h).
#pragma once

#include <cstdint>

#include "input/keys.h"
#include "state/command_state.h"
#include "store/line.h"

namespace qx {

inline constexpr int32_t MACRO_KEY_LIMIT = 511;
inline constexpr int32_t MACRO_KEY_SLOTS = 512;
inline constexpr int32_t MACRO_NAME_SIZE = 20;

// One macro, in memory in the layout of a macro file after its links.
struct Macro : ListLink {
    char version[4];
    uint32_t magic1;
    uint32_t magic2;
    int32_t keyCount;
    char name[MACRO_NAME_SIZE];
    KeyCode keys[MACRO_KEY_SLOTS];
};

extern LineList Macros;

}  // namespace qx
