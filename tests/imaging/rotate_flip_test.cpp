// Turning pictures: clockwise by the type's angle, then mirrored left to right for the FlipX
// types. Expected pictures are drawn by hand (letters stand for six different colours) or
// placed by a coordinate mapping written out here; Qt's own transforms are not used.

#include "imaging/imaging_test_support.h"
#include "imaging/orientation.h"

#include <QPoint>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace veltra::imaging {
namespace {

using test_support::ColourNear;
using test_support::DrawnOnSurface;
using test_support::LoadFixture;
using test_support::QueryPixelFormat;
using test_support::QueryRawFormat;
using test_support::QuerySize;
using test_support::RowName;
using test_support::Size;

const std::map<char, QRgb>& LetterColours()
{
    static const std::map<char, QRgb> colours{
        {'A', qRgb(255, 0, 0)},   {'B', qRgb(0, 255, 0)},   {'C', qRgb(0, 0, 255)},
        {'D', qRgb(255, 255, 0)}, {'E', qRgb(0, 255, 255)}, {'F', qRgb(255, 0, 255)},
    };
    return colours;
}

// Rows of letters separated by '/', such as "ABC/DEF".
std::vector<std::string> GridRows(const std::string& grid)
{
    std::vector<std::string> rows(1);
    for (char c : grid) {
        if (c == '/')
            rows.emplace_back();
        else
            rows.back() += c;
    }
    return rows;
}

// A picture held by the service, built directly so that its file facts can be chosen.
ImagePtr PictureFromGrid(const std::string& grid)
{
    const std::vector<std::string> rows = GridRows(grid);
    QImage pixels(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()),
                  QImage::Format_ARGB32);
    for (int y = 0; y < pixels.height(); ++y) {
        for (int x = 0; x < pixels.width(); ++x)
            pixels.setPixel(x, y, LetterColours().at(rows[y][x]));
    }
    return ImagePtr(new GpImage(std::move(pixels), ImageFormatPNG, PixelFormat24bppRGB,
                                Resolution{300.0f, 150.0f}));
}

std::string GridOf(const QImage& pixels)
{
    std::string grid;
    for (int y = 0; y < pixels.height(); ++y) {
        if (y > 0)
            grid += '/';
        for (int x = 0; x < pixels.width(); ++x) {
            char letter = '?';
            for (const auto& [name, colour] : LetterColours()) {
                if (pixels.pixel(x, y) == colour)
                    letter = name;
            }
            grid += letter;
        }
    }
    return grid;
}

struct TurnRow {
    RotateFlipType type;
    const char* expected;  // the 3 x 2 picture "ABC/DEF" after the turn
};

class RotateFlipGridTest : public ::testing::TestWithParam<TurnRow> {};

TEST_P(RotateFlipGridTest, TurnsClockwiseThenMirrors)
{
    ImagePtr image = PictureFromGrid("ABC/DEF");
    ASSERT_EQ(GdipImageRotateFlip(image.get(), GetParam().type), Ok);
    EXPECT_EQ(GridOf(PixelsForTesting(image.get())), GetParam().expected);
    const bool quarterTurn = (GetParam().type & 1) != 0;
    EXPECT_EQ(QuerySize(image.get()), quarterTurn ? (Size{2, 3}) : (Size{3, 2}));
    // What the file said about itself stays as it was.
    EXPECT_EQ(QueryRawFormat(image.get()), ImageFormatPNG);
    EXPECT_EQ(QueryPixelFormat(image.get()), PixelFormat24bppRGB);
    REAL horizontal = 0.0f;
    REAL vertical = 0.0f;
    ASSERT_EQ(GdipGetImageHorizontalResolution(image.get(), &horizontal), Ok);
    ASSERT_EQ(GdipGetImageVerticalResolution(image.get(), &vertical), Ok);
    EXPECT_FLOAT_EQ(horizontal, 300.0f);
    EXPECT_FLOAT_EQ(vertical, 150.0f);
}

//   ABC   90:  DA   180:  FED   270:  CF   FlipX:  CBA   90X:  AD   180X:  DEF   270X:  FC
//   DEF        EB         CBA         BE           FED         BE          ABC          EB
//              FC                     AD                       CF                       DA
INSTANTIATE_TEST_SUITE_P(
    AllTypes, RotateFlipGridTest,
    ::testing::Values(TurnRow{RotateNoneFlipNone, "ABC/DEF"}, TurnRow{Rotate90FlipNone, "DA/EB/FC"},
                      TurnRow{Rotate180FlipNone, "FED/CBA"}, TurnRow{Rotate270FlipNone, "CF/BE/AD"},
                      TurnRow{RotateNoneFlipX, "CBA/FED"}, TurnRow{Rotate90FlipX, "AD/BE/CF"},
                      TurnRow{Rotate180FlipX, "DEF/ABC"}, TurnRow{Rotate270FlipX, "FC/EB/DA"}),
    [](const ::testing::TestParamInfo<TurnRow>& info) {
        return std::string(RotateFlipTypeName(info.param.type));
    });

