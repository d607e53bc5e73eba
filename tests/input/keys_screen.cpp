// What only a real terminal shows: its mouse reports and resizes, and the terminal an
// end signal leaves behind.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <tuple>
#include <utility>

#include "qx_screen.h"

namespace qx::test {
namespace {

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

// A hang-up or termination saves each modified file beside it, never over the
// original or an earlier save, gives the terminal back and says what it saved.
TEST(EndSignals, SaveModifiedFilesAndRestoreTheTerminal) {
    for (int sig : {SIGHUP, SIGTERM, SIGQUIT}) {
        QxScreen s({"a.txt", "b.txt", "c.txt"});
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) s.write_file(name, std::string(name, 1) + "\n");
        s.write_file("b.txt.save", "older\n");
        ASSERT_TRUE(s.start_editing()) << s.dump();
        s.type("1");
        s.esc("n");
        s.type("2");   // still in the line being edited
        QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "2b" && s.alt_screen() && s.mouse_reporting());
        ::kill(s.pid(), sig);
        ASSERT_TRUE(s.wait_exit()) << s.dump();
        EXPECT_EQ(s.exit_status(), 4) << sig;
        EXPECT_TRUE(!s.alt_screen() && !s.mouse_reporting()) << s.dump();
        EXPECT_TRUE(s.find("QX: saved b.txt as b.txt.save.1")) << s.dump();
        for (auto [name, bytes] : {std::pair{"a.txt.save", "1a\n"}, {"b.txt.save.1", "2b\n"}, {"b.txt.save", "older\n"},
                                   {"a.txt", "a\n"}, {"b.txt", "b\n"}})
            EXPECT_EQ(s.read_file(name), bytes) << name;
        EXPECT_FALSE(std::filesystem::exists(s.path("c.txt.save")));
    }
}

// A crash gives the terminal back too, then the signal ends the editor as it would have.
TEST(EndSignals, AFatalSignalRestoresTheTerminal) {
    const rlimit no_core{0, 0};
    ::setrlimit(RLIMIT_CORE, &no_core);
    for (int sig : {SIGILL, SIGABRT}) {   // signals the sanitizers leave alone
        QxScreen s({"a.txt"});
        ASSERT_TRUE(s.start_editing()) << s.dump();
        QX_ASSERT_SCREEN(s, s.alt_screen() && s.mouse_reporting());
        ::kill(s.pid(), sig);
        ASSERT_TRUE(s.wait_exit()) << s.dump();
        EXPECT_TRUE(!s.alt_screen() && !s.mouse_reporting() &&
                    s.dump().find("killed by signal " + std::to_string(sig)) != std::string::npos) << s.dump();
    }
}

}  // namespace
}  // namespace qx::test
