// Cursor motion as the user sees it: where the cursor lands, what the rows
// show after scrolling and paging, and the position and scroll messages.
#include "support/qx_screen.h"

namespace qx::test {
namespace {

// A line whose every slice of 80 columns differs from the others.
std::string pattern(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('a' + i % 23);
    return s;
}

// What an 80-column text row shows of a line from text column `left`.
std::string visible(const std::string& line, int left) {
    if (left >= static_cast<int>(line.size())) return "";
    return line.substr(left, 80);
}

TEST(Motion, LeftWrapsAndVerticalMotionKeepsTheColumn) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", "first\nsecond\n" + digits(50) + "\nab\n" + digits(50) + "\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.key(Key::Down);
    s.key(Key::Down);
    s.esc("40");
    s.type(".");
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{4, 40}));

    // The column stays 40 on a line of two characters, and beyond it.
    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{5, 40}));
    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{6, 40}));
    s.key(Key::Up);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{5, 40}));
    s.type("x");   // typing there fills the gap with blanks
    QX_ASSERT_SCREEN(s, s.row_trimmed(5) == "ab" + std::string(38, ' ') + "x" && s.cursor() == (Pos{5, 41}));

    // Left at column 0 goes just past the end of the line above.
    s.key(Key::Down);
    s.key(Key::Home);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{6, 0}));
    s.key(Key::Left);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{5, 41}));
    s.esc(";");   // the last motion was left: ExtMotion goes to column 0
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{5, 0}));
    s.key(Key::Left);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{4, 50}));

    // At column 0 of the first line nothing moves.
    s.ctrl('t');   // Home: the top row
    s.key(Key::Home);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{2, 0}));
    s.key(Key::Left);
    s.esc("i");
    QX_ASSERT_SCREEN(s, s.message80() == "ln:1 col:1  20% (5 lines)" && s.cursor() == (Pos{2, 0}));
}

TEST(Motion, StepsAtTheEdgeRowsScrollByOneLine) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", numbered_lines(30));
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.esc("L");
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{23, 0}) && s.row_trimmed(23) == "line 22");

    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "line 2" && s.row_trimmed(3) == "line 3" &&
                            s.row_trimmed(23) == "line 23" && s.cursor() == (Pos{23, 0}));
    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "line 3" && s.row_trimmed(23) == "line 24" && s.cursor() == (Pos{23, 0}));

    s.esc("H");
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{2, 0}));
    s.key(Key::Up);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "line 2" && s.row_trimmed(3) == "line 3" &&
                            s.row_trimmed(23) == "line 23" && s.cursor() == (Pos{2, 0}));
    s.key(Key::Up);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "line 1" && s.row_trimmed(23) == "line 22" && s.cursor() == (Pos{2, 0}));
    s.key(Key::Up);
    s.esc("i");
    QX_ASSERT_SCREEN(s, s.message80() == "ln:1 col:1  3% (30 lines)" && s.row_trimmed(2) == "line 1");

    // At the last line of the file nothing moves.
    QxScreen t({"g.txt"});
    t.write_file("g.txt", numbered_lines(3));
    ASSERT_TRUE(t.start_editing()) << t.dump();
    for (int i = 0; i < 4; ++i) t.key(Key::Down);
    t.esc("i");
    QX_ASSERT_SCREEN(t, t.message80() == "ln:3 col:1  100% (3 lines)" && t.cursor() == (Pos{4, 0}) &&
                            t.row_trimmed(2) == "line 1");
}

TEST(Motion, HomeMiddleAndLastOfTheScreen) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", numbered_lines(100));
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.key(Key::Right);
    s.key(Key::Right);
    s.esc("M");
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{12, 2}));
    s.esc("L");
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{23, 2}));
    s.esc("H");
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{2, 2}));
    s.ctrl('g');
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{12, 2}));
    s.esc("i");
    QX_ASSERT_SCREEN(s, s.message80() == "ln:11 col:3  11% (100 lines)");
    s.ctrl('b');
    s.esc("i");
    QX_ASSERT_SCREEN(s, s.message80() == "ln:22 col:3  22% (100 lines)" && s.cursor() == (Pos{23, 2}));

    // On a file of 5 lines both land on the last line.
    QxScreen t({"g.txt"});
    t.write_file("g.txt", numbered_lines(5));
    ASSERT_TRUE(t.start_editing()) << t.dump();
    t.esc("M");
    QX_ASSERT_SCREEN(t, t.cursor() == (Pos{6, 0}));
    t.esc("H");
    QX_ASSERT_SCREEN(t, t.cursor() == (Pos{2, 0}));
    t.esc("L");
    QX_ASSERT_SCREEN(t, t.cursor() == (Pos{6, 0}));
}

