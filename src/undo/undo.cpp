#include "undo/undo.h"

namespace qx {

// The history records nothing yet, so there is nothing to release or undo.
bool undo_in_progress() { return false; }
void undo_init() {}
void flush_undo() {}
void end_undo_macro() {}
int32_t undo_items() { return 0; }
int32_t undo_steps() { return 0; }
void push_undo_type_char(char, int32_t, int32_t, int32_t) {}
void push_undo_ins_lines(int32_t, int32_t, int32_t, int32_t) {}

}  // namespace qx
