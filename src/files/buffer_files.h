// A buffer's lines read from or written to a file the user chooses, for the block
// and column menus: through the file selector and the reader and writer of text
// files, with LF line ends.
#pragma once

#include "store/line.h"

namespace qx {

// Asks for a name and appends the file's lines to `read`. A name that cannot be
// read, or is no text, is reported and leaves `read` as it was: false.
bool read_chosen_file(LineList& read);
// Asks for a name and writes the lines from first up to stop, reporting the
// name with the result.
void write_chosen_file(Line* first, Line* stop);

}  // namespace qx
