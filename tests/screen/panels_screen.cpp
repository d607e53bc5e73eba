// Panels that only the real editor reaches: help from the command line, the
// status of the unnamed file it starts with, and the screen after the selector.
#include "support/qx_screen.h"

namespace qx::test {
namespace {

const char* HELP_FIRST = "F1=Again           F2=Block  F3=Column   F4=Jump         F5=Find     F6=Replace";

TEST(Panels, HelpOptionShowsTheHelpFirst) {
    QxScreen s({"--help", "ignored.txt"});
    s.start();
    QX_ASSERT_SCREEN(s, s.row_trimmed(2) == HELP_FIRST);
    s.key(Key::Enter);
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0).rfind("Linux QX v3.5g", 0) == 0 && s.row(1) == std::string(80, '-') &&
                            s.find("ESC-h for Help"));
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
