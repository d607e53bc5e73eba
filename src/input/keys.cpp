#include "input/keys.h"

#include <array>
#include <chrono>
#include <cstring>
#include <span>
#include <string_view>
#include <thread>

#include "input/macro.h"
#include "screen/panels.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "screen/terminal.h"
#include "state/command_state.h"
#include "store/hooks.h"
#include "store/text.h"

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

// A resize is no key: the screen takes the new size and everything on it is drawn
// again. A size the editor cannot use shows why until the terminal is usable again;
// keys typed meanwhile are dropped, as nothing they would act on can be seen.
// While looking without waiting, the look goes on so afterwards.
// One read of the terminal. A termination signal, or a terminal whose reads keep
// failing (it is gone: there is nobody left to ask), ends the editor, which saves the
// modified files first.
KeyCode read_or_end(int& failures) {
    if (EndSignal()) exit_editor(ENDED_SAVED);
    KeyCode key = Term().read_key();
    if (key == TERM_NO_KEY && ++failures > 1000) exit_editor(ENDED_SAVED);
    return key;
}

void adopt_resize(bool looking = false) {
    for (ScreenVerdict v; (v = AdoptScreenSize()) != ScreenVerdict::Usable;) {
        Term().set_nodelay(false);
        ClearToBottom(0);
        PutTextAt(0, 0, false, v == ScreenVerdict::TooLarge ? "QX cannot support screen sizes this large"
                                                            : "QX requires at least 20 rows and 80 columns");
        RefreshScreen();
        for (int failures = 0; read_or_end(failures) != TERM_RESIZE;) {
        }
        Term().set_nodelay(looking);
    }
    AdoptLayout();
    RedrawScreen();
    RefreshScreen();
}

KeyCode read_terminal_key() {
    g_fromTerminal = true;
    if (g_pendingCount > 0) {
        KeyCode key = g_pending[0];
        std::memmove(g_pending, g_pending + 1, --g_pendingCount * sizeof(KeyCode));
        return key;
    }
    if (!ScreenStarted()) return ENTER;
    for (int failures = 0;;) {
        KeyCode key = read_or_end(failures);
        if (key == TERM_RESIZE) adopt_resize();
        else if (key != TERM_NO_KEY) return key;
    }
}

// Keys read ahead that turned out to be no paste marker, back in front of the others.
void unread(const KeyCode* keys, int32_t n) {
    n = std::min(n, PENDING_KEY_SIZE - g_pendingCount);
    std::memmove(g_pending + n, g_pending, g_pendingCount * sizeof(KeyCode));
    std::memcpy(g_pending, keys, n * sizeof(KeyCode));
    g_pendingCount += n;
}

