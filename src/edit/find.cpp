#include "edit/find.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "input/keys.h"
#include "input/prompt.h"
#include "options/options.h"
#include "screen/messages.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/text.h"
#include "undo/undo.h"

namespace qx {

namespace {

// A find or replacement string, laid out like a line: its length, then its text.
struct SearchText {
    int32_t length;
    char text[SEARCH_TEXT_LIMIT + 2];
};

// Shared by all files for as long as the editor runs.
struct SearchState {
    SearchText find;
    SearchText replacement;
    bool verify;              // ask before each replacement
    int mode;                 // 'f' or 'r': the command the search runs for
    int32_t startColumn;      // the cursor column when the step began
    int32_t resumeColumn;     // after a replacement that holds the find string; -1 none
    bool matchOnScreen;       // the line of the last occurrence was on the screen
    int32_t replacements;     // since the last fresh Replace
    int32_t previousIndex;    // line index of the previous match
};

// What a run of replacements has searched already. From where the fresh Replace began
// to where the last step left the cursor, no occurrence is left: each was replaced,
// and none of the replacements made a new one behind the cursor. The step that runs
// off the file's end then need not search that part again from the top. It holds only
// while nothing else changed the text or moved the cursor between steps.
struct Swept {
    bool valid;
    bool wrapped;         // the run came round from the file's end: it holds from the top
    bool fromTop;         // the run began at the start of the first line
    uint64_t changes;     // TextChanges when the last step ended
    const Line* line;     // and where it left the cursor
    int32_t column;
};

constexpr SearchState FRESH_SEARCH{{}, {}, false, 'f', 0, -1, false, 0, 0};
Swept g_swept{};
SearchState g_search = FRESH_SEARCH;

// The first and previous matches are line marks: they never outlive their lines.
LineMark& first_match() { return LineMarks[0]; }
LineMark& previous_match() { return LineMarks[1]; }

constexpr int32_t SHOWN_FIND_LIMIT = 28;   // characters of the find string in a message

FileView& view() { return CurrentFile.view; }

// The plain search: the candidates are the columns where both the first and the
// last byte of the pattern match, sixteen columns at a time where the processor
// allows; only those are compared in full.
int32_t plain_match(const char* p, int32_t n, const char* t, int32_t m, int32_t from) {
    int32_t last = m - n;   // the last column an occurrence can start at
    int32_t k = std::max(from, 0);
    char first = p[0], end = p[n - 1];
    auto middle_equal = [&](int32_t at) { return n <= 2 || std::memcmp(t + at + 1, p + 1, n - 2) == 0; };
#ifdef __SSE2__
    if (last - k >= 15) {
        const __m128i firsts = _mm_set1_epi8(first), ends = _mm_set1_epi8(end);
        for (;;) {
            int32_t at = std::min(k, last - 15);   // the last block overlaps what was looked at
            __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + at));
            __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + at + n - 1));
            auto mask = static_cast<uint32_t>(
                _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, firsts), _mm_cmpeq_epi8(b, ends))));
            for (; mask; mask &= mask - 1)
                if (int32_t c = at + __builtin_ctz(mask); middle_equal(c)) return c;
            if (at == last - 15) return -1;
            k = at + 16;
        }
    }
#endif
    for (; k <= last; ++k)
        if (t[k] == first && t[k + n - 1] == end && middle_equal(k)) return k;
    return -1;
}

bool fresh_step() { return Iteration <= 1 && CurrentCommandKey != 'a'; }
bool last_repetition() { return Iteration >= RepeatCount || StopRepeating; }
void end_repetitions() { Iteration = std::max(Iteration, RepeatCount); }

std::string_view find_text(int32_t limit = SEARCH_TEXT_LIMIT) {
    return {g_search.find.text, static_cast<std::size_t>(std::min(g_search.find.length, limit))};
}

void report(std::string_view what, std::string_view find) {
    RowText text(what);
    text += find;
    Beep();
    ShowMessage(text);
}

// Edits a string after its prompt, starting from the one in force; an empty answer
// leaves that in force. A replacement ending in " v" asks before each replacement.
void edit_string(SearchText& s, int32_t column, int32_t row, int32_t width, bool replacement) {
    char answer[PROMPT_ANSWER_SIZE];
    int32_t size = std::clamp(width, 1, SEARCH_TEXT_LIMIT) + 1;
    int32_t length = Prompt(column, row, std::string_view(s.text, s.length), -2, -2, answer, size);
    if (length == 0) return;
    if (replacement && length >= 2 && answer[length - 2] == ' ' && answer[length - 1] == 'v') {
        g_search.verify = true;
        length -= 2;
    }
    std::memcpy(s.text, answer, length);
    s.length = length;
}

