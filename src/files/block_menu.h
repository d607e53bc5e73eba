// The Block command: the block menu over a selection of lines, its Read and
// SaveAs through the file reader and writer, and Again on the remembered block.
#pragma once

namespace qx {

void block_command();   // b

// Forgets the remembered block (start-up).
void reset_block_menu();

}  // namespace qx
