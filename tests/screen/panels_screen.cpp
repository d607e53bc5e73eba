#include "support/qx_screen.h"

namespace qx::test {
namespace {

const char* HELP_FIRST = "F1=Again           F2=Block  F3=Column   F4=Jump         F5=Find     F6=Replace";
const char* HELP_20 = "ESC-q=Quit         ESC-r=Replace         ESC-s=Status    ESC-t=Tags";
const char* HELP_19 = "ESC-m=Macro        ESC-n=NextFile        ESC-o=Option    ESC-p=Paste";
const char* HELP_25 = "ESC-\\=TopOfFile    ESC-~=EndOfFile       ESC->=EndofLine ESC-<=StartOfLine";
const char* HELP_29 = "ESC-H=Home         ESC-M=Middle          ESC-L=Last      ESC-U=Update";

TEST(Panels, HelpTakesTwoPagesOn24RowsAndOneOn35) {
    QxScreen s({"a.txt"});
    s.write_file("a.txt", "text\n");
    ASSERT_TRUE(s.start_editing());
    s.esc("h");
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == HELP_FIRST && s.row_trimmed(21) == HELP_19 &&
                            s.row_trimmed(23) == "more... press ENTER to view" && s.row(22) == std::string(80, '-'));
    EXPECT_TRUE(s.find("Linux QX v3.5g - QX Help Panel"));
    s.type("x");
    QX_ASSERT_SCREEN(s, s.bell_count() == 1) << "only Enter turns the page";
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == HELP_20 && s.row_trimmed(7) == HELP_25 && s.row_trimmed(11) == HELP_29 &&
                            s.row_trimmed(23) == "ENTER (return to editing)");
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == "text" && s.row(1) == std::string(80, '-') && s.cursor() == (Pos{2, 0}));

    QxScreen tall({}, 80, 35);
    ASSERT_TRUE(tall.start_editing());
    tall.esc("h");
    QX_ASSERT_SCREEN(tall, tall.row_trimmed(2) == HELP_FIRST && tall.row_trimmed(31) == HELP_29 &&
                               tall.row_trimmed(34) == "ENTER (return to editing)");
}

TEST(Panels, HelpOn132ColumnsIsCentred) {
    QxScreen s({}, 132, 43);
    ASSERT_TRUE(s.start_editing());
    s.esc("h");
    QX_ASSERT_SCREEN(s, s.row(2).substr(26).rfind(HELP_FIRST, 0) == 0 && s.row(2).substr(0, 26) == std::string(26, ' '));
    std::string title = "Linux QX v3.5g - QX Help Panel";
    EXPECT_EQ(s.row(0).find(title), (132 - title.size()) / 2);
}

TEST(Panels, HelpOptionShowsTheHelpFirst) {
    QxScreen s({"--help", "ignored.txt"});
    s.start();
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == HELP_FIRST);
    s.key(Key::Enter);
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0).rfind("Linux QX v3.5g", 0) == 0 && s.row(1) == std::string(80, '-') &&
                            s.find("ESC-h for Help"));
}

