// The fixed message table: conditions reported on row 0, prompts and panel titles.
#pragma once

#include <cstdint>
#include <string_view>

#include "store/fixed_text.h"
#include "store/message_ids.h"

namespace qx {

std::string_view message_text(int32_t id);

// What row 0 says when a name could not be opened for the reason why (an errno
// value or NOT_REGULAR_FILE, from open_regular_file).
RowText cannot_open_text(int32_t why);

}  // namespace qx
