// The command state every layer reads: the mode, the running command and its count,
// the remembered commands, the command letters, and whether a macro is recorded or
// played. Depends on nothing, so that the screen and the editing code can see it
// without the dispatcher that sets most of it.
#pragma once

#include <cstdint>
#include <string_view>

namespace qx {

enum : int32_t { MODE_INSERT = 0, MODE_OVERWRITE = 1, MODE_COMMAND = 2 };

extern int32_t Mode;         // insert, overwrite or command
extern int32_t TypingMode;   // insert or overwrite: what the user chose
extern int32_t RepeatCount;  // 0 between commands
extern int32_t Iteration;    // 1-based repetition of the running handler
extern int CurrentCommandKey;   // the key that started the command, before Again replaced it

// Set by whatever sees the user's ESC during a counted repetition: the dispatcher
// then runs no further repetitions.
extern bool StopRepeating;
// True while the terminal delivers a bracketed paste: the text goes in as typed,
// but without auto indent and without wrapping while typing.
extern bool Pasting;
// True while the dispatcher repeats a command with a count above 1.
extern bool RepeatingCommand;
inline bool RepetitionRunning() { return RepeatingCommand; }

struct CommandMemory {
    int32_t index;
    int32_t count;
    int letter;
};
extern CommandMemory AgainCommand;
extern CommandMemory PreviousCommand;

inline constexpr std::string_view COMMAND_LETTERS =
    "IOabdefghijlmnopqrstUvwxz,.^$;][{}#DW<>B\\F~-+()CXVHML`k:cu_A";
inline constexpr int32_t COMMAND_COUNT = 60;
static_assert(COMMAND_LETTERS.size() == COMMAND_COUNT);

// Index of a command letter in the table, or -1.
constexpr int32_t command_index(int letter) {
    for (int32_t i = 0; i < COMMAND_COUNT; ++i)
        if (COMMAND_LETTERS[i] == letter) return i;
    return -1;
}

// The command table's handler for a letter, null when it has none: for code below
// the dispatcher that runs commands itself, such as the block selection's motions.
// The dispatcher installs it.
using CommandHandler = void (*)();
extern CommandHandler (*HandlerForLetter)(int letter);

// Keystroke macros: recording and playback state (the macros are in input/macro.h).
enum : int32_t { MACRO_IDLE = 0, MACRO_RECORDING = 1, MACRO_PLAYING = 2 };
struct Macro;
struct MacroStateRecord {
    int32_t state;
    Macro* current;
    int32_t playbackIndex;
    int32_t repetitions;   // further playbacks after this one
    int32_t dropped;       // keys a full recording could not take
    Macro* lastExecuted;
};
extern MacroStateRecord MacroState;
inline bool MacroPlaying() { return MacroState.state == MACRO_PLAYING; }
inline bool MacroRecording() { return MacroState.state == MACRO_RECORDING; }

// Back to the state of a fresh start.
void reset_command_state();

}  // namespace qx
