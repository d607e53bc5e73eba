#include "screen/panels.h"

#include <algorithm>

#include "screen/prompt_stack.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/text.h"

namespace qx {

void OpenPanel(std::string_view suffix) {
    BeginPromptMode();
    DrawPanelTitle(suffix);
}

void DrawPanelTitle(std::string_view suffix) {
    RowText title(VERSION_TEXT);
    title += suffix;
    MoveTo(0, 0);
    ClearRow(0);
    PutTextAt((ScreenColumns - static_cast<int32_t>(title.size())) / 2, 0, false, title);
    ClearToBottom(FIRST_TEXT_ROW);
}

void ShowInfo() {
    line_commit();
    SetLineNumberCache(CurrentLineIndex() + 1);
    ShowPosition();
}

namespace {

constexpr int32_t REDRAW_DEPTH = 16;
struct OpenRedraw {
    Redraw redraw;
    void* context;
};
OpenRedraw g_redraws[REDRAW_DEPTH];
int32_t g_redrawCount = 0;   // may pass the depth: those beyond it are not kept

}  // namespace

void PushRedraw(Redraw redraw, void* context) {
    if (g_redrawCount < REDRAW_DEPTH) g_redraws[g_redrawCount] = {redraw, context};
    ++g_redrawCount;
}

void PopRedraw() {
    if (g_redrawCount > 0) --g_redrawCount;
}

bool HasRedraw(Redraw redraw) {
    for (int32_t i = 0; i < std::min(g_redrawCount, REDRAW_DEPTH); ++i)
        if (g_redraws[i].redraw == redraw) return true;
    return false;
}

void DropRedraw(Redraw redraw) {
    for (int32_t i = std::min(g_redrawCount, REDRAW_DEPTH) - 1; i >= 0; --i) {
        if (g_redraws[i].redraw != redraw) continue;
        std::copy(g_redraws + i + 1, g_redraws + std::min(g_redrawCount, REDRAW_DEPTH), g_redraws + i);
        --g_redrawCount;
        return;
    }
}

void reset_redraws() { g_redrawCount = 0; }

void RedrawScreen() {
    bool prompt = InPromptMode();
    if (prompt) EndPromptMode();   // the text is drawn in its own view
    FileView& view = CurrentFile.view;
    view.cursorRow = std::clamp(view.cursorRow, FIRST_TEXT_ROW, ScreenRows - 1);
    ViewScreen();
    if (prompt) BeginPromptMode();
    if (!PromptStackEmpty()) MoveTo(static_cast<int32_t>(PromptTop().size()), 0);
    for (int32_t i = 0; i < std::min(g_redrawCount, REDRAW_DEPTH); ++i) g_redraws[i].redraw(g_redraws[i].context);
}

void ViewScreen() {
    line_commit();
    ClearToBottom(0);
    if (PromptStackEmpty()) UpdateStatus(true, 0, TypingMode);
    else ShowPromptLine(PromptTop());
    DrawSeparator(1);
    if (!CurrentFile.currentLine) return;
    FrameCurrentLine(CurrentFile.view.cursorRow);
    RedrawText();
}

}  // namespace qx
