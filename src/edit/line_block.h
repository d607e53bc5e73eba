// Blocks of whole lines: selecting them with the motion keys, and the actions of
// the line block buffer and the single line buffer on the current file.
#pragma once

#include <cstdint>
#include <string_view>

#include "store/line.h"

namespace qx {

inline constexpr std::string_view BLOCK_MENU =
    "Copy  Append  Kill  Delete  Paste  Wrap  Read  SaveAs  Xchng  Flush : ";
inline constexpr std::string_view BLOCK_CHOICES = "CAKDPWRSXF";

// A range of lines of the current file and the action chosen for it.
struct BlockSelection {
    Line* first;
    Line* last;
    int32_t count;         // lines from first through last
    int32_t action;        // the choice letter
    int32_t actionIndex;   // its position among the choices
};

// The letter of the block action being run: Copy and Append, Kill and Delete
// share their operations, and Flush alone reports.
extern int32_t BlockAction;

// Marks lines from the current one as the user moves with the motion keys, until
// a choice letter is typed; false when Enter cancels. The marks stand in text
// column mark_column.
bool select_block(int32_t mark_column, std::string_view choices, BlockSelection& block);

// A selection mark at a text column of a screen row, and what the line has there
// shown again in its place (a blank past its end).
void mark_at(int32_t column, int32_t row, char mark);
void unmark_at(const Line* line, int32_t column, int32_t row);
// Looks for two remembered lines in the current file without following either:
// they may be gone. Fills the block's first and last line and count, and returns
// the index of its first line, or -1 when one of them is not there.
int32_t find_block_lines(const Line* a, const Line* b, BlockSelection& block);

void block_copy(const BlockSelection& block);   // Copy, Append
void block_kill(const BlockSelection& block);   // Kill, Delete
// Pastes copies of the line block buffer's lines at the current line.
void block_paste();
// Where pasted lines go: after the last line of a file of several lines and
// before the current line otherwise, or always before or after it.
enum class PastePlace { Rule, Before, After };
// Pastes copies of another list of lines as the block Paste does.
void paste_line_list(const LineList& source, PastePlace place = PastePlace::Rule);
void flush_block_buffer();
void exchange_buffers(std::string_view message);

void paste_command();   // p
void copy_lines();      // C
void cut_lines();       // X
void paste_lines();     // V

}  // namespace qx
