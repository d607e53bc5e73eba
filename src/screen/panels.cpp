#include "screen/panels.h"

#include "input/prompt.h"
#include "input/dispatch.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "store/text.h"

namespace qx {

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
