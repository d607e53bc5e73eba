#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>

#include "input/keys.h"
#include "options/options.h"
#include "screen/messages.h"
#include "store/text_file.h"
#include "support/editor_state.h"
#include "support/temp_dir.h"

namespace qx {
namespace {

using test::texts_of;
using Lines = std::vector<std::string>;

// Reads and writes through the current file's own format slot, as opening a file does.
class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        Options = DEFAULT_OPTIONS;
        CurrentFile = CurrentFileState{};
        list_init(CurrentFile.text.lines);
    }
    void TearDown() override {
        list_free_all(CurrentFile.text.lines);
        CurrentFile = CurrentFileState{};
        Options = DEFAULT_OPTIONS;
    }

    int32_t read(const std::string& name) {
        list_free_all(CurrentFile.text.lines);
        FileText& t = CurrentFile.text;
        t.format = 0;
        return read_text_file(dir.file(name).c_str(), t.lines, t.charCount, t.lineCount, t.checksum, t.format);
    }
    int32_t write(const std::string& name, int32_t format, int32_t no_confirm = 1) {
        uint32_t c = 0, l = 0, s = 0;
        FileText& t = CurrentFile.text;
        int32_t result = write_text_file(dir.file(name).c_str(), no_confirm, format, first_line(t.lines),
                                         nullptr, c, l, s);
        if (result == 0) t.charCount = c, t.lineCount = l, t.checksum = s;
        return result;
    }
    Lines lines() { return texts_of(CurrentFile.text.lines); }

    test::TempDir dir;
};

TEST_F(TextFileTest, DosFileReadsAsDosAndWritesBackIdentically) {
    dir.write("dos.txt", "a\r\nb\r\nc\r\n");
    ASSERT_EQ(read("dos.txt"), 0);
    EXPECT_EQ(CurrentFile.text.format, 'd');
    EXPECT_EQ(CurrentFile.text.lineCount, 3u);
    EXPECT_EQ(CurrentFile.text.charCount, 9u);
    EXPECT_FALSE(file_is_modified());
    ASSERT_EQ(write("out.txt", 'd'), 0);
    EXPECT_EQ(dir.read("out.txt"), "a\r\nb\r\nc\r\n");
}

TEST_F(TextFileTest, LinuxFilesRoundTripAndGainAFinalLineEnd) {
    std::string text = "first line\n\n  indented\ttab kept? no: expanded\nlast without end";
    Options.inputTranslation = 0;
    dir.write("u.txt", text);
    ASSERT_EQ(read("u.txt"), 0);
    EXPECT_EQ(CurrentFile.text.format, 'u');
    EXPECT_EQ(lines().size(), 4u);
    EXPECT_FALSE(file_is_modified());
    ASSERT_EQ(write("u.txt", 'u'), 0);
    EXPECT_EQ(dir.read("u.txt"), text + "\n");
    EXPECT_FALSE(file_is_modified()) << "the writer's counts are the stored counts";
}

TEST_F(TextFileTest, MixedLineEndsBecomeDosAndCountAsModified) {
    dir.write("mixed.txt", "one\ntwo\nthree\r\nfour\r\n");
    ASSERT_EQ(read("mixed.txt"), 0);
    EXPECT_EQ(CurrentFile.text.format, 'd');
    EXPECT_EQ(CurrentFile.text.charCount, 3u + 1 + 3 + 1 + 5 + 2 + 4 + 2);
    EXPECT_TRUE(file_is_modified());
    ASSERT_EQ(write("mixed.txt", 'd'), 0);
    EXPECT_EQ(dir.read("mixed.txt"), "one\r\ntwo\r\nthree\r\nfour\r\n");
}

TEST_F(TextFileTest, EmptyFileIsOneEmptyLine) {
    dir.write("empty.txt", "");
    ASSERT_EQ(read("empty.txt"), 0);
    EXPECT_EQ(lines(), Lines{""});
    EXPECT_EQ(CurrentFile.text.charCount, 1u);
    EXPECT_EQ(CurrentFile.text.lineCount, 1u);
    EXPECT_EQ(CurrentFile.text.checksum, 0u);
    ASSERT_EQ(write("empty.txt", 'u'), 0);
    EXPECT_EQ(dir.read("empty.txt"), "\n");
}

