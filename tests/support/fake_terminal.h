// An in-memory terminal for unit tests: a grid of characters with the
// attributes of each cell, the cursor, the bells rung and the keys (and mouse
// reports) still to be read. Installed, it stands in for curses.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "screen/terminal.h"

namespace qx::test {

struct ScreenPos {
    int32_t row, col;
    bool operator==(const ScreenPos&) const = default;
};

struct FakeMouse {
    MouseReport report;
    int32_t row, col;
};

// The screen as a read found it waiting for a key the test had not queued.
struct FakeShot {
    std::vector<std::string> rows;   // without trailing blanks
    std::vector<std::vector<uint32_t>> attrs;
    ScreenPos cursor;
};

// A queued key that is no key: a waiting read that meets it saves the screen
// into waits and goes on with the next key; a look without waiting finds nothing.
inline constexpr KeyCode FAKE_LOOK = -2;

struct FakeScreen {
    int32_t rows = 24, cols = 80;
    std::vector<std::string> text;               // rows strings of cols characters
    std::vector<std::vector<uint32_t>> attrs;    // per cell
    ScreenPos cursor{0, 0};
    uint32_t attr = 0;                           // what the next write carries
    int16_t pairFg[16] = {};                     // the foreground of each colour pair
    int32_t bells = 0;
    bool nodelay = false;
    // Read before anything else; once empty, a waiting read answers Enter and a
    // look without waiting finds nothing.
    std::deque<KeyCode> keys;
    std::deque<FakeMouse> mice;
    std::vector<FakeShot> waits;   // the first few
    // If set, called instead of answering Enter when a waiting read finds no key.
    std::function<void()> outOfKeys;

    // The foreground colour of a cell's attributes (-1: no colour pair).
    int16_t fg(uint32_t attrs) const { return attrs & 0xff ? pairFg[attrs & 0xf] : -1; }
    // Row r without its trailing blanks.
    std::string row(int32_t r) const;
};

// The one fake screen, blank and rows x cols, installed as the terminal.
FakeScreen& install_fake_screen(int32_t rows = 24, int32_t cols = 80);
FakeScreen& fake_screen();

}  // namespace qx::test
