// The key reader: every key the editor consumes passes through ReadKey.
#pragma once

#include <cstdint>

namespace qx {

using KeyCode = int32_t;

inline constexpr int32_t STARTUP_QUEUE_SIZE = 32;

// Keys queued before the terminal is read (start-up options, tests).
void QueueStartupKey(KeyCode key);
int ReadKey();

}  // namespace qx
