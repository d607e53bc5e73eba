#include <gtest/gtest.h>

#include <string>

#include "support/editor_test.h"

namespace qx {
namespace {

// Words, paragraphs, wrap and justify, driven by keys.
class ParagraphTest : public test::EditorTest {
protected:
    void margins(int32_t left, int32_t right, bool justify) {
        Options.leftMargin = left;
        Options.rightMargin = right;
        Options.rightJustify = justify;
    }
};

TEST_F(ParagraphTest, WordMotionsStopAtTheDelimiters) {
    open({"foo(bar), baz", ""});
    for (int expected : {4, 10, 10}) {
        keys({ESC, CODE_RIGHT});
        EXPECT_EQ(col(), expected);
    }
    for (int expected : {4, 0, 0}) {
        keys({ESC, CODE_LEFT});
        EXPECT_EQ(col(), expected);
    }
    EXPECT_EQ(line(), 0) << "word motions never leave the line";
}

TEST_F(ParagraphTest, DeleteWordTakesTheDelimitersBeforeTheWord) {
    struct Case { int col; std::string after; } cases[] = {
        {3, "one three."},     // on the blank before a word
        {4, "one  three."},    // on its first letter: both blanks stay
        {7, "one two."},       // only delimiters and then the last word
    };
    for (const Case& c : cases) {
        reset();
        open({"one two three."}, 0, c.col);
        keys("\x1bW");
        EXPECT_EQ(text()[0], c.after) << c.col;
        command("u");
        EXPECT_EQ(text()[0], "one two three.") << c.col;
    }
    keys({CODE_END, CODE_LEFT, ESC, CODE_DC});
    EXPECT_EQ(bells(), 1) << "on the last character";
}

TEST_F(ParagraphTest, ParaUpAndDownGoBetweenParagraphs) {
    open({"a1", "a2", "", "", "b1", "b2", "b3"}, 5, 1);
    keys({ESC, CODE_UP});
    EXPECT_EQ(line(), 4);
    keys({ESC, CODE_UP});
    EXPECT_EQ(line(), 0);
    EXPECT_EQ(col(), 0);
    keys({ESC, CODE_DOWN});
    EXPECT_EQ(line(), 2);
    keys({ESC, CODE_DOWN});
    EXPECT_EQ(line(), 6);
    EXPECT_EQ(col(), 2) << "past the last character of the file's last line";
}

TEST_F(ParagraphTest, WrapKeepsIndentsAndLabelsAndJustifies) {
    const Lines hanging = {"Alph beta gamma delta", "    epsilon zeta eta theta", "    iota kappa lambda"};
    const Lines label = {"1.  Alpha beta gamma delta epsilon", "    zeta eta"};
    struct Case { Lines before; int left, right; bool justify; Lines after; } cases[] = {
        {hanging, -1, 30, true, {"Alph  beta gamma delta epsilon", "    zeta  eta theta iota kappa", "    lambda "}},
        {{"  Alph beta gamma delta", "    epsilon zeta eta theta", "    iota kappa lambda"}, 0, 30, false,
         {"Alph beta gamma delta epsilon", "  zeta eta theta iota kappa", "  lambda "}},
        {hanging, 2, 30, false,
         {"  Alph beta gamma delta", "      epsilon zeta eta theta", "      iota kappa lambda "}},
        {label, -1, 30, true, {"1.  Alpha   beta  gamma  delta", "    epsilon zeta eta "}},
        {{std::string(40, 'a') + " " + std::string(40, 'b')}, -1, 72, true,
         {std::string(40, 'a'), std::string(40, 'b') + " "}},
        {{"  a   short    line"}, -1, 72, true, {"  a   short    line"}},
    };
    for (const Case& c : cases) {
        reset();
        margins(c.left, c.right, c.justify);
        open(c.before);
        keys("\x1bw");
        EXPECT_EQ(text(), c.after) << c.before[0] << " / " << c.left;
    }
    // Too dense: a later line holds no blank up to the margin.
    reset();
    open({"short", std::string(75, 'x')});
    keys("\x1bw");
    EXPECT_EQ(shown_message(), "Paragraph too dense to wrap");
    EXPECT_EQ(text(), (Lines{"short", std::string(75, 'x')}));
}

TEST_F(ParagraphTest, WrapParaOfFourLinesIntoSixAndItsUndo) {
    margins(-1, 12, false);
    const Lines before = {"aaa bbb ccc ddd eee fff", "ggg hhh iii jjj", "kkk lll mmm", "nnn ooo ppp qqq rrr", "",
                          "after"};
    open(before, 1, 2);
    keys("\x1bw");
    EXPECT_EQ(text(), (Lines{"aaa bbb ccc", "ddd eee fff", "ggg hhh iii", "jjj kkk lll", "mmm nnn ooo",
                             "ppp qqq rrr ", "", "after"}));
    EXPECT_EQ(line(), 6) << "the cursor ends on the line after the paragraph";
    EXPECT_TRUE(shows(2, {"aaa bbb ccc", "ddd eee fff"}, {8, 0}));
    EXPECT_EQ(undo_items(), 1);
    command("u");
    EXPECT_EQ(text(), before);
    EXPECT_TRUE(shows(2, before, {2, 0}));

    // The block Wrap refills every paragraph of the block.
    keys({ESC, 'b', CODE_DOWN, CODE_DOWN, CODE_DOWN, CODE_DOWN, CODE_DOWN, 'w'});
    EXPECT_EQ(text().size(), 8u);
    EXPECT_EQ(text()[7], "after");
}

TEST_F(ParagraphTest, WrapWhileTypingKeepsTheCursorAfterTheTypedCharacter) {
    margins(-1, 20, false);
    Options.textWrapping = 1;
    open({"aaa bbb ccc ddd eee", "fff", "", "next"}, 0, 4);
    keys("X");
    EXPECT_EQ(text(), (Lines{"aaa Xbbb ccc ddd", "eee fff ", "", "next"}));
    EXPECT_EQ(line(), 0);
    EXPECT_EQ(col(), 5);
    EXPECT_TRUE(shows(2, {"aaa Xbbb ccc ddd", "eee fff"}, {2, 5}));
    keys("Y");
    EXPECT_EQ(text()[0], "aaa XYbbb ccc ddd");
    EXPECT_EQ(undo_items(), 0) << "wrapping while typing records nothing";
    place(0, 10);
    keys({CODE_DC, CODE_DC});
    EXPECT_EQ(text(), (Lines{"aaa XYbbb c ddd eee", "fff ", "", "next"})) << "a deletion refills too";
    EXPECT_EQ(col(), 10);
}

}  // namespace
}  // namespace qx
