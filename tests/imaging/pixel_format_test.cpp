// The pixel format reported for each kind of file, one fixture per row of the table. Every
// fixture is tiny and its first and last pixels are known from how it was made (see
// scripts/make_fixtures.py, which also has ImageMagick read them back), so each row also
// proves that the picture decodes and draws correctly.

#include "imaging/imaging_test_support.h"

#include <gtest/gtest.h>

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

constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kGrey85 = qRgb(85, 85, 85);
constexpr QRgb kLeaf = qRgb(10, 200, 30);
constexpr QRgb kTransparent = qRgba(0, 0, 0, 0);
constexpr QRgb kHalfBlue = qRgba(0, 0, 255, 128);
constexpr QRgb kHalfWhite = qRgba(255, 255, 255, 128);

constexpr Size kSmall{3, 2};
constexpr Size kJpeg{16, 8};
constexpr Size kIcon{16, 16};

struct PixelFormatRow {
    const char* file;
    PixelFormat pixelFormat;
    GUID rawFormat;
    Size size;
    QRgb firstPixel;
    QRgb lastPixel;
    int tolerance;
};

void PrintTo(const PixelFormatRow& row, std::ostream* os)
{
    *os << row.file;
}

class PixelFormatTest : public ::testing::TestWithParam<PixelFormatRow> {};

TEST_P(PixelFormatTest, HoldsTheFirstFrameWithoutLoss)
{
    const PixelFormatRow& row = GetParam();
    auto loaded = LoadFixture(row.file);
    ASSERT_EQ(loaded.status, Ok);
    GpImage* image = loaded.image.get();
    EXPECT_EQ(QueryPixelFormat(image), row.pixelFormat)
        << std::hex << "0x" << QueryPixelFormat(image) << " instead of 0x" << row.pixelFormat;
    EXPECT_EQ(QueryRawFormat(image), row.rawFormat);
    ASSERT_EQ(QuerySize(image), row.size);
    const QImage drawn = DrawnOnSurface(image);
    EXPECT_TRUE(ColourNear(drawn.pixel(0, 0), row.firstPixel, row.tolerance)) << "first pixel";
    EXPECT_TRUE(ColourNear(drawn.pixel(drawn.width() - 1, drawn.height() - 1), row.lastPixel,
                           row.tolerance))
        << "last pixel";
}

std::string NameOf(const ::testing::TestParamInfo<PixelFormatRow>& info)
{
    return RowName(info.param.file);
}

