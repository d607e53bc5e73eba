// Start-up from the command line on the fake screen. Each run ends the editor, so it runs
// in a forked copy, which at the first wait after its keys ends with status 100 if the
// screen shows what was expected (else 101, the screen on standard error).
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>

#include "support/editor_test.h"
#include "support/temp_dir.h"

namespace qx {
namespace {

using ::testing::ExitedWithCode;
const std::string VERSION = "Linux QX v3.5g", HINT = "ESC-h for Help";

class StartupTest : public test::EditorTest {
protected:
    test::TempDir dir;
    test::InDir in{dir.path()};

    // The arguments are separated by blanks.
    void start(const std::string& args, std::string_view keys, std::function<bool()> seen = {}, int rows = 24,
               int cols = 80) {
        ::setenv("HOME", dir.path().c_str(), 1);
        test::install_fake_screen(rows, cols).outOfKeys = [this, seen, rows] {
            bool ok = seen && seen();
            for (int r = 0; !ok && r < rows; ++r) std::fprintf(stderr, "%d|%s\n", r, row(r).c_str());
            std::_Exit(ok ? 100 : 101);
        };
        queue(keys);
        std::istringstream split(args);
        std::vector<std::string> words{"qx"};
        for (std::string w; split >> w;) words.push_back(w);
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        editor_start(static_cast<int>(words.size()), argv.data());
    }
    bool on_screen(std::string_view text) {
        for (const std::string& r : test::fake_screen().text)
            if (r.find(text) != std::string::npos) return true;
        return false;
    }
};

// The editor started with the arguments, then the keys, shows `cond` at its next wait.
#define EXPECT_START(args, keys, cond, ...) \
    EXPECT_EXIT(start(args, keys, [&] { return static_cast<bool>(cond); }, ##__VA_ARGS__), ExitedWithCode(100), "")

TEST_F(StartupTest, NoArgumentsGivesOneUnnamedFileWithVersionAndHint) {
    EXPECT_START("", "", row(0).starts_with(VERSION) && shown_message() == HINT && (cursor() == Pos{2, 0}));
    // The first key redraws the whole status line with the file's name.
    EXPECT_START("", "a", row(0).starts_with("Unnamed File ") && shows(2, {"a"}, {2, 1}));
}

TEST_F(StartupTest, RefusesScreensTooSmallOrTooWideWithStatusZero) {
    const std::string small = "QX requires at least 20 rows and 80 columns", large = "QX cannot support screen sizes this large";
    for (auto [cols, rows, text] : {std::tuple{79, 24, small}, {80, 19, small}, {600, 10, large}, {512, 30, large}}) {
        EXPECT_START("", "", on_screen(text) && on_screen("press any key to exit"), rows, cols) << cols << "x" << rows;
        EXPECT_EXIT(start("", "x", {}, rows, cols), ExitedWithCode(0), "") << cols << "x" << rows;
    }
    for (auto [cols, rows] : {std::pair{80, 20}, {511, 20}, {132, 43}})
        EXPECT_START("", "", row(1) == std::string(cols, '-'), rows, cols) << cols;
}

TEST_F(StartupTest, NamedFilesOpenAndMissingOnesBecomeNewFiles) {
    dir.write("notes.txt", "one\r\ntwo\r\n");
    // The version stands for a single file's name.
    EXPECT_START("notes.txt", "", shown_message() == "10 Chars 2 Lines [DOS/Win]" && row(3) == "two" &&
                                      row(0).starts_with(VERSION) && row(0).substr(66) == HINT);
    EXPECT_START("missing.txt", "", shown_message() == "New File: missing.txt");
    EXPECT_FALSE(dir.exists("missing.txt")) << "created only when first written";
    EXPECT_START("missing.txt", "x\x1bU", shown_message() == "File has been written");
    EXPECT_EQ(dir.read("missing.txt"), "x\n");
    dir.write("empty.txt", "");
    EXPECT_START("empty.txt", "", shown_message() == "1 Chars 1 Lines [Linux]");
}

// A name that exists but cannot be read says why and opens nothing, at start-up and
// from the Edit menu; a FIFO without a writer is not waited on.
TEST_F(StartupTest, NamesThatCannotBeReadAreReportedNotMadeNew) {
    std::filesystem::create_directory(dir.file("dir"));
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    EXPECT_START("dir", "", shown_message() == "Could not open: Is a directory");
    EXPECT_START("dir", "\x1b" "eFpipe\n",
                 shown_message() == "Could not open: Not a regular file" && row(0).starts_with("Unnamed File "));
}

TEST_F(StartupTest, ALoneFileThatIsNotTextEndsWithStatusEight) {
    dir.write("data.bin", std::string("ab\x01\xff", 4));
    EXPECT_START("data.bin", "x", on_screen("Not a text file (ENTER to continue)")) << "only Enter continues";
    EXPECT_EXIT(start("data.bin", "x\n"), ExitedWithCode(8), "");
}

TEST_F(StartupTest, StartLineOption) {
    std::string lines;
    for (const std::string& l : numbered(100)) lines += l + "\n";
    dir.write("f.txt", lines);
    EXPECT_START("f.txt -l 250", "\x1bi", shown_message() == "ln:100 col:1  100% (100 lines)");
    EXPECT_START("f.txt -l 50", "\x1bi", shown_message() == "ln:50 col:1  50% (100 lines)");
    for (std::string n : {"0", "-5", "x"}) EXPECT_START("f.txt -l " + n, "\x1bi", shown_message().starts_with("ln:1 ")) << n;
    // With more arguments "-l" only ends the list of names.
    dir.write("b.txt", "x\n");
    EXPECT_START("f.txt b.txt -l 5 c.txt", "", shown_message() == "2 files opened" && shows(2, {"line 1"}, {2, 0}));
}

TEST_F(StartupTest, TooManyFilesOpensTheFirst256) {
    std::string names;
    for (int i = 0; i < 300; ++i) names += " f" + std::to_string(i);
    EXPECT_START(names, "", on_screen("QX: Too many files - not all will be opened") && on_screen("> Any key to continue"));
    EXPECT_START(names, " ", shown_message() == "256 files opened");
    // The Edit menu refuses a 257th.
    EXPECT_START(names, " \x1b" "eF", shown_message() == "Cannot open any more files" && row(0).starts_with("f0 "));
}

TEST_F(StartupTest, HelpAndBrowseOptionsComeFirst) {
    EXPECT_START("--help ignored.txt", "", row(2).starts_with("F1=Again           F2=Block  F3=Column"));
    EXPECT_START("--help ignored.txt", "\n\n", row(0).starts_with(VERSION) && row(1) == std::string(80, '-') && on_screen(HINT));
    // -b starts in the selector; cancelling it ends the editor.
    EXPECT_START("-b ignored.txt", "", on_screen("Select/Type Filename To Edit") && (cursor() == Pos{5, 2}));
    EXPECT_EXIT(start("-b ignored.txt", "\x1bq"), ExitedWithCode(0), "");
}

}  // namespace
}  // namespace qx
