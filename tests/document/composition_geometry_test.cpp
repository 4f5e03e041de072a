// Where a composition puts things, as exact rectangles, and the two colours derived from the
// background. Every expected value below is worked out by hand from the rules: centred at
// natural size when strictly smaller in both directions, otherwise scaled by the smaller of
// the two ratios and truncated.

#include "document/composition_geometry.h"

#include <gtest/gtest.h>

namespace veltra {
namespace {

struct PlacementRow {
    std::uint32_t width;
    std::uint32_t height;
    int areaWidth;
    int areaHeight;
    bool naturalSize;
    QRect expected;
};

class PlacePictureTest : public ::testing::TestWithParam<PlacementRow> {};

TEST_P(PlacePictureTest, CentresAndNeverEnlarges)
{
    const PlacementRow& row = GetParam();
    const PicturePlacement placement =
        PlacePicture(row.width, row.height, row.areaWidth, row.areaHeight);
    EXPECT_EQ(placement.naturalSize, row.naturalSize);
    EXPECT_EQ(placement.rect, row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PlacePictureTest,
    ::testing::Values(
        // (400 - 200) / 2, (300 - 100) / 2.
        PlacementRow{200, 100, 400, 300, true, QRect(100, 100, 200, 100)},
        // (200 - 101) >> 1 = 49.
        PlacementRow{101, 100, 200, 200, true, QRect(49, 50, 101, 100)},
        // s = min(100 / 200, 100 / 400) = 0.25: 100 x 50, dy = (100 - 50) / 2.
        PlacementRow{400, 200, 100, 100, false, QRect(0, 25, 100, 50)},
        // Equal width is not strictly smaller: scaled path with s = 1, dy = (400 - 300) / 2.
        PlacementRow{300, 300, 300, 400, false, QRect(0, 50, 300, 300)},
        // Equal height alone also takes the scaled path: s = min(400 / 200, 100 / 100) = 1.
        PlacementRow{200, 100, 400, 100, false, QRect(100, 0, 200, 100)},
        // s = min(100 / 300, 100 / 200) = 1/3: 300 / 3 = 100, 200 / 3 = 66.67 truncated to 66,
        // dy = (100 - 66) / 2 = 17.
        PlacementRow{300, 200, 100, 100, false, QRect(0, 17, 100, 66)}));

struct FitRow {
    std::uint32_t pictureWidth;
    std::uint32_t pictureHeight;
    std::uint32_t watermarkWidth;
    std::uint32_t watermarkHeight;
    QRect expected;
};

class FitWatermarkTest : public ::testing::TestWithParam<FitRow> {};

TEST_P(FitWatermarkTest, LargestCentredFit)
{
    const FitRow& row = GetParam();
    EXPECT_EQ(FitWatermark(row.pictureWidth, row.pictureHeight, row.watermarkWidth,
                           row.watermarkHeight),
              row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FitWatermarkTest,
    ::testing::Values(
        // s = min(300 / 100, 400 / 50) = 3: 150 x 300 at ((400 - 150) / 2, 0).
        FitRow{400, 300, 50, 100, QRect(125, 0, 150, 300)},
        // s = min(300 / 50, 400 / 100) = 4: 400 x 200 at (0, 50).
        FitRow{400, 300, 100, 50, QRect(0, 50, 400, 200)},
        // Larger than the picture, shrunk: s = min(300 / 100, 400 / 800) = 0.5.
        FitRow{400, 300, 800, 100, QRect(0, 125, 400, 50)}));

TEST(WatermarkPositionTest, DefaultIsThePictureCentre)
{
    EXPECT_EQ(DefaultWatermarkPosition(400, 300), QPoint(200, 150));
    EXPECT_EQ(DefaultWatermarkPosition(401, 301), QPoint(200, 150));
}

TEST(WatermarkPositionTest, TopLeftIsSignedAroundTheCentre)
{
    // 100 x 50 around (200, 150): columns 150..249, rows 125..174.
    EXPECT_EQ(WatermarkTopLeft(QPoint(200, 150), 100, 50), QPoint(150, 125));
    // Wider than a 400-pixel picture: starts left of it, so that it stays centred.
    EXPECT_EQ(WatermarkTopLeft(QPoint(200, 150), 500, 50), QPoint(-50, 125));
    EXPECT_EQ(WatermarkTopLeft(QPoint(0, 0), 7, 9), QPoint(-3, -4));
}

struct ColorRow {
    COLORREF background;
    imaging::ARGB argb;
    COLORREF complement;
};

class BackgroundColorTest : public ::testing::TestWithParam<ColorRow> {};

TEST_P(BackgroundColorTest, ArgbAndComplement)
{
    const ColorRow& row = GetParam();
    EXPECT_EQ(BackgroundArgb(row.background), row.argb);
    EXPECT_EQ(ComplementColor(row.background), row.complement);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BackgroundColorTest,
    ::testing::Values(
        ColorRow{0xC0C0C0, 0xFFC0C0C0, 0x3F3F3F},
        // Red is the low byte of the stored colour and the third byte of ARGB.
        ColorRow{0x0000FF, 0xFFFF0000, 0xFFFF00},
        ColorRow{0x563412, 0xFF123456, 0xA9CBED},
        // 255 - 128 = 127: barely different from the background.
        ColorRow{0x808080, 0xFF808080, 0x7F7F7F},
        ColorRow{0x000000, 0xFF000000, 0xFFFFFF}));

}  // namespace
}  // namespace veltra
