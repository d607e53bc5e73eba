// Start-up and the single exit path.
#pragma once

#include <cstdint>

namespace qx {

[[noreturn]] void editor_exit(int32_t status);

}  // namespace qx
