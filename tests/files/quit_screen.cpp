#include <string>
#include <vector>

#include "support/qx_screen.h"

namespace qx::test {
namespace {

constexpr std::string_view QUIT_MENU = "Abs/All  Save  Discard/Quit  Replace  Write  Update : ";
constexpr std::string_view WRITE_TITLE = "Linux QX v3.5g - Select/Type Filename to Write";
constexpr std::string_view EDIT_TITLE = "Linux QX v3.5g - Select/Type Filename To Edit ";
constexpr std::string_view AGAIN_TITLE = "Linux QX v3.5g - Could not open. Again? (ESC-q to Quit) ";
constexpr std::string_view SWITCH_TITLE = "Linux QX v3.5g - Select Another File to Switch To";
constexpr std::string_view MODIFIED_QUESTION = "File has been modified: Are you sure ? (y or n) : ";

// The Quit menu open and waiting for its letter.
void open_quit_menu(QxScreen& s) {
    s.esc("q");
    QX_ASSERT_SCREEN(s, s.row(0).starts_with(QUIT_MENU) && s.cursor() == (Pos{0, int(QUIT_MENU.size())}));
}

// A browser or table resting on its first entry under the given title.
bool selector_shows(const QxScreen& s, std::string_view title, Pos cursor = {5, 2}) {
    return s.row(0).find(title) != std::string::npos && s.cursor() == cursor &&
           s.row(s.rows() - 1).starts_with("CurUp/CurDn/CurLeft/CurRight, PgUp/PgDn, ENTER (select entry)");
}

bool exited_with(QxScreen& s, int status) { return s.wait_exit() && s.exit_status() == status; }

TEST(Quit, UpdateOfAnUnnamedFileAsksForAName) {
    QxScreen s;
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.type("hello");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "hello");
    s.esc("U");
    QX_ASSERT_SCREEN(s, selector_shows(s, WRITE_TITLE));
    s.esc("q");
    QX_ASSERT_SCREEN(s, s.message80() == "No File Selected to Write" && s.row(0).starts_with("Unnamed File ") &&
                            s.row_trimmed(2) == "hello" && s.cursor() == (Pos{2, 5}));

    // A typed name that does not exist yet is where the file is created.
    s.key(Key::F11);
    QX_ASSERT_SCREEN(s, selector_shows(s, WRITE_TITLE));
    s.type("new.txt");
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.message80() == "File has been written" && s.row(0).starts_with("new.txt ") &&
                            s.cursor() == (Pos{2, 5}));
    EXPECT_EQ(s.read_file("new.txt"), "hello\n");

    // Named now: the next Update writes without asking, and nothing is left to lose.
    s.type("!");
    s.esc("U");
    QX_ASSERT_SCREEN(s, s.message80() == "File has been written" && s.row_trimmed(2) == "hello!");
    EXPECT_EQ(s.read_file("new.txt"), "hello!\n");
    open_quit_menu(s);
    s.type("d");
    EXPECT_TRUE(exited_with(s, 0)) << s.dump();
}

TEST(Quit, UpdateToAnExistingNameReplacesItWithoutAsking) {
    QxScreen s;
    s.write_file("old.txt", "old text\n", 0600);
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.type("fresh");
    s.esc("U");
    QX_ASSERT_SCREEN(s, selector_shows(s, WRITE_TITLE));
    s.type("old.txt");
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.message80() == "File has been written" && s.row(0).starts_with("old.txt "));
    EXPECT_EQ(s.read_file("old.txt"), "fresh\n");
    EXPECT_EQ(s.file_mode("old.txt"), 0600u);
    EXPECT_FALSE(s.find("Overwrite"));
}

TEST(Quit, WriteUsesANewNameAndKeepsTheFilesOwn) {
    QxScreen s({"notes.txt"});
    s.write_file("notes.txt", "one\n");
    s.write_file("taken.txt", "taken\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.type("X");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "Xone");

    // An existing name asks first; anything but y leaves it alone.
    open_quit_menu(s);
    s.type("w");
    QX_ASSERT_SCREEN(s, selector_shows(s, WRITE_TITLE));
    s.type("taken.txt");
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("File already exists: Overwrite ? "));
    s.type("n");
    QX_ASSERT_SCREEN(s, s.message80() == "File not written" && s.row(0).starts_with("notes.txt "));
    EXPECT_EQ(s.read_file("taken.txt"), "taken\n");

    open_quit_menu(s);
    s.type("W");
    QX_ASSERT_SCREEN(s, selector_shows(s, WRITE_TITLE));
    s.type("copy.txt");
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.message80() == "File has been written" && s.row(0).starts_with("notes.txt ") &&
                            s.cursor() == (Pos{2, 1}));
    EXPECT_EQ(s.read_file("copy.txt"), "Xone\n");
    EXPECT_EQ(s.read_file("notes.txt"), "one\n");

    // The text just written counts as saved: Discard does not ask.
    open_quit_menu(s);
    s.type("d");
    EXPECT_TRUE(exited_with(s, 0)) << s.dump();
    EXPECT_EQ(s.read_file("notes.txt"), "one\n");
}

