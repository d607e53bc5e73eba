#include <gtest/gtest.h>

#include <string>

#include "edit/motion.h"
#include "support/editor_test.h"

namespace qx {
namespace {

// Motion on a 24-row screen, each command typed as ESC and its letter.
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

// From a start line (0-based) and column: the line reached, its row and column, the top line.
TEST_F(MotionTest, VerticalMotionsAndTheViewTheyLeave) {
    const std::string down22(22, '$');
    struct Case { int lines, line, col; std::string keys; int number, row, column, top; } cases[] = {
        {100, 0, 0, "F", 22, 2, 0, 22}, {100, 0, 0, "FF", 43, 2, 0, 43}, {100, 0, 0, "FFB", 22, 2, 0, 22},
        {100, 0, 0, "FFBB", 1, 2, 0, 1},   // PageUp stops at the start of the file
        {40, 35, 0, "B", 1, 2, 0, 1},      // near the start (line 15 on top) PageUp resets to the first line
        {10, 0, 7, "F", 10, 11, 0, 1},     // the last line shown: go there, to the view's first column
        {100, 0, 0, "M", 11, 12, 0, 1}, {100, 0, 0, "ML", 22, 23, 0, 1}, {100, 0, 0, "MLH", 1, 2, 0, 1},
        {5, 0, 0, "M", 5, 6, 0, 1}, {5, 0, 0, "MHL", 5, 6, 0, 1},
        {30, 0, 0, down22.substr(1), 22, 23, 0, 1}, {30, 0, 0, down22, 23, 23, 0, 2},   // scrolls by one line
        {30, 0, 0, down22 + std::string(21, '^'), 2, 2, 0, 2},
        {30, 0, 0, down22 + std::string(22, '^'), 1, 2, 0, 1},   // up on the first row scrolls back by one
        {30, 0, 0, "^", 1, 2, 0, 1},
    };
    for (const Case& c : cases) {
        reset();
        EditorTest::open(numbered(c.lines), c.line, c.col);
        ASSERT_EQ(view().topLine, LineAtIndex(c.line - std::min(c.line, 21))) << "the start line framed on its row";
        for (char k : c.keys) run(k);
        std::string what = std::to_string(c.lines) + " lines, keys " + c.keys;
        EXPECT_EQ(line_number(), c.number) << what;
        EXPECT_EQ(view().cursorRow, c.row) << what;   // the view's own record, not only the screen's cursor
        EXPECT_EQ(view().topLine, LineAtIndex(c.top - 1)) << what;
        EXPECT_EQ(view().bottomLine, LineAtIndex(std::min(c.top + 21, c.lines) - 1)) << what;
        Lines shown;
        for (int n = c.top; n < c.top + 22; ++n) shown.push_back(n <= c.lines ? "line " + std::to_string(n) : "");
        EXPECT_TRUE(shows(2, shown, {c.row, c.column})) << what;
        auto n = [](int v) { return std::to_string(v); };
        if (c.keys.ends_with('F') || c.keys.ends_with('B')) {   // paging shows where it went
            EXPECT_EQ(message(), "ln:" + n(c.number) + " col:" + n(c.column + 1) + "  " + n(c.number * 100 / c.lines) +
                                     "% (" + n(c.lines) + " lines)") << what;
        }
    }
}

// The cursor keeps its screen row and its column while the page turns.
TEST_F(MotionTest, PagingKeepsTheCursorsRowAndColumn) {
    open(100);
    keys({CODE_DOWN, CODE_DOWN, CODE_RIGHT, 14});
    EXPECT_EQ(shown_message(), "ln:24 col:2  24% (100 lines)");
    EXPECT_TRUE(shows(4, {"line 24"}, {4, 1}));
}

TEST_F(MotionTest, ColumnsSurviveVerticalMotionAndLeftWrapsToThePreviousLineEnd) {
    EditorTest::open({"0123456789", "ab", "0123456789"});
    view().cursorColumn = 8;
    run('$', 2);
    run('^');   // the cursor may stand past the end of a short line; typing there fills the gap with blanks
    keys("x");
    EXPECT_TRUE(shows(3, {"ab      x"}, {3, 9}));
    run('$');
    view().cursorColumn = 0;
    run(',');
    EXPECT_EQ(line_number(), 2);
    EXPECT_EQ(view().cursorColumn, 9);
    run(';');
    EXPECT_EQ(view().cursorColumn, 0) << "ExtMotion after left goes to column 0";
    run('>');
    EXPECT_EQ(view().cursorColumn, 9);
    run(':');
    EXPECT_EQ(view().cursorColumn, 79) << "keypad 5 after End goes to the screen's right edge";
}

TEST_F(MotionTest, RightStopsAtTheLineLimitButScrollRightGoesOn) {
    open(3);
    view().cursorColumn = 381;
    run('.');
    EXPECT_EQ(view().cursorColumn, 382);
    run('.');
    EXPECT_EQ(view().cursorColumn, 382);
    EXPECT_EQ(message(), "Maximum line size reached");
    run(')');   // the cursor goes on with the view, past the limit
    EXPECT_EQ(shown_message(), "Scrolled right to column 352");
    EXPECT_TRUE(shows(2, {""}, {2, 70}));
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
