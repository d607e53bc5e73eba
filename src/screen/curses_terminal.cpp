// The real terminal, through curses: the only file that talks to it.
#include "screen/terminal.h"

#include <curses.h>
#include <term.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>

namespace qx {

namespace {

static_assert(TERM_NO_KEY == ERR && TERM_RESIZE == KEY_RESIZE);
static_assert(TERM_RED == COLOR_RED && TERM_BLUE == COLOR_BLUE);
static_assert(CODE_ENTER == KEY_ENTER && CODE_MOUSE == KEY_MOUSE && CODE_SLEFT == KEY_SLEFT);


// Pairs defined as the terminal's own colours are drawn as pair 0, which looks the
// same: curses then need not reset the attributes after every update.
bool g_plainPair[256];

short drawn_pair(uint32_t pair) { return g_plainPair[pair & 0xFF] ? 0 : static_cast<short>(pair & 0xFF); }

attr_t attributes(uint32_t attrs) {
    return COLOR_PAIR(drawn_pair(attrs)) | ((attrs & TERM_UNDERLINE) ? A_UNDERLINE : 0);
}

// Codes for keys the escape table knows by another code: modified cursor keys as
// their shifted forms, the application keypad's keys as the keypad codes, keypad
// Enter as Enter, keypad 5 (Begin) as the keypad centre, the suspend key as the
// control key it is.
KeyCode normalise(KeyCode key) {
    if (key == KEY_SR) return KEY_SHIFT_UP;
    if (key == KEY_SF) return KEY_SHIFT_DOWN;
    if (key == KEY_ENTER) return ENTER;   // keypad Enter
    if (key == KEY_BEG) return CODE_B2;   // keypad 5 as an xterm sends it without NumLock
    if (key == KEY_SUSPEND) return 26;    // CTL-z, which the linux console names its suspend key
    if (key <= KEY_MAX) return key;
    // Keys the terminal description names itself: modified cursor keys (kUP5,
    // kLFT3, ...) and the application keypad's operators (kpADD, ...).
    const char* name = keyname(key);
    if (!name) return key;
    auto starts = [name](const char* prefix) { return std::strncmp(name, prefix, std::strlen(prefix)) == 0; };
    if (starts("kUP")) return KEY_SHIFT_UP;
    if (starts("kDN")) return KEY_SHIFT_DOWN;
    if (starts("kLFT")) return CODE_SLEFT;
    if (starts("kRIT")) return CODE_SRIGHT;
    std::string_view pad = name;
    if (pad == "kpADD") return KEY_PAD_PLUS;
    if (pad == "kpSUB") return KEY_PAD_MINUS;
    if (pad == "kpMUL") return KEY_PAD_STAR;
    if (pad == "kpDIV") return KEY_PAD_SLASH;
    if (pad == "kp5") return CODE_B2;
    return key;
}

// Bracketed paste: the terminal marks pasted text, so that it goes in as typed text.
constexpr const char* PASTE_ON = "\033[?2004h";
constexpr const char* PASTE_OFF = "\033[?2004l";

void put_now(const char* bytes) {
    std::fputs(bytes, stdout);
    std::fflush(stdout);
}

// For a fatal signal: what puts the terminal back (the normal screen, keypad,
// cursor and mouse reporting off) and its modes from before the start, prepared
// while it is safe, so the handler only writes and sets.
char g_restore[256];
std::size_t g_restoreLength = 0;
struct termios g_modes;
bool g_haveModes = false;
constexpr int FATAL_SIGNALS[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction g_oldActions[std::size(FATAL_SIGNALS)];

// While Down keeps scrolling the text rows at the bottom row, they are the terminal's
// scroll region, which a line feed there scrolls: its top row, 0 while the region is
// the whole screen, as curses assumes in updates of its own.
volatile std::sig_atomic_t g_regionTop = 0;
bool g_scrolledLast = false;          // the last update that changed rows scrolled the text rows
char g_wholeRegion[96] = "";          // makes the whole screen the region again; empty: no regions

void add_restore(const char* bytes) {
    if (!bytes || bytes == reinterpret_cast<const char*>(-1)) return;
    std::size_t n = std::strlen(bytes);
    if (g_restoreLength + n > sizeof g_restore) return;
    std::memcpy(g_restore + g_restoreLength, bytes, n);
    g_restoreLength += n;
}

// Puts the terminal back, then lets the signal do what it did before the editor.
void on_fatal_signal(int sig) {
    ssize_t ignored = g_regionTop ? ::write(STDOUT_FILENO, g_wholeRegion, std::strlen(g_wholeRegion)) : 0;
    ignored = ::write(STDOUT_FILENO, g_restore, g_restoreLength);
    (void)ignored;
    if (g_haveModes) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_modes);
    for (std::size_t i = 0; i < std::size(FATAL_SIGNALS); ++i)
        if (FATAL_SIGNALS[i] == sig) ::sigaction(sig, &g_oldActions[i], nullptr);
    ::raise(sig);
}

void catch_fatal_signals(bool mouse) {
    g_restoreLength = 0;
    add_restore(PASTE_OFF);
    if (mouse) add_restore("\033[?1006;1000l");
    add_restore(tigetstr("rmkx"));
    add_restore(tigetstr("cnorm"));
    add_restore(tigetstr("rmcup"));
    struct sigaction action {};
    action.sa_handler = on_fatal_signal;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(FATAL_SIGNALS); ++i)
        ::sigaction(FATAL_SIGNALS[i], &action, &g_oldActions[i]);
}

void release_fatal_signals() {
    for (std::size_t i = 0; i < std::size(FATAL_SIGNALS); ++i) ::sigaction(FATAL_SIGNALS[i], &g_oldActions[i], nullptr);
}

void prepare_whole_region();
void end_region();

void c_start(bool mouse, int32_t& rows, int32_t& cols) {
    g_haveModes = ::tcgetattr(STDIN_FILENO, &g_modes) == 0;
    std::fill(std::begin(g_plainPair), std::end(g_plainPair), false);
    initscr();
    start_color();
    use_default_colors();
    keypad(stdscr, TRUE);
    raw();
    noecho();
    if (mouse) mousemask(ALL_MOUSE_EVENTS, nullptr);
    rows = LINES;
    cols = COLS;
    put_now(PASTE_ON);
    prepare_whole_region();
    catch_fatal_signals(mouse);
}

void c_stop() {
    end_region();
    release_fatal_signals();
    mousemask(0, nullptr);
    put_now(PASTE_OFF);
    endwin();
}

void c_set_mouse(bool on) { mousemask(on ? ALL_MOUSE_EVENTS : 0, nullptr); }
void c_define_pair(int16_t pair, int16_t fg, int16_t bg) {
    init_pair(pair, fg, bg);
    g_plainPair[pair & 0xFF] = pair > 0 && fg < 0 && bg < 0;
}
void c_set_background(int16_t pair) { wbkgd(stdscr, COLOR_PAIR(drawn_pair(pair))); }
bool c_move(int32_t row, int32_t col) { return wmove(stdscr, row, col) != ERR; }

void c_cursor(int32_t& row, int32_t& col) {
    row = getcury(stdscr);
    col = getcurx(stdscr);
}

void c_add(const char* text, int32_t n) { waddnstr(stdscr, text, n); }
void c_insert_char(char c) { winsch(stdscr, static_cast<unsigned char>(c)); }
void c_insert_text(const char* text, int32_t n) { winsnstr(stdscr, text, n); }
void c_delete_char() { wdelch(stdscr); }
void c_insert_line() { winsdelln(stdscr, 1); }
void c_delete_line() { winsdelln(stdscr, -1); }
void c_clear_to_eol() { wclrtoeol(stdscr); }
void c_clear_to_bottom() { wclrtobot(stdscr); }
void c_attr_on(uint32_t attrs) { wattr_on(stdscr, attributes(attrs), nullptr); }
void c_attr_off(uint32_t attrs) { wattr_off(stdscr, attributes(attrs), nullptr); }

// A terminal capability, without padding, into out; false when the terminal has none
// or it does not fit.
using Sequence = char[32];
bool capability(Sequence& out, const char* name, int a = -1, int b = -1) {
    char* cap = tigetstr(name);
    if (!cap || cap == reinterpret_cast<char*>(-1)) return false;
    const char* text = a < 0 ? cap : tparm(cap, static_cast<long>(a), static_cast<long>(b));
    int n = text ? std::snprintf(out, sizeof out, "%s", text) : -1;
    return n > 0 && n < static_cast<int>(sizeof out) && !std::strchr(out, '$');
}

// Straight to the terminal: curses has sent all it had at the last update.
void send(const char* text) {
    for (std::size_t n = std::strlen(text); n > 0;) {
        ssize_t put = ::write(STDOUT_FILENO, text, n);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return;
        text += put;
        n -= static_cast<std::size_t>(put);
    }
}

// Where the new picture of a row is the old one with one character put in or taken
// out, the terminal is told to shift the rest of the row itself: a few bytes instead
// of the whole rest of the row, which curses would send again. curses's own record
// of the terminal is shifted the same way, so that the update after it sends only
// what still differs, and the picture is the same as without this.
void shift_changed_rows() {
    constexpr int MIN_SAVING = 8;   // cells the shift must spare to pay for itself
    if (is_cleared(curscr) || is_cleared(newscr)) return;
    int cols = std::min(getmaxx(newscr), getmaxx(curscr));
    int rows = std::min(getmaxy(newscr), getmaxy(curscr));
    if (cols > 512) return;
    Sequence insert = "", remove = "";
    if (!capability(insert, "ich1")) capability(insert, "ich", 1);
    if (!capability(remove, "dch1")) capability(remove, "dch", 1);
    int newRow, newCol, row, col;
    getyx(newscr, newRow, newCol);
    getyx(curscr, row, col);
    for (int r = 0; r < rows; ++r) {
        chtype want[513], have[513];
        mvwinchnstr(newscr, r, 0, want, cols);
        mvwinchnstr(curscr, r, 0, have, cols);
        int first = 0, last = cols - 1;
        while (first < cols && want[first] == have[first]) ++first;
        while (last > first && want[last] == have[last]) --last;
        if (first >= cols || last - first < MIN_SAVING) continue;
        bool inserted = insert[0] != '\0', removed = remove[0] != '\0';
        for (int i = first; i < cols - 1; ++i) {
            inserted = inserted && want[i + 1] == have[i];
            removed = removed && want[i] == have[i + 1];
        }
        if (!inserted && !removed) continue;
        // Away from the cursor, it goes there and back, so that curses's idea of where
        // the cursor stands still holds.
        Sequence there, back;
        bool moved = r != row || first != col;
        if (moved && (last - first < 3 * MIN_SAVING || !capability(there, "cup", r, first) ||
                      !capability(back, "cup", row, col)))
            continue;
        if (moved) send(there);
        send(inserted ? insert : remove);
        if (moved) send(back);
        wmove(curscr, r, first);
        if (inserted) winsch(curscr, ' ');
        else wdelch(curscr);
    }
    wmove(curscr, row, col);
    wmove(newscr, newRow, newCol);
}

// The scroll region from row top to row bottom, the cursor kept where it is (setting
// a region homes it): false without the capabilities.
bool region(char (&out)[96], int top, int bottom) {
    Sequence save, set, restore;
    if (!capability(save, "sc") || !capability(restore, "rc") || !capability(set, "csr", top, bottom)) return false;
    std::snprintf(out, sizeof out, "%s%s%s", save, set, restore);
    return true;
}

void prepare_whole_region() {
    if (!region(g_wholeRegion, 0, LINES - 1)) g_wholeRegion[0] = '\0';
}

void end_region() {
    if (g_regionTop != 0) send(g_wholeRegion);
    g_regionTop = 0;
}

// Where the new picture is the old one with the rows from some row down moved up by
// one, the cursor on the bottom row (Down there), the terminal scrolls them itself:
// the first time by deleting that row between saving and restoring the cursor (a
// byte less than curses's move there and back); from the second in a row those rows
// become the scroll region and a line feed scrolls them, until an update of another
// kind. curses's record of the terminal is scrolled the same way and the moved rows
// count as unchanged to it, so that the update after it draws only the new bottom
// row and finds no scroll of its own to make. Only on the terminal's own background:
// the row that comes in is blank in the colours curses leaves set after an update,
// which are those.
void scroll_changed_rows() {
    int rows = getmaxy(newscr), cols = getmaxx(newscr);
    if (is_cleared(curscr) || is_cleared(newscr) || (getbkgd(stdscr) & A_ATTRIBUTES) != 0 ||
        rows != getmaxy(curscr) || cols != getmaxx(curscr) || cols > 512 || rows < 3) {
        end_region();
        g_scrolledLast = false;
        return;
    }
    int newRow, newCol, row, col;
    getyx(newscr, newRow, newCol);
    getyx(curscr, row, col);
    auto same = [cols](int wanted, int had) {   // new row `wanted` is old row `had`
        chtype want[513], have[513];
        mvwinchnstr(newscr, wanted, 0, want, cols);
        mvwinchnstr(curscr, had, 0, have, cols);
        return std::equal(want, want + cols, have);
    };
    int top = 0;
    while (top < rows && same(top, top)) ++top;
    bool scrolled = top > 0 && top < rows - 2 && row == rows - 1 && col < cols - 1;
    for (int r = top; scrolled && r < rows - 1; ++r) scrolled = same(r, r + 1);
    char out[4 * sizeof(Sequence)] = "";
    Sequence feed, insert, save, restore, there, remove;
    // A scroll curses finds itself while the region is set must be made by inserting
    // or deleting lines, which the region leaves alone, not by setting one of its own.
    bool fed = scrolled && col == 0 && capability(feed, "ind") && g_wholeRegion[0] != '\0' &&
               (capability(insert, "il1") || capability(insert, "il", 1));
    if (top == rows) {
        // Nothing to draw: the cursor moves at most, the region may stay.
    } else if (fed && g_regionTop == top) {
        std::snprintf(out, sizeof out, "%s", feed);
    } else if (char set[96]; fed && g_scrolledLast && region(set, top, rows - 1)) {
        end_region();
        std::snprintf(out, sizeof out, "%s%s", set, feed);
        g_regionTop = top;
    } else {
        end_region();
        if (scrolled && capability(save, "sc") && capability(restore, "rc") &&
            (capability(remove, "dl1") || capability(remove, "dl", 1)) &&
            (capability(there, "vpa", top) || capability(there, "cup", top, 0)))
            std::snprintf(out, sizeof out, "%s%s%s%s", save, there, remove, restore);
    }
    if (out[0] != '\0') {
        send(out);
        wmove(curscr, top, 0);
        winsdelln(curscr, -1);
        wtouchln(newscr, top, rows - 1 - top, 0);
    }
    if (top < rows) g_scrolledLast = out[0] != '\0';
    wmove(curscr, row, col);
    wmove(newscr, newRow, newCol);
}

void c_refresh() {
    wnoutrefresh(stdscr);
    scroll_changed_rows();
    shift_changed_rows();
    doupdate();
}

// The editor notes SIGWINCH itself (curses would let it restart a waiting read);
// the window takes the size the terminal now has. Terminals differ on what a resize
// does to a scroll region, and one curses set for the old size may still arrive
// after it: the region is set to the whole new screen before the screen is cleared
// and drawn again, or lines inserted or deleted later would move only part of it.
void c_resize(int32_t& rows, int32_t& cols) {
    struct winsize size {};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0)
        resize_term(size.ws_row, size.ws_col);
    rows = LINES;
    cols = COLS;
    if (Sequence whole = ""; capability(whole, "csr", 0, LINES - 1)) send(whole);
    clearok(curscr, TRUE);
    prepare_whole_region();
    g_regionTop = 0;   // a region the scrolls at the bottom row kept is gone with that
    g_scrolledLast = false;
}

