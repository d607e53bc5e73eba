// The prompt stack: what row 0 shows while menus and prompts nest; popping the
// last one brings the status line back.
#pragma once

#include <cstdint>
#include <string_view>

namespace qx {

inline constexpr int32_t PROMPT_STACK_SIZE = 10;

void PushPrompt(std::string_view text);
void PopPrompt();
bool PromptStackEmpty();
std::string_view PromptTop();
void reset_prompt_stack();

}  // namespace qx
