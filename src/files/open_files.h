// The list of open files: opening, switching, finding, and the Edit menu.
#pragma once

#include <cstdint>
#include <string_view>

namespace qx {

inline constexpr std::string_view UNNAMED_FILE = "Unnamed File";

extern int32_t OpenResult;   // MessageId of the last open_file: 0, 3 or 8
extern int32_t OpenError;    // with 3: why its path could not be opened (open_regular_file)

void save_file_state(int32_t index);
void load_file_state(int32_t index);
void switch_file(int32_t from, int32_t to);
int32_t find_open_file(std::string_view name);
// Opens a file from disk, or a new unnamed file when path is null.
void open_file(const char* path);
// Makes the current (just opened) file a new empty file.
void make_new_empty_file();
// Frees every open file without writing it.
void close_all_files();

void edit_menu();    // e
void go_to_file();   // g
void next_file();    // n

}  // namespace qx
