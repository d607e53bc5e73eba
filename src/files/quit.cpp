#include "files/quit.h"

#include "input/dispatch.h"
#include "screen/screen.h"
#include "store/memory.h"
#include "store/text.h"

namespace qx {

// Writing files and the Quit menu come with the file selector.
void update_file() { command_not_built(); }
void quit_menu() { command_not_built(); }
bool confirm_discard() { return false; }

void free_file(Line* first, bool remove) {
    LineEditBuffer.length = 0;
    for (Line* line = first; line;) {
        Line* next = next_line(line);
        free_line(line);
        line = next;
    }
    if (first) {
        CurrentFile.text = FileText{};
        CurrentFile.view = FileView{};
        CurrentFile.name[0] = '\0';
        CurrentFile.currentLine = nullptr;
        CurrentFile.view.cursorRow = FIRST_TEXT_ROW;
    }
    if (remove) {
        if (EditFile* record = open_file_at(OpenFiles.currentIndex)) {
            int32_t status = 0;
            list_remove(OpenFiles.list, record, status);
            vfree(record);
        }
    }
    --OpenFiles.count;
    OpenFiles.current = nullptr;
    OpenFiles.currentIndex = -1;
}

}  // namespace qx
