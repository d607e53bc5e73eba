#include "files/open_files.h"

#include <cstring>

#include "store/memory.h"
#include "store/text.h"

namespace qx {

void save_file_state(int32_t index) {
    EditFile* f = open_file_at(index);
    if (!f) return;
    line_commit();
    f->text = CurrentFile.text;
    f->view = CurrentFile.view;
    std::memcpy(f->name, CurrentFile.name, sizeof f->name);
    f->currentLine = CurrentFile.currentLine;
    f->currentLineNumber = CurrentFile.currentLineNumber;
    f->named = CurrentFile.named;
}

void load_file_state(int32_t index) {
    EditFile* f = open_file_at(index);
    if (!f) return;
    CurrentFile.text = f->text;
    CurrentFile.view = f->view;
    std::memcpy(CurrentFile.name, f->name, sizeof f->name);
    CurrentFile.currentLine = f->currentLine;
    CurrentFile.currentLineNumber = f->currentLineNumber;
    CurrentFile.named = f->named;
    OpenFiles.current = f;
}

void close_all_files() {
    LineEditBuffer.length = 0;
    while (EditFile* f = first_open_file()) {
        list_free_all(f->text.lines);
        int32_t status = 0;
        list_remove(OpenFiles.list, f, status);
        vfree(f);
    }
    OpenFiles.count = 0;
    OpenFiles.currentIndex = -1;
    OpenFiles.current = nullptr;
    CurrentFile = CurrentFileState{};
    CurrentFile.view.cursorRow = 2;
}

}  // namespace qx
