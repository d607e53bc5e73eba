#include "buffers/line_buffer.h"

namespace qx {

FileText LineBlockBuffer;
FileText SingleLineBuffer;
bool SingleLineCut = false;

void clear_single_line_buffer() { list_free_all(SingleLineBuffer.lines); }

void append_line_copy(FileText& buffer, const Line* line) {
    list_append(buffer.lines, new_line(line->text(), line->length));
}

void release_line_buffers() {
    list_free_all(LineBlockBuffer.lines);
    list_free_all(SingleLineBuffer.lines);
}

}  // namespace qx
