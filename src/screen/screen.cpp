#include "screen/screen.h"

#include <algorithm>

#include "options/options.h"
#include "screen/status.h"
#include "screen/terminal.h"
#include "store/text.h"

namespace qx {

int32_t ScreenRows = 24;
int32_t ScreenColumns = 80;

namespace {

bool g_started = false;
// The horizontal view: which text columns the screen shows.
int32_t g_viewWidth = 80;
int32_t g_leftColumn = 0;
int32_t g_rightColumn = 79;
// Saved while a prompt, menu or panel runs at screen columns.
int32_t g_savedWidth = 80, g_savedLeft = 0, g_savedRight = 79;
bool g_follow = true;
// A failed move skips the write that would follow it.
bool g_moveFailed = false;

enum ColourPair : short { PAIR_TEXT = 1, PAIR_INDICATOR = 2, PAIR_MARK = 3, PAIR_HIGHLIGHT = 5 };

short accent(short usual, short clash, short alternative) {
    return Options.background == clash ? alternative : usual;
}

void define_pair(ColourPair pair) {
    short fg = Options.foreground, bg = Options.background;
    switch (pair) {
    case PAIR_TEXT: Term().define_pair(pair, fg, bg); break;
    case PAIR_INDICATOR:
        Term().define_pair(pair, g_leftColumn > 0 ? accent(TERM_RED, TERM_RED, TERM_BLUE) : fg, bg);
        break;
    case PAIR_MARK: Term().define_pair(pair, accent(TERM_RED, TERM_RED, TERM_BLUE), bg); break;
    case PAIR_HIGHLIGHT: Term().define_pair(pair, accent(TERM_BLUE, TERM_BLUE, TERM_RED), bg); break;
    }
}

void move_raw(int32_t col, int32_t row) { g_moveFailed = !Term().move(row, col); }

// The k (at most VIRTUAL_WIDTH) text characters of a line from text column `from`,
// as drawn.
void visible_part(const Line* line, int32_t from, int32_t k, char* out) {
    for (int32_t i = 0; i < k; ++i) out[i] = from + i < line->length ? DisplayByte(line->text()[from + i]) : ' ';
}

}  // namespace

char DisplayByte(char c) {
    if (c == '\t') return TAB_DISPLAY;
    if (c == '\1') return ' ';
    // Other control bytes and bytes above 126 would take several cells or none.
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) return '.';
    return c;
}

namespace {
ScreenVerdict verdict(int32_t rows, int32_t cols) {
    if (cols >= VIRTUAL_WIDTH) return ScreenVerdict::TooLarge;
    if (cols >= 80 && rows >= 20) return ScreenVerdict::Usable;
    return ScreenVerdict::TooSmall;
}
}  // namespace

ScreenVerdict InitScreen() {
    int32_t rows = 0, cols = 0;
    Term().start(Options.mouseSupport, rows, cols);
    g_started = true;
    g_leftColumn = 0;
    g_viewWidth = ScreenColumns = cols;
    g_rightColumn = g_savedRight = cols - 1;
    g_savedLeft = 0;
    g_savedWidth = cols;
    ScreenRows = rows;
    return verdict(rows, cols);
}

ScreenVerdict AdoptScreenSize() {
    int32_t rows = 0, cols = 0;
    Term().resize(rows, cols);
    ScreenVerdict v = verdict(rows, cols);
    if (v != ScreenVerdict::Usable) return v;   // the editor's geometry waits for a usable one
    ScreenRows = rows;
    ScreenColumns = g_viewWidth = g_savedWidth = cols;
    // The text's view keeps its left column where the width allows; a prompt's is at 0.
    int32_t& left = g_follow ? g_leftColumn : g_savedLeft;
    left = std::clamp(left, 0, VIRTUAL_WIDTH - cols);
    (g_follow ? g_rightColumn : g_savedRight) = left + cols - 1;
    if (!g_follow) g_rightColumn = cols - 1;
    return v;
}

bool InPromptMode() { return !g_follow; }

bool ScreenStarted() { return g_started; }

void SetColours() {
    define_pair(PAIR_TEXT);
    Term().set_background(PAIR_TEXT);
}

void SetMouseReporting(bool on) { Term().set_mouse(on); }

void EndScreen() {
    if (g_started) Term().stop();
    g_started = false;
}

void RefreshScreen() { Term().refresh(); }


void PutRawText(std::string_view text) { Term().add(text.data(), static_cast<int32_t>(text.size())); }

