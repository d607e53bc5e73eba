// The column buffer: a rectangular area of text, one piece per line.
#pragma once

#include "store/text.h"

namespace qx {

extern FileText ColumnBuffer;

void column_buffer_init();
void release_column_buffer();

}  // namespace qx
