#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "store/line.h"
#include "store/memory.h"
#include "store/message_ids.h"

namespace qx {
namespace {

class ListTest : public ::testing::Test {
protected:
    void SetUp() override { list_init(list); }
    void TearDown() override { list_free_all(list); }

    Line* append(const std::string& text) {
        Line* line = new_line(text.data(), static_cast<int32_t>(text.size()));
        list_append(list, line);
        return line;
    }
    std::vector<std::string> texts() {
        std::vector<std::string> out;
        for (Line* l = first_line(list); l; l = next_line(l)) out.emplace_back(l->text(), static_cast<std::size_t>(l->length));
        return out;
    }
    LineList list;
};

// A walk stops at either end, reports it, and otherwise leaves the status word alone.
TEST_F(ListTest, WalksStopAtTheEndsAndReportEndOfList) {
    Line* a = append("a");
    append("b");
    Line* c = append("c");
    struct Case { Line* from; char way; int32_t limit; Line* to; int32_t steps, status; } cases[] = {
        {a, '+', 0, a, 0, 99}, {c, '+', 1, c, 0, MSG_END_OF_LIST}, {c, '-', 10, a, 2, MSG_END_OF_LIST},
        {a, '+', 2, c, 2, 99}};
    for (const Case& w : cases) {
        int32_t steps = -1, status = 99;
        EXPECT_EQ(list_walk(list, w.from, w.way, steps, w.limit, status), w.to) << w.way << w.limit;
        EXPECT_EQ(std::pair(steps, status), std::pair(w.steps, w.status)) << w.way << w.limit;
    }
    EXPECT_EQ(walk_lines(list, a, '+', 99), c) << "a line number past the end gives the last line";
}

TEST_F(ListTest, InsertionAndRemovalAtEitherEndMoveFirstAndLastAndEmptyListRefuses) {
    Line* b = append("b");
    int32_t status = -1;
    Line* a = new_line("a", 1);
    list_insert_after(list, &list, a, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(list.first, a);
    EXPECT_EQ(prev_line(a), nullptr);
    EXPECT_EQ(prev_line(b), a);

    Line* c = new_line("c", 1);
    list_insert_after(list, b, c, status);
    EXPECT_EQ(list.last, c);
    EXPECT_EQ(list.count, 3u);
    EXPECT_EQ(texts(), (std::vector<std::string>{"a", "b", "c"}));

    free_line(static_cast<Line*>(list_remove(list, a, status)));
    EXPECT_EQ(list.first, b);
    EXPECT_TRUE(is_list_header(b->prev));
    free_line(static_cast<Line*>(list_remove(list, c, status)));
    EXPECT_EQ(list.last, b);
    EXPECT_EQ(next_line(b), nullptr);
    free_line(static_cast<Line*>(list_remove(list, b, status)));
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(status, 0);

    Line* stray = new_line("x", 1);
    EXPECT_EQ(list_remove(list, stray, status), stray);
    EXPECT_EQ(status, MSG_LIST_ERROR);
    EXPECT_EQ(list.count, 0u);

    // Appending after the list emptied starts it afresh.
    list_append(list, stray);
    EXPECT_EQ(list.last, stray);
    EXPECT_EQ(texts(), (std::vector<std::string>{"x"}));
}

TEST(ByteRanges, FindFillCopyCompareAndSum) {
    const char text[] = "aaabca";
    EXPECT_EQ(mem_find_byte(text, 'b', 6), 3);
    EXPECT_EQ(mem_find_byte(text, 'a', 6), 0);
    EXPECT_EQ(mem_find_byte(text, 'z', 6), -1);
    EXPECT_EQ(mem_find_byte(text, 'a', 0), -1);
    EXPECT_EQ(mem_find_other_byte(text, 'a', 6), 3);
    EXPECT_EQ(mem_find_other_byte(text, 'a', 3), -1);
    EXPECT_EQ(mem_find_other_byte(text, 'b', 6), 0);
    EXPECT_EQ(mem_compare("abcd", "abxd", 4), 2);
    EXPECT_EQ(mem_compare("abcd", "xbcd", 4), 0);
    EXPECT_EQ(mem_compare("abcd", "abcd", 4), -1);

    char buf[8] = "abcdefg";
    mem_copy(buf + 1, buf, 6);   // forward, byte by byte: shifts left safely
    EXPECT_STREQ(buf, "bcdefgg");
    mem_fill('-', buf, 3);
    mem_fill('!', buf, 0);
    EXPECT_STREQ(buf, "---efgg");

    EXPECT_EQ(mem_sum_words("\x01\x00\x00\x00\xff\xff\xff\xff", 2), 0u) << "the sum wraps at 32 bits";
}

}  // namespace
}  // namespace qx
