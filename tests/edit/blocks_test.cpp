#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "buffers/column_buffer.h"
#include "buffers/line_buffer.h"
#include "edit/delete.h"
#include "support/editor_test.h"
#include "support/temp_dir.h"

namespace qx {
namespace {

using test::texts_of;

// The line block buffer and the single line buffer, driven by keys.
class BlockTest : public test::EditorTest {
protected:
    Lines block() { return texts_of(LineBlockBuffer.lines); }
    Lines single() { return texts_of(SingleLineBuffer.lines); }
};

TEST_F(BlockTest, PasteGoesAfterTheLastLineOfSeveralAndElseBefore) {
    Lines full = numbered(22), grown = full;
    grown.insert(grown.end(), {"x", "y"});
    struct Case { Lines before; int line; Lines after; int pasted_at, row; } cases[] = {
        {{"a", "b", "c"}, 2, {"a", "b", "c", "x", "y"}, 3, 5},
        {{"a", "b", "c"}, 1, {"a", "x", "y", "b", "c"}, 1, 3},
        {{"only"}, 0, {"x", "y", "only"}, 0, 2},
        {full, 21, grown, 22, 23},   // after the last row: the view follows
    };
    for (const Case& c : cases) {
        reset();
        open(c.before, c.line);
        keys("\x1bp");
        EXPECT_EQ(shown_message(), "Line buffer empty - Nothing to paste");
        test::fill_text(LineBlockBuffer.lines, {"x", "y"});
        keys("\x1bp");
        EXPECT_EQ(text(), c.after);
        EXPECT_EQ(line(), c.pasted_at);
        EXPECT_TRUE(row(c.row) == "x" && CurrentFile.view.cursorRow == c.row) << c.line;
        EXPECT_EQ(shown_message(), "2 line(s) pasted");
        command("u");
        EXPECT_EQ(text(), c.before);
    }
}

TEST_F(BlockTest, DeleteKillAndTheirUndo) {
    open(numbered(6), 1);
    keys({ESC, 'b', CODE_DOWN, CODE_DOWN, CODE_DOWN, 'd'});
    EXPECT_EQ(shown_message(), "4 line(s) copied and deleted");
    EXPECT_EQ(text(), (Lines{"line 1", "line 6"}));
    EXPECT_EQ(block(), (Lines{"line 2", "line 3", "line 4", "line 5"}));
    EXPECT_TRUE(shows(2, {"line 1", "line 6", ""}, {3, 0}));
    keys({CODE_F1});
    EXPECT_EQ(shown_message(), "Must define new block to repeat Delete");
    command("u");
    EXPECT_EQ(text(), numbered(6)) << "one step brings the four lines back";
    place(4, 0);
    keys({ESC, 'b', CODE_DOWN, 'd', ESC, 'u'});
    EXPECT_EQ(text(), numbered(6)) << "the last lines come back after the new last line";

    // Kill of every line leaves one empty line and the buffer as it was.
    place(0, 0);
    keys({ESC, 'b', 'F', 'k'});
    EXPECT_EQ(shown_message(), "6 line(s) killed");
    EXPECT_EQ(text(), (Lines{""}));
    EXPECT_EQ(block(), (Lines{"line 5", "line 6"}));
    keys({CODE_F1});
    EXPECT_EQ(shown_message(), "Must define new block to repeat") << "its lines are gone";
}

TEST_F(BlockTest, AppendAddsCopyReplacesAndAgainRepeats) {
    open(numbered(3));
    keys({ESC, 'b', CODE_DOWN, 'a', CODE_UP, ESC, 'b', CODE_DOWN, 'A'});
    EXPECT_EQ(shown_message(), "2 line(s) appended");
    EXPECT_EQ(block().size(), 4u);
    keys({CODE_F1});
    EXPECT_EQ(block(), (Lines{"line 1", "line 2", "line 1", "line 2", "line 1", "line 2"}));
    keys({ESC, 'b', 'c'});
    EXPECT_EQ(shown_message(), "1 line(s) copied");
    EXPECT_EQ(block(), (Lines{"line 2"}));
    // Again leaves a block whose lines were deleted alone.
    del_line();
    keys({CODE_F1});
    EXPECT_EQ(shown_message(), "Must define new block to repeat");
    EXPECT_EQ(text(), (Lines{"line 1", "line 3"}));
}

TEST_F(BlockTest, SelectionMarksPagingAndFlush) {
    open(numbered(60));
    keys("\x1b" "b" "\xff" "F" "\xff" "\n");
    ASSERT_EQ(waits().size(), 2u);
    EXPECT_EQ(waits()[0].rows[0], "Copy  Append  Kill  Delete  Paste  Wrap  Read  SaveAs  Xchng  Flush :");
    EXPECT_EQ(waits()[0].rows[2], ">ine 1");
    EXPECT_EQ(waits()[1].rows[2], ">ine 22") << "F pages down and marks the new end";
    EXPECT_TRUE(shows(2, {"line 22"}, {2, 0})) << "Enter cancels and takes the marks away";
    EXPECT_TRUE(block().empty());
    test::fill_text(LineBlockBuffer.lines, {"x"});
    keys("\x1b" "bf");
    EXPECT_EQ(shown_message(), "Line Block buffer cleared");
    EXPECT_TRUE(block().empty());
    EXPECT_EQ(text(), numbered(60));
}

TEST_F(BlockTest, CopyLineCutLineAndPasteLine) {
    open(numbered(6), 3);
    keys({ESC, '5', 3});
    EXPECT_EQ(shown_message(), "3 line(s) copied");
    EXPECT_EQ(single(), (Lines{"line 4", "line 5", "line 6"}));

    reset();
    open({"solo"});
    keys({24});
    EXPECT_EQ(shown_message(), "1 line(s) copied and deleted");
    EXPECT_EQ(text(), (Lines{""}));
    EXPECT_FALSE(SingleLineCut);
    keys({22});
    EXPECT_EQ(text(), (Lines{"solo", ""}));
    command("u");
    EXPECT_EQ(text(), (Lines{""}));
    command("u");
    EXPECT_EQ(text(), (Lines{"solo", ""})) << "the cut line comes back above the empty one";
}

TEST_F(BlockTest, XchngTwiceAndTheStatusPanelFigures) {
    open({"ab"});
    test::fill_text(LineBlockBuffer.lines, {"xyz"});
    test::fill_text(SingleLineBuffer.lines, {"q"});
    test::fill_text(ColumnBuffer.lines, {"c1", "c2"});
    keys("\x1b" "bx");
    EXPECT_EQ(shown_message(), "Line and Column buffers exchanged");
    EXPECT_EQ(block(), (Lines{"c1", "c2"}));
    EXPECT_EQ(texts_of(ColumnBuffer.lines), (Lines{"xyz"}));
    keys("\x1b" "bx\x1bp");
    EXPECT_EQ(text(), (Lines{"xyz", "ab"})) << "twice: both as they were, and their links whole";
    command("u");
    keys("\x1bs");
    ASSERT_EQ(waits().size(), 1u);
    EXPECT_EQ(waits()[0].rows[7], "Block Line Buf:  5 Chars, 1 Lines");
    EXPECT_EQ(waits()[0].rows[8], "Single Line Buf: 3 Chars, 1 Lines");
    EXPECT_EQ(waits()[0].rows[9], "Column Buf:      6 Chars, 2 Lines");
    EXPECT_EQ(waits()[0].rows[13], "Memory In Use:   97 Bytes") << "19 + 21 + 19 + 38, and no undo item";
}

// Reading and writing lines through the file reader and writer, in a private directory.
class BlockFileTest : public BlockTest {
protected:
    test::TempDir dir;
    test::InDir in{dir.path()};

