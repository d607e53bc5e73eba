// The undo history shared by all files.
#pragma once

#include <cstdint>

namespace qx {

// True while an undo step runs: changes it makes are not recorded.
bool undo_in_progress();

void undo_init();
void flush_undo();
void end_undo_macro();
int32_t undo_items();

// Recording of changes, one call per kind of change.
void push_undo_type_char(char c, int32_t mode, int32_t line, int32_t column);
void push_undo_ins_lines(int32_t command, int32_t count, int32_t line, int32_t column);
int32_t undo_steps();

}  // namespace qx
