// Paragraphs: their ends, ParaUp and ParaDown, and refilling them between the
// margins (WrapPara, the block Wrap, wrap while typing) with right justification.
#pragma once

#include <cstdint>

#include "store/line.h"

namespace qx {

inline constexpr char WRAP_MARKER = '\1';

// The first and last line of the paragraph a line belongs to; on an empty line,
// the start of the paragraph above and the end of the one below.
Line* paragraph_start(Line* line);
Line* paragraph_end(Line* line);

// Refills the lines first through last of the current file. Returns the number of
// lines they became (unchanged, with a message, when too dense to wrap).
int32_t wrap_lines(Line* first, Line* last);

void para_up();     // {
void para_down();   // }
void wrap_para();   // w
// Refills each paragraph from the block's first line through its last.
void block_wrap(Line* first, Line* last);

// Refills the current paragraph after a character was typed (0) or deleted (1)
// while text wrapping is on, keeping the cursor on its character.
void wrap_while_typing(int32_t deleting);

}  // namespace qx
