// Update, the Quit menu, and closing files.
#pragma once

#include "store/line.h"

namespace qx {

void update_file();   // U
void quit_menu();     // q

// True to go on dropping the current file; asks first when it is modified.
bool confirm_discard();
// Frees a text from `first` on and, with remove, the current file's record.
void free_file(Line* first, bool remove);

}  // namespace qx
