#include "options/options.h"

#include <bit>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "store/message_ids.h"
#include "store/text.h"

namespace qx {

OptionsBlock Options = DEFAULT_OPTIONS;

namespace {

static_assert(std::endian::native == std::endian::little, "the options file is little-endian");

constexpr std::string_view OPTIONS_FILE = "/.qx.opt";
constexpr std::string_view COLOUR_NAMES[] = {"Default", "Black", "Red",  "Green", "Yellow",
                                             "Blue",    "Magenta", "Cyan", "White"};
constexpr int32_t FIRST_COLOUR = -1;

// "~/.qx.opt" from HOME; false without HOME or when the path would not fit.
bool options_path(PathText& path) {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return false;
    if (std::strlen(home) + OPTIONS_FILE.size() >= PATH_MAX) return false;
    path = PathText(home);
    path += OPTIONS_FILE;
    return true;
}

bool printable(char c) { return c >= 32 && c <= 126; }
bool colour_usable(int32_t number) { return number >= FIRST_COLOUR && number <= 7; }

}  // namespace

bool tab_stop_valid(int64_t tabstop) { return tabstop >= 1 && tabstop <= MAX_LINE; }

void keep_usable_options(OptionsBlock& o) {
    const OptionsBlock& d = DEFAULT_OPTIONS;
    if (!tab_stop_valid(o.tabstop)) o.tabstop = d.tabstop;
    if (!margins_valid(o.leftMargin, o.rightMargin)) {
        o.leftMargin = d.leftMargin;
        o.rightMargin = d.rightMargin;
    }
    if (!colour_usable(o.foreground)) o.foreground = d.foreground;
    if (!colour_usable(o.background)) o.background = d.background;
    if (!printable(o.startOfLineMatch)) o.startOfLineMatch = d.startOfLineMatch;
    if (!printable(o.endOfLineMatch)) o.endOfLineMatch = d.endOfLineMatch;
}

int32_t load_options() {
    PathText path;
    if (!options_path(path)) return MSG_CANNOT_OPEN;
    // A short file changes only the bytes it has.
    OptionsBlock block = Options;
    if (read_file_bytes(path.c_str(), &block, sizeof block) < 0) return MSG_CANNOT_OPEN;
    keep_usable_options(block);
    Options = block;
    return MSG_SUCCESS;
}

int32_t save_options() {
    PathText path;
    if (!options_path(path)) return MSG_CANNOT_OPEN;
    return write_file_bytes(path.c_str(), 1, &Options, sizeof Options);
}

int16_t colour_number(std::string_view name) {
    for (int32_t i = 0; i < static_cast<int32_t>(std::size(COLOUR_NAMES)); ++i) {
        std::string_view known = COLOUR_NAMES[i];
        if (known.size() != name.size()) continue;
        bool same = true;
        for (std::size_t k = 0; k < known.size() && same; ++k)
            same = std::toupper(static_cast<unsigned char>(name[k])) == std::toupper(static_cast<unsigned char>(known[k]));
        if (same) return static_cast<int16_t>(FIRST_COLOUR + i);
    }
    return NO_COLOUR;
}

std::string_view colour_name(int32_t number) {
    return colour_usable(number) ? COLOUR_NAMES[number - FIRST_COLOUR] : "Unknown";
}

}  // namespace qx
