// Tags and jumps: moving the cursor to a line of the current file by tag or by
// number. None of these change the text; each leaves the line number exact.
#pragma once

namespace qx {

void tags_menu();      // t
void jump_menu();      // j
void tag_command();    // `
void top_of_file();    // backslash
void end_of_file();    // ~

}  // namespace qx