TEST(Panels, StatusShowsSizesFormatAndMemory) {
    QxScreen s({"dos.txt", "new.txt"});
    s.write_file("dos.txt", "ab\r\nc\r\n");
    ASSERT_TRUE(s.start_editing());
    s.esc("s");
    ASSERT_TRUE(s.wait_for_panel()) << s.dump();
    EXPECT_EQ(s.row_trimmed(4), "Size:            7 Chars, 2 Lines");
    EXPECT_EQ(s.row_trimmed(5), "File format:     DOS/Win");
    EXPECT_EQ(s.row_trimmed(3), "Curr Filename:   dos.txt");
    EXPECT_EQ(s.row_trimmed(7), "Block Line Buf:  0 Chars, 0 Lines");
    EXPECT_EQ(s.row_trimmed(8), "Single Line Buf: 0 Chars, 0 Lines");
    EXPECT_EQ(s.row_trimmed(9), "Column Buf:      0 Chars, 0 Lines");
    EXPECT_EQ(s.row_trimmed(11), "Undo Actions:    0 Actions in 0 Undo Items");
    // dos.txt: 2+2+16 and 1+2+16; the new file: one empty line, 0+1+16.
    EXPECT_EQ(s.row_trimmed(13), "Memory In Use:   56 Bytes");
    EXPECT_EQ(s.row_trimmed(15), "Files Open:      2");
    EXPECT_EQ(s.row_trimmed(17), "Macros Defined:  0");
    EXPECT_TRUE(s.find("Linux QX v3.5g - QX Status Panel"));
    s.key(Key::Enter);
    s.esc("n");
    s.esc("s");
    QX_ASSERT_SCREEN(s, s.row_trimmed(3) == "Curr Filename:   new.txt" &&
                            s.row_trimmed(4) == "Size:            1 Chars, 1 Lines" &&
                            s.row_trimmed(5) == "File format:     Linux");
}

TEST(Panels, StatusOfANewFile) {
    QxScreen s;
    ASSERT_TRUE(s.start_editing());
    s.esc("s");
    ASSERT_TRUE(s.wait_for_panel()) << s.dump();
    EXPECT_EQ(s.row_trimmed(3), "Curr Filename:   Unnamed File");
    EXPECT_EQ(s.row_trimmed(4), "Size:            1 Chars, 1 Lines");
    EXPECT_EQ(s.row_trimmed(13), "Memory In Use:   17 Bytes") << "one empty line: 0 + 1 + 16";
}

TEST(Panels, AboutFitsBetweenTheSeparators) {
    QxScreen s;
    ASSERT_TRUE(s.start_editing());
    s.esc("A");
    ASSERT_TRUE(s.wait_for_panel()) << s.dump();
    EXPECT_TRUE(s.find("Linux QX v3.5g - About QX (2005)"));
    for (int r = 2; r <= 18; ++r) EXPECT_LE(s.row_trimmed(r).size(), 76u) << r;
    EXPECT_EQ(s.row_trimmed(19), "");
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0).rfind("Unnamed File", 0) == 0 && s.cursor() == (Pos{2, 0}));
}

TEST(Panels, InfoAndViewScreen) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", numbered_lines(24));
    ASSERT_TRUE(s.start_editing());
    for (int i = 0; i < 11; ++i) s.key(Key::Down);
    s.key(Key::Right);
    s.key(Key::Right);
    s.key(Key::Right);
    s.key(Key::Right);
    s.esc("i");
    QX_ASSERT_SCREEN(s, s.message80() == "ln:12 col:5  50% (24 lines)");
    s.esc("v");
    QX_ASSERT_SCREEN(s, s.row_trimmed(13) == "line 12" && s.cursor() == (Pos{13, 4}) &&
                            s.row(0).rfind("f.txt", 0) == 0);
}

// The editing screen is rebuilt (ViewScreen) under the still open Edit menu when the
// selector is cancelled; the menu then closes and the status line comes back.
TEST(Panels, TheScreenComesBackAfterTheSelectorUnderAMenu) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", "some text\n");
    ASSERT_TRUE(s.start_editing());
    s.esc("e");
    QX_ASSERT_SCREEN(s, s.row(0).rfind("File  New  Menu  + : ", 0) == 0);
    s.type("f");   // the file selector covers the screen
    QX_ASSERT_SCREEN(s, s.find("Curr Dir:").has_value());
    s.esc("q");
    QX_ASSERT_SCREEN(s, s.message80() == "No File Selected to Open" && s.row(0).rfind("f.txt", 0) == 0 &&
                            s.row_trimmed(2) == "some text" && s.row(1) == std::string(80, '-') &&
                            s.cursor() == (Pos{2, 0}));
}

}  // namespace
}  // namespace qx::test
