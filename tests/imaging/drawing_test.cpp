// Surfaces and drawing: clearing, drawing at natural size, drawing part of a picture,
// stretching (smoothly when shrinking) and tiling with a texture. Expected pixels follow from
// the geometry of each call, worked out by hand.

#include "imaging/imaging_test_support.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace veltra::imaging {
namespace {

using test_support::ColourNear;
using test_support::LoadFixture;
using test_support::MakeSurface;
using test_support::QueryPixelFormat;
using test_support::QueryRawFormat;
using test_support::QuerySize;
using test_support::RowName;
using test_support::Size;
using test_support::Surface;

constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kGreen = qRgb(0, 255, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kTransparent = qRgba(0, 0, 0, 0);

// The surface's pixels once its drawing context is finished.
QImage Finish(Surface& surface)
{
    surface.graphics.reset();
    return PixelsForTesting(surface.bitmap.get()).convertToFormat(QImage::Format_ARGB32);
}

// A picture held by the service whose four quadrants, each half x half, are red, green (top
// right), blue (bottom left) and yellow.
ImagePtr Quadrants(int half)
{
    QImage pixels(2 * half, 2 * half, QImage::Format_ARGB32);
    for (int y = 0; y < 2 * half; ++y) {
        for (int x = 0; x < 2 * half; ++x) {
            const bool right = x >= half;
            const bool bottom = y >= half;
            pixels.setPixel(x, y, bottom ? (right ? kYellow : kBlue) : (right ? kGreen : kRed));
        }
    }
    return ImagePtr(new GpImage(std::move(pixels), ImageFormatPNG, PixelFormat24bppRGB));
}

TEST(GdipCreateBitmapFromScan0, ReportsMemoryBitmapAndItsFormat)
{
    GpBitmap* bitmap = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromScan0(7, 5, 0, PixelFormat32bppARGB, nullptr, &bitmap), Ok);
    ImagePtr owner(bitmap);
    EXPECT_EQ(QueryRawFormat(bitmap), ImageFormatMemoryBMP);
    EXPECT_EQ(QueryPixelFormat(bitmap), PixelFormat32bppARGB);
    EXPECT_EQ(QuerySize(bitmap), (Size{7, 5}));
    std::uint32_t items = 99;
    ASSERT_EQ(GdipGetPropertyCount(bitmap, &items), Ok);
    EXPECT_EQ(items, 0u);
}

TEST(GdipCreateBitmapFromScan0, RefusesAnEmptySize)
{
    GpBitmap* bitmap = nullptr;
    EXPECT_NE(GdipCreateBitmapFromScan0(0, 5, 0, PixelFormat32bppARGB, nullptr, &bitmap), Ok);
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_NE(GdipCreateBitmapFromScan0(5, -1, 0, PixelFormat32bppARGB, nullptr, &bitmap), Ok);
    EXPECT_EQ(bitmap, nullptr);
}

class ClearTest : public ::testing::TestWithParam<ARGB> {};

// The surface is first made opaque blue; clearing with any colour, transparent ones
// included, must replace what was there instead of blending over it.
TEST_P(ClearTest, ReplacesEveryPixelAlphaIncluded)
{
    Surface surface = MakeSurface(9, 7);
    ASSERT_EQ(GdipGraphicsClear(surface.graphics.get(), 0xFF0000FF), Ok);
    ASSERT_EQ(GdipGraphicsClear(surface.graphics.get(), GetParam()), Ok);
    const QImage pixels = Finish(surface);
    const QRgb expected = static_cast<QRgb>(GetParam());
    for (int y = 0; y < pixels.height(); ++y) {
        for (int x = 0; x < pixels.width(); ++x)
            ASSERT_TRUE(ColourNear(pixels.pixel(x, y), expected, 1)) << "at " << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Colours, ClearTest,
                         ::testing::Values(0x00000000u, 0x80FF0000u, 0x40FFFFFFu, 0xFF00FF00u,
                                           0xC0336699u));

// Through a caller's painter that carries its own transform, the clear still covers the
// whole device.
TEST(GdipGraphicsClear, CoversTheDeviceWhateverThePaintersTransform)
{
    QImage target(8, 6, QImage::Format_ARGB32);
    target.fill(qRgb(0, 0, 255));
    {
        QPainter painter(&target);
        painter.translate(3, 2);
        painter.scale(0.25, 0.25);
        GpGraphics* graphics = nullptr;
        ASSERT_EQ(GdipCreateFromHDC(&painter, &graphics), Ok);
        GraphicsPtr owner(graphics);
        ASSERT_EQ(GdipGraphicsClear(graphics, 0x80FF0000u), Ok);
    }
    for (const QPoint corner : {QPoint(0, 0), QPoint(7, 0), QPoint(0, 5), QPoint(7, 5)})
        EXPECT_TRUE(ColourNear(target.pixel(corner), qRgba(255, 0, 0, 128), 1));
}

class NaturalSizeTest : public ::testing::TestWithParam<const char*> {};

// A 10 x 10 red picture drawn at (5, 5) covers exactly the pixels 5..14 on both axes,
// whatever resolution its file declares.
TEST_P(NaturalSizeTest, OnePicturePixelPerTargetPixel)
{
    auto loaded = LoadFixture(GetParam());
    ASSERT_EQ(loaded.status, Ok);
    Surface surface = MakeSurface(30, 30);
    ASSERT_EQ(GdipDrawImageI(surface.graphics.get(), loaded.image.get(), 5, 5), Ok);
    const QImage pixels = Finish(surface);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 30; ++x) {
            const bool inside = x >= 5 && x < 15 && y >= 5 && y < 15;
            ASSERT_TRUE(ColourNear(pixels.pixel(x, y), inside ? kRed : kTransparent, 0))
                << "at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, NaturalSizeTest,
                         ::testing::Values("png_red_10x10_300dpi.png", "png_red_10x10_72dpi.png"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return RowName(info.param);
                         });

struct SourceRectRow {
    const char* name;
    QRect source;
    QRgb colour;  // the quadrant the source rectangle lies in
};

class DrawImagePointRectTest : public ::testing::TestWithParam<SourceRectRow> {};

// From the 4 x 4 quadrant picture, one 2 x 2 quadrant is drawn at (1, 1) of a 6 x 6 surface:
// that quadrant's colour fills (1..2, 1..2) and nothing else is touched.
TEST_P(DrawImagePointRectTest, DrawsOnlyTheSourceRectangle)
{
    ImagePtr picture = Quadrants(2);
    Surface surface = MakeSurface(6, 6);
    const QRect source = GetParam().source;
    ASSERT_EQ(GdipDrawImagePointRectI(surface.graphics.get(), picture.get(), 1, 1, source.x(),
                                      source.y(), source.width(), source.height(), UnitPixel),
              Ok);
    const QImage pixels = Finish(surface);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 3 && y >= 1 && y < 3;
            ASSERT_TRUE(ColourNear(pixels.pixel(x, y), inside ? GetParam().colour : kTransparent, 0))
                << "at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Quadrants, DrawImagePointRectTest,
                         ::testing::Values(SourceRectRow{"top_left", QRect(0, 0, 2, 2), kRed},
                                           SourceRectRow{"top_right", QRect(2, 0, 2, 2), kGreen},
                                           SourceRectRow{"bottom_left", QRect(0, 2, 2, 2), kBlue},
                                           SourceRectRow{"bottom_right", QRect(2, 2, 2, 2), kYellow}),
                         [](const ::testing::TestParamInfo<SourceRectRow>& info) {
                             return std::string(info.param.name);
                         });

// The 2 x 2 quadrant picture (one pixel per colour) stretched to 20 x 20: each corner of the
// target shows its own colour, and nothing outside the target is drawn.
TEST(GdipDrawImageRectRect, StretchesTheSourceOverTheTarget)
{
    ImagePtr picture = Quadrants(1);
    Surface surface = MakeSurface(24, 24);
    ASSERT_EQ(GdipDrawImageRectRect(surface.graphics.get(), picture.get(), 2, 2, 20, 20, 0, 0, 2, 2,
                                    UnitPixel),
              Ok);
    const QImage pixels = Finish(surface);
    EXPECT_TRUE(ColourNear(pixels.pixel(2, 2), kRed, 8));
    EXPECT_TRUE(ColourNear(pixels.pixel(21, 2), kGreen, 8));
    EXPECT_TRUE(ColourNear(pixels.pixel(2, 21), kBlue, 8));
    EXPECT_TRUE(ColourNear(pixels.pixel(21, 21), kYellow, 8));
    for (const QPoint outside : {QPoint(1, 1), QPoint(22, 2), QPoint(2, 22), QPoint(22, 22)})
        EXPECT_EQ(qAlpha(pixels.pixel(outside)), 0) << outside.x() << "," << outside.y();
}

// Only the source rectangle is stretched: the green pixel alone fills the whole target.
TEST(GdipDrawImageRectRect, StretchesOnlyTheSourceRectangle)
{
    ImagePtr picture = Quadrants(1);
    Surface surface = MakeSurface(12, 12);
    ASSERT_EQ(GdipDrawImageRectRect(surface.graphics.get(), picture.get(), 0, 0, 10, 10, 1, 0, 1, 1,
                                    UnitPixel),
              Ok);
    const QImage pixels = Finish(surface);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x)
            ASSERT_TRUE(ColourNear(pixels.pixel(x, y), kGreen, 8)) << "at " << x << "," << y;
    }
    EXPECT_EQ(qAlpha(pixels.pixel(11, 11)), 0);
}

