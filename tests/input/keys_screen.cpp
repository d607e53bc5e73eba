// Keys as only a real terminal delivers them: xterm function, cursor and keypad
// keys (whole, or split so that the editor has to decode the sequence itself),
// the mouse, typing ahead of a repetition, and resizes.
#include <gtest/gtest.h>

#include "qx_screen.h"

namespace qx::test {
namespace {

// Sends ESC on its own and the rest of a sequence after a pause longer than
// the terminal's escape delay, so that the editor sees the bytes one by one.
// Had it not read the ESC yet, the bytes arrive whole: the result is the same.
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
    send_split(s, "OP");
    QX_ASSERT_SCREEN(s, s.row(0).substr(71) == "      INS");
    send_split(s, "[[A");   // F1 of the Linux console
    QX_ASSERT_SCREEN(s, s.row(0).substr(71) == "      OVR");
    s.key(Key::Insert);
    QX_ASSERT_SCREEN(s, s.row(0).substr(71) == "      INS");

    // F10 (ESC [ 2 1 ~) deletes to the end of the line.
    for (int i = 0; i < 3; ++i) s.key(Key::Right);
    send_split(s, "[21~");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "one" && s.cursor() == (Pos{2, 3}));
    s.key(Key::Down);
    s.key(Key::F10);
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "thr" && s.cursor() == (Pos{3, 3}));

    // F8 (ESC [ 1 9 ~, in the same state as F5) opens the Edit menu.
    send_split(s, "[19~");
    QX_ASSERT_SCREEN(s, s.row(0).substr(0, 21) == "File  New  Menu  + : ");
    s.key(Key::Enter);
    s.type("!");
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "thr!" && s.row(0).substr(0, 5) == "f.txt");
}

TEST(Keys, ModifiedCursorKeysActAsShifted) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", numbered_lines(40));
    ASSERT_TRUE(s.start_editing()) << s.dump();

    s.key(Key::Right, Mod::Ctrl);   // ESC [ 1 ; 5 C, decoded by the terminal library
    QX_ASSERT_SCREEN(s, s.message80() == "Scrolled right to column 40" && s.cursor() == (Pos{2, 0}));
    send_split(s, "[1;5C");   // the same, decoded by the editor
    QX_ASSERT_SCREEN(s, s.message80() == "Scrolled right to column 80" && s.cursor() == (Pos{2, 0}));
    send_split(s, "[1;3D");   // Alt-Left
    QX_ASSERT_SCREEN(s, s.message80() == "Scrolled left to column 40");
    s.key(Key::Left, Mod::Shift);
    QX_ASSERT_SCREEN(s, s.message80() == "Scrolled left to column 0" && s.row_trimmed(2) == "line 1");

    // Modified up and down scroll by half a page.
    s.key(Key::Down, Mod::Ctrl);
    QX_ASSERT_SCREEN(s, s.message80() == "ln:12 col:1  30% (40 lines)" && s.row_trimmed(2) == "line 12");
    send_split(s, "[1;2A");
    QX_ASSERT_SCREEN(s, s.message80() == "ln:1 col:1  2% (40 lines)" && s.row_trimmed(2) == "line 1");

    // A modified key that is no cursor key is the command I, without a bell.
    int bells = s.bell_count();
    send_split(s, "[1;2H");
    QX_ASSERT_SCREEN(s, s.row(0).substr(71) == "      OVR");
    EXPECT_EQ(s.bell_count(), bells);
}

TEST(Keys, KeypadKeysInApplicationMode) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", numbered_lines(60));
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.key(Key::Down);
    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{4, 0}));

    s.key(Key::KP_Mult);   // Info
    QX_ASSERT_SCREEN(s, s.message80() == "ln:3 col:1  5% (60 lines)");
    int bells = s.bell_count();
    s.key(Key::KP_Plus);   // NextFile
    QX_ASSERT_SCREEN(s, s.message80() == "Only 1 file open" && s.bell_count() == bells + 1);
    s.key(Key::KP_Divide);   // SelectLine: the current line to the top row
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "line 3" && s.cursor() == (Pos{2, 0}) && s.message80() == HINT);
    s.key(Key::KP_Enter);   // Enter
    QX_ASSERT_SCREEN(s, s.row_trimmed(2).empty() && s.row_trimmed(3) == "line 3" && s.cursor() == (Pos{3, 0}));
    s.key(Key::End);
    s.key(Key::KP5);   // ExtMotion within the screen: after End, the right edge
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{3, 79}));
    s.key(Key::PageDown);
    s.key(Key::KP5);   // after PageDown, the last row
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{23, 79}) && s.row_trimmed(2) == "line 23" &&
                            s.row_trimmed(23) == "line 44");
    EXPECT_EQ(s.bell_count(), bells + 1);
}

