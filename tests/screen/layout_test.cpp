#include <gtest/gtest.h>

#include "screen/status.h"

namespace qx {
namespace {

TEST(StatusLayout, FieldsFollowTheScreenWidth) {
    StatusLayout l80 = ComputeLayout(80);
    EXPECT_EQ(l80.modeColumn, 71);
    EXPECT_EQ(l80.anchor, 71);
    EXPECT_EQ(l80.messageColumn, 25);
    EXPECT_EQ(l80.fileNameWidth, 23);
    EXPECT_EQ(l80.flagsColumn, 66);
    StatusLayout l132 = ComputeLayout(132);
    EXPECT_EQ(l132.modeColumn, 123);
    EXPECT_EQ(l132.anchor, 98);
    EXPECT_EQ(l132.messageColumn, 52);
    EXPECT_EQ(l132.fileNameWidth, 50);
    StatusLayout l81 = ComputeLayout(81);
    EXPECT_EQ(l81.anchor, 72) << "no correction until the screen is wider than 81";
}

TEST(StatusLayout, PositionPercentOfLargeFiles) {
    struct Case {
        int64_t number, count, percent;
    } cases[] = {{12, 24, 50}, {1, 3, 33}, {0, 0, 0}, {22000000, 22000000, 100}, {21999999, 22000000, 99},
                 {INT32_MAX, INT32_MAX, 100}, {1, INT32_MAX, 0}, {INT32_MAX / 2, INT32_MAX, 49}};
    for (const Case& c : cases)
        EXPECT_EQ(position_percent(c.number, c.count), c.percent) << c.number << " of " << c.count;
}

}  // namespace
}  // namespace qx