TEST_F(TextFileTest, LongLinesArriveInPiecesAndAreCutOnWriting) {
    std::string long_line;
    for (int i = 0; i < 400; ++i) long_line += char('a' + i % 26);
    dir.write("long.txt", long_line + "\n");
    ASSERT_EQ(read("long.txt"), 0);
    ASSERT_EQ(lines().size(), 2u);
    EXPECT_EQ(lines()[0], long_line.substr(0, 384));
    EXPECT_EQ(lines()[1], long_line.substr(384));
    ASSERT_EQ(write("long.txt", 'u'), 0);
    EXPECT_EQ(dir.read("long.txt"), long_line.substr(0, 382) + "\n" + long_line.substr(384) + "\n");

    // A CR that ends a piece without its LF is dropped and does not make the file DOS.
    dir.write("cr.txt", std::string(383, 'x') + "\r\n");
    ASSERT_EQ(read("cr.txt"), 0);
    EXPECT_EQ(CurrentFile.text.format, 'u');
    EXPECT_EQ(lines(), (Lines{std::string(383, 'x'), ""}));
}

TEST_F(TextFileTest, NonTextBytesEndTheReadWithResultEight) {
    for (char bad : {'\x7f', '\xff', '\x01', '\x1b'}) {
        dir.write("bin", std::string("ok\nb") + bad + "d\nnever read\n");
        EXPECT_EQ(read("bin"), MSG_NOT_TEXT) << int(bad);
        EXPECT_EQ(lines(), (Lines{"ok", std::string("b") + bad + "d"})) << "reading stops after that line";
    }
    dir.write("latin1", "caf\xe9 \x80\xfe\f\n");
    EXPECT_EQ(read("latin1"), 0);
    dir.write("nul", std::string("ab\0cd\nef\n", 9));
    EXPECT_EQ(read("nul"), 0);
    EXPECT_EQ(lines(), (Lines{"ab", "ef"})) << "an embedded NUL ends the line's text";
    EXPECT_EQ(read("no-such-file"), MSG_CANNOT_OPEN);
    std::filesystem::create_directory(dir.file("subdir"));
    EXPECT_EQ(read("subdir"), MSG_CANNOT_OPEN);
}

TEST_F(TextFileTest, TabsExpandOnInputAndBlanksCompressOnOutput) {
    dir.write("tabs.txt", "a\tb\n\tx\n");
    ASSERT_EQ(read("tabs.txt"), 0);
    EXPECT_EQ(lines(), (Lines{"a   b", "    x"}));

    Options.outputTranslation = 1;
    list_free_all(CurrentFile.text.lines);
    test::fill_text(CurrentFile.text.lines, {"ab  cd", "a b", "trailing   ", "x       y", "    z", "   z"});
    ASSERT_EQ(write("out.txt", 'u'), 0);
    EXPECT_EQ(dir.read("out.txt"), "ab\tcd\na b\ntrailing\nx\t\ty\n\tz\n   z\n");
    EXPECT_EQ(lines()[2], "trailing   ") << "the text in memory is not changed";
}

TEST(TabArithmetic, ExpandAndCompressFollowTheTabStops) {
    char buf[READ_PIECE + MAX_TAB_GROWTH + 1] = "\t\tx";
    EXPECT_EQ(expand_tabs(buf, 3, 8), 17);
    EXPECT_EQ(std::string(buf, 17), std::string(16, ' ') + "x");

    // TABs at or beyond the limit (254 - tab stop) are left alone.
    std::string tail(250, 'y');
    tail += "\tz";
    std::memcpy(buf, tail.data(), tail.size());
    EXPECT_EQ(expand_tabs(buf, static_cast<int32_t>(tail.size()), 4), static_cast<int32_t>(tail.size()));
    EXPECT_EQ(buf[250], '\t');

    // The longest expansion still fits the read buffer.
    std::string tabs(READ_PIECE, '\t');
    std::memcpy(buf, tabs.data(), tabs.size());
    int32_t n = expand_tabs(buf, READ_PIECE, 1);
    EXPECT_LE(n, READ_PIECE + MAX_TAB_GROWTH);

    char line[] = "abc d  \t e";
    EXPECT_EQ(compress_blanks(line, 10, 4), 10);
    EXPECT_EQ(std::string(line, 10), "abc\td  \t e") << "a single blank just before a stop becomes a TAB";
    EXPECT_EQ(next_tab_stop(0, 4), 4);
    EXPECT_EQ(next_tab_stop(3, 4), 4);
    EXPECT_EQ(next_tab_stop(4, 4), 8);
}

TEST_F(TextFileTest, RewritingKeepsPermissionsAndLeavesNoTemporaryFile) {
    dir.write("notes.txt", "old\n");
    ::chmod(dir.file("notes.txt").c_str(), 0600);
    test::fill_text(CurrentFile.text.lines, {"new"});
    ASSERT_EQ(write("notes.txt", 'u'), 0);
    EXPECT_EQ(dir.read("notes.txt"), "new\n");
    EXPECT_EQ(dir.mode("notes.txt"), 0600u);
    EXPECT_FALSE(dir.exists("notes.tx~"));
    EXPECT_EQ(dir.entry_count(), 1u);

    // A name ending in '~' is written through another temporary name.
    ASSERT_EQ(write("backup~", 'u'), 0);
    EXPECT_EQ(dir.read("backup~"), "new\n");
    EXPECT_EQ(dir.entry_count(), 2u);
}

