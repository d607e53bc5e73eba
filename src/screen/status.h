// Row 0 and the vertical viewport: status line, messages, prompts on row 0, and
// the framing of the current file's lines on the text rows.
#pragma once

#include <cstdint>
#include <string_view>

namespace qx {

void ShowPromptLine(std::string_view text);
void ShowMessage(std::string_view text);
void ShowNotice(std::string_view text, int32_t col, int32_t row);
void ClearNotice();
void PlaceCursor();
// Progress while a long file is read.
void ShowReadProgress(uint32_t lines);

}  // namespace qx
