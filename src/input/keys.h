// The key reader: every key the editor consumes passes through ReadKey, which
// decodes escape sequences, function, keypad, cursor and control keys into the
// command letters of the command table.
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

// Curses key codes the editor uses (fixed values, so tables need no curses header).
inline constexpr KeyCode CODE_DOWN = 258, CODE_UP = 259, CODE_LEFT = 260, CODE_RIGHT = 261;
inline constexpr KeyCode CODE_HOME = 262, CODE_BACKSPACE = 263, CODE_F1 = 265;
inline constexpr KeyCode CODE_DC = 330, CODE_IC = 331, CODE_NPAGE = 338, CODE_PPAGE = 339;
inline constexpr KeyCode CODE_ENTER = 343, CODE_B2 = 350, CODE_END = 360, CODE_FIND = 362;
inline constexpr KeyCode CODE_SELECT = 385, CODE_SLEFT = 393, CODE_SRIGHT = 402, CODE_MOUSE = 409;

inline constexpr int32_t STARTUP_QUEUE_SIZE = 32;
inline constexpr int32_t PENDING_KEY_SIZE = 32;
inline constexpr int ESC = 27;
inline constexpr int ENTER = 10;

// Keys queued before the terminal is read (the start-up options).
void QueueStartupKey(KeyCode key);
int32_t QueuedKeyCount();
// Keys typed ahead of their turn: read from the terminal early, they are served
// before the terminal is read again.
void QueuePendingKey(KeyCode key);

int ReadKey();
// Forgets queued and pending keys: the reader as at start-up.
void reset_key_reader();
KeyCode ReadRawKey();
int DecodeEscape();
int DecodeKey(KeyCode key);
int MapControlKey(KeyCode key);
int MapSpecialKey(KeyCode key);
void WaitForEnter();
// The key a panel or menu waits for. While a counted command repeats, an ESC typed
// at the terminal ends the repetition (StopRepeating) and answers as Enter.
int ReadPanelKey();
// While a counted command repeats: looks at the terminal, at most every 100 ms and
// without waiting. True when an ESC was typed; other keys are kept, in order.
bool EscapeTypedAhead();

// The pending mouse event and where it happened, on the editor's own screen: a
// report outside it is ignored. A button's release after its press is no event
// of its own.
enum class MouseEvent { Click, DoubleClick, Ignored, Unsupported };
MouseEvent ReadMouseEvent(int32_t& col, int32_t& row);

// Curses codes for keys the escape table knows by another code: modified cursor
// keys as their shifted forms, the application keypad's keys as the keypad codes,
// keypad Enter as Enter.
KeyCode NormaliseCursesKey(KeyCode key);

}  // namespace qx
