// The report over pictures built with chosen format, size, resolution and properties.

#include "info/image_report.h"

#include "imaging/gdiplus.h"
#include "imaging/image_for_testing.h"
#include "support/item_values.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <initializer_list>
#include <set>
#include <string>

namespace veltra::info {
namespace {

using namespace imaging;

using test::Longs;
using test::Shorts;

const QColor kMarker(255, 0, 0);

// A white picture with a red pixel in its top-left corner, so a turn shows where it went.
ImagePtr Picture(const GUID& rawFormat, int width, int height, PropertyRecords properties = {},
                 PixelFormat pixelFormat = PixelFormat24bppRGB, REAL dpiX = 72, REAL dpiY = 72)
{
    QImage pixels(width, height, QImage::Format_RGB32);
    pixels.fill(Qt::white);
    pixels.setPixelColor(0, 0, kMarker);
    return MakeImageForTesting(std::move(pixels),
                               TestImageFacts{rawFormat, pixelFormat, dpiX, dpiY, std::move(properties)});
}

QString Report(GpImage* image)
{
    QString text;
    EXPECT_TRUE(GetImageInfo(image, text));
    return text;
}

QPoint MarkerPosition(GpImage* image)
{
    const QImage pixels = PixelsForTesting(image);
    for (int y = 0; y < pixels.height(); ++y) {
        for (int x = 0; x < pixels.width(); ++x) {
            if (pixels.pixelColor(x, y) == kMarker)
                return {x, y};
        }
    }
    return {-1, -1};
}

TEST(ImageReportTest, NoPictureLeavesTheTextAlone)
{
    QString text = QStringLiteral("before");
    EXPECT_FALSE(GetImageInfo(nullptr, text));
    EXPECT_EQ(text, QStringLiteral("before"));
}

TEST(ImageReportTest, PngWithoutPropertiesIsExactlyFourLines)
{
    const ImagePtr image =
        Picture(ImageFormatPNG, 640, 480, {}, PixelFormat32bppARGB, 96.0f, 96.0f);
    QString text = QStringLiteral("replaced");
    ASSERT_TRUE(GetImageInfo(image.get(), text));
    EXPECT_EQ(text, QStringLiteral("文件类型：png\n尺寸：640x480\n像素格式：32bppARGB\n"
                                   "DPI：96x96 - 非JPG仅供参考"));
}

TEST(ImageReportTest, TurnedJpegWithColourSpaceAndProperties)
{
    const ImagePtr image = Picture(ImageFormatJPEG, 40, 30,
                                   {PropertyRecord{PropertyTagOrientation, TiffType::Short, Shorts({6})},
                                    PropertyRecord{PropertyTagExifColorSpace, TiffType::Short, Shorts({1})}});
    EXPECT_EQ(Report(image.get()),
              QStringLiteral("文件类型：jpg\n尺寸：30x40\n像素格式：24bppRGB\nDPI：72x72\n"
                             "旋转标志：6 [Rotate90FlipNone]\n颜色空间：sRGB\n其它属性：\n"
                             " Orientation:6\n ExifColorSpace:1\n"));
    // A quarter turn clockwise takes the top-left corner to the top-right.
    EXPECT_EQ(PixelsForTesting(image.get()).size(), QSize(30, 40));
    EXPECT_EQ(MarkerPosition(image.get()), QPoint(29, 0));
}

// The orientation item keeps saying what the file says, so every later report is the first
// one again, word for word, while the picture stays turned once.
TEST(ImageReportTest, LaterReportsOnATurnedPictureAreTheSameAndTurnNothing)
{
    const ImagePtr image =
        Picture(ImageFormatJPEG, 40, 30, {PropertyRecord{PropertyTagOrientation, TiffType::Short, Shorts({6})}});
    const QString first = Report(image.get());
    EXPECT_EQ(Report(image.get()), first);
    EXPECT_EQ(Report(image.get()),
              QStringLiteral("文件类型：jpg\n尺寸：30x40\n像素格式：24bppRGB\nDPI：72x72\n"
                             "旋转标志：6 [Rotate90FlipNone]\n其它属性：\n Orientation:6\n"));
    EXPECT_EQ(MarkerPosition(image.get()), QPoint(29, 0));
}

// A picture someone has turned already is not turned again for its orientation.
TEST(ImageReportTest, APictureTurnedBeforeTheReportIsLeftAsItIs)
{
    const ImagePtr image =
        Picture(ImageFormatJPEG, 40, 30, {PropertyRecord{PropertyTagOrientation, TiffType::Short, Shorts({6})}});
    ASSERT_EQ(GdipImageRotateFlip(image.get(), RotateNoneFlipX), Ok);
    EXPECT_TRUE(Report(image.get()).startsWith(QStringLiteral("文件类型：jpg\n尺寸：40x30\n")));
    EXPECT_EQ(MarkerPosition(image.get()), QPoint(39, 0));
}

struct FileTypeCase {
    const char* name;
    GUID format;
    const char* fileType;
    bool isJpeg;
};

// Rows show up in test output by name rather than as raw bytes.
void PrintTo(const FileTypeCase& row, std::ostream* os)
{
    *os << row.name;
}

class FileTypeTest : public testing::TestWithParam<FileTypeCase> {};

TEST_P(FileTypeTest, NamesTheFormatAndNotesAllButJpeg)
{
    const ImagePtr image = Picture(GetParam().format, 4, 3);
    const QString head = QStringLiteral("文件类型：") + QString::fromUtf8(GetParam().fileType)
        + QStringLiteral("\n尺寸：4x3\n像素格式：24bppRGB\nDPI：72x72");
    const QString expected =
        GetParam().isJpeg ? head : head + QStringLiteral(" - 非JPG仅供参考");
    EXPECT_EQ(Report(image.get()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FileTypeTest,
    testing::Values(FileTypeCase{"Png", ImageFormatPNG, "png", false},
                    FileTypeCase{"Jpeg", ImageFormatJPEG, "jpg", true},
                    FileTypeCase{"Gif", ImageFormatGIF, "gif", false},
                    FileTypeCase{"Bmp", ImageFormatBMP, "bmp", false},
                    FileTypeCase{"Tiff", ImageFormatTIFF, "tiff", false},
                    FileTypeCase{"Icon", ImageFormatIcon, "icon", false},
                    FileTypeCase{"Emf", ImageFormatEMF, "emf", false},
                    FileTypeCase{"Wmf", ImageFormatWMF, "wmf", false},
                    FileTypeCase{"ExifIsNotJpeg", ImageFormatEXIF, "exif", false},
                    FileTypeCase{"PhotoCd", ImageFormatPhotoCD, "photoCD", false},
                    FileTypeCase{"FlashPix", ImageFormatFlashPIX, "FlashPIX", false},
                    FileTypeCase{"MemoryBmp", ImageFormatMemoryBMP, "memorybmp", false},
                    FileTypeCase{"Undefined", ImageFormatUndefined, "未知类型", false},
                    FileTypeCase{"OtherDecoded", ImageFormatOtherDecoded, "未知类型", false},
                    // Same family as the table, last byte changed: all 16 bytes must match.
                    FileTypeCase{"LastByteDiffers",
                                 GUID{0xB96B3CAE, 0x0728, 0x11D3,
                                      {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2F}},
                                 "未知类型", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileTypeTableTest, TwelveDistinctRows)
{
    const auto table = FileTypeTable();
    ASSERT_EQ(table.size(), 12u);
    std::set<std::uint32_t> firstFields;
    for (const FileTypeRow& row : table)
        EXPECT_TRUE(firstFields.insert(row.format.Data1).second) << row.format.Data1;
}

struct PixelFormatCase {
    const char* name;
    PixelFormat format;
    const char* text;
};

void PrintTo(const PixelFormatCase& row, std::ostream* os)
{
    *os << row.name;
}

class PixelFormatTest : public testing::TestWithParam<PixelFormatCase> {};

TEST_P(PixelFormatTest, NamesTheWholeValue)
{
    const ImagePtr image = Picture(ImageFormatJPEG, 4, 3, {}, GetParam().format);
    EXPECT_EQ(Report(image.get()),
              QStringLiteral("文件类型：jpg\n尺寸：4x3\n像素格式：") + QString::fromUtf8(GetParam().text)
                  + QStringLiteral("\nDPI：72x72"));
}

INSTANTIATE_TEST_SUITE_P(
    Values, PixelFormatTest,
    testing::Values(PixelFormatCase{"IndexedFlagAlone", 0x00010000, "Indexed"},
                    PixelFormatCase{"CanonicalFlagAlone", 0x00200000, "Canonical"},
                    PixelFormatCase{"Undefined", 0x00000000, "Undefined"},
                    PixelFormatCase{"OneBit", 0x00030101, "1bppIndexed"},
                    PixelFormatCase{"Rgb24", 0x00021808, "24bppRGB"},
                    PixelFormatCase{"Argb32", 0x0026200A, "32bppARGB"},
                    PixelFormatCase{"Pargb64", 0x001C400E, "64bppPARGB"},
                    PixelFormatCase{"Cmyk", 0x0000200F, "32bppCMYK"},
                    // Two flags together are not taken apart into either.
                    PixelFormatCase{"TwoFlags", 0x00030000, "未知"},
                    PixelFormatCase{"Unknown", 0x12345678, "未知"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PixelFormatTableTest, TwentyTwoDistinctRows)
{
    const auto table = PixelFormatTable();
    ASSERT_EQ(table.size(), 22u);
    std::set<PixelFormat> formats;
    std::set<QString> texts;
    for (const PixelFormatRow& row : table) {
        EXPECT_TRUE(formats.insert(row.format).second) << row.format;
        EXPECT_TRUE(texts.insert(row.text.toString()).second);
    }
}

TEST(ResolutionTextTest, RoundsToWholeDotsAndNotesNonJpeg)
{
    EXPECT_EQ(ResolutionText(72.0f, 72.0f, true), QStringLiteral("72x72"));
    EXPECT_EQ(ResolutionText(299.7f, 150.2f, true), QStringLiteral("300x150"));
    EXPECT_EQ(ResolutionText(0.0f, 0.0f, false), QStringLiteral("0x0 - 非JPG仅供参考"));
    EXPECT_EQ(ResolutionText(96.0f, 120.0f, false), QStringLiteral("96x120 - 非JPG仅供参考"));
    // As C's printf writes them: an exact half goes to the even neighbour.
    EXPECT_EQ(ResolutionText(62.5f, 0.5f, true), QStringLiteral("62x0"));
    EXPECT_EQ(ResolutionText(1.5f, 2.5f, true), QStringLiteral("2x2"));
}

TEST(ImageReportTest, HorizontalResolutionComesFirst)
{
    const ImagePtr image = Picture(ImageFormatJPEG, 4, 3, {}, PixelFormat24bppRGB, 300.0f, 72.4f);
    EXPECT_TRUE(Report(image.get()).endsWith(QStringLiteral("\nDPI：300x72")));
}

struct OrientationCase {
    const char* name;
    std::uint16_t orientation;
    const char* line;  // the orientation line, empty when there is none
    QSize size;        // reported size of a picture stored as 40 x 30
    QPoint marker;     // where the stored top-left pixel ends up
};

void PrintTo(const OrientationCase& row, std::ostream* os)
{
    *os << row.name;
}

class OrientationTest : public testing::TestWithParam<OrientationCase> {};

TEST_P(OrientationTest, ShowsTheValueAndTurnsWhenAsked)
{
    const OrientationCase& row = GetParam();
    const ImagePtr image = Picture(ImageFormatJPEG, 40, 30,
                                   {PropertyRecord{PropertyTagOrientation, TiffType::Short,
                                                   Shorts({row.orientation})}});
    const QString expected = QStringLiteral("文件类型：jpg\n尺寸：%1x%2\n像素格式：24bppRGB\n"
                                            "DPI：72x72%3\n其它属性：\n Orientation:%4\n")
                                 .arg(row.size.width())
                                 .arg(row.size.height())
                                 .arg(QString::fromUtf8(row.line))
                                 .arg(static_cast<std::int16_t>(row.orientation));
    EXPECT_EQ(Report(image.get()), expected);
    EXPECT_EQ(PixelsForTesting(image.get()).size(), row.size);
    EXPECT_EQ(MarkerPosition(image.get()), row.marker);
}

// A corner and the size together tell the eight turns and mirrors apart.
INSTANTIATE_TEST_SUITE_P(
    Values, OrientationTest,
    testing::Values(
        OrientationCase{"Zero", 0, "", {40, 30}, {0, 0}},
        OrientationCase{"Upright", 1, "\n旋转标志：1", {40, 30}, {0, 0}},
        OrientationCase{"MirrorX", 2, "\n旋转标志：2 [RotateNoneFlipX]", {40, 30}, {39, 0}},
        OrientationCase{"HalfTurn", 3, "\n旋转标志：3 [Rotate180FlipNone]", {40, 30}, {39, 29}},
        OrientationCase{"MirrorY", 4, "\n旋转标志：4 [Rotate180FlipX]", {40, 30}, {0, 29}},
        OrientationCase{"Transpose", 5, "\n旋转标志：5 [Rotate90FlipX]", {30, 40}, {0, 0}},
        OrientationCase{"QuarterTurn", 6, "\n旋转标志：6 [Rotate90FlipNone]", {30, 40}, {29, 0}},
        OrientationCase{"Transverse", 7, "\n旋转标志：7 [Rotate270FlipX]", {30, 40}, {29, 39}},
        OrientationCase{"ThreeQuarters", 8, "\n旋转标志：8 [Rotate270FlipNone]", {30, 40},
                        {0, 39}},
        OrientationCase{"Nine", 9, "\n旋转标志：9", {40, 30}, {0, 0}},
        OrientationCase{"ThreeHundred", 300, "\n旋转标志：300", {40, 30}, {0, 0}},
        // Shown unsigned in the orientation line, though the SHORT value text reads -1.
        OrientationCase{"Largest", 0xFFFF, "\n旋转标志：65535", {40, 30}, {0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

struct UnusableOrientationCase {
    const char* name;
    PropertyRecords properties;
    const char* propertyText;
};

void PrintTo(const UnusableOrientationCase& row, std::ostream* os)
{
    *os << row.name;
}

class UnusableOrientationTest : public testing::TestWithParam<UnusableOrientationCase> {};

TEST_P(UnusableOrientationTest, NoSectionNoTurnButStillListed)
{
    const ImagePtr image = Picture(ImageFormatJPEG, 40, 30, GetParam().properties);
    QString expected = QStringLiteral("文件类型：jpg\n尺寸：40x30\n像素格式：24bppRGB\nDPI：72x72");
    if (*GetParam().propertyText != '\0')
        expected += QStringLiteral("\n其它属性：\n") + QString::fromUtf8(GetParam().propertyText);
    EXPECT_EQ(Report(image.get()), expected);
    EXPECT_EQ(MarkerPosition(image.get()), QPoint(0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Values, UnusableOrientationTest,
    testing::Values(
        UnusableOrientationCase{"Absent", {}, ""},
        UnusableOrientationCase{"LongType", {PropertyRecord{PropertyTagOrientation, TiffType::Long, Longs({6})}},
                                " Orientation:6\n"},
        UnusableOrientationCase{"TwoValues",
                                {PropertyRecord{PropertyTagOrientation, TiffType::Short, Shorts({6, 6})}},
                                " Orientation:6,6\n"},
        UnusableOrientationCase{"OneByte",
                                {PropertyRecord{PropertyTagOrientation, TiffType::Short, QByteArray(1, '\x06')}},
                                " Orientation:\n"},
        UnusableOrientationCase{"Empty", {PropertyRecord{PropertyTagOrientation, TiffType::Short, QByteArray()}},
                                " Orientation:\n"},
        // Only the whole id 0x0112 counts as the orientation.
        UnusableOrientationCase{"HighBitsSet", {PropertyRecord{0x00010112, TiffType::Short, Shorts({6})}},
                                " 65810:6\n"},
        UnusableOrientationCase{"ThumbnailOrientation", {PropertyRecord{0x5029, TiffType::Short, Shorts({6})}},
                                " ThumbnailOrientation:6\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ColorSpaceCase {
    const char* name;
    TiffType type;
    QByteArray value;
    const char* section;  // the colour-space line, empty when there is none
    const char* listed;   // the property line's value text
};

void PrintTo(const ColorSpaceCase& row, std::ostream* os)
{
    *os << row.name;
}

class ColorSpaceTest : public testing::TestWithParam<ColorSpaceCase> {};

TEST_P(ColorSpaceTest, ShowsOnlySrgbAndUncalibrated)
{
    const ColorSpaceCase& row = GetParam();
    const PropertyRecord colorSpace{PropertyTagExifColorSpace, row.type, row.value};
    const ImagePtr image = Picture(ImageFormatJPEG, 4, 3, {colorSpace});
    EXPECT_EQ(Report(image.get()),
              QStringLiteral("文件类型：jpg\n尺寸：4x3\n像素格式：24bppRGB\nDPI：72x72")
                  + QString::fromUtf8(row.section) + QStringLiteral("\n其它属性：\n ExifColorSpace:")
                  + QString::fromUtf8(row.listed) + u'\n');
}

INSTANTIATE_TEST_SUITE_P(
    Values, ColorSpaceTest,
    testing::Values(
        ColorSpaceCase{"Srgb", TiffType::Short, Shorts({1}), "\n颜色空间：sRGB", "1"},
        ColorSpaceCase{"Uncalibrated", TiffType::Short, Shorts({0xFFFF}), "\n颜色空间：未校准", "-1"},
        ColorSpaceCase{"AdobeRgbIsNotNamed", TiffType::Short, Shorts({2}), "", "2"},
        ColorSpaceCase{"LongType", TiffType::Long, Longs({1}), "", "1"},
        // Only the first element is read, whatever follows it.
        ColorSpaceCase{"FirstOfTwo", TiffType::Short, Shorts({1, 0xFFFF}), "\n颜色空间：sRGB", "1,-1"},
        ColorSpaceCase{"SingleByte", TiffType::Short, QByteArray(1, '\x01'), "\n颜色空间：sRGB", ""},
        ColorSpaceCase{"NoBytes", TiffType::Short, QByteArray(), "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImageReportTest, SectionsComeInTheirOrderWithoutPropertiesLast)
{
    // Colour space listed before orientation in the picture; the sections keep their own order.
    const ImagePtr image = Picture(ImageFormatTIFF, 4, 3,
                                   {PropertyRecord{PropertyTagExifColorSpace, TiffType::Short, Shorts({0xFFFF})},
                                    PropertyRecord{0x0131, TiffType::Ascii, QByteArray("GIMP", 5)},
                                    PropertyRecord{PropertyTagOrientation, TiffType::Short, Shorts({1})}},
                                   PixelFormat8bppIndexed, 300.0f, 300.0f);
    EXPECT_EQ(Report(image.get()),
              QStringLiteral("文件类型：tiff\n尺寸：4x3\n像素格式：8bppIndexed\n"
                             "DPI：300x300 - 非JPG仅供参考\n旋转标志：1\n颜色空间：未校准\n"
                             "其它属性：\n ExifColorSpace:-1\n SoftwareUsed:GIMP\n Orientation:1\n"));
}

}  // namespace
}  // namespace veltra::info
