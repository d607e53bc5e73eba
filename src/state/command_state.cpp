#include "state/command_state.h"

namespace qx {

int32_t Mode = MODE_INSERT;
int32_t TypingMode = MODE_INSERT;
int32_t RepeatCount = 0;
int32_t Iteration = 0;
int CurrentCommandKey = 0;
bool StopRepeating = false;
bool RepeatingCommand = false;
bool Pasting = false;
CommandMemory AgainCommand{0, 1, 'I'};
CommandMemory PreviousCommand{0, 1, 'I'};
MacroStateRecord MacroState{MACRO_IDLE, nullptr, 0, 0, 0, nullptr};
CommandHandler (*HandlerForLetter)(int) = nullptr;

void reset_command_state() {
    Mode = TypingMode = MODE_INSERT;
    RepeatCount = Iteration = 0;
    CurrentCommandKey = 0;
    StopRepeating = RepeatingCommand = Pasting = false;
    AgainCommand = PreviousCommand = {0, 1, 'I'};
    MacroState = MacroStateRecord{MACRO_IDLE, nullptr, 0, 0, 0, nullptr};
}

}  // namespace qx
