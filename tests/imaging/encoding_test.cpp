// Writing JPEG files: what comes out decodes back to the picture, and every failure leaves
// the folder exactly as it was (no new file, no damaged old file, no temporary file).

#include "imaging/imaging_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

namespace veltra::imaging {
namespace {

using test_support::GuidFromText;

using test_support::RowName;

// The identifiers as the platform documents them.
TEST(JpegEncoderIdentifiers, MatchThePlatformsValues)
{
    EXPECT_EQ(JpegEncoderClsid, GuidFromText("{557cf401-1a04-11d3-9a73-0000f81ef32e}"));
    EXPECT_EQ(EncoderQuality, GuidFromText("{1d5be4b5-fa4a-452d-9cdd-5db35105e7eb}"));
}

using test_support::QualityParameters;

// A smooth, opaque picture: red rises to the right, green downwards, blue across both.
ImagePtr Gradient(int width, int height)
{
    QImage pixels(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.setPixel(x, y, qRgb(255 * x / (width - 1), 255 * y / (height - 1),
                                       255 * (x + y) / (width + height - 2)));
        }
    }
    return ImagePtr(new GpImage(std::move(pixels), ImageFormatMemoryBMP, PixelFormat32bppARGB));
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

class JpegEncodingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    QString PathOf(const char* name) const { return m_folder.filePath(QString::fromLatin1(name)); }
    QStringList Entries() const { return veltra::imaging::Entries(m_folder.path()); }

    QTemporaryDir m_folder;
    QualityParameters m_quality{100};
};

TEST_F(JpegEncodingTest, QualityHundredDecodesCloseToThePicture)
{
    ImagePtr picture = Gradient(64, 48);
    const QString path = PathOf("gradient.jpg");
    ASSERT_EQ(GdipSaveImageToFile(picture.get(), path, &JpegEncoderClsid, m_quality.get()), Ok);

    QImageReader reader(path);
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    const QImage decoded = reader.read();
    ASSERT_FALSE(decoded.isNull());
    ASSERT_EQ(decoded.size(), QSize(64, 48));
    double difference[3] = {};
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const QRgb a = PixelsForTesting(picture.get()).pixel(x, y);
            const QRgb b = decoded.pixel(x, y);
            difference[0] += std::abs(qRed(a) - qRed(b));
            difference[1] += std::abs(qGreen(a) - qGreen(b));
            difference[2] += std::abs(qBlue(a) - qBlue(b));
        }
    }
    for (double channel : difference)
        EXPECT_LT(channel / (64 * 48), 2.0);
    EXPECT_EQ(Entries(), QStringList{"gradient.jpg"});
}

// Baseline: the frame header is SOF0 (FF C0), never progressive (FF C2), and the file starts
// and ends as a JPEG does.
TEST_F(JpegEncodingTest, WritesBaselineJpeg)
{
    ImagePtr picture = Gradient(40, 30);
    const QString path = PathOf("baseline.jpg");
    ASSERT_EQ(GdipSaveImageToFile(picture.get(), path, &JpegEncoderClsid, m_quality.get()), Ok);
    const QByteArray bytes = ReadAll(path);
    ASSERT_GT(bytes.size(), 4);
    EXPECT_TRUE(bytes.startsWith(QByteArray("\xFF\xD8\xFF", 3)));
    EXPECT_TRUE(bytes.endsWith(QByteArray("\xFF\xD9", 2)));
    EXPECT_TRUE(bytes.contains(QByteArray("\xFF\xC0", 2)));
    EXPECT_FALSE(bytes.contains(QByteArray("\xFF\xC2", 2)));
}

