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
    [](int32_t& rows, int32_t& cols) { rows = cols = 0; },
    [] {},
    [](bool) {},
    [] { return TERM_NO_KEY; },
    [](int32_t&, int32_t&) { return MouseReport::None; },
};

const Terminal* g_terminal = &NONE;

volatile std::sig_atomic_t g_endSignal = 0;
volatile std::sig_atomic_t g_resized = 0;

void note_end_signal(int sig) { g_endSignal = sig; }
void note_resize(int) { g_resized = 1; }

// No SA_RESTART: a read waiting for a key returns.
void catch_signal(int sig, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(sig, &action, nullptr);
}

}  // namespace

const Terminal& Term() { return *g_terminal; }
void UseTerminal(const Terminal& terminal) { g_terminal = &terminal; }
const Terminal& NoTerminal() { return NONE; }

void CatchEndSignals() {
    for (int sig : {SIGHUP, SIGTERM, SIGQUIT, SIGINT}) catch_signal(sig, note_end_signal);
}

void CatchResizeSignal() { catch_signal(SIGWINCH, note_resize); }

bool TakeResizeNote() {
    if (!g_resized) return false;
    g_resized = 0;
    return true;
}

int EndSignal() { return g_endSignal; }
void ForgetEndSignal() { g_endSignal = 0; }

}  // namespace qx
