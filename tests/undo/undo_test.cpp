#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "support/editor_test.h"

namespace qx {
namespace {

// Changes and their undoing, driven as the keys would drive them.
using UndoTest = test::EditorTest;

// A change and its undoing: the text comes back (or as far as given), and the cursor where given.
TEST_F(UndoTest, SingleChangesAreReversed) {
    struct Case {
        Lines before;
        int line, col;
        char how;   // c: a command, t: typed, i: typed with auto-indent
        std::string keys;
        Lines after;
        int undo_line = -1, undo_col = -1;   // -1: not checked
        std::string undo = "u";
        Lines undone = {};   // empty: as before
    } cases[] = {
        {{"upper", "lower"}, 0, 5, 'c', "D", {"upperlower"}, 0, 5},   // back at the end of the upper line
        {{"upper", "lower"}, 1, 0, 'c', "#", {"upperlower"}},
        {{"    indent", "x"}, 0, 4, 'c', "d", {"indent", "x"}},
        {{"    indent", "x"}, 0, 6, 'c', "k", {"    in", "x"}},
        {{"    indent", "x"}, 1, 0, 't', "\n", {"    indent", "", "x"}},
        {{"    upper", "lower"}, 0, 6, 'i', "\n", {"    up", "    per", "lower"}},   // the indentation given goes too
        {{"l1", "l2", "l3"}, 2, 0, 'c', "l", {"l1", "l2"}, 2},   // the last line comes back as the last line
        {{"0123456789"}, 0, 2, 'c', "DDDDD", {"01789"}, 0, 2, "5u"},   // the cursor stays at the run's column
        {{"0123456789"}, 0, 8, 'c', "###", {"0123489"}, -1, -1, "u", {"01234589"}},   // Rubouts come back from the left
        {{"0123456789"}, 0, 8, 'c', "###", {"0123489"}, 0, 8, "uuu"},   // where the first Rubout was
        {{"text"}, 0, 4, 't', "123", {"text123"}, 0, 4, "*u"},   // running out of history inside a count
    };
    for (const Case& c : cases) {
        reset();
        Options.autoIndent = c.how == 'i';
        open(c.before, c.line, c.col);
        c.how == 'c' ? command(c.keys) : type(c.keys);
        EXPECT_EQ(text(), c.after) << c.keys;
        command(c.undo);
        EXPECT_EQ(text(), c.undone.empty() ? c.before : c.undone) << c.keys;
        EXPECT_TRUE(c.undo_line < 0 || line() == c.undo_line) << c.keys << " line " << line();
        EXPECT_TRUE(c.undo_col < 0 || col() == c.undo_col) << c.keys << " col " << col();
        EXPECT_EQ(message(), "") << c.keys << ": undoing reports nothing";
    }
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
    EXPECT_EQ(std::pair(undo_items(), undo_steps()), std::pair(1, 2)) << "one chain of two lines";
    command("u");
    EXPECT_EQ(text(), (Lines{"l1", "l2", "l3", "l4", "l6", "l7"}));
    command("u");
    EXPECT_EQ(text(), (Lines{"l1", "l2", "l3", "l4", "l5", "l6", "l7"}));
}

TEST_F(UndoTest, SwitchingFilesEmptiesTheHistory) {
    open({"one"});
    test::open_test_file({"two"});
    type("abc");
    command("n");
    EXPECT_TRUE(undo_steps() == 0 && undo_items() == 0);
}

// Typed characters go last first, one per step, and the cursor ends where typing began.
TEST_F(UndoTest, TheScreenAndTheStatusPanelFollowTheHistory) {
    open({"line one", "line two"}, 0, 1);
    keys("abc\x1bs");
    ASSERT_EQ(waits().size(), 1u);
    EXPECT_EQ(waits()[0].rows[11], "Undo Actions:    3 Actions in 1 Undo Items");
    keys({26});
    EXPECT_TRUE(shows(2, {"labine one"}, {2, 3}));
    keys("\x1b" "2u");
    EXPECT_TRUE(shows(2, {"line one"}, {2, 1}));
    EXPECT_TRUE(undo_steps() == 0 && undo_items() == 0);
    keys("\x1bu");
    EXPECT_EQ(shown_message(), "No undo actions available");
    // Out of history inside a repetition: the text is back and nothing is reported.
    keys({CODE_DOWN, CODE_F1 + 8});
    EXPECT_EQ(rows(2, 3), (Lines{"line one", ""}));
    keys("\x1b*u");
    EXPECT_EQ(rows(2, 3), (Lines{"line one", "line two"}));
    EXPECT_EQ(shown_message(), "ESC-h for Help");
}

}  // namespace
}  // namespace qx