// The quantisation tables of a JPEG file, by table number, in the order stored (zigzag).
std::map<int, std::vector<int>> QuantisationTables(const QByteArray& jpeg)
{
    std::map<int, std::vector<int>> tables;
    qsizetype position = 2;  // after SOI
    while (position + 4 <= jpeg.size() && static_cast<std::uint8_t>(jpeg[position]) == 0xFF) {
        const int marker = static_cast<std::uint8_t>(jpeg[position + 1]);
        const int length = static_cast<std::uint8_t>(jpeg[position + 2]) << 8 |
                           static_cast<std::uint8_t>(jpeg[position + 3]);
        if (marker == 0xDA)  // start of scan: no more tables before the pixel data
            break;
        if (marker == 0xDB) {
            qsizetype at = position + 4;
            const qsizetype end = position + 2 + length;
            while (at < end && at < jpeg.size()) {
                const int precisionAndId = static_cast<std::uint8_t>(jpeg[at++]);
                const bool sixteenBit = (precisionAndId >> 4) != 0;
                std::vector<int>& table = tables[precisionAndId & 0x0F];
                for (int i = 0; i < 64 && at < end; ++i) {
                    int value = static_cast<std::uint8_t>(jpeg[at++]);
                    if (sixteenBit)
                        value = value << 8 | static_cast<std::uint8_t>(jpeg[at++]);
                    table.push_back(value);
                }
            }
        }
        position += 2 + length;
    }
    return tables;
}

struct QualityRow {
    std::uint32_t quality;
    int luminanceDc;    // first entry of table 0
    int chrominanceDc;  // first entry of table 1
};

class EncoderQualityTest : public JpegEncodingTest, public ::testing::WithParamInterface<QualityRow> {};

