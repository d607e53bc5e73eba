// Keys as only a real terminal delivers them: as curses decodes them, or split so
// that the editor decodes them itself; the mouse, typing ahead, and resizes.
#include <gtest/gtest.h>

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
// sideways, where adding the left column would bring them back), and rows of a
// terminal that grew since start-up.
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
    s.resize(100, 30);
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
    EXPECT_TRUE(s.row_trimmed(23) == "line 22" && !s.find("line 23")) << s.dump();
    auto editor_rows = [&] {
        std::vector<std::string> rows;
        for (int r = 0; r < 24; ++r) rows.push_back(s.row(r).substr(0, 80));
        return rows;
    };
    const auto shown = editor_rows();

    // Smaller and back: what the small terminal cut off is drawn again.
    s.resize(60, 20);
    s.settle(milliseconds(200));
    s.resize(80, 24);
    QX_ASSERT_SCREEN(s, editor_rows() == shown && s.cursor() == (Pos{3, 1}));
    EXPECT_EQ(s.bell_count(), bells) << "a resize is not a refused key";
    // Nothing was typed and the mode did not change: the next key behaves as usual.
    s.type("x");
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "lxine 2" && s.cursor() == (Pos{3, 2}) &&
                            s.row(0).substr(71) == "      INS" && s.message80() == HINT);
}

}  // namespace
}  // namespace qx::test