TEST(Keys, AClickMovesTheCursor) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", "first\nsecond line\nthird\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.click(7, 3);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{3, 7}));
    s.type("X");
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "second Xline" && s.cursor() == (Pos{3, 8}));
    // Below the last line the cursor goes to the last line, in the clicked column.
    s.click(30, 15);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{4, 30}));
    s.click(2, 1);   // on the separator: the top text row
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{2, 2}));
    s.type("Y");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "fiYrst" && s.row_trimmed(4) == "third");

    // In a view scrolled sideways the click's column is counted from the view's left column.
    s.esc(")");
    QX_ASSERT_SCREEN(s, s.message80() == "Scrolled right to column 40");
    s.click(5, 3);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{3, 5}));
    s.type("Z");
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{3, 6}) && s.row(3).substr(5, 1) == "Z");
    s.key(Key::Home);
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "second Xline" + std::string(33, ' ') + "Z" && s.cursor() == (Pos{3, 0}));

    // The wheel is no click: a bell, and the cursor stays.
    const int bells = s.bell_count();
    s.click(10, 5, 4);
    QX_ASSERT_SCREEN(s, s.bell_count() == bells + 1);
    s.type("W");
    QX_ASSERT_SCREEN(s, s.row_trimmed(3).starts_with("Wsecond") && s.cursor() == (Pos{3, 1}));

    // Reports outside the editor's own screen are ignored: columns that curses turns
    // negative or huge (in a view scrolled sideways too), and rows of a terminal that
    // grew since start-up.
    s.esc(")");
    QX_ASSERT_SCREEN(s, s.message80().starts_with("Scrolled right") && s.cursor() == (Pos{3, 1}));
    s.send("\x1b[<0;4294967280;4M\x1b[<0;2147483648;5M");
    s.resize(100, 30);
    s.click(10, 27);
    s.type("V");
    QX_ASSERT_SCREEN(s, s.row(3).substr(0, 8) == " V     Z" && s.cursor() == (Pos{3, 2}));
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

TEST(Keys, AResizeIsNoKey) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", numbered_lines(30));
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.key(Key::Down);
    s.key(Key::Right);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{3, 1}) && s.row(0).substr(0, 5) == "f.txt");
    const int bells = s.bell_count();

    // Larger: the editor keeps its 80 x 24. The key after the resize is read
    // only once the resize has been dealt with.
    s.resize(100, 30);
    s.esc("i");
    QX_ASSERT_SCREEN(s, s.message80() == "ln:2 col:2  6% (30 lines)" && s.cursor() == (Pos{3, 1}));
    EXPECT_EQ(s.row(1), std::string(80, '-') + std::string(20, ' '));
    EXPECT_EQ(s.row_trimmed(23), "line 22");
    for (int r = 24; r < 30; ++r) EXPECT_EQ(s.row_trimmed(r), "") << r;
    std::vector<std::string> shown;
    for (int r = 0; r < 24; ++r) shown.push_back(s.row(r).substr(0, 80));

    // Smaller and back: what the small terminal cut off is drawn again.
    s.resize(60, 20);
    s.settle(milliseconds(200));
    s.resize(80, 24);
    auto whole = [&] {
        for (int r = 0; r < 24; ++r)
            if (s.row(r) != shown[r]) return false;
        return s.cursor() == (Pos{3, 1});
    };
    QX_ASSERT_SCREEN(s, whole());
    EXPECT_EQ(s.bell_count(), bells) << "a resize is not a refused key";

    // Nothing was typed and the mode did not change: the next key behaves as usual.
    s.type("x");
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "lxine 2" && s.cursor() == (Pos{3, 2}) &&
                            s.row(0).substr(71) == "      INS" && s.message80() == "ESC-h for Help");

    // A menu waiting for its key comes back whole too, and still waits.
    s.esc("e");
    QX_ASSERT_SCREEN(s, s.row(0).substr(0, 21) == "File  New  Menu  + : " && s.cursor() == (Pos{0, 21}));
    s.resize(60, 20);
    s.settle(milliseconds(200));
    s.resize(80, 24);
    QX_ASSERT_SCREEN(s, s.row(0).substr(0, 21) == "File  New  Menu  + : " && s.row_trimmed(0).ends_with(" f.txt") &&
                            s.row(1) == std::string(80, '-') && s.row_trimmed(23) == "line 22" &&
                            s.cursor() == (Pos{0, 21}));
    EXPECT_EQ(s.bell_count(), bells);
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0).substr(0, 6) == "f.txt " && s.cursor() == (Pos{3, 2}));
}

}  // namespace
}  // namespace qx::test