TEST(Quit, AbandonAllCountsTheModifiedFiles) {
    {
        QxScreen s({"a.txt", "b.txt"});
        s.write_file("a.txt", "a\n");
        ASSERT_TRUE(s.start_editing()) << s.dump();
        open_quit_menu(s);
        s.type("a");
        EXPECT_TRUE(exited_with(s, 0)) << s.dump();
    }
    QxScreen s({"a.txt", "b.txt", "c.txt"});
    for (const char* f : {"a.txt", "b.txt", "c.txt"}) s.write_file(f, std::string(f) + "\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.type("1");   // a.txt
    s.esc("n");
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("b.txt ") && s.cursor() == (Pos{2, 0}));
    s.esc("n");
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("c.txt ") && s.cursor() == (Pos{2, 0}));
    s.type("3");   // c.txt, the current one: counted from the live text
    open_quit_menu(s);
    s.type("A");
    QX_ASSERT_SCREEN(s, s.row_trimmed(0) == "2 file(s) with unsaved changes. Are you sure?");
    s.type("n");
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("c.txt ") && s.row_trimmed(2) == "3c.txt" && s.cursor() == (Pos{2, 1}));
    open_quit_menu(s);
    s.type("a");
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("2 file(s) with unsaved changes. Are you sure? "));
    s.type("Y");
    EXPECT_TRUE(exited_with(s, 0)) << s.dump();
    EXPECT_EQ(s.read_file("a.txt"), "a.txt\n");
    EXPECT_EQ(s.read_file("c.txt"), "c.txt\n");
}

TEST(Quit, DiscardAsksForAModifiedFileAndEndsWithTheLast) {
    QxScreen s({"a.txt"});
    s.write_file("a.txt", "a\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.type("x");
    open_quit_menu(s);
    s.type("d");
    QX_ASSERT_SCREEN(s, s.row(0).starts_with(MODIFIED_QUESTION));
    s.type("n");
    QX_ASSERT_SCREEN(s, s.message80() == "File has been retained" && s.row(0).starts_with("a.txt ") &&
                            s.row_trimmed(2) == "xa");
    open_quit_menu(s);
    int bells = s.bell_count();
    s.type("k");   // not a choice: the menu stays
    QX_ASSERT_SCREEN(s, s.bell_count() > bells && s.row(0).starts_with(QUIT_MENU));
    s.type("Q");
    QX_ASSERT_SCREEN(s, s.row(0).starts_with(MODIFIED_QUESTION));
    s.type("y");
    EXPECT_TRUE(exited_with(s, 0)) << s.dump();
    EXPECT_EQ(s.read_file("a.txt"), "a\n");
}

TEST(Quit, ClosingAmongSeveralFilesOffersTheOthers) {
    QxScreen s({"a.txt", "b.txt", "c.txt"});
    for (const char* f : {"a.txt", "b.txt", "c.txt"}) s.write_file(f, std::string(f) + "\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    open_quit_menu(s);
    s.type("D");
    // The table of the two files left, the first preselected.
    QX_ASSERT_SCREEN(s, selector_shows(s, SWITCH_TITLE) && s.row(5).substr(2, 7) == ">b.txt " &&
                            s.row(6).substr(2, 7) == " c.txt " && s.row_trimmed(7) == "");
    s.key(Key::Down);
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("c.txt ") && s.row_trimmed(2) == "c.txt" && s.cursor() == (Pos{2, 0}));
    // With one file left it is switched to at once.
    open_quit_menu(s);
    s.type("d");
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("b.txt ") && s.row_trimmed(2) == "b.txt" && s.cursor() == (Pos{2, 0}));
    s.esc("n");
    QX_ASSERT_SCREEN(s, s.message80() == "Only 1 file open");
}

TEST(Quit, SaveWritesAndCloses) {
    QxScreen s({"a.txt", "b.txt"});
    s.write_file("a.txt", "a\n");
    s.write_file("b.txt", "b\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.type("new ");
    open_quit_menu(s);
    s.type("s");
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("b.txt ") && s.message80() == "File has been written" &&
                            s.row_trimmed(2) == "b");
    EXPECT_EQ(s.read_file("a.txt"), "new a\n");
    open_quit_menu(s);
    s.type("S");
    EXPECT_TRUE(exited_with(s, 0)) << s.dump();
}

