// The Help, About and Status panels. A panel replaces the text until the user
// presses Enter.
#pragma once

#include <cstdint>

namespace qx {

inline constexpr int HELP_LINE_COUNT = 31;
inline constexpr int ABOUT_LINE_COUNT = 17;

void ShowHelp();      // h
void ShowAbout();     // A
void ShowStatus();    // s

// "Memory In Use": the bytes of every held text by its formula, plus undo items.
int64_t memory_in_use();

}  // namespace qx
