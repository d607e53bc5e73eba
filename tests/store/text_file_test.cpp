#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include <filesystem>

#include "app/startup.h"
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
        reset_editor();
        install_editor_hooks();   // the overwrite question reads its answer as keys
        list_init(CurrentFile.text.lines);
    }
    void TearDown() override {
        list_free_all(CurrentFile.text.lines);
        reset_editor();
    }

    // A name in the test's directory, or an absolute path.
    std::string path(const std::string& name) { return name.starts_with('/') ? name : dir.file(name); }
    int32_t read(const std::string& name) {
        list_free_all(CurrentFile.text.lines);
        FileText& t = CurrentFile.text;
        t.format = 0;
        int32_t result = read_text_lines(path(name).c_str(), t.lines, t.charCount, t.lineCount, t.format, tab_translation());
        defer_text_sums(t);
        settle_text_sums();
        return result;
    }
    // Lines from `from` up to `to` (or the whole text); counts stored when written.
    int32_t write(const std::string& name, int32_t format, int32_t no_confirm = 1, Line* from = nullptr, Line* to = nullptr) {
        uint32_t c = 0, l = 0, s = 0;
        uint64_t f = 0;
        FileText& t = CurrentFile.text;
        int32_t result = write_text_file(path(name).c_str(), no_confirm, format, from ? from : first_line(t.lines), to,
                                         c, l, s, tab_translation(), &f);
        if (result == 0) t.charCount = c, t.lineCount = l, t.checksum = s, t.fingerprint = f;
        return result;
    }
    Lines lines() { return texts_of(CurrentFile.text.lines); }

    test::TempDir dir;
};

TEST_F(TextFileTest, FilesReadInTheirFormatAndWriteBackIdentically) {
    Options.inputTranslation = 0;   // the TAB below is kept
    struct Case { std::string bytes; int32_t format; Lines text; uint32_t chars; bool modified; std::string written; };
    Case cases[] = {
        {"a\r\nb\r\nc\r\n", 'd', {"a", "b", "c"}, 9, false, "a\r\nb\r\nc\r\n"},
        // A missing final line end is added.
        {"first\n\n  in\tdented\nlast without end", 'u', {"first", "", "  in\tdented", "last without end"}, 36, false,
         "first\n\n  in\tdented\nlast without end\n"},
        // Mixed line ends make the file DOS, which counts as a change.
        {"one\ntwo\nthree\r\nfour\r\n", 'd', {"one", "two", "three", "four"}, 3 + 1 + 3 + 1 + 5 + 2 + 4 + 2, true,
         "one\r\ntwo\r\nthree\r\nfour\r\n"},
        // An empty file is one empty line.
        {"", 'u', {""}, 1, false, "\n"},
    };
    for (const Case& c : cases) {
        dir.write("f.txt", c.bytes);
        ASSERT_EQ(read("f.txt"), 0) << c.written;
        EXPECT_EQ(CurrentFile.text.format, c.format) << c.written;
        EXPECT_EQ(lines(), c.text);
        EXPECT_EQ(CurrentFile.text.lineCount, c.text.size()) << c.written;
        EXPECT_EQ(CurrentFile.text.charCount, c.chars) << c.written;
        EXPECT_TRUE(!c.bytes.empty() || CurrentFile.text.checksum == 0u) << "an empty file sums to 0";
        EXPECT_EQ(file_is_modified(), c.modified) << c.written;
        ASSERT_EQ(write("f.txt", c.format), 0);
        EXPECT_EQ(dir.read("f.txt"), c.written);
        EXPECT_FALSE(file_is_modified()) << "the writer's counts are the stored counts";
    }
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

    // Every length around a piece, with LF or CR LF, over several read blocks and
    // allocator chunks: each line ends where a line-by-line read of 384 bytes ends it.
    std::string bytes;
    Lines pieces;
    for (int i = 0; bytes.size() < 300000; ++i) {
        std::string rest = std::string((i * 37) % 400, char('a' + i % 26)) + (i % 3 ? "\n" : "\r\n");
        bytes += rest;
        for (std::string piece; !rest.empty(); pieces.push_back(piece)) {
            piece = rest.substr(0, 384);
            rest.erase(0, piece.size());
            if (piece.back() == '\n') piece.pop_back();
            if (!piece.empty() && piece.back() == '\r') piece.pop_back();
        }
    }
    dir.write("many.txt", bytes);
    ASSERT_EQ(read("many.txt"), 0);
    EXPECT_TRUE(lines() == pieces);
    EXPECT_EQ(CurrentFile.text.lineCount, pieces.size());
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
}

