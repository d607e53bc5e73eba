// The main loop, the command table, repeat counts, Again, and text entry.
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
// True while the dispatcher repeats a command with a count above 1.
bool RepetitionRunning();

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

using CommandHandler = void (*)();
struct Command {
    char letter;
    CommandHandler handler;   // none until the command is built
    bool again;               // remembered for Again
    bool keepsUndo;           // the undo history survives it
};

// Index of a command letter in the table, or -1.
constexpr int32_t command_index(int letter) {
    for (int32_t i = 0; i < COMMAND_COUNT; ++i)
        if (COMMAND_LETTERS[i] == letter) return i;
    return -1;
}
const Command& command_at(int32_t index);

[[noreturn]] void MainLoop();
// One turn of the main loop: one key read and acted on.
void MainLoopStep();
void Dispatch(int key);
int MapRepeatedCommand(int32_t index);
void TypeChar(int c);
void NewLine();

// Commands of the main loop itself.
void toggle_insert();       // I
void set_overwrite();       // O
void again_command();       // a
void select_line();         // z
void mouse_event();         // _

// Resets the dispatcher's state at start-up.
void reset_dispatcher();

}  // namespace qx
