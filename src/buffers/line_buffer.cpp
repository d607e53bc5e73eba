#include "buffers/line_buffer.h"

#include <utility>

#include "buffers/column_buffer.h"

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

void swap_block_and_column_buffers() {
    // The first line of a list points back at its header, so the lists move over
    // rather than being copied.
    LineList held;
    list_init(held);
    list_append_all(held, LineBlockBuffer.lines);
    list_append_all(LineBlockBuffer.lines, ColumnBuffer.lines);
    list_append_all(ColumnBuffer.lines, held);
    std::swap(LineBlockBuffer.charCount, ColumnBuffer.charCount);
    std::swap(LineBlockBuffer.lineCount, ColumnBuffer.lineCount);
    std::swap(LineBlockBuffer.checksum, ColumnBuffer.checksum);
    std::swap(LineBlockBuffer.fingerprint, ColumnBuffer.fingerprint);
}

}  // namespace qx
