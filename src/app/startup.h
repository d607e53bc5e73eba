// Start-up from the command line, and the state every run (and every test) starts from.
#pragma once

#include <cstdint>

namespace qx {

inline constexpr int32_t MAX_FILE_ARGUMENTS = 256;
// The editor draws only on a terminal: without one on standard input and output it
// says so and ends with this status, before anything is drawn.
inline constexpr int32_t EXIT_NOT_A_TERMINAL = 3;

// What the command line settles before the terminal is touched: "--version" as the
// first argument prints the version text (status 0), and a run without a terminal
// ends with EXIT_NOT_A_TERMINAL. -1 when the editor is to start.
int32_t settle_before_start(int argc, char** argv, bool on_terminal);

[[noreturn]] void editor_start(int argc, char** argv);

// Gives back whatever the editor holds and resets every global of every layer to
// the state a run starts from; the store's hooks become the defaults.
void reset_editor();
// The editor's own answers to the store's hooks: notices on row 0, the overwrite
// question, read progress, and editor_exit.
void install_editor_hooks();

}  // namespace qx
