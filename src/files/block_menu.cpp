#include "files/block_menu.h"

#include <unistd.h>

#include "buffers/line_buffer.h"
#include "edit/line_block.h"
#include "edit/paragraph.h"
#include "files/selector.h"
#include "input/prompt.h"
#include "options/options.h"
#include "screen/messages.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/text.h"
#include "store/text_file.h"

namespace qx {

namespace {

constexpr int32_t NAME_SIZE = PROMPT_ANSWER_SIZE;

// The last block chosen, for Again. Its lines are only ever compared with the
// lines of the current file, never followed: they may have gone since.
BlockSelection g_remembered{};
bool g_rememberedValid = false;

// The remembered block, if both its ends are still lines of the current file.
bool find_remembered(BlockSelection& block) {
    const Line* a = g_remembered.first;
    const Line* b = g_remembered.last;
    if (!a || !b) return false;
    Line* first = nullptr;
    int32_t count = 0;
    for (Line* line = first_line(CurrentFile.text.lines); line; line = next_line(line)) {
        bool end = line == a || line == b;
        if (!first) {
            if (!end) continue;
            first = line;
        }
        ++count;
        if (end && (line != first || a == b)) {
            block = {first, line, count, g_remembered.action, g_remembered.actionIndex};
            return true;
        }
    }
    return false;
}

void block_read() {
    char name[NAME_SIZE];
    select_file_name(message_text(MSG_SELECT_READ), name, sizeof name, true);
    if (!name[0]) {
        ShowMessage(message_text(MSG_NONE_TO_READ));
        return;
    }
    // A name that cannot be read says why, as when a file is opened.
    int32_t why = 0;
    int fd = open_regular_file(name, why);
    if (fd < 0) {
        ShowMessage(cannot_open_text(why));
        return;
    }
    ::close(fd);
    // Read aside first: a file that fails leaves the buffer as it was.
    LineList read;
    list_init(read);
    uint32_t chars, count, checksum;
    int32_t format;
    int32_t result = read_text_file(name, read, chars, count, checksum, format, tab_translation());
    PendingMessage = result;
    if (result != MSG_SUCCESS) {
        list_free_all(read);
        ShowMessage(message_text(result));
        return;
    }
    flush_block_buffer();
    list_append_all(LineBlockBuffer.lines, read);
    block_paste();
}

void block_save_as(const BlockSelection& block) {
    bool buffer = block.count == 1 && LineBlockBuffer.lines.count > 0;
    Line* first = buffer ? first_line(LineBlockBuffer.lines) : block.first;
    Line* stop = buffer ? nullptr : next_line(block.last);
    char name[NAME_SIZE];
    select_file_name(message_text(MSG_SELECT_WRITE), name, sizeof name, true);
    if (!name[0]) {
        ShowMessage(message_text(MSG_NONE_TO_WRITE));
        return;
    }
    uint32_t chars, count, checksum;
    int32_t result = write_text_file(name, 0, 'u', first, stop, chars, count, checksum, tab_translation());
    RowText message = shorten_left(name, 16);
    message += result == MSG_SUCCESS ? " has been written" : " failed to write";
    ShowMessage(message);
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
