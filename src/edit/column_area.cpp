#include "edit/column_area.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "edit/delete.h"
#include "edit/line_block.h"
#include "input/keys.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/text.h"
#include "undo/undo.h"

namespace qx {

namespace {

// The keys that move the end column: left, right, line start and end, word left and right.
constexpr std::string_view COLUMN_MOTIONS = ",.<>[]";
constexpr int32_t COLUMN_COMMAND = command_index('c');
constexpr int32_t INDICATOR_COLUMN = 49;

FileView& view() { return CurrentFile.view; }

bool is_one_of(std::string_view letters, int key) {
    return key > 0 && key < 128 && letters.find(static_cast<char>(key)) != std::string_view::npos;
}

// The rows of the area's first line (the cursor row) and of its last line, -1
// when that one is the first line or is not on the screen.
struct AreaRows {
    const Line* first;
    const Line* last;
    int32_t firstRow;
    int32_t lastRow;

    void mark(int32_t column) const {
        mark_at(column, firstRow, 'V');
        if (lastRow >= 0) mark_at(column, lastRow, 'V');
    }
    void unmark(int32_t column) const {
        unmark_at(first, column, firstRow);
        if (lastRow >= 0) unmark_at(last, column, lastRow);
    }
    void redraw() const {
        RedrawLineFrom(first, firstRow, GetLeftColumn());
        if (lastRow >= 0) RedrawLineFrom(last, lastRow, GetLeftColumn());
    }
};

void show_indicator(int32_t start, int32_t end) {
    if (MacroPlaying()) return;
    RowText indicator;
    indicator.appendf("%s%3d, %s%3d%c", "[Start Col:", start, "End Col :", end, ']');
    PutTextAt(INDICATOR_COLUMN, 0, false, indicator);
}

// Whether at least n lines go from line to the end of the file.
bool lines_reach(const Line* line, int32_t n) {
    for (; line && n > 0; line = next_line(line)) --n;
    return n <= 0;
}

// Inserts a piece at column c of the current line, padding a shorter line with
// blanks (the edit buffer is blank past its length).
void insert_piece(const Line* piece, int32_t c) {
    line_load();
    char* at = LineEditBuffer.text + c;
    int32_t length = LineEditBuffer.length;
    if (length > c) std::memmove(at + piece->length, at, length - c);
    std::memcpy(at, piece->text(), piece->length);
    LineEditBuffer.length = std::max(length, c) + piece->length;
    line_commit();
}

}  // namespace

void show_area_size(int32_t columns, int32_t lines, std::string_view done) {
    RowText message;
    message.appendf("%d %s %d %s", columns, "columns x", lines, "lines");
    ShowMessage(message += done);
}

void enter_area(const ColumnArea& area, int32_t index) {
    line_commit();
    CurrentFile.currentLine = area.first;
    SetLineNumberCache(index + 1);
    ShowCursorAt(view().cursorColumn);
}

bool select_columns(ColumnArea& area, int32_t index, std::string_view choices) {
    enter_area(area, index);
    AreaRows rows{area.first, area.last, view().cursorRow, -1};
    if (area.last != area.first) FindLineRow(area.last, rows.lastRow);   // stays -1 when off the screen
    int32_t start = view().cursorColumn;
    rows.mark(start);
    int choice = 0;
    for (;;) {
        show_indicator(start, view().cursorColumn);
        PlaceCursor();
        Mode = TypingMode;
        int key = ReadKey();
        if (is_one_of(COLUMN_MOTIONS, key)) {
            int32_t column = view().cursorColumn;
            if (column != start) rows.unmark(column);
            if ((key == ',' && column == 0) || (key == '.' && column == VIRTUAL_WIDTH - 1)) Beep();
            else if (CommandHandler handler = HandlerForLetter ? HandlerForLetter(key) : nullptr) handler();
            rows.mark(view().cursorColumn);
            if (start >= GetLeftColumn() && start <= GetRightColumn()) rows.mark(start);
            continue;
        }
        choice = key >= 0 && key < 256 ? std::toupper(key) : key;
        if (is_one_of(choices, choice)) break;
        if (key == ENTER) {
            rows.redraw();
            PlaceCursor();
            return false;
        }
        Beep();
    }
    rows.redraw();
    area.action = choice;
    area.actionIndex = static_cast<int32_t>(choices.find(static_cast<char>(choice)));
    area.firstColumn = std::min(start, view().cursorColumn);
    area.lastColumn = std::max(start, view().cursorColumn);
    view().cursorColumn = area.firstColumn;
    PlaceCursor();
    return true;
}

void column_cut(LineList& pieces, const ColumnArea& area) {
    int32_t index = CurrentLineIndex();
    int32_t a = area.firstColumn, b = area.lastColumn, row = view().cursorRow;
    bool copying = area.action == 'C' || area.action == 'D' || area.undoCopy;
    bool deleting = (area.action == 'D' || area.action == 'K') && !area.undoCopy;
    if (copying) column_erase(pieces, area);
    if (deleting && !undo_in_progress()) {
        ColumnArea copy = area;
        copy.undoCopy = 'u';
        LineList removed;
        list_init(removed);
        column_cut(removed, copy);
        push_undo_col_delete(COLUMN_COMMAND, removed, index, a);
    }
    for (Line* line = area.first; line; ++row) {
        Line* next = line == area.last ? nullptr : next_line(line);
        if (copying) {
            int32_t n = line->length > a ? std::min(b + 1, line->length.get()) - a : 0;
            list_append(pieces, new_line(n > 0 ? line->text() + a : nullptr, n));
        }
        if (deleting) delete_range(line, a, b, row);
        line = next;
    }
    if (area.undoCopy) return;
    RowText done(area.action == 'K' ? "" : " copied");
    if (area.action == 'D') done += ",";
    if (deleting) done += " deleted";
    show_area_size(b - a + 1, area.count, done);
}

void column_paste(const LineList& pieces, ColumnArea& area) {
    int32_t n = static_cast<int32_t>(pieces.count);
    if (n == 0) {
        ShowMessage("Column buffer empty - Nothing to paste");
        return;
    }
    // A remembered area pasted again at the cursor keeps its count: its lines must be there too.
    if ((area.count > 1 && n != area.count) || !lines_reach(area.first, n)) {
        ShowMessage("Column and area line sizes differ");
        return;
    }
    int32_t c = view().cursorColumn, row = view().cursorRow, index = CurrentLineIndex();
    ListLink* before = area.first->prev;   // the first line may get a new record
    bool insert = area.action == 'I';
    int32_t taken = 0, pasted = 0, widest = 0;
    bool skipped = false;
    Line* line = area.first;
    for (const Line* piece = first_line(pieces); piece; piece = next_line(piece), ++row) {
        ++taken;
        widest = std::max(widest, piece->length.get());
        CurrentFile.currentLine = line;
        bool goes_in = insert ? line->length > c : piece->length > 0;
        if (goes_in && std::max(line->length.get(), c) + piece->length > MAX_LINE) {
            skipped = true;
            break;
        }
        if (goes_in) {
            insert_piece(piece, c);
            line = CurrentFile.currentLine;
            if (row < ScreenRows) RedrawLineFrom(line, row, GetLeftColumn());
        }
        ++pasted;
        if (next_line(piece)) line = next_line(line);
    }
    area.first = CurrentFile.currentLine = static_cast<Line*>(before->next.get());
    area.last = line;
    area.count = taken;
    SetLineNumberCache(index + 1);
    view().cursorColumn = c;
    PlaceCursor();
    if (pasted > 0 && !undo_in_progress()) push_undo_col_paste(COLUMN_COMMAND, pieces, pasted, index, c);
    if (skipped) ShowMessage("1+ pastes skipped - line too long");
    else show_area_size(widest, taken, " pasted");
}

void column_insert(ColumnArea& area) {
    char blanks[VIRTUAL_WIDTH];
    std::memset(blanks, ' ', sizeof blanks);
    int32_t width = area.lastColumn - area.firstColumn + 1;   // columns lie within the view's 512
    LineList pieces;
    list_init(pieces);
    for (int32_t i = 0; i < area.count; ++i) list_append(pieces, new_line(blanks, width));
    column_paste(pieces, area);
    list_free_all(pieces);
}

void column_erase(LineList& pieces, const ColumnArea& area) {
    list_free_all(pieces);
    if (area.action == 'E') ShowMessage("Column Area buffer emptied");
}

}  // namespace qx
