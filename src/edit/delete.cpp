#include "edit/delete.h"

#include <algorithm>
#include <cstring>

#include "buffers/line_buffer.h"
#include "edit/motion.h"
#include "edit/paragraph.h"
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
LineEditBufferState& buffer() { return LineEditBuffer; }

// Deletions record their own undo item only when they are the command that was
// typed: other commands (and undo) call them as building blocks.
bool typed_as(char letter) { return CurrentCommandKey == letter; }

// Removes the character under the cursor from the edit buffer and the screen.
void delete_under_cursor() {
    int32_t col = view().cursorColumn;
    char* at = buffer().text + col;
    std::memmove(at, at + 1, EDIT_BUFFER_SIZE - col - 1);
    buffer().text[EDIT_BUFFER_SIZE - 1] = ' ';
    --buffer().length;
    Line* line = CurrentFile.currentLine;
    if (line->length > 0) line->length -= 1;
    PlaceCursor();
    DeleteCharOnScreen();
    RefillLastColumn(buffer().text, buffer().length);
    PlaceCursor();
}

// Moves one column left inside the line, keeping the edit buffer as it is.
void step_left() {
    --view().cursorColumn;
    view().lastMotion = MOTION_LEFT;
    PlaceCursor();
}

void redraw_current_row() {
    RedrawLineFrom(CurrentFile.currentLine, view().cursorRow, GetLeftColumn());
    PlaceCursor();
}

// The removal steps of DelLine, shared with the join.
void remove_current_line() {
    line_commit();
    if (Iteration <= 1) clear_single_line_buffer();
    append_line_copy(SingleLineBuffer, CurrentFile.currentLine);

    bool several = lines().count > 1;
    bool was_last = next_line(CurrentFile.currentLine) == nullptr;
    if (was_last && several) {
        cursor_up();
        cursor_down();
    }
    Line* removed = CurrentFile.currentLine;
    int32_t index = CurrentLineIndex();
    int32_t row = view().cursorRow;
    Line* becomes = was_last ? prev_line(removed) : next_line(removed);
    Line* old_bottom = view().bottomLine;
    int32_t status = 0;
    list_remove(lines(), removed, status);
    DeleteScreenLine(row);
    if (typed_as('l')) push_undo_del_line(removed, was_last && several, index, view().cursorColumn);
    else free_line(removed);
    if (was_last && several) --row;
    if (!becomes) {
        becomes = new_line(nullptr, 0);
        list_append(lines(), becomes);
    }
    CurrentFile.currentLine = becomes;
    view().cursorRow = row;
    if (view().topLine == removed) view().topLine = becomes;
    PlaceCursor();
    FrameCurrentLine(view().cursorRow);
    int32_t bottom_row;
    if (view().bottomLine != old_bottom && FindLineRow(view().bottomLine, bottom_row)) {
        const Line* bottom = view().bottomLine;
        DrawLineAt(GetLeftColumn(), bottom_row, true, bottom->text(), bottom->length, 0);
    }
    ResetLineNumberCache();
}

}  // namespace

bool join_lines() {
    line_commit();
    Line* current = CurrentFile.currentLine;
    Line* next = next_line(current);
    if (!next) return false;
    if (current->length + next->length > MAX_LINE - 1) {
        ShowMessage("Can't join lines - lines too long");
        return false;
    }
    line_load();
    std::memcpy(buffer().text + current->length, next->text(), next->length);
    buffer().length = current->length + next->length;
    line_commit();
    int32_t meet = view().cursorColumn;
    if (view().cursorRow == ScreenRows - 1) {
        int32_t status = 0;
        list_remove(lines(), next, status);
        if (view().bottomLine == next) view().bottomLine = CurrentFile.currentLine;
        free_line(next);
    } else {
        cursor_down();
        bool removing_last = next_line(CurrentFile.currentLine) == nullptr;
        remove_current_line();
        if (!removing_last) cursor_up();
    }
    view().cursorColumn = meet;
    ResetLineNumberCache();
    redraw_current_row();
    return true;
}

void del_char() {
    line_load();
    int32_t col = view().cursorColumn;
    if (col > buffer().length) return;
    if (col == buffer().length) {
        int32_t index = CurrentLineIndex();
        if (join_lines() && typed_as('D')) push_undo_del_char('\n', index, col);
        return;
    }
    if (typed_as('D')) push_undo_del_char(buffer().text[col], CurrentLineIndex(), col);
    delete_under_cursor();
    if (Options.textWrapping && !undo_in_progress()) {
        flush_undo();
        wrap_while_typing(1);
    }
}

void rubout() {
    if (view().cursorColumn == 0) {
        if (!prev_line(CurrentFile.currentLine)) return;
        cursor_up();
        end_of_line();
        int32_t index = CurrentLineIndex();
        int32_t col = view().cursorColumn;
        if (join_lines()) push_undo_del_char('\n', index, col);
        return;
    }
    step_left();
    line_load();
    int32_t col = view().cursorColumn;
    if (col >= buffer().length) return;
    if (TypingMode == MODE_INSERT) {
        if (typed_as('#')) push_undo_del_char(buffer().text[col], CurrentLineIndex(), col);
        delete_under_cursor();
        return;
    }
    // Overwrite mode takes back what was typed over: the text as last committed.
    const Line* stored = CurrentFile.currentLine;
    char original = col < stored->length ? stored->text()[col] : ' ';
    buffer().text[col] = original;
    PutChar(original);
    PlaceCursor();
}

void del_left() {
    line_load();
    int32_t col = view().cursorColumn;
    if (buffer().length == 0 || col > buffer().length || col == 0) return;
    push_undo_del_text(buffer().text, col, CurrentLineIndex(), 0);
    int32_t remaining = buffer().length - col;
    std::memmove(buffer().text, buffer().text + col, EDIT_BUFFER_SIZE - col);
    std::memset(buffer().text + EDIT_BUFFER_SIZE - col, ' ', col);
    buffer().length = remaining;
    // The stored line only ever shrinks here: its record may be shorter than
    // the edit buffer, which typing has not stored back yet.
    Line* stored = CurrentFile.currentLine;
    stored->length = std::min(stored->length.get(), remaining);
    view().cursorColumn = 0;
    line_commit();
    redraw_current_row();
}

void del_right() {
    line_load();
    int32_t col = view().cursorColumn;
    if (buffer().length == 0 || col >= buffer().length) return;
    push_undo_del_eol(buffer().text + col, buffer().length - col, CurrentLineIndex(), col);
    buffer().length = col;
    std::memset(buffer().text + col, ' ', EDIT_BUFFER_SIZE - col);
    PlaceCursor();
    ClearRow(view().cursorRow);
    PlaceCursor();
}

void del_line() { remove_current_line(); }

void delete_range(Line* line, int32_t a, int32_t b, int32_t row) {
    if (line->length == 0 || line->length < a) return;
    int32_t last = std::min(b, line->length - 1);
    if (last < a) return;
    int32_t count = last - a + 1;
    std::memmove(line->text() + a, line->text() + last + 1, line->length - last - 1);
    line->length -= count;
    if (row < ScreenRows) RedrawLineFrom(line, row, GetLeftColumn());
}

}  // namespace qx
