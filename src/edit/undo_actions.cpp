#include "edit/undo_actions.h"

#include <algorithm>
#include <cstring>

#include "edit/column_area.h"
#include "edit/delete.h"
#include "edit/line_block.h"
#include "edit/motion.h"
#include "edit/typing.h"
#include "options/options.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/text.h"
#include "undo/undo.h"

namespace qx {

namespace {

FileView& view() { return CurrentFile.view; }
LineList& lines() { return CurrentFile.text.lines; }

// Makes the line the item names current, with the cursor at column, brought into view.
void go_to_item(const UndoItem* item, int32_t column) {
    line_commit();
    CurrentFile.currentLine = LineAtIndex(item->line);
    ResetLineNumberCache();
    ShowCursorAt(column);
}

// Ends a step of an item: a run item or line chain gives up one step and goes
// when none is left; every other item goes at once.
void finish_step(UndoItem* item, bool one_of_many) {
    UndoQueue& queue = current_undo_queue();
    --queue.steps;
    if (one_of_many) {
        --item->steps;
        if (--item->count > 0) return;
    }
    int32_t status = 0;
    list_remove(queue.items, item, status);
    free_undo_item(item);
}

// After lines came or went: the view rebuilt around the cursor's row, the item gone.
void finish_lines_step(UndoItem* item) {
    ResetLineNumberCache();
    FrameCurrentLine(view().cursorRow);
    RedrawFromCursor();
    finish_step(item, false);
}

void redraw_from(int32_t column) { RedrawLineFrom(CurrentFile.currentLine, view().cursorRow, column); }

void undo_del_char(UndoItem* item) {
    bool rubout = item->command == command_index('#');
    go_to_item(item, rubout ? item->column - item->count + 1 : item->column);
    int32_t auto_indent = Options.autoIndent, mode = Mode;
    Options.autoIndent = 0;
    Mode = MODE_INSERT;
    TypeChar(static_cast<char*>(item->data)[item->count - 1]);
    if (!rubout) cursor_left();
    Options.autoIndent = auto_indent;
    Mode = mode;
    line_commit();
    finish_step(item, true);
}

void undo_del_eol(UndoItem* item) {
    go_to_item(item, item->column);
    line_load();
    int32_t end = LineEditBuffer.length;
    int32_t n = std::min(item->count, MAX_LINE - end);
    std::memcpy(LineEditBuffer.text + end, item->data, std::max(n, 0));
    LineEditBuffer.length = end + std::max(n, 0);
    line_commit();
    redraw_from(end);
    PlaceCursor();
    finish_step(item, false);
}

void undo_del_line(UndoItem* item) {
    line_commit();
    CurrentFile.currentLine = LineAtIndex(item->line);
    ResetLineNumberCache();
    ShowCursorAt(view().cursorColumn);
    ListLink* after;
    if (item->lastLine) {
        after = CurrentFile.currentLine;
        if (view().cursorRow < ScreenRows - 1) {
            ++view().cursorRow;
        } else {
            DeleteScreenLine(FIRST_TEXT_ROW);
            view().topLine = next_line(view().topLine);
        }
    } else {
        after = CurrentFile.currentLine->prev;
    }
    int32_t row = view().cursorRow;
    if (row == ScreenRows - 1) {
        MoveTo(GetLeftColumn(), row);
        ClearRow(row);
    } else {
        InsertScreenLine(row);
    }
    Line* restored = static_cast<Line*>(item->data);
    item->data = next_line(restored);
    int32_t status = 0;
    list_insert_after(lines(), after, restored, status);
    CurrentFile.currentLine = restored;
    DrawLineAt(GetLeftColumn(), row, false, restored->text(), restored->length, 0);
    FrameCurrentLine(row);
    view().cursorColumn = item->column;
    PlaceCursor();
    ResetLineNumberCache();
    finish_step(item, true);
}

void undo_ins_lines(UndoItem* item) {
    go_to_item(item, item->column);
    for (int32_t i = 0; i < item->count; ++i) {
        Line* line = CurrentFile.currentLine;
        Line* next = next_line(line);
        if (!next && lines().count == 1) break;   // a file keeps at least one line
        int32_t status = 0;
        list_remove(lines(), line, status);
        if (view().topLine == line) view().topLine = next ? next : prev_line(line);
        free_line(line);
        if (!next) {
            CurrentFile.currentLine = last_line(lines());
            if (view().cursorRow > FIRST_TEXT_ROW) --view().cursorRow;
            break;
        }
        CurrentFile.currentLine = next;
    }
    finish_lines_step(item);
}

// The saved lines go back in before the line that followed them, or after the
// last line when they were the end of the file.
void undo_cut_lines(UndoItem* item) {
    go_to_item(item, item->column);
    paste_line_list(*static_cast<LineList*>(item->data), item->lastLine ? PastePlace::After : PastePlace::Before);
    finish_step(item, false);
}

// The paragraph's lines since the wrap give way to the saved ones, which pass to the file.
void undo_wrap_para(UndoItem* item) {
    go_to_item(item, 0);
    ListLink* before = CurrentFile.currentLine->prev;
    int32_t status = 0;
    Line* line = CurrentFile.currentLine;
    for (int32_t i = 0; i < item->count && line; ++i) {
        Line* next = next_line(line);
        list_remove(lines(), line, status);
        free_line(line);
        line = next;
    }
    auto* saved = static_cast<LineList*>(item->data);   // never empty: a paragraph has a line
    CurrentFile.currentLine = first_line(*saved);
    while (Line* restored = first_line(*saved)) {
        list_remove(*saved, restored, status);
        list_insert_after(lines(), before, restored, status);
        before = restored;
    }
    finish_lines_step(item);
}

void undo_del_text(UndoItem* item) {
    go_to_item(item, item->column);
    line_load();
    int32_t col = item->column, n = item->count;
    if (col > LineEditBuffer.length) LineEditBuffer.length = col;
    n = std::min(n, EDIT_BUFFER_SIZE - LineEditBuffer.length);
    char* at = LineEditBuffer.text + col;
    std::memmove(at + n, at, LineEditBuffer.length - col);
    std::memcpy(at, item->data, n);
    LineEditBuffer.length += n;
    line_commit();
    redraw_from(col);
    PlaceCursor();
    finish_step(item, false);
}

// The found text goes back in place of the replacement.
void undo_replace(UndoItem* item) {
    const auto* saved = static_cast<const UndoReplaceData*>(item->data);
    go_to_item(item, item->column);
    line_load();
    char* text = LineEditBuffer.text;
    int32_t col = std::min(item->column, EDIT_BUFFER_SIZE - saved->foundLength);
    int32_t length = std::max(LineEditBuffer.length, col);
    int32_t after = std::min(col + saved->replacementLength, length);
    int32_t rest = std::min(length - after, EDIT_BUFFER_SIZE - col - saved->foundLength);
    std::memmove(text + col + saved->foundLength, text + after, rest);
    std::memcpy(text + col, saved->found, saved->foundLength);
    int32_t new_length = col + saved->foundLength + rest;
    if (new_length < length) std::memset(text + new_length, ' ', length - new_length);
    LineEditBuffer.length = new_length;
    line_commit();
    redraw_from(col);
    PlaceCursor();
    finish_step(item, false);
}

void undo_type_char(UndoItem* item) {
    int32_t position = item->column + item->count - 1;
    char saved = static_cast<char*>(item->data)[item->count - 1];
    go_to_item(item, position);
    line_load();
    if (item->command == MODE_INSERT) {
        TypingMode = Mode = MODE_INSERT;
        const Line* line = CurrentFile.currentLine;
        int32_t extra = 0;
        if (LineEditBuffer.length > 0 && position == LineEditBuffer.length && Options.autoIndent) {
            extra = leading_blanks(line);
            if (const Line* next = next_line(line); next && next->length < extra) extra = 0;
        }
        for (int32_t i = 0; i <= extra; ++i) {
            view().cursorColumn = position;
            del_char();
        }
    } else {
        TypingMode = Mode = MODE_OVERWRITE;
        LineEditBuffer.text[position - 1] = saved;
        Line* stored = CurrentFile.currentLine;
        if (position - 1 < stored->length) {
            note_text_change();
            stored->text()[position - 1] = saved;
        }
        rubout();
    }
    UpdateStatus(true, 0, TypingMode);
    line_commit();
    finish_step(item, true);
}

void undo_macro(UndoItem* item) {
    go_to_item(item, item->column);
    auto* nested = static_cast<UndoQueue*>(item->data);
    if (nested->steps == 0) {
        ShowMessage("Nothing to undo, or unsupported cmds");
    } else {
        UndoQueue& enclosing = current_undo_queue();
        set_current_undo_queue(*nested);
        while (nested->steps > 0 && nested->items.count > 0) undo_step();
        set_current_undo_queue(enclosing);
    }
    finish_step(item, false);
}

// Each pasted piece comes out of its line again; a line that got no piece has an
// empty one, or too little text at the column for the deletion to find.
void undo_col_paste(UndoItem* item) {
    go_to_item(item, item->column);
    const auto& saved = *static_cast<const LineList*>(item->data);
    int32_t row = view().cursorRow, widest = 0;
    Line* line = CurrentFile.currentLine;
    for (const Line* piece = first_line(saved); piece && line; piece = next_line(piece), ++row) {
        widest = std::max(widest, piece->length.get());
        if (piece->length > 0) delete_range(line, item->column, item->column + piece->length - 1, row);
        line = next_line(line);
    }
    show_area_size(widest, static_cast<int32_t>(saved.count), " deleted");
    PlaceCursor();
    finish_step(item, false);
}

// The removed area goes back by the Paste rule, whatever column action ran last.
void undo_col_delete(UndoItem* item) {
    go_to_item(item, item->column);
    Line* line = CurrentFile.currentLine;
    ColumnArea area{line, line, 1, item->column, item->column, 'P', static_cast<int32_t>(COLUMN_CHOICES.find('P')), 0};
    column_paste(*static_cast<const LineList*>(item->data), area);
    finish_step(item, false);
}

using UndoAction = void (*)(UndoItem*);

constexpr UndoAction action_for(int32_t kind) {
    switch (kind) {
    case UNDO_DEL_CHAR: return undo_del_char;
    case UNDO_DEL_EOL: return undo_del_eol;
    case UNDO_DEL_LINE: return undo_del_line;
    case UNDO_REPLACE: return undo_replace;
    case UNDO_CUT_LINES: return undo_cut_lines;
    case UNDO_INS_LINES: return undo_ins_lines;
    case UNDO_DEL_TEXT: return undo_del_text;
    case UNDO_TYPE_CHAR: return undo_type_char;
    case UNDO_WRAP_PARA: return undo_wrap_para;
    case UNDO_MACRO: return undo_macro;
    case UNDO_COL_PASTE: return undo_col_paste;
    case UNDO_COL_DELETE: return undo_col_delete;
    default: return nullptr;
    }
}

}  // namespace

void undo_step() {
    UndoQueue& queue = current_undo_queue();
    if (queue.items.count == 0) {
        if (RepeatCount >= 2) RepeatCount = 1;
        if (Iteration <= 1) ShowMessage("No undo actions available");
        return;
    }
    set_undo_in_progress(true);
    auto* item = static_cast<UndoItem*>(queue.items.first);
    UndoAction action = item->kind >= 0 && item->kind < UNDO_KIND_COUNT ? action_for(item->kind) : nullptr;
    if (action) action(item);
    else ShowMessage("Unknown Undo Type!");
    set_undo_in_progress(false);
    PlaceCursor();
}

}  // namespace qx
