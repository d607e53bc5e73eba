// The undo history shared by all files: items, queues, macro groups, and the
// recording of every change that can be undone.
#pragma once

#include <cstdint>

#include "store/line.h"

namespace qx {

// True while an undo step runs: changes it makes are not recorded.
bool undo_in_progress();

void undo_init();
void flush_undo();
void begin_undo_macro(int32_t command, int32_t line, int32_t column);
void end_undo_macro();
int32_t undo_items();
int32_t undo_steps();

// Recording of changes, one operation per kind of change. Each takes the 0-based
// index of the changed line in the current file and the column of the change.
void push_undo_del_char(char c, int32_t line, int32_t column);
void push_undo_del_eol(const char* text, int32_t length, int32_t line, int32_t column);
void push_undo_del_line(Line* removed, bool last_line, int32_t line, int32_t column);
void push_undo_del_text(const char* text, int32_t count, int32_t line, int32_t column);
void push_undo_type_char(char c, int32_t mode, int32_t line, int32_t column);
void push_undo_ins_lines(int32_t command, int32_t count, int32_t line, int32_t column);

void undo_step();   // u

}  // namespace qx
