#include "files/block_menu.h"

#include "buffers/line_buffer.h"
#include "edit/line_block.h"
#include "edit/paragraph.h"
#include "files/buffer_files.h"
#include "input/prompt.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/text.h"

namespace qx {

namespace {

// The last block chosen, for Again. Its lines are only ever compared with the
// lines of the current file, never followed: they may have gone since.
BlockSelection g_remembered{};
bool g_rememberedValid = false;

// The remembered block, if both its ends are still lines of the current file.
bool find_remembered(BlockSelection& block) {
    if (find_block_lines(g_remembered.first, g_remembered.last, block) < 0) return false;
    block.action = g_remembered.action;
    block.actionIndex = g_remembered.actionIndex;
    return true;
}

void block_read() {
    LineList read;
    list_init(read);
    if (!read_chosen_file(read)) return;
    flush_block_buffer();
    list_append_all(LineBlockBuffer.lines, read);
    block_paste();
}

void block_save_as(const BlockSelection& block) {
    bool buffer = block.count == 1 && LineBlockBuffer.lines.count > 0;
    write_chosen_file(buffer ? first_line(LineBlockBuffer.lines) : block.first,
                      buffer ? nullptr : next_line(block.last));
}

// Runs the chosen action once; false when the block's lines are gone after it.
bool run_action(const BlockSelection& block) {
    switch (block.action) {
    case 'C':
    case 'A': block_copy(block); return true;
    case 'K':
    case 'D': block_kill(block); return false;
    case 'P': block_paste(); return true;
    case 'W': block_wrap(block.first, block.last); return false;
    case 'R': block_read(); return true;
    case 'S': block_save_as(block); return true;
    case 'X': exchange_buffers("Line and Column buffers exchanged"); return true;
    case 'F': flush_block_buffer(); return true;
    default: return true;
    }
}

// Actions that work on the block's own lines, rather than at the cursor.
bool uses_lines(int32_t action) {
    return action == 'C' || action == 'A' || action == 'K' || action == 'W' || action == 'S';
}

}  // namespace

void reset_block_menu() {
    g_remembered = BlockSelection{};
    g_rememberedValid = false;
    BlockAction = 0;
}

void block_command() {
    line_commit();
    bool again = CurrentCommandKey == 'a';
    BlockSelection block{};
    if (!again) {
        PushPrompt(BLOCK_MENU);
        if (!select_block(GetLeftColumn(), BLOCK_CHOICES, block)) {
            RepeatCount = 1;
            PopPrompt();
            return;
        }
    } else if (g_rememberedValid && g_remembered.action == 'D') {
        ShowMessage("Must define new block to repeat Delete");
        RepeatCount = 1;
        return;
    } else if (!g_rememberedValid || (uses_lines(g_remembered.action) && !find_remembered(block))) {
        ShowMessage("Must define new block to repeat");
        RepeatCount = 1;
        return;
    } else if (!uses_lines(g_remembered.action)) {
        block = g_remembered;
    }
    BlockAction = block.action;
    bool kept = true;
    for (int32_t i = 0; i < RepeatCount && kept; ++i) kept = run_action(block);
    RepeatCount = 1;
    g_remembered = block;
    g_rememberedValid = true;
    // Lines a Kill, Delete or Wrap removed must never be looked for again.
    if (!kept) g_remembered.first = g_remembered.last = nullptr;
    if (!again) PopPrompt();
}

}  // namespace qx
