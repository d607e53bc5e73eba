#include "files/quit.h"

#include "screen/screen.h"
#include "store/memory.h"
#include "store/text.h"

namespace qx {

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