// The next key if it comes at once: a marker's bytes arrive together.
KeyCode next_at_once() {
    if (g_pendingCount > 0) return read_terminal_key();
    if (!ScreenStarted()) return TERM_NO_KEY;
    Term().set_nodelay(true);
    KeyCode key = TERM_NO_KEY;
    for (int tries = 0; tries < 5 && key == TERM_NO_KEY; ++tries) {
        if (tries > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        key = Term().read_key();
    }
    Term().set_nodelay(false);
    if (key != TERM_RESIZE) return key;
    adopt_resize();
    return TERM_NO_KEY;
}

// Whether the keys after an ESC are the rest of a paste marker; if not, they stay to
// be read.
bool paste_marker(std::string_view rest) {
    KeyCode got[8];
    int32_t n = 0;
    for (char want : rest) {
        KeyCode key = next_at_once();
        if (key == TERM_NO_KEY) break;
        got[n++] = key;
        if (key != want) break;
    }
    if (n == static_cast<int32_t>(rest.size()) && got[n - 1] == rest.back()) return true;
    unread(got, n);
    return false;
}

bool g_pasteReturn = false;   // the last pasted key was CR: an LF after it is the same line end

// The terminal's keys, with a bracketed paste (ESC [ 200 ~ text ESC [ 201 ~) turned into
// what typing it would give: printable text, TAB, and line ends as Enter; any other
// byte or key could not have been typed and is dropped.
KeyCode read_terminal() {
    for (;;) {
        KeyCode key = read_terminal_key();
        if (key == ESC && paste_marker(Pasting ? "[201~" : "[200~")) {
            Pasting = !Pasting;
            g_pasteReturn = false;
            continue;
        }
        if (!Pasting) return key;
        bool after_return = g_pasteReturn;
        g_pasteReturn = key == '\r';
        if (key == '\r' || (key == '\n' && !after_return)) return ENTER;
        if (key == '\t' || (key >= 32 && key <= 126)) return key;
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
    g_pasteReturn = false;
    g_lastLook = {};
}

KeyCode ReadRawKey() {
    g_fromTerminal = false;
    // The screen shows first; the sums of texts just read are taken while the user
    // looks at it, and in any case before a key can change a text.
    if (g_queued == 0 && ScreenStarted()) RefreshScreen();
    settle_text_sums();
    if (g_queued > 0) {
        --g_queued;
        KeyCode key = g_queue[g_nextQueued++];
        if (g_queued == 0) g_nextQueued = 0;
        return key;
    }
    // Nothing to read from: Enter answers whatever was asked.
    if (!ScreenStarted() && g_pendingCount == 0) return ENTER;
    switch (MacroState.state) {
    case MACRO_IDLE:
        return read_terminal();
    case MACRO_RECORDING: {
        KeyCode key = read_terminal();
        Macro* macro = MacroState.current;
        if (macro && macro->keyCount < MACRO_KEY_LIMIT) macro->keys[macro->keyCount++] = key;
        else ++MacroState.dropped;
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
        end_macro_playback();
        return read_terminal();
    }
    default:
        ShowMessage("Read_Char: Invalid Read_state");
        MacroState.state = MACRO_IDLE;
        MacroState.current = nullptr;
        return read_terminal();
    }
}

namespace {

// One decoding in progress: the raw keys, how many are taken, and what the keys
// did to the mode and the bell.
struct Decoding {
    std::span<const KeyCode> raw;
    std::size_t taken = 0;
    int32_t mode;
    bool beep = false;

    bool next(KeyCode& key) {
        if (taken == raw.size()) return false;
        key = raw[taken++];
        return true;
    }
    int command(int letter) {
        mode = MODE_COMMAND;
        return letter;
    }
    int refused() {
        beep = true;
        return command('I');
    }
};

// The key an escape sequence gives, read after its ESC; false while the sequence
// goes on past the keys given.
bool decode_escape(Decoding& d, int& out) {
    int state = 0;
    for (;;) {
        KeyCode k;
        if (!d.next(k)) return false;
        const EscapeSlot* match = nullptr;
        for (const EscapeSlot& slot : ESCAPE_TABLE[state])
            if (slot.key == k) {
                match = &slot;
                break;
            }
        if (!match) {
            out = d.command(state == 0 ? k : 'I');
            return true;
        }
        if (k == ESC) d.mode = MODE_COMMAND;
        if (!match->final) {
            if (match->next == NO_STATE) {
                out = 'i';
                return true;
            }
            state = match->next;
            continue;
        }
        KeyCode last = k;
        for (int i = 0; i < match->extra; ++i)
            if (!d.next(last)) return false;
        if (match->result != MODIFIER_FORM) {
            out = match->result;
            return true;
        }
        switch (last) {
        case 'A': out = KEY_SHIFT_UP; break;
        case 'B': out = KEY_SHIFT_DOWN; break;
        case 'C': out = CODE_SRIGHT; break;
        case 'D': out = CODE_SLEFT; break;
        default: out = d.command('I'); break;
        }
        return true;
    }
}

int map_control_key(Decoding& d, KeyCode key) {
    switch (key) {
    case '\t': case '\n': return key;
    case 2: return d.command('L');
    case 3: return d.command('C');
    case 4: return d.command('$');
    case 5: return d.command(';');
    case 7: return d.command('M');
    case 8: return d.command('#');
    case 12: return d.command(',');
    case 14: return d.command('F');
    case 16: return d.command('B');
    case 18: return d.command('.');
    case 20: return d.command('H');
    case 21: return d.command('^');
    case 22: return d.command('V');
    case 24: return d.command('X');
    case 26: return d.command('u');
    default: return d.refused();
    }
}

int map_special_key(Decoding& d, KeyCode key) {
    bool after_esc = d.mode == MODE_COMMAND;
    switch (key) {
    case CODE_DOWN: return d.command(after_esc ? '}' : '$');
    case CODE_UP: return d.command(after_esc ? '{' : '^');
    case CODE_LEFT: return d.command(after_esc ? '[' : ',');
    case CODE_RIGHT: return d.command(after_esc ? ']' : '.');
    case CODE_HOME: case CODE_FIND: return d.command('<');
    case CODE_BACKSPACE: return d.command('#');
    case CODE_DC: return d.command(after_esc ? 'W' : 'D');
    case CODE_IC: return d.command('I');
    case CODE_NPAGE: return d.command(after_esc ? '~' : 'F');
    case CODE_PPAGE: return d.command(after_esc ? '\\' : 'B');
    case CODE_B2: return d.command(':');
    case CODE_END: case CODE_SELECT: return d.command('>');
    case KEY_SHIFT_DOWN: return d.command('+');
    case KEY_SHIFT_UP: return d.command('-');
    case CODE_SLEFT: return d.command('(');
    case CODE_SRIGHT: return d.command(')');
    case CODE_MOUSE: return d.command('_');
    case KEY_PAD_SLASH: return d.command('z');
    case KEY_PAD_STAR: return d.command('i');
    case KEY_PAD_MINUS: return d.command('g');
    case KEY_PAD_PLUS: return d.command('n');
    default: break;
    }
    if (key >= CODE_F1 && key < CODE_F1 + 12) return d.command("abcjfrpelkUq"[key - CODE_F1]);
    return d.refused();
}

}  // namespace

DecodedKey DecodeKeys(std::span<const KeyCode> raw, int32_t mode) {
    Decoding d{raw, 0, mode};
    int key;
    if (!d.next(key)) return {0, mode, 0, false};
    if (key == ESC && !decode_escape(d, key)) return {0, mode, 0, false};
    if (key >= 1 && key <= 26) key = map_control_key(d, key);
    else if (key == 127) key = d.command('#');
    else if (key >= 256) key = map_special_key(d, key);
    // What is neither printable nor Tab or Enter goes to the dispatcher, as a byte.
    if (key < 32 || key > 126) {
        if (key != '\t' && key != '\n') d.mode = MODE_COMMAND;
        key &= 0xFF;
    }
    return {key, d.mode, static_cast<int32_t>(d.taken), d.beep};
}

int DecodeKey(KeyCode first) {
    // The longest sequence, ESC [ 1 ; 5 C, once ESC ESC is folded into one ESC.
    KeyCode raw[8] = {first};
    std::size_t n = 1;
    for (;;) {
        DecodedKey d = DecodeKeys(std::span<const KeyCode>(raw, n), Mode);
        if (d.taken > 0) {
            Mode = d.mode;
            if (d.beep) Beep();
            return d.key;
        }
        raw[n++] = ReadRawKey();
        // A second ESC only means command mode; folding it now keeps the order of
        // that change and the reads that follow, which may change the mode too.
        if (n == 2 && raw[0] == ESC && raw[1] == ESC) {
            Mode = MODE_COMMAND;
            n = 1;
        }
    }
}

int ReadKey() { return DecodeKey(ReadRawKey()); }

int ReadPanelKey() {
    if (StopRepeating) return ENTER;
    KeyCode raw = ReadRawKey();
    if (raw == ESC && g_fromTerminal && RepetitionRunning()) {
        StopRepeating = true;
        return ENTER;
    }
    return DecodeKey(raw);
}

void DeferEscapeLook() { g_lastLook = std::chrono::steady_clock::now(); }

bool EscapeTypedAhead() {
    if (!ScreenStarted()) return false;
    if (EndSignal()) exit_editor(ENDED_SAVED);   // a long repetition is no reason to wait
    auto now = std::chrono::steady_clock::now();
    if (now - g_lastLook < std::chrono::milliseconds(100)) return false;
    g_lastLook = now;
    RefreshScreen();   // what the repetition drew so far, and the copy a resize needs
    Term().set_nodelay(true);
    bool escape = false;
    while (!escape && g_pendingCount < PENDING_KEY_SIZE) {
        KeyCode key = Term().read_key();
        if (key == TERM_NO_KEY) break;
        if (key == TERM_RESIZE) adopt_resize(true);
        else if (key == ESC) escape = true;
        else QueuePendingKey(key);
    }
    Term().set_nodelay(false);
    return escape;
}

MouseEvent ReadMouseEvent(int32_t& col, int32_t& row) {
    int32_t y = 0, x = 0;
    MouseReport report = Term().read_mouse(y, x);
    if (report == MouseReport::None) return MouseEvent::Ignored;
    // The terminal passes on whatever it was told, negative or past the end.
    if (x < 0 || x >= ScreenColumns || y < 0 || y >= ScreenRows) return MouseEvent::Ignored;
    col = x;
    row = y;
    switch (report) {
    case MouseReport::DoubleClick: return MouseEvent::DoubleClick;
    case MouseReport::Click: return MouseEvent::Click;
    case MouseReport::Release: return MouseEvent::Ignored;   // the end of a click already taken
    default: return MouseEvent::Unsupported;
    }
}

void WaitForEnter() {
    while (ReadPanelKey() != ENTER) Beep();
}

}  // namespace qx
