// Start-up from the command line, and the state every run (and every test) starts from.
#pragma once

#include <cstdint>

namespace qx {

inline constexpr int32_t MAX_FILE_ARGUMENTS = 256;

[[noreturn]] void editor_start(int argc, char** argv);

// Gives back whatever the editor holds and resets every global of every layer to
// the state a run starts from; the store's hooks become the defaults.
void reset_editor();
// The editor's own answers to the store's hooks: notices on row 0, the overwrite
// question, read progress, and editor_exit.
void install_editor_hooks();

}  // namespace qx
