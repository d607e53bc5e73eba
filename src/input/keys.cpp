#include "input/keys.h"

namespace qx {

namespace {
KeyCode g_queue[STARTUP_QUEUE_SIZE];
int32_t g_queued = 0;
int32_t g_next = 0;
}  // namespace

void QueueStartupKey(KeyCode key) {
    if (g_next + g_queued < STARTUP_QUEUE_SIZE) g_queue[g_next + g_queued++] = key;
}

int ReadKey() {
    if (g_queued > 0) {
        --g_queued;
        return g_queue[g_next++];
    }
    g_next = 0;
    return '\n';   // no terminal yet: an Enter answers whatever was asked
}

}  // namespace qx
