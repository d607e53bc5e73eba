#include "buffers/line_buffer.h"

namespace qx {

FileText LineBlockBuffer;
FileText SingleLineBuffer;

void release_line_buffers() {
    list_free_all(LineBlockBuffer.lines);
    list_free_all(SingleLineBuffer.lines);
}

}  // namespace qx
