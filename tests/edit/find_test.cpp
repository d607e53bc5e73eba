#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edit/delete.h"
#include "edit/find.h"
#include "support/editor_test.h"

namespace qx {
namespace {

// Find and Replace typed as keys: ESC f / ESC r, the answers, Enter; ESC a is Again.
using FindTest = test::EditorTest;

TEST_F(FindTest, SearchesForwardWithAnchorsAndWrapAround) {
    struct Case {
        Lines text;
        int line, col;
        std::string keys;
        int at_line, at_col;
        std::string message;
        int bells;
    } cases[] = {
        {{"ab", "cd", "ef"}, 0, 0, "\x1b" "f^\n\x1b" "a\x1b" "a", 2, 0, "", 0},   // ^ alone steps line by line
        {{"ab", "cd", "ef"}, 0, 0, "\x1b" "f^\n\x1b" "a\x1b" "a\x1b" "a", 2, 0, "No more occurances: ^", 1},
        {{"ab", "cde"}, 0, 1, "\x1b" "f$\n\x1b" "a", 1, 3, "", 0},                  // just past each line's end
        {{"a$", "a", "xa$"}, 1, 0, "\x1b" "f^a$\n", 0, 0, "", 0},                    // the last $ is literal
        {{"foo bar", "x"}, 0, 4, "\x1b" "ffoo\n", 0, 0, "", 0},                       // round to before the cursor
        {{"abc", "d"}, 0, 1, "\x1b" "fzz\n", 0, 1, "Not Found: zz", 1},
        {{"abc"}, 0, 2, "\x1b" "f\n", 0, 2, "Not Found:", 1},                           // nothing ever entered
        {{"x y x"}, 0, 0, "\x1b" "fx\n\x1b" "a\x1b" "a", 0, 4, "No more occurances: x", 1},
    };
    for (const Case& c : cases) {
        reset();
        open(c.text, c.line, c.col);
        keys(c.keys);
        EXPECT_EQ(line(), c.at_line) << c.keys;
        EXPECT_EQ(col(), c.at_col) << c.keys;
        EXPECT_EQ(message(), c.message.empty() ? "ESC-h for Help" : c.message) << c.keys;
        EXPECT_EQ(bells(), c.bells) << c.keys;
    }
}

TEST_F(FindTest, ACountedFindFramesOnlyItsLastMatch) {
    open(numbered(60));
    keys("\x1b" "3fline 5\n");
    EXPECT_EQ(line(), 50);
    EXPECT_TRUE(shows(11, {"line 51"}, {11, 0})) << "framed on row 11";
    EXPECT_EQ(row(0).substr(0, 8), "test.txt") << "the prompt is gone";
    press("\x1b" "f", CODE_F1 + 9, "\n");
    EXPECT_EQ(line(), 50) << "F10 empties the answer, which keeps the string; a fresh Find starts at the cursor";
    EXPECT_EQ(message(), "ESC-h for Help");
}

TEST_F(FindTest, MatchesAtEveryColumnAndNowhereElse) {
    for (std::string p : {"b", "ab", "abca"})   // on a line of a's: every column a near miss
        for (int length = 4; length <= 40; ++length)
            for (int at = 0; at + static_cast<int>(p.size()) <= length; ++at) {
                std::vector<char> t(length, 'a');   // exactly as long as the line
                std::copy(p.begin(), p.end(), t.begin() + at);
                int n = static_cast<int>(p.size());
                EXPECT_EQ(find_match(p.data(), n, t.data(), length, 0), at) << p << " " << length;
                EXPECT_EQ(find_match(p.data(), n, t.data(), length, at + 1), -1) << p << " " << length;
            }
}

// Each replacement is undone again by ESC * u.
TEST_F(FindTest, ReplacesCountsAndUndoes) {
    std::string tail(372, 'x');
    struct Case {
        Lines text;
        std::string keys;
        Lines after;
        std::string message;
        bool again = false;   // then ESC a
    } cases[] = {
        {{"aaa"}, "\x1b*ra\nab\n", {"ababab"}, "3 replacement(s) made"},
        {{"x x x x"}, "\x1b" "2rx\ny\n", {"y y y y"}, "4 replacement(s) made", true},   // Again counts on
        {{"ab", "cb"}, "\x1b*r^\n> \n", {"> ab", "> cb"}, "2 replacement(s) made"},
        {{"ab"}, "\x1b*r$\n;\n", {"ab;"}, "1 replacement(s) made"},
        {{"ab", "aabb"}, "\x1b*rab\na\n", {"a", "aa"}, "3 replacement(s) made"},   // one made behind the cursor
        {{"ab", "cb"}, "\x1bra\nx\n", {"xb", "cb"}, "1 replacement(s) made"},   // "With: " gives row 3 back
        {{"x x"}, "\x1b" "2rx\ny v\nny", {"x y"}, "1 replacement(s) made"},
        {{"ab" + tail}, "\x1brab\n0123456789\n", {"0123456789" + tail}, "1 replacement(s) made"},
        {{"ab" + tail + "yy"}, "\x1brab\n0123456789\n", {"ab" + tail + "yy"}, "Can't replace - makes line too long"},
    };
    for (const Case& c : cases) {
        reset();
        open(c.text);
        keys(c.keys);
        if (c.again) keys("\x1b" "a");
        EXPECT_EQ(text(), c.after) << c.keys;
        EXPECT_EQ(message(), c.message) << c.keys;
        if (c.after.size() == 2) {
            EXPECT_EQ(rows(2, 3), c.after) << c.keys;
        }
        keys("\x1b*u");
        EXPECT_EQ(text(), c.text) << c.keys;
    }
    EXPECT_STREQ(push_undo_replace(tail.data(), 80, "", 0, 0, 0), "Push Undo Error: strings too long");
}

TEST_F(FindTest, VerifyAsksBeforeEachReplacement) {
    open({"x x"});
    keys("\x1b" "2rx\ny v\n\xff" "n\xff" "y");
    ASSERT_EQ(waits().size(), 2u);
    EXPECT_EQ(waits()[0].rows[0], "OK to replace ?");
    EXPECT_EQ(waits()[1].cursor, (Pos{2, 2}));
    EXPECT_EQ(text()[0], "x y");
}

TEST_F(FindTest, RememberedMatchesNeverNameARemovedLine) {
    open({"x", "x"});
    keys("\x1b" "fx\n\x1b" "a");   // first match on line 1, previous on line 2
    del_line();        // not through the dispatcher, so Again still means Find
    keys("\x1b" "a");   // comes back to the first match, with nothing to go back to
    EXPECT_EQ(text(), (Lines{"x"}));
    EXPECT_EQ(line(), 0);
    EXPECT_EQ(col(), 0);
}

}  // namespace
}  // namespace qx
