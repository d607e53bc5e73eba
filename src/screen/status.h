// Row 0 and the vertical viewport: the status line, the message area, prompts on
// row 0, and the framing of the current file's lines on the text rows.
#pragma once

#include <cstdint>
#include <string_view>

#include "store/line.h"

namespace qx {

inline constexpr int32_t MESSAGE_WIDTH = 40;
inline constexpr int32_t MODE_SHOWN_NONE = 99;
inline constexpr int32_t NOTICE_ROW = 11;   // where ShowCursorAt frames an off-screen line

// Field positions on row 0, computed from the screen width at start-up.
struct StatusLayout {
    int32_t modeColumn;
    int32_t anchor;
    int32_t messageColumn;
    int32_t fileNameWidth;
    int32_t flagsColumn;
};
extern StatusLayout Layout;
StatusLayout ComputeLayout(int32_t columns);

extern int32_t PendingMessage;   // MessageId a command leaves to be shown when it ends

void InitStatus();
// After a resize: the positions on row 0 for the new width; the message stays.
void AdoptLayout();
void UpdateStatus(bool full, int32_t msg, int32_t mode);
void ShowMessage(std::string_view text);
// A message left for the next status redraw instead of being drawn now.
void SetPendingText(std::string_view text);
void ShowPromptLine(std::string_view text);
void ClearMessage();
void UpdateScrollIndicator();
void DrawFlags();
void ShowPosition();
// Line number as a whole percentage of the line count (0 for an empty count).
int64_t position_percent(int64_t number, int64_t count);
void DrawSeparator(int32_t row);
void ShowNotice(std::string_view text, int32_t col, int32_t row);
void ClearNotice();
void SetFirstKeyFlag();
int32_t ModeShown();
// The message buffer as it stands (40 characters).
std::string_view MessageBuffer();

void PlaceCursor();
int32_t FrameCurrentLine(int32_t row);
void RedrawText();
void RedrawFromCursor();
// Draws a line again on its row from a text column to the right edge.
void RedrawLineFrom(const Line* line, int32_t row, int32_t column);
bool FindLineRow(const Line* line, int32_t& row);
void ShowCursorAt(int32_t col);
// `line` may be a list header: the first line then follows it.
void StepPastLine(ListLink* line, bool partial, bool to_top, int32_t row);
int32_t CurrentLineIndex();
Line* LineAtIndex(int32_t n);
// Forgets the cached line number (the file or its text changed wholesale).
void ResetLineNumberCache();
void SetLineNumberCache(int32_t number);
// After a step of one line from `from`: keeps a valid cached number valid.
void StepLineNumberCache(const Line* from, int32_t delta);

// Progress while a long file is read.
void ShowReadProgress(uint32_t lines);

}  // namespace qx
