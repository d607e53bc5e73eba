#include "screen/panels.h"

#include "screen/prompt_stack.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/text.h"

namespace qx {

void OpenPanel(std::string_view suffix) {
    BeginPromptMode();
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
