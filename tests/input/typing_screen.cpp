// Text entry as the user sees it: the line length limit, Enter with
// auto-indent, tabs, and the view following the cursor past the right edge.
#include "support/qx_screen.h"

namespace qx::test {
namespace {

TEST(Typing, LineLimitInInsertAndOverwriteModes) {
    const std::string long_line = digits(381);
    QxScreen s({"f.txt"});
    s.write_file("f.txt", long_line + "\nshort\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();

    // End puts the cursor on column 381, the view 10 columns past it: left column 312.
    s.key(Key::End);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{2, 69}) && s.row_trimmed(2) == long_line.substr(312));
    s.type("a");   // the 382nd character
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == long_line.substr(312) + "a" && s.cursor() == (Pos{2, 70}));
    s.type("b");
    QX_ASSERT_SCREEN(s, s.message80() == "Maximum line size reached" &&
                            s.row_trimmed(2) == long_line.substr(312) + "a" && s.cursor() == (Pos{2, 70}));

    // Overwrite mode may replace the last character but not add one.
    s.key(Key::Insert);
    s.key(Key::Left);
    QX_ASSERT_SCREEN(s, s.row(0).substr(71) == "<-    OVR" && s.message80() == HINT && s.cursor() == (Pos{2, 69}));
    s.type("c");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == long_line.substr(312) + "c" && s.cursor() == (Pos{2, 70}));
    s.type("d");
    QX_ASSERT_SCREEN(s, s.message80() == "Maximum line size reached" &&
                            s.row_trimmed(2) == long_line.substr(312) + "c" && s.cursor() == (Pos{2, 70}));

    // A short line with the cursor at column 382: nothing is inserted either.
    s.key(Key::Insert);
    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, s.row(0).substr(71) == "<-    INS" && s.cursor() == (Pos{3, 70}) && s.message80() == HINT);
    s.type("e");
    QX_ASSERT_SCREEN(s, s.message80() == "Maximum line size reached" && s.row_trimmed(3).empty() &&
                            s.cursor() == (Pos{3, 70}));
    s.key(Key::Home);
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "short" && s.cursor() == (Pos{3, 0}));
}

TEST(Typing, EnterSplitsLinesWithAutoIndent) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", "    indented text\nnext\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();

    // In the middle of an indented line: the rest goes down with the same indentation.
    s.esc("13");
    s.type(".");
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{2, 13}));
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "    indented" && s.row_trimmed(3) == "    text" &&
                            s.row_trimmed(4) == "next" && s.cursor() == (Pos{3, 4}));
    s.type("X");
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "    Xtext" && s.cursor() == (Pos{3, 5}));

    // At the end: an empty line, the cursor at the indentation.
    s.key(Key::End);
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row_trimmed(4).empty() && s.row_trimmed(5) == "next" && s.cursor() == (Pos{4, 4}));
    // On that empty line the indentation is the one remembered.
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row_trimmed(5).empty() && s.row_trimmed(6) == "next" && s.cursor() == (Pos{5, 4}));
    s.type("y");
    QX_ASSERT_SCREEN(s, s.row(5).substr(0, 6) == "    y " && s.cursor() == (Pos{5, 5}));

    // At column 0 an empty line opens above; the cursor stays on its line, one row lower.
    s.key(Key::Down);
    s.key(Key::Home);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{6, 0}));
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row_trimmed(6).empty() && s.row_trimmed(7) == "next" && s.cursor() == (Pos{7, 0}));
    s.type("z");
    QX_ASSERT_SCREEN(s, s.row_trimmed(7) == "znext" && s.row_trimmed(5) == "    y" && s.cursor() == (Pos{7, 1}));
    s.esc("i");
    QX_ASSERT_SCREEN(s, s.message80() == "ln:6 col:2  100% (6 lines)");
}