// The quality scales the standard tables (luminance DC 16, chrominance DC 17) the usual way:
// below 50 by 5000 / quality percent, from 50 up by 200 - 2 x quality percent, each entry
// rounded down after adding a half and kept at least 1. At quality 100 every entry is 1.
TEST_P(EncoderQualityTest, ScalesTheQuantisationTables)
{
    const QualityRow& row = GetParam();
    QualityParameters parameters(row.quality);
    ImagePtr picture = Gradient(16, 16);
    const QString path = PathOf("quality.jpg");
    ASSERT_EQ(GdipSaveImageToFile(picture.get(), path, &JpegEncoderClsid, parameters.get()), Ok);
    const auto tables = QuantisationTables(ReadAll(path));
    ASSERT_EQ(tables.count(0), 1u);
    ASSERT_EQ(tables.count(1), 1u);
    ASSERT_EQ(tables.at(0).size(), 64u);
    ASSERT_EQ(tables.at(1).size(), 64u);
    EXPECT_EQ(tables.at(0)[0], row.luminanceDc);
    EXPECT_EQ(tables.at(1)[0], row.chrominanceDc);
    if (row.quality == 100) {
        for (const auto& [id, table] : tables) {
            for (int value : table)
                EXPECT_EQ(value, 1) << "table " << id;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Qualities, EncoderQualityTest,
                         ::testing::Values(QualityRow{100, 1, 1}, QualityRow{90, 3, 3},
                                           QualityRow{75, 8, 9}, QualityRow{50, 16, 17},
                                           QualityRow{25, 32, 34}),
                         [](const ::testing::TestParamInfo<QualityRow>& info) {
                             return "Quality" + std::to_string(info.param.quality);
                         });

TEST_F(JpegEncodingTest, ReplacesAnExistingFile)
{
    const QString path = PathOf("existing.jpg");
    WriteAll(path, QByteArray("old content that is not a picture"));
    ImagePtr picture = Gradient(20, 10);
    ASSERT_EQ(GdipSaveImageToFile(picture.get(), path, &JpegEncoderClsid, m_quality.get()), Ok);
    const QByteArray bytes = ReadAll(path);
    EXPECT_TRUE(bytes.startsWith(QByteArray("\xFF\xD8\xFF", 3)));
    EXPECT_EQ(QImageReader(path).size(), QSize(20, 10));
    EXPECT_EQ(Entries(), QStringList{"existing.jpg"});
}

struct UnknownEncoderRow {
    const char* name;
    const char* clsid;
};

class UnknownEncoderTest : public JpegEncodingTest,
                           public ::testing::WithParamInterface<UnknownEncoderRow> {};

// The PNG, BMP and GIF encoders exist on the platform but not here; any identifier but the
// JPEG encoder's fails and writes nothing.
TEST_P(UnknownEncoderTest, FailsAndWritesNothing)
{
    ImagePtr picture = Gradient(8, 8);
    const GUID clsid = GuidFromText(GetParam().clsid);
    EXPECT_NE(GdipSaveImageToFile(picture.get(), PathOf("out.jpg"), &clsid, m_quality.get()), Ok);
    EXPECT_TRUE(Entries().isEmpty()) << Entries().join(QLatin1Char(' ')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Encoders, UnknownEncoderTest,
    ::testing::Values(UnknownEncoderRow{"png", "{557cf406-1a04-11d3-9a73-0000f81ef32e}"},
                      UnknownEncoderRow{"bmp", "{557cf400-1a04-11d3-9a73-0000f81ef32e}"},
                      UnknownEncoderRow{"gif", "{557cf402-1a04-11d3-9a73-0000f81ef32e}"},
                      UnknownEncoderRow{"jpeg_with_last_byte_changed", "{557cf401-1a04-11d3-9a73-0000f81ef32f}"},
                      UnknownEncoderRow{"zero", "{00000000-0000-0000-0000-000000000000}"}),
    [](const ::testing::TestParamInfo<UnknownEncoderRow>& info) { return RowName(info.param.name); });

TEST_F(JpegEncodingTest, MissingFolderFailsAndCreatesNothing)
{
    ImagePtr picture = Gradient(8, 8);
    const QString path = PathOf("missing/deeper/out.jpg");
    EXPECT_NE(GdipSaveImageToFile(picture.get(), path, &JpegEncoderClsid, m_quality.get()), Ok);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(PathOf("missing")));
    EXPECT_TRUE(Entries().isEmpty()) << Entries().join(QLatin1Char(' ')).toStdString();
}

// A read-only file is kept byte for byte, and nothing else appears beside it.
TEST_F(JpegEncodingTest, ReadOnlyTargetFailsAndStaysUnchanged)
{
    const QString path = PathOf("read_only.jpg");
    const QByteArray old("old bytes that must survive");
    WriteAll(path, old);
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                QFileDevice::ReadOther));
    ImagePtr picture = Gradient(8, 8);
    EXPECT_NE(GdipSaveImageToFile(picture.get(), path, &JpegEncoderClsid, m_quality.get()), Ok);
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(Entries(), QStringList{"read_only.jpg"});
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(JpegEncodingTest, FolderAsTargetFailsAndStaysAFolder)
{
    ASSERT_TRUE(QDir(m_folder.path()).mkdir(QStringLiteral("taken.jpg")));
    ImagePtr picture = Gradient(8, 8);
    EXPECT_NE(GdipSaveImageToFile(picture.get(), PathOf("taken.jpg"), &JpegEncoderClsid,
                                  m_quality.get()),
              Ok);
    EXPECT_TRUE(QFileInfo(PathOf("taken.jpg")).isDir());
    EXPECT_EQ(Entries(), QStringList{"taken.jpg"});
}

// Encoding the same picture twice over the same path gives the same bytes: nothing of the
// previous file or of the file system's state leaks in.
TEST_F(JpegEncodingTest, RewritingGivesTheSameBytes)
{
    ImagePtr picture = Gradient(16, 16);
    const QString path = PathOf("again.jpg");
    ASSERT_EQ(GdipSaveImageToFile(picture.get(), path, &JpegEncoderClsid, m_quality.get()), Ok);
    const QByteArray first = ReadAll(path);
    ASSERT_EQ(GdipSaveImageToFile(picture.get(), path, &JpegEncoderClsid, m_quality.get()), Ok);
    EXPECT_EQ(ReadAll(path), first);
    EXPECT_EQ(Entries(), QStringList{"again.jpg"});
}

}  // namespace
}  // namespace veltra::imaging
