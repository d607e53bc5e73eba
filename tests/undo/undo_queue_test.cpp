#include <gtest/gtest.h>

#include <utility>

#include "app/startup.h"
#include "state/command_state.h"
#include "store/memory.h"
#include "undo/undo.h"

namespace qx {
namespace {

class UndoQueueTest : public ::testing::Test {
protected:
    void SetUp() override { reset_editor(); }
    void TearDown() override { reset_editor(); }   // frees groups left open too
    UndoItem* push_lines(int32_t count) {
        UndoItem* item = new_undo_item(5, 0, 0, UNDO_INS_LINES);
        item->count = count;
        push_undo(item);
        ++current_undo_queue().steps;
        return item;
    }
    // Items and steps of the current queue.
    std::pair<int32_t, int32_t> counts() { return {undo_items(), undo_steps()}; }
};

TEST_F(UndoQueueTest, The129thItemPushesOutTheOldestWithItsRemainingSteps) {
    CurrentCommandKey = 'D';
    for (int i = 0; i < 20; ++i) push_undo_del_char('x', 0, 0);   // one run of 20 DelChar steps
    ASSERT_EQ(counts(), std::pair(1, 20));
    auto* run = static_cast<UndoItem*>(current_undo_queue().items.first);
    run->steps -= 5;   // as if five had been undone
    run->count -= 5;
    current_undo_queue().steps -= 5;
    for (int i = 0; i < 127; ++i) push_lines(1);
    EXPECT_EQ(counts(), std::pair(128, 15 + 127));
    push_lines(1);
    EXPECT_EQ(counts(), std::pair(128, 128)) << "the run's 15 remaining steps went with it";
    EXPECT_EQ(undo_memory(), 128 * 52);
}

TEST_F(UndoQueueTest, RunsMergeOnlyWhenTheirColumnsFollowOn) {
    for (int col : {5, 6, 7}) push_undo_type_char(' ', 0, 3, col);
    EXPECT_EQ(counts(), std::pair(1, 3));
    push_undo_type_char(' ', 0, 3, 9);   // a gap
    push_undo_type_char(' ', 0, 4, 10);  // another line
    push_undo_type_char('a', 1, 4, 11);  // another typing mode
    EXPECT_EQ(counts(), std::pair(4, 6));

    flush_undo();
    CurrentCommandKey = '#';
    for (int col : {8, 7, 6}) push_undo_del_char('z', 2, col);   // Rubout walks left
    EXPECT_EQ(undo_items(), 1);
    for (int i = 0; i < 100; ++i) push_undo_del_char('z', 2, 5 - i);
    EXPECT_EQ(counts(), std::pair(2, 103)) << "a run holds at most 82 characters";
}

TEST_F(UndoQueueTest, FlushMarksOnlyAQueueThatHeldItems) {
    flush_undo();
    EXPECT_EQ(current_undo_queue().state, 0);
    push_lines(2);
    flush_undo();
    EXPECT_EQ(current_undo_queue().state, 'f');
    EXPECT_EQ(counts(), std::pair(0, 0));
}

TEST_F(UndoQueueTest, DeletedLinesAtOnePlaceChainIntoOneItem) {
    Line* a = new_line("a", 1);
    Line* b = new_line("b", 1);
    Line* c = new_line("c", 1);
    push_undo_del_line(a, false, 4, 0);
    push_undo_del_line(b, false, 4, 0);
    EXPECT_EQ(counts(), std::pair(1, 2));
    auto* item = static_cast<UndoItem*>(current_undo_queue().items.first);
    EXPECT_EQ(item->data, b) << "most recently deleted first";
    push_undo_del_line(c, true, 4, 0);
    EXPECT_EQ(undo_items(), 2) << "a deleted last line never joins a chain";
}

TEST_F(UndoQueueTest, MacroGroupsNestAndCloseAgainstTheirStack) {
    push_lines(1);
    begin_undo_macro(12, 0, 0);
    EXPECT_EQ(current_undo_queue().state, 'n');
    push_lines(1);
    push_lines(1);
    EXPECT_EQ(undo_steps(), 2);
    EXPECT_EQ(end_undo_macro(), nullptr);
    EXPECT_EQ(counts(), std::pair(2, 2)) << "the whole group is one item of the enclosing queue";

    // A group flushed while it ran ends up empty; its item stays.
    begin_undo_macro(12, 0, 0);
    push_lines(1);
    flush_undo();
    end_undo_macro();
    auto* group_item = static_cast<UndoItem*>(current_undo_queue().items.first);
    ASSERT_EQ(group_item->kind, UNDO_MACRO);
    EXPECT_EQ(static_cast<UndoQueue*>(group_item->data)->steps, 0);

    // Seventeen nested groups: the sixteenth entry is overwritten, so sixteen closings reach the base.
    UndoQueue* base = &current_undo_queue();
    for (int i = 0; i < 17; ++i) begin_undo_macro(12, 0, 0);
    for (int i = 0; i < 15; ++i) end_undo_macro();
    EXPECT_NE(&current_undo_queue(), base);
    end_undo_macro();
    EXPECT_EQ(&current_undo_queue(), base);
    EXPECT_GT(undo_items(), 0);
    // No group open at all: the base queue is flushed, and the caller has a problem to show.
    EXPECT_STREQ(end_undo_macro(), "Undo Macro - Wrong Queue");
    EXPECT_EQ(undo_items(), 0);
}

}  // namespace
}  // namespace qx