// Where the pixel at (x, y) of a width x height picture lands: a clockwise quarter turn sends
// the top row to the right column; the mirror then swaps left and right.
QPoint Destination(RotateFlipType type, int x, int y, int width, int height)
{
    QPoint turned;
    int turnedWidth = width;
    switch (static_cast<int>(type) & 3) {
    case 0: turned = QPoint(x, y); break;
    case 1: turned = QPoint(height - 1 - y, x); turnedWidth = height; break;
    case 2: turned = QPoint(width - 1 - x, height - 1 - y); break;
    case 3: turned = QPoint(y, width - 1 - x); turnedWidth = height; break;
    }
    if (static_cast<int>(type) & 4)
        turned.setX(turnedWidth - 1 - turned.x());
    return turned;
}

// Decoded files come in many of Qt's pixel layouts (one bit, indexed, grey 8 and 16 bits,
// 16-bit colour, premultiplied); each must turn alike and keep its file facts.
class RotateFlipDecodedTest
    : public ::testing::TestWithParam<std::tuple<const char*, RotateFlipType>> {};

TEST_P(RotateFlipDecodedTest, MovesEveryPixelAndKeepsFileFacts)
{
    const auto [file, type] = GetParam();
    auto loaded = LoadFixture(file);
    ASSERT_EQ(loaded.status, Ok);
    GpImage* image = loaded.image.get();
    const QImage before = DrawnOnSurface(image);
    const GUID rawFormat = QueryRawFormat(image);
    const PixelFormat pixelFormat = QueryPixelFormat(image);
    REAL dpiBefore[2] = {};
    ASSERT_EQ(GdipGetImageHorizontalResolution(image, &dpiBefore[0]), Ok);
    ASSERT_EQ(GdipGetImageVerticalResolution(image, &dpiBefore[1]), Ok);

    ASSERT_EQ(GdipImageRotateFlip(image, type), Ok);
    const QImage after = DrawnOnSurface(image);
    const bool quarterTurn = (type & 1) != 0;
    ASSERT_EQ(after.width(), quarterTurn ? before.height() : before.width());
    ASSERT_EQ(after.height(), quarterTurn ? before.width() : before.height());
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            const QPoint to = Destination(type, x, y, before.width(), before.height());
            EXPECT_TRUE(ColourNear(after.pixel(to), before.pixel(x, y), 0))
                << "pixel " << x << "," << y << " moved to " << to.x() << "," << to.y();
        }
    }
    EXPECT_EQ(QueryRawFormat(image), rawFormat);
    EXPECT_EQ(QueryPixelFormat(image), pixelFormat);
    REAL dpiAfter[2] = {};
    ASSERT_EQ(GdipGetImageHorizontalResolution(image, &dpiAfter[0]), Ok);
    ASSERT_EQ(GdipGetImageVerticalResolution(image, &dpiAfter[1]), Ok);
    EXPECT_EQ(dpiAfter[0], dpiBefore[0]);
    EXPECT_EQ(dpiAfter[1], dpiBefore[1]);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, RotateFlipDecodedTest,
    ::testing::Combine(::testing::Values("png_palette_1bit.png", "png_palette_8bit_trns.png",
                                         "png_grey_8bit.png", "png_grey_16bit.png",
                                         "png_rgb_16bit.png", "png_rgba_16bit.png",
                                         "png_rgba_8bit.png", "bmp_24bit.bmp",
                                         "tiff_rgb_8bit_associated_alpha.tif",
                                         "tiff_300x150_per_inch.tif"),
                       ::testing::Values(RotateNoneFlipNone, Rotate90FlipNone, Rotate180FlipNone,
                                         Rotate270FlipNone, RotateNoneFlipX, Rotate90FlipX,
                                         Rotate180FlipX, Rotate270FlipX)),
    [](const ::testing::TestParamInfo<std::tuple<const char*, RotateFlipType>>& info) {
        return RowName(std::get<0>(info.param)) + "_" +
               RotateFlipTypeName(std::get<1>(info.param));
    });

TEST(GdipImageRotateFlip, RefusesUnknownTypesAndLeavesThePictureAlone)
{
    ImagePtr image = PictureFromGrid("ABC/DEF");
    EXPECT_EQ(GdipImageRotateFlip(image.get(), static_cast<RotateFlipType>(8)), InvalidParameter);
    EXPECT_EQ(GdipImageRotateFlip(image.get(), static_cast<RotateFlipType>(-1)), InvalidParameter);
    EXPECT_EQ(GridOf(PixelsForTesting(image.get())), "ABC/DEF");
    EXPECT_EQ(GdipImageRotateFlip(nullptr, Rotate90FlipNone), InvalidParameter);
}

// Four quarter turns, or two mirrors, give the picture back.
TEST(GdipImageRotateFlip, ComposesBackToTheOriginal)
{
    ImagePtr image = PictureFromGrid("ABC/DEF");
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(GdipImageRotateFlip(image.get(), Rotate90FlipNone), Ok);
    EXPECT_EQ(GridOf(PixelsForTesting(image.get())), "ABC/DEF");
    ASSERT_EQ(GdipImageRotateFlip(image.get(), Rotate90FlipX), Ok);
    ASSERT_EQ(GdipImageRotateFlip(image.get(), Rotate90FlipX), Ok);
    EXPECT_EQ(GridOf(PixelsForTesting(image.get())), "ABC/DEF");
}

}  // namespace
}  // namespace veltra::imaging