TEST(Quit, SaveWhoseWriteFailsKeepsTheFileOpen) {
    // The directory does not exist: the name opens as a new file, but cannot be written.
    QxScreen s({"gone/x.txt"});
    ASSERT_TRUE(s.start_editing()) << s.dump();
    s.type("work");
    open_quit_menu(s);
    s.type("s");
    QX_ASSERT_SCREEN(s, s.message80() == "Failed to write file" && s.row(0).starts_with("gone/x.txt ") &&
                            s.row_trimmed(2) == "work" && s.cursor() == (Pos{2, 4}));
    EXPECT_TRUE(s.running());
    // Still modified: leaving asks.
    open_quit_menu(s);
    s.type("d");
    QX_ASSERT_SCREEN(s, s.row(0).starts_with(MODIFIED_QUESTION));
    s.type("n");
    QX_ASSERT_SCREEN(s, s.message80() == "File has been retained");

    // An unnamed file whose naming was cancelled stays open too.
    s.esc("e");
    ASSERT_TRUE(s.wait_for_row_starts_with(0, "File  New  Menu  + : ")) << s.dump();
    s.type("n");
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("Unnamed File ") && s.cursor() == (Pos{2, 0}));
    s.type("draft");
    open_quit_menu(s);
    s.type("s");
    QX_ASSERT_SCREEN(s, selector_shows(s, WRITE_TITLE));
    s.esc("q");
    QX_ASSERT_SCREEN(s, s.message80() == "No File Selected to Write" && s.row(0).starts_with("Unnamed File ") &&
                            s.row_trimmed(2) == "draft");
}

TEST(Quit, ReplaceAsksAgainForANameThatCannotBeOpened) {
    QxScreen s({"a.txt"});
    s.write_file("a.txt", "a\n");
    s.write_file("b.txt", "b\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    open_quit_menu(s);
    s.type("r");
    QX_ASSERT_SCREEN(s, selector_shows(s, EDIT_TITLE));
    int bells = s.bell_count();
    s.type("missing.txt");
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, selector_shows(s, AGAIN_TITLE.substr(0, 54)) && s.bell_count() > bells);
    s.type("b.txt");
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("b.txt ") && s.row_trimmed(2) == "b" && s.cursor() == (Pos{2, 0}));
    s.esc("n");
    QX_ASSERT_SCREEN(s, s.message80() == "Only 1 file open");

    // Cancelling with no file left ends the editor.
    open_quit_menu(s);
    s.type("R");
    QX_ASSERT_SCREEN(s, selector_shows(s, EDIT_TITLE));
    s.esc("q");
    EXPECT_TRUE(exited_with(s, 0)) << s.dump();
}

TEST(Quit, ReplaceAmongOpenFilesFallsBackToThem) {
    QxScreen s({"a.txt", "b.txt", "c.txt"});
    for (const char* f : {"a.txt", "b.txt", "c.txt"}) s.write_file(f, std::string(f) + "\n");
    s.write_file("bin.dat", std::string("\x01\x02\n", 3));
    ASSERT_TRUE(s.start_editing()) << s.dump();
    open_quit_menu(s);
    s.type("r");
    QX_ASSERT_SCREEN(s, selector_shows(s, EDIT_TITLE));
    // A file that is not text is refused and asked for again.
    s.type("bin.dat");
    s.key(Key::Enter);
    ASSERT_TRUE(s.wait_for_text("Not a text file (ENTER to continue)")) << s.dump();
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, selector_shows(s, AGAIN_TITLE.substr(0, 54)));
    s.esc("q");
    QX_ASSERT_SCREEN(s, selector_shows(s, SWITCH_TITLE) && s.row(5).substr(2, 7) == ">b.txt " &&
                            s.row_trimmed(7) == "");
    s.key(Key::Down);
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("c.txt ") && s.row_trimmed(2) == "c.txt");
}

TEST(Quit, BrowseOptionStartsInTheSelector) {
    {
        QxScreen s({"-b"});
        s.start();
        QX_ASSERT_SCREEN(s, selector_shows(s, EDIT_TITLE));
        s.esc("q");
        EXPECT_TRUE(exited_with(s, 0)) << s.dump();
    }
    QxScreen s({"-b", "ignored.txt"});
    s.write_file("a.txt", "from a\n");
    s.start();
    QX_ASSERT_SCREEN(s, selector_shows(s, EDIT_TITLE));
    s.key(Key::Down);   // . .. / a.txt
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("a.txt ") && s.row_trimmed(2) == "from a" && s.cursor() == (Pos{2, 0}));
    s.esc("g");
    QX_ASSERT_SCREEN(s, selector_shows(s, "Select File to Switch To") && s.row(5).substr(2, 7) == ">a.txt " &&
                            s.row_trimmed(6) == "");
}

TEST(Quit, EnterLeavesTheMenuAndUpdateStaysOpen) {
    QxScreen s({"a.txt"});
    s.write_file("a.txt", "a\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    open_quit_menu(s);
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("a.txt ") && s.cursor() == (Pos{2, 0}));
    s.type("z");
    open_quit_menu(s);
    s.type("u");
    QX_ASSERT_SCREEN(s, s.message80() == "File has been written" && s.row(0).starts_with("a.txt ") &&
                            s.cursor() == (Pos{2, 1}));
    EXPECT_EQ(s.read_file("a.txt"), "za\n");
}

}  // namespace
}  // namespace qx::test
