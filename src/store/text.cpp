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
    int32_t length = std::min(line->length.get(), EDIT_BUFFER_SIZE);
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
        line->length = length;
        std::memcpy(line->text(), LineEditBuffer.text, length);
    }
    line_abandon();
}

void line_abandon() {
    LineEditBuffer.length = 0;
    LineEditBuffer.loaded = false;
}

uint32_t line_sums(const char* text, int32_t length, uint64_t& line_fingerprint) {
    // The checksum adds 32-bit words: the low halves of a 64-bit sum of 8-byte words
    // and of a sum of their high halves give it.
    uint64_t words = 0, highs = 0;
    // The length too: a character moved across a line end changes no sum.
    uint64_t h = FINGERPRINT_START + static_cast<uint64_t>(length);
    int32_t i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t word;
        std::memcpy(&word, text + i, 8);
        words += word;
        highs += word >> 32;
        h = fingerprint_step(h, word);
    }
    // The last bytes, without a branch on how many there are: line lengths vary at
    // random, and a wrong guess costs more than the sums.
    auto rest = static_cast<uint32_t>(length - i);
    uint64_t tail = 0;
    if (length >= 8) {
        uint64_t last;
        std::memcpy(&last, text + length - 8, 8);   // the line's last 8 bytes, the rest at their top
        tail = rest ? last >> (64 - 8 * rest) : 0;
    } else {
        for (uint32_t k = 0; k < rest; ++k) tail |= uint64_t{static_cast<unsigned char>(text[k])} << 8 * k;
    }
    // The checksum takes a whole 4-byte word when there is one, then the bytes after
    // it one by one, signed: their plain sum less 256 for each from 0x80.
    bool word = rest >= 4;
    auto bytes = static_cast<uint32_t>(word ? tail >> 32 : tail);
    uint32_t pairs = (bytes & 0x00FF00FF) + (bytes >> 8 & 0x00FF00FF);
    uint32_t high = ((bytes & 0x80808080u) >> 7) * 0x01010101u >> 24;
    uint32_t sum = static_cast<uint32_t>(words) + static_cast<uint32_t>(highs) +
                   (word ? static_cast<uint32_t>(tail) : 0) + (pairs & 0xFFFF) + (pairs >> 16) - 256 * high;
    line_fingerprint = fingerprint_step(h, tail);
    return sum;
}

uint32_t line_checksum(const char* text, int32_t length) {
    uint64_t unused;
    return line_sums(text, length, unused);
}

uint64_t empty_text_fingerprint() {
    uint64_t line;
    line_sums(nullptr, 0, line);
    return fingerprint_step(FINGERPRINT_START, line);
}

void text_count(const FileText& text, bool memory_mode, uint32_t& chars, uint32_t& lines,
                uint32_t& checksum, uint64_t* fingerprint) {
    chars = lines = checksum = 0;
    uint64_t h = FINGERPRINT_START;
    uint32_t line_end = text.format == 'u' ? 1 : 2;
    if (memory_mode) line_end += 16;
    for (const Line* line = first_line(text.lines); line; line = next_line(line)) {
        ++lines;
        chars += static_cast<uint32_t>(line->length) + line_end;
        uint64_t line_fingerprint;
        checksum += line_sums(line->text(), line->length, line_fingerprint);
        h = fingerprint_step(h, line_fingerprint);
    }
    if (fingerprint) *fingerprint = h;
}

bool TextSumsPending = false;

void defer_text_sums(FileText& text) {
    text.sumsPending = true;
    TextSumsPending = true;
}

namespace {
void settle(FileText& text) {
    uint32_t chars, lines;
    text_count(text, false, chars, lines, text.checksum, &text.fingerprint);
    text.sumsPending = false;
    // The reader counts a line end by the format known so far: its counts are what a
    // walk gives only when that never changed.
    if (text.format == 'u') note_counts_hold(text);
}
}  // namespace

void settle_text_sums() {
    if (!TextSumsPending) return;
    TextSumsPending = false;
    if (CurrentFile.text.sumsPending) settle(CurrentFile.text);
    for (EditFile* f = first_open_file(); f; f = next_open_file(f)) {
        if (!f->text.sumsPending) continue;
        if (f != OpenFiles.current) {
            settle(f->text);
            continue;
        }
        // The current file's record is a snapshot of the same lines.
        f->text.checksum = CurrentFile.text.checksum;
        f->text.fingerprint = CurrentFile.text.fingerprint;
        f->text.counted = CurrentFile.text.counted;
        f->text.sumsPending = false;
    }
}

bool counts_differ(const FileText& text, uint32_t chars, uint32_t lines, uint32_t checksum,
                   uint64_t fingerprint) {
    settle_text_sums();
    return chars != text.charCount || lines != text.lineCount || checksum != text.checksum ||
           fingerprint != text.fingerprint;
}

bool text_modified(const FileText& text) {
    const CountsHold& c = text.counted;
    if (c.changes == TextChanges && c.format == text.format &&
        !counts_differ(text, c.chars, c.lines, c.checksum, c.fingerprint))
        return false;
    uint32_t chars, lines, checksum;
    uint64_t fingerprint;
    text_count(text, false, chars, lines, checksum, &fingerprint);
    return counts_differ(text, chars, lines, checksum, fingerprint);
}

void note_counts_hold(FileText& text) {
    text.counted = {TextChanges, text.charCount, text.lineCount, text.checksum, text.fingerprint, text.format};
}

bool file_is_modified() { return text_modified(CurrentFile.text); }

bool count_modified_files(int32_t& count) {
    count = 0;
    for (EditFile* f = first_open_file(); f; f = next_open_file(f))
        if (text_modified(f->text)) ++count;
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
