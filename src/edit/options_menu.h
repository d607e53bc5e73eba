// The options menu: tabs, indent, wrap and margins, colours, match characters, the
// current file's format, mouse support, and saving the options file.
#pragma once

namespace qx {

void options_menu();   // o

}  // namespace qx
