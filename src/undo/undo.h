// The undo history shared by all files.
#pragma once

#include <cstdint>

namespace qx {

void flush_undo();
int32_t undo_items();
int32_t undo_steps();

}  // namespace qx
