#include "files/buffer_files.h"

#include <unistd.h>

#include "files/selector.h"
#include "input/prompt.h"
#include "options/options.h"
#include "screen/messages.h"
#include "screen/status.h"
#include "store/text.h"
#include "store/text_file.h"

namespace qx {

bool read_chosen_file(LineList& read) {
    char name[PROMPT_ANSWER_SIZE];
    if (!choose_file_name(MSG_SELECT_READ, MSG_NONE_TO_READ, name, sizeof name, true)) return false;
    // A name that cannot be read says why, as when a file is opened.
    int32_t why = 0;
    int fd = open_regular_file(name, why);
    if (fd < 0) {
        ShowMessage(cannot_open_text(why));
        return false;
    }
    ::close(fd);
    // Read aside first: a file that fails leaves the caller's buffer as it was.
    LineList lines;
    list_init(lines);
    uint32_t chars, count;
    int32_t format;
    int32_t result = read_text_lines(name, lines, chars, count, format, tab_translation());
    PendingMessage = result;
    if (result != MSG_SUCCESS) {
        list_free_all(lines);
        ShowMessage(message_text(result));
        return false;
    }
    list_append_all(read, lines);
    return true;
}

void write_chosen_file(Line* first, Line* stop) {
    char name[PROMPT_ANSWER_SIZE];
    if (!choose_file_name(MSG_SELECT_WRITE, MSG_NONE_TO_WRITE, name, sizeof name, true)) return;
    uint32_t chars, count, checksum;
    int32_t result = write_text_file(name, 0, 'u', first, stop, chars, count, checksum, tab_translation());
    RowText message = shorten_left(name, 16);
    message += result == MSG_SUCCESS ? " has been written" : " failed to write";
    ShowMessage(message);
}

}  // namespace qx
