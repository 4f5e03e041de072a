// The MIME types that the desktop entry offers: every kind of picture the service decodes is
// among them, under the name that the desktop's own MIME database gives the file, and
// nothing that is not a raster picture is.

#include "imaging/decodable_mime_types.h"
#include "imaging/imaging_test_support.h"

#include <QMimeDatabase>
#include <QMimeType>

#include <gtest/gtest.h>

namespace veltra::imaging {
namespace {

using test_support::FixturePath;
using test_support::LoadFixture;

class DecodableMimeTypesTest : public ::testing::TestWithParam<const char*> {};

TEST_P(DecodableMimeTypesTest, DecodedFileTypeIsListed)
{
    const char* fixture = GetParam();
    ASSERT_EQ(LoadFixture(fixture).status, Ok) << fixture;

    // shared-mime-info names the file from its name and content, independently of Qt's
    // image plugins; the listed name may be the canonical one or one of its aliases.
    const QMimeType type = QMimeDatabase().mimeTypeForFile(FixturePath(fixture));
    QStringList names = type.aliases();
    names.prepend(type.name());
    const QStringList listed = DecodableMimeTypes();
    bool found = false;
    for (const QString& name : names)
        found = found || listed.contains(name);
    EXPECT_TRUE(found) << fixture << " is " << names.join(QLatin1Char(',')).toStdString()
                       << "; listed: " << listed.join(QLatin1Char(';')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DecodableMimeTypesTest,
                         ::testing::Values("png_rgb_8bit.png", "jpeg_3_components.jpg",
                                           "gif_one_frame.gif", "bmp_24bit.bmp",
                                           "tiff_rgb_8bit.tif", "icon_8bit_palette.ico",
                                           "webp_lossless_alpha.webp", "ppm_rgb.ppm",
                                           "pbm_bilevel.pbm", "tga_32bit_alpha.tga",
                                           "heif/heic_irot_90_exif_6.heic",
                                           "heif/avif_avifenc_10bit.avif",
                                           "raw/dng_rggb_orientation_1.dng"));

TEST(DecodableMimeTypes, OnlyRasterPicturesEachOnce)
{
    const QStringList listed = DecodableMimeTypes();
    for (const QString& type : listed) {
        EXPECT_TRUE(type.startsWith(QLatin1String("image/"))) << type.toStdString();
        EXPECT_FALSE(type.contains(QLatin1String("svg"))) << type.toStdString();
        EXPECT_EQ(listed.count(type), 1) << type.toStdString();
    }
}

}  // namespace
}  // namespace veltra::imaging
