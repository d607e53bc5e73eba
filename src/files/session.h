// The editor's run as the file commands see it: whether start-up is still opening
// the command line's files, and the single exit path.
#pragma once

#include <cstdint>

namespace qx {

[[noreturn]] void editor_exit(int32_t status);

// True from the first step of start-up until the main loop takes over.
bool StartingUp();
// True while the last (or only) command-line file is being opened.
bool LastStartupArgument();
void SetStartingUp(bool on);
void SetLastStartupArgument(bool on);

}  // namespace qx
