#include "undo/undo.h"

#include <cstdint>
#include <cstring>

#include "state/command_state.h"
#include "store/memory.h"

namespace qx {

namespace {

UndoQueue g_base{};
UndoQueue* g_current = &g_base;
// Queues that were current when macro groups opened; the top index counts down.
UndoQueue* g_groups[UNDO_GROUP_DEPTH];
int32_t g_groupTop = UNDO_GROUP_DEPTH;
int32_t g_inProgress = 1;

constexpr int32_t DEL_CHAR_COMMAND = command_index('D');
constexpr int32_t RUBOUT_COMMAND = command_index('#');
constexpr int32_t DEL_EOL_COMMAND = command_index('k');
constexpr int32_t DEL_LINE_COMMAND = command_index('l');
constexpr int32_t DELETE_WORD_COMMAND = command_index('W');
constexpr int32_t REPLACE_COMMAND = command_index('r');
constexpr int32_t WRAP_PARA_COMMAND = command_index('w');

UndoItem* newest() {
    return g_current->items.count ? static_cast<UndoItem*>(g_current->items.first) : nullptr;
}

// A new item whose data is a list of lines, for the caller to fill.
UndoItem* new_list_item(int32_t command, int32_t line, int32_t column, int32_t kind) {
    UndoItem* item = new_undo_item(command, line, column, kind);
    auto* list = valloc_record<LineList>();
    list_init(*list);
    item->data = list;
    return item;
}

LineList& saved_lines(UndoItem* item) { return *static_cast<LineList*>(item->data); }

// Copies of lines from first, through last or for n lines, whichever ends first.
void append_copies(LineList& list, const Line* first, const Line* last, uint32_t n = UINT32_MAX) {
    for (const Line* l = first; l && n > 0; l = l == last ? nullptr : next_line(l), --n)
        list_append(list, new_line(l->text(), l->length));
}

void free_line_list(LineList* list) {
    list_free_all(*list);
    vfree(list);
}

char* copy_bytes(const char* text, int32_t n) {
    auto* copy = static_cast<char*>(valloc(n > 0 ? n : 1));
    if (n > 0) std::memcpy(copy, text, n);
    return copy;
}

// A run item (typed or deleted characters) takes one more character when it is
// the newest item of its kind and command, on the same line, and the columns follow on.
bool extend_run(int32_t kind, int32_t command, char c, int32_t line, int32_t column) {
    UndoItem* item = newest();
    if (!item || item->kind != kind || item->count >= item->capacity || item->command != command ||
        item->line != line)
        return false;
    bool follows = kind == UNDO_TYPE_CHAR        ? item->column + item->count == column
                   : command == DEL_CHAR_COMMAND ? item->column == column
                                                 : item->column == column + item->count;
    if (!follows) return false;
    static_cast<char*>(item->data)[item->count++] = c;
    ++item->steps;
    ++g_current->steps;
    return true;
}

void push_run(int32_t kind, int32_t command, char c, int32_t line, int32_t column) {
    if (extend_run(kind, command, c, line, column)) return;
    UndoItem* item = new_undo_item(command, line, column, kind);
    item->capacity = UNDO_RUN_CAPACITY;
    auto* run = static_cast<char*>(valloc(UNDO_RUN_CAPACITY));
    run[0] = c;
    item->data = run;
    push_undo(item);
    ++g_current->steps;
}

void push_single(UndoItem* item) {
    push_undo(item);
    ++g_current->steps;
}

}  // namespace

bool undo_in_progress() { return g_inProgress == 2; }
void set_undo_in_progress(bool on) { g_inProgress = on ? 2 : 1; }

void undo_init() {
    g_current = &g_base;
    list_init(g_base.items);
    g_base.steps = 0;
    g_base.state = 0;
    g_groupTop = UNDO_GROUP_DEPTH;
    g_inProgress = 1;
}

void reset_undo() {
    g_current = &g_base;   // flushing the base queue frees every group nested in it
    flush_undo();
    undo_init();
}

UndoQueue& current_undo_queue() { return *g_current; }
void set_current_undo_queue(UndoQueue& queue) { g_current = &queue; }

UndoItem* new_undo_item(int32_t command, int32_t line, int32_t column, int32_t kind) {
    auto* item = valloc_record<UndoItem>();
    item->steps = 1;
    item->count = 1;
    item->capacity = 1;
    item->lastLine = 0;
    item->command = command;
    item->line = line;
    item->column = column;
    item->kind = kind;
    item->data = nullptr;
    return item;
}

void push_undo(UndoItem* item) {
    int32_t status = 0;
    LineList& items = g_current->items;
    list_insert_after(items, &items, item, status);
    if (items.count > static_cast<uint32_t>(UNDO_QUEUE_LIMIT)) {
        auto* oldest = static_cast<UndoItem*>(list_remove(items, items.last, status));
        g_current->steps -= oldest->steps;
        free_undo_item(oldest);
    }
}

void free_undo_item(UndoItem* item) {
    switch (item->kind) {
    case UNDO_DEL_CHAR:
    case UNDO_DEL_EOL:
    case UNDO_REPLACE:
    case UNDO_DEL_TEXT:
    case UNDO_TYPE_CHAR:
        vfree(item->data);
        break;
    case UNDO_DEL_LINE:
        for (Line* line = static_cast<Line*>(item->data); line;) {
            Line* next = next_line(line);
            free_line(line);
            line = next;
        }
        break;
    case UNDO_CUT_LINES:
    case UNDO_WRAP_PARA:
    case UNDO_COL_PASTE:
    case UNDO_COL_DELETE:
        if (item->data) free_line_list(static_cast<LineList*>(item->data));
        break;
    case UNDO_MACRO:
        if (auto* nested = static_cast<UndoQueue*>(item->data)) {
            UndoQueue* previous = g_current;
            g_current = nested;
            flush_undo();
            g_current = previous;
            vfree(nested);
        }
        break;
    default:
        break;
    }
    vfree(item);
}

void flush_undo() {
    LineList& items = g_current->items;
    if (items.count == 0) return;
    int32_t status = 0;
    while (items.count > 0) free_undo_item(static_cast<UndoItem*>(list_remove(items, items.first, status)));
    list_init(items);
    g_current->steps = 0;
    g_current->state = 'f';
}

void begin_undo_macro(int32_t command, int32_t line, int32_t column) {
    auto* group = valloc_record<UndoQueue>();
    list_init(group->items);
    group->steps = 0;
    group->state = 'n';
    UndoItem* item = new_undo_item(command, line, column, UNDO_MACRO);
    item->data = group;
    push_single(item);
    g_groups[g_groupTop == 0 ? 0 : g_groupTop - 1] = g_current;
    if (g_groupTop > 0) --g_groupTop;
    g_current = group;
}

const char* end_undo_macro() {
    if (g_current == &g_base) {
        flush_undo();
        return "Undo Macro - Wrong Queue";
    }
    if (g_current->state == 'f') flush_undo();
    if (g_groupTop == UNDO_GROUP_DEPTH) {
        g_current = &g_base;
        return "Undo Macro - No Undo Queue";
    }
    g_current = g_groups[g_groupTop++];
    return nullptr;
}

int32_t undo_items() { return static_cast<int32_t>(g_current->items.count); }
int32_t undo_steps() { return g_current->steps; }
int64_t undo_memory() { return int64_t(undo_items()) * UNDO_ITEM_BYTES; }

void push_undo_del_char(char c, int32_t line, int32_t column) {
    int32_t command = CurrentCommandKey == 'D' ? DEL_CHAR_COMMAND : RUBOUT_COMMAND;
    push_run(UNDO_DEL_CHAR, command, c, line, column);
}

void push_undo_type_char(char c, int32_t mode, int32_t line, int32_t column) {
    push_run(UNDO_TYPE_CHAR, mode, c, line, column);
}

void push_undo_del_eol(const char* text, int32_t length, int32_t line, int32_t column) {
    UndoItem* item = new_undo_item(DEL_EOL_COMMAND, line, column, UNDO_DEL_EOL);
    item->data = copy_bytes(text, length);
    item->count = length;
    push_single(item);
}

void push_undo_del_line(Line* removed, bool last_line, int32_t line, int32_t column) {
    UndoItem* item = newest();
    if (!last_line && item && item->kind == UNDO_DEL_LINE && item->line == line) {
        removed->next = static_cast<Line*>(item->data);
        item->data = removed;
        ++item->count;
        ++item->steps;
        ++g_current->steps;
        return;
    }
    item = new_undo_item(DEL_LINE_COMMAND, line, column, UNDO_DEL_LINE);
    removed->next = nullptr;
    item->data = removed;
    item->lastLine = last_line ? 1 : 0;
    push_single(item);
}

void push_undo_del_text(const char* text, int32_t count, int32_t line, int32_t column) {
    UndoItem* item = new_undo_item(DELETE_WORD_COMMAND, line, column, UNDO_DEL_TEXT);
    item->data = copy_bytes(text, count);
    item->count = count;
    push_single(item);
}

void push_undo_ins_lines(int32_t command, int32_t count, int32_t line, int32_t column) {
    UndoItem* item = new_undo_item(command, line, column, UNDO_INS_LINES);
    item->count = count;
    push_single(item);
}

const char* push_undo_replace(const char* found, int32_t found_length, const char* replacement,
                              int32_t replacement_length, int32_t line, int32_t column) {
    if (found_length >= UNDO_STRING_LIMIT || replacement_length >= UNDO_STRING_LIMIT || found_length < 0 ||
        replacement_length < 0)
        return "Push Undo Error: strings too long";
    auto* saved = valloc_record<UndoReplaceData>();
    saved->foundLength = found_length;
    std::memcpy(saved->found, found, found_length);
    saved->replacementLength = replacement_length;
    std::memcpy(saved->replacement, replacement, replacement_length);
    UndoItem* item = new_undo_item(REPLACE_COMMAND, line, column, UNDO_REPLACE);
    item->data = saved;
    push_single(item);
    return nullptr;
}

void push_undo_cut_lines(int32_t command, LineList& lines, bool take, bool at_end, int32_t line, int32_t column) {
    UndoItem* item = new_list_item(command, line, column, UNDO_CUT_LINES);
    item->lastLine = at_end ? 1 : 0;
    if (take) list_append_all(saved_lines(item), lines);
    else append_copies(saved_lines(item), first_line(lines), nullptr);
    push_single(item);
}

void push_undo_wrap_para(const Line* first, const Line* last, int32_t line, int32_t column) {
    UndoItem* item = new_list_item(WRAP_PARA_COMMAND, line, column, UNDO_WRAP_PARA);
    append_copies(saved_lines(item), first, last);
    item->count = 0;
    push_single(item);
}

void push_undo_col_paste(int32_t command, const LineList& pieces, int32_t count, int32_t line, int32_t column) {
    UndoItem* item = new_list_item(command, line, column, UNDO_COL_PASTE);
    append_copies(saved_lines(item), first_line(pieces), nullptr, static_cast<uint32_t>(count));
    push_single(item);
}

void push_undo_col_delete(int32_t command, LineList& pieces, int32_t line, int32_t column) {
    UndoItem* item = new_list_item(command, line, column, UNDO_COL_DELETE);
    list_append_all(saved_lines(item), pieces);
    push_single(item);
}

const char* update_undo_wrap_para(int32_t count) {
    UndoItem* item = newest();
    if (!item) return "update_undo_wrap_para - no action";
    if (item->kind != UNDO_WRAP_PARA) return "update_undo_wrap_para - wrong type";
    item->count = count;
    return nullptr;
}

}  // namespace qx
