#include "files/column_menu.h"

#include "buffers/column_buffer.h"
#include "edit/column_area.h"
#include "edit/line_block.h"
#include "files/buffer_files.h"
#include "screen/prompt_stack.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/text.h"

namespace qx {

namespace {

// The last area chosen, for Again. Its lines are only ever compared with the
// lines of the current file, never followed: they may have gone since.
ColumnArea g_remembered{};
bool g_rememberedValid = false;

// Actions that work on the area's own lines; the others work at the cursor's line.
bool uses_lines(int32_t action) { return action != 'P' && action != 'X' && action != 'E'; }

// The remembered area and the index of its first line: at the cursor's line for
// the actions that work there, else where its lines still are in the current file.
bool remembered_area(ColumnArea& area, int32_t& index) {
    if (!g_rememberedValid) return false;
    area = g_remembered;
    if (!uses_lines(area.action)) {
        area.first = area.last = CurrentFile.currentLine;
        index = CurrentLineIndex();
        return true;
    }
    BlockSelection lines{};
    index = find_block_lines(area.first, area.last, lines);
    area.first = lines.first;
    area.last = lines.last;
    area.count = lines.count;
    return index >= 0;
}

// Marks the lines, then the columns when the left or right key ended the marking of lines.
bool choose_area(ColumnArea& area, int32_t& index) {
    BlockSelection lines{};
    if (!select_block(CurrentFile.view.cursorColumn, COLUMN_LINE_CHOICES, lines)) return false;
    index = CurrentLineIndex() - (CurrentFile.currentLine == lines.first ? 0 : lines.count - 1);
    area = {lines.first, lines.last, lines.count, 0, 0, lines.action, 0, 0};
    if ((area.action == ',' || area.action == '.') && !select_columns(area, index, COLUMN_CHOICES)) return false;
    area.actionIndex = static_cast<int32_t>(COLUMN_CHOICES.find(static_cast<char>(area.action)));
    return true;
}

void column_read(ColumnArea& area) {
    LineList read;
    list_init(read);
    if (!read_chosen_file(read)) return;
    column_erase(ColumnBuffer.lines, area);
    list_append_all(ColumnBuffer.lines, read);
    column_paste(ColumnBuffer.lines, area);
}

// Writes the column buffer when the area is a single place, else the area's pieces.
void column_save_as(const ColumnArea& area) {
    bool buffer = area.first == area.last && area.firstColumn == area.lastColumn && ColumnBuffer.lines.count > 0;
    LineList pieces;
    list_init(pieces);
    if (!buffer) {
        ColumnArea copy = area;
        copy.action = 'C';
        column_cut(pieces, copy);
    }
    write_chosen_file(first_line(buffer ? ColumnBuffer.lines : pieces), nullptr);
    list_free_all(pieces);
}

void run_action(ColumnArea& area) {
    switch (area.action) {
    case 'I': column_insert(area); break;
    case 'K':
    case 'D':
    case 'C': column_cut(ColumnBuffer.lines, area); break;
    case 'P': column_paste(ColumnBuffer.lines, area); break;
    case 'R': column_read(area); break;
    case 'S': column_save_as(area); break;
    case 'X': exchange_buffers("Column and Line buffers exchanged"); break;
    case 'E': column_erase(ColumnBuffer.lines, area); break;
    default: break;
    }
}

}  // namespace

void reset_column_menu() {
    g_remembered = ColumnArea{};
    g_rememberedValid = false;
}

void column_command() {
    line_commit();
    bool again = CurrentCommandKey == 'a';
    ColumnArea area{};
    int32_t index = 0;
    if (!again) {
        PushPrompt(COLUMN_MENU);
        if (!choose_area(area, index)) {
            RepeatCount = 1;
            PopPrompt();
            return;
        }
    } else if (!remembered_area(area, index)) {
        ShowMessage("Must define new area to repeat");
        RepeatCount = 1;
        return;
    }
    enter_area(area, index);
    for (int32_t i = 0; i < RepeatCount; ++i) run_action(area);
    RepeatCount = 1;
    g_remembered = area;
    g_rememberedValid = true;
    if (!again) PopPrompt();
}

}  // namespace qx