struct ShrinkRow {
    int pictureSide;
    int targetSide;
};

class ShrinkTest : public ::testing::TestWithParam<ShrinkRow> {};

// A one-pixel black and white checkerboard shrunk a lot: every target pixel averages many
// black and white pixels and comes out near mid-grey. Sampling without filtering would give
// black or white pixels, or a coarse pattern.
TEST_P(ShrinkTest, AveragesSmoothly)
{
    const int side = GetParam().pictureSide;
    const int target = GetParam().targetSide;
    QImage checkerboard(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y) {
        auto* line = reinterpret_cast<QRgb*>(checkerboard.scanLine(y));
        for (int x = 0; x < side; ++x)
            line[x] = (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    }
    ImagePtr picture(new GpImage(std::move(checkerboard), ImageFormatPNG, PixelFormat24bppRGB));
    Surface surface = MakeSurface(target, target);
    ASSERT_EQ(GdipDrawImageRectRect(surface.graphics.get(), picture.get(), 0, 0,
                                    static_cast<REAL>(target), static_cast<REAL>(target), 0, 0,
                                    static_cast<REAL>(side), static_cast<REAL>(side), UnitPixel),
              Ok);
    const QImage pixels = Finish(surface);
    int worst = 0;
    for (int y = 0; y < target; ++y) {
        for (int x = 0; x < target; ++x) {
            const QRgb p = pixels.pixel(x, y);
            ASSERT_EQ(qAlpha(p), 255);
            worst = std::max({worst, std::abs(qRed(p) - 128), std::abs(qGreen(p) - 128),
                              std::abs(qBlue(p) - 128)});
        }
    }
    EXPECT_LE(worst, 16) << "a target pixel strays this far from mid-grey";
}

INSTANTIATE_TEST_SUITE_P(Sizes, ShrinkTest,
                         ::testing::Values(ShrinkRow{2000, 100}, ShrinkRow{1000, 70},
                                           ShrinkRow{640, 64}),
                         [](const ::testing::TestParamInfo<ShrinkRow>& info) {
                             return std::to_string(info.param.pictureSide) + "_to_" +
                                    std::to_string(info.param.targetSide);
                         });

// Shrunk by only a third, a one-pixel checkerboard falls between the picture's pixels
// everywhere: filtered drawing mixes black and white in every target pixel, where unfiltered
// drawing would pick pure black or pure white ones.
TEST(GdipDrawImageRectRect, FiltersWhenShrinkingALittle)
{
    QImage checkerboard(150, 150, QImage::Format_RGB32);
    for (int y = 0; y < 150; ++y) {
        for (int x = 0; x < 150; ++x)
            checkerboard.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
    ImagePtr picture(new GpImage(std::move(checkerboard), ImageFormatPNG, PixelFormat24bppRGB));
    Surface surface = MakeSurface(100, 100);
    ASSERT_EQ(GdipDrawImageRectRect(surface.graphics.get(), picture.get(), 0, 0, 100, 100, 0, 0,
                                    150, 150, UnitPixel),
              Ok);
    const QImage pixels = Finish(surface);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            const int grey = qGray(pixels.pixel(x, y));
            ASSERT_GT(grey, 30) << "at " << x << "," << y;
            ASSERT_LT(grey, 225) << "at " << x << "," << y;
        }
    }
}

