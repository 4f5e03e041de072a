// Photoshop documents: the merged picture of every colour mode, depth and compression that
// scripts/make_psd_fixtures.py writes (an 8 x 4 picture, left half red, right half blue, the
// bottom row green), their Exif against exiftool's reading, their layers and resources, and
// documents cut short or lying about their data.

#include "formats/format_registry.h"
#include "formats/psd/psd_layout.h"
#include "imaging/imaging_test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <gtest/gtest.h>

namespace veltra::imaging {
namespace {

using test_support::ColourNear;
using test_support::DrawnOnSurface;
using test_support::LoadFile;
using test_support::QueryPixelFormat;
using test_support::QuerySize;

QString PsdFixture(const char* name)
{
    return QStringLiteral(VELTRA_FIXTURES_DIR "/psd/") + QLatin1String(name);
}

// The greys of red, blue and green by the weights the script uses (299, 587, 114).
constexpr QRgb kRedGrey = qRgb(76, 76, 76);
constexpr QRgb kBlueGrey = qRgb(29, 29, 29);
constexpr QRgb kGreenGrey = qRgb(149, 149, 149);

struct PsdRow {
    const char* file;
    PixelFormat pixelFormat;
    QRgb left;
    QRgb right;
    QRgb bottom;
};

void PrintTo(const PsdRow& row, std::ostream* os)
{
    *os << row.file;
}

class PsdCompositeTest : public ::testing::TestWithParam<PsdRow> {};

TEST_P(PsdCompositeTest, DecodesTheMergedPicture)
{
    const PsdRow& row = GetParam();
    const auto loaded = LoadFile(PsdFixture(row.file));
    ASSERT_EQ(loaded.status, Ok);
    EXPECT_EQ(QuerySize(loaded.image.get()), (test_support::Size{8, 4}));
    EXPECT_EQ(QueryPixelFormat(loaded.image.get()), row.pixelFormat);
    const QImage drawn = DrawnOnSurface(loaded.image.get());
    for (int y : {0, 2}) {
        EXPECT_TRUE(ColourNear(drawn.pixel(0, y), row.left, 1)) << y;
        EXPECT_TRUE(ColourNear(drawn.pixel(3, y), row.left, 1)) << y;
        EXPECT_TRUE(ColourNear(drawn.pixel(4, y), row.right, 1)) << y;
        EXPECT_TRUE(ColourNear(drawn.pixel(7, y), row.right, 1)) << y;
    }
    EXPECT_TRUE(ColourNear(drawn.pixel(5, 3), row.bottom, 1));
    QByteArray kind;
    ASSERT_EQ(GetImageContentFormat(loaded.image.get(), &kind), Ok);
    EXPECT_EQ(kind, "psd");
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, PsdCompositeTest,
    ::testing::Values(
        PsdRow{"psd_rgb_8bit_raw.psd", PixelFormat24bppRGB, qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 255, 0)},
        PsdRow{"psd_rgb_8bit_rle_layers.psd", PixelFormat24bppRGB, qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 255, 0)},
        PsdRow{"psb_rgb_8bit_rle_layers.psb", PixelFormat24bppRGB, qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 255, 0)},
        PsdRow{"psd_rgb_16bit_rle_alpha.psd", PixelFormat64bppARGB, qRgb(255, 0, 0), qRgba(0, 0, 0, 0), qRgb(0, 255, 0)},
        PsdRow{"psd_grey_8bit_rle.psd", PixelFormat24bppRGB, kRedGrey, kBlueGrey, kGreenGrey},
        PsdRow{"psd_grey_16bit_raw.psd", PixelFormat48bppRGB, kRedGrey, kBlueGrey, kGreenGrey},
        PsdRow{"psd_cmyk_8bit_rle.psd", PixelFormat24bppRGB, qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 255, 0)},
        PsdRow{"psd_cmyk_16bit_raw.psd", PixelFormat48bppRGB, qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 255, 0)},
        PsdRow{"psd_indexed_8bit_rle.psd", PixelFormat24bppRGB, qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 255, 0)}),
    [](const ::testing::TestParamInfo<PsdRow>& info) { return test_support::RowName(info.param.file); });

// exiftool's reading of the same documents: every Exif item it finds is listed with its value.
TEST(PsdMetadata, ExifAgreesWithExiftool)
{
    if (QStandardPaths::findExecutable(QStringLiteral("exiftool")).isEmpty())
        GTEST_SKIP() << "exiftool is not installed";
    for (const char* name : {"psd_rgb_8bit_rle_layers.psd", "psb_rgb_8bit_rle_layers.psb"}) {
        QProcess exiftool;
        exiftool.start(QStringLiteral("exiftool"),
                       {QStringLiteral("-j"), QStringLiteral("-Make"), QStringLiteral("-Model"),
                        QStringLiteral("-Software"), QStringLiteral("-DateTimeOriginal"),
                        PsdFixture(name)});
        ASSERT_TRUE(exiftool.waitForFinished(60000));
        const QJsonObject expected =
            QJsonDocument::fromJson(exiftool.readAllStandardOutput()).array().first().toObject();
        const auto loaded = LoadFile(PsdFixture(name));
        ASSERT_EQ(loaded.status, Ok);
        const std::pair<PROPID, const char*> tags[] = {
            {PropertyTagEquipMake, "Make"},
            {PropertyTagEquipModel, "Model"},
            {PropertyTagSoftwareUsed, "Software"},
            {PropertyTagExifDTOrig, "DateTimeOriginal"}};
        for (const auto& [id, exifToolName] : tags) {
            std::uint32_t size = 0;
            ASSERT_EQ(GdipGetPropertyItemSize(loaded.image.get(), id, &size), Ok) << exifToolName;
            std::vector<std::byte> buffer(size);
            auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
            ASSERT_EQ(GdipGetPropertyItem(loaded.image.get(), id, size, item), Ok);
            const QString value = QString::fromLatin1(static_cast<const char*>(item->value),
                                                      qsizetype(item->length) - 1);
            EXPECT_EQ(value, expected.value(QLatin1String(exifToolName)).toString()) << name;
        }
    }
}

