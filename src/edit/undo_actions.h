// The undo command: each step takes the newest item of the current queue and
// reverses one step of it with the editing code.
#pragma once

namespace qx {

void undo_step();   // u

}  // namespace qx
