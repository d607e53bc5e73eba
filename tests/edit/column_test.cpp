#include <gtest/gtest.h>

#include <string>

#include "buffers/column_buffer.h"
#include "buffers/line_buffer.h"
#include "edit/delete.h"
#include "support/editor_test.h"
#include "support/temp_dir.h"

namespace qx {
namespace {

using test::texts_of;

// The column area buffer, driven by keys: ESC c, lines marked with the cursor
// keys, a left or right key to mark columns, then the menu letter.
class ColumnTest : public test::EditorTest {
protected:
    Lines pieces() { return texts_of(ColumnBuffer.lines); }
    void fill(const Lines& lines) { test::fill_text(ColumnBuffer.lines, lines); }
    const Lines area{"0123456789ab", "012345", ""};
};

TEST_F(ColumnTest, CopyDeleteKillOfAreasWithShortAndEmptyLines) {
    // The keys after the first left or right one move as typed "," and "." do.
    struct Case { KeyCode first; std::string keys; Lines pieces, text; const char* message; } cases[] = {
        {CODE_RIGHT, "....c", {"56789", "5", ""}, area, "5 columns x 3 lines copied"},
        {CODE_LEFT, ",,,C", {"2345", "2345", ""}, area, "4 columns x 3 lines copied"},
        {CODE_RIGHT, "....d", {"56789", "5", ""}, {"01234ab", "01234", ""}, "5 columns x 3 lines copied, deleted"},
        {CODE_RIGHT, "....k", {"kept"}, {"01234ab", "01234", ""}, "5 columns x 3 lines deleted"},
    };
    for (const Case& c : cases) {
        reset();
        open(area, 0, 5);
        fill({"kept"});
        press("\x1b" "c", CODE_DOWN, CODE_DOWN, c.first, c.keys);
        EXPECT_EQ(pieces(), c.pieces) << c.message;
        EXPECT_EQ(text(), c.text) << c.message;
        EXPECT_EQ(shown_message(), c.message);
        EXPECT_EQ(col(), c.first == CODE_LEFT ? 2 : 5) << "the cursor goes to the first column";
        command("u");
        EXPECT_EQ(text(), area) << "one step puts the columns back: " << c.message;
    }
}

TEST_F(ColumnTest, MarkingShowsTheColumnsAndEnterCancels) {
    open(area, 0, 5);
    press("\x1b" "c" "\xff", CODE_DOWN, CODE_DOWN, CODE_RIGHT, "\xff", CODE_RIGHT, CODE_RIGHT, CODE_RIGHT, CODE_RIGHT,
          "\xff\n");
    ASSERT_EQ(waits().size(), 3u);
    EXPECT_EQ(waits()[0].rows[2], "01234>6789ab");
    EXPECT_EQ(waits()[1].rows[0].substr(49), "[Start Col:  5, End Col :  5]");
    EXPECT_EQ(waits()[2].rows[0].substr(49), "[Start Col:  5, End Col :  9]");
    EXPECT_EQ(waits()[2].rows[2], "01234V678Vab");
    EXPECT_EQ(waits()[2].rows[4], "     V   V") << "the last line's row is marked too";
    EXPECT_TRUE(shows(2, area, {2, 9})) << "Enter takes the marks away";
    // K, D and C need columns; left at column 0 rings instead of moving.
    place(0, 0);
    press("\x1b" "ckdc", CODE_LEFT, CODE_LEFT, CODE_LEFT, CODE_RIGHT, "\n");
    EXPECT_EQ(bells(), 5) << "left twice at column 0";
    EXPECT_EQ(text(), area);
    place(0, 3);
    press("\x1b" "c", CODE_RIGHT, ",,.\n");   // the letter motions move, away from the edges
    EXPECT_EQ(col(), 2);
    EXPECT_EQ(bells(), 5);
}

TEST_F(ColumnTest, PasteInsertAndTheirUndo) {
    open({"0123456789xyz", "short", "", "end"}, 0, 10);
    fill({"AB", "CD", "EF"});
    keys("\x1b" "cp");
    EXPECT_EQ(text(), (Lines{"0123456789ABxyz", "short     CD", "          EF", "end"}));
    EXPECT_EQ(shown_message(), "2 columns x 3 lines pasted");
    EXPECT_TRUE(shows(2, {"0123456789ABxyz", "short     CD"}, {2, 10}));
    keys("\x1bu");
    EXPECT_EQ(shown_message(), "2 columns x 3 lines deleted");
    EXPECT_EQ(text(), (Lines{"0123456789xyz", "short     ", "          ", "end"})) << "the padding stays";

    // Insert chosen while marking lines: one blank into each line going on past the cursor.
    reset();
    open({"abcdef", "ab", "abcdef"}, 0, 3);
    press("\x1b" "c", CODE_DOWN, CODE_DOWN, "i");
    EXPECT_EQ(text(), (Lines{"abc def", "ab", "abc def"}));
    EXPECT_EQ(shown_message(), "1 columns x 3 lines pasted");
    command("u");
    EXPECT_EQ(text(), (Lines{"abcdef", "ab", "abcdef"}));
}

TEST_F(ColumnTest, PastesThatDoNotFit) {
    struct Case { Lines buffer; int down; int line; const char* message; } cases[] = {
        {{}, 0, 0, "Column buffer empty - Nothing to paste"},
        {{"1", "2", "3"}, 1, 0, "Column and area line sizes differ"},
        {{"1", "2", "3"}, 0, 2, "Column and area line sizes differ"},
    };
    for (const Case& c : cases) {
        reset();
        open({"a", "b", "c", "d"}, c.line);
        fill(c.buffer);
        queue("\x1b" "c");
        for (int i = 0; i < c.down; ++i) queue(CODE_DOWN);
        press("p");
        EXPECT_EQ(shown_message(), c.message);
        EXPECT_EQ(text(), (Lines{"a", "b", "c", "d"}));
        EXPECT_EQ(undo_items(), 0);
    }
    // At the longest line the paste stops; undo takes out only what went in.
    reset();
    Lines before{std::string(10, 'a'), std::string(381, 'b'), "c"};
    open(before);
    fill({"XY", "XY", "XY"});
    keys("\x1b" "cp");
    EXPECT_EQ(shown_message(), "1+ pastes skipped - line too long");
    EXPECT_EQ(text(), (Lines{"XY" + before[0], before[1], "c"}));
    keys("\x1bu");
    EXPECT_EQ(shown_message(), "2 columns x 1 lines deleted");
    EXPECT_EQ(text(), before);
}

TEST_F(ColumnTest, XchngEraseAndAgain) {
    open({"one", "two", "three"});
    fill({"p1", "p2"});
    test::fill_text(LineBlockBuffer.lines, {"whole"});
    keys("\x1b" "cx");
    EXPECT_EQ(shown_message(), "Column and Line buffers exchanged");
    EXPECT_EQ(pieces(), (Lines{"whole"}));
    keys("\x1b" "bp");
    EXPECT_EQ(text(), (Lines{"p1", "p2", "one", "two", "three"})) << "the pieces paste as whole lines";
    keys("\x1b" "ce");
    EXPECT_EQ(shown_message(), "Column Area buffer emptied");
    EXPECT_TRUE(pieces().empty());

    // Again copies the remembered area, and refuses once its lines are gone.
    press("\x1b" "c", CODE_DOWN, CODE_RIGHT, CODE_RIGHT, "c");
    EXPECT_EQ(pieces(), (Lines{"p1", "p2"}));
    del_line();
    keys({CODE_F1});
    EXPECT_EQ(shown_message(), "Must define new area to repeat");
    EXPECT_EQ(text(), (Lines{"p2", "one", "two", "three"}));
    // A paste is repeated at the cursor's line, over as many lines.
    place(1, 1);
    keys("\x1b" "cp");
    place(2, 0);
    keys({CODE_F1});
    EXPECT_EQ(text(), (Lines{"p2", "op1ne", "p1tp2wo", "p2three"}));
}

TEST_F(ColumnTest, SaveAsWritesTheAreaOrTheBufferAndReadPastesAFile) {
    test::TempDir dir;
    test::InDir in{dir.path()};
    open({"abcd", "efgh"}, 0, 1);
    press("\x1b" "c", CODE_DOWN, CODE_RIGHT, CODE_RIGHT, "sarea.txt\n");
    EXPECT_EQ(dir.read("area.txt"), "bc\nfg\n");
    EXPECT_EQ(shown_message(), "area.txt has been written");
    fill({"x", "y"});
    keys("\x1b" "csbuffer.txt\n");
    EXPECT_EQ(dir.read("buffer.txt"), "x\ny\n") << "a single place writes the buffer";
    keys("\x1b" "crarea.txt\n");
    EXPECT_EQ(text(), (Lines{"abcbcd", "efgfgh"}));
    EXPECT_EQ(pieces(), (Lines{"bc", "fg"}));
    keys("\x1b" "crmissing.txt\n");
    EXPECT_EQ(shown_message(), "Could not open requested file");
    EXPECT_EQ(pieces(), (Lines{"bc", "fg"}));
}

}  // namespace
}  // namespace qx