// The layers as exiftool names them (LayerNames, LayerUnicodeNames, LayerVisible), the XMP,
// profile and thumbnail of the image resources.
TEST(PsdStructure, LayersAndResources)
{
    for (const char* name : {"psd_rgb_8bit_rle_layers.psd", "psb_rgb_8bit_rle_layers.psb"}) {
        FileStructure structure;
        ASSERT_EQ(ReadFileStructure(PsdFixture(name), &structure), Ok);
        ASSERT_TRUE(structure.photoshopDocument) << name;
        const PhotoshopDocument& document = *structure.photoshopDocument;
        EXPECT_EQ(document.largeDocument, QByteArrayView(name).endsWith(".psb"));
        EXPECT_EQ(document.colorMode, 3);
        EXPECT_EQ(document.compression, 1);
        ASSERT_EQ(document.layers.size(), 3u) << name;
        EXPECT_EQ(document.layers[0].name, QStringLiteral("Background"));
        EXPECT_EQ(document.layers[1].name, QStringLiteral("文字图层"));
        EXPECT_EQ(document.layers[2].name, QStringLiteral("Hidden"));
        EXPECT_FALSE(document.layers[1].hidden);
        EXPECT_TRUE(document.layers[2].hidden);
        EXPECT_EQ(document.layers[0].width, 2);
    }
    FileStructure structure;
    ASSERT_EQ(ReadFileStructure(PsdFixture("psd_rgb_8bit_rle_layers.psd"), &structure), Ok);
    EXPECT_TRUE(structure.xmp.contains("make_psd_fixtures"));
    EXPECT_TRUE(structure.iccProfile.contains("Veltra test profile"));
    ASSERT_TRUE(structure.photoshopThumbnail);
    EXPECT_EQ(structure.photoshopThumbnail->width, 4);
    EXPECT_TRUE(structure.photoshopThumbnail->jpeg.startsWith("\xFF\xD8"));

    // 16-bit documents keep their layers in an additional block; the merged alpha is found
    // through its negative count there.
    ASSERT_EQ(ReadFileStructure(PsdFixture("psd_rgb_16bit_rle_alpha.psd"), &structure), Ok);
    ASSERT_TRUE(structure.photoshopDocument);
    EXPECT_TRUE(structure.photoshopDocument->mergedAlpha);
    ASSERT_EQ(structure.photoshopDocument->layers.size(), 1u);
    EXPECT_EQ(structure.photoshopDocument->layers[0].name, QStringLiteral("Background"));
}

// A document cut anywhere in its merged picture fails when its pixels are needed, not before;
// one whose header claims far more picture than its data can hold is refused at once; a
// header of impossible sizes is no document.
TEST(PsdDamaged, CutShortOrLying)
{
    const QByteArray whole = test_support::ReadFixture("psd/psd_rgb_8bit_rle_layers.psd");
    for (qsizetype cut = whole.size() - 1; cut > whole.size() - 40; cut -= 7) {
        GpBitmap* bitmap = nullptr;
        const GpStatus status = CreateBitmapFromBytes(whole.first(cut), &bitmap);
        const ImagePtr image(bitmap);
        if (status == Ok) {
            EXPECT_NE(GdipImageForceDecode(image.get()), Ok) << cut;
        }
    }

    const auto claim = [](std::uint32_t side) {
        QByteArray claimed = test_support::ReadFixture("psd/psd_rgb_8bit_raw.psd");
        qToBigEndian(side, claimed.data() + 14);
        qToBigEndian(side, claimed.data() + 18);
        GpBitmap* bitmap = nullptr;
        LoadFailure failure;
        EXPECT_NE(LoadBitmapFromBytes(claimed, &bitmap, &failure), Ok);
        return failure.reason;
    };
    EXPECT_EQ(claim(4000), LoadFailureReason::TooLittleData);
    EXPECT_EQ(claim(20000), LoadFailureReason::OverPixelBudget);

    QByteArray tooWide = test_support::ReadFixture("psd/psd_rgb_8bit_raw.psd");
    qToBigEndian(std::uint32_t{30001}, tooWide.data() + 18);
    EXPECT_FALSE(ReadPsdLayout(tooWide));
    qToBigEndian(std::uint32_t{30000}, tooWide.data() + 18);
    EXPECT_TRUE(ReadPsdLayout(tooWide));
}

}  // namespace
}  // namespace veltra::imaging
