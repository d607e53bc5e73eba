#include "app/dispatch.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "app/panels.h"
#include "edit/delete.h"
#include "edit/find.h"
#include "edit/line_block.h"
#include "edit/motion.h"
#include "edit/options_menu.h"
#include "edit/paragraph.h"
#include "edit/tags.h"
#include "edit/typing.h"
#include "edit/undo_actions.h"
#include "edit/words.h"
#include "files/block_menu.h"
#include "files/column_menu.h"
#include "files/macro_menu.h"
#include "files/open_files.h"
#include "files/quit.h"
#include "input/keys.h"
#include "input/macro.h"
#include "options/options.h"
#include "screen/messages.h"
#include "screen/panels.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "store/text.h"
#include "undo/undo.h"

namespace qx {

namespace {

constexpr int32_t COUNT_TEXT_SIZE = 8;
char g_countText[COUNT_TEXT_SIZE];
int32_t g_countLength = 0;

// Letters whose handler comes with a later part of the editor have none yet.
constexpr CommandHandler handler_of(char letter) {
    switch (letter) {
    case 'I': return toggle_insert;
    case 'O': return set_overwrite;
    case 'a': return again_command;
    case 'b': return block_command;
    case 'c': return column_command;
    case 'd': return del_left;
    case 'e': return edit_menu;
    case 'g': return go_to_file;
    case 'h': return ShowHelp;
    case 'i': return ShowInfo;
    case 'k': return del_right;
    case 'l': return del_line;
    case 'm': return macro_menu;
    case 'n': return next_file;
    case 'o': return options_menu;
    case 'p': return paste_command;
    case 'q': return quit_menu;
    case 's': return ShowStatus;
    case 'U': return update_file;
    case 'v': return ViewScreen;
    case 'w': return wrap_para;
    case 'x': return execute_macro_command;
    case '#': return rubout;
    case 'D': return del_char;
    case 'W': return delete_word;
    case '[': return word_left;
    case ']': return word_right;
    case '{': return para_up;
    case '}': return para_down;
    case 'C': return copy_lines;
    case 'X': return cut_lines;
    case 'V': return paste_lines;
    case 'A': return ShowAbout;
    case 'f': return find_command;
    case 'r': return replace_command;
    case 't': return tags_menu;
    case 'j': return jump_menu;
    case '`': return tag_command;
    case '\\': return top_of_file;
    case '~': return end_of_file;
    case 'u': return undo_step;
    case 'z': return select_line;
    case ',': return cursor_left;
    case '.': return cursor_right;
    case '^': return cursor_up;
    case '$': return cursor_down;
    case ';': return ext_motion;
    case '<': return start_of_line;
    case '>': return end_of_line;
    case 'B': return page_up;
    case 'F': return page_down;
    case '-': return scroll_up;
    case '+': return scroll_down;
    case '(': return scroll_left;
    case ')': return scroll_right;
    case 'H': return screen_home;
    case 'M': return screen_middle;
    case 'L': return screen_last;
    case ':': return ext_motion_screen;
    case '_': return mouse_event;
    default: return nullptr;
    }
}

constexpr std::string_view AGAIN_LETTERS = "bflprwx#DWCXVkcu";
constexpr std::string_view FLUSHING_LETTERS = "egn";

constexpr std::array<Command, COMMAND_COUNT> COMMAND_TABLE = [] {
    std::array<Command, COMMAND_COUNT> table{};
    for (int32_t i = 0; i < COMMAND_COUNT; ++i) {
        char letter = COMMAND_LETTERS[i];
        table[i] = {letter, handler_of(letter), AGAIN_LETTERS.find(letter) != std::string_view::npos,
                    FLUSHING_LETTERS.find(letter) == std::string_view::npos};
    }
    return table;
}();

bool is_digit(int key) { return key >= '0' && key <= '9'; }

// Collects a repeat count typed after ESC; true while the key belongs to it.
bool collect_count(int key) {
    if (key != '*' && !is_digit(key)) return false;
    if (g_countLength == 0) UpdateStatus(true, 0, MODE_COMMAND);
    if (key == '*' || (g_countLength > 0 && g_countText[0] == '*')) {
        g_countLength = 0;
        UpdateStatus(true, 0, MODE_COMMAND);
    }
    if (g_countLength == COUNT_TEXT_SIZE) {
        Beep();
        return true;
    }
    g_countText[g_countLength++] = static_cast<char>(key);
    MoveTo(g_countLength, 0);
    PutChar(key);
    return true;
}

int32_t count_value() {
    if (g_countText[0] == '*') return 32000;
    int32_t value = 0;   // eight digits at most
    for (int32_t i = 0; i < g_countLength; ++i) value = value * 10 + (g_countText[i] - '0');
    return value;
}

}  // namespace

const Command& command_at(int32_t index) { return COMMAND_TABLE[index]; }

void reset_dispatcher() {
    reset_command_state();
    g_countLength = 0;
    HandlerForLetter = [](int letter) {
        int32_t index = command_index(letter);
        return index < 0 ? nullptr : COMMAND_TABLE[index].handler;
    };
}

int MapRepeatedCommand(int32_t index) {
    switch (COMMAND_LETTERS[index]) {
    case ']': return '.';
    case '[': return ',';
    case '{': return '^';
    case '}': return '$';
    case 'W': return 'D';
    case '\\': return 'B';
    case '~': return 'F';
    default: return COMMAND_LETTERS[index];
    }
}

void Dispatch(int key) {
    RepeatCount = Iteration = 0;
    if (collect_count(key)) return;
    bool counted = false;
    if (g_countLength > 0) {
        if (key == '#') {
            RuboutOnScreen();
            --g_countLength;
            return;
        }
        RepeatCount = std::max(count_value(), 1);
        g_countLength = 0;
        PlaceCursor();
        counted = true;
    }
    if (key == ENTER) {
        Mode = TypingMode;
        UpdateStatus(true, 0, TypingMode);
        PlaceCursor();
        return;
    }
    CurrentCommandKey = key;
    int32_t index = command_index(key);
    int letter = key;
    if (index >= 0 && counted) {
        letter = MapRepeatedCommand(index);
        index = command_index(letter);
    } else if (!counted) {
        RepeatCount = 1;
    }
    if (letter == 'a') {
        letter = AgainCommand.letter;
        index = AgainCommand.index;
        RepeatCount = AgainCommand.count;
    }
    if (index < 0 || !COMMAND_TABLE[index].handler) {
        UpdateStatus(true, MSG_UNKNOWN_COMMAND, TypingMode);
        return;
    }
    const Command& cmd = COMMAND_TABLE[index];
    // Commands a macro plays or records are not remembered for Again; the one that
    // starts a playback is.
    bool in_macro = MacroRecording() || MacroPlaying();
    // A long repetition keeps an ear on the terminal, so that ESC can end it.
    StopRepeating = false;
    RepeatingCommand = RepeatCount > 1;
    Iteration = 1;
    for (;;) {
        cmd.handler();
        int32_t i = Iteration;
        Iteration = i + 1;
        if (i >= RepeatCount || StopRepeating) break;
        if (RepeatingCommand && EscapeTypedAhead()) break;
    }
    RepeatingCommand = StopRepeating = false;
    if (!cmd.keepsUndo) flush_undo();
    if (cmd.again && !in_macro) AgainCommand = {index, RepeatCount, letter};
    PreviousCommand = {index, RepeatCount, letter};
    if (ModeShown() == MODE_COMMAND) UpdateStatus(true, 0, TypingMode);
    Mode = TypingMode;
}

void MainLoopStep() {
    // ESC typed while a macro plays ends the playback between two of its commands:
    // a macro that plays itself would otherwise never give the keyboard back.
    if (MacroPlaying() && EscapeTypedAhead()) {
        end_macro_playback();
        g_countLength = 0;
        Mode = TypingMode;
        ShowMessage("Macro stopped");
        return;
    }
    int key = ReadKey();
    ClearMessage();
    PendingMessage = 0;
    if (Mode == MODE_COMMAND) Dispatch(key);
    else TypeChar(key);
    UpdateScrollIndicator();
}

void MainLoop() {
    for (;;) MainLoopStep();
}

void toggle_insert() {
    if (TypingMode == MODE_OVERWRITE) {
        TypingMode = MODE_INSERT;
    } else {
        line_load();
        if (LineEditBuffer.length != CurrentFile.currentLine->length) {
            line_commit();
            line_load();
        }
        TypingMode = MODE_OVERWRITE;
    }
    Mode = TypingMode;
    UpdateStatus(true, 0, TypingMode);
}

void set_overwrite() {
    TypingMode = Mode = MODE_OVERWRITE;
    UpdateStatus(true, 0, MODE_OVERWRITE);
}

void again_command() {}

void select_line() {
    line_commit();
    FrameCurrentLine(FIRST_TEXT_ROW);
    RedrawText();
}

void mouse_event() {
    line_commit();
    int32_t x = 0, y = 0;
    MouseEvent event = ReadMouseEvent(x, y);
    if (event == MouseEvent::Ignored) return;
    if (event == MouseEvent::Unsupported) {
        ShowMessage("Unsupported mouse event");
        Beep();
        return;
    }
    int32_t walked = 0;
    y = std::max(y, FIRST_TEXT_ROW);
    CurrentFile.currentLine =
        walk_lines(CurrentFile.text.lines, CurrentFile.view.topLine, '+', y - FIRST_TEXT_ROW, &walked);
    CurrentFile.view.cursorRow = FIRST_TEXT_ROW + walked;
    CurrentFile.view.cursorColumn = std::min(GetLeftColumn() + x, VIRTUAL_WIDTH - 1);
    PlaceCursor();
}

}  // namespace qx