// Only regular files are read, the rest refused at once (a FIFO or /dev/zero would hang: the alarm ends that).
TEST_F(TextFileTest, WhatIsNotARegularFileIsRefusedAtOnce) {
    dir.write("plain.txt", "x\n");
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.file("subdir"));
    struct Case { std::string name; int32_t why; std::string text; } cases[] = {
        {"pipe", NOT_REGULAR_FILE, "Could not open: Not a regular file"},
        {"/dev/zero", NOT_REGULAR_FILE, "Could not open: Not a regular file"},
        {"subdir", EISDIR, "Could not open: Is a directory"},
        {"plain.txt/x", ENOTDIR, "Could not open: Not a directory"},
        {"no-such-file", ENOENT, "Could not open requested file"},
    };
    alarm(10);
    for (const Case& c : cases) {
        int32_t why = 0;
        EXPECT_EQ(open_regular_file(path(c.name).c_str(), why), -1) << c.name;
        EXPECT_EQ(why, c.why) << c.name;
        EXPECT_EQ(cannot_open_text(why), c.text);
        EXPECT_EQ(read(c.name), MSG_CANNOT_OPEN) << c.name;
        EXPECT_TRUE(lines().empty()) << c.name;
    }
    alarm(0);

    // A regular file is handed over for ordinary, blocking reads.
    int32_t why = -2;
    int fd = open_regular_file(dir.file("plain.txt").c_str(), why);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(why, 0);
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    ::close(fd);

    // Nor is anything but a regular file replaced by writing.
    test::fill_text(CurrentFile.text.lines, {"text"});
    EXPECT_EQ(write("pipe", 'u'), MSG_CANNOT_OPEN);
    struct stat st;
    EXPECT_TRUE(::stat(dir.file("pipe").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
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
    std::string tail = std::string(250, 'y') + "\tz";
    std::memcpy(buf, tail.data(), tail.size());
    EXPECT_EQ(expand_tabs(buf, static_cast<int32_t>(tail.size()), 4), static_cast<int32_t>(tail.size()));
    EXPECT_EQ(buf[250], '\t');

    // The longest expansion still fits the read buffer.
    std::string tabs(READ_PIECE, '\t');
    std::memcpy(buf, tabs.data(), tabs.size());
    EXPECT_LE(expand_tabs(buf, READ_PIECE, 1), READ_PIECE + MAX_TAB_GROWTH);

    char line[] = "abc d  \t e";
    EXPECT_EQ(compress_blanks(line, 10, 4), 10);
    EXPECT_EQ(std::string(line, 10), "abc\td  \t e") << "a single blank just before a stop becomes a TAB";
}

// Overwriting an existing file asks first when confirmation is wanted.
TEST_F(TextFileTest, RewritingAsksKeepsPermissionsAndLeavesNoTemporaryFile) {
    dir.write("notes.txt", "old\n");
    ::chmod(dir.file("notes.txt").c_str(), 0600);
    test::fill_text(CurrentFile.text.lines, {"new"});
    QueueStartupKey('n');
    EXPECT_EQ(write("notes.txt", 'u', 0), MSG_CANNOT_OPEN);
    EXPECT_EQ(dir.read("notes.txt"), "old\n");
    QueueStartupKey('Y');
    ASSERT_EQ(write("notes.txt", 'u', 0), 0);
    EXPECT_EQ(dir.read("notes.txt"), "new\n");
    EXPECT_EQ(dir.mode("notes.txt"), 0600u);
    EXPECT_EQ(dir.entry_count(), 1u);

    // A new file gets the mode any new file gets; files of similar names stay.
    dir.write("a.txt#", "autosave\n");
    ASSERT_EQ(write("a.txt~", 'u'), 0);
    EXPECT_EQ(dir.read("a.txt~"), "new\n");
    mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(dir.mode("a.txt~"), 0666u & ~mask);
    EXPECT_EQ(dir.read("a.txt#"), "autosave\n");
    EXPECT_EQ(dir.entry_count(), 3u);
}

TEST(TemporaryFile, IsNewHiddenBesideTheTargetAndRandomlyNamed) {
    test::TempDir dir;
    PathText first, second, third;
    int a = create_temporary_file(dir.file("notes.txt"), first);
    int b = create_temporary_file(dir.file("notes.txt"), second);
    // A name as long as a directory entry allows still leaves room for the random part.
    int c = create_temporary_file(dir.file(std::string(NAME_MAX, 'n')), third);
    EXPECT_TRUE(first.view().starts_with(dir.path() + "/.notes.txt.")) << first.c_str();
    EXPECT_NE(first.view(), second.view());
    EXPECT_EQ(temporary_name("notes.txt").view(), ".notes.txt.qx-XXXXXX") << "a bare name stays in the directory";
    EXPECT_EQ(dir.mode(std::string(first.view().substr(dir.path().size() + 1))), 0600u);
    EXPECT_GE(c, 0);
    EXPECT_EQ(dir.entry_count(), 3u);
    for (int fd : {a, b, c})
        if (fd >= 0) ::close(fd);
}

TEST_F(TextFileTest, LinksAtAndBesideTheTargetAreNotBroken) {
    test::TempDir elsewhere;
    elsewhere.write("victim", "untouched\n");
    ASSERT_EQ(::symlink(elsewhere.file("victim").c_str(), dir.file("notes.tx~").c_str()), 0);
    test::fill_text(CurrentFile.text.lines, {"text"});
    ASSERT_EQ(write("notes.txt", 'u'), 0);
    EXPECT_EQ(elsewhere.read("victim"), "untouched\n") << "a link beside the target is not followed";
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("notes.tx~"))) << "nor removed";
    EXPECT_EQ(dir.read("notes.txt"), "text\n");

    // Rewriting through a link keeps the file's mode, and its owner when root gave it to another user.
    elsewhere.write("real.txt", "before\n");
    ::chmod(elsewhere.file("real.txt").c_str(), 0640);
    bool given = geteuid() == 0 && ::chown(elsewhere.file("real.txt").c_str(), 12345, 12345) == 0;
    ASSERT_EQ(::symlink(elsewhere.file("real.txt").c_str(), dir.file("link.txt").c_str()), 0);
    ASSERT_EQ(write("link.txt", 'u'), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt"))) << "the link survives";
    EXPECT_EQ(elsewhere.read("real.txt"), "text\n");
    struct stat st;
    ASSERT_EQ(::stat(elsewhere.file("real.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(!given || (st.st_uid == 12345u && st.st_gid == 12345u)) << st.st_uid << ":" << st.st_gid;
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

    // A directory that vanished, and one nobody, root included, may write into.
    EXPECT_EQ(write(dir.path() + "/gone/x.txt", 'u'), MSG_CANNOT_OPEN);
    EXPECT_EQ(write("/proc/qx-test.txt", 'u'), MSG_CANNOT_OPEN);
}

TEST_F(TextFileTest, WritesARangeOfLines) {
    test::fill_text(CurrentFile.text.lines, {"1", "2", "3", "4"});
    Line* second = next_line(first_line(CurrentFile.text.lines));
    Line* fourth = last_line(CurrentFile.text.lines);
    ASSERT_EQ(write("range", 'u', 1, second, fourth), 0);
    EXPECT_EQ(dir.read("range"), "2\n3\n");
    EXPECT_EQ(CurrentFile.text.lineCount, 2u);
    ASSERT_EQ(write("none", 'u', 1, second, second), 0);
    EXPECT_EQ(dir.read("none"), "");
    EXPECT_EQ(CurrentFile.text.lineCount, 0u);
}

}  // namespace
}  // namespace qx
