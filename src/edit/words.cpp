#include "edit/words.h"

#include <algorithm>

#include "edit/delete.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "store/text.h"
#include "undo/undo.h"

namespace qx {

namespace {

// A position beyond the end of the text counts as a blank.
bool delimiter_at(const char* text, int32_t length, int32_t i) {
    return i < 0 || i >= length || WORD_DELIMITERS.find(text[i]) != std::string_view::npos;
}

FileView& view() { return CurrentFile.view; }

}  // namespace

int32_t end_of_word(const char* text, int32_t length, int32_t c) {
    c = std::min(c, length - 1);
    int32_t i = c;
    while (i < length && delimiter_at(text, length, i)) ++i;
    if (i >= length) return c;
    while (!delimiter_at(text, length, i + 1)) ++i;
    return i;
}

int32_t next_word_start(const char* text, int32_t length, int32_t c) {
    c = std::min(c, length - 1);
    int32_t i = c;
    while (i < length && !delimiter_at(text, length, i)) ++i;
    while (i < length && delimiter_at(text, length, i)) ++i;
    return i < length ? i : c;
}

int32_t previous_word_start(const char* text, int32_t length, int32_t c) {
    c = std::min(c, length - 1);
    int32_t i = c;
    while (i >= 0 && delimiter_at(text, length, i)) --i;
    if (i < 0) return c;
    while (!delimiter_at(text, length, i - 1)) --i;
    return i;
}

void word_left() {
    if (view().cursorColumn == 0) return;
    line_commit();
    const Line* line = CurrentFile.currentLine;
    int32_t start = previous_word_start(line->text(), line->length, view().cursorColumn - 1);
    if (!delimiter_at(line->text(), line->length, start)) view().cursorColumn = start;
    PlaceCursor();
}

void word_right() {
    line_commit();
    const Line* line = CurrentFile.currentLine;
    if (view().cursorColumn >= line->length - 1) return;
    view().cursorColumn = next_word_start(line->text(), line->length, view().cursorColumn);
    PlaceCursor();
}

void delete_word() {
    line_commit();
    const Line* line = CurrentFile.currentLine;
    int32_t col = view().cursorColumn;
    if (col >= line->length - 1) {
        Beep();
        return;
    }
    int32_t count = end_of_word(line->text(), line->length, col) - col + 1;
    push_undo_del_text(line->text() + col, count, CurrentLineIndex(), col);
    // DelChar records nothing here: the command is DeleteWord.
    for (int32_t i = 0; i < count; ++i) del_char();
}

}  // namespace qx
