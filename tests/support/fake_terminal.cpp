#include "support/fake_terminal.h"

#include <algorithm>

namespace qx::test {

namespace {

FakeScreen g_screen;

std::string& row_text() { return g_screen.text[g_screen.cursor.row]; }
std::vector<uint32_t>& row_attrs() { return g_screen.attrs[g_screen.cursor.row]; }

void blank(int32_t r, int32_t from) {
    for (int32_t c = from; c < g_screen.cols; ++c) {
        g_screen.text[r][c] = ' ';
        g_screen.attrs[r][c] = 0;
    }
}

// As curses writes: a full row continues on the next; the last cell of the
// screen is written and the rest dropped.
void put(char c) {
    ScreenPos& at = g_screen.cursor;
    if (c == '\n') {
        blank(at.row, at.col);
        if (at.row + 1 < g_screen.rows) at = {at.row + 1, 0};
        return;
    }
    row_text()[at.col] = c;
    row_attrs()[at.col] = g_screen.attr;
    if (at.col + 1 < g_screen.cols) ++at.col;
    else if (at.row + 1 < g_screen.rows) at = {at.row + 1, 0};
}

void insert_at_cursor(char c) {
    int32_t col = g_screen.cursor.col;
    row_text().insert(row_text().begin() + col, c);
    row_text().pop_back();
    row_attrs().insert(row_attrs().begin() + col, g_screen.attr);
    row_attrs().pop_back();
}

void shift_rows(bool insert) {
    auto r = g_screen.cursor.row;
    if (insert) {
        g_screen.text.insert(g_screen.text.begin() + r, std::string(g_screen.cols, ' '));
        g_screen.attrs.insert(g_screen.attrs.begin() + r, std::vector<uint32_t>(g_screen.cols, 0));
        g_screen.text.pop_back();
        g_screen.attrs.pop_back();
    } else {
        g_screen.text.erase(g_screen.text.begin() + r);
        g_screen.attrs.erase(g_screen.attrs.begin() + r);
        g_screen.text.emplace_back(g_screen.cols, ' ');
        g_screen.attrs.emplace_back(g_screen.cols, 0);
    }
}

constexpr Terminal FAKE{
    [](bool, int32_t& rows, int32_t& cols) {
        rows = g_screen.rows;
        cols = g_screen.cols;
    },
    [] {},
    [](bool) {},
    [](int16_t pair, int16_t fg, int16_t) {
        if (pair >= 0 && pair < 16) g_screen.pairFg[pair] = fg;
    },
    [](int16_t) {},
    [](int32_t row, int32_t col) {
        if (row < 0 || row >= g_screen.rows || col < 0 || col >= g_screen.cols) return false;
        g_screen.cursor = {row, col};
        return true;
    },
    [](int32_t& row, int32_t& col) {
        row = g_screen.cursor.row;
        col = g_screen.cursor.col;
    },
    [](const char* text, int32_t n) {
        for (int32_t i = 0; i < n && text[i]; ++i) put(text[i]);
    },
    [](char c) { insert_at_cursor(c); },
    [](const char* text, int32_t n) {
        n = static_cast<int32_t>(std::find(text, text + n, '\0') - text);
        for (int32_t i = n - 1; i >= 0; --i) insert_at_cursor(text[i]);
    },
    [] {
        int32_t col = g_screen.cursor.col;
        row_text().erase(row_text().begin() + col);
        row_text().push_back(' ');
        row_attrs().erase(row_attrs().begin() + col);
        row_attrs().push_back(0);
    },
    [] { shift_rows(true); },
    [] { shift_rows(false); },
    [] { blank(g_screen.cursor.row, g_screen.cursor.col); },
    [] {
        blank(g_screen.cursor.row, g_screen.cursor.col);
        for (int32_t r = g_screen.cursor.row + 1; r < g_screen.rows; ++r) blank(r, 0);
    },
    [](uint32_t a) { g_screen.attr |= a; },
    [](uint32_t a) { g_screen.attr &= ~a; },
    [] {},
    [](int32_t& rows, int32_t& cols) {
        rows = g_screen.rows;
        cols = g_screen.cols;
    },
    [] { ++g_screen.bells; },
    [](bool on) { g_screen.nodelay = on; },
    []() -> int32_t {
        auto shoot = [] {
            if (g_screen.waits.size() >= 16) return;
            FakeShot shot{{}, g_screen.attrs, g_screen.cursor};
            for (int32_t r = 0; r < g_screen.rows; ++r) shot.rows.push_back(g_screen.row(r));
            g_screen.waits.push_back(std::move(shot));
        };
        bool look = !g_screen.keys.empty() && g_screen.keys.front() == FAKE_LOOK;
        if ((g_screen.keys.empty() || look) && g_screen.nodelay) return TERM_NO_KEY;
        for (; !g_screen.keys.empty() && g_screen.keys.front() == FAKE_LOOK; g_screen.keys.pop_front()) shoot();
        if (g_screen.keys.empty()) {
            if (g_screen.outOfKeys) g_screen.outOfKeys();
            shoot();
            return ENTER;
        }
        KeyCode key = g_screen.keys.front();
        g_screen.keys.pop_front();
        return key;
    },
    [](int32_t& row, int32_t& col) {
        if (g_screen.mice.empty()) return MouseReport::None;
        FakeMouse m = g_screen.mice.front();
        g_screen.mice.pop_front();
        row = m.row;
        col = m.col;
        return m.report;
    },
};

}  // namespace

std::string FakeScreen::row(int32_t r) const {
    const std::string& s = text.at(static_cast<std::size_t>(r));
    return s.substr(0, s.find_last_not_of(' ') + 1);
}

FakeScreen& install_fake_screen(int32_t rows, int32_t cols) {
    g_screen = FakeScreen{};
    g_screen.rows = rows;
    g_screen.cols = cols;
    g_screen.text.assign(rows, std::string(cols, ' '));
    g_screen.attrs.assign(rows, std::vector<uint32_t>(cols, 0));
    UseTerminal(FAKE);
    return g_screen;
}

FakeScreen& fake_screen() { return g_screen; }

}  // namespace qx::test
