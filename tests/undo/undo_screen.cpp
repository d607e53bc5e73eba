#include "support/qx_screen.h"

namespace qx::test {
namespace {

std::string undo_row(QxScreen& s) {
    s.esc("s");
    EXPECT_TRUE(s.wait_for_panel()) << s.dump();
    std::string row = s.row_trimmed(11);
    s.key(Key::Enter);
    return row;
}

TEST(Undo, StatusFiguresFollowTheHistory) {
    QxScreen s({"a.txt", "b.txt"});
    s.write_file("a.txt", "hello\n");
    s.write_file("b.txt", "other\n");
    ASSERT_TRUE(s.start_editing());
    s.type("abc");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "abchello" && s.cursor() == (Pos{2, 3}));
    EXPECT_EQ(undo_row(s), "Undo Actions:    3 Actions in 1 Undo Items");
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{2, 3}));
    s.ctrl('z');
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "abhello" && s.cursor() == (Pos{2, 2}));
    s.esc("2u");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "hello" && s.cursor() == (Pos{2, 0}));
    EXPECT_EQ(undo_row(s), "Undo Actions:    0 Actions in 0 Undo Items");

    // NextFile empties the history.
    s.type("xy");
    s.esc("n");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "other");
    EXPECT_EQ(undo_row(s), "Undo Actions:    0 Actions in 0 Undo Items");
}

TEST(Undo, EmptyHistoryIsReportedOnlyOnTheFirstRepetition) {
    QxScreen s({"a.txt"});
    s.write_file("a.txt", "line one\nline two\n");
    ASSERT_TRUE(s.start_editing());
    s.esc("u");
    QX_ASSERT_SCREEN(s, s.message80() == "No undo actions available");
    s.key(Key::Down);
    s.key(Key::F9);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "line one" && s.row_trimmed(3) == "" && s.cursor() == (Pos{2, 0}));
    s.esc("*u");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "line one" && s.row_trimmed(3) == "line two");
    s.esc("v");   // a redraw shows the same text, and no complaint was left behind
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "line two" && s.message80() == "ESC-h for Help");
}

}  // namespace
}  // namespace qx::test
