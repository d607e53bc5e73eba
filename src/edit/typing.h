// Text entry: typed characters and new lines, in insert or overwrite mode.
#pragma once

namespace qx {

void TypeChar(int c);
void NewLine();

// Forgets the indentation remembered for auto-indent.
void reset_typing();

}  // namespace qx