class TextureTest : public ::testing::TestWithParam<QRect> {};

// A 2 x 2 texture (red, green / blue, yellow) tiles from the surface's origin: whatever the
// rectangle, the pixel at (x, y) shows texture pixel (x mod 2, y mod 2), so tile boundaries
// fall on even coordinates. Outside the rectangle nothing is drawn.
TEST_P(TextureTest, TilesFromTheSurfaceOrigin)
{
    ImagePtr tile = Quadrants(1);
    GpTexture* texture = nullptr;
    ASSERT_EQ(GdipCreateTexture(tile.get(), WrapModeTile, &texture), Ok);
    BrushPtr brush(texture);
    Surface surface = MakeSurface(10, 10);
    const QRect rect = GetParam();
    ASSERT_EQ(GdipFillRectangleI(surface.graphics.get(), texture, rect.x(), rect.y(), rect.width(),
                                 rect.height()),
              Ok);
    const QImage pixels = Finish(surface);
    const QRgb texel[2][2] = {{kRed, kGreen}, {kBlue, kYellow}};  // [row][column]
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const QRgb expected = rect.contains(x, y) ? texel[y % 2][x % 2] : kTransparent;
            ASSERT_TRUE(ColourNear(pixels.pixel(x, y), expected, 0)) << "at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rectangles, TextureTest,
                         ::testing::Values(QRect(1, 1, 6, 6), QRect(0, 0, 10, 10), QRect(3, 2, 4, 5),
                                           QRect(5, 7, 1, 1)),
                         [](const ::testing::TestParamInfo<QRect>& info) {
                             const QRect r = info.param;
                             return "at_" + std::to_string(r.x()) + "_" + std::to_string(r.y()) +
                                    "_size_" + std::to_string(r.width()) + "x" +
                                    std::to_string(r.height());
                         });

}  // namespace
}  // namespace veltra::imaging