void MoveTo(int32_t col, int32_t row) {
    if (row >= FIRST_TEXT_ROW && g_follow) {
        if (col < g_leftColumn) SetLeftColumn(std::max(col - 10, 0));
        else if (col > g_rightColumn) SetLeftColumn(g_leftColumn + (col - g_rightColumn) + 10);
        col -= g_leftColumn;
    }
    move_raw(col, row);
}

int32_t CursorRow() {
    int32_t row, col;
    Term().cursor(row, col);
    return row;
}

int32_t CursorColumn() {
    int32_t row, col;
    Term().cursor(row, col);
    return col;
}

void CursorUp() { move_raw(CursorColumn(), std::max(CursorRow() - 1, 0)); }
void CursorDown() { move_raw(CursorColumn(), std::min(CursorRow() + 1, ScreenRows - 1)); }

void CursorLeft() {
    if (CursorColumn() > 0) move_raw(CursorColumn() - 1, CursorRow());
    else if (g_leftColumn > 0) SetLeftColumn(g_leftColumn - 1);
}

void CursorRight() {
    if (CursorColumn() < ScreenColumns - 1) move_raw(CursorColumn() + 1, CursorRow());
    else SetLeftColumn(g_leftColumn + 1);
}

void SetLeftColumn(int32_t target) {
    int32_t row = CursorRow(), col = CursorColumn();
    int32_t newLeft = std::clamp(target, 0, VIRTUAL_WIDTH - g_viewWidth);
    int32_t newRight = newLeft + g_viewWidth - 1;
    const Line* top = CurrentFile.view.topLine;
    if (newLeft < g_leftColumn) {
        int32_t k = std::min(g_leftColumn - newLeft, g_viewWidth);
        int32_t r = FIRST_TEXT_ROW;
        for (const Line* line = top; line && r <= ScreenRows - 1; line = next_line(line), ++r) {
            char part[VIRTUAL_WIDTH];
            visible_part(line, newLeft, k, part);
            if (Term().move(r, 0)) Term().insert_text(part, k);
        }
    } else if (newRight > g_rightColumn) {
        int32_t k = newRight - g_rightColumn;
        int32_t from = g_rightColumn + 1;
        if (k >= g_viewWidth) {
            k = g_viewWidth;
            from = newLeft;
        }
        int32_t r = FIRST_TEXT_ROW;
        for (const Line* line = top; line && r <= ScreenRows - 1; line = next_line(line), ++r) {
            if (k < g_viewWidth && Term().move(r, 0))
                for (int32_t i = 0; i < k; ++i) Term().delete_char();
            char part[VIRTUAL_WIDTH];
            visible_part(line, from, k, part);
            if (Term().move(r, g_viewWidth - k)) Term().add(part, k);
        }
    }
    g_leftColumn = newLeft;
    g_rightColumn = newRight;
    move_raw(col, row);
}

int32_t GetLeftColumn() { return g_leftColumn; }
int32_t GetRightColumn() { return g_rightColumn; }
void StoreLeftColumn(int32_t col) { g_leftColumn = col; }
void StoreRightColumn(int32_t col) { g_rightColumn = col; }

void ScrollLeftPercent(int32_t percent) {
    int32_t d = ScreenColumns * percent / 100;
    SetLeftColumn(g_leftColumn <= d ? 0 : g_leftColumn - d);
}

void ScrollRightPercent(int32_t percent) {
    int32_t d = ScreenColumns * percent / 100;
    SetLeftColumn(g_rightColumn < VIRTUAL_WIDTH - d ? g_leftColumn + d : VIRTUAL_WIDTH - d);
}

void BeginPromptMode() {
    g_savedWidth = g_viewWidth;
    g_savedLeft = g_leftColumn;
    g_savedRight = g_rightColumn;
    g_leftColumn = 0;
    g_rightColumn = g_viewWidth - 1;
    g_follow = false;
}

void EndPromptMode() {
    g_viewWidth = g_savedWidth;
    g_leftColumn = g_savedLeft;
    g_rightColumn = g_savedRight;
    g_follow = true;
}

void Beep() { Term().beep(); }

void PutChar(int c) {
    if (c == 7) {
        Term().beep();
        return;
    }
    if (g_moveFailed) return;
    if (g_follow && CursorRow() >= FIRST_TEXT_ROW && CursorColumn() == ScreenColumns - 1) {
        SetLeftColumn(g_leftColumn + 1);
        move_raw(ScreenColumns - 2, CursorRow());
    }
    char shown = DisplayByte(static_cast<char>(c));
    Term().add(&shown, 1);
}