void ask_strings() {
    std::string_view prompt = message_text(g_search.mode == 'f' ? MSG_FIND_PROMPT : MSG_REPLACE_PROMPT);
    PushPrompt(prompt);
    edit_string(g_search.find, static_cast<int32_t>(prompt.size()), 0, ScreenColumns - 25, false);
    if (g_search.mode != 'r' || g_search.find.length == 0) return;
    ShowNotice("With: ", 6, 2);
    edit_string(g_search.replacement, 6, 2, ScreenColumns - 7, true);
    ClearNotice();
}

int32_t index_of(const Line* line) {
    int32_t index = 0;
    for (const Line* l = first_line(CurrentFile.text.lines); l && l != line; l = next_line(l)) ++index;
    return index;
}

// Searches on from the cursor, wrapping from the file's end to its start, until the
// line after the starting one comes round again. The line number is counted along,
// so that no step counts it from the top. False when nothing was found or the search
// came back to the first match; the repetitions then end.
bool find_step(bool fresh) {
    line_commit();
    const SearchText& p = g_search.find;
    bool plain = p.text[0] != Options.startOfLineMatch && p.text[p.length - 1] != Options.endOfLineMatch;
    auto match = [&](const Line* l, int32_t from) {
        return plain ? plain_match(p.text, p.length, l->text(), l->length, from)
                     : find_match(p.text, p.length, l->text(), l->length, from);
    };
    Line* line = CurrentFile.currentLine;
    Line* stop = next_line(line);
    int32_t start_index = CurrentLineIndex(), index = start_index;
    int32_t at = match(line, view().cursorColumn);
    for (bool wrapped = false; at < 0;) {
        Line* next = next_line(line);
        if (!next) {
            if (wrapped || (g_swept.valid && (g_swept.wrapped || g_swept.fromTop))) break;
            g_swept.wrapped = true;
            next = first_line(CurrentFile.text.lines);
            index = -1;
            wrapped = true;
        }
        if (wrapped && next == stop) break;
        line = next;
        ++index;
        at = match(line, 0);
    }
    bool found = at >= 0;
    if (found) {
        CurrentFile.currentLine = line;
        view().cursorColumn = at;
        SetLineNumberCache(index + 1);
    } else {
        index = start_index;
        view().cursorColumn = g_search.startColumn;
        if (fresh) report("Not Found: ", find_text(SHOWN_FIND_LIMIT));
        else if (CurrentCommandKey == 'a') report("No more occurances: ", find_text());
        end_repetitions();
        if (RepeatCount == 1) return false;
    }

    LineMark here{CurrentFile.currentLine, view().cursorColumn};
    if (fresh) {
        first_match() = here;
    } else if (here.line == first_match().line && here.column == first_match().column) {
        // Round the whole file: back to the last occurrence found.
        if (LineMark back = previous_match(); back.line) {
            index = Iteration > 1 ? g_search.previousIndex : index_of(back.line);
            CurrentFile.currentLine = back.line;
            view().cursorColumn = back.column;
            SetLineNumberCache(index + 1);
        }
        end_repetitions();
        found = false;
        if (g_search.mode == 'f') report("No more occurances: ", find_text(SHOWN_FIND_LIMIT));
    }
    previous_match() = {CurrentFile.currentLine, view().cursorColumn};
    g_search.previousIndex = index;

    // Off the screen, only the last repetition frames and redraws.
    if (!last_repetition() && RepetitionRunning() && EscapeTypedAhead()) end_repetitions();
    int32_t row;
    g_search.matchOnScreen = FindLineRow(CurrentFile.currentLine, row);
    if (g_search.matchOnScreen) {
        view().cursorRow = row;
        MoveTo(view().cursorColumn, row);
    } else if (last_repetition()) {
        FrameCurrentLine(NOTICE_ROW);
        RedrawText();
        g_search.matchOnScreen = true;
    }
    return found;
}

bool replacement_confirmed() {
    if (!g_search.matchOnScreen) {
        FrameCurrentLine(NOTICE_ROW);
        RedrawText();
        g_search.matchOnScreen = true;
    }
    ShowPromptLine("OK to replace ? ");
    PlaceCursor();
    return std::toupper(ReadPanelKey()) == 'Y';
}

