// The file selector: a full-screen chooser with two faces, the directory browser
// (returns a path, relative to the directory the editor runs in when it can be) and
// the table of open files (returns an index). Both share the entry table, the page
// layout and the interaction loop.
#pragma once

#include <climits>
#include <cstdint>
#include <string_view>

#include "store/fixed_text.h"
#include "store/message_ids.h"

namespace qx {

inline constexpr int32_t SELECTOR_NAME_SIZE = 256;
inline constexpr int32_t START_DIRECTORY_SIZE = 1024;

// A browsing path: any directory the system can enter plus one entry name, or a
// start-relative path built from two directory names and an entry name.
using SelectorPath = FixedText<PATH_MAX + SELECTOR_NAME_SIZE + 4>;
static_assert(PATH_MAX >= 2 * START_DIRECTORY_SIZE);

// One row of the chooser. The table has room for one more entry: the typed name.
struct SelectorEntry {
    char name[SELECTOR_NAME_SIZE];
    int32_t isDirectory;   // drawn highlighted
    int32_t lines;         // open-file table only
    int32_t chars;
    int32_t changed;
};
static_assert(sizeof(SelectorEntry) == 272);

enum class SelectorFace { Browser, Table };

// Where everything of one face goes, from the screen size.
struct SelectorLayout {
    SelectorFace face;
    int32_t entryColumns;
    int32_t columnWidth;
    int32_t entryRows;
    int32_t pageCapacity;
    int32_t firstRow;           // of the entries
    int32_t firstColumn;
    int32_t directoryRow;       // "Curr Dir:"
    int32_t directoryValueColumn;
    int32_t fileRow;            // "Curr File:"
    int32_t fileValueColumn;
    int32_t valueWidth;
    int32_t pageColumn;         // "Page n/total" on row 0
};
SelectorLayout selector_layout(SelectorFace face, int32_t rows, int32_t columns);

// The browsing directory after choosing the directory `name` in `dir`.
SelectorPath enter_directory(std::string_view dir, std::string_view name);
// `dir` without its last component; "/" stays "/".
SelectorPath parent_directory(std::string_view dir);
// The path of `name` in `dir` as written from `start` (both full paths).
SelectorPath path_from_start(std::string_view start, std::string_view dir, std::string_view name);

// The directory browser. destination gets the chosen path, or "" when nothing was
// chosen. With redraw the editor's screen is rebuilt after a choice too.
void select_file_name(std::string_view title, char* destination, int32_t size, bool redraw);
// The open-file table: the index of the chosen file (the preselected current file
// when nothing valid was chosen, -1 when none is open); destination gets its name.
// The browser under the title `title`; when nothing is chosen it says `none` and
// answers false.
bool choose_file_name(MessageId title, MessageId none, char* destination, int32_t size, bool redraw);
int32_t select_open_file(std::string_view title, char* destination, int32_t size, bool redraw);
// The interaction loop over n entries: 0 cancelled, 1 a file or a name that does not
// exist, 2 a directory. position is where it starts and, after a choice, the index
// chosen (0 for a typed name). After a resize the layout is made again for the new
// size and the panel, under its title, drawn again.
int32_t choose_entry(SelectorLayout& layout, std::string_view title, SelectorEntry* entries, int32_t n,
                     char* destination, int32_t size, int32_t& position);

}  // namespace qx
