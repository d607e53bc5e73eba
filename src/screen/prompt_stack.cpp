#include "screen/prompt_stack.h"

#include "screen/status.h"
#include "state/command_state.h"
#include "store/fixed_text.h"

namespace qx {

namespace {

RowText g_stack[PROMPT_STACK_SIZE];
int32_t g_depth = 0;
int32_t g_overflow = 0;   // pushes beyond the stack's room, kept only to balance the pops

bool drawing() { return !MacroPlaying(); }

}  // namespace

void PushPrompt(std::string_view text) {
    if (g_depth < PROMPT_STACK_SIZE) g_stack[g_depth++] = RowText(text);
    else ++g_overflow;
    if (drawing()) ShowPromptLine(text);
}

void PopPrompt() {
    if (g_overflow > 0) --g_overflow;
    else if (g_depth > 0) --g_depth;
    if (g_depth > 0) {
        RowText top = g_stack[--g_depth];
        PushPrompt(top);
    } else {
        UpdateStatus(true, PendingMessage, TypingMode);
    }
}

bool PromptStackEmpty() { return g_depth == 0; }
std::string_view PromptTop() { return g_depth > 0 ? g_stack[g_depth - 1].view() : std::string_view(); }

void reset_prompt_stack() {
    g_depth = 0;
    g_overflow = 0;
}

}  // namespace qx
