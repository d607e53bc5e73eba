#include <gtest/gtest.h>

#include <string>

#include "buffers/line_buffer.h"
#include "edit/delete.h"
#include "input/dispatch.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "support/editor_state.h"

namespace qx {
namespace {

using test::texts_of;
using Lines = std::vector<std::string>;

// Deletions driven through the dispatcher, as the keys would run them.
class DeleteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ScreenRows = 24;
        ScreenColumns = 80;
        reset_dispatcher();
        InitStatus();
    }
    void TearDown() override { test::reset_editor_state(); }

    void open(const Lines& lines, int line = 0, int col = 0) {
        test::open_test_file(lines);
        CurrentFile.currentLine = LineAtIndex(line);
        CurrentFile.view.cursorColumn = col;
        FrameCurrentLine(FIRST_TEXT_ROW + line);
    }
    Lines text() {
        line_commit();
        return texts_of(CurrentFile.text.lines);
    }
    void type(const std::string& keys) {
        for (char c : keys) TypeChar(c);
    }
    std::string message() {
        std::string m(MessageBuffer());
        return m.substr(0, m.find_last_not_of(' ') + 1);
    }
    int32_t col() { return CurrentFile.view.cursorColumn; }
    int32_t index() { return CurrentLineIndex(); }
};

TEST_F(DeleteTest, DelCharInsidePastAndAtTheEndOfALine) {
    open({"abcdef", "", "next"}, 0, 3);
    Dispatch('D');
    EXPECT_EQ(text()[0], "abcef");
    EXPECT_EQ(col(), 3);
    CurrentFile.view.cursorColumn = 10;
    Dispatch('D');
    EXPECT_EQ(text(), (Lines{"abcef", "", "next"})) << "past the end nothing happens";
    CurrentFile.view.cursorColumn = 5;
    Dispatch('D');
    EXPECT_EQ(text(), (Lines{"abcef", "next"})) << "an empty next line just disappears";
    Dispatch('D');
    EXPECT_EQ(text(), (Lines{"abcefnext"}));
    EXPECT_EQ(col(), 5) << "the cursor stands where the texts meet";
    CurrentFile.view.cursorColumn = 9;
    Dispatch('D');
    EXPECT_EQ(text(), (Lines{"abcefnext"})) << "the last line has nothing to join";
}

TEST_F(DeleteTest, JoinsStopShortOfTheLineLimit) {
    open({std::string(200, 'a'), std::string(181, 'b'), std::string(182, 'c')}, 0, 200);
    Dispatch('D');
    EXPECT_EQ(text().size(), 2u);
    EXPECT_EQ(text()[0].size(), 381u);
    CurrentFile.view.cursorColumn = 381;
    Dispatch('D');
    EXPECT_EQ(message(), "Can't join lines - lines too long");
    EXPECT_EQ(text().size(), 2u);
    EXPECT_EQ(LineEditBuffer.length, 0) << "the edit buffer is left unloaded";
}

TEST_F(DeleteTest, RuboutJoinsAtColumnZeroAndDeletesLeftOtherwise) {
    open({"l1", "l2", "l3", "l4", "l5", "line six", "seven"}, 6, 0);
    Dispatch('#');
    EXPECT_EQ(text()[5], "line sixseven");
    EXPECT_EQ(index(), 5);
    EXPECT_EQ(col(), 8);
    Dispatch('#');
    EXPECT_EQ(text()[5], "line siseven");
    EXPECT_EQ(col(), 7);
    CurrentFile.currentLine = LineAtIndex(0);
    CurrentFile.view.cursorColumn = 0;
    Dispatch('#');
    EXPECT_EQ(text()[0], "l1") << "nothing happens at the start of the file";
}

TEST_F(DeleteTest, OverwriteRuboutGivesBackWhatWasTypedOver) {
    open({"abcdef"}, 0, 0);
    Dispatch('O');
    type("XYZ");
    Dispatch('#');
    EXPECT_EQ(col(), 2);
    Dispatch('#');
    EXPECT_EQ(col(), 1);
    EXPECT_EQ(text()[0], "Xbcdef") << "the third and then the second character are back";
    Dispatch('I');
}

TEST_F(DeleteTest, DelLeftAndDelRight) {
    open({"    indented", "keep"}, 0, 4);
    Dispatch('d');
    EXPECT_EQ(text()[0], "indented");
    EXPECT_EQ(col(), 0);
    CurrentFile.view.cursorColumn = 3;
    Dispatch('k');
    EXPECT_EQ(text()[0], "ind");
    EXPECT_EQ(col(), 3);
    CurrentFile.view.cursorColumn = 0;
    Dispatch('k');
    EXPECT_EQ(text()[0], "") << "DelRight at column 0 leaves an empty line";
    Dispatch('d');
    Dispatch('k');
    EXPECT_EQ(text(), (Lines{"", "keep"})) << "an empty line has nothing to delete";
}

TEST_F(DeleteTest, DelLineFillsTheSingleLineBufferInOrder) {
    open({"one", "two", "three", "four", "five"}, 1, 2);
    Dispatch('3');
    Dispatch('l');
    EXPECT_EQ(text(), (Lines{"one", "five"}));
    EXPECT_EQ(texts_of(SingleLineBuffer.lines), (Lines{"two", "three", "four"}));
    EXPECT_EQ(index(), 1);
    EXPECT_EQ(col(), 2) << "the column is kept";

    Dispatch('l');
    EXPECT_EQ(text(), (Lines{"one"}));
    EXPECT_EQ(index(), 0) << "deleting the last line makes the one above current";
    EXPECT_EQ(CurrentFile.view.cursorRow, 2);
    EXPECT_EQ(texts_of(SingleLineBuffer.lines), (Lines{"five"})) << "a new command starts the buffer afresh";
    Dispatch('l');
    EXPECT_EQ(text(), (Lines{""})) << "a file always keeps one line";
}

}  // namespace
}  // namespace qx
