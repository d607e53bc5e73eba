// Builds the editor's global state in memory for unit tests, and tears it down.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "app/startup.h"
#include "buffers/line_buffer.h"
#include "files/open_files.h"
#include "screen/status.h"
#include "store/memory.h"
#include "store/text.h"
#include "undo/undo.h"

namespace qx::test {

inline void fill_text(LineList& list, const std::vector<std::string>& lines) {
    list_init(list);
    for (const std::string& s : lines) list_append(list, new_line(s.data(), static_cast<int32_t>(s.size())));
}

inline std::vector<std::string> texts_of(const LineList& list) {
    std::vector<std::string> out;
    for (Line* l = first_line(list); l; l = next_line(l)) out.emplace_back(l->text(), static_cast<std::size_t>(l->length));
    return out;
}

// Opens one file with the given lines as the current file, its counts stored as read.
inline void open_test_file(const std::vector<std::string>& lines, int32_t format = 'u',
                           const char* name = "test.txt") {
    auto* record = valloc_record<EditFile>();
    list_append(OpenFiles.list, record);
    OpenFiles.currentIndex = OpenFiles.count++;
    OpenFiles.current = record;
    CurrentFile = CurrentFileState{};
    fill_text(CurrentFile.text.lines, lines);
    CurrentFile.text.format = format;
    text_count(CurrentFile.text, false, CurrentFile.text.charCount, CurrentFile.text.lineCount,
               CurrentFile.text.checksum, &CurrentFile.text.fingerprint);
    CurrentFile.currentLine = first_line(CurrentFile.text.lines);
    CurrentFile.view.topLine = CurrentFile.view.bottomLine = CurrentFile.currentLine;
    CurrentFile.view.cursorRow = 2;
    CurrentFile.named = 1;
    std::strncpy(CurrentFile.name, name, MAX_NAME);
    ResetLineNumberCache();
    save_file_state(OpenFiles.currentIndex);
}


}  // namespace qx::test
