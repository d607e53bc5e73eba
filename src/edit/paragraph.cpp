#include "edit/paragraph.h"

#include <algorithm>
#include <cstring>

#include "options/options.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "store/text.h"
#include "undo/undo.h"

namespace qx {

namespace {

FileView& view() { return CurrentFile.view; }
LineList& lines() { return CurrentFile.text.lines; }

// The right margin as a line can hold it.
int32_t right_margin() { return std::clamp(Options.rightMargin, 1, MAX_LINE); }

// Blanks before the first other character; 0 for a line of blanks only. Only
// the blank separates words here: a tab is part of a word.
int32_t indentation(const Line* line) {
    int32_t n = 0;
    while (n < line->length && line->text()[n] == ' ') ++n;
    return n < line->length ? n : 0;
}

// Where the second word of a text starts, or -1.
int32_t second_word_start(const char* text, int32_t length) {
    int32_t i = 0;
    while (i < length && text[i] == ' ') ++i;
    while (i < length && text[i] != ' ') ++i;
    while (i < length && text[i] == ' ') ++i;
    return i < length ? i : -1;
}

int32_t longest_word(const Line* line) {
    int32_t longest = 0, run = 0;
    for (int32_t i = 0; i < line->length; ++i) {
        run = line->text()[i] == ' ' ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

// Pads the gaps between the words after the head so that the line is exactly
// `margin` long.
void justify(char* text, int32_t& length, int32_t hanging, int32_t margin) {
    if (length == 0 || length >= margin) return;
    int32_t head = second_word_start(text, length) == hanging ? hanging : count_leading_blanks(text, length);
    char words[2 * EDIT_BUFFER_SIZE];
    int32_t total = 0, count = 0;
    for (int32_t i = head; i < length;) {
        while (i < length && text[i] == ' ') ++i;
        if (i == length) break;
        if (count++ > 0) words[total++] = ' ';
        while (i < length && text[i] != ' ') words[total++] = text[i++];
    }
    if (count < 2) return;
    int32_t extra = margin - (head + total);
    int32_t gaps = count - 1;
    int32_t n = head, gap = 0;
    for (int32_t i = 0; i < total; ++i) {
        if (words[i] != ' ') {
            text[n++] = words[i];
            continue;
        }
        int32_t blanks = 1 + extra / gaps + (gap++ < extra % gaps ? 1 : 0);
        std::memset(text + n, ' ', blanks);
        n += blanks;
    }
    length = n;
}

// The output lines of a wrap, built one at a time.
struct Refill {
    LineList out;
    char text[2 * EDIT_BUFFER_SIZE];
    int32_t length;   // counts one blank after every word placed
    int32_t words;    // on the line being built
    int32_t hanging;  // indentation of every line but the first
    int32_t margin;
    bool justify;
};

void finish_line(Refill& r) {
    int32_t n = r.length - 1;   // without the blank after the last word
    if (r.justify) justify(r.text, n, r.hanging, r.margin);
    list_append(r.out, new_line(r.text, n));
    std::memset(r.text, ' ', r.hanging);
    r.length = r.hanging;
    r.words = 0;
}

void place_word(Refill& r, const char* word, int32_t w) {
    if (w + r.length >= r.margin && r.length > r.hanging && r.words > 0) finish_line(r);
    std::memcpy(r.text + r.length, word, w);
    r.length += w;
    r.text[r.length++] = ' ';
    ++r.words;
}

void place_words(Refill& r, const Line* line, int32_t from) {
    const char* t = line->text();
    for (int32_t i = from, n = line->length; i < n;) {
        while (i < n && t[i] == ' ') ++i;
        int32_t start = i;
        while (i < n && t[i] != ' ') ++i;
        if (i > start) place_word(r, t + start, i - start);
    }
}

// Makes `line` current at `column`: on its row when it is on the screen, else
// framed on the middle row.
void go_to_line(Line* line, int32_t column) {
    CurrentFile.currentLine = line;
    view().cursorColumn = column;
    int32_t row;
    if (FindLineRow(line, row)) {
        view().cursorRow = row;
        PlaceCursor();
    } else {
        FrameCurrentLine(NOTICE_ROW);
        RedrawText();
    }
}

// Moves to a line `steps` lines away, keeping a known line number known.
void go_to_counted(Line* line, int32_t column, int32_t steps) {
    Line* from = CurrentFile.currentLine;
    go_to_line(line, column);
    StepLineNumberCache(from, steps);
}

Line* walk_up_to_start(Line* line, int32_t* steps) {
    int32_t n = 0;
    while (line->length == 0 && prev_line(line)) line = prev_line(line), ++n;
    while (prev_line(line) && prev_line(line)->length != 0) line = prev_line(line), ++n;
    if (line->length == 0 && next_line(line)) line = next_line(line), --n;
    if (steps) *steps = n;
    return line;
}

Line* walk_down_to_end(Line* line, int32_t* steps) {
    int32_t n = 0;
    while (line->length == 0 && next_line(line)) line = next_line(line), ++n;
    while (line->length != 0 && next_line(line)) line = next_line(line), ++n;
    if (line->length == 0 && prev_line(line)) line = prev_line(line), --n;
    if (steps) *steps = n;
    return line;
}

// The paragraph of the current line refilled, the cursor then on the line after it.
// Wrapping while typing records nothing: the history was just emptied, and the
// lines it would keep hold the wrap marker.
void wrap_paragraph(bool record) {
    line_commit();
    Line* current = CurrentFile.currentLine;
    int32_t down = 0, back = 0;
    Line* last = walk_down_to_end(current, &down);
    // Only empty lines from here to the end of the file: no paragraph below to refill.
    if (last->length == 0) return para_down();
    Line* first = walk_up_to_start(last, &back);
    int32_t first_index = CurrentLineIndex() + down - back;
    ListLink* before = first->prev;
    int32_t before_row = FIRST_TEXT_ROW - 1;
    bool before_shown = !is_list_header(before) && FindLineRow(static_cast<Line*>(before), before_row);
    bool first_was_top = first == view().topLine;
    if (record) push_undo_wrap_para(first, last, first_index, view().cursorColumn);
    int32_t count = wrap_lines(first, last);
    if (record)
        if (const char* problem = update_undo_wrap_para(count)) ShowMessage(problem);
    StepPastLine(before, before_shown, first_was_top, before_row);
    SetLineNumberCache(first_index + 1);
    para_down();
}

}  // namespace

Line* paragraph_start(Line* line) { return walk_up_to_start(line, nullptr); }
Line* paragraph_end(Line* line) { return walk_down_to_end(line, nullptr); }

int32_t wrap_lines(Line* first, Line* last) {
    int32_t margin = right_margin();
    if (first == last && first->length <= margin) return 1;
    int32_t i1 = indentation(first), i2 = i1, previous = i1, changes = 0, count = 0, longest = 0;
    bool dense = false;
    for (const Line* l = first;; l = next_line(l)) {
        ++count;
        longest = std::max(longest, longest_word(l));
        if (l != first) {
            int32_t indent = indentation(l);
            changes += indent != previous;
            previous = i2 = indent;
            dense |= l->length >= margin && mem_find_byte(l->text(), ' ', std::min(l->length.get(), margin + 1)) < 0;
        }
        if (l == last) break;
    }
    // A hanging indent, or an indented first line: the lines after the first share one
    // indentation, which differs from the first line's.
    if (changes != 1) i2 = i1;
    if (int32_t m = Options.leftMargin; m >= 0) {
        if (i2 > i1) {
            i2 += m - i1;
            i1 = m;
        } else {
            i1 += m - i2;
            i2 = m;
        }
    }
    // A word that cannot stand on a line of its own within the line limit counts as dense too.
    if (dense || std::max(i1, i2) + longest + 1 > MAX_LINE) {
        ShowMessage("Paragraph too dense to wrap");
        return count;
    }

    Refill r;
    list_init(r.out);
    r.hanging = i2;
    r.margin = margin;
    r.justify = Options.rightJustify != 0;
    r.words = 0;
    int32_t from = 0;
    if (second_word_start(first->text(), first->length) == i2) {
        // A label (a number and blanks, say) stands as it is before the hanging indent.
        std::memcpy(r.text, first->text(), i2);
        r.length = from = i2;
    } else {
        std::memset(r.text, ' ', i1);
        r.length = i1;
    }
    for (const Line* l = first;; l = next_line(l)) {
        place_words(r, l, l == first ? from : 0);
        if (l == last) break;
    }
    if (r.words > 0) list_append(r.out, new_line(r.text, r.length));
    // Lines of blanks only have no word to refill: they stay as they are.
    if (r.out.count == 0) return count;

    ListLink* at = first->prev;
    int32_t status = 0;
    for (Line* l = first;;) {
        Line* next = next_line(l);
        bool end = l == last;
        list_remove(lines(), l, status);
        free_line(l);
        if (end) break;
        l = next;
    }
    int32_t made = static_cast<int32_t>(r.out.count);
    while (Line* l = first_line(r.out)) {
        list_remove(r.out, l, status);
        list_insert_after(lines(), at, l, status);
        at = l;
    }
    return made;
}

void para_up() {
    line_commit();
    Line* current = CurrentFile.currentLine;
    Line* from = prev_line(current) ? prev_line(current) : current;
    int32_t back = 0;
    Line* start = walk_up_to_start(from, &back);
    go_to_counted(start, 0, -(back + (from != current)));
}

void para_down() {
    line_commit();
    int32_t down = 0;
    Line* end = walk_down_to_end(CurrentFile.currentLine, &down);
    if (Line* next = next_line(end)) go_to_counted(next, 0, down + 1);
    else go_to_counted(end, end->length, down);
}

void wrap_para() { wrap_paragraph(true); }

void block_wrap(Line* first, Line* last) {
    line_commit();
    Line* stop = next_line(paragraph_end(paragraph_start(last)));
    // Each refill leaves the cursor past at least one of these lines.
    int32_t limit = 1;
    for (const Line* l = first; l != stop && l; l = next_line(l)) ++limit;
    go_to_line(first, 0);
    while (CurrentFile.currentLine != stop && limit-- > 0) {
        wrap_paragraph(true);
        if (!next_line(CurrentFile.currentLine)) break;
    }
}

void wrap_while_typing(int32_t deleting) {
    line_commit();
    Line* line = CurrentFile.currentLine;
    if (line->length == 0 || (!deleting && !(Options.textWrapping && line->length >= right_margin()))) {
        line_load();
        return;
    }
    int32_t col = view().cursorColumn;
    if (col < line->length) col = std::max(col, indentation(line));
    else col = std::min(line->length.get(), MAX_LINE - 1);
    if (col == line->length) {
        // Room for the marker after the last character.
        line_load();
        ++LineEditBuffer.length;
        line_commit();
        line = CurrentFile.currentLine;
    }
    char saved = line->text()[col];
    note_text_change();
    line->text()[col] = WRAP_MARKER;
    wrap_paragraph(false);
    para_up();
    int32_t steps = 0;
    for (Line* l = CurrentFile.currentLine; l; l = next_line(l), ++steps) {
        int32_t at = mem_find_byte(l->text(), WRAP_MARKER, l->length);
        if (at < 0) continue;
        note_text_change();
        l->text()[at] = saved;
        Line* from = CurrentFile.currentLine;
        CurrentFile.currentLine = l;
        StepLineNumberCache(from, steps);
        ShowCursorAt(at);
        PutChar(saved);
        PlaceCursor();
        break;
    }
    line_load();
}

}  // namespace qx
