#include "screen/status.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "options/options.h"
#include "screen/messages.h"
#include "screen/panels.h"
#include "screen/prompt_stack.h"
#include "screen/screen.h"
#include "state/command_state.h"
#include "store/text.h"

namespace qx {

StatusLayout Layout = ComputeLayout(80);
int32_t PendingMessage = 0;

namespace {

constexpr const char* MODE_TEXTS[] = {"      INS", "      OVR", "      CMD"};


int32_t g_modeShown = MODE_SHOWN_NONE;
char g_message[MESSAGE_WIDTH + 1] = " ";
bool g_messagePending = true;   // the area holds something the next key must clear
bool g_firstKey = false;
int32_t g_indicatorLeft = 0;    // left column when the indicator was last brought up to date

// The line-number cache is keyed by the current line's predecessor and its length.
const ListLink* g_cachedPredecessor = nullptr;
int32_t g_cachedLength = -1;

void set_message(std::string_view text) {
    std::size_t n = std::min<std::size_t>(text.size(), MESSAGE_WIDTH);
    std::memcpy(g_message, text.data(), n);
    std::memset(g_message + n, ' ', MESSAGE_WIDTH - n);
    g_message[MESSAGE_WIDTH] = '\0';
}

void write_message_area(std::string_view text) {
    RowText padded(text.substr(0, MESSAGE_WIDTH));
    padded.resize(MESSAGE_WIDTH, ' ');
    PutTextAt(Layout.messageColumn, 0, false, padded);
}

int32_t predecessor_length(const ListLink* pred) {
    return is_list_header(pred) ? -1 : static_cast<const Line*>(pred)->length.get();
}

LineList& lines() { return CurrentFile.text.lines; }

}  // namespace

StatusLayout ComputeLayout(int32_t columns) {
    StatusLayout l;
    l.modeColumn = columns - 9;
    l.anchor = columns - 9 - (columns - 81) / 2;
    l.messageColumn = l.anchor - 46;
    l.fileNameWidth = l.anchor - 48;
    l.flagsColumn = columns - 14;
    return l;
}

void InitStatus() {
    Layout = ComputeLayout(ScreenColumns);
    g_modeShown = MODE_SHOWN_NONE;
    set_message(" ");
    g_messagePending = true;
    g_firstKey = false;
    PendingMessage = 0;
    g_indicatorLeft = 0;
    ResetLineNumberCache();
}

void AdoptLayout() {
    Layout = ComputeLayout(ScreenColumns);
    g_modeShown = MODE_SHOWN_NONE;
    g_messagePending = true;
}

void SetFirstKeyFlag() { g_firstKey = true; }
int32_t ModeShown() { return g_modeShown; }
std::string_view MessageBuffer() { return {g_message, MESSAGE_WIDTH}; }

void UpdateStatus(bool full, int32_t msg, int32_t mode) {
    Mode = mode;
    if (MacroPlaying()) return;
    if (!PromptStackEmpty() && msg == 0) return;
    bool wrote = false;
    if (full) {
        MoveTo(0, 0);
        ClearRow(0);
        if (mode != MODE_COMMAND) {
            PutTextAt(0, 0, false, shorten_left(CurrentFile.name, Layout.fileNameWidth - 1));
            g_messagePending = true;
            DrawFlags();
        } else {
            PutTextAt(0, 0, false, "%");
        }
        g_modeShown = MODE_SHOWN_NONE;
        wrote = true;
    }
    if (msg != 0) {
        write_message_area(message_text(msg));
        if (PendingMessage == msg) PendingMessage = 0;
        wrote = true;
    } else if (g_messagePending) {
        write_message_area(MessageBuffer());
        wrote = true;
    }
    if (g_modeShown != mode && mode >= 0 && mode <= MODE_COMMAND) {
        PutTextAt(Layout.modeColumn, 0, false, MODE_TEXTS[mode]);
        g_modeShown = mode;
        DrawScrollIndicator();
        wrote = true;
    }
    if (wrote) PlaceCursor();
}

void ShowMessage(std::string_view text) {
    set_message(text);
    g_messagePending = true;
    if (!MacroPlaying() && PromptStackEmpty()) {
        write_message_area(MessageBuffer());
        PlaceCursor();
    }
}

void SetPendingText(std::string_view text) {
    set_message(text);
    g_messagePending = true;
}

void ShowPromptLine(std::string_view text) {
    if (MacroPlaying() || !ScreenStarted()) return;
    MoveTo(0, 0);
    PutText(text);
    ClearRow(0);
    g_modeShown = MODE_SHOWN_NONE;
}

void ClearMessage() {
    if (!g_messagePending && !g_firstKey) return;
    set_message(message_text(MSG_HELP_HINT_PADDED));
    g_messagePending = false;
    if (g_firstKey) {
        UpdateStatus(true, 0, Mode);
        g_firstKey = false;
    }
    if (!MacroPlaying()) {
        write_message_area(MessageBuffer());
        PlaceCursor();
    }
}

void UpdateScrollIndicator() {
    int32_t left = GetLeftColumn();
    if ((left > 0) != (g_indicatorLeft > 0)) {
        DrawScrollIndicator();
        PlaceCursor();
    }
    g_indicatorLeft = left;
}

void DrawFlags() {
    RowText flags("(");
    if (MacroRecording()) flags += 'm';
    if (Options.textWrapping) flags += 'w';
    if (Options.autoIndent) flags += 'i';
    if (flags.size() > 1) PutTextAt(Layout.flagsColumn, 0, false, flags += ')');
}

int64_t position_percent(int64_t number, int64_t count) { return count ? number * 100 / count : 0; }

void ShowPosition() {
    int32_t count = static_cast<int32_t>(lines().count);
    int32_t number = CurrentFile.currentLineNumber;
    char text[80];
    std::snprintf(text, sizeof text, "%s%d %s%d  %lld%c %c%d %s", "ln:", number, "col:",
                  CurrentFile.view.cursorColumn + 1, static_cast<long long>(position_percent(number, count)), '%',
                  '(', count, "lines)");
    ShowMessage(text);
}

void DrawSeparator(int32_t row) {
    RowText line;
    line.append(static_cast<std::size_t>(std::max(ScreenColumns, 0)), SEPARATOR);
    PutTextAt(0, row, false, line);
}

namespace {

// The notice on show, drawn again after a resize until it is cleared.
struct Notice {
    RowText text;
    int32_t col = 0, row = 0;
} g_notice;

void draw_notice(void*) {
    BeginPromptMode();
    MoveTo(0, 2);
    ClearRow(2);
    DrawSeparator(1);
    PutTextAt(0, 2, false, g_notice.text);
    DrawSeparator(3);
    MoveTo(g_notice.col, g_notice.row);
    EndPromptMode();
}

}  // namespace

void ShowNotice(std::string_view text, int32_t col, int32_t row) {
    if (!ScreenStarted()) return;
    g_notice = {RowText(text), col, row};
    if (!HasRedraw(draw_notice)) PushRedraw(draw_notice, nullptr);
    draw_notice(nullptr);
}

void ClearNotice() {
    if (!ScreenStarted()) return;
    DropRedraw(draw_notice);
    for (int32_t row : {2, 3}) {
        MoveTo(0, row);
        ClearRow(row);
    }
    DrawSeparator(1);
    const Line* top = CurrentFile.view.topLine;
    if (top) {
        DrawLineAt(GetLeftColumn(), 2, false, top->text(), top->length, 0);
        if (const Line* second = next_line(top); second && ScreenRows > 3)
            DrawLineAt(GetLeftColumn(), 3, false, second->text(), second->length, 0);
    }
    PlaceCursor();
}

void PlaceCursor() {
    if (!ScreenStarted()) return;
    MoveTo(std::min(CurrentFile.view.cursorColumn, VIRTUAL_WIDTH - 1), CurrentFile.view.cursorRow);
}

int32_t FrameCurrentLine(int32_t row) {
    int32_t k = 0, ahead = 0;
    Line* current = CurrentFile.currentLine;
    CurrentFile.view.topLine = walk_lines(lines(), current, '-', row - FIRST_TEXT_ROW, &k);
    CurrentFile.view.bottomLine = walk_lines(lines(), current, '+', ScreenRows - 3 - k, &ahead);
    CurrentFile.view.cursorRow = k + FIRST_TEXT_ROW;
    return k + FIRST_TEXT_ROW;
}

void RedrawText() {
    ClearToBottom(FIRST_TEXT_ROW);
    int32_t row = FIRST_TEXT_ROW;
    for (const Line* line = CurrentFile.view.topLine; line && row < ScreenRows; line = next_line(line), ++row)
        DrawLineAt(CurrentFile.view.cursorColumn, row, false, line->text(), line->length, 0);
    PlaceCursor();
}

void RedrawLineFrom(const Line* line, int32_t row, int32_t column) {
    MoveTo(column, row);
    ClearRow(row);
    DrawLineAt(column, row, false, line->text(), line->length, column);
}

void RedrawFromCursor() {
    int32_t row = CurrentFile.view.cursorRow;
    ClearToBottom(row);
    for (const Line* line = CurrentFile.currentLine; line && row < ScreenRows; line = next_line(line), ++row) {
        DrawLineAt(CurrentFile.view.cursorColumn, row, false, line->text(), line->length, 0);
        if (line == CurrentFile.view.bottomLine) break;
    }
    PlaceCursor();
}

bool FindLineRow(const Line* line, int32_t& row) {
    int32_t r = FIRST_TEXT_ROW;
    for (const Line* l = CurrentFile.view.topLine; l; l = next_line(l), ++r) {
        if (l == line) {
            row = r;
            return true;
        }
        if (l == CurrentFile.view.bottomLine) break;
    }
    return false;
}

void ShowCursorAt(int32_t col) {
    int32_t row;
    CurrentFile.view.cursorColumn = col;
    if (FindLineRow(CurrentFile.currentLine, row)) {
        CurrentFile.view.cursorRow = row;
        MoveTo(col, row);
    } else {
        FrameCurrentLine(NOTICE_ROW);
        RedrawText();
    }
}

void StepPastLine(ListLink* line, bool partial, bool to_top, int32_t row) {
    if (Line* after = static_cast<Line*>(line->next.get())) {
        CurrentFile.currentLine = after;
        ++row;
    } else {
        CurrentFile.currentLine = static_cast<Line*>(line);
    }
    // Past the last row the line is off the screen: the whole view is framed anew.
    if (partial && row < ScreenRows) {
        FrameCurrentLine(row);
        RedrawFromCursor();
    } else {
        FrameCurrentLine(to_top ? FIRST_TEXT_ROW : NOTICE_ROW);
        RedrawText();
    }
}

int32_t CurrentLineIndex() {
    const ListLink* pred = CurrentFile.currentLine->prev;
    if (pred == g_cachedPredecessor && predecessor_length(pred) == g_cachedLength)
        return CurrentFile.currentLineNumber - 1;
    int32_t previous = PreviousCommand.index;
    if (previous == command_index('i') || previous == command_index('j'))
        return CurrentFile.currentLineNumber - 1;
    int32_t index = 0;
    for (const Line* l = first_line(lines()); l && l != CurrentFile.currentLine; l = next_line(l)) ++index;
    CurrentFile.currentLineNumber = index + 1;
    g_cachedPredecessor = pred;
    g_cachedLength = predecessor_length(pred);
    return index;
}

void SetLineNumberCache(int32_t number) {
    CurrentFile.currentLineNumber = number;
    g_cachedPredecessor = CurrentFile.currentLine->prev;
    g_cachedLength = predecessor_length(g_cachedPredecessor);
}

void StepLineNumberCache(const Line* from, int32_t delta) {
    const ListLink* pred = from->prev;
    if (pred != g_cachedPredecessor || predecessor_length(pred) != g_cachedLength) return;
    SetLineNumberCache(CurrentFile.currentLineNumber + delta);
}

void ResetLineNumberCache() {
    g_cachedPredecessor = nullptr;
    g_cachedLength = -1;
}

Line* LineAtIndex(int32_t n) { return walk_lines(lines(), first_line(lines()), '+', n); }

void ShowReadProgress(uint32_t count) {
    if (!ScreenStarted()) return;
    PutTextAt(0, 0, false, VERSION_TEXT);
    RowText text;
    text.appendf("%s%u", "Reading file, now at line ", count);
    PutTextAt(10, ScreenRows / 2 - 2, false, text);
    RefreshScreen();
}

}  // namespace qx