TEST(Typing, EnterOnTheLastRowAndInAScrolledView) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", numbered_lines(30));
    ASSERT_TRUE(s.start_editing()) << s.dump();

    // Splitting the line on the last row scrolls the text up by one.
    s.esc("L");
    s.key(Key::End);
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "line 2" && s.row_trimmed(22) == "line 22" && s.row_trimmed(23).empty() &&
                            s.cursor() == (Pos{23, 0}));
    s.type("n");
    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "line 3" && s.row_trimmed(22) == "n" && s.row_trimmed(23) == "line 23" &&
                            s.cursor() == (Pos{23, 1}));
    // Opening a line above the last row: the line itself stays on the last row.
    s.key(Key::Home);
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "line 4" && s.row_trimmed(21) == "n" && s.row_trimmed(22).empty() &&
                            s.row_trimmed(23) == "line 23" && s.cursor() == (Pos{23, 0}));
    s.esc("i");
    QX_ASSERT_SCREEN(s, s.message80() == "ln:25 col:1  78% (32 lines)");

    // Enter at the end of a long indented line brings the view back to column 0.
    const std::string long_line = "    " + digits(100);
    QxScreen t({"g.txt"});
    t.write_file("g.txt", long_line + "\nnext\n");
    ASSERT_TRUE(t.start_editing()) << t.dump();
    t.key(Key::End);
    QX_ASSERT_SCREEN(t, t.cursor() == (Pos{2, 69}) && t.row(0).substr(71, 2) == "<-");
    t.key(Key::Enter);
    QX_ASSERT_SCREEN(t, t.row_trimmed(2) == long_line.substr(0, 80) && t.row_trimmed(3).empty() &&
                            t.row_trimmed(4) == "next" && t.cursor() == (Pos{3, 4}) &&
                            t.row(0).substr(71) == "      INS");
}

TEST(Typing, TabsAreExpandedOnReadingAndWhenTyped) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", "a\tb\n\tc\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "a   b" && s.row_trimmed(3) == "    c");

    // A typed tab gives blanks up to the next multiple of 4.
    s.key(Key::End);
    s.key(Key::Tab);
    s.type("x");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "a   b   x" && s.cursor() == (Pos{2, 9}));
    s.key(Key::Down);
    s.key(Key::Home);
    s.key(Key::Right);
    s.key(Key::Tab);
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "       c" && s.cursor() == (Pos{3, 4}));
    s.key(Key::Tab);
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "           c" && s.cursor() == (Pos{3, 8}));
    EXPECT_FALSE(s.find("?")) << s.dump();
}

// A TAB beyond the reach of expansion (at column 250 and on, with a tab stop of 4)
// stays a TAB in the text and is shown as "?".
TEST(Typing, AnUnexpandedTabShowsAsQuestionMark) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", std::string(260, 'x') + "\tend\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.key(Key::End);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2).ends_with("xx?end") && s.row(0).substr(71, 2) == "<-");
    s.esc("s");
    ASSERT_TRUE(s.wait_for_panel()) << s.dump();
    EXPECT_EQ(s.row_trimmed(4), "Size:            265 Chars, 1 Lines") << "the TAB is one character";
}

TEST(Typing, TheViewFollowsTheCursorPastTheRightEdge) {
    QxScreen s;
    ASSERT_TRUE(s.start_editing()) << s.dump();
    const std::string text = digits(80);
    s.type(text.substr(0, 79));
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == text.substr(0, 79) && s.cursor() == (Pos{2, 79}) &&
                            s.row(0).substr(71, 2) == "  ");
    // The 80th character: the view moves one column, the "<-" appears.
    s.type(text.substr(79));
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == text.substr(1) && s.cursor() == (Pos{2, 79}) &&
                            s.row(0).substr(71, 2) == "<-");
    s.type("!");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == text.substr(2) + "!" && s.cursor() == (Pos{2, 79}));

    // Back to column 0: the view goes back to 0 and the indicator away.
    s.key(Key::Home);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == text.substr(0, 80) && s.cursor() == (Pos{2, 0}) &&
                            s.row(0).substr(71, 9) == "      INS");
    // Moved onto column 81: the view stops 10 columns past it, at left column 12.
    s.key(Key::End);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == text.substr(12) + "!" && s.cursor() == (Pos{2, 69}) &&
                            s.row(0).substr(71, 2) == "<-");
    // A step right at the last screen column moves the view by one.
    for (int i = 0; i < 10; ++i) s.key(Key::Right);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{2, 79}));
    s.key(Key::Right);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == text.substr(13) + "!" && s.cursor() == (Pos{2, 79}));
    // And a step left at the first one, also by one.
    for (int i = 0; i < 79; ++i) s.key(Key::Left);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{2, 0}) && s.row_trimmed(2) == text.substr(13) + "!");
    s.key(Key::Left);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == text.substr(12) + "!" && s.cursor() == (Pos{2, 0}) &&
                            s.row(0).substr(71, 2) == "<-");
}

}  // namespace
}  // namespace qx::test
