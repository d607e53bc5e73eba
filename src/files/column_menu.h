// The Column command: the column menu over an area of lines and columns, its Read
// and SaveAs through the file reader and writer, and Again on the remembered area.
#pragma once

namespace qx {

void column_command();   // c

// Forgets the remembered area (start-up).
void reset_column_menu();

}  // namespace qx
