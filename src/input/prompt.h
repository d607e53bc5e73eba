// One-letter menus, yes/no questions and the prompt line editor.
#pragma once

#include <cstdint>
#include <string_view>

#include "screen/prompt_stack.h"

namespace qx {

inline constexpr int32_t PROMPT_ANSWER_SIZE = 384;


int32_t EditLineKey(char* buffer, int32_t n, int key, int32_t& position, int32_t& column, int32_t& row);
int32_t EditLine(char* buffer, int32_t n, int32_t column, int32_t row, bool clear, bool keep);
int32_t Prompt(int32_t column, int32_t row, std::string_view text, int32_t edit_column, int32_t edit_row,
               char* buffer, int32_t n);

// A menu about the current file: the menu line, with the file's name at the right
// end of row 0; push puts it on the prompt stack, otherwise the top is shown again.
void ShowFileMenu(std::string_view menu, bool push);

// A yes/no question on row 0: true only for 'y' or 'Y'; other keys but 'n' ring the
// bell, unless the question takes any other key quietly as no.
bool AskYesNo(std::string_view question, bool bell = true);
// The next key of a one-letter menu, in upper case (Enter once ESC ended a repetition).
int ReadMenuKey();
// A panel whose body draws itself (at open and after a resize) until Enter.
void ShowPanel(std::string_view suffix, void (*body)());
// The closing separator and line of a panel, the cursor at the top.
void DrawPanelFooter();
// Draws a panel's closing line, waits for Enter and brings the text back.
void ClosePanel();

}  // namespace qx