void c_ring() { beep(); }
void c_set_nodelay(bool on) { nodelay(stdscr, on ? TRUE : FALSE); }
int32_t c_read_key() {
    if (TakeResizeNote()) return KEY_RESIZE;
    int key = wgetch(stdscr);
    return key == ERR && TakeResizeNote() ? KEY_RESIZE : normalise(key);
}

MouseReport c_read_mouse(int32_t& row, int32_t& col) {
    MEVENT event;
    if (getmouse(&event) != OK) return MouseReport::None;
    row = event.y;
    col = event.x;
    if (event.bstate & BUTTON1_DOUBLE_CLICKED) return MouseReport::DoubleClick;
    // A press counts as the click: on a busy machine its release may come later.
    constexpr mmask_t CLICKS = BUTTON1_CLICKED | BUTTON2_CLICKED | BUTTON3_CLICKED | BUTTON1_PRESSED |
                               BUTTON2_PRESSED | BUTTON3_PRESSED;
    if (event.bstate & CLICKS) return MouseReport::Click;
    constexpr mmask_t RELEASES = BUTTON1_RELEASED | BUTTON2_RELEASED | BUTTON3_RELEASED;
    if (event.bstate & RELEASES) return MouseReport::Release;
    return MouseReport::Other;
}

constexpr Terminal REAL_TERMINAL{
    c_start, c_stop, c_set_mouse, c_define_pair, c_set_background, c_move, c_cursor, c_add, c_insert_char, c_insert_text, c_delete_char, c_insert_line, c_delete_line, c_clear_to_eol, c_clear_to_bottom, c_attr_on, c_attr_off, c_refresh, c_resize, c_ring, c_set_nodelay, c_read_key, c_read_mouse,
};

}  // namespace

const Terminal& CursesTerminal() { return REAL_TERMINAL; }

}  // namespace qx
