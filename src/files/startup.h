// Start-up from the command line, and the single exit path.
#pragma once

#include <cstdint>

namespace qx {

inline constexpr int32_t MAX_FILE_ARGUMENTS = 256;

[[noreturn]] void editor_start(int argc, char** argv);
[[noreturn]] void editor_exit(int32_t status);

// True from the first step of start-up until the main loop takes over.
bool StartingUp();
// True while the last (or only) command-line file is being opened.
bool LastStartupArgument();

// The global state every run starts from.
void reset_editor_globals();

}  // namespace qx