void PutCharMarked(int c) {
    define_pair(PAIR_MARK);
    Term().attr_on(PAIR_MARK);
    PutChar(c);
    Term().attr_off(PAIR_MARK);
}

void PutText(std::string_view s) {
    if (g_moveFailed) return;
    Term().add(s.data(), static_cast<int32_t>(s.size()));
}

void PutTextAt(int32_t col, int32_t row, bool restore, std::string_view s) {
    MoveTo(col, row);
    PutText(s);
    if (restore) PlaceCursor();
}

void PutTextAtHighlighted(int32_t col, int32_t row, bool restore, std::string_view s) {
    define_pair(PAIR_HIGHLIGHT);
    Term().attr_on(PAIR_HIGHLIGHT | TERM_UNDERLINE);
    PutTextAt(col, row, false, s);
    Term().attr_off(PAIR_HIGHLIGHT | TERM_UNDERLINE);
    if (restore) PlaceCursor();
}

void DrawLineText(const char* text, int32_t length, int32_t from) {
    if (g_moveFailed) return;
    int32_t first = std::max(from, g_leftColumn);
    int32_t last = std::min(length - 1, g_rightColumn);
    if (first > last) return;
    char row[VIRTUAL_WIDTH];
    int32_t n = last - first + 1;
    for (int32_t i = 0; i < n; ++i) row[i] = DisplayByte(text[first + i]);
    if (Term().move(CursorRow(), first - g_leftColumn)) Term().add(row, n);
}

void DrawLineAt(int32_t col, int32_t row, bool restore, const char* text, int32_t length, int32_t from) {
    MoveTo(col, row);
    DrawLineText(text, length, from);
    if (restore) PlaceCursor();
}

void InsertCharOnScreen(int c) {
    if (g_moveFailed) return;
    if (g_follow && CursorRow() >= FIRST_TEXT_ROW && CursorColumn() == ScreenColumns - 1) {
        SetLeftColumn(g_leftColumn + 1);
        move_raw(ScreenColumns - 2, CursorRow());
    }
    int32_t row = CursorRow(), col = CursorColumn();
    Term().insert_char(DisplayByte(static_cast<char>(c)));
    move_raw(std::min(col + 1, ScreenColumns - 1), row);
}

void InsertTextOnScreen(std::string_view s) {
    if (g_moveFailed) return;
    int32_t n = static_cast<int32_t>(s.size());
    int32_t col = CursorColumn();
    if (col + n > g_viewWidth && n <= g_viewWidth) {
        int32_t excess = col + n - g_viewWidth;
        int32_t row = CursorRow();
        SetLeftColumn(g_leftColumn + excess);
        move_raw(col - excess, row);
    }
    Term().insert_text(s.data(), n);
}

void DeleteCharOnScreen() {
    if (!g_moveFailed) Term().delete_char();
}

void RefillLastColumn(const char* text, int32_t length) {
    if (length <= g_rightColumn) return;
    int32_t row = CursorRow();
    move_raw(ScreenColumns - 1, row);
    char shown = DisplayByte(text[g_rightColumn]);
    if (!g_moveFailed) Term().add(&shown, 1);
    move_raw(ScreenColumns - 1, row);
}

void RuboutOnScreen() {
    int32_t row = CursorRow(), col = CursorColumn();
    if (col == 0) return;
    move_raw(col - 1, row);
    if (!g_moveFailed) Term().add(" ", 1);
    move_raw(col - 1, row);
}

void InsertScreenLine(int32_t row) {
    int32_t col = CursorColumn(), at = CursorRow();
    move_raw(0, row);
    if (!g_moveFailed) Term().insert_line();
    move_raw(col, at);
}

void DeleteScreenLine(int32_t row) {
    int32_t col = CursorColumn(), at = CursorRow();
    move_raw(0, row);
    if (!g_moveFailed) Term().delete_line();
    move_raw(col, at);
}

void ClearRow(int32_t row) {
    move_raw(CursorColumn(), row);
    if (!g_moveFailed) Term().clear_to_eol();
}

void ClearToBottom(int32_t row) {
    move_raw(0, row);
    if (!g_moveFailed) Term().clear_to_bottom();
}

void DrawScrollIndicator() {
    define_pair(PAIR_INDICATOR);
    move_raw(ScreenColumns - 9, 0);
    if (g_moveFailed) return;
    Term().attr_on(PAIR_INDICATOR);
    Term().add(g_leftColumn >= 1 ? "<-" : "  ", 2);
    Term().attr_off(PAIR_INDICATOR);
}

}  // namespace qx
