// Row 0 as the user sees it: the file name, flags, message area and mode
// field, and how messages give way to the help hint.
#include "support/qx_screen.h"

namespace qx::test {
namespace {

// Row 0 with the given texts at the given columns and blanks everywhere else.
std::string status_row(int cols, std::initializer_list<std::pair<int, std::string>> fields) {
    std::string row(cols, ' ');
    for (const auto& [col, text] : fields) row.replace(col, text.size(), text);
    return row;
}

TEST(StatusLine, FieldsOnEightyColumnsWithALongName) {
    const std::string name = "abcdefghij0123456789ABCDEFGHIJ";   // 30 characters
    QxScreen s({name});
    s.write_file(name, "hello\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    const std::string shown = "..." + name.substr(11);   // 22 columns: "..." and the last 19
    ASSERT_EQ(shown.size(), 22u);

    // The first key redraws the whole line: name, hint at column 25, "(i)" at 66, mode at 71.
    s.key(Key::Right);
    QX_ASSERT_SCREEN(s, s.row(0) == status_row(80, {{0, shown}, {25, HINT}, {66, "(i)"}, {71, "      INS"}}) &&
                            s.cursor() == (Pos{2, 1}));

    s.key(Key::Insert);
    QX_ASSERT_SCREEN(s, s.row(0).substr(71) == "      OVR" && s.row(0).substr(0, 22) == shown);
    s.esc("I");
    QX_ASSERT_SCREEN(s, s.row(0).substr(71) == "      INS");

    // A message stands in the 40 columns from 25 and leaves the other fields alone.
    s.esc("i");
    QX_ASSERT_SCREEN(s, s.row(0) == status_row(80, {{0, shown}, {25, "ln:1 col:2  100% (1 lines)"},
                                                    {66, "(i)"}, {71, "      INS"}}));

    // In command mode with a count, row 0 is "%" and the digits, and the mode field.
    s.esc("7");
    QX_ASSERT_SCREEN(s, s.row(0) == status_row(80, {{0, "%7"}, {71, "      CMD"}}) && s.cursor() == (Pos{0, 2}));
    s.key(Key::Enter);
    QX_ASSERT_SCREEN(s, s.row(0) == status_row(80, {{0, shown}, {25, HINT}, {66, "(i)"}, {71, "      INS"}}) &&
                            s.cursor() == (Pos{2, 1}));
}

TEST(StatusLine, FieldsOnOneHundredThirtyTwoColumns) {
    // At 132 columns the name gets 49 columns, the message starts at 52, the
    // flags at 118 and the mode at 123.
    const std::string name = std::string(20, 'n') + std::string(20, 'm') + "0123456789abcdefghij";   // 60
    QxScreen s({name}, 132, 43);
    s.write_file(name, "hello\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    const std::string shown = "..." + name.substr(60 - 46);
    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, s.row(0) == status_row(132, {{0, shown}, {52, HINT}, {118, "(i)"}, {123, "      INS"}}));
    s.esc("i");
    QX_ASSERT_SCREEN(s, s.row(0) == status_row(132, {{0, shown}, {52, "ln:1 col:1  100% (1 lines)"},
                                                     {118, "(i)"}, {123, "      INS"}}));
    s.key(Key::Insert);
    QX_ASSERT_SCREEN(s, s.row(0) == status_row(132, {{0, shown}, {52, HINT}, {118, "(i)"}, {123, "      OVR"}}));
    // The scroll indicator takes the first two columns of the mode field.
    s.esc(")");
    QX_ASSERT_SCREEN(s, s.row(0) == status_row(132, {{0, shown}, {52, "Scrolled right to column 66"},
                                                     {118, "(i)"}, {123, "<-    OVR"}}));
    s.esc("(");
    QX_ASSERT_SCREEN(s, s.row(0) == status_row(132, {{0, shown}, {52, "Scrolled left to column 0"},
                                                     {118, "(i)"}, {123, "      OVR"}}));
}

TEST(StatusLine, AMessageGivesWayToTheHintAtTheNextKey) {
    QxScreen s({"f.txt"});
    s.write_file("f.txt", "one\ntwo\n");
    ASSERT_TRUE(s.start_editing()) << s.dump();
    QX_ASSERT_SCREEN(s, s.message80() == "8 Chars 2 Lines [Linux]");

    // Whatever the next key does: typing, a motion, or a command that fails.
    s.type("x");
    QX_ASSERT_SCREEN(s, s.message80() == HINT && s.row_trimmed(2) == "xone" && s.cursor() == (Pos{2, 1}));
    s.esc("y");
    QX_ASSERT_SCREEN(s, s.message80() == "Unknown command");
    s.key(Key::Down);
    QX_ASSERT_SCREEN(s, s.message80() == HINT && s.cursor() == (Pos{3, 1}));
    s.esc("i");
    QX_ASSERT_SCREEN(s, s.message80() == "ln:2 col:2  100% (2 lines)");
    s.esc("i");   // the same message again is still a new message
    s.type("z");
    QX_ASSERT_SCREEN(s, s.message80() == HINT && s.row_trimmed(3) == "tzwo" && s.cursor() == (Pos{3, 2}));
}

}  // namespace
}  // namespace qx::test