TEST(Motion, PagingShowsThePosition) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", numbered_lines(100));
    ASSERT_TRUE(s.start_editing()) << s.dump();

    s.key(Key::PageDown);
    QX_ASSERT_SCREEN(s, s.message80() == "ln:22 col:1  22% (100 lines)" && s.row_trimmed(2) == "line 22" &&
                            s.row_trimmed(23) == "line 43" && s.cursor() == (Pos{2, 0}));
    s.key(Key::PageDown);
    QX_ASSERT_SCREEN(s, s.message80() == "ln:43 col:1  43% (100 lines)" && s.row_trimmed(2) == "line 43" &&
                            s.row_trimmed(23) == "line 64" && s.cursor() == (Pos{2, 0}));
    s.key(Key::PageUp);
    QX_ASSERT_SCREEN(s, s.message80() == "ln:22 col:1  22% (100 lines)" && s.row_trimmed(2) == "line 22" &&
                            s.cursor() == (Pos{2, 0}));
    s.key(Key::PageUp);
    QX_ASSERT_SCREEN(s, s.message80() == "ln:1 col:1  1% (100 lines)" && s.row_trimmed(2) == "line 1" &&
                            s.cursor() == (Pos{2, 0}));

    // The cursor keeps its screen row (and its column) while the page turns.
    s.key(Key::Down);
    s.key(Key::Down);
    s.key(Key::Right);
    s.ctrl('n');
    QX_ASSERT_SCREEN(s, s.message80() == "ln:24 col:2  24% (100 lines)" && s.row_trimmed(4) == "line 24" &&
                            s.cursor() == (Pos{4, 1}));

    // With the last line on the screen, PageDown goes there, to the view's first column.
    QxScreen t({"g.txt"});
    t.write_file("g.txt", numbered_lines(10));
    ASSERT_TRUE(t.start_editing()) << t.dump();
    for (int i = 0; i < 5; ++i) t.key(Key::Right);
    t.key(Key::PageDown);
    QX_ASSERT_SCREEN(t, t.message80() == "ln:10 col:1  100% (10 lines)" && t.cursor() == (Pos{11, 0}) &&
                            t.row_trimmed(2) == "line 1");
}

TEST(Motion, ScrollRightToTheEndAndBack) {
    const std::string line = pattern(382);
    QxScreen s({"f.txt"});
    s.write_file("f.txt", line + "\nshort\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();

    // Half a screen at a time; the cursor column follows, up to 511.
    int column = 0;
    for (int left : {40, 80, 120, 160, 200, 240, 280, 320, 360, 400, 432, 432, 432, 432}) {
        s.esc(")");
        column = std::min(column + 40, 511);
        const std::string message = "Scrolled right to column " + std::to_string(left);
        QX_ASSERT_SCREEN(s, s.message80() == message && s.row_trimmed(2) == visible(line, left) &&
                                s.row(0).substr(71, 2) == "<-" && s.cursor() == (Pos{2, column - left}));
    }
    ASSERT_EQ(column, 511);
    s.key(Key::Down);   // the column stays past the line limit
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{3, 79}) && s.message80() == HINT);

    for (int left : {392, 352, 312, 272, 232, 192, 152, 112, 72, 32, 0, 0}) {
        s.esc("(");
        column = std::max(column - 40, 0);
        const std::string message = "Scrolled left to column " + std::to_string(left);
        QX_ASSERT_SCREEN(s, s.message80() == message && s.row_trimmed(2) == visible(line, left) &&
                                s.row_trimmed(3) == visible("short", left) && s.cursor() == (Pos{3, column - left}) &&
                                s.row(0).substr(71, 2) == (left > 0 ? "<-" : "  "));
    }

    // Shift and the cursor keys do the same.
    s.key(Key::Right, Mod::Shift);
    QX_ASSERT_SCREEN(s, s.message80() == "Scrolled right to column 40" && s.row_trimmed(2) == visible(line, 40));
    s.key(Key::Left, Mod::Shift);
    QX_ASSERT_SCREEN(s, s.message80() == "Scrolled left to column 0" && s.row_trimmed(2) == visible(line, 0) &&
                            s.row(0).substr(71, 2) == "  ");
}

}  // namespace
}  // namespace qx::test
