// The line block buffer and the single line buffer: lists of whole lines that
// belong to no file and survive file switches.
#pragma once

#include "store/text.h"

namespace qx {

extern FileText LineBlockBuffer;
extern FileText SingleLineBuffer;
extern bool SingleLineCut;   // set only while CutLine runs

// Releases the single line buffer's lines, keeping its cut flag.
void clear_single_line_buffer();
// Appends a copy of a line to a buffer.
void append_line_copy(FileText& buffer, const Line* line);
void release_line_buffers();
// Swaps the lines (and stored counts) of the line block buffer and the column
// buffer. Each keeps its format slot: the line buffers' is never 'u', which is
// what "Memory In Use" charges them by.
void swap_block_and_column_buffers();

}  // namespace qx
