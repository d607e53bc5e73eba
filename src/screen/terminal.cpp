#include "screen/terminal.h"

namespace qx {

namespace {

// No terminal: nothing is drawn and nothing read, and the cursor is nowhere.
constexpr Terminal NONE{
    [](bool, int32_t& rows, int32_t& cols) { rows = cols = 0; },
    [] {},
    [](bool) {},
    [](int16_t, int16_t, int16_t) {},
    [](int16_t) {},
    [](int32_t, int32_t) { return false; },
    [](int32_t& row, int32_t& col) { row = col = -1; },
    [](const char*, int32_t) {},
    [](char) {},
    [](const char*, int32_t) {},
    [] {},
    [] {},
    [] {},
    [] {},
    [] {},
    [](uint32_t) {},
    [](uint32_t) {},
    [] {},
    [](int32_t, int32_t) {},
    [] {},
    [](bool) {},
    [] { return TERM_NO_KEY; },
    [](int32_t&, int32_t&) { return MouseReport::None; },
};

const Terminal* g_terminal = &NONE;

}  // namespace

const Terminal& Term() { return *g_terminal; }
void UseTerminal(const Terminal& terminal) { g_terminal = &terminal; }
const Terminal& NoTerminal() { return NONE; }

}  // namespace qx
