// The frame of full-screen panels, the Info command and the ViewScreen redraw. The
// panels themselves wait for a key and live above the key reader (app/panels.h).
#pragma once

#include <string_view>

namespace qx {

inline constexpr std::string_view VERSION_TEXT = "Linux QX v3.5g";

void OpenPanel(std::string_view suffix);
// The panel's title row and an empty body, as OpenPanel draws them.
void DrawPanelTitle(std::string_view suffix);
void ShowInfo();      // i
void ViewScreen();    // v

// What is open over the text (a prompt, a menu, a panel, the file selector) draws
// itself again after a resize, the innermost last; whoever opens it pushes its
// redraw for as long as it is open.
using Redraw = void (*)(void* context);
void PushRedraw(Redraw redraw, void* context);
void PopRedraw();
// For what is not opened and closed in nested order (a notice): whether its redraw is
// pushed, and taking out its innermost one wherever it stands.
bool HasRedraw(Redraw redraw);
void DropRedraw(Redraw redraw);
void reset_redraws();
struct RedrawWhileOpen {
    RedrawWhileOpen(Redraw redraw, void* context) { PushRedraw(redraw, context); }
    ~RedrawWhileOpen() { PopRedraw(); }
    RedrawWhileOpen(const RedrawWhileOpen&) = delete;
    RedrawWhileOpen& operator=(const RedrawWhileOpen&) = delete;
};
// After a resize to a usable size: row 0, the text framed around the cursor, then
// whatever is open over it.
void RedrawScreen();

}  // namespace qx
