#include <gtest/gtest.h>

#include <string>

#include "support/editor_test.h"

namespace qx {
namespace {

// Changes and their undoing, driven as the keys would drive them.
using UndoTest = test::EditorTest;

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

// One change and its undoing: the text comes back, and the cursor where given.
TEST_F(UndoTest, SingleChangesAreReversed) {
    struct Case {
        Lines before;
        int line, col;
        bool typed;   // else a command
        std::string keys;
        Lines after;
        int undo_line = -1, undo_col = -1;   // -1: not checked
    } cases[] = {
        {{"upper", "lower"}, 0, 5, false, "D", {"upperlower"}, 0, 5},   // back at the end of the upper line
        {{"upper", "lower"}, 1, 0, false, "#", {"upperlower"}},
        {{"    indent", "x"}, 0, 4, false, "d", {"indent", "x"}},
        {{"    indent", "x"}, 0, 6, false, "k", {"    in", "x"}},
        {{"    indent", "x"}, 1, 0, true, "\n", {"    indent", "", "x"}},
        {{"l1", "l2", "l3"}, 2, 0, false, "l", {"l1", "l2"}, 2},   // the last line comes back as the last line
    };
    for (const Case& c : cases) {
        reset();
        open(c.before, c.line, c.col);
        c.typed ? type(c.keys) : command(c.keys);
        EXPECT_EQ(text(), c.after) << c.keys;
        command("u");
        EXPECT_EQ(text(), c.before) << c.keys;
        EXPECT_TRUE(c.undo_line < 0 || line() == c.undo_line) << c.keys << " line " << line();
        EXPECT_TRUE(c.undo_col < 0 || col() == c.undo_col) << c.keys << " col " << col();
    }
}

TEST_F(UndoTest, UndoingASplitRemovesTheAutoIndentation) {
    Options.autoIndent = 1;
    open({"upper", "lower"});
    type("    ");
    place(0, 6);
    type("\n");
    EXPECT_EQ(text(), (Lines{"    up", "    per", "lower"}));
    command("u");
    EXPECT_EQ(text(), (Lines{"    upper", "lower"})) << "the indentation auto-indent gave is removed";
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