// Replaces the occurrence at the cursor; false when the line would grow too long or
// the user said no.
bool replace_here(bool fresh) {
    const SearchText& f = g_search.find;
    const SearchText& r = g_search.replacement;
    bool anchored = f.text[0] == Options.startOfLineMatch || f.text[f.length - 1] == Options.endOfLineMatch;
    int32_t matched = f.length - (anchored ? 1 : 0);
    const Line* line = CurrentFile.currentLine;
    int32_t at = view().cursorColumn;
    int32_t length = line->length - matched + r.length;
    if (length > MAX_LINE) {
        ShowMessage("Can't replace - makes line too long");
        return false;
    }
    if (g_search.verify && !replacement_confirmed()) return false;

    ++g_search.replacements;
    if (const char* complaint = push_undo_replace(line->text() + at, matched, r.text, r.length, CurrentLineIndex(), at))
        ShowMessage(complaint);
    line_load();
    char* text = LineEditBuffer.text;
    int32_t old = LineEditBuffer.length;
    std::memmove(text + at + r.length, text + at + matched, old - at - matched);
    std::memcpy(text + at, r.text, r.length);
    if (length < old) std::memset(text + length, ' ', old - length);
    LineEditBuffer.length = length;
    line_commit();   // the marks follow the line to a new record

    if (g_search.matchOnScreen) {
        line = CurrentFile.currentLine;
        if (r.length == matched) DrawLineAt(at, view().cursorRow, false, line->text(), at + matched, at);
        else RedrawLineFrom(line, view().cursorRow, at);
        PlaceCursor();
    }
    // A replacement that holds the find string is not searched again.
    if (int32_t inside = find_match(f.text, f.length, r.text, r.length, 0); inside >= 0) {
        view().cursorColumn = g_search.resumeColumn = at + r.length;
        if (fresh) first_match().column = at + inside;
    }
    // An occurrence the next step would not reach leaves the run's sweep incomplete.
    line = CurrentFile.currentLine;
    int32_t resume = g_search.resumeColumn >= 0 ? g_search.resumeColumn : view().cursorColumn + 1;
    if (int32_t left = find_match(f.text, f.length, line->text(), line->length, 0); left >= 0 && left < resume)
        g_swept.valid = false;
    return true;
}

void replace_step(bool fresh) {
    if (fresh) g_search.replacements = 0;
    bool found = find_step(fresh);
    if (found && !replace_here(fresh)) {
        g_swept.valid = false;   // an occurrence stays
        return;
    }
    g_swept.changes = TextChanges;
    g_swept.line = CurrentFile.currentLine;
    g_swept.column = view().cursorColumn;
    if ((found || CurrentCommandKey != 'a') && last_repetition() && g_search.replacements > 0) {
        RowText text;
        text.appendf("%d %s", g_search.replacements, "replacement(s) made");
        ShowMessage(text);
    }
}

void search_command(int mode) {
    line_commit();
    bool fresh = fresh_step();
    g_search.mode = mode;
    g_search.startColumn = view().cursorColumn;
    if (fresh) {
        g_swept = {true, false, view().cursorColumn == 0 && !prev_line(CurrentFile.currentLine), 0, nullptr, 0};
    } else if (TextChanges != g_swept.changes || CurrentFile.currentLine != g_swept.line ||
               view().cursorColumn != g_swept.column) {
        g_swept.valid = false;
    }
    if (mode != 'r') g_swept.valid = false;
    if (fresh) {
        g_search.verify = false;
        g_search.resumeColumn = -1;
        ask_strings();
    } else if (g_search.resumeColumn >= 0) {
        view().cursorColumn = g_search.resumeColumn;
        g_search.resumeColumn = -1;
    } else if (view().cursorColumn <= MAX_LINE) {
        ++view().cursorColumn;   // past the occurrence under the cursor
    }
    if (g_search.find.length == 0) {
        view().cursorColumn = g_search.startColumn;
        report("Not Found: ", "");
        end_repetitions();
    } else if (mode == 'f') {
        find_step(fresh);
    } else {
        replace_step(fresh);
    }
    if (last_repetition()) PopPrompt();
}

}  // namespace

int32_t find_match(const char* p, int32_t n, const char* t, int32_t m, int32_t from) {
    if (n <= 0) return -1;
    if (p[0] == Options.startOfLineMatch) {
        if (from != 0) return -1;
        return n == 1 || (m >= n - 1 && std::memcmp(p + 1, t, n - 1) == 0) ? 0 : -1;
    }
    if (p[n - 1] == Options.endOfLineMatch) {
        int32_t k = m - (n - 1);
        return k >= 0 && from <= k && std::memcmp(p, t + k, n - 1) == 0 ? k : -1;
    }
    return plain_match(p, n, t, m, from);
}

void find_command() { search_command('f'); }
void replace_command() { search_command('r'); }

void reset_search() {
    g_search = FRESH_SEARCH;
    g_swept = Swept{};
    clear_line_marks();
}

}  // namespace qx
