#include "edit/options_menu.h"

#include <cstdlib>
#include <string_view>

#include "edit/paragraph.h"
#include "input/keys.h"
#include "input/prompt.h"
#include "options/options.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/fixed_text.h"
#include "store/text.h"

namespace qx {

namespace {

constexpr std::string_view OPTIONS_MENU = "Tabs  Indent  Wrap  Colors  Match  Fileformat  Rodent  Save : ";
constexpr int32_t SHORT_ANSWER = 11;    // answers of at most 10 characters
constexpr int32_t COLOUR_FIELD = 78;    // the colour prompts and their answers together

const char* on_off(int32_t on) { return on ? "ON" : "OFF"; }

// A sub-menu: before each key its prompt and its state line, or instead of the state
// line a notice the last key left; until Enter. act answers false for a key it does
// not know, which rings the bell.
template <class State, class Act>
void run_sub_menu(std::string_view prompt, bool push, State state, Act act) {
    if (push) PushPrompt(prompt);
    RowText notice;
    for (;;) {
        ShowPromptLine(prompt);
        RowText shown = notice.empty() ? state() : notice;
        ShowNotice(shown, static_cast<int32_t>(prompt.size()), 0);
        notice = RowText();
        int key = ReadMenuKey();
        if (key == ENTER) break;
        if (!act(key, notice)) Beep();
    }
    ClearNotice();
    if (push) PopPrompt();
}

// The decimal number an answer begins with; false when there is none.
bool read_number(const char* answer, int64_t& value) {
    char* end = nullptr;
    long long n = std::strtoll(answer, &end, 10);
    if (end == answer) return false;
    value = n;
    return true;
}

// Edits an initial answer after a prompt on row 0; the answer's length.
int32_t edit_after_prompt(std::string_view prompt, std::string_view initial, char* answer, int32_t size) {
    ShowPromptLine(prompt);
    return Prompt(static_cast<int32_t>(prompt.size()), 0, initial, -2, -2, answer, size);
}

// A new tab stop; false when the number is refused: the tab arithmetic divides by
// it, and one TAB must not outgrow a line.
bool ask_tab_stop() {
    char answer[SHORT_ANSWER];
    Prompt(0, 0, "Tabstop: ", -1, -1, answer, sizeof answer);
    int64_t tabstop;
    if (!read_number(answer, tabstop)) return true;   // nothing to read: unchanged
    if (!tab_stop_valid(tabstop)) return false;
    Options.tabstop = static_cast<int32_t>(tabstop);
    return true;
}

void tabs_menu() {
    auto state = [] {
        RowText line;
        return line.appendf("> %s %s, %s %s, %s %d", "Input xlate", on_off(Options.inputTranslation), "Output xlate",
                            on_off(Options.outputTranslation), "Tabstop =", Options.tabstop);
    };
    run_sub_menu("Input  Output  Tabstop : ", true, state, [](int key, RowText&) {
        switch (key) {
        case 'I': Options.inputTranslation = !Options.inputTranslation; return true;
        case 'O': Options.outputTranslation = !Options.outputTranslation; return true;
        case 'T': return ask_tab_stop();
        default: return false;
        }
    });
}

// Enable or disable one option: any key but E disables it.
void enable_disable(std::string_view title, int32_t& option) {
    RowText prompt(title);
    prompt += " ? (Enable/Disable) : ";
    auto state = [&] {
        RowText line("> ");
        line += title;
        return line += option ? " ON " : " OFF";
    };
    run_sub_menu(prompt, false, state, [&](int key, RowText&) {
        option = key == 'E';
        return true;
    });
}

// Wrapping from here on, with the current paragraph refilled to the margins.
void start_wrapping() {
    TypingMode = Mode = MODE_INSERT;
    wrap_while_typing(1);
}

// Asks a new value for the left or the right margin; the margins stay as they
// were, and the refusal is noticed, when the new pair is not valid.
void ask_margin(bool left_side, RowText& notice) {
    int32_t& margin = left_side ? Options.leftMargin : Options.rightMargin;
    RowText current;
    current.appendf("%d", margin);
    char answer[SHORT_ANSWER];
    int64_t value;
    if (edit_after_prompt(left_side ? "Left Margin: " : "Right Margin: ", current, answer, sizeof answer) == 0 ||
        !read_number(answer, value))
        return;
    if (!margins_valid(left_side ? value : Options.leftMargin, left_side ? Options.rightMargin : value)) {
        notice = RowText(left_side ? "Invalid left margin" : "Invalid right margin");
        return;
    }
    margin = static_cast<int32_t>(value);
}

void wrap_menu() {
    auto state = [] {
        RowText line("> ");
        return line.appendf("%s, %s, %s %d, %s %d", Options.textWrapping ? "Text wrapping ON" : "Text wrapping OFF",
                            Options.rightJustify ? "Right Justify ON" : "Right Justify OFF", "Left margin:",
                            Options.leftMargin, "Right margin:", Options.rightMargin);
    };
    run_sub_menu("Enable  Disable  Left  Right  Justify : ", true, state, [](int key, RowText& notice) {
        switch (key) {
        case 'E':
            Options.textWrapping = 1;
            Options.autoIndent = 0;
            start_wrapping();
            return true;
        case 'D': Options.textWrapping = 0; return true;
        case 'R': ask_margin(false, notice); return true;
        case 'L':
            ask_margin(true, notice);
            if (Options.textWrapping) start_wrapping();
            return true;
        case 'J': Options.rightJustify = !Options.rightJustify; return true;
        default: return false;
        }
    });
}

RowText colour_pair_line(std::string_view which, int32_t foreground, int32_t background) {
    RowText line;
    std::string_view fg = colour_name(foreground), bg = colour_name(background);
    return line.appendf("%s%.*s %s %.*s, %s %.*s", "> ", static_cast<int>(which.size()), which.data(),
                        "foreground color is", static_cast<int>(fg.size()), fg.data(), "background color is",
                        static_cast<int>(bg.size()), bg.data());
}

// Asks a colour by name; false when it is not on the palette.
bool ask_colour(std::string_view prompt, int16_t& colour) {
    char answer[COLOUR_FIELD + 1];
    int32_t room = COLOUR_FIELD - static_cast<int32_t>(prompt.size()) + 1;
    if (edit_after_prompt(prompt, colour_name(colour), answer, room) == 0) return true;   // kept as it was
    int16_t number = colour_number(answer);
    if (number == NO_COLOUR) return false;
    colour = number;
    return true;
}

void colours_menu() {
    int16_t foreground = Options.foreground, background = Options.background;   // the working pair
    auto displayed = [] { return colour_pair_line("Displayed", Options.foreground, Options.background); };
    run_sub_menu("Palette  Working  Foreground  Background  Apply  Query : ", true, displayed, [&](int key, RowText& notice) {
        switch (key) {
        case 'P': notice = RowText("> "); notice += PALETTE_LINE; return true;
        case 'W': notice = colour_pair_line("Working", foreground, background); return true;
        case 'F':
        case 'B':
            if (ask_colour(key == 'F' ? "Enter new foreground (text) color: " : "Enter new background color: ",
                           key == 'F' ? foreground : background))
                notice = colour_pair_line("Working", foreground, background);
            else
                notice = RowText("Unrecognized color - must be on palette");
            return true;
        case 'A':
            if (foreground == background && foreground != -1) {
                notice = RowText("> Foreground and Background colors must be different");
                return true;
            }
            Options.foreground = foreground;
            Options.background = background;
            SetColours();
            return true;
        case 'Q': return true;
        default: return false;
        }
    });
}

void match_menu() {
    auto state = [] {
        RowText line;
        return line.appendf("%s %c %s %c %s", "> Find/Replace uses", Options.startOfLineMatch,
                            "to match Start-ofline, and", Options.endOfLineMatch, "to match End-of-line");
    };
    run_sub_menu("Start-of-line  End-of-line  Query : ", true, state, [](int key, RowText&) {
        if (key == 'Q') return true;
        if (key != 'S' && key != 'E') return false;
        char& anchor = key == 'S' ? Options.startOfLineMatch : Options.endOfLineMatch;
        char answer[SHORT_ANSWER];
        if (edit_after_prompt(key == 'S' ? "Enter char to match start-of-line: " : "Enter char to match end-of-line: ",
                              std::string_view(&anchor, 1), answer, sizeof answer) > 0)
            anchor = answer[0];
        return true;
    });
}

// The current file's line ends: DOS/Win after a D, Linux after any other key.
void file_format_menu() {
    auto state = [] {
        RowText line("> Text file format is ");
        return line += CurrentFile.text.format == 'd' ? "DOS/Win" : "Linux";
    };
    run_sub_menu("Select text file format - Linux or DOS/Win : ", false, state, [](int key, RowText&) {
        CurrentFile.text.format = key == 'D' ? 'd' : 'u';
        return true;
    });
}

}  // namespace

void options_menu() {
    line_commit();
    PushPrompt(OPTIONS_MENU);
    for (int key; (key = ReadMenuKey()) != ENTER;) {
        switch (key) {
        case 'T': tabs_menu(); break;
        case 'I': enable_disable("Auto Indent", Options.autoIndent); break;
        case 'W': wrap_menu(); break;
        case 'C': colours_menu(); break;
        case 'M': match_menu(); break;
        case 'F': file_format_menu(); break;
        case 'R':
            enable_disable("Mouse Support", Options.mouseSupport);
            SetMouseReporting(Options.mouseSupport != 0);
            break;
        case 'S':
            ShowNotice(save_options() == 0 ? "> Options saved to ~/.qx.opt - loaded by QX at next start"
                                           : "> Could not save options to ~/.qx.opt",
                       static_cast<int32_t>(OPTIONS_MENU.size()), 0);
            break;
        default: Beep(); break;
        }
        ShowPromptLine(OPTIONS_MENU);
    }
    ClearNotice();
    PopPrompt();
}

}  // namespace qx
