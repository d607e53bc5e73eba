// Closing files: the operations every closing path shares.
#pragma once

#include "store/line.h"

namespace qx {

// Frees a text from `first` on and, with remove, the current file's record.
void free_file(Line* first, bool remove);

}  // namespace qx
