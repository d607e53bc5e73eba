// The help panel's keys as each supported terminal type sends them, read from its
// own terminfo entry, and the colours of the options file on each.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "qx_screen.h"

#include <term.h>   // last: its capability macros would clash with names above

namespace qx::test {
namespace {

// The terminal's sequence for a key capability; empty when it has none.
std::string key_sequence(const std::string& term, const char* cap) {
    int error = 0;
    if (setupterm(term.c_str(), -1, &error) != 0) return "";
    const char* s = tigetstr(cap);
    std::string seq = s && s != reinterpret_cast<char*>(-1) ? s : "";
    del_curterm(cur_term);
    return seq;
}

// A key: a capability name, "ESC " and one, or a control key as "^Z". The screen
// row it changes (0 a menu's prompt, -1 the message area, -2 the mode) must read
// `text`; the cursor, when given, is checked too. `then` closes a menu.
struct Step {
    const char* key;
    int row;
    std::string text;
    Pos cursor = {};   // none: the text rows start at 2
    const char* then = "";
};

const Step STEPS[] = {
    {"kcud1", 2, "line 1", {3, 0}}, {"kcuf1", 3, "line 2", {3, 1}}, {"kcub1", 3, "line 2", {3, 0}},
    {"kcuu1", 2, "line 1", {2, 0}}, {"kend", 2, "line 1", {2, 6}}, {"khome", 2, "line 1", {2, 0}},
    {"ESC kcuf1", 2, "line 1", {2, 5}}, {"ESC kcub1", 2, "line 1", {2, 0}},
    {"knp", 2, "line 22", {2, 0}}, {"kpp", 2, "line 1", {2, 0}},
    {"ESC knp", 20, "line 60", {20, 0}}, {"ESC kpp", 2, "line 1", {2, 0}},
    {"ESC kcud1", 11, "line 60", {11, 7}}, {"ESC kcuu1", 2, "line 1", {2, 0}},
    // Keypad 5 extends the last step down to the last row.
    {"kcud1", 3, "line 2", {3, 0}}, {"kb2", 23, "line 22", {23, 0}}, {"ESC kpp", 2, "line 1", {2, 0}},
    {"kcud1", 3, "line 2", {3, 0}}, {"kbeg", 23, "line 22", {23, 0}}, {"ESC kpp", 2, "line 1", {2, 0}},
    {"kRIT", -1, "Scrolled right to column 40"}, {"kLFT", -1, "Scrolled left to column 0"},
    {"kRIT5", -1, "Scrolled right to column 40"}, {"kLFT5", -1, "Scrolled left to column 0"},
    {"kind", -1, "ln:12 col:1  20% (60 lines)"}, {"kDN5", -1, "ln:23 col:1  38% (60 lines)"},
    {"kUP5", -1, "ln:12 col:1  20% (60 lines)"}, {"kri", -1, "ln:1 col:1  1% (60 lines)"},
    {"kpMUL", -1, "ln:1 col:1  1% (60 lines)"}, {"kpDIV", 2, "line 1", {2, 0}},
    {"kich1", -2, "      OVR"}, {"kich1", -2, "      INS"},
    // Again's deletion is no undo item of its own: Undo brings back the first.
    {"kdch1", 2, "ine 1"}, {"kf1", 2, "ne 1"}, {"^Z", 2, "lne 1"},
    {"kend", 2, "lne 1", {2, 5}}, {"kbs", 2, "lne", {2, 4}}, {"khome", 2, "lne", {2, 0}},
    {"ESC kdch1", 2, "", {2, 0}}, {"kf9", 2, "line 2", {2, 0}}, {"kcuf1", 2, "line 2", {2, 1}},
    {"kf10", 2, "l", {2, 1}}, {"kent", 2, "l", {3, 0}},
    {"kf2", 0, "Copy  Append  Kill", {}, "\r"}, {"kf3", 0, "Insert  Kill", {}, "\r"},
    {"kf4", 0, "Start  End  Line  Tag : ", {}, "\r"}, {"kf5", 0, "Find (F10 to clear): ", {}, "\r"},
    {"kf6", 0, "Replace (F10 to clear): ", {}, "\r"}, {"kf7", -1, "Line buffer empty - Nothing to paste"},
    {"kf8", 0, "File  New  Menu  + : ", {}, "\r"}, {"kf11", -1, "File has been written"},
    {"kf12", 0, "Abs/All  Save  Discard/Quit", {}, "a"},
};

// The options file: the defaults, with a yellow foreground on blue.
std::string yellow_on_blue_options() {
    std::string block(52, '\0');
    auto put = [&](std::size_t at, std::int32_t value, std::size_t size = 4) { std::memcpy(&block[at], &value, size); };
    block.replace(0, 3, "35g");
    for (auto [at, value] : {std::pair{4, 4}, {8, 1}, {16, 1}, {28, -1}, {32, 72}, {36, 1}, {48, 1}}) put(at, value);
    put(40, 4, 2);
    put(42, 3, 2);
    block[44] = '^';
    block[45] = '$';
    return block;
}

class Terminals : public testing::TestWithParam<const char*> {};

TEST_P(Terminals, HelpPanelKeysAndOptionColours) {
    QxScreen s({"f.txt"});
    s.term = GetParam();
    s.write_file("f.txt", numbered_lines(60));
    s.write_file("../home/.qx.opt", yellow_on_blue_options());
    ASSERT_TRUE(s.start_editing()) << s.dump();
    const std::pair yellow_on_blue{3, 4};
    QX_EXPECT_SCREEN(s, s.colours({2, 0}) == yellow_on_blue && s.colours({20, 70}) == yellow_on_blue) << s.term;

    for (const Step& step : STEPS) {
        std::string_view name = step.key;
        std::string keys;
        if (name.starts_with("ESC ")) keys = "\x1b", name.remove_prefix(4);
        if (name.starts_with("^")) keys += static_cast<char>(name[1] & 0x1f);
        else if (std::string seq = key_sequence(s.term, std::string(name).c_str()); !seq.empty()) keys += seq;
        else continue;   // the terminal has no such key
        const int bells = s.bell_count();
        s.send(keys);
        auto shown = [&] {
            bool text = step.row == -1 ? s.message80() == step.text
                        : step.row == -2 ? s.row(0).substr(71) == step.text
                        : step.row == 0  ? s.row(0).starts_with(step.text)
                                         : s.row_trimmed(step.row) == step.text;
            return text && (step.cursor.row <= 0 || s.cursor() == step.cursor);
        };
        QX_ASSERT_SCREEN(s, shown()) << s.term << ": " << step.key;
        EXPECT_EQ(s.bell_count(), bells) << s.term << ": " << step.key;
        s.send(step.then);
        if (*step.then == '\r') {
            QX_ASSERT_SCREEN(s, s.row(0).starts_with("f.txt")) << s.term << ": " << step.key;
        }
    }
    ASSERT_TRUE(s.wait_exit()) << s.dump();
    EXPECT_EQ(s.exit_status(), 0);
}

INSTANTIATE_TEST_SUITE_P(Types, Terminals,
                         testing::Values("xterm", "xterm-256color", "screen", "screen-256color", "tmux-256color", "linux"));

}  // namespace
}  // namespace qx::test
