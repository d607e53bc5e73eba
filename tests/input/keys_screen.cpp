// Keys as only a real terminal delivers them: as curses decodes them, or split so
// that the editor decodes them itself; the mouse, typing ahead, and resizes.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "qx_screen.h"

namespace qx::test {
namespace {

// ESC alone, the rest after more than the escape delay: the editor reads the bytes
// one by one (had it not read the ESC yet, they arrive whole, to the same effect).
void send_split(QxScreen& s, std::string_view rest) {
    s.send("\x1b");
    s.settle(milliseconds(100));
    s.send(rest);
}

TEST(Keys, FunctionKeysWholeAndSplit) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", "one two\nthree\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();

    // F1 before any remembered command is Again of the insert/overwrite toggle.
    s.key(Key::F1);
    QX_ASSERT_SCREEN(s, s.row(0).substr(71) == "      OVR");
    send_split(s, "[[A");   // F1 of the Linux console
    QX_ASSERT_SCREEN(s, s.row(0).substr(71) == "      INS");
    for (int i = 0; i < 3; ++i) s.key(Key::Right);
    send_split(s, "[21~");   // F10: delete to the end of the line
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "one" && s.cursor() == (Pos{2, 3}));
    send_split(s, "[19~");   // F8 (in the same state as F5): the Edit menu
    QX_ASSERT_SCREEN(s, s.row(0).substr(0, 21) == "File  New  Menu  + : ");
}

// The wheel is refused; a press moves the cursor. Reports outside the editor's own
// screen are ignored: columns that curses turns negative or huge (in a view scrolled
// sideways, where adding the left column would bring them back), and rows below it.
TEST(Keys, TheMouse) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", "first\nsecond line\nthird\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.click(10, 5, 4);
    QX_ASSERT_SCREEN(s, s.bell_count() == 1);
    s.click(7, 3);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{3, 7}));
    s.esc(")");
    QX_ASSERT_SCREEN(s, s.message80() == "Scrolled right to column 40" && s.cursor() == (Pos{3, 7}));
    s.send("\x1b[<0;4294967280;4M\x1b[<0;2147483648;5M");
    s.click(10, 27);
    s.type("V");
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "       V" && s.cursor() == (Pos{3, 8}));
}

// ESC ends a long repetition at once; keys typed before it are kept, in order.
TEST(Keys, EscapeEndsALongRepetition) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", "---\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.esc("99999999");
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("%99999999 "));
    s.type("v");   // the repetition shows its redrawn status line while it runs
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("f.txt "));
    s.type("ab");
    s.send("\x1b");
    s.type("c");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "abc---" && s.cursor() == (Pos{2, 3}) &&
                            s.row(0).substr(71) == "      INS");
}

// A resize is no key: the screen takes the new size and what is open is drawn again
// for it; a size the editor cannot use says so, and keys typed meanwhile are dropped.
TEST(Keys, AResizeIsNoKey) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", numbered_lines(60));
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.key(Key::Down);
    s.key(Key::Right);
    s.esc("q");
    const std::string menu = "Abs/All  Save  Discard/Quit  Replace  Write  Update : ";
    const Pos after_menu{0, static_cast<int>(menu.size())};
    QX_ASSERT_SCREEN(s, s.row(0).starts_with(menu) && s.cursor() == after_menu);
    const int bells = s.bell_count();
    // Going back to 80 x 24, curses' last word on the scroll region, for 15 rows, comes late.
    for (auto [cols, rows, last] : {std::tuple{132, 43, "line 41"}, {60, 15, ""}, {80, 24, "line 22"}}) {
        s.resize(cols, rows, rows == 24 ? "\x1b[1;15r" : "");
        if (!*last) {
            QX_ASSERT_SCREEN(s, s.row_trimmed(0) == "QX requires at least 20 rows and 80 columns");
            s.type("d");   // would close the file
            s.settle();
            continue;
        }
        QX_ASSERT_SCREEN(s, s.row(0).starts_with(menu) && s.row_trimmed(0).ends_with(" f.txt") &&
                                s.row(1) == std::string(cols, '-') && s.row_trimmed(rows - 1) == last &&
                                s.cursor() == after_menu) << cols;
    }
    EXPECT_EQ(s.bell_count(), bells) << "a resize is not a refused key";
    s.key(Key::Enter);   // the menu still waits for its key
    s.type("x");
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "lxine 2" && s.cursor() == (Pos{3, 2}) && s.row(0).starts_with("f.txt "));
    // The lines below move up the whole screen, not only the late region.
    s.esc("l");
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "line 3" && s.row_trimmed(14) == "line 14" && s.row_trimmed(23) == "line 23");
    s.esc("r");   // a notice is drawn again too
    s.type("line\r");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "With:" && s.cursor() == (Pos{2, 6}));
    s.resize(100, 30);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "With:" && s.row(1) == std::string(100, '-') && s.cursor() == (Pos{2, 6}));
}

// Down on the bottom row scrolls the text rows on each terminal type: a run of it,
// with the cursor at the line's start and away from it, then a change and a resize.
TEST(Keys, DownOnTheBottomRowScrolls) {
    for (const char* term : {"xterm", "xterm-256color", "screen", "screen-256color", "tmux-256color", "linux"}) {
        QxScreen s({"f.txt"});
        s.term = term;
        s.write_file("f.txt", numbered_lines(60));
        ASSERT_TRUE(s.start_editing()) << s.dump();
        auto shows = [&](int line, Pos at, int rows = 24) {   // the lines in order, `line` at the cursor
            for (int r = 2; r < rows; ++r)
                if (s.row_trimmed(r).find("line " + std::to_string(line + r - at.row)) == std::string::npos) return false;
            return s.row(1).find_first_not_of('-') == std::string::npos && s.cursor() == at;
        };
        for (int i = 0; i < 26; ++i) s.key(Key::Down);
        QX_ASSERT_SCREEN(s, shows(27, {23, 0})) << term;
        s.type("x");
        s.key(Key::Down);
        s.key(Key::Down);
        QX_ASSERT_SCREEN(s, shows(29, {23, 1}) && s.row_trimmed(21) == "xline 27") << term;
        s.resize(100, 30);
        s.key(Key::Home);
        for (int i = 0; i < 10; ++i) s.key(Key::Down);
        QX_ASSERT_SCREEN(s, shows(39, {29, 0}, 30) && s.row_trimmed(17) == "xline 27") << term;
    }
}

TEST(Keys, TheFileSelectorFollowsAResize) {
    QxScreen s({"-b"});
    for (int i = 0; i < 40; ++i) s.write_file("f" + std::to_string(i) + ".txt", "x\n");
    s.start();
    QX_ASSERT_SCREEN(s, s.find("Select/Type Filename To Edit"));
    for (auto [cols, rows] : {std::pair{132, 43}, {60, 15}, {80, 24}}) {
        s.resize(cols, rows);
        if (cols < 80) {
            QX_ASSERT_SCREEN(s, s.row_trimmed(0) == "QX requires at least 20 rows and 80 columns");
            continue;
        }
        QX_ASSERT_SCREEN(s, s.find("Select/Type Filename To Edit") && s.row(rows - 2) == std::string(cols, '-') &&
                                s.row(rows - 4).starts_with("  Curr File:")) << cols;
    }
    s.esc("q");
    ASSERT_TRUE(s.wait_exit()) << s.dump();
    EXPECT_EQ(s.exit_status(), 0);
}

}  // namespace
}  // namespace qx::test