    static std::string contents(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }
};

TEST_F(BlockFileTest, SaveAsWritesTheBufferOrTheBlockAndKeepsAFailedTarget) {
    open({"one", "two"});
    keys("\x1b" "bsout.txt\n");
    EXPECT_EQ(shown_message(), "out.txt has been written");
    EXPECT_EQ(dir.read("out.txt"), "one\n") << "no movement and no buffer: the current line";
    test::fill_text(LineBlockBuffer.lines, {"b1", "b2"});
    keys("\x1b" "bsa-rather-long-name.txt\n");
    EXPECT_EQ(shown_message(), "...long-name.txt has been written");
    EXPECT_EQ(dir.read("a-rather-long-name.txt"), "b1\nb2\n") << "no movement: the buffer";
    press("\x1b" "b", CODE_DOWN, "sout.txt\ny");
    EXPECT_EQ(dir.read("out.txt"), "one\ntwo\n") << "overwritten once confirmed";

    // A target that cannot be replaced stays as it was.
    std::string target = "/proc/version";
    if (geteuid() != 0) {
        std::filesystem::create_directory(dir.file("ro"));
        dir.write("ro/old.txt", "old\n");
        ::chmod(dir.file("ro").c_str(), 0555);
        target = dir.file("ro/old.txt");
    }
    std::string before = contents(target);
    keys("\x1b" "bs" + target + "\ny");
    EXPECT_TRUE(shown_message().ends_with(" failed to write")) << shown_message();
    EXPECT_EQ(contents(target), before);
}

TEST_F(BlockFileTest, ReadPastesAFileAndRefusesWhatIsNoText) {
    dir.write("in.txt", "r1\nr2\n");
    dir.write("bin.dat", std::string("ok\n\x01\x02\n", 6));
    ::mkfifo(dir.file("pipe").c_str(), 0600);
    open({"one", "two"}, 1);
    test::fill_text(LineBlockBuffer.lines, {"kept"});
    struct Case { std::string name, message; } failures[] = {
        {"bin.dat", "Not a text file (ENTER to continue)"},
        {"missing.txt", "Could not open requested file"},
        {"pipe", "Could not open: Not a regular file"},
    };
    for (const Case& c : failures) {
        keys("\x1b" "br" + c.name + "\n");
        EXPECT_EQ(shown_message(), c.message) << c.name;
        EXPECT_EQ(text(), (Lines{"one", "two"})) << c.name;
        EXPECT_EQ(block(), (Lines{"kept"})) << c.name;
    }
    keys("\x1b" "brin.txt\n");
    EXPECT_EQ(shown_message(), "2 line(s) pasted");
    EXPECT_EQ(text(), (Lines{"one", "two", "r1", "r2"}));
    EXPECT_EQ(block(), (Lines{"r1", "r2"}));
    command("u");
    EXPECT_EQ(text(), (Lines{"one", "two"}));
}

}  // namespace
}  // namespace qx
