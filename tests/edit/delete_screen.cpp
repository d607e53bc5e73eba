#include "support/qx_screen.h"

namespace qx::test {
namespace {

TEST(Deletion, DelCharShiftsTheRowAndRefillsItsRightEdge) {
    std::string longline;
    for (int i = 0; i < 100; ++i) longline += char('a' + i % 26);
    QxScreen s({"f.txt"});
    s.write_file("f.txt", longline + "\nabcdef\n\nnext\n");
    ASSERT_TRUE(s.start_editing());
    s.key(Key::Delete);
    QX_ASSERT_SCREEN(s, s.row(2) == longline.substr(1, 80) && s.cursor() == (Pos{2, 0}));
    s.key(Key::Down);
    s.key(Key::Right);
    s.key(Key::Right);
    s.key(Key::Right);
    s.key(Key::Delete);
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "abcef" && s.cursor() == (Pos{3, 3}));
    // At the end of the line DelChar joins; an empty next line simply disappears.
    s.key(Key::End);
    s.key(Key::Delete);
    QX_ASSERT_SCREEN(s, s.row_trimmed(4) == "next" && s.cursor() == (Pos{3, 5}));
    s.key(Key::Delete);
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "abcefnext" && s.row_trimmed(4) == "" && s.cursor() == (Pos{3, 5}));
}

TEST(Deletion, JoinLimitAndRuboutAtColumnZero) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", std::string(200, 'a') + "\n" + std::string(182, 'b') + "\nshort\n");
    ASSERT_TRUE(s.start_editing());
    s.key(Key::End);
    s.key(Key::Delete);
    QX_ASSERT_SCREEN(s, s.message80() == "Can't join lines - lines too long");
    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, s.message80() == "ESC-h for Help");
    s.key(Key::Home);
    s.key(Key::Backspace);
    QX_ASSERT_SCREEN(s, s.message80() == "Can't join lines - lines too long" && s.cursor().row == 2);
    // A 181-character line does join a 200-character one.
    QxScreen t({"g.txt"});
    t.write_file("g.txt", std::string(200, 'a') + "\n" + std::string(181, 'b') + "\n");
    ASSERT_TRUE(t.start_editing());
    t.key(Key::Down);
    t.key(Key::Backspace);
    QX_ASSERT_SCREEN(t, t.row_trimmed(3) == "" && t.cursor().row == 2);
    t.esc("s");
    ASSERT_TRUE(t.wait_for_panel()) << t.dump();
    EXPECT_EQ(t.row_trimmed(4), "Size:            382 Chars, 1 Lines");
}

TEST(Deletion, OverwriteRuboutRestoresTypedOverCharacters) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", "abcdef\n");
    ASSERT_TRUE(s.start_editing());
    s.key(Key::Insert);
    QX_ASSERT_SCREEN(s, s.row(0).substr(71) == "      OVR");
    s.type("XYZ");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "XYZdef" && s.cursor() == (Pos{2, 3}));
    s.key(Key::Backspace);
    s.key(Key::Backspace);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "Xbcdef" && s.cursor() == (Pos{2, 1}));
}

TEST(Deletion, DelLineKeepsTheLinesAndMovesUpFromTheLast) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", "one\ntwo\nthree\nfour\nfive\n");
    ASSERT_TRUE(s.start_editing());
    s.key(Key::Down);
    s.esc("3l");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "one" && s.row_trimmed(3) == "five" && s.row_trimmed(4) == "" &&
                            s.cursor() == (Pos{3, 0}));
    s.esc("s");
    ASSERT_TRUE(s.wait_for_panel()) << s.dump();
    // two, three and four; buffer lines count two bytes for each line end
    EXPECT_EQ(s.row_trimmed(8), "Single Line Buf: 18 Chars, 3 Lines");
    s.key(Key::Enter);
    s.key(Key::F9);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "one" && s.row_trimmed(3) == "" && s.cursor() == (Pos{2, 0}));
    s.key(Key::F9);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "" && s.cursor() == (Pos{2, 0}));
    s.esc("s");
    ASSERT_TRUE(s.wait_for_panel()) << s.dump();
    EXPECT_EQ(s.row_trimmed(4), "Size:            1 Chars, 1 Lines") << "a file keeps one empty line";
}

TEST(Deletion, DelLeftAndDelRightRedrawTheRow) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", "    indented text\n");
    ASSERT_TRUE(s.start_editing());
    for (int i = 0; i < 4; ++i) s.key(Key::Right);
    s.esc("d");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "indented text" && s.cursor() == (Pos{2, 0}));
    for (int i = 0; i < 8; ++i) s.key(Key::Right);
    s.key(Key::F10);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "indented" && s.cursor() == (Pos{2, 8}));
}

}  // namespace
}  // namespace qx::test
