#include "undo/undo.h"

#include "input/dispatch.h"
#include "store/memory.h"

namespace qx {

// The history records nothing yet: recorded lines are released at once, and
// the undo command is not available.
bool undo_in_progress() { return false; }
void undo_init() {}
void flush_undo() {}
void begin_undo_macro(int32_t, int32_t, int32_t) {}
void end_undo_macro() {}
int32_t undo_items() { return 0; }
int32_t undo_steps() { return 0; }
void push_undo_del_char(char, int32_t, int32_t) {}
void push_undo_del_eol(const char*, int32_t, int32_t, int32_t) {}
void push_undo_del_line(Line* removed, bool, int32_t, int32_t) { free_line(removed); }
void push_undo_del_text(const char*, int32_t, int32_t, int32_t) {}
void push_undo_type_char(char, int32_t, int32_t, int32_t) {}
void push_undo_ins_lines(int32_t, int32_t, int32_t, int32_t) {}
void undo_step() { command_not_built(); }

}  // namespace qx
