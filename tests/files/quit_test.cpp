// The Quit menu and Update on real files in a private working directory; the
// ways out of the editor end a forked copy of the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/editor_test.h"
#include "support/temp_dir.h"

namespace qx {
namespace {

constexpr std::string_view QUIT_MENU = "Abs/All  Save  Discard/Quit  Replace  Write  Update : ";
constexpr std::string_view AGAIN_TITLE = "Linux QX v3.5g - Could not open. Again? (ESC-q to Quit";   // the page number covers the rest
constexpr std::string_view SWITCH_TITLE = "Linux QX v3.5g - Select Another File to Switch To";
constexpr std::string_view MODIFIED_QUESTION = "File has been modified: Are you sure ? (y or n) :";

using ::testing::ExitedWithCode;

class QuitTest : public test::EditorTest {
protected:
    test::TempDir dir;
    test::InDir in{dir.path()};

    void write3() {
        for (const char* f : {"a.txt", "b.txt", "c.txt"}) dir.write(f, std::string(f) + "\n");
    }
    // Row r of the screen the n-th look or wait of the last keys() saw.
    std::string seen(std::size_t n, int r) { return n < waits().size() ? waits()[n].rows[r] : "(not seen)"; }
    bool top(std::string_view start) { return row(0).starts_with(start); }
};

TEST_F(QuitTest, UpdateOfAnUnnamedFileAsksForAName) {
    open_files({});
    keys("hello\x1bU" "\xff" "\x1bq");
    EXPECT_NE(seen(0, 0).find("Linux QX v3.5g - Select/Type Filename to Write"), std::string::npos);
    EXPECT_EQ(waits()[0].cursor, (Pos{5, 2}));
    EXPECT_EQ(shown_message(), "No File Selected to Write");
    EXPECT_TRUE(top("Unnamed File ") && shows(2, {"hello"}, {2, 5}));

    // A typed name that does not exist yet is where the file is created.
    test::fake_screen().keys.push_back(CODE_F1 + 10);
    keys("new.txt\n");
    EXPECT_EQ(shown_message(), "File has been written");
    EXPECT_TRUE(top("new.txt ") && shows(2, {"hello"}, {2, 5}));
    EXPECT_EQ(dir.read("new.txt"), "hello\n");
    // Named now: the next Update writes without asking.
    keys("!\x1bU");
    EXPECT_EQ(shown_message(), "File has been written");
    EXPECT_EQ(dir.read("new.txt"), "hello!\n");

    // An existing name is replaced without asking.
    dir.write("old.txt", "old text\n");
    reset();
    open_files({});
    keys("fresh\x1bUold.txt\n");
    EXPECT_EQ(shown_message(), "File has been written");
    EXPECT_TRUE(top("old.txt ") && waits().empty());
    EXPECT_EQ(dir.read("old.txt"), "fresh\n");
}

TEST_F(QuitTest, WriteUsesANewNameAndKeepsTheFilesOwn) {
    dir.write("notes.txt", "one\n");
    dir.write("taken.txt", "taken\n");
    open_files({"notes.txt"});
    // An existing name asks first; anything but y leaves it alone.
    keys("X\x1bqwtaken.txt\n" "\xff" "n");
    EXPECT_TRUE(seen(0, 0).starts_with("File already exists: Overwrite ?"));
    EXPECT_EQ(shown_message(), "File not written");
    EXPECT_TRUE(top("notes.txt "));
    EXPECT_EQ(dir.read("taken.txt"), "taken\n");

    keys("\x1bqWcopy.txt\n");
    EXPECT_EQ(shown_message(), "File has been written");
    EXPECT_TRUE(top("notes.txt ") && shows(2, {"Xone"}, {2, 1}));
    EXPECT_EQ(dir.read("copy.txt"), "Xone\n");
    EXPECT_EQ(dir.read("notes.txt"), "one\n");
    // The text just written counts as saved: Discard does not ask.
    EXPECT_EXIT(keys("\x1bqd"), ExitedWithCode(0), "");
    EXPECT_EQ(dir.read("notes.txt"), "one\n");
}

TEST_F(QuitTest, AbandonAllCountsTheModifiedFiles) {
    write3();
    open_files({"a.txt", "b.txt", "c.txt"});
    EXPECT_EXIT(keys("\x1bqa"), ExitedWithCode(0), "^$") << "nothing changed: no question, no report";
    keys("1\x1bn\x1bn");   // a.txt changed
    keys("3\x1bqA" "\xff" "n");   // c.txt, the current one: counted from the live text
    EXPECT_EQ(seen(0, 0), "2 file(s) with unsaved changes. Are you sure?");
    EXPECT_TRUE(top("c.txt ") && shows(2, {"3c.txt"}, {2, 1}));
    EXPECT_EXIT(keys("\x1bqaY"), ExitedWithCode(0), "");
    EXPECT_EQ(dir.read("a.txt"), "a.txt\n");
    EXPECT_EQ(dir.read("c.txt"), "c.txt\n");
}

TEST_F(QuitTest, DiscardAsksForAModifiedFileAndEntersLeavesTheMenu) {
    write3();
    open_files({"a.txt"});
    keys("\x1bq");
    EXPECT_TRUE(seen(0, 0).starts_with(QUIT_MENU));
    EXPECT_EQ(waits()[0].cursor, (Pos{0, int32_t(QUIT_MENU.size())}));
    EXPECT_TRUE(top("a.txt ") && cursor() == (Pos{2, 0}));
    keys("x\x1bqd" "\xff" "n");
    EXPECT_TRUE(seen(0, 0).starts_with(MODIFIED_QUESTION));
    EXPECT_EQ(shown_message(), "File has been retained");
    EXPECT_TRUE(top("a.txt ") && row(2) == "xa.txt");
    keys("\x1bqk" "\xff" "\n");   // not a choice: the menu stays
    EXPECT_EQ(bells(), 1);
    EXPECT_TRUE(seen(0, 0).starts_with(QUIT_MENU));
    EXPECT_EXIT(keys("\x1bqQy"), ExitedWithCode(0), "");
    EXPECT_EQ(dir.read("a.txt"), "a.txt\n");

    // Update writes and stays.
    keys("\x1bqu");
    EXPECT_EQ(shown_message(), "File has been written");
    EXPECT_TRUE(top("a.txt ") && cursor() == (Pos{2, 1}));
    EXPECT_EQ(dir.read("a.txt"), "xa.txt\n");
}

TEST_F(QuitTest, ClosingAmongSeveralFilesOffersTheOthers) {
    write3();
    open_files({"a.txt", "b.txt", "c.txt"});
    keys("\x1bqD" "\xff" "c.txt\n");
    EXPECT_NE(seen(0, 0).find(SWITCH_TITLE), std::string::npos);
    EXPECT_EQ(seen(0, 5).substr(2, 7), ">b.txt ");
    EXPECT_EQ(seen(0, 6).substr(2, 7), " c.txt ");
    EXPECT_EQ(seen(0, 7), "");
    EXPECT_TRUE(top("c.txt ") && shows(2, {"c.txt"}, {2, 0}));
    // Save writes and closes; with one file left it is switched to at once.
    keys("new \x1bqs");
    EXPECT_EQ(shown_message(), "File has been written");
    EXPECT_EQ(dir.read("c.txt"), "new c.txt\n");
    EXPECT_TRUE(top("b.txt ") && shows(2, {"b.txt"}, {2, 0}));
    keys("\x1bn");
    EXPECT_EQ(shown_message(), "Only 1 file open");
}

TEST_F(QuitTest, SaveWhoseWriteFailsKeepsTheFileOpen) {
    // The directory does not exist: the file is named, but cannot be written.
    open_files({});
    std::strcpy(CurrentFile.name, "gone/x.txt");
    std::strcpy(OpenFiles.current->name, "gone/x.txt");
    CurrentFile.named = OpenFiles.current->named = 1;
    keys("work\x1bqs");
    EXPECT_EQ(shown_message(), "Failed to write file");
    EXPECT_TRUE(top("gone/x.txt ") && shows(2, {"work"}, {2, 4}));
    keys("\x1bqd" "\xff" "n");   // still modified: leaving asks
    EXPECT_TRUE(seen(0, 0).starts_with(MODIFIED_QUESTION));
    EXPECT_EQ(shown_message(), "File has been retained");

    // An unnamed file whose naming was cancelled stays open too.
    keys("\x1b" "en" "draft\x1bqs\x1bq");
    EXPECT_EQ(shown_message(), "No File Selected to Write");
    EXPECT_TRUE(top("Unnamed File ") && row(2) == "draft");
}

TEST_F(QuitTest, ReplaceAsksAgainForANameThatCannotBeOpened) {
    write3();
    dir.write("bin.dat", std::string("\x01\x02\n", 3));
    open_files({"a.txt"});
    keys("\x1bqr" "\xff" "missing.txt\n" "\xff" "b.txt\n");
    EXPECT_NE(seen(0, 0).find("Linux QX v3.5g - Select/Type Filename To Edit "), std::string::npos);
    EXPECT_NE(seen(1, 0).find(AGAIN_TITLE), std::string::npos);
    EXPECT_EQ(bells(), 1);
    EXPECT_TRUE(top("b.txt ") && shows(2, {"b.txt"}, {2, 0}));
    keys("\x1bn");
    EXPECT_EQ(shown_message(), "Only 1 file open");
    // Cancelling with no file left ends the editor.
    EXPECT_EXIT(keys("\x1bqR\x1bq"), ExitedWithCode(0), "");

    // Among other open files, a file that is not text is refused and asked for again;
    // cancelling falls back to the others.
    reset();
    open_files({"a.txt", "b.txt", "c.txt"});
    keys("\x1bqrbin.dat\n" "\xff" "\n" "\xff" "\x1bq" "\xff" "c.txt\n");
    ASSERT_FALSE(waits().empty());
    EXPECT_TRUE(std::ranges::any_of(waits()[0].rows, [](const std::string& r) { return r.find("Not a text file (ENTER to continue)") != r.npos; }));
    EXPECT_NE(seen(1, 0).find(AGAIN_TITLE), std::string::npos);
    EXPECT_NE(seen(2, 0).find(SWITCH_TITLE), std::string::npos);
    EXPECT_EQ(seen(2, 5).substr(2, 7), ">b.txt ");
    EXPECT_EQ(seen(2, 7), "");
    EXPECT_TRUE(top("c.txt ") && row(2) == "c.txt");
}

// A file another program rewrote since it was read is replaced only when the user says so.
TEST_F(QuitTest, UpdateAsksBeforeReplacingAFileChangedOnDisk) {
    dir.write("a.txt", "a\n");
    open_files({"a.txt"});
    dir.write("a.txt", "theirs\n");
    keys("x\x1bU" "\xff" "n");
    EXPECT_EQ(seen(0, 0), "File changed on disk since read: Overwrite ? (y or n)");
    EXPECT_EQ(shown_message(), "File not written");
    EXPECT_EQ(dir.read("a.txt"), "theirs\n");
    EXPECT_EQ(text(), (Lines{"xa"}));
    keys("\x1bqsn");   // Save closes the file only once it is written
    EXPECT_TRUE(OpenFiles.current && text() == (Lines{"xa"}) && dir.read("a.txt") == "theirs\n");
    keys("\x1bUy");
    EXPECT_EQ(dir.read("a.txt"), "xa\n");
    keys("!\x1bU");   // what it wrote itself is no change
    EXPECT_TRUE(waits().empty() && shown_message() == "File has been written");
    EXPECT_EQ(dir.read("a.txt"), "x!a\n");
    dir.write("a.txt", "theirs\n");   // the same file by another name
    keys("\x1bqw./a.txt\n" "\xff" "y" "\xff" "n");
    EXPECT_EQ(seen(1, 0), "File changed on disk since read: Overwrite ? (y or n)");
    EXPECT_EQ(dir.read("a.txt"), "theirs\n");
}

// Edits a plain sum cannot see: two characters swapped, lines reordered by a block move.
// The files are read as on opening, so the first key comes before the sums are taken.
TEST_F(QuitTest, ReorderingsTheChecksumCannotSeeStillAskAtQuit) {
    struct Case { std::string before; std::string keys; Lines after; } cases[] = {
        {"ab\n", "\x1b" "D\x12" "a", {"ba"}},
        {"a\nb\nc\n", "\x1b" "bd\x04\x1bp", {"b", "c", "a"}},
    };
    dir.write("r.txt", "ab\n");
    open_files({"r.txt"});
    EXPECT_FALSE(file_is_modified()) << "asked before any key";
    for (const Case& c : cases) {
        reset();
        dir.write("r.txt", c.before);
        open_files({"r.txt"});
        keys(c.keys);
        EXPECT_EQ(text(), c.after);
        ASSERT_TRUE(file_is_modified()) << c.keys;   // else Quit would end the test
        keys("\x1bqd" "\xff" "n");
        EXPECT_TRUE(seen(0, 0).starts_with(MODIFIED_QUESTION)) << c.keys;
    }
}

// After a termination signal an unnamed file goes to qx.save; a file that can be
// saved neither beside itself nor in HOME makes the status 5. A terminal whose reads
// keep failing is a hang-up too.
TEST_F(QuitTest, EndSignalSavesWhatItCanAndTheStatusSaysIfAllWas) {
    dir.write("a.txt", "a\n");
    open_files({"a.txt", nullptr});
    keys("1");
    std::strcpy(CurrentFile.name, "no-dir/a.txt");
    keys("\x1bnhello");
    auto hang_up = [] {
        ::setenv("HOME", "/nonexistent", 1);
        CatchEndSignals();
        std::raise(SIGTERM);
        test::fake_screen().keys.push_back('x');
        MainLoopStep();
    };
    EXPECT_EXIT(hang_up(), ExitedWithCode(5), "could not save no-dir/a.txt\nQX: saved Unnamed File as qx.save\n");
    EXPECT_EQ(dir.read("qx.save"), "hello\n");
    auto terminal_gone = [&] {
        ::setenv("HOME", dir.path().c_str(), 1);
        test::fake_screen().nodelay = true;   // every read fails
        MainLoopStep();
    };
    EXPECT_EXIT(terminal_gone(), ExitedWithCode(4), "saved no-dir/a.txt as .*/a.txt.save\nQX: saved Unnamed File as qx.save.1\n");
    EXPECT_EQ(dir.read("a.txt.save"), "1a\n");
}

}  // namespace
}  // namespace qx
