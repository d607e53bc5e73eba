// The key reader: every key the editor consumes passes through ReadKey, which
// decodes escape sequences, function, keypad, cursor and control keys into the
// command letters of the command table.
#pragma once

#include <cstdint>
#include <span>

#include "screen/terminal.h"

namespace qx {

inline constexpr int32_t STARTUP_QUEUE_SIZE = 32;
inline constexpr int32_t PENDING_KEY_SIZE = 32;

// Keys queued before the terminal is read (the start-up options).
void QueueStartupKey(KeyCode key);
int32_t QueuedKeyCount();
// Keys typed ahead of their turn: read from the terminal early, they are served
// before the terminal is read again.
void QueuePendingKey(KeyCode key);

// One key as the dispatcher or the typing code receives it, decoded from raw
// keys: escape sequences, control keys, function, keypad and cursor keys. Pure:
// the caller applies the mode and rings the bell.
struct DecodedKey {
    int key;           // a typed character, or a command letter in command mode
    int32_t mode;      // Mode afterwards
    int32_t taken;     // raw keys used; 0 when the sequence goes on past them
    bool beep;         // the key was refused
};
DecodedKey DecodeKeys(std::span<const KeyCode> raw, int32_t mode);

int ReadKey();
// Forgets queued and pending keys: the reader as at start-up.
void reset_key_reader();
KeyCode ReadRawKey();
// Decodes the key that starts with `first`, reading the rest of its sequence.
int DecodeKey(KeyCode first);
void WaitForEnter();
// The key a panel or menu waits for. While a counted command repeats, an ESC typed
// at the terminal ends the repetition (StopRepeating) and answers as Enter.
int ReadPanelKey();
// While a counted command repeats or a macro plays: looks at the terminal, at most every 100 ms and
// without waiting. True when an ESC was typed; other keys are kept, in order.
bool EscapeTypedAhead();
// The next look is 100 ms away: keys typed just before a macro's playback started
// are its own, not a wish to stop it.
void DeferEscapeLook();

// The pending mouse event and where it happened, on the editor's own screen: a
// report outside it is ignored. A button's release after its press is no event
// of its own.
enum class MouseEvent { Click, DoubleClick, Ignored, Unsupported };
MouseEvent ReadMouseEvent(int32_t& col, int32_t& row);

}  // namespace qx