TEST_F(TextFileTest, OverwriteIsAskedUnlessConfirmationIsSkipped) {
    dir.write("keep.txt", "precious\n");
    test::fill_text(CurrentFile.text.lines, {"other"});
    QueueStartupKey('n');
    EXPECT_EQ(write("keep.txt", 'u', 0), MSG_CANNOT_OPEN);
    EXPECT_EQ(dir.read("keep.txt"), "precious\n");
    QueueStartupKey('Y');
    EXPECT_EQ(write("keep.txt", 'u', 0), 0);
    EXPECT_EQ(dir.read("keep.txt"), "other\n");
}

TEST_F(TextFileTest, LinksAtTheTargetAndTheTemporaryNameAreNotBroken) {
    test::TempDir elsewhere;
    elsewhere.write("victim", "untouched\n");
    ASSERT_EQ(::symlink(elsewhere.file("victim").c_str(), dir.file("notes.tx~").c_str()), 0);
    test::fill_text(CurrentFile.text.lines, {"text"});
    ASSERT_EQ(write("notes.txt", 'u'), 0);
    EXPECT_EQ(elsewhere.read("victim"), "untouched\n") << "a link at the temporary name is not followed";
    EXPECT_EQ(dir.read("notes.txt"), "text\n");

    elsewhere.write("real.txt", "before\n");
    ASSERT_EQ(::symlink(elsewhere.file("real.txt").c_str(), dir.file("link.txt").c_str()), 0);
    ASSERT_EQ(write("link.txt", 'u'), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt"))) << "the link survives";
    EXPECT_EQ(elsewhere.read("real.txt"), "text\n");
}

TEST_F(TextFileTest, FailedWritesLeaveTheOldFileAndNoTemporaryFile) {
    test::fill_text(CurrentFile.text.lines, Lines(2000, std::string(100, 'z')));
    dir.write("big.txt", "old contents\n");
    CurrentFile.text.charCount = 13;

    // A disk that fills up during the write: the file size limit makes write() fail.
    struct rlimit old_limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    struct rlimit small = old_limit;
    small.rlim_cur = 4096;
    auto old_handler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int32_t result = write("big.txt", 'u');
    setrlimit(RLIMIT_FSIZE, &old_limit);
    signal(SIGXFSZ, old_handler);
    EXPECT_EQ(result, MSG_CANNOT_OPEN);
    EXPECT_EQ(dir.read("big.txt"), "old contents\n");
    EXPECT_EQ(dir.entry_count(), 1u);
    EXPECT_EQ(CurrentFile.text.charCount, 13u) << "a failed write leaves the stored counts alone";

    // A directory that vanished, and one nobody may write into.
    uint32_t c, l, s;
    EXPECT_EQ(write_text_file((dir.path() + "/gone/x.txt").c_str(), 1, 'u', first_line(CurrentFile.text.lines),
                              nullptr, c, l, s),
              MSG_CANNOT_OPEN);
    std::string read_only = geteuid() == 0 ? "/proc/qx-test.txt" : dir.file("ro/x.txt");
    if (geteuid() != 0) {
        std::filesystem::create_directory(dir.file("ro"));
        ::chmod(dir.file("ro").c_str(), 0555);
    }
    EXPECT_EQ(write_text_file(read_only.c_str(), 1, 'u', first_line(CurrentFile.text.lines), nullptr, c, l, s),
              MSG_CANNOT_OPEN);
}

TEST_F(TextFileTest, WritesARangeOfLines) {
    test::fill_text(CurrentFile.text.lines, {"1", "2", "3", "4"});
    Line* second = next_line(first_line(CurrentFile.text.lines));
    Line* fourth = last_line(CurrentFile.text.lines);
    uint32_t c, l, s;
    ASSERT_EQ(write_text_file(dir.file("range").c_str(), 1, 'u', second, fourth, c, l, s), 0);
    EXPECT_EQ(dir.read("range"), "2\n3\n");
    EXPECT_EQ(l, 2u);
    ASSERT_EQ(write_text_file(dir.file("none").c_str(), 1, 'u', second, second, c, l, s), 0);
    EXPECT_EQ(dir.read("none"), "");
    EXPECT_EQ(l, 0u);
}

}  // namespace
}  // namespace qx
