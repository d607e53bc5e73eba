#include "edit/tags.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "input/keys.h"
#include "input/prompt.h"
#include "screen/messages.h"
#include "screen/panels.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "store/text.h"

namespace qx {

namespace {

constexpr std::string_view TAGS_MENU = "0-9  Clear  List  Jump : ";
constexpr std::string_view JUMP_MENU = "Start  End  Line  Tag : ";
constexpr int32_t LINE_ANSWER_SIZE = 13;   // twelve characters

LineList& lines() { return CurrentFile.text.lines; }
int32_t* tags() { return CurrentFile.text.tags; }
FileView& view() { return CurrentFile.view; }
bool is_digit(int key) { return key >= '0' && key <= '9'; }

void show_message(const char* format, int value) {
    RowText text;
    text.appendf(format, value);
    ShowMessage(text);
}

// Makes line `number` current (1-based; the last line when the file is shorter)
// and its number the one shown and trusted.
void go_to_line(int32_t number) {
    int32_t steps = 0;
    CurrentFile.currentLine = walk_lines(lines(), first_line(lines()), '+', number - 1, &steps);
    SetLineNumberCache(steps + 1);
}

void tag_jump() {
    ShowPromptLine("Enter tag number: ");
    int key = ReadMenuKey();
    if (!is_digit(key)) {
        ShowMessage("Not a valid tag number");
        return;
    }
    int32_t number = tags()[key - '0'];
    if (number == 0) {
        show_message("Tag %c not defined", key);
        return;
    }
    go_to_line(number);
    ShowCursorAt(view().cursorColumn);
    ShowPosition();
}

void list_tags() {
    ShowPanel(" - Tags Listing", [] {
        PutTextAt(0, 3, false, "Tag     LineNum");
        for (int32_t i = 0; i < TAG_COUNT; ++i) {
            RowText row;
            if (tags()[i]) row.appendf("%d      %d", i, tags()[i]);
            else row.appendf("%d      %s", i, "Undefined");
            PutTextAt(1, i + 5, false, row);
        }
    });
}

// An empty, unreadable or non-positive answer means line 1.
int32_t ask_line_number() {
    char answer[LINE_ANSWER_SIZE];
    Prompt(0, 0, "Line: ", -1, -1, answer, LINE_ANSWER_SIZE);
    long number = std::strtol(answer, nullptr, 10);
    return static_cast<int32_t>(std::clamp<long>(number, 1, INT32_MAX));
}

}  // namespace

void tags_menu() {
    line_commit();
    PushPrompt(TAGS_MENU);
    int key = ReadMenuKey();
    if (is_digit(key)) {
        tags()[key - '0'] = CurrentLineIndex() + 1;
        show_message("Tag %c set", key);
    } else if (key == 'C') {
        std::fill(tags(), tags() + TAG_COUNT, 0);
        ShowMessage("All tags cleared");
    } else if (key == 'L') {
        list_tags();
    } else if (key == 'J') {
        tag_jump();
    } else if (key != ENTER) {
        Beep();
        ShowMessage(message_text(MSG_BAD_SELECTION));
    }
    PopPrompt();
}

void jump_menu() {
    line_commit();
    PushPrompt(JUMP_MENU);
    for (bool done = false; !done;) {
        done = true;
        switch (ReadMenuKey()) {
        case 'S':
            go_to_line(1);
            ShowCursorAt(view().cursorColumn);
            ShowPosition();
            break;
        case 'E':
            end_of_file();
            break;
        case 'L':
            go_to_line(ask_line_number());
            ShowCursorAt(view().cursorColumn);
            ShowPosition();
            break;
        case 'T':
            tag_jump();
            ShowCursorAt(view().cursorColumn);
            break;
        case ENTER:
            break;
        default:
            Beep();
            done = false;
            break;
        }
    }
    // Paging trusts the number after Jump, also when nothing moved.
    SetLineNumberCache(CurrentLineIndex() + 1);
    PopPrompt();
}

void tag_command() {
    line_commit();
    PushPrompt(" ");
    tag_jump();
    PopPrompt();
}

void top_of_file() {
    line_commit();
    go_to_line(1);
    ShowCursorAt(view().cursorColumn);
    ShowPosition();
}

void end_of_file() {
    line_commit();
    Line* last = last_line(lines());
    int32_t row = view().cursorRow;
    if (!FindLineRow(last, row)) {
        // Framed so that the last line ends a few rows above the bottom.
        CurrentFile.currentLine = walk_lines(lines(), last, '-', ScreenRows - 15);
        FrameCurrentLine(NOTICE_ROW);
        RedrawText();
        FindLineRow(last, row);
    }
    CurrentFile.currentLine = last;
    view().cursorRow = row;
    SetLineNumberCache(static_cast<int32_t>(lines().count));
    ShowPosition();
    PlaceCursor();
}

}  // namespace qx
