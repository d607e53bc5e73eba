#include "input/keys.h"

#include <curses.h>

#include <array>
#include <chrono>
#include <cstring>
#include <string_view>

#include "input/macro.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/hooks.h"
#include "undo/undo.h"

namespace qx {

namespace {

// One slot of the escape table: a raw key, whether the sequence ends there, the key
// it then gives, how many further raw keys to read and drop, and the next state.
struct EscapeSlot {
    int16_t key;
    int16_t final;
    int16_t result;
    int16_t extra;
    int16_t next;
};
constexpr int16_t NO_STATE = 85;
constexpr EscapeSlot EMPTY{0, 0, 0, 0, NO_STATE};
constexpr int ESCAPE_STATES = 6, ESCAPE_SLOTS = 14;
constexpr int16_t MODIFIER_FORM = 402;

using EscapeTable = std::array<std::array<EscapeSlot, ESCAPE_SLOTS>, ESCAPE_STATES>;

constexpr EscapeSlot fin(char key, int16_t result, int16_t extra = 0) { return {key, 1, result, extra, NO_STATE}; }
constexpr EscapeSlot to(int16_t key, int16_t next) { return {key, 0, 0, 0, next}; }

template <class... Slots>
constexpr std::array<EscapeSlot, ESCAPE_SLOTS> state(Slots... slots) {
    std::array<EscapeSlot, ESCAPE_SLOTS> s{};
    s.fill(EMPTY);
    int i = 0;
    ((s[i++] = slots), ...);
    return s;
}

constexpr EscapeTable ESCAPE_TABLE = {
    state(to('O', 1), to('[', 2), to(ESC, 0)),
    state(fin('E', 350), fin('F', 360), fin('H', 262), fin('M', 10), fin('P', 265), fin('Q', 266),
          fin('R', 267), fin('S', 268), fin('j', 325), fin('k', 327), fin('m', 326), fin('o', 313),
          EscapeSlot{CODE_ENTER, 1, 10, 0, NO_STATE}),
    state(to('1', 3), to('2', 4), fin('3', 330, 1), fin('5', 339, 1), fin('6', 338, 1), fin('A', 259),
          fin('B', 258), fin('C', 261), fin('D', 260), fin('E', 350), fin('F', 360), fin('H', 262),
          fin('P', 512), to('[', 5)),
    state(fin('5', 269, 1), fin('7', 270, 1), fin('8', 271, 1), fin('9', 272, 1), fin(';', MODIFIER_FORM, 2)),
    state(fin('0', 273, 1), fin('1', 274, 1), fin('3', 275, 1), fin('4', 276, 1), fin('~', 331)),
    state(fin('A', 265), fin('B', 266), fin('C', 267), fin('D', 268), fin('E', 269)),
};

KeyCode g_queue[STARTUP_QUEUE_SIZE];
int32_t g_queued = 0;
int32_t g_nextQueued = 0;

KeyCode g_pending[PENDING_KEY_SIZE];
int32_t g_pendingCount = 0;
bool g_fromTerminal = false;   // the last raw key was typed, not queued or played
std::chrono::steady_clock::time_point g_lastLook{};

int command(int letter) {
    Mode = MODE_COMMAND;
    return letter;
}

int refused() {
    Beep();
    return command('I');
}

// A terminal resize is not a key: the window keeps the start-up geometry and the
// terminal is repainted from it.
KeyCode read_terminal() {
    g_fromTerminal = true;
    if (g_pendingCount > 0) {
        KeyCode key = g_pending[0];
        std::memmove(g_pending, g_pending + 1, --g_pendingCount * sizeof(KeyCode));
        return key;
    }
    if (!ScreenStarted()) return ENTER;
    for (int failures = 0;;) {
        int key = wgetch(stdscr);
        if (key == KEY_RESIZE) {
            RepaintScreen();
        } else if (key != ERR) {
            return NormaliseCursesKey(key);
        } else if (++failures > 1000) {
            exit_editor(0);   // the terminal is gone: there is nobody left to ask
        }
    }
}

}  // namespace

void QueueStartupKey(KeyCode key) {
    if (g_nextQueued + g_queued < STARTUP_QUEUE_SIZE) g_queue[g_nextQueued + g_queued++] = key;
}

int32_t QueuedKeyCount() { return g_queued; }

void QueuePendingKey(KeyCode key) {
    if (g_pendingCount < PENDING_KEY_SIZE) g_pending[g_pendingCount++] = key;
}

void reset_key_reader() {
    g_queued = g_nextQueued = 0;
    g_pendingCount = 0;
    g_fromTerminal = false;
    g_lastLook = {};
}

KeyCode NormaliseCursesKey(KeyCode key) {
    if (key == KEY_SR) return KEY_SHIFT_UP;
    if (key == KEY_SF) return KEY_SHIFT_DOWN;
    if (key == KEY_ENTER) return ENTER;   // keypad Enter
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

KeyCode ReadRawKey() {
    g_fromTerminal = false;
    if (g_queued > 0) {
        --g_queued;
        KeyCode key = g_queue[g_nextQueued++];
        if (g_queued == 0) g_nextQueued = 0;
        return key;
    }
    // Nothing to read from: Enter answers whatever was asked.
    if (!ScreenStarted() && g_pendingCount == 0) return ENTER;
    if (ScreenStarted()) RefreshScreen();
    switch (MacroState.state) {
    case MACRO_IDLE:
        return read_terminal();
    case MACRO_RECORDING: {
        KeyCode key = read_terminal();
        Macro* macro = MacroState.current;
        if (macro && macro->keyCount < MACRO_KEY_LIMIT) macro->keys[macro->keyCount++] = key;
        return key;
    }
    case MACRO_PLAYING: {
        Macro* macro = MacroState.current;
        int32_t count = macro ? std::min(macro->keyCount, MACRO_KEY_SLOTS) : 0;
        if (MacroState.playbackIndex < count) return macro->keys[MacroState.playbackIndex++];
        if (MacroState.repetitions > 0 && count > 0) {
            --MacroState.repetitions;
            MacroState.playbackIndex = 1;
            return macro->keys[0];
        }
        MacroState.state = MACRO_IDLE;
        MacroState.current = nullptr;
        if (const char* problem = end_undo_macro()) ShowMessage(problem);
        UpdateStatus(true, 0, TypingMode);
        return read_terminal();
    }
    default:
        ShowMessage("Read_Char: Invalid Read_state");
        MacroState.state = MACRO_IDLE;
        MacroState.current = nullptr;
        return read_terminal();
    }
}

int DecodeEscape() {
    int state = 0;
    for (;;) {
        KeyCode k = ReadRawKey();
        const EscapeSlot* match = nullptr;
        for (const EscapeSlot& slot : ESCAPE_TABLE[state])
            if (slot.key == k) {
                match = &slot;
                break;
            }
        if (!match) return command(state == 0 ? k : 'I');
        if (k == ESC) Mode = MODE_COMMAND;
        if (!match->final) {
            if (match->next == NO_STATE) return 'i';
            state = match->next;
            continue;
        }
        KeyCode last = k;
        for (int i = 0; i < match->extra; ++i) last = ReadRawKey();
        if (match->result != MODIFIER_FORM) return match->result;
        switch (last) {
        case 'A': return KEY_SHIFT_UP;
        case 'B': return KEY_SHIFT_DOWN;
        case 'C': return CODE_SRIGHT;
        case 'D': return CODE_SLEFT;
        default: return command('I');
        }
    }
}

int MapControlKey(KeyCode key) {
    switch (key) {
    case '\t': case '\n': return key;
    case 2: return command('L');
    case 3: return command('C');
    case 4: return command('$');
    case 5: return command(';');
    case 7: return command('M');
    case 8: return command('#');
    case 12: return command(',');
    case 14: return command('F');
    case 16: return command('B');
    case 18: return command('.');
    case 20: return command('H');
    case 21: return command('^');
    case 22: return command('V');
    case 24: return command('X');
    case 26: return command('u');
    default: return refused();
    }
}

int MapSpecialKey(KeyCode key) {
    bool after_esc = Mode == MODE_COMMAND;
    switch (key) {
    case CODE_DOWN: return command(after_esc ? '}' : '$');
    case CODE_UP: return command(after_esc ? '{' : '^');
    case CODE_LEFT: return command(after_esc ? '[' : ',');
    case CODE_RIGHT: return command(after_esc ? ']' : '.');
    case CODE_HOME: case CODE_FIND: return command('<');
    case CODE_BACKSPACE: return command('#');
    case CODE_DC: return command(after_esc ? 'W' : 'D');
    case CODE_IC: return command('I');
    case CODE_NPAGE: return command(after_esc ? '~' : 'F');
    case CODE_PPAGE: return command(after_esc ? '\\' : 'B');
    case CODE_B2: return command(':');
    case CODE_END: case CODE_SELECT: return command('>');
    case KEY_SHIFT_DOWN: return command('+');
    case KEY_SHIFT_UP: return command('-');
    case CODE_SLEFT: return command('(');
    case CODE_SRIGHT: return command(')');
    case CODE_MOUSE: return command('_');
    case KEY_PAD_SLASH: return command('z');
    case KEY_PAD_STAR: return command('i');
    case KEY_PAD_MINUS: return command('g');
    case KEY_PAD_PLUS: return command('n');
    default: break;
    }
    if (key >= CODE_F1 && key < CODE_F1 + 12) return command("abcjfrpelkUq"[key - CODE_F1]);
    return refused();
}

int DecodeKey(KeyCode key) {
    if (key == ESC) key = DecodeEscape();
    if (key >= 1 && key <= 26) return MapControlKey(key);
    if (key == 127) return command('#');
    if (key < 256) return key;
    return MapSpecialKey(key);
}

namespace {

int filter_key(int key) {
    if (key >= 32 && key <= 126) return key;
    if (key != '\t' && key != '\n') Mode = MODE_COMMAND;
    return key & 0xFF;
}

}  // namespace

int ReadKey() { return filter_key(DecodeKey(ReadRawKey())); }

int ReadPanelKey() {
    if (StopRepeating) return ENTER;
    KeyCode raw = ReadRawKey();
    if (raw == ESC && g_fromTerminal && RepetitionRunning()) {
        StopRepeating = true;
        return ENTER;
    }
    return filter_key(DecodeKey(raw));
}

bool EscapeTypedAhead() {
    if (!ScreenStarted()) return false;
    auto now = std::chrono::steady_clock::now();
    if (now - g_lastLook < std::chrono::milliseconds(100)) return false;
    g_lastLook = now;
    RefreshScreen();   // what the repetition drew so far, and the copy a resize needs
    nodelay(stdscr, TRUE);
    bool escape = false;
    while (!escape && g_pendingCount < PENDING_KEY_SIZE) {
        int key = wgetch(stdscr);
        if (key == ERR) break;
        if (key == KEY_RESIZE) RepaintScreen();
        else if (key == ESC) escape = true;
        else QueuePendingKey(NormaliseCursesKey(key));
    }
    nodelay(stdscr, FALSE);
    return escape;
}

MouseEvent ReadMouseEvent(int32_t& col, int32_t& row) {
    MEVENT event;
    if (getmouse(&event) != OK) return MouseEvent::Ignored;
    // Curses passes on whatever the terminal reported, negative or past the end.
    if (event.x < 0 || event.x >= ScreenColumns || event.y < 0 || event.y >= ScreenRows) return MouseEvent::Ignored;
    col = event.x;
    row = event.y;
    if (event.bstate & BUTTON1_DOUBLE_CLICKED) return MouseEvent::DoubleClick;
    // A press counts as the click: on a busy machine its release may come later.
    constexpr mmask_t CLICKS = BUTTON1_CLICKED | BUTTON2_CLICKED | BUTTON3_CLICKED | BUTTON1_PRESSED |
                               BUTTON2_PRESSED | BUTTON3_PRESSED;
    if (event.bstate & CLICKS) return MouseEvent::Click;
    constexpr mmask_t RELEASES = BUTTON1_RELEASED | BUTTON2_RELEASED | BUTTON3_RELEASED;
    if (event.bstate & RELEASES) return MouseEvent::Ignored;
    return MouseEvent::Unsupported;
}

void WaitForEnter() {
    while (ReadPanelKey() != ENTER) Beep();
}

}  // namespace qx