INSTANTIATE_TEST_SUITE_P(
    Png, PixelFormatTest,
    ::testing::Values(
        PixelFormatRow{"png_palette_1bit.png", PixelFormat1bppIndexed, ImageFormatPNG, kSmall, kRed, kBlue, 0},
        PixelFormatRow{"png_palette_1bit_trns.png", PixelFormat1bppIndexed, ImageFormatPNG, kSmall, kRed, kTransparent, 0},
        PixelFormatRow{"png_palette_2bit.png", PixelFormat4bppIndexed, ImageFormatPNG, kSmall, kRed, kYellow, 0},
        PixelFormatRow{"png_palette_2bit_trns.png", PixelFormat4bppIndexed, ImageFormatPNG, kSmall, kRed, kTransparent, 0},
        PixelFormatRow{"png_palette_4bit.png", PixelFormat4bppIndexed, ImageFormatPNG, kSmall, kRed, kYellow, 0},
        PixelFormatRow{"png_palette_4bit_trns.png", PixelFormat4bppIndexed, ImageFormatPNG, kSmall, kRed, kTransparent, 0},
        PixelFormatRow{"png_palette_8bit.png", PixelFormat8bppIndexed, ImageFormatPNG, kSmall, kRed, kYellow, 0},
        PixelFormatRow{"png_palette_8bit_trns.png", PixelFormat8bppIndexed, ImageFormatPNG, kSmall, kRed, kTransparent, 0},
        PixelFormatRow{"png_grey_1bit.png", PixelFormat1bppIndexed, ImageFormatPNG, kSmall, kWhite, kBlack, 0},
        PixelFormatRow{"png_grey_1bit_trns.png", PixelFormat32bppARGB, ImageFormatPNG, kSmall, kWhite, kTransparent, 0},
        PixelFormatRow{"png_grey_2bit.png", PixelFormat4bppIndexed, ImageFormatPNG, kSmall, kWhite, kGrey85, 0},
        PixelFormatRow{"png_grey_2bit_trns.png", PixelFormat32bppARGB, ImageFormatPNG, kSmall, kWhite, kTransparent, 0},
        PixelFormatRow{"png_grey_4bit.png", PixelFormat4bppIndexed, ImageFormatPNG, kSmall, kWhite, kGrey85, 0},
        PixelFormatRow{"png_grey_4bit_trns.png", PixelFormat32bppARGB, ImageFormatPNG, kSmall, kWhite, kTransparent, 0},
        PixelFormatRow{"png_grey_8bit.png", PixelFormat8bppIndexed, ImageFormatPNG, kSmall, kWhite, kGrey85, 0},
        PixelFormatRow{"png_grey_8bit_trns.png", PixelFormat32bppARGB, ImageFormatPNG, kSmall, kWhite, kTransparent, 0},
        PixelFormatRow{"png_grey_16bit.png", PixelFormat16bppGrayScale, ImageFormatPNG, kSmall, kWhite, kGrey85, 0},
        PixelFormatRow{"png_grey_16bit_trns.png", PixelFormat64bppARGB, ImageFormatPNG, kSmall, kWhite, kTransparent, 0},
        PixelFormatRow{"png_grey_alpha_8bit.png", PixelFormat32bppARGB, ImageFormatPNG, kSmall, kGrey85, kHalfWhite, 1},
        PixelFormatRow{"png_grey_alpha_16bit.png", PixelFormat64bppARGB, ImageFormatPNG, kSmall, kGrey85, kHalfWhite, 1},
        PixelFormatRow{"png_rgb_8bit.png", PixelFormat24bppRGB, ImageFormatPNG, kSmall, kRed, kLeaf, 0},
        PixelFormatRow{"png_rgb_8bit_trns.png", PixelFormat32bppARGB, ImageFormatPNG, kSmall, kRed, kTransparent, 0},
        PixelFormatRow{"png_rgb_16bit.png", PixelFormat48bppRGB, ImageFormatPNG, kSmall, kRed, kLeaf, 0},
        PixelFormatRow{"png_rgb_16bit_trns.png", PixelFormat64bppARGB, ImageFormatPNG, kSmall, kRed, kTransparent, 0},
        PixelFormatRow{"png_rgba_8bit.png", PixelFormat32bppARGB, ImageFormatPNG, kSmall, kRed, kHalfBlue, 1},
        PixelFormatRow{"png_rgba_16bit.png", PixelFormat64bppARGB, ImageFormatPNG, kSmall, kRed, kHalfBlue, 1}),
    NameOf);

// The JPEG fixtures are one solid colour each; lossy coding moves it a little.
INSTANTIATE_TEST_SUITE_P(
    Jpeg, PixelFormatTest,
    ::testing::Values(
        PixelFormatRow{"jpeg_3_components.jpg", PixelFormat24bppRGB, ImageFormatJPEG, kJpeg,
                       qRgb(200, 60, 40), qRgb(200, 60, 40), 4},
        PixelFormatRow{"jpeg_1_component.jpg", PixelFormat8bppIndexed, ImageFormatJPEG, kJpeg,
                       qRgb(100, 100, 100), qRgb(100, 100, 100), 2},
        PixelFormatRow{"jpeg_cmyk.jpg", PixelFormat32bppCMYK, ImageFormatJPEG, kJpeg, kRed, kRed, 6}),
    NameOf);

INSTANTIATE_TEST_SUITE_P(
    Gif, PixelFormatTest,
    ::testing::Values(
        PixelFormatRow{"gif_one_frame.gif", PixelFormat8bppIndexed, ImageFormatGIF, kSmall, kRed, kBlue, 0},
        PixelFormatRow{"gif_two_frames.gif", PixelFormat8bppIndexed, ImageFormatGIF, {4, 3}, kRed, kRed, 0}),
    NameOf);

