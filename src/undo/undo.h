// The undo history shared by all files: items, queues, macro groups and the
// recording of every change that can be undone. Undoing is the command layer's
// (edit/undo_actions.h): this code neither draws nor edits.
#pragma once

#include <cstdint>

#include "store/line.h"

namespace qx {

enum UndoKind : int32_t {
    UNDO_DEL_CHAR = 0,
    UNDO_DEL_EOL,
    UNDO_DEL_LINE,
    UNDO_CUT_LINES,
    UNDO_REPLACE,
    UNDO_INS_LINES,
    UNDO_DEL_TEXT,
    UNDO_TYPE_CHAR,
    UNDO_WRAP_PARA,
    UNDO_MACRO,
    UNDO_COL_PASTE,
    UNDO_COL_DELETE,
};
inline constexpr int32_t UNDO_KIND_COUNT = UNDO_COL_DELETE + 1;
inline constexpr int32_t UNDO_QUEUE_LIMIT = 128;
inline constexpr int32_t UNDO_RUN_CAPACITY = 82;
inline constexpr int32_t UNDO_GROUP_DEPTH = 16;
inline constexpr int32_t UNDO_ITEM_BYTES = 52;   // what "Memory In Use" charges per item
inline constexpr int32_t UNDO_STRING_LIMIT = 80;

// One recorded change. Items locate their line by index in the current file.
struct UndoItem : ListLink {
    int32_t steps;      // undo steps the item still stands for
    int32_t lastLine;   // UNDO_DEL_LINE: the deleted line was the last of several
    int32_t command;    // index of the command that made the change; typing mode for UNDO_TYPE_CHAR
    int32_t line;
    int32_t column;
    int32_t kind;
    int32_t capacity;
    int32_t count;
    void* data;         // owned by the item
};

// A queue of items, newest first.
struct UndoQueue {
    LineList items;
    int32_t steps;
    char state;   // 'n' created as a macro group, 'f' flushed while it held items
};

// The saved strings of a replacement.
struct UndoReplaceData {
    int32_t foundLength;
    char found[UNDO_STRING_LIMIT];
    int32_t replacementLength;
    char replacement[UNDO_STRING_LIMIT];
};

// True while an undo step runs: changes it makes are not recorded.
bool undo_in_progress();
void set_undo_in_progress(bool on);

void undo_init();
// Frees the whole history, open macro groups included, and starts afresh.
void reset_undo();
UndoItem* new_undo_item(int32_t command, int32_t line, int32_t column, int32_t kind);
void push_undo(UndoItem* item);
void free_undo_item(UndoItem* item);
void flush_undo();
void begin_undo_macro(int32_t command, int32_t line, int32_t column);
// Closes the newest macro group. Returns what went wrong for the caller to show,
// or null.
const char* end_undo_macro();
UndoQueue& current_undo_queue();
void set_current_undo_queue(UndoQueue& queue);
int32_t undo_items();
int32_t undo_steps();
int64_t undo_memory();

// Recording of changes, one operation per kind of change. Each takes the 0-based
// index of the changed line in the current file and the column of the change.
void push_undo_del_char(char c, int32_t line, int32_t column);
void push_undo_del_eol(const char* text, int32_t length, int32_t line, int32_t column);
void push_undo_del_line(Line* removed, bool last_line, int32_t line, int32_t column);
void push_undo_del_text(const char* text, int32_t count, int32_t line, int32_t column);
void push_undo_type_char(char c, int32_t mode, int32_t line, int32_t column);
void push_undo_ins_lines(int32_t command, int32_t count, int32_t line, int32_t column);
// Records nothing and returns the complaint for the caller to show when a string
// does not fit its item; null when recorded.
const char* push_undo_replace(const char* found, int32_t found_length, const char* replacement,
                              int32_t replacement_length, int32_t line, int32_t column);

// Copies of the removed lines; with take the lines themselves move into the item
// and `lines` is left empty. at_end: they were the last lines of the file, after others.
void push_undo_cut_lines(int32_t command, LineList& lines, bool take, bool at_end, int32_t line, int32_t column);
// Copies of a paragraph's lines before it is rewrapped; its new line count follows
// with update_undo_wrap_para, which returns what went wrong for the caller to show, or null.
void push_undo_wrap_para(const Line* first, const Line* last, int32_t line, int32_t column);
const char* update_undo_wrap_para(int32_t count);
// Copies of the first `count` pieces of a column paste: those that went in.
void push_undo_col_paste(int32_t command, const LineList& pieces, int32_t count, int32_t line, int32_t column);
// The pieces of a column area about to be deleted (copied as the column Copy
// does); they move into the item and `pieces` is left empty.
void push_undo_col_delete(int32_t command, LineList& pieces, int32_t line, int32_t column);

}  // namespace qx
