#include <gtest/gtest.h>

#include <string>

#include "support/editor_test.h"

namespace qx {
namespace {

// Tags, Jump, TopOfFile and EndOfFile on a 24-row screen.
using TagsTest = test::EditorTest;

TEST_F(TagsTest, JumpsLandOnTheLineAndShowItsNumber) {
    struct Case {
        int from;
        std::string keys;
        int at;
        std::string shown;
    } cases[] = {
        {30, "\x1bjL0\n", 0, "ln:1 col:1  2% (50 lines)"},
        {3, "\x1bjL500\n", 49, "ln:50 col:1  100% (50 lines)"},
        {40, "\x1bjxS", 0, "ln:1 col:1  2% (50 lines)"},   // a wrong key rings and waits
        {40, "\x1b\\", 0, "ln:1 col:1  2% (50 lines)"},
        {0, "\x1bjT3", 9, "ln:10 col:1  20% (50 lines)"},
        {0, "\x1b`4", 0, "Tag 4 not defined"},
        {0, "\x1btJx", 0, "Not a valid tag number"},
    };
    for (const Case& c : cases) {
        reset();
        open(numbered(50), 9);
        keys("\x1bt3");
        place(c.from, 0);
        keys(c.keys);
        EXPECT_EQ(line(), c.at) << c.keys;
        EXPECT_EQ(shown_message(), c.shown) << c.keys;
    }
}

TEST_F(TagsTest, TagsHoldLineNumbersAndAreListed) {
    open(numbered(30), 9);
    keys("\x1bt3");
    EXPECT_EQ(shown_message(), "Tag 3 set");
    place(1, 0);
    keys("\x1bl\x1b`3");
    EXPECT_EQ(row(CurrentFile.view.cursorRow), "line 11") << "the tag names whatever is now line 10";
    place(6, 0);
    keys("\x1bt2\x1btL");
    ASSERT_EQ(waits().size(), 1u);
    const Lines& shot = waits()[0].rows;
    EXPECT_EQ(Lines(shot.begin() + 3, shot.begin() + 9),
              (Lines{"Tag     LineNum", "", " 0      Undefined", " 1      Undefined", " 2      7", " 3      10"}));
    keys("\x1btC\x1btL");
    EXPECT_EQ(waits()[0].rows[8], " 3      Undefined");
    keys("\x1btz");
    EXPECT_EQ(shown_message(), "Invalid menu selection");
    EXPECT_EQ(bells(), 1);
}

TEST_F(TagsTest, EndOfFileEndsThreeRowsAboveTheBottom) {
    open(numbered(100), 0, 4);
    keys("\x1b~");
    EXPECT_TRUE(shows(20, {"line 100", "", "", ""}, {20, 4}));
    EXPECT_EQ(shown_message(), "ln:100 col:5  100% (100 lines)");
    keys({CODE_PPAGE});
    EXPECT_EQ(line(), 78) << "PageUp goes on from the last line";
}

TEST_F(TagsTest, EachFileHasItsOwnTags) {
    open({"a1", "a2"});
    test::open_test_file({"b1", "b2"}, 'u', "b.txt");
    keys("\x1bt1\x1bn\x1b`1");
    EXPECT_EQ(shown_message(), "Tag 1 not defined");
    keys("\x1bn\x1b`1");
    EXPECT_EQ(shown_message(), "ln:1 col:1  50% (2 lines)");
}

}  // namespace
}  // namespace qx
