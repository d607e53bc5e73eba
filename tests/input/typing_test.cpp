// Text entry as the screen shows it: the line length limit, Enter with
// auto-indent, typed tabs, and the view following the cursor past the right edge.
#include <gtest/gtest.h>

#include <string>

#include "support/editor_test.h"

namespace qx {
namespace {

// n characters "0123456789012...", so that every column shows which it is.
std::string digits(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('0' + i % 10);
    return s;
}

using TypingTest = test::EditorTest;

TEST_F(TypingTest, LineLimitInInsertAndOverwriteModes) {
    const std::string long_line = digits(381);
    open({long_line, "short"});
    // End puts the cursor on column 381, the view 10 columns past it: left column 312.
    // The 382nd character goes in, the 383rd does not.
    keys({CODE_END});
    keys("ab");
    EXPECT_EQ(shown_message(), "Maximum line size reached");
    EXPECT_TRUE(shows(2, {long_line.substr(312) + "a"}, {2, 70}));

    // Overwrite mode may replace the last character but not add one.
    keys({CODE_IC, CODE_LEFT});
    EXPECT_EQ(mode_shown(), "<-    OVR");
    keys("cd");
    EXPECT_EQ(shown_message(), "Maximum line size reached");
    EXPECT_TRUE(shows(2, {long_line.substr(312) + "c"}, {2, 70}));

    // A short line with the cursor at column 382: nothing is inserted either.
    keys({CODE_IC, CODE_DOWN});
    EXPECT_EQ(mode_shown(), "<-    INS");
    keys("e");
    EXPECT_EQ(shown_message(), "Maximum line size reached");
    EXPECT_TRUE(shows(3, {""}, {3, 70}));
    keys({CODE_HOME});
    EXPECT_EQ(row(3), "short");
}

TEST_F(TypingTest, EnterSplitsLinesWithAutoIndent) {
    open({"    indented text", "next"}, 0, 13);
    // In the middle of an indented line: the rest goes down with the same indentation.
    keys({ENTER});
    EXPECT_TRUE(shows(2, {"    indented", "    text", "next"}, {3, 4}));
    keys("X");
    EXPECT_EQ(row(3), "    Xtext");

    // At the end: an empty line, the cursor at the indentation; on that empty
    // line the indentation is the one remembered.
    keys({CODE_END, ENTER});
    EXPECT_TRUE(shows(4, {""}, {4, 4}));
    keys({ENTER});
    EXPECT_TRUE(shows(6, {"next"}, {5, 4}));
    keys("y");
    EXPECT_EQ(row(5), "    y");

    // At column 0 an empty line opens above; the cursor stays on its line, one row lower.
    keys({CODE_DOWN, CODE_HOME, ENTER});
    EXPECT_TRUE(shows(6, {"", "next"}, {7, 0}));
    keys("z\x1bi");
    EXPECT_EQ(row(7), "znext");
    EXPECT_EQ(shown_message(), "ln:6 col:2  100% (6 lines)");
}

TEST_F(TypingTest, EnterOnTheLastRowAndInAScrolledView) {
    open(numbered(30));
    // Splitting the line on the last row scrolls the text up by one.
    keys({ESC, 'L', CODE_END, ENTER});
    EXPECT_EQ(row(2), "line 2");
    EXPECT_TRUE(shows(22, {"line 22", ""}, {23, 0}));
    keys({'n', CODE_DOWN});
    EXPECT_EQ(row(2), "line 3");
    EXPECT_EQ(rows(22, 23), (Lines{"n", "line 23"}));
    // Opening a line above the last row: the line itself stays on the last row.
    keys({CODE_HOME, ENTER});
    EXPECT_EQ(row(2), "line 4");
    EXPECT_TRUE(shows(21, {"n", "", "line 23"}, {23, 0}));

    // Enter at the end of a long indented line brings the view back to column 0.
    reset();
    const std::string long_line = "    " + digits(100);
    open({long_line, "next"});
    keys({CODE_END});
    EXPECT_EQ(mode_shown().substr(0, 2), "<-");
    keys({ENTER});
    EXPECT_TRUE(shows(2, {long_line.substr(0, 80), "", "next"}, {3, 4}));
    EXPECT_EQ(mode_shown(), "      INS");
}

TEST_F(TypingTest, TypedTabsGiveBlanksToTheNextStopAndTabsShowAsQuestionMarks) {
    open({"a   b", "    c"});
    keys({CODE_END, '\t', 'x'});
    EXPECT_TRUE(shows(2, {"a   b   x"}, {2, 9}));
    keys({CODE_DOWN, CODE_HOME, CODE_RIGHT, '\t'});
    EXPECT_TRUE(shows(3, {"       c"}, {3, 4}));
    keys({'\t'});
    EXPECT_TRUE(shows(3, {"           c"}, {3, 8}));
    // A TAB beyond the reach of expansion stays in the text, shown as "?".
    reset();
    open({std::string(260, 'x') + "\tend"});
    keys({CODE_END});
    EXPECT_TRUE(row(2).ends_with("xx?end")) << row(2);
}

TEST_F(TypingTest, TheViewFollowsTheCursorPastTheRightEdge) {
    open({""});
    const std::string text = digits(80);
    keys(text.substr(0, 79));
    EXPECT_TRUE(shows(2, {text.substr(0, 79)}, {2, 79}));
    EXPECT_EQ(mode_shown().substr(0, 2), "  ");
    // The 80th character: the view moves one column, the "<-" appears.
    keys(text.substr(79));
    EXPECT_TRUE(shows(2, {text.substr(1)}, {2, 79}));
    EXPECT_EQ(mode_shown().substr(0, 2), "<-");
    keys("!");
    EXPECT_EQ(row(2), text.substr(2) + "!");

    // Back to column 0: the view goes back to 0 and the indicator away.
    keys({CODE_HOME});
    EXPECT_EQ(row(2), text.substr(0, 80));
    EXPECT_EQ(mode_shown(), "      INS");
    // Moved onto column 81: the view stops 10 columns past it, at left column 12.
    keys({CODE_END});
    EXPECT_TRUE(shows(2, {text.substr(12) + "!"}, {2, 69}));
    // A step right at the last screen column moves the view by one; a step left
    // at the first one, too.
    for (int i = 0; i < 11; ++i) keys({CODE_RIGHT});
    EXPECT_TRUE(shows(2, {text.substr(13) + "!"}, {2, 79}));
    for (int i = 0; i < 80; ++i) keys({CODE_LEFT});
    EXPECT_TRUE(shows(2, {text.substr(12) + "!"}, {2, 0}));
    EXPECT_EQ(mode_shown().substr(0, 2), "<-");
    for (int i = 0; i < 12; ++i) keys({CODE_LEFT});
    EXPECT_TRUE(shows(2, {text.substr(0, 80)}, {2, 0}));
    EXPECT_EQ(mode_shown(), "      INS");
}

// A bracketed paste goes in as typed but keeps its own indentation and line lengths
// (no auto indent, no wrapping); what cannot be typed is dropped. Into a prompt it
// goes into the prompt.
TEST_F(TypingTest, PasteKeepsItsIndentationAndDropsWhatCannotBeTyped) {
    Options.textWrapping = 1;
    open({""});
    std::string long_line(80, 'w');   // past the right margin
    keys("\x1b[200~" "  one\r\n    two\x01\xe9\r" + long_line + "\r  three" "\x1b[201~" "\x1bi");
    EXPECT_EQ(text(), (Lines{"  one", "    two", long_line, "  three"}));
    Options.textWrapping = 0;
    keys("\nx");   // typed again: auto indent is back
    EXPECT_EQ(text().back(), "  x");
    keys("\x1b" "f\x1b[200~three\x1b[201~\n");
    EXPECT_EQ(line(), 3);
}

}  // namespace
}  // namespace qx
