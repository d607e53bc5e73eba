// The main loop, the command table, repeat counts and Again.
#pragma once

#include <cstdint>

#include "state/command_state.h"

namespace qx {

struct Command {
    char letter;
    CommandHandler handler;   // none until the command is built
    bool again;               // remembered for Again
    bool keepsUndo;           // the undo history survives it
};

const Command& command_at(int32_t index);

[[noreturn]] void MainLoop();
// One turn of the main loop: one key read and acted on.
void MainLoopStep();
void Dispatch(int key);
int MapRepeatedCommand(int32_t index);

// Commands of the main loop itself.
void toggle_insert();       // I
void set_overwrite();       // O
void again_command();       // a
void select_line();         // z
void mouse_event();         // _

// Resets the dispatcher's state at start-up.
void reset_dispatcher();

}  // namespace qx
