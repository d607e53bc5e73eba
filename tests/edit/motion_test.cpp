#include <gtest/gtest.h>

#include <string>

#include "edit/motion.h"
#include "support/editor_test.h"

namespace qx {
namespace {

// Motion on a 24-row screen, each command typed as ESC and its letter; positions
// are read back from the file's view, the message buffer and the screen.
class MotionTest : public test::EditorTest {
protected:
    void open(int n) { EditorTest::open(numbered(n)); }
    void run(char letter, int times = 1) {
        for (int i = 0; i < times; ++i) keys({ESC, letter});
    }
    // Counted here, not taken from the editor's line-number cache.
    int line_number() {
        int n = 1;
        for (Line* l = first_line(CurrentFile.text.lines); l != CurrentFile.currentLine; l = next_line(l)) ++n;
        return n;
    }
};

TEST_F(MotionTest, PagingKeepsTheLineNumberWithoutRecounting) {
    open(100);
    run('F');
    EXPECT_EQ(line_number(), 22);
    EXPECT_EQ(shown_message(), "ln:22 col:1  22% (100 lines)");
    EXPECT_EQ(row(2), "line 22");
    EXPECT_TRUE(shows(23, {"line 43"}, {2, 0}));
    run('F');
    EXPECT_EQ(line_number(), 43);
    EXPECT_EQ(message(), "ln:43 col:1  43% (100 lines)");
    EXPECT_EQ(view().cursorRow, 2);

    run('B');
    EXPECT_EQ(line_number(), 22);
    run('B');
    EXPECT_EQ(line_number(), 1) << "PageUp stops at the start of the file";
    EXPECT_EQ(shown_message(), "ln:1 col:1  1% (100 lines)");
    EXPECT_EQ(row(2), "line 1");
    // The cursor keeps its screen row and its column while the page turns.
    keys({CODE_DOWN, CODE_DOWN, CODE_RIGHT, 14});
    EXPECT_EQ(shown_message(), "ln:24 col:2  24% (100 lines)");
    EXPECT_TRUE(shows(4, {"line 24"}, {4, 1}));
}

TEST_F(MotionTest, PageUpNearTheStartResetsToTheFirstLine) {
    open(40);
    CurrentFile.currentLine = LineAtIndex(35);   // line 36 on the last row, line 15 on top
    FrameCurrentLine(23);
    ASSERT_EQ(view().topLine, LineAtIndex(14));
    run('B');
    EXPECT_EQ(line_number(), 1);
    EXPECT_EQ(view().cursorRow, 2);
    EXPECT_EQ(message().substr(0, 10), "ln:1 col:1");
}

TEST_F(MotionTest, PageDownWithTheLastLineShownGoesThereWithoutMovingTheView) {
    open(10);
    view().cursorColumn = 7;
    run('F');
    EXPECT_EQ(line_number(), 10);
    EXPECT_EQ(view().cursorRow, 11);
    EXPECT_EQ(view().cursorColumn, 0) << "the column becomes the view's first column";
    EXPECT_EQ(view().topLine, first_line(CurrentFile.text.lines));
    EXPECT_TRUE(shows(2, {"line 1"}, {11, 0}));
}

TEST_F(MotionTest, SingleStepsScrollByOneRowAtTheEdges) {
    open(30);
    run('$', 21);
    EXPECT_EQ(view().cursorRow, 23);
    EXPECT_EQ(view().topLine, LineAtIndex(0));
    run('$');
    EXPECT_EQ(line_number(), 23);
    EXPECT_EQ(view().topLine, LineAtIndex(1)) << "down on the last row scrolls by one line";
    EXPECT_EQ(view().bottomLine, LineAtIndex(22));
    EXPECT_EQ(row(2), "line 2");
    EXPECT_TRUE(shows(23, {"line 23"}, {23, 0}));
    run('^', 21);
    EXPECT_EQ(view().cursorRow, 2);
    run('^');
    EXPECT_EQ(line_number(), 1);
    EXPECT_EQ(view().topLine, LineAtIndex(0)) << "up on the first row scrolls back by one";
    EXPECT_EQ(view().bottomLine, LineAtIndex(21));
    EXPECT_EQ(row(2), "line 1");
    EXPECT_EQ(row(23), "line 22");
    run('^');
    EXPECT_EQ(line_number(), 1) << "nothing moves above the first line";
}

TEST_F(MotionTest, ColumnsSurviveVerticalMotionAndLeftWrapsToThePreviousLineEnd) {
    EditorTest::open({"0123456789", "ab", "0123456789"});
    view().cursorColumn = 8;
    run('$');
    EXPECT_EQ(view().cursorColumn, 8) << "the cursor may stand past the end of a short line";
    run('$');
    EXPECT_EQ(view().cursorColumn, 8);
    run('^');
    keys("x");   // typing past the end fills the gap with blanks
    EXPECT_TRUE(shows(3, {"ab      x"}, {3, 9}));
    run('$');
    view().cursorColumn = 0;
    run(',');
    EXPECT_EQ(line_number(), 2);
    EXPECT_EQ(view().cursorColumn, 9);
    EXPECT_EQ(view().lastMotion, MOTION_LEFT);
    run(';');
    EXPECT_EQ(view().cursorColumn, 0) << "ExtMotion after left goes to column 0";
    run('>');
    EXPECT_EQ(view().cursorColumn, 9);
    run(':');
    EXPECT_EQ(view().cursorColumn, 79) << "keypad 5 after End goes to the screen's right edge";
}

TEST_F(MotionTest, HomeMiddleAndLast) {
    open(100);
    run('M');
    EXPECT_EQ(cursor(), (test::ScreenPos{12, 0}));
    run('L');
    EXPECT_EQ(view().cursorRow, 23);
    run('H');
    EXPECT_EQ(view().cursorRow, 2);

    reset();
    open(5);
    run('M');
    EXPECT_EQ(line_number(), 5);
    run('H');
    run('L');
    EXPECT_EQ(line_number(), 5);
    EXPECT_EQ(view().cursorRow, 6);
}

TEST_F(MotionTest, RightStopsAtTheLineLimitButScrollRightGoesOn) {
    open(3);
    view().cursorColumn = 381;
    run('.');
    EXPECT_EQ(view().cursorColumn, 382);
    run('.');
    EXPECT_EQ(view().cursorColumn, 382);
    EXPECT_EQ(message(), "Maximum line size reached");
    run(')');
    EXPECT_EQ(shown_message(), "Scrolled right to column 352");
    EXPECT_EQ(row(2), "") << "line 1 is far to the left";
    EXPECT_EQ(row(0).substr(71, 2), "<-");
    run(')', 11);
    EXPECT_EQ(view().cursorColumn, 511);
    EXPECT_EQ(shown_message(), "Scrolled right to column 432");
    EXPECT_EQ(cursor(), (test::ScreenPos{2, 79}));
    run('(', 20);
    EXPECT_EQ(shown_message(), "Scrolled left to column 0");
    EXPECT_EQ(row(2), "line 1");
    EXPECT_EQ(row(0).substr(71, 2), "  ");
}

// Half a screen at a time; the cursor column follows, up to 511.
TEST_F(MotionTest, ScrollingSidewaysShowsTheViewsColumns) {
    std::string line;
    for (int i = 0; i < 382; ++i) line += static_cast<char>('a' + i % 23);   // every 80 columns differ
    auto visible = [](const std::string& s, int left) { return left < int(s.size()) ? s.substr(left, 80) : ""; };
    EditorTest::open({line, "short"});
    int column = 0;
    for (int left : {40, 80, 120, 160, 200, 240, 280, 320, 360, 400, 432, 432, 432, 432}) {
        run(')');
        column = std::min(column + 40, 511);
        EXPECT_EQ(shown_message(), "Scrolled right to column " + std::to_string(left));
        EXPECT_TRUE(shows(2, {visible(line, left)}, {2, column - left}));
    }
    keys({CODE_DOWN});   // the column stays past the line limit
    EXPECT_EQ(cursor(), (test::ScreenPos{3, 79}));
    for (int left : {392, 352, 312, 272, 232, 192, 152, 112, 72, 32, 0, 0}) {
        run('(');
        column = std::max(column - 40, 0);
        EXPECT_EQ(shown_message(), "Scrolled left to column " + std::to_string(left));
        EXPECT_TRUE(shows(2, {visible(line, left), visible("short", left)}, {3, column - left}));
        EXPECT_EQ(row(0).substr(71, 2), left > 0 ? "<-" : "  ");
    }
    keys({CODE_SRIGHT});
    EXPECT_EQ(row(2), visible(line, 40));
    keys({CODE_SLEFT});
    EXPECT_EQ(shown_message(), "Scrolled left to column 0");
}

TEST_F(MotionTest, CountedWordMotionsBecomeSingleSteps) {
    open(3);
    command("0]");
    EXPECT_EQ(view().cursorColumn, 1) << "a count of 0 is 1, and a count turns WordRight into right";
    command("5]");
    EXPECT_EQ(view().cursorColumn, 6);
    command("*$");
    EXPECT_EQ(line_number(), 3) << "* repeats until the motion can go no further";
    command("*2#^");   // a digit after * starts the count afresh, a rubout takes it back: no count is left
    EXPECT_EQ(line_number(), 2);
}

}  // namespace
}  // namespace qx
