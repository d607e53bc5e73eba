// Panels as drawn: help pages, status, about; each read while the panel waits.
#include <gtest/gtest.h>

#include <string>

#include "screen/prompt_stack.h"
#include "support/editor_test.h"

namespace qx {
namespace {

const char* HELP_FIRST = "F1=Again           F2=Block  F3=Column   F4=Jump         F5=Find     F6=Replace";
const char* HELP_20 = "ESC-q=Quit         ESC-r=Replace         ESC-s=Status    ESC-t=Tags";
const char* HELP_19 = "ESC-m=Macro        ESC-n=NextFile        ESC-o=Option    ESC-p=Paste";
const char* HELP_29 = "ESC-H=Home         ESC-M=Middle          ESC-L=Last      ESC-U=Update";

using PanelsTest = test::EditorTest;
using Pos = test::ScreenPos;

TEST_F(PanelsTest, HelpTakesTwoPagesOn24RowsAndOneOn35Or43) {
    open({"text"});
    keys("\x1bhx");   // only Enter turns the page
    EXPECT_EQ(bells(), 1);
    ASSERT_EQ(waits().size(), 2u);
    const auto& first = waits()[0].rows;
    EXPECT_EQ(first[2], HELP_FIRST);
    EXPECT_EQ(first[21], HELP_19);
    EXPECT_EQ(first[22], std::string(80, '-'));
    EXPECT_EQ(first[23], "more... press ENTER to view");
    EXPECT_NE(first[0].find("Linux QX v3.5g - QX Help Panel"), std::string::npos);
    const auto& second = waits()[1].rows;
    EXPECT_EQ(second[2], HELP_20);
    EXPECT_EQ(second[11], HELP_29);
    EXPECT_EQ(second[23], "ENTER (return to editing)");
    EXPECT_EQ(waits()[1].cursor, (Pos{0, 0}));
    EXPECT_TRUE(shows(1, {std::string(80, '-'), "text"}, {2, 0}));

    reset();
    resize(35, 80);
    open({"text"});
    keys("\x1bh");
    ASSERT_EQ(waits().size(), 1u);
    EXPECT_EQ(waits()[0].rows[31], HELP_29);
    EXPECT_EQ(waits()[0].rows[34], "ENTER (return to editing)");

    // On 132 columns the panel is centred.
    reset();
    resize(43, 132);
    open({""});
    keys("\x1bh");
    ASSERT_EQ(waits().size(), 1u);
    EXPECT_EQ(waits()[0].rows[2], std::string(26, ' ') + HELP_FIRST);
    std::string title = "Linux QX v3.5g - QX Help Panel";
    EXPECT_EQ(waits()[0].rows[0].find(title), (132 - title.size()) / 2);
}

TEST_F(PanelsTest, StatusShowsSizesFormatAndMemoryOfANamedAndANewFile) {
    open({"ab", "c"}, 0, 0, "dos.txt", 'd');
    keys("\x1bs");
    ASSERT_EQ(waits().size(), 1u);
    const auto& shown = waits()[0].rows;
    EXPECT_NE(shown[0].find("Linux QX v3.5g - QX Status Panel"), std::string::npos);
    EXPECT_EQ(shown[3], "Curr Filename:   dos.txt");
    EXPECT_EQ(shown[4], "Size:            7 Chars, 2 Lines");
    EXPECT_EQ(shown[5], "File format:     DOS/Win");
    EXPECT_EQ(shown[7], "Block Line Buf:  0 Chars, 0 Lines");
    EXPECT_EQ(shown[8], "Single Line Buf: 0 Chars, 0 Lines");
    EXPECT_EQ(shown[9], "Column Buf:      0 Chars, 0 Lines");
    EXPECT_EQ(shown[11], "Undo Actions:    0 Actions in 0 Undo Items");
    EXPECT_EQ(shown[13], "Memory In Use:   39 Bytes") << "2+2+16 and 1+2+16";
    EXPECT_EQ(shown[15], "Files Open:      1");
    EXPECT_EQ(shown[17], "Macros Defined:  0");
    EXPECT_EQ(shown[23], "ENTER (return to editing)");

    reset();
    open_files({});
    keys("\x1bs");
    ASSERT_EQ(waits().size(), 1u);
    EXPECT_EQ(waits()[0].rows[3], "Curr Filename:   Unnamed File");
    EXPECT_EQ(waits()[0].rows[4], "Size:            1 Chars, 1 Lines");
}

TEST_F(PanelsTest, AboutFitsBetweenTheSeparators) {
    open({""});
    keys("\x1b" "A");
    ASSERT_EQ(waits().size(), 1u);
    const auto& shown = waits()[0].rows;
    EXPECT_NE(shown[0].find("Linux QX v3.5g - About QX (2005)"), std::string::npos);
    for (int r = 2; r <= 18; ++r) EXPECT_LE(shown[r].size(), 76u) << r;
    EXPECT_EQ(shown[19], "");
    EXPECT_EQ(row(0).substr(0, 8), "test.txt");
    EXPECT_EQ(cursor(), (Pos{2, 0}));
}

TEST_F(PanelsTest, InfoAndViewScreen) {
    open(numbered(24), 11, 4);
    keys("\x1bi");
    EXPECT_EQ(shown_message(), "ln:12 col:5  50% (24 lines)");
    keys("\x1bv");
    EXPECT_TRUE(shows(13, {"line 12"}, {13, 4}));
    EXPECT_EQ(row(0).substr(0, 8), "test.txt");
    EXPECT_EQ(shown_message(), "ESC-h for Help") << "the status line is drawn with the message buffer";
}

// Prompts pushed beyond the stack's room are popped first, so that what shows
// after each pop is the prompt below it.
TEST_F(PanelsTest, PromptsBeyondTheStacksRoomArePoppedFirst) {
    open({""});
    for (int i = 0; i <= PROMPT_STACK_SIZE; ++i) PushPrompt("p" + std::to_string(i));
    PopPrompt();
    EXPECT_EQ(PromptTop(), "p9");
    EXPECT_TRUE(row(0).starts_with("p9"));
    for (int i = 0; i < PROMPT_STACK_SIZE; ++i) PopPrompt();
    EXPECT_TRUE(PromptStackEmpty());
}

}  // namespace
}  // namespace qx
