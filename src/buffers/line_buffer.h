// The line block buffer and the single line buffer.
#pragma once

#include "store/text.h"

namespace qx {

extern FileText LineBlockBuffer;
extern FileText SingleLineBuffer;

void release_line_buffers();

}  // namespace qx
