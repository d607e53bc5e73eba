// The terminal the screen layer draws on and the key reader reads from: one
// record of functions, so that the editor runs on curses and unit tests on an
// in-memory screen. Until one is installed, every call fails as curses does
// before it has a window.
#pragma once

#include <cstdint>

namespace qx {

using KeyCode = int32_t;

// Key codes of the editor's own, produced only by the escape table.
inline constexpr KeyCode KEY_PAD_SLASH = 313;
inline constexpr KeyCode KEY_PAD_STAR = 325;
inline constexpr KeyCode KEY_PAD_MINUS = 326;
inline constexpr KeyCode KEY_PAD_PLUS = 327;
inline constexpr KeyCode KEY_SHIFT_DOWN = 387;
inline constexpr KeyCode KEY_SHIFT_UP = 390;
inline constexpr KeyCode KEY_UNASSIGNED = 512;

// Terminal key codes the editor uses (fixed values, so tables need no curses header).
inline constexpr KeyCode CODE_DOWN = 258, CODE_UP = 259, CODE_LEFT = 260, CODE_RIGHT = 261;
inline constexpr KeyCode CODE_HOME = 262, CODE_BACKSPACE = 263, CODE_F1 = 265;
inline constexpr KeyCode CODE_DC = 330, CODE_IC = 331, CODE_NPAGE = 338, CODE_PPAGE = 339;
inline constexpr KeyCode CODE_ENTER = 343, CODE_B2 = 350, CODE_END = 360, CODE_FIND = 362;
inline constexpr KeyCode CODE_SELECT = 385, CODE_SLEFT = 393, CODE_SRIGHT = 402, CODE_MOUSE = 409;

inline constexpr int ESC = 27;
inline constexpr int ENTER = 10;

// Answers of read_key besides keys.
inline constexpr int32_t TERM_NO_KEY = -1;     // nothing typed (or the terminal failed)
inline constexpr int32_t TERM_RESIZE = 410;    // the terminal changed its size

// Colours by number, and the attributes a cell can carry: a colour pair in the
// low byte, underline above it.
inline constexpr int16_t TERM_RED = 1, TERM_BLUE = 4;
inline constexpr uint32_t TERM_UNDERLINE = 0x100;

enum class MouseReport { None, Click, DoubleClick, Release, Other };

struct Terminal {
    // Starts the terminal; its size in rows and columns.
    void (*start)(bool mouse, int32_t& rows, int32_t& cols);
    void (*stop)();
    void (*set_mouse)(bool on);
    void (*define_pair)(int16_t pair, int16_t fg, int16_t bg);
    void (*set_background)(int16_t pair);
    bool (*move)(int32_t row, int32_t col);
    void (*cursor)(int32_t& row, int32_t& col);
    void (*add)(const char* text, int32_t n);          // writes and moves on
    void (*insert_char)(char c);                        // shifts the row right, cursor stays
    void (*insert_text)(const char* text, int32_t n);
    void (*delete_char)();
    void (*insert_line)();                              // at the cursor row; the last row drops
    void (*delete_line)();
    void (*clear_to_eol)();
    void (*clear_to_bottom)();
    void (*attr_on)(uint32_t attrs);
    void (*attr_off)(uint32_t attrs);
    void (*refresh)();
    // After a resize: the window takes the terminal's new size, given in rows and
    // columns; the next refresh draws everything anew.
    void (*resize)(int32_t& rows, int32_t& cols);
    void (*beep)();
    void (*set_nodelay)(bool on);
    int32_t (*read_key)();
    MouseReport (*read_mouse)(int32_t& row, int32_t& col);
};

// The terminal in use, and installing one (kept by reference).
const Terminal& Term();
void UseTerminal(const Terminal& terminal);
const Terminal& CursesTerminal();
const Terminal& NoTerminal();

// Hang-up and termination signals (SIGHUP, SIGTERM, SIGQUIT, SIGINT) only note
// themselves: the key reader sees the note and the editor saves and ends in its
// normal flow. They interrupt a waiting read, so the note is seen at once.
void CatchEndSignals();
// The signal noted, 0 for none.
int EndSignal();
void ForgetEndSignal();
// SIGWINCH only notes that the terminal changed its size, and also interrupts a
// waiting read. True once for each note.
void CatchResizeSignal();
bool TakeResizeNote();

}  // namespace qx
