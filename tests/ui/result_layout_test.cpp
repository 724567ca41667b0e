#include "ui/result_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(ResultLayout, EachLevelShowsItsBoxesAndGrowsByItsRows)
{
    const struct {
        int level;
        int shown;
        int growth;
    } levels[] = {{0, 1, 0}, {1, 2, 0}, {2, 4, 0}, {3, 8, 23}, {4, 16, 69}};
    for (const auto& l : levels) {
        const auto layout = resultLayoutOf(l.level);
        ASSERT_TRUE(layout) << l.level;
        EXPECT_EQ(layout->shown, l.shown) << l.level;
        EXPECT_EQ(layout->growth, l.growth) << l.level;
    }
    for (int outside : {-1, 5})
        EXPECT_FALSE(resultLayoutOf(outside)) << outside;
}

TEST(ResultLayout, OneAndTwoBoxesSpanTheGridRow)
{
    const ResultLayout one = *resultLayoutOf(0);
    EXPECT_EQ(one.boxes[0], QRect(38, 246, 327, 21));

    // Side by side with a one-pixel gap, over the same 38..364.
    const ResultLayout two = *resultLayoutOf(1);
    EXPECT_EQ(two.boxes[0], QRect(38, 246, 164, 21));
    EXPECT_EQ(two.boxes[1], QRect(203, 246, 162, 21));
    EXPECT_EQ(two.boxes[1].left(), two.boxes[0].right() + 2);
    EXPECT_EQ(two.boxes[1].right(), one.boxes[0].right());
}

TEST(ResultLayout, FromLevelTwoTheBoxesFillRowsOfFour)
{
    // The grid of the window's design: columns at x 38, 120, 202 and 284,
    // rows at y 246, 271, 296 and 321, each box 81 by 21 pixels.
    const int xs[] = {38, 120, 202, 284};
    const int ys[] = {246, 271, 296, 321};
    for (int level : {2, 3, 4}) {
        const ResultLayout layout = *resultLayoutOf(level);
        for (int k = 0; k < layout.shown; ++k)
            EXPECT_EQ(layout.boxes[static_cast<std::size_t>(k)],
                      QRect(xs[k % 4], ys[k / 4], 81, 21))
                << "level " << level << ", box " << k + 1;
        EXPECT_EQ(layout.boxes[3].right(), 364); // the row spans 38..364
    }
}

} // namespace
