#include "edit/motion.h"

#include <algorithm>
#include <cstdio>

#include "screen/panels.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/text.h"

namespace qx {

namespace {

FileView& view() { return CurrentFile.view; }
LineList& lines() { return CurrentFile.text.lines; }
int32_t rows() { return ScreenRows; }
int32_t page() { return ScreenRows - 3; }   // lines a page moves, with one line of overlap

Line* walk(Line* from, char direction, int32_t n, int32_t& steps) {
    return walk_lines(lines(), from, direction, n, &steps);
}

// After a command that left the line number exact, paging adjusts it instead of
// counting from the start of the file.
bool line_number_kept() {
    int32_t previous = PreviousCommand.index;
    return previous == command_index('B') || previous == command_index('i') ||
           previous == command_index('F') || previous == command_index('j');
}

void make_current(Line* line, int32_t row) {
    CurrentFile.currentLine = line;
    view().cursorRow = row;
    MoveTo(view().cursorColumn, row);
}

// A kept line number is exact after a plain page step, so it also keys the cache:
// what follows (typing records line numbers) need not count from the top. After
// the half-page scrolls the kept number is only shown, never trusted.
void keep_line_number(int32_t number, bool exact) {
    if (exact) SetLineNumberCache(number);
    else CurrentFile.currentLineNumber = number;
}

void page_down_step(bool exact) {
    int32_t row, steps;
    Line* last = last_line(lines());
    if (FindLineRow(last, row)) {
        CurrentFile.currentLine = last;
        view().cursorRow = row;
        view().cursorColumn = GetLeftColumn();
        PlaceCursor();
    } else {
        view().topLine = view().bottomLine;
        CurrentFile.currentLine = walk(view().topLine, '+', view().cursorRow - FIRST_TEXT_ROW, steps);
        view().cursorRow = FIRST_TEXT_ROW + steps;
        view().bottomLine = walk(CurrentFile.currentLine, '+', rows() - 1 - view().cursorRow, steps);
        RedrawText();
    }
    if (line_number_kept()) {
        keep_line_number(std::min(CurrentFile.currentLineNumber + page(), static_cast<int32_t>(lines().count)),
                         exact);
        ShowPosition();
    } else {
        ShowInfo();
    }
}

void page_up_step(bool exact = true) {
    int32_t s1, s2, steps;
    view().bottomLine = view().topLine;
    CurrentFile.currentLine = walk(view().bottomLine, '-', rows() - 1 - view().cursorRow, s1);
    view().cursorRow = rows() - 1 - s1;
    view().topLine = walk(CurrentFile.currentLine, '-', page() - s1, s2);
    bool reset = s1 + s2 < page();
    if (reset) {
        CurrentFile.currentLine = view().topLine = first_line(lines());
        view().bottomLine = walk(view().topLine, '+', page(), steps);
        view().cursorRow = FIRST_TEXT_ROW;
        view().cursorColumn = GetLeftColumn();
    }
    RedrawText();
    if (reset || line_number_kept()) {
        keep_line_number(reset ? 1 : std::max(CurrentFile.currentLineNumber - page(), 1), exact || reset);
        ShowPosition();
    } else {
        ShowInfo();
    }
}

// A step that cannot move ends a counted repetition of its command: a long
// count would otherwise spin for nothing.
void stuck() { Iteration = std::max(Iteration, RepeatCount); }

void show_column_message(const char* text) {
    char message[64];
    std::snprintf(message, sizeof message, "%s %d", text, GetLeftColumn());
    ShowMessage(message);
}

}  // namespace

void cursor_left() {
    line_commit();
    if (view().cursorColumn >= 1) {
        --view().cursorColumn;
        CursorLeft();
    } else if (prev_line(CurrentFile.currentLine)) {
        cursor_up();
        end_of_line();
    } else {
        stuck();
    }
    view().lastMotion = MOTION_LEFT;
}

void cursor_right() {
    line_commit();
    if (view().cursorColumn <= MAX_LINE - 1) {
        ++view().cursorColumn;
        CursorRight();
    } else {
        ShowMessage("Maximum line size reached");
        stuck();
    }
    view().lastMotion = MOTION_RIGHT;
}

namespace {

// Makes the line below (step 1) or above (-1) current, keeping the line number;
// null, with the bell, when there is none.
Line* step_current_line(int32_t step, int32_t motion) {
    line_commit();
    view().lastMotion = motion;
    Line* from = CurrentFile.currentLine;
    Line* to = step > 0 ? next_line(from) : prev_line(from);
    if (!to) {
        stuck();
        return nullptr;
    }
    CurrentFile.currentLine = to;
    StepLineNumberCache(from, step);
    return to;
}

}  // namespace

void cursor_down() {
    Line* next = step_current_line(1, MOTION_DOWN);
    if (!next) return;
    if (view().cursorRow < rows() - 1) {
        ++view().cursorRow;
        CursorDown();
        return;
    }
    DeleteScreenLine(FIRST_TEXT_ROW);
    DrawLineAt(GetLeftColumn(), rows() - 1, true, next->text(), next->length, GetLeftColumn());
    view().topLine = next_line(view().topLine);
    if (Line* below = next_line(view().bottomLine)) view().bottomLine = below;
}

void cursor_up() {
    Line* prev = step_current_line(-1, MOTION_UP);
    if (!prev) return;
    if (view().cursorRow > FIRST_TEXT_ROW) {
        --view().cursorRow;
        CursorUp();
        return;
    }
    InsertScreenLine(FIRST_TEXT_ROW);
    DrawLineAt(GetLeftColumn(), FIRST_TEXT_ROW, true, prev->text(), prev->length, GetLeftColumn());
    if (next_line(view().bottomLine)) {
        view().topLine = prev;
        view().bottomLine = prev_line(view().bottomLine);
    } else {
        FrameCurrentLine(FIRST_TEXT_ROW);
    }
}

void screen_home() {
    line_commit();
    make_current(view().topLine, FIRST_TEXT_ROW);
}

void screen_middle() {
    line_commit();
    int32_t steps;
    Line* line = walk(view().topLine, '+', page() / 2, steps);
    make_current(line, FIRST_TEXT_ROW + steps);
}

void screen_last() {
    line_commit();
    int32_t steps;
    Line* line = walk(view().topLine, '+', page(), steps);
    make_current(line, FIRST_TEXT_ROW + steps);
}

void page_down() {
    line_commit();
    view().lastMotion = MOTION_DOWN;
    page_down_step(true);
}

void page_up() {
    line_commit();
    view().lastMotion = MOTION_UP;
    page_up_step();
}

void scroll_up() {
    line_commit();
    int32_t steps;
    if (view().topLine != first_line(lines())) view().topLine = walk(view().topLine, '+', page() / 2, steps);
    view().lastMotion = MOTION_UP;
    page_up_step(false);
}

void scroll_down() {
    line_commit();
    int32_t steps;
    if (view().bottomLine != last_line(lines()))
        view().bottomLine = walk(view().bottomLine, '-', page() / 2, steps);
    view().lastMotion = MOTION_DOWN;
    page_down_step(false);
}

void scroll_left() {
    view().cursorColumn = std::max(view().cursorColumn - ScreenColumns / 2, 0);
    ScrollLeftPercent(50);
    show_column_message("Scrolled left to column");
}

void scroll_right() {
    view().cursorColumn = std::min(view().cursorColumn + ScreenColumns / 2, VIRTUAL_WIDTH - 1);
    ScrollRightPercent(50);
    show_column_message("Scrolled right to column");
}

void ext_motion() {
    line_commit();
    switch (view().lastMotion) {
    case MOTION_LEFT:
        view().cursorColumn = 0;
        PlaceCursor();
        break;
    case MOTION_RIGHT:
        view().cursorColumn = CurrentFile.currentLine->length;
        PlaceCursor();
        break;
    case MOTION_DOWN: page_down_step(true); break;
    case MOTION_UP: page_up_step(); break;
    }
}

void ext_motion_screen() {
    line_commit();
    switch (view().lastMotion) {
    case MOTION_LEFT:
        view().cursorColumn = GetLeftColumn();
        PlaceCursor();
        break;
    case MOTION_RIGHT:
        view().cursorColumn = GetRightColumn();
        PlaceCursor();
        break;
    case MOTION_DOWN: screen_last(); break;
    case MOTION_UP: screen_home(); break;
    }
}

void start_of_line() {
    view().lastMotion = MOTION_LEFT;
    ext_motion();
}

void end_of_line() {
    view().lastMotion = MOTION_RIGHT;
    ext_motion();
}

}  // namespace qx
