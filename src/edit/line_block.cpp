#include "edit/line_block.h"

#include <cctype>

#include "buffers/line_buffer.h"
#include "input/keys.h"
#include "screen/prompt_stack.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/text.h"
#include "undo/undo.h"

namespace qx {

int32_t BlockAction = 0;

namespace {

// The keys that move the end of a selection; F and B page rather than choose.
constexpr std::string_view SELECTION_MOTIONS = "^$;B\\F~-+j";
constexpr int32_t BLOCK_COMMAND = command_index('b');
constexpr int32_t PASTE_COMMAND = command_index('p');
constexpr int32_t PASTE_LINE_COMMAND = command_index('V');
constexpr int32_t CUT_LINE_COMMAND = command_index('X');

// Receives the lines of a block Kill; empty between commands.
LineList g_killList{};

FileView& view() { return CurrentFile.view; }
LineList& lines() { return CurrentFile.text.lines; }

bool one_of(std::string_view letters, int key) {
    return key > 0 && key < 128 && letters.find(static_cast<char>(key)) != std::string_view::npos;
}

void draw_mark(int32_t column, int32_t row) { mark_at(column, row, '>'); }

void remove_mark_if_shown(const Line* line, int32_t column) {
    int32_t row;
    if (FindLineRow(line, row)) unmark_at(line, column, row);
}

// Orders the two ends of a selection and counts its lines, walking both ways from
// the start so that the walk is as long as the block.
void order_block(Line* start, Line* end, BlockSelection& block) {
    block.first = block.last = start;
    block.count = 1;
    if (end == start) return;
    Line* ahead = start;
    Line* behind = start;
    for (int32_t n = 2; ahead || behind; ++n) {
        if (ahead && (ahead = next_line(ahead)) == end) {
            block.last = end;
            block.count = n;
            return;
        }
        if (behind && (behind = prev_line(behind)) == end) {
            block.first = end;
            block.count = n;
            return;
        }
    }
}

// Where a removal of lines starting at `first` leaves the view: the line before
// them, whether it is on the screen and on which row, and whether `first` is the top line.
struct RemovalPlace {
    ListLink* before;
    bool shown;
    int32_t row;
    bool firstWasTop;
    int32_t firstIndex;   // -1 when not known without counting
};

RemovalPlace note_removal(Line* first, int32_t first_index) {
    RemovalPlace place{first->prev, false, FIRST_TEXT_ROW - 1, first == view().topLine, first_index};
    if (!is_list_header(place.before)) place.shown = FindLineRow(static_cast<Line*>(place.before), place.row);
    return place;
}

// After the removal: the line that followed the removed ones is current (the line
// before them at the end of the file), the view drawn again.
void step_past_removal(const RemovalPlace& place) {
    StepPastLine(place.before, place.shown, place.firstWasTop, place.row);
    if (place.firstIndex < 0) ResetLineNumberCache();
    else SetLineNumberCache(CurrentFile.currentLine == place.before ? place.firstIndex : place.firstIndex + 1);
}

// Whether the removed lines were the last of the file, with lines before them: the
// line before them is then current, and they go back after it.
bool removed_at_end(const RemovalPlace& place) { return CurrentFile.currentLine == place.before; }

// A file that lost all its lines gets an empty one, which becomes current.
void keep_one_line() {
    if (lines().count > 0) return;
    Line* empty = new_line(nullptr, 0);
    list_append(lines(), empty);
    CurrentFile.currentLine = empty;
}

void show_count(int32_t count, std::string_view what, std::string_view more = {}) {
    RowText message;
    message.appendf("%d %.*s", count, static_cast<int>(what.size()), what.data());
    message += more;
    ShowMessage(message);
}

}  // namespace

void mark_at(int32_t column, int32_t row, char mark) {
    MoveTo(column, row);
    PutCharMarked(mark);
}

void unmark_at(const Line* line, int32_t column, int32_t row) {
    MoveTo(column, row);
    PutChar(DisplayByte(column < line->length ? line->text()[column] : ' '));
}

int32_t find_block_lines(const Line* a, const Line* b, BlockSelection& block) {
    if (!a || !b) return -1;
    Line* first = nullptr;
    int32_t count = 0, index = 0;
    for (Line* line = first_line(lines()); line; line = next_line(line), ++index) {
        bool end = line == a || line == b;
        if (!first) {
            if (!end) continue;
            first = line;
        }
        ++count;
        if (end && (line != first || a == b)) {
            block.first = first;
            block.last = line;
            block.count = count;
            return index - (count - 1);
        }
    }
    return -1;
}

bool select_block(int32_t mark_column, std::string_view choices, BlockSelection& block) {
    Line* start = CurrentFile.currentLine;
    draw_mark(mark_column, view().cursorRow);
    int choice = 0;
    for (;;) {
        ShowPromptLine(PromptTop());
        MoveTo(mark_column, view().cursorRow);
        Mode = TypingMode;
        int key = ReadKey();
        // The key as read: a typed F or B pages like the keys that give those letters.
        if (one_of(SELECTION_MOTIONS, key)) {
            if (CurrentFile.currentLine != start) unmark_at(CurrentFile.currentLine, mark_column, view().cursorRow);
            if (CommandHandler handler = HandlerForLetter ? HandlerForLetter(key) : nullptr) handler();
            draw_mark(mark_column, view().cursorRow);
            int32_t row;
            if (FindLineRow(start, row)) draw_mark(mark_column, row);
            continue;
        }
        choice = key >= 0 && key < 256 ? std::toupper(key) : key;
        if (one_of(choices, choice)) break;
        if (key == ENTER) {
            remove_mark_if_shown(start, mark_column);
            if (CurrentFile.currentLine != start) unmark_at(CurrentFile.currentLine, mark_column, view().cursorRow);
            PlaceCursor();
            return false;
        }
        Beep();
    }
    Line* end = CurrentFile.currentLine;
    remove_mark_if_shown(start, mark_column);
    if (end != start) unmark_at(end, mark_column, view().cursorRow);
    order_block(start, end, block);
    block.action = choice;
    block.actionIndex = static_cast<int32_t>(choices.find(static_cast<char>(choice)));
    PlaceCursor();
    return true;
}

void block_copy(const BlockSelection& block) {
    bool moving = BlockAction == 'K' || BlockAction == 'D';
    if (BlockAction != 'A' && BlockAction != 'K') flush_block_buffer();
    LineList& target = BlockAction == 'K' ? g_killList : LineBlockBuffer.lines;
    int32_t handled = 0, status = 0;
    for (Line* line = block.first; line;) {
        Line* next = next_line(line);
        bool end = line == block.last;
        if (moving) {
            list_remove(lines(), line, status);
            list_append(target, line);
        } else {
            list_append(target, new_line(line->text(), line->length));
        }
        ++handled;
        if (end) break;
        line = next;
    }
    if (moving) keep_one_line();
    show_count(handled, "line(s)",
               BlockAction == 'K'   ? " killed"
               : BlockAction == 'D' ? " copied and deleted"
               : BlockAction == 'A' ? " appended"
                                    : " copied");
}

void block_kill(const BlockSelection& block) {
    list_free_all(g_killList);
    Line* current = CurrentFile.currentLine;
    int32_t first_index = current == block.first  ? CurrentLineIndex()
                          : current == block.last ? CurrentLineIndex() - (block.count - 1)
                                                  : -1;
    RemovalPlace place = note_removal(block.first, first_index);
    block_copy(block);
    step_past_removal(place);
    // Delete leaves the lines in the buffer, of which the item keeps copies; the
    // lines of a Kill are kept by nothing else, so the item takes them.
    bool kill = BlockAction == 'K';
    push_undo_cut_lines(BLOCK_COMMAND, kill ? g_killList : LineBlockBuffer.lines, kill, removed_at_end(place),
                        CurrentLineIndex(), view().cursorColumn);
    list_free_all(g_killList);
}

void block_paste() { paste_line_list(LineBlockBuffer.lines); }

void paste_line_list(const LineList& source, PastePlace place) {
    if (source.count == 0) {
        ShowMessage("Line buffer empty - Nothing to paste");
        return;
    }
    Line* current = CurrentFile.currentLine;
    int32_t index = CurrentLineIndex();
    int32_t row = view().cursorRow;
    ListLink* after = current->prev;
    bool last_of_several = !next_line(current) && prev_line(current);
    if (place == PastePlace::After || (place == PastePlace::Rule && last_of_several)) {
        after = current;
        ++row;
        ++index;
    }
    bool off_screen = row > ScreenRows - 1;
    Line* first = nullptr;
    int32_t status = 0, i = 0;
    for (const Line* line = first_line(source); line; line = next_line(line), ++i) {
        Line* copy = new_line(line->text(), line->length);
        list_insert_after(lines(), after, copy, status);
        after = copy;
        if (!first) first = copy;
        if (!off_screen && i + 1 <= ScreenRows - row) {
            InsertScreenLine(row + i);
            DrawLineAt(GetLeftColumn(), row + i, false, copy->text(), copy->length, 0);
        }
    }
    CurrentFile.currentLine = first;
    if (off_screen) {
        FrameCurrentLine(ScreenRows - 1);
        RedrawText();
    } else {
        FrameCurrentLine(row);
    }
    SetLineNumberCache(index + 1);
    show_count(static_cast<int32_t>(source.count), "line(s) pasted");
    if (!undo_in_progress())
        push_undo_ins_lines(CurrentCommandKey == 'V' ? PASTE_LINE_COMMAND : PASTE_COMMAND,
                            static_cast<int32_t>(source.count), index, view().cursorColumn);
    PlaceCursor();
}

void flush_block_buffer() {
    list_free_all(LineBlockBuffer.lines);
    if (BlockAction == 'F') ShowMessage("Line Block buffer cleared");
}

void exchange_buffers(std::string_view message) {
    swap_block_and_column_buffers();
    ShowMessage(message);
}

void paste_command() {
    line_commit();
    block_paste();
}

void copy_lines() {
    line_commit();
    clear_single_line_buffer();
    int32_t status = 0;
    Line* line = CurrentFile.currentLine;
    for (int32_t i = 0; i < RepeatCount && line; ++i) {
        Line* next = next_line(line);
        if (SingleLineCut) {
            list_remove(lines(), line, status);
            list_append(SingleLineBuffer.lines, line);
        } else {
            append_line_copy(SingleLineBuffer, line);
        }
        line = next;
    }
    if (SingleLineCut) keep_one_line();
    show_count(static_cast<int32_t>(SingleLineBuffer.lines.count), "line(s) copied ",
               SingleLineCut ? "and deleted" : "");
    RepeatCount = 1;   // the count was the number of lines
}

void cut_lines() {
    line_commit();
    RemovalPlace place = note_removal(CurrentFile.currentLine, CurrentLineIndex());
    SingleLineCut = true;
    copy_lines();
    step_past_removal(place);
    SingleLineCut = false;
    push_undo_cut_lines(CUT_LINE_COMMAND, SingleLineBuffer.lines, false, removed_at_end(place), CurrentLineIndex(),
                        view().cursorColumn);
}

void paste_lines() {
    line_commit();
    paste_line_list(SingleLineBuffer.lines);
}

}  // namespace qx
