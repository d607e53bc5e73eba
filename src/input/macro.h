// Keystroke macros: the recording and playback state the key reader works with.
#pragma once

#include <cstdint>

#include "input/keys.h"
#include "store/line.h"

namespace qx {

inline constexpr int32_t MACRO_KEY_LIMIT = 511;
inline constexpr int32_t MACRO_KEY_SLOTS = 512;
inline constexpr int32_t MACRO_NAME_SIZE = 20;

enum : int32_t { MACRO_IDLE = 0, MACRO_RECORDING = 1, MACRO_PLAYING = 2 };

// One macro, in memory in the layout of a macro file after its links.
struct Macro : ListLink {
    char version[4];
    uint32_t magic1;
    uint32_t magic2;
    int32_t keyCount;
    char name[MACRO_NAME_SIZE];
    KeyCode keys[MACRO_KEY_SLOTS];
};

struct MacroStateRecord {
    int32_t state;
    Macro* current;
    int32_t playbackIndex;
    int32_t repetitions;   // further playbacks after this one
    Macro* lastExecuted;
};
extern MacroStateRecord MacroState;
extern LineList Macros;

inline bool MacroPlaying() { return MacroState.state == MACRO_PLAYING; }
inline bool MacroRecording() { return MacroState.state == MACRO_RECORDING; }

}  // namespace qx