// Five-bit channels come back scaled to eight bits, rounded one way or the other.
INSTANTIATE_TEST_SUITE_P(
    Bmp, PixelFormatTest,
    ::testing::Values(
        PixelFormatRow{"bmp_1bit.bmp", PixelFormat1bppIndexed, ImageFormatBMP, kSmall, kRed, kBlue, 0},
        PixelFormatRow{"bmp_4bit.bmp", PixelFormat4bppIndexed, ImageFormatBMP, kSmall, kRed, kYellow, 0},
        PixelFormatRow{"bmp_8bit.bmp", PixelFormat8bppIndexed, ImageFormatBMP, kSmall, kRed, kYellow, 0},
        PixelFormatRow{"bmp_16bit_555.bmp", PixelFormat16bppRGB555, ImageFormatBMP, kSmall, kRed, qRgb(0, 255, 0), 8},
        PixelFormatRow{"bmp_16bit_555_bitfields.bmp", PixelFormat16bppRGB555, ImageFormatBMP, kSmall, kRed, qRgb(0, 255, 0), 8},
        PixelFormatRow{"bmp_16bit_565_bitfields.bmp", PixelFormat16bppRGB565, ImageFormatBMP, kSmall, kRed, qRgb(0, 255, 0), 8},
        PixelFormatRow{"bmp_24bit.bmp", PixelFormat24bppRGB, ImageFormatBMP, kSmall, kRed, kLeaf, 0},
        // The unused fourth byte is zero in the file; the picture is still opaque.
        PixelFormatRow{"bmp_32bit_no_alpha_mask.bmp", PixelFormat32bppRGB, ImageFormatBMP, kSmall, kRed, kLeaf, 0},
        // A V5 header whose alpha mask is zero: no alpha either.
        PixelFormatRow{"bmp_32bit_v5_zero_alpha_mask.bmp", PixelFormat32bppRGB, ImageFormatBMP, kSmall, kRed, kLeaf, 0},
        PixelFormatRow{"bmp_32bit_alpha_mask_v4.bmp", PixelFormat32bppARGB, ImageFormatBMP, kSmall, kRed, kHalfBlue, 1},
        PixelFormatRow{"bmp_32bit_alpha_mask_v5.bmp", PixelFormat32bppARGB, ImageFormatBMP, kSmall, kRed, kHalfBlue, 1}),
    NameOf);

INSTANTIATE_TEST_SUITE_P(
    Tiff, PixelFormatTest,
    ::testing::Values(
        PixelFormatRow{"tiff_bilevel.tif", PixelFormat1bppIndexed, ImageFormatTIFF, kSmall, kWhite, kBlack, 0},
        PixelFormatRow{"tiff_palette_1bit.tif", PixelFormat1bppIndexed, ImageFormatTIFF, kSmall, kRed, kBlue, 0},
        PixelFormatRow{"tiff_grey_4bit.tif", PixelFormat4bppIndexed, ImageFormatTIFF, kSmall, kWhite, kGrey85, 0},
        PixelFormatRow{"tiff_palette_4bit.tif", PixelFormat4bppIndexed, ImageFormatTIFF, kSmall, kRed, kYellow, 0},
        PixelFormatRow{"tiff_grey_8bit.tif", PixelFormat8bppIndexed, ImageFormatTIFF, kSmall, kWhite, kGrey85, 0},
        PixelFormatRow{"tiff_palette_8bit.tif", PixelFormat8bppIndexed, ImageFormatTIFF, kSmall, kRed, kYellow, 0},
        PixelFormatRow{"tiff_grey_16bit.tif", PixelFormat16bppGrayScale, ImageFormatTIFF, kSmall, kWhite, kGrey85, 0},
        PixelFormatRow{"tiff_rgb_8bit.tif", PixelFormat24bppRGB, ImageFormatTIFF, kSmall, kRed, kLeaf, 0},
        PixelFormatRow{"tiff_big_endian_rgb_8bit.tif", PixelFormat24bppRGB, ImageFormatTIFF, kSmall, kRed, kLeaf, 0},
        PixelFormatRow{"tiff_rgb_8bit_associated_alpha.tif", PixelFormat32bppPARGB, ImageFormatTIFF, kSmall, kRed, kHalfBlue, 2},
        PixelFormatRow{"tiff_rgb_8bit_unassociated_alpha.tif", PixelFormat32bppARGB, ImageFormatTIFF, kSmall, kRed, kHalfBlue, 1},
        PixelFormatRow{"tiff_rgb_16bit.tif", PixelFormat48bppRGB, ImageFormatTIFF, kSmall, kRed, kLeaf, 0},
        PixelFormatRow{"tiff_rgb_16bit_alpha.tif", PixelFormat64bppARGB, ImageFormatTIFF, kSmall, kRed, kHalfBlue, 1},
        PixelFormatRow{"tiff_cmyk_8bit.tif", PixelFormat32bppCMYK, ImageFormatTIFF, kSmall, kRed, kBlue, 0}),
    NameOf);

// Icons are always 32bppARGB, whatever depth the icon image has; the 8-bit one's AND mask
// makes its last pixel transparent.
INSTANTIATE_TEST_SUITE_P(
    Icon, PixelFormatTest,
    ::testing::Values(
        PixelFormatRow{"icon_two_images.ico", PixelFormat32bppARGB, ImageFormatIcon, kIcon, kRed, kHalfBlue, 1},
        PixelFormatRow{"icon_8bit_palette.ico", PixelFormat32bppARGB, ImageFormatIcon, kIcon, kYellow, kTransparent, 0}),
    NameOf);

