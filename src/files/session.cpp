#include "files/session.h"

#include <cstdlib>

#include "buffers/column_buffer.h"
#include "buffers/line_buffer.h"
#include "files/open_files.h"
#include "screen/screen.h"
#include "store/memory.h"
#include "store/text.h"
#include "undo/undo.h"

namespace qx {

namespace {

bool g_startingUp = false;
bool g_lastArgument = false;

}  // namespace

bool StartingUp() { return g_startingUp; }
bool LastStartupArgument() { return g_lastArgument; }
void SetStartingUp(bool on) { g_startingUp = on; }
void SetLastStartupArgument(bool on) { g_lastArgument = on; }

void editor_exit(int32_t status) {
    save_file_state(OpenFiles.currentIndex);
    // Everything goes, so the allocator hands back its blocks whole instead of the
    // texts being freed line by line, which took long after a big file.
    if (!release_all_memory()) {
        close_all_files();
        release_line_buffers();
        release_column_buffer();
        flush_undo();
    }
    release_memory_reserve();
    if (ScreenStarted()) {
        ClearToBottom(ScreenRows - 2);
        RefreshScreen();
        EndScreen();
    }
    std::exit(status);
}

}  // namespace qx
