#include "calc/Mosaic.h"

#include <gtest/gtest.h>

using namespace solvane;

TEST(Mosaic, RoundingAndTruncation)
{
    const struct {
        double value;
        int rounded, truncated;
    } cases[] = {{0.5, 0, 0}, {1.5, 2, 1}, {2.5, 2, 2}, {-0.5, 0, 0}, {-1.5, -2, -1}, {2.4999, 2, 2},
                 {-2.7, -3, -2}, {1e30, 2147483647, 2147483647}, {-1e30, -2147483647 - 1, -2147483647 - 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << c.value;
        EXPECT_EQ(TruncToInt(c.value), c.truncated) << c.value;
    }
}

TEST(Mosaic, RowsOfTheLines)
{
    // Ymin 300, Ymax 400, ten steps, a picture 410 pixels high: rows 0, 40, ..., 400.
    const double s = MosaicScale(410, 300, 400);
    EXPECT_EQ(s, 4);
    for (int line = 0; line <= 10; ++line)
        EXPECT_EQ(MosaicRowOf(line, 10, s), 40 * line);
    EXPECT_EQ(MosaicRowOf(1, 0.33, 10), 3); // the fraction is dropped
    // One line (Ymax = Ymin): no division by zero, everything on row 0.
    EXPECT_EQ(MosaicScale(410, 5, 5), 0);
    EXPECT_EQ(MosaicRowOf(0, 0, MosaicScale(410, 5, 5)), 0);
}

TEST(Mosaic, SegmentSpansAndPointPhaseMarks)
{
    const struct {
        double xa, xb, xmin, xmax;
        int width, first, last;
    } spans[] = {
        {0.9, 0.1, 0, 1, 400, 40, 360},       // swapped into order
        {0.5, 0.501, 0, 1, 400, 200, 200},    // one pixel
        {0.125, 0.375, 0, 1, 4, 0, 2},        // 0.5 and 1.5 round to even
        {0.6, 0.4, 0.2, 0.8, 300, 100, 200},  // scaled to the X range
        {0.5, 0.5, 0.5, 0.5, 300, 0, 0},      // X range of zero width
    };
    for (const auto& c : spans) {
        const TPixelSpan span = SegmentPixelSpan(c.xa, c.xb, c.xmin, c.xmax, c.width);
        EXPECT_EQ(span.First, c.first) << c.xa << " " << c.xb;
        EXPECT_EQ(span.Last, c.last) << c.xa << " " << c.xb;
    }
    const TPixelBox box = PointPhaseMarkBox(0.5, 401, 40);
    EXPECT_EQ(box.Left, 198);   // 198.5 rounds to even
    EXPECT_EQ(box.Right, 202);  // 202.5 too
    EXPECT_EQ(box.Top, 38);
    EXPECT_EQ(box.Bottom, 42);
}