// Formats without a row of their own: the decoded picture decides (indexed, else alpha or not).
INSTANTIATE_TEST_SUITE_P(
    OtherDecoded, PixelFormatTest,
    ::testing::Values(
        PixelFormatRow{"ppm_rgb.ppm", PixelFormat24bppRGB, ImageFormatOtherDecoded, kSmall, kRed, kLeaf, 0},
        PixelFormatRow{"pbm_bilevel.pbm", PixelFormat8bppIndexed, ImageFormatOtherDecoded, kSmall, kBlack, kWhite, 0},
        PixelFormatRow{"tga_32bit_alpha.tga", PixelFormat32bppARGB, ImageFormatOtherDecoded, kSmall,
                       qRgba(255, 0, 0, 128), qRgb(0, 255, 0), 1},
        PixelFormatRow{"webp_lossless_alpha.webp", PixelFormat32bppARGB, ImageFormatOtherDecoded, kSmall,
                       qRgba(0, 0, 255, 128), qRgba(0, 0, 255, 128), 1},
        PixelFormatRow{"cursor_32bit.cur", PixelFormat32bppARGB, ImageFormatOtherDecoded, kIcon, kRed, kHalfBlue, 1},
        // gif_one_frame.gif under the signature "GIF88a": Qt's GIF decoder reads it, in 32 bits.
        PixelFormatRow{"gif88a_one_frame.gif", PixelFormat24bppRGB, ImageFormatOtherDecoded, kSmall, kRed, kBlue, 0}),
    NameOf);

// The values are the platform's, built as its headers build them: an index, the bits per
// pixel shifted by 8, and the flags indexed 0x10000, GDI 0x20000, alpha 0x40000, premultiplied
// alpha 0x80000, extended 0x100000, canonical 0x200000.
struct PixelFormatValueRow {
    const char* name;
    PixelFormat value;
    std::uint32_t index;
    std::uint32_t bitsPerPixel;
    std::uint32_t flags;
};

class PixelFormatValueTest : public ::testing::TestWithParam<PixelFormatValueRow> {};

TEST_P(PixelFormatValueTest, MatchesThePlatformsValue)
{
    const PixelFormatValueRow& row = GetParam();
    EXPECT_EQ(row.value, row.index | row.bitsPerPixel << 8 | row.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PixelFormatValueTest,
    ::testing::Values(
        PixelFormatValueRow{"1bppIndexed", PixelFormat1bppIndexed, 1, 1, 0x10000 | 0x20000},
        PixelFormatValueRow{"4bppIndexed", PixelFormat4bppIndexed, 2, 4, 0x10000 | 0x20000},
        PixelFormatValueRow{"8bppIndexed", PixelFormat8bppIndexed, 3, 8, 0x10000 | 0x20000},
        PixelFormatValueRow{"16bppGrayScale", PixelFormat16bppGrayScale, 4, 16, 0x100000},
        PixelFormatValueRow{"16bppRGB555", PixelFormat16bppRGB555, 5, 16, 0x20000},
        PixelFormatValueRow{"16bppRGB565", PixelFormat16bppRGB565, 6, 16, 0x20000},
        PixelFormatValueRow{"24bppRGB", PixelFormat24bppRGB, 8, 24, 0x20000},
        PixelFormatValueRow{"32bppRGB", PixelFormat32bppRGB, 9, 32, 0x20000},
        PixelFormatValueRow{"32bppARGB", PixelFormat32bppARGB, 10, 32, 0x40000 | 0x20000 | 0x200000},
        PixelFormatValueRow{"32bppPARGB", PixelFormat32bppPARGB, 11, 32, 0x40000 | 0x80000 | 0x20000},
        PixelFormatValueRow{"48bppRGB", PixelFormat48bppRGB, 12, 48, 0x100000},
        PixelFormatValueRow{"64bppARGB", PixelFormat64bppARGB, 13, 64, 0x40000 | 0x200000 | 0x100000},
        PixelFormatValueRow{"32bppCMYK", PixelFormat32bppCMYK, 15, 32, 0}),
    [](const ::testing::TestParamInfo<PixelFormatValueRow>& info) {
        return "PixelFormat" + std::string(info.param.name);
    });

}  // namespace
}  // namespace veltra::imaging
