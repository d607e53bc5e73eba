#include "store/text.h"

#include <algorithm>
#include <cstring>

#include "store/memory.h"

namespace qx {

CurrentFileState CurrentFile;
OpenFileList OpenFiles{{}, -1, nullptr, 0};
LineEditBufferState LineEditBuffer;

EditFile* open_file_at(int32_t index) {
    if (index < 0 || OpenFiles.list.count == 0) return nullptr;
    int32_t steps, status = 0;
    ListLink* node = list_walk(OpenFiles.list, OpenFiles.list.first, '+', steps, index, status);
    return steps == index ? static_cast<EditFile*>(node) : nullptr;
}

void line_load() {
    if (LineEditBuffer.loaded) return;
    LineEditBuffer.loaded = true;
    std::memset(LineEditBuffer.text, ' ', EDIT_BUFFER_SIZE);
    const Line* line = CurrentFile.currentLine;
    int32_t length = std::min(line->length, EDIT_BUFFER_SIZE);
    std::memcpy(LineEditBuffer.text, line->text(), length);
    LineEditBuffer.length = length;
}

void line_commit() {
    if (!LineEditBuffer.loaded) return;
    int32_t length = std::min(LineEditBuffer.length, MAX_LINE);
    Line* line = CurrentFile.currentLine;
    if (length > line->length) {
        // The record has no room to grow: replace it at the same place in the list.
        LineList& lines = CurrentFile.text.lines;
        ListLink* before = line->prev;
        Line* grown = new_line(LineEditBuffer.text, length);
        move_line_marks(line, grown);
        int32_t status = 0;
        list_remove(lines, line, status);
        list_insert_after(lines, before, grown, status);
        if (CurrentFile.view.topLine == line) CurrentFile.view.topLine = grown;
        if (CurrentFile.view.bottomLine == line) CurrentFile.view.bottomLine = grown;
        free_line(line);
        CurrentFile.currentLine = grown;
    } else {
        note_text_change();
        line->length = length;
        std::memcpy(line->text(), LineEditBuffer.text, length);
    }
    line_abandon();
}

void line_abandon() {
    LineEditBuffer.length = 0;
    LineEditBuffer.loaded = false;
}

uint32_t line_checksum(const char* text, int32_t length) {
    int32_t words = length / 4;
    uint32_t sum = mem_sum_words(text, words);
    for (int32_t i = words * 4; i < length; ++i)
        sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(text[i])));
    return sum;
}

void text_count(const FileText& text, bool memory_mode, uint32_t& chars, uint32_t& lines,
                uint32_t& checksum) {
    chars = lines = checksum = 0;
    uint32_t line_end = text.format == 'u' ? 1 : 2;
    if (memory_mode) line_end += 16;
    for (const Line* line = first_line(text.lines); line; line = next_line(line)) {
        ++lines;
        chars += static_cast<uint32_t>(line->length) + line_end;
        checksum += line_checksum(line->text(), line->length);
    }
}

bool counts_differ(const FileText& text, uint32_t chars, uint32_t lines, uint32_t checksum) {
    return chars != text.charCount || lines != text.lineCount || checksum != text.checksum;
}

namespace {
bool differs(const FileText& text) {
    const CountsHold& c = text.counted;
    if (c.changes == TextChanges && c.format == text.format && !counts_differ(text, c.chars, c.lines, c.checksum))
        return false;
    uint32_t chars, lines, checksum;
    text_count(text, false, chars, lines, checksum);
    return counts_differ(text, chars, lines, checksum);
}
}  // namespace

void note_counts_hold(FileText& text) {
    text.counted = {TextChanges, text.charCount, text.lineCount, text.checksum, text.format};
}

bool file_is_modified() { return differs(CurrentFile.text); }

bool count_modified_files(int32_t& count) {
    count = 0;
    for (EditFile* f = first_open_file(); f; f = next_open_file(f))
        if (differs(f->text)) ++count;
    return count > 0;
}

RowText shorten_left(std::string_view text, int32_t width) {
    RowText result;
    if (width <= 0) return result;
    if (static_cast<int32_t>(text.size()) <= width) return RowText(text);
    std::string_view tail = text.substr(text.size() - width);
    std::size_t dots = std::min<std::size_t>(3, tail.size());
    result.append(dots, '.');
    result.append(tail.substr(dots));
    return result;
}

int32_t leading_blanks(const Line* line) { return count_leading_blanks(line->text(), line->length); }

}  // namespace qx
