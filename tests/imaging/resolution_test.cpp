// The resolution each kind of file declares, rule by rule. Expected values are worked out
// from the numbers written into each fixture (scripts/make_fixtures.py; exiftool reads the
// same numbers back there): per centimetre times 2.54, per metre times 0.0254.

#include "imaging/imaging_test_support.h"

#include <gtest/gtest.h>

namespace veltra::imaging {
namespace {

using test_support::LoadFixture;
using test_support::RowName;

struct ResolutionRow {
    const char* file;
    double horizontal;
    double vertical;
};

void PrintTo(const ResolutionRow& row, std::ostream* os)
{
    *os << row.file;
}

class ResolutionTest : public ::testing::TestWithParam<ResolutionRow> {};

TEST_P(ResolutionTest, FollowsTheFilesDeclaration)
{
    const ResolutionRow& row = GetParam();
    auto loaded = LoadFixture(row.file);
    ASSERT_EQ(loaded.status, Ok);
    REAL horizontal = 0.0f;
    REAL vertical = 0.0f;
    ASSERT_EQ(GdipGetImageHorizontalResolution(loaded.image.get(), &horizontal), Ok);
    ASSERT_EQ(GdipGetImageVerticalResolution(loaded.image.get(), &vertical), Ok);
    // The values travel as floats; a thousandth of a dot per inch is far below any rule's
    // difference (2.54, 0.0254, swapped axes, 96).
    EXPECT_NEAR(horizontal, row.horizontal, 1e-3);
    EXPECT_NEAR(vertical, row.vertical, 1e-3);
}

std::string NameOf(const ::testing::TestParamInfo<ResolutionRow>& info)
{
    return RowName(info.param.file);
}

constexpr double kCmPerInch = 2.54;
constexpr double kMetresPerInch = 0.0254;

INSTANTIATE_TEST_SUITE_P(
    Jpeg, ResolutionTest,
    ::testing::Values(
        // JFIF unit 1: dots per inch as stored.
        ResolutionRow{"jpeg_jfif_300x150_dpi.jpg", 300.0, 150.0},
        // JFIF unit 2: dots per centimetre.
        ResolutionRow{"jpeg_jfif_118x59_dots_per_cm.jpg", 118 * kCmPerInch, 59 * kCmPerInch},
        // JFIF unit 0 gives only the pixel shape: the Exif resolution (in inches) decides.
        ResolutionRow{"jpeg_jfif_unit0_exif_200x100_inch.jpg", 200.0, 100.0},
        // No JFIF; big-endian Exif in dots per centimetre.
        ResolutionRow{"jpeg_exif_100x50_dots_per_cm.jpg", 100 * kCmPerInch, 50 * kCmPerInch},
        // No JFIF; Exif 360/2 by 240/2 without a unit, which means inches.
        ResolutionRow{"jpeg_exif_180x120_no_unit.jpg", 180.0, 120.0},
        // A JFIF density in dots per inch wins over the Exif one.
        ResolutionRow{"jpeg_jfif_72_dpi_over_exif_300.jpg", 72.0, 72.0},
        // JFIF unit 0 (2:1) and no Exif: nothing physical is declared.
        ResolutionRow{"jpeg_jfif_unit0_no_exif.jpg", 96.0, 96.0},
        ResolutionRow{"jpeg_no_density.jpg", 96.0, 96.0}),
    NameOf);

INSTANTIATE_TEST_SUITE_P(
    Png, ResolutionTest,
    ::testing::Values(
        ResolutionRow{"png_phys_11811x5906_per_metre.png", 11811 * kMetresPerInch, 5906 * kMetresPerInch},
        ResolutionRow{"png_red_10x10_72dpi.png", 2835 * kMetresPerInch, 2835 * kMetresPerInch},
        // pHYs unit 0 (1000:2000) gives only the pixel shape.
        ResolutionRow{"png_phys_unit0.png", 96.0, 96.0},
        ResolutionRow{"png_no_phys.png", 96.0, 96.0}),
    NameOf);

INSTANTIATE_TEST_SUITE_P(
    Bmp, ResolutionTest,
    ::testing::Values(
        ResolutionRow{"bmp_2835x5670_pels_per_metre.bmp", 2835 * kMetresPerInch, 5670 * kMetresPerInch},
        ResolutionRow{"bmp_zero_pels_per_metre.bmp", 96.0, 96.0}),
    NameOf);

INSTANTIATE_TEST_SUITE_P(
    Tiff, ResolutionTest,
    ::testing::Values(
        ResolutionRow{"tiff_300x150_per_inch.tif", 300.0, 150.0},
        ResolutionRow{"tiff_118x59_per_cm.tif", 118 * kCmPerInch, 59 * kCmPerInch},
        // 400/2 by 100/1 without a unit: inches.
        ResolutionRow{"tiff_200x100_no_unit.tif", 200.0, 100.0},
        ResolutionRow{"tiff_no_resolution.tif", 96.0, 96.0}),
    NameOf);

// Formats that declare no resolution the service reads.
INSTANTIATE_TEST_SUITE_P(
    Others, ResolutionTest,
    ::testing::Values(ResolutionRow{"gif_one_frame.gif", 96.0, 96.0},
                      ResolutionRow{"icon_two_images.ico", 96.0, 96.0},
                      ResolutionRow{"ppm_rgb.ppm", 96.0, 96.0},
                      ResolutionRow{"webp_lossless_alpha.webp", 96.0, 96.0}),
    NameOf);

TEST(Resolution, BitmapMadeInMemoryIs96)
{
    GpBitmap* bitmap = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromScan0(4, 3, 0, PixelFormat32bppARGB, nullptr, &bitmap), Ok);
    ImagePtr owner(bitmap);
    REAL horizontal = 0.0f;
    REAL vertical = 0.0f;
    ASSERT_EQ(GdipGetImageHorizontalResolution(bitmap, &horizontal), Ok);
    ASSERT_EQ(GdipGetImageVerticalResolution(bitmap, &vertical), Ok);
    EXPECT_FLOAT_EQ(horizontal, 96.0f);
    EXPECT_FLOAT_EQ(vertical, 96.0f);
}

}  // namespace
}  // namespace veltra::imaging
