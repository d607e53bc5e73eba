#include <sys/stat.h>

#include <csignal>

#include <filesystem>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "qx_screen.h"

namespace qx::test {
namespace {

TEST(Startup, NoArgumentsGivesOneUnnamedFileWithVersionAndHint) {
    QxScreen s;
    ASSERT_TRUE(s.start_editing()) << s.dump();
    QX_EXPECT_SCREEN(s, s.row(0).substr(0, 14) == "Linux QX v3.5g" && s.message80() == HINT && s.cursor() == (Pos{2, 0}));
    // The first key redraws the whole status line with the file's name.
    s.type("a");
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("Unnamed File ") && s.row_trimmed(2) == "a" && s.cursor() == (Pos{2, 1}));
}

TEST(Startup, RefusesScreensTooSmallOrTooWideWithStatusZero) {
    const std::string small = "QX requires at least 20 rows and 80 columns", large = "QX cannot support screen sizes this large";
    for (auto [cols, rows, text] : {std::tuple{79, 24, small}, {80, 19, small}, {600, 10, large}, {512, 30, large}}) {
        QxScreen s({}, cols, rows);
        s.start();
        QX_ASSERT_SCREEN(s, s.find("press any key to exit")) << cols << "x" << rows;
        EXPECT_TRUE(s.find(text)) << s.dump();
        s.type("x");
        ASSERT_TRUE(s.wait_exit()) << s.dump();
        EXPECT_EQ(s.exit_status(), 0);
    }
    for (auto [cols, rows] : {std::pair{80, 20}, std::pair{511, 20}, std::pair{132, 43}}) {
        QxScreen s({}, cols, rows);
        EXPECT_TRUE(s.start_editing()) << cols << "x" << rows << s.dump();
    }
}

TEST(Startup, NamedFilesOpenAndMissingOnesBecomeNewFiles) {
    QxScreen s({"notes.txt"});
    s.write_file("notes.txt", "one\r\ntwo\r\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    QX_EXPECT_SCREEN(s, s.message80() == "10 Chars 2 Lines [DOS/Win]" && s.row_trimmed(3) == "two");
    QX_EXPECT_SCREEN(s, s.row(0).substr(0, 14) == "Linux QX v3.5g" && s.row(0).substr(66, 14) == HINT)
        << "the version stands for a single file's name";

    QxScreen n({"missing.txt"});
    ASSERT_TRUE(n.start_editing()) << n.dump();
    QX_EXPECT_SCREEN(n, n.message80() == "New File: missing.txt");
    EXPECT_FALSE(std::filesystem::exists(n.path("missing.txt"))) << "created only when first written";
    n.type("x");
    QX_ASSERT_SCREEN(n, n.row(0).substr(0, 11) == "missing.txt");
    n.key(Key::F11);   // its first Update creates it
    QX_ASSERT_SCREEN(n, n.message80() == "File has been written");
    EXPECT_EQ(n.read_file("missing.txt"), "x\n");

    QxScreen e({"empty.txt"});
    e.write_file("empty.txt", "");
    ASSERT_TRUE(e.start_editing()) << e.dump();
    QX_EXPECT_SCREEN(e, e.message80() == "1 Chars 1 Lines [Linux]");
}

// A name that exists but cannot be read says why and opens nothing, at start-up and
// from the Edit menu; a FIFO without a writer is not waited on.
TEST(Startup, NamesThatCannotBeReadAreReportedNotMadeNew) {
    QxScreen s({"dir"});
    std::filesystem::create_directory(s.path("dir"));
    ASSERT_EQ(::mkfifo(s.path("pipe").c_str(), 0600), 0);
    ASSERT_TRUE(s.start_editing()) << s.dump();
    QX_EXPECT_SCREEN(s, s.message80() == "Could not open: Is a directory");
    s.esc("e");
    s.type("Fpipe");
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.message80() == "Could not open: Not a regular file" && s.row(0).starts_with("Unnamed File "));
    s.esc("qq");
    ASSERT_TRUE(s.wait_exit()) << s.dump();
    EXPECT_EQ(s.exit_status(), 0);
}

TEST(Startup, ALoneFileThatIsNotTextEndsWithStatusEight) {
    QxScreen s({"data.bin"});
    s.write_file("data.bin", std::string("ab\x01\xff", 4));
    s.start();
    QX_ASSERT_SCREEN(s, s.find("Not a text file (ENTER to continue)"));
    s.type("x");   // only Enter continues
    s.key(Key::Enter);
    ASSERT_TRUE(s.wait_exit()) << s.dump();
    EXPECT_EQ(s.exit_status(), 8);
}

TEST(Startup, StartLineOption) {
    auto info_line = [](std::vector<std::string> args) {
        QxScreen s(std::move(args));
        s.write_file("f.txt", numbered_lines(100));
        EXPECT_TRUE(s.start_editing()) << s.dump();
        s.esc("i");
        QX_EXPECT_SCREEN(s, s.message80().starts_with("ln:"));
        return s.message80();
    };
    EXPECT_EQ(info_line({"f.txt", "-l", "250"}), "ln:100 col:1  100% (100 lines)");
    EXPECT_EQ(info_line({"f.txt", "-l", "50"}), "ln:50 col:1  50% (100 lines)");
    for (const char* n : {"0", "-5", "x"}) EXPECT_EQ(info_line({"f.txt", "-l", n}).substr(0, 5), "ln:1 ") << n;

    // With more arguments "-l" only ends the list of names.
    QxScreen s({"a.txt", "b.txt", "-l", "5", "c.txt"});
    s.write_file("a.txt", numbered_lines(10));
    s.write_file("b.txt", numbered_lines(10));
    ASSERT_TRUE(s.start_editing()) << s.dump();
    QX_EXPECT_SCREEN(s, s.message80() == "2 files opened");
    QX_EXPECT_SCREEN(s, s.row_trimmed(2) == "line 1" && s.cursor() == (Pos{2, 0}));
}

TEST(Startup, TooManyFilesOpensTheFirst256) {
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) names.push_back("f" + std::to_string(i));
    QxScreen s(names);
    s.start();
    QX_ASSERT_SCREEN(s, s.find("QX: Too many files - not all will be opened") && s.find("> Any key to continue"));
    s.type(" ");
    QX_ASSERT_SCREEN(s, s.message80() == "256 files opened");
    // The Edit menu refuses a 257th.
    s.esc("e");
    s.type("F");
    QX_ASSERT_SCREEN(s, s.message80() == "Cannot open any more files" && s.row(0).starts_with("f0 "));
}

