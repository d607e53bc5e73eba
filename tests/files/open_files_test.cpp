// Several files opened from disk: switching keeps each file's screen.
#include <gtest/gtest.h>

#include <string>

#include "support/editor_test.h"
#include "support/temp_dir.h"

namespace qx {
namespace {

using Pos = test::ScreenPos;

std::string numbered(int n, const std::string& prefix) {
    std::string text;
    for (int i = 1; i <= n; ++i) text += prefix + std::to_string(i) + "\n";
    return text;
}

class DiskFilesTest : public test::EditorTest {
protected:
    test::TempDir dir;
    test::InDir in{dir.path()};
    // Rows 1 to 23 and the cursor: everything a file's view decides.
    std::pair<Lines, Pos> view_of() { return {rows(1, 23), cursor()}; }
};

TEST_F(DiskFilesTest, NextFileSwitchesAndComesBackToTheSameScreen) {
    std::string pattern;
    for (int i = 0; i < 150; ++i) pattern += static_cast<char>('a' + i % 23);
    dir.write("a.txt", numbered(29, "alpha ") + pattern + "\n" + numbered(30, "alpha tail "));
    dir.write("b.txt", numbered(40, "beta "));
    open_files({"a.txt", "b.txt"});
    EXPECT_EQ(row(2), "alpha 1");

    // In a.txt: line 30 on the last row, the view scrolled sideways to its end.
    keys("\x1b" "29");
    keys({CODE_DOWN});
    keys({CODE_END});
    EXPECT_TRUE(shows(23, {pattern.substr(81)}, {23, 69}));
    EXPECT_EQ(row(0).substr(71, 2), "<-");
    const auto a_view = view_of();

    keys("\x1bn");
    EXPECT_TRUE(row(0).starts_with("b.txt ") && row(0).substr(71) == "      INS");
    EXPECT_TRUE(shows(2, {"beta 1"}, {2, 0}));
    EXPECT_EQ(row(23), "beta 22");
    keys({CODE_DOWN, CODE_DOWN, CODE_RIGHT});
    const auto b_view = view_of();
    EXPECT_EQ(b_view.second, (Pos{4, 1}));

    // The last file wraps to the first, which shows what it showed.
    keys("\x1bn");
    EXPECT_TRUE(row(0).starts_with("a.txt ") && view_of() == a_view && row(0).substr(71, 2) == "<-");
    keys("!");
    EXPECT_TRUE(shows(23, {pattern.substr(81) + "!"}, {23, 70}));
    keys("\x1bn");
    EXPECT_TRUE(row(0).starts_with("b.txt ") && view_of() == b_view);
    keys("\x1bi");
    EXPECT_EQ(shown_message(), "ln:3 col:2  7% (40 lines)");
}

}  // namespace
}  // namespace qx
