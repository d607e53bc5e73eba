// The message identifiers: the status words every layer passes around. Their texts
// belong to the screen (screen/messages.h).
#pragma once

#include <cstdint>

namespace qx {

enum MessageId : int32_t {
    MSG_HELP_HINT = 0,
    MSG_UNKNOWN_COMMAND = 1,
    MSG_NO_MEMORY = 2,
    MSG_CANNOT_OPEN = 3,
    MSG_NAME_TOO_LONG = 4,
    MSG_LIST_ERROR = 5,
    MSG_END_OF_LIST = 6,
    MSG_NO_FILE = 7,
    MSG_NOT_TEXT = 8,
    MSG_FILE_PROMPT = 9,
    MSG_FIND_PROMPT = 10,
    MSG_REPLACE_PROMPT = 11,
    MSG_BAD_SELECTION = 12,
    MSG_HELP_HINT_PADDED = 13,
    MSG_RETURN_PROMPT = 14,
    MSG_SELECT_OPEN = 15,
    MSG_SELECT_READ = 16,
    MSG_SELECT_WRITE = 17,
    MSG_NONE_TO_OPEN = 18,
    MSG_NONE_TO_READ = 19,
    MSG_NONE_TO_WRITE = 20,
};

// As a status, 0 means success (the table's entry 0 is only ever shown as the hint).
inline constexpr int32_t MSG_SUCCESS = 0;
inline constexpr int32_t MESSAGE_COUNT = 21;

}  // namespace qx
