#include <gtest/gtest.h>

#include <string>

#include "buffers/line_buffer.h"
#include "support/editor_test.h"

namespace qx {
namespace {

using test::texts_of;

// Deletions driven through the dispatcher, as the keys would run them.
class DeleteTest : public test::EditorTest {};

TEST_F(DeleteTest, JoinsStopShortOfTheLineLimit) {
    open({std::string(200, 'a'), std::string(181, 'b'), std::string(182, 'c')}, 0, 200);
    command("D");
    EXPECT_EQ(text().size(), 2u);
    EXPECT_EQ(text()[0].size(), 381u);
    CurrentFile.view.cursorColumn = 381;
    command("D");
    EXPECT_EQ(message(), "Can't join lines - lines too long");
    EXPECT_EQ(text().size(), 2u);
    EXPECT_EQ(LineEditBuffer.length, 0) << "the edit buffer is left unloaded";
    // Rubout at column 0 joins too; the message goes at the next key.
    keys({CODE_DOWN, CODE_HOME, CODE_BACKSPACE});
    EXPECT_EQ(shown_message(), "Can't join lines - lines too long");
    EXPECT_EQ(cursor().row, 2) << "the cursor stays at the end of the line above";
    keys({CODE_UP});
    EXPECT_EQ(shown_message(), "ESC-h for Help");
}

TEST_F(DeleteTest, DelCharShiftsTheRowJoinsTheNextLineAndStopsAtTheEnds) {
    std::string longline;
    for (int i = 0; i < 100; ++i) longline += char('a' + i % 26);
    open({longline, "abcdef", "", "next"});
    keys({CODE_DC});
    EXPECT_TRUE(shows(2, {longline.substr(1, 80)}, {2, 0})) << "the row's right edge is refilled";
    keys({CODE_DOWN, CODE_RIGHT, CODE_RIGHT, CODE_RIGHT, CODE_DC});
    EXPECT_TRUE(shows(3, {"abcef"}, {3, 3}));
    place(1, 10);
    keys({CODE_DC});
    EXPECT_EQ(text(), (Lines{longline.substr(1), "abcef", "", "next"})) << "past the end nothing happens";
    keys({CODE_END, CODE_DC});
    EXPECT_TRUE(shows(3, {"abcef", "next"}, {3, 5})) << "an empty next line just disappears";
    keys({CODE_DC});
    EXPECT_TRUE(shows(3, {"abcefnext", ""}, {3, 5})) << "the cursor stands where the texts meet";
    keys({CODE_END, CODE_DC});
    EXPECT_EQ(text(), (Lines{longline.substr(1), "abcefnext"})) << "the last line has nothing to join";
}

TEST_F(DeleteTest, RuboutJoinsAtColumnZeroAndDeletesLeftOtherwise) {
    open({"l1", "l2", "l3", "l4", "l5", "line six", "seven"}, 6, 0);
    command("#");
    EXPECT_EQ(text()[5], "line sixseven");
    EXPECT_EQ(line(), 5);
    EXPECT_EQ(col(), 8);
    command("#");
    EXPECT_EQ(text()[5], "line siseven");
    EXPECT_EQ(col(), 7);
    CurrentFile.currentLine = LineAtIndex(0);
    CurrentFile.view.cursorColumn = 0;
    command("#");
    EXPECT_EQ(text()[0], "l1") << "nothing happens at the start of the file";
}

TEST_F(DeleteTest, OverwriteRuboutGivesBackWhatWasTypedOver) {
    open({"abcdef"}, 0, 0);
    press(CODE_IC, "XYZ", CODE_BACKSPACE, CODE_BACKSPACE);
    EXPECT_EQ(text()[0], "Xbcdef") << "the third and then the second character are back";
    EXPECT_TRUE(shows(2, {"Xbcdef"}, {2, 1}));
}

TEST_F(DeleteTest, DelLeftAndDelRight) {
    open({"    indented", "keep"}, 0, 4);
    keys("\x1b" "d");
    EXPECT_TRUE(shows(2, {"indented"}, {2, 0}));
    keys({CODE_RIGHT, CODE_RIGHT, CODE_RIGHT, CODE_F1 + 9});
    EXPECT_TRUE(shows(2, {"ind"}, {2, 3}));
    CurrentFile.view.cursorColumn = 0;
    command("kdk");
    EXPECT_EQ(text(), (Lines{"", "keep"})) << "DelRight at column 0 leaves an empty line, which has nothing to delete";
}

// A line edited down to nothing is still stored back: nothing deleted returns.
TEST_F(DeleteTest, ALineRubbedOutToNothingStaysEmpty) {
    open({"hello world", "line 1"}, 0, 5);
    command("k#####");
    EXPECT_EQ(text(), (Lines{"", "line 1"}));
    type("new text");
    command("$");
    EXPECT_EQ(text(), (Lines{"new text", "line 1"}));
}

TEST_F(DeleteTest, DelLineFillsTheSingleLineBufferInOrder) {
    open({"one", "two", "three", "four", "five"}, 1, 2);
    keys("\x1b" "3l");
    EXPECT_EQ(text(), (Lines{"one", "five"}));
    EXPECT_TRUE(shows(3, {"five", ""}, {3, 2})) << "the column is kept";
    EXPECT_EQ(texts_of(SingleLineBuffer.lines), (Lines{"two", "three", "four"}));

    keys({CODE_F1 + 8});
    EXPECT_EQ(text(), (Lines{"one"}));
    EXPECT_TRUE(shows(2, {"one", ""}, {2, 2})) << "deleting the last line makes the one above current";
    EXPECT_EQ(texts_of(SingleLineBuffer.lines), (Lines{"five"})) << "a new command starts the buffer afresh";
    keys({CODE_F1 + 8});
    EXPECT_EQ(text(), (Lines{""})) << "a file always keeps one line";
    EXPECT_EQ(row(2), "");
}

}  // namespace
}  // namespace qx