TEST(Startup, HelpOptionShowsTheHelpFirst) {
    QxScreen s({"--help", "ignored.txt"});
    s.start();
    QX_ASSERT_SCREEN(s, s.row(2).starts_with("F1=Again           F2=Block  F3=Column"));
    s.key(Key::Enter);
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0).starts_with("Linux QX v3.5g") && s.row(1) == std::string(80, '-') &&
                            s.find("ESC-h for Help"));
}

// -b starts in the selector; cancelling it ends the editor.
TEST(Startup, BrowseOptionStartsInTheSelector) {
    QxScreen s({"-b", "ignored.txt"});
    s.start();
    QX_ASSERT_SCREEN(s, s.find("Select/Type Filename To Edit") && s.cursor() == (Pos{5, 2}));
    s.esc("q");
    ASSERT_TRUE(s.wait_exit()) << s.dump();
    EXPECT_EQ(s.exit_status(), 0);
}

// A hang-up or termination saves each modified file beside it, never over the
// original or an earlier save, gives the terminal back and says what it saved.
TEST(Startup, EndSignalsSaveModifiedFilesAndRestoreTheTerminal) {
    for (int sig : {SIGHUP, SIGTERM, SIGQUIT}) {
        QxScreen s({"a.txt", "b.txt", "c.txt"});
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) s.write_file(name, std::string(name, 1) + "\n");
        s.write_file("b.txt.save", "older\n");
        ASSERT_TRUE(s.start_editing()) << s.dump();
        s.type("1");
        s.esc("n");
        s.type("2");   // still in the line being edited
        QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "2b" && s.alt_screen() && s.mouse_reporting());
        ::kill(s.pid(), sig);
        ASSERT_TRUE(s.wait_exit()) << s.dump();
        EXPECT_EQ(s.exit_status(), 4) << sig;
        EXPECT_TRUE(!s.alt_screen() && !s.mouse_reporting()) << s.dump();
        EXPECT_TRUE(s.find("QX: saved b.txt as b.txt.save.1")) << s.dump();
        for (auto [name, bytes] : {std::pair{"a.txt.save", "1a\n"}, {"b.txt.save.1", "2b\n"}, {"b.txt.save", "older\n"},
                                   {"a.txt", "a\n"}, {"b.txt", "b\n"}})
            EXPECT_EQ(s.read_file(name), bytes) << name;
        EXPECT_FALSE(std::filesystem::exists(s.path("c.txt.save")));
    }
}

}  // namespace
}  // namespace qx::test
