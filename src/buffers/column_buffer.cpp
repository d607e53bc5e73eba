#include "buffers/column_buffer.h"

namespace qx {

FileText ColumnBuffer;

void column_buffer_init() {
    list_init(ColumnBuffer.lines);
    ColumnBuffer.format = 'u';
}

void release_column_buffer() { list_free_all(ColumnBuffer.lines); }

}  // namespace qx
