// Halving with a box filter and turning, on pictures whose every pixel is worked out by hand.

#include "service/pixel_operations.h"

#include <gtest/gtest.h>

namespace veltra::imaging {
namespace {

// Each output pixel is the rounded mean of its 2 x 2 block, channel by channel, premultiplied;
// an odd last column or row averages what it has.
TEST(HalvedByBox, AveragesEachBlockAndRoundsOddSizesUp)
{
    QImage picture(3, 3, QImage::Format_ARGB32_Premultiplied);
    const QRgb pixels[3][3] = {
        {qRgba(0, 0, 0, 255), qRgba(100, 0, 0, 255), qRgba(10, 20, 30, 255)},
        {qRgba(0, 200, 0, 255), qRgba(0, 0, 255, 255), qRgba(30, 40, 50, 255)},
        {qRgba(4, 8, 12, 255), qRgba(8, 12, 16, 255), qRgba(0, 0, 0, 0)},
    };
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            picture.setPixel(x, y, pixels[y][x]);

    const QImage halved = HalvedByBox(picture);
    ASSERT_EQ(halved.size(), QSize(2, 2));
    EXPECT_EQ(halved.pixel(0, 0), qRgba(25, 50, 64, 255));  // (0+100+0+0)/4, (200)/4, (255+2)/4
    EXPECT_EQ(halved.pixel(1, 0), qRgba(20, 30, 40, 255));  // the last column alone
    EXPECT_EQ(halved.pixel(0, 1), qRgba(6, 10, 14, 255));   // the last row alone
    EXPECT_EQ(qAlpha(halved.pixel(1, 1)), 0);              // a transparent corner stays so
}

// A large picture is split between two threads; the rows where they meet come out the same.
TEST(HalvedByBox, RowsSplitBetweenThreadsMatchThoseHalvedAlone)
{
    QImage picture(64, 1200, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb((x * 7 + y) % 256, (y * 3) % 256, (x * y) % 256));
    const QImage whole = HalvedByBox(picture);
    const QImage bottom = HalvedByBox(picture.copy(0, 600, 64, 600));
    EXPECT_EQ(whole.copy(0, 300, 32, 300), bottom);
}

}  // namespace
}  // namespace veltra::imaging
