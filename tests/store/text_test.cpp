#include <gtest/gtest.h>

#include <cstring>

#include "app/panels.h"
#include "app/startup.h"
#include "buffers/line_buffer.h"
#include "store/text.h"
#include "support/editor_state.h"

namespace qx {
namespace {

using test::open_test_file;
using test::texts_of;

class TextTest : public ::testing::Test {
protected:
    void TearDown() override { reset_editor(); }
};

TEST_F(TextTest, ChecksumAddsLittleEndianWordsAndSignedTailBytes) {
    uint32_t word = 'a' | 'b' << 8 | 'c' << 16 | uint32_t('d') << 24;
    EXPECT_EQ(line_checksum("abcde", 5), word + 'e');
    EXPECT_EQ(line_checksum("abcd\xE9", 5), word - 23);
    EXPECT_EQ(line_checksum("", 0), 0u);
    const char* longer = "abcdefghijklmnopqrstuvwxyz01\xE9";   // 7 words of 4, one byte
    EXPECT_EQ(line_checksum(longer, 29), mem_sum_words(longer, 7) - 23);
}

TEST_F(TextTest, ModifiedMeansTheRecountDiffersFromTheStoredCounts) {
    open_test_file({"abcd", "c"});
    note_counts_hold(CurrentFile.text);   // as after reading: no walk unless something changed
    EXPECT_FALSE(file_is_modified());
    CurrentFile.text.format = 'd';
    EXPECT_TRUE(file_is_modified()) << "a change of line-end format counts as a change";
    CurrentFile.text.format = 'u';

    // Swapping two characters of a word keeps length and count but not the checksum.
    line_load();
    std::swap(LineEditBuffer.text[0], LineEditBuffer.text[1]);
    line_commit();
    EXPECT_TRUE(file_is_modified());

    int32_t count = -1;
    save_file_state(OpenFiles.currentIndex);
    EXPECT_TRUE(count_modified_files(count));
    EXPECT_EQ(count, 1);
}

TEST_F(TextTest, EditBufferIsBlankBeyondTheLineAndCommitReplacesAGrownLine) {
    open_test_file({"0123456789", "next"});
    Line* old = CurrentFile.currentLine;
    line_load();
    EXPECT_EQ(LineEditBuffer.length, 10);
    EXPECT_EQ(std::string(LineEditBuffer.text + 10, 5), "     ");
    LineEditBuffer.text[10] = 'X';
    LineEditBuffer.length = 11;
    line_commit();
    EXPECT_EQ(LineEditBuffer.length, 0);
    EXPECT_NE(CurrentFile.currentLine, old);
    EXPECT_EQ(CurrentFile.view.topLine, CurrentFile.currentLine) << "the screen keeps the new record";
    EXPECT_EQ(CurrentFile.view.bottomLine, CurrentFile.currentLine);
    EXPECT_EQ(texts_of(CurrentFile.text.lines), (std::vector<std::string>{"0123456789X", "next"}));

    // A shorter line is written into the same record.
    Line* same = CurrentFile.currentLine;
    line_load();
    LineEditBuffer.length = 3;
    line_commit();
    EXPECT_EQ(CurrentFile.currentLine, same);
    EXPECT_EQ(texts_of(CurrentFile.text.lines)[0], "012");

    // Committing never stores more than MAX_LINE characters.
    line_load();
    LineEditBuffer.length = EDIT_BUFFER_SIZE;
    line_commit();
    EXPECT_EQ(CurrentFile.currentLine->length, MAX_LINE);
}

TEST(ShortenLeft, KeepsTheTailBehindThreeDots) {
    std::string name = "abcdefghij/klmnopqrstuvwxyz.txt";   // 31 characters; longer ones: the status line tests
    EXPECT_EQ(shorten_left(name, 31), name);
    EXPECT_EQ(shorten_left(name, 2), "..");
}

// Built texts are cut at their capacity, never past it, whichever way they grow.
TEST(FixedText, CutsAtCapacity) {
    FixedText<8> text("abcd");
    EXPECT_EQ(text.appendf("%d", 123456), "abcd123");
    EXPECT_EQ(text.append("x"), "abcd123");
    text.resize(2, ' ');
    EXPECT_EQ(text.append(9, '-'), "ab-----");
    text.resize(3, ' ');
    text.resize(5, ' ');
    EXPECT_EQ(text, "ab-  ");
    EXPECT_EQ(std::strlen(text.c_str()), text.size());
}

TEST(LeadingBlanks, CountsWhiteSpaceAtTheStart) {
    for (auto [text, blanks] : {std::pair<std::string, int32_t>{" \t  x y", 4}, {"", 0}}) {
        Line* line = new_line(text.data(), static_cast<int32_t>(text.size()));
        EXPECT_EQ(leading_blanks(line), blanks) << text;
        free_line(line);
    }
}

}  // namespace
}  // namespace qx
