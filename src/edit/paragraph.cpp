#include "edit/paragraph.h"

namespace qx {

// Paragraph refilling comes with wrap and justify; until then typing and
// deleting leave the paragraph as it stands.
void wrap_while_typing(int32_t) {}

}  // namespace qx
