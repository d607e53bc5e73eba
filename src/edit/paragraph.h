// Word and paragraph operations, wrap and justify.
#pragma once

#include <cstdint>

namespace qx {

// Refills the current paragraph after a character was typed (0) or deleted (1)
// while text wrapping is on, keeping the cursor on its character.
void wrap_while_typing(int32_t deleting);

}  // namespace qx
