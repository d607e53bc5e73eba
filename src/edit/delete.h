// Deletion and joining in the current file.
#pragma once

#include <cstdint>

#include "store/line.h"

namespace qx {

void del_char();    // D
void rubout();      // #
void del_left();    // d
void del_right();   // k
void del_line();    // l

// Joins the next line onto the current one; false when it could not.
bool join_lines();
// Removes columns a..b of a line, and redraws its screen row when row is on screen;
// the caller puts the cursor back.
void delete_range(Line* line, int32_t a, int32_t b, int32_t row);

}  // namespace qx
