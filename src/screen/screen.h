// The screen layer: the one curses window, the horizontal view over 512 text
// columns, and the drawing primitives everything else builds its output from.
// Nothing outside screen/ writes to curses.
#pragma once

#include <cstdint>
#include <string_view>

#include "store/line.h"

namespace qx {

inline constexpr int32_t VIRTUAL_WIDTH = 512;
inline constexpr char TAB_DISPLAY = '?';
inline constexpr char SEPARATOR = '-';
inline constexpr int32_t FIRST_TEXT_ROW = 2;

extern int32_t ScreenRows;
extern int32_t ScreenColumns;

enum class ScreenVerdict { Usable = 0, TooSmall = 1, TooLarge = 2 };

ScreenVerdict InitScreen();
// After the terminal changed its size: the screen and the views take it when the
// editor can use it (the verdict says); nothing is drawn.
ScreenVerdict AdoptScreenSize();
// True between BeginPromptMode and EndPromptMode.
bool InPromptMode();
void SetColours();
void SetMouseReporting(bool on);
void EndScreen();
void RefreshScreen();
bool ScreenStarted();
// Writes a refusal straight to the terminal before the editor has its screen.
void PutRawText(std::string_view text);

void MoveTo(int32_t col, int32_t row);
void CursorUp();
void CursorDown();
void CursorLeft();
void CursorRight();
int32_t CursorRow();
int32_t CursorColumn();   // screen column

void SetLeftColumn(int32_t col);
int32_t GetLeftColumn();
int32_t GetRightColumn();
void StoreLeftColumn(int32_t col);    // store without drawing
void StoreRightColumn(int32_t col);
void ScrollLeftPercent(int32_t percent);
void ScrollRightPercent(int32_t percent);
void BeginPromptMode();
void EndPromptMode();

void PutChar(int c);
void PutCharMarked(int c);
void PutText(std::string_view s);
void PutTextAt(int32_t col, int32_t row, bool restore, std::string_view s);
void PutTextAtHighlighted(int32_t col, int32_t row, bool restore, std::string_view s);
void DrawLineText(const char* text, int32_t length, int32_t from);
void DrawLineAt(int32_t col, int32_t row, bool restore, const char* text, int32_t length, int32_t from);
void InsertCharOnScreen(int c);
void InsertTextOnScreen(std::string_view s);
void DeleteCharOnScreen();
// After a deletion on screen: the character of the text that enters at the right edge.
void RefillLastColumn(const char* text, int32_t length);
void RuboutOnScreen();
void InsertScreenLine(int32_t row);
void DeleteScreenLine(int32_t row);
void ClearRow(int32_t row);
void ClearToBottom(int32_t row);
void DrawScrollIndicator();
void Beep();

// The character a text byte is drawn as: one cell for every byte.
char DisplayByte(char c);

}  // namespace qx
