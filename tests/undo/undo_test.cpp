#include <gtest/gtest.h>

#include <string>

#include "support/editor_test.h"

namespace qx {
namespace {

// Changes and their undoing, driven as the keys would drive them.
class UndoTest : public test::EditorTest {};

TEST_F(UndoTest, TypedCharactersGoLastFirstOnePerStep) {
    open({"xy"}, 0, 1);
    type("abc");
    EXPECT_EQ(undo_steps(), 3);
    EXPECT_EQ(undo_items(), 1);
    command("u");
    EXPECT_EQ(text()[0], "xaby");
    command("uu");
    EXPECT_EQ(text()[0], "xy");
    EXPECT_EQ(col(), 1);
    EXPECT_EQ(undo_steps(), 0);
    EXPECT_EQ(undo_items(), 0);
    command("u");
    EXPECT_EQ(message(), "No undo actions available");
}

TEST_F(UndoTest, DeletedCharactersComeBackInOrder) {
    open({"0123456789"}, 0, 2);
    command("DDDDD");
    EXPECT_EQ(text()[0], "01789");
    EXPECT_EQ(undo_items(), 1);
    command("5u");
    EXPECT_EQ(text()[0], "0123456789");
    EXPECT_EQ(col(), 2) << "a DelChar run is restored with the cursor staying at its column";

    place(0, 8);
    command("###");
    EXPECT_EQ(text()[0], "0123489");
    command("u");
    EXPECT_EQ(text()[0], "01234589") << "Rubouts come back from the left";
    command("uu");
    EXPECT_EQ(text()[0], "0123456789");
    EXPECT_EQ(col(), 8) << "where the cursor was before the first Rubout";
}

TEST_F(UndoTest, JoinsAndSplitsAreReversed) {
    open({"upper", "lower"}, 0, 5);
    command("D");
    EXPECT_EQ(text(), (Lines{"upperlower"}));
    command("u");
    EXPECT_EQ(text(), (Lines{"upper", "lower"}));
    EXPECT_EQ(line(), 0);
    EXPECT_EQ(col(), 5) << "at the end of the upper line";

    Options.autoIndent = 1;
    place(0, 0);
    type("    ");
    place(0, 6);
    type("\n");
    EXPECT_EQ(text(), (Lines{"    up", "    per", "lower"}));
    command("u");
    EXPECT_EQ(text(), (Lines{"    upper", "lower"})) << "the indentation auto-indent gave is removed";

    place(1, 0);
    command("#");
    EXPECT_EQ(text(), (Lines{"    upperlower"}));
    command("u");
    EXPECT_EQ(text(), (Lines{"    upper", "lower"}));
}

TEST_F(UndoTest, OverwrittenCharactersAndTheModeComeBack) {
    open({"abcdef"}, 0, 1);
    command("O");
    type("XY");
    EXPECT_EQ(text()[0], "aXYdef");
    TypingMode = Mode = MODE_INSERT;
    command("uu");
    EXPECT_EQ(text()[0], "abcdef");
    EXPECT_EQ(col(), 1);
    EXPECT_EQ(TypingMode, MODE_OVERWRITE);
}

TEST_F(UndoTest, DeletedLinesComeBackAtTheirPlace) {
    open({"l1", "l2", "l3", "l4", "l5", "l6", "l7"}, 4, 1);
    command("ll");
    EXPECT_EQ(text(), (Lines{"l1", "l2", "l3", "l4", "l7"}));
    EXPECT_EQ(undo_items(), 1);
    EXPECT_EQ(undo_steps(), 2);
    command("u");
    EXPECT_EQ(text(), (Lines{"l1", "l2", "l3", "l4", "l6", "l7"}));
    command("u");
    EXPECT_EQ(text(), (Lines{"l1", "l2", "l3", "l4", "l5", "l6", "l7"}));

    place(6, 0);
    command("l");
    EXPECT_EQ(text().back(), "l6");
    command("u");
    EXPECT_EQ(text().back(), "l7") << "the last line comes back as the last line";
    EXPECT_EQ(line(), 6);
}

TEST_F(UndoTest, DelLeftDelRightAndOpenedLines) {
    open({"    indent", "x"}, 0, 4);
    command("d");
    command("u");
    EXPECT_EQ(text()[0], "    indent");
    place(0, 6);
    command("k");
    EXPECT_EQ(text()[0], "    in");
    command("u");
    EXPECT_EQ(text()[0], "    indent");
    place(1, 0);
    type("\n");
    EXPECT_EQ(text(), (Lines{"    indent", "", "x"}));
    command("u");
    EXPECT_EQ(text(), (Lines{"    indent", "x"}));
}

TEST_F(UndoTest, SwitchingFilesEmptiesTheHistory) {
    open({"one"});
    test::open_test_file({"two"});
    type("abc");
    EXPECT_EQ(undo_steps(), 3);
    command("n");
    EXPECT_EQ(undo_steps(), 0);
    EXPECT_EQ(undo_items(), 0);
}

TEST_F(UndoTest, CountStarUndoesEverythingWithoutComplaint) {
    open({"text"}, 0, 4);
    type("123");
    command("*u");
    EXPECT_EQ(text()[0], "text");
    EXPECT_EQ(message(), "") << "running out of history inside a count is not reported";
}

TEST_F(UndoTest, TheScreenAndTheStatusPanelFollowTheHistory) {
    open({"line one", "line two"});
    keys("abc\x1bs");
    ASSERT_EQ(waits().size(), 1u);
    EXPECT_EQ(waits()[0].rows[11], "Undo Actions:    3 Actions in 1 Undo Items");
    keys({26});
    EXPECT_TRUE(shows(2, {"abline one"}, {2, 2}));
    keys("\x1b" "2u");
    keys("\x1bu");
    EXPECT_EQ(row(2), "line one");
    EXPECT_EQ(shown_message(), "No undo actions available");
    // Out of history inside a repetition: the text is back and nothing is left to complain.
    keys({CODE_DOWN, CODE_F1 + 8});
    EXPECT_EQ(rows(2, 3), (Lines{"line one", ""}));
    keys("\x1b*u");
    keys("\x1bv");
    EXPECT_EQ(rows(2, 3), (Lines{"line one", "line two"}));
    EXPECT_EQ(shown_message(), "ESC-h for Help");
}

}  // namespace
}  // namespace qx
