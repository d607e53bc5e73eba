#include "files/startup.h"

#include <cstdlib>

#include "buffers/line_buffer.h"
#include "files/open_files.h"
#include "store/memory.h"
#include "store/text.h"
#include "undo/undo.h"

namespace qx {

void editor_exit(int32_t status) {
    save_file_state(OpenFiles.currentIndex);
    close_all_files();
    release_line_buffers();
    flush_undo();
    release_memory_reserve();
    std::exit(status);
}

}  // namespace qx
