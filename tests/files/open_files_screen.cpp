// Several files opened from disk: switching keeps each file's screen.
#include "support/qx_screen.h"

namespace qx::test {
namespace {


std::string pattern(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('a' + i % 23);
    return s;
}

// Rows 1 to 23 and the cursor: everything a file's view decides.
std::string view_of(const QxScreen& s) {
    std::string v;
    for (int r = 1; r < s.rows(); ++r) v += s.row(r) + "\n";
    return v + "cursor " + std::to_string(s.cursor().row) + "," + std::to_string(s.cursor().col);
}

TEST(OpenFiles, NextFileSwitchesAndComesBackToTheSameScreen) {
    std::string a = numbered_lines(29, "alpha ") + pattern(150) + "\n" + numbered_lines(30, "alpha tail ");
    QxScreen s({"a.txt", "b.txt"});
    s.write_file("a.txt", a);
    s.write_file("b.txt", numbered_lines(40, "beta "));
    ASSERT_TRUE(s.start_editing()) << s.dump();
    QX_ASSERT_SCREEN(s, s.message80() == "2 files opened" && s.row_trimmed(2) == "alpha 1");

    // In a.txt: line 30 on the last row, the view scrolled sideways to its end.
    s.esc("29");
    s.key(Key::Down);
    s.key(Key::End);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{23, 69}) && s.row_trimmed(23) == pattern(150).substr(81) &&
                            s.row(0).substr(71, 2) == "<-");
    const std::string a_view = view_of(s);

    s.esc("n");
    QX_ASSERT_SCREEN(s, s.row(0).substr(0, 6) == "b.txt " && s.row_trimmed(2) == "beta 1" &&
                            s.row_trimmed(23) == "beta 22" && s.cursor() == (Pos{2, 0}) &&
                            s.row(0).substr(71) == "      INS");
    s.key(Key::Down);
    s.key(Key::Down);
    s.key(Key::Right);
    QX_ASSERT_SCREEN(s, s.cursor() == (Pos{4, 1}));
    const std::string b_view = view_of(s);

    // The last file wraps to the first, which shows what it showed.
    s.esc("n");
    QX_ASSERT_SCREEN(s, s.row(0).substr(0, 6) == "a.txt " && view_of(s) == a_view && s.row(0).substr(71, 2) == "<-");
    s.type("!");
    QX_ASSERT_SCREEN(s, s.row_trimmed(23) == pattern(150).substr(81) + "!" && s.cursor() == (Pos{23, 70}));
    s.esc("n");
    QX_ASSERT_SCREEN(s, s.row(0).substr(0, 6) == "b.txt " && view_of(s) == b_view);
    s.esc("i");
    QX_ASSERT_SCREEN(s, s.message80() == "ln:3 col:2  7% (40 lines)");
}

}  // namespace
}  // namespace qx::test
