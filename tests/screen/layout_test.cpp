#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "screen/status.h"
#include "support/editor_test.h"

namespace qx {
namespace {

TEST(StatusLayout, PositionPercentOfLargeFiles) {
    struct Case { int64_t number, count, percent; } cases[] = {{12, 24, 50}, {1, 3, 33}, {0, 0, 0},
        {22000000, 22000000, 100}, {21999999, 22000000, 99}, {INT32_MAX, INT32_MAX, 100}, {1, INT32_MAX, 0},
        {INT32_MAX / 2, INT32_MAX, 49}};
    for (const Case& c : cases)
        EXPECT_EQ(position_percent(c.number, c.count), c.percent) << c.number << " of " << c.count;
}

// Row 0 as drawn: name, flags, message area and mode field; messages give way to the hint.
class StatusLineTest : public test::EditorTest {
protected:
    // Row 0 with the given texts at the given columns and blanks everywhere else.
    static std::string status_row(int cols, std::initializer_list<std::pair<int, std::string>> fields) {
        std::string row(cols, ' ');
        for (const auto& [col, text] : fields) row.replace(col, text.size(), text);
        return row.substr(0, row.find_last_not_of(' ') + 1);
    }
    const std::string HINT = "ESC-h for Help";
};

TEST_F(StatusLineTest, FieldsOnEightyColumnsWithALongName) {
    const std::string name = "abcdefghij0123456789ABCDEFGHIJ";   // 30 characters
    const std::string shown = "..." + name.substr(11);             // 22 columns: "..." and the last 19
    open({"hello"}, 0, 0, name.c_str());
    keys({CODE_RIGHT});
    EXPECT_EQ(row(0), status_row(80, {{0, shown}, {25, HINT}, {66, "(i)"}, {71, "      INS"}}));
    keys({CODE_IC});
    EXPECT_EQ(row(0), status_row(80, {{0, shown}, {25, HINT}, {66, "(i)"}, {71, "      OVR"}}));
    keys("\x1bI\x1bi");   // a message stands in the 40 columns from 25, the other fields stay
    EXPECT_EQ(row(0), status_row(80, {{0, shown}, {25, "ln:1 col:2  100% (1 lines)"}, {66, "(i)"}, {71, "      INS"}}));
    // In command mode with a count, row 0 is "%" and the digits, and the mode field.
    keys("\x1b" "7");
    EXPECT_TRUE(shows(0, {status_row(80, {{0, "%7"}, {71, "      CMD"}})}, {0, 2}));
    keys({ENTER});
    EXPECT_TRUE(shows(0, {status_row(80, {{0, shown}, {25, HINT}, {66, "(i)"}, {71, "      INS"}})}, {2, 1}));
}

// The fields move with the width; the scroll indicator takes the mode field's first two.
TEST_F(StatusLineTest, FieldsOnOneHundredThirtyTwoColumns) {
    const std::string name = std::string(20, 'n') + std::string(20, 'm') + "0123456789abcdefghij";   // 60
    const std::string shown = "..." + name.substr(60 - 46);
    resize(43, 132);
    open({"hello"}, 0, 0, name.c_str());
    keys({CODE_DOWN});
    EXPECT_EQ(row(0), status_row(132, {{0, shown}, {52, HINT}, {118, "(i)"}, {123, "      INS"}}));
    keys({CODE_IC, ESC, ')'});
    EXPECT_EQ(row(0), status_row(132, {{0, shown}, {52, "Scrolled right to column 66"}, {118, "(i)"},
                                       {123, "<-    OVR"}}));
    keys("\x1b(");
    EXPECT_EQ(row(0), status_row(132, {{0, shown}, {52, "Scrolled left to column 0"}, {118, "(i)"},
                                       {123, "      OVR"}}));
}

// Whatever the next key does: typing, a motion, or a command that fails.
TEST_F(StatusLineTest, AMessageGivesWayToTheHintAtTheNextKey) {
    open({"one", "two"});
    keys("\x1byx");
    EXPECT_EQ(shown_message(), HINT);
    EXPECT_EQ(row(2), "xone");
    keys("\x1by");
    EXPECT_EQ(shown_message(), "Unknown command");
    keys({CODE_DOWN});
    EXPECT_EQ(shown_message(), HINT);
    keys("\x1bi");
    EXPECT_EQ(shown_message(), "ln:2 col:2  100% (2 lines)");
    keys("\x1bi");   // the same message again is still a new message
    keys("z");
    EXPECT_EQ(shown_message(), HINT);
    EXPECT_EQ(row(3), "tzwo");
}

}  // namespace
}  // namespace qx
