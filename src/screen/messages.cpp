#include "screen/messages.h"

#include <array>
#include <cerrno>
#include <cstring>

#include "store/text_file.h"

namespace qx {

namespace {
constexpr std::array<std::string_view, MESSAGE_COUNT> MESSAGES = {
    "ESC-h for Help",
    "Unknown command",
    "Insufficient memory",
    "Could not open requested file",
    "Filename too large",
    "Linked list error",
    "    End of list",
    "No current file",
    "Not a text file (ENTER to continue)",
    "File: ",
    "Find (F10 to clear): ",
    "Replace (F10 to clear): ",
    "Invalid menu selection",
    "ESC-h for Help                          ",
    "ENTER (return to editing)",
    " - Select/Type Filename to Open",
    " - Select/Type Filename to Read",
    " - Select/Type Filename to Write",
    "No File Selected to Open",
    "No File Selected to Read",
    "No File Selected to Write",
};
static_assert(MESSAGES[MSG_HELP_HINT_PADDED].size() == 40);
}  // namespace

std::string_view message_text(int32_t id) {
    return id >= 0 && id < MESSAGE_COUNT ? MESSAGES[id] : std::string_view{};
}

RowText cannot_open_text(int32_t why) {
    if (why == ENOENT) return RowText(message_text(MSG_CANNOT_OPEN));
    RowText text("Could not open: ");
    text += why == NOT_REGULAR_FILE ? "Not a regular file" : std::strerror(why);
    return text;
}

}  // namespace qx
