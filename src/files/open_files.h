// The list of open files and switching between them.
#pragma once

#include <cstdint>

namespace qx {

void save_file_state(int32_t index);
void load_file_state(int32_t index);
// Frees every open file without writing it.
void close_all_files();

}  // namespace qx
