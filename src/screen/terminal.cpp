#include "screen/terminal.h"

#include <csignal>
#include <initializer_list>

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

volatile std::sig_atomic_t g_endSignal = 0;

void note_end_signal(int sig) { g_endSignal = sig; }

}  // namespace

const Terminal& Term() { return *g_terminal; }
void UseTerminal(const Terminal& terminal) { g_terminal = &terminal; }
const Terminal& NoTerminal() { return NONE; }

void CatchEndSignals() {
    struct sigaction action {};
    action.sa_handler = note_end_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;   // no SA_RESTART: a read waiting for a key returns
    for (int sig : {SIGHUP, SIGTERM, SIGQUIT, SIGINT}) sigaction(sig, &action, nullptr);
}

int EndSignal() { return g_endSignal; }
void ForgetEndSignal() { g_endSignal = 0; }

}  // namespace qx
