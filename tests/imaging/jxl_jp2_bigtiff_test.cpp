// The JPEG XL, JPEG 2000 and BigTIFF test pictures (scripts/make_*_fixtures.py) against
// independent readers of the same files: the stored size and the file's nature as jxlinfo
// (libjxl's own tool) or exiftool read them, every TIFF, Exif and GPS entry as exiftool lists
// it, and the decoded pixels as djxl, opj_decompress or ImageMagick decode them.

#include "imaging/imaging_test_support.h"

#include "metadata/ifd_walker.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace veltra::imaging {
namespace {

using test_support::FixturePath;
using test_support::LoadFixture;
using test_support::QueryRawFormat;
using test_support::QuerySize;
using test_support::RowName;
using test_support::Size;

enum class Oracle { Jxlinfo, Exiftool };
// The decoder whose pixels are compared; for a JPEG XL that djxl 0.7 cannot write out (16-bit
// colour beside the 8-bit alpha cjxl 0.7 gives), the PNG it was made from.
enum class Reference { Djxl, OpjDecompress, ImageMagick, SourcePng };

struct FixtureRow {
    const char* file;
    const char* kind;
    GUID rawFormat;
    PixelFormat pixelFormat;
    // What the oracle says of the file that decides the pixel format: a phrase of jxlinfo's,
    // or exiftool's component count and depth less one (JPEG 2000) or bits per sample.
    const char* nature;
    Oracle oracle;
    Reference reference;
};

void PrintTo(const FixtureRow& row, std::ostream* os) { *os << row.file; }

std::optional<QByteArray> RunTool(const QString& program, const QStringList& arguments)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

struct OracleReading {
    Size stored;
    int orientation = 1;  // the codestream's, for a JPEG XL
    QString nature;
};

std::optional<OracleReading> ReadWithJxlinfo(const QString& path)
{
    const std::optional<QByteArray> out =
        RunTool(QStringLiteral("jxlinfo"), {QStringLiteral("-v"), path});
    if (!out)
        return std::nullopt;
    const QString text = QString::fromUtf8(*out);
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("JPEG XL image, (\\d+)x(\\d+)")).match(text);
    const QRegularExpressionMatch orientation =
        QRegularExpression(QStringLiteral("Orientation: (\\d)")).match(text);
    if (!size.hasMatch())
        return std::nullopt;
    return OracleReading{{size.captured(1).toUInt(), size.captured(2).toUInt()},
                         orientation.hasMatch() ? orientation.captured(1).toInt() : 1,
                         text};
}

std::optional<OracleReading> ReadWithExiftool(const QString& path)
{
    const std::optional<QByteArray> out =
        RunTool(QStringLiteral("exiftool"),
                {QStringLiteral("-j"), QStringLiteral("-n"), QStringLiteral("-ImageWidth"),
                 QStringLiteral("-ImageHeight"), QStringLiteral("-NumberOfComponents"),
                 QStringLiteral("-BitsPerComponent"), QStringLiteral("-BitsPerSample"), path});
    if (!out)
        return std::nullopt;
    const QJsonObject entry = QJsonDocument::fromJson(*out).array().first().toObject();
    QStringList nature;
    for (const char* key : {"NumberOfComponents", "BitsPerComponent", "BitsPerSample"}) {
        if (entry.contains(QLatin1String(key)))
            nature << entry[QLatin1String(key)].toVariant().toString();
    }
    return OracleReading{{static_cast<std::uint32_t>(entry[u"ImageWidth"].toInt()),
                          static_cast<std::uint32_t>(entry[u"ImageHeight"].toInt())},
                         1,
                         nature.join(QLatin1Char('/'))};
}

struct Entry {
    PROPID id = 0;
    int type = 0;
    int bytes = 0;
    friend bool operator==(const Entry&, const Entry&) = default;
};

std::string Describe(const std::vector<Entry>& entries)
{
    std::string text;
    for (const Entry& entry : entries)
        text += QStringLiteral("0x%1 type %2 %3 bytes; ")
                    .arg(entry.id, 4, 16, QLatin1Char('0'))
                    .arg(entry.type)
                    .arg(entry.bytes)
                    .toStdString();
    return text;
}

// exiftool's names of the stored types, by TIFF type number.
int TypeNumber(const QString& name)
{
    static const QStringList names{"int8u",  "string", "int16u", "int32u",  "rational64u",
                                   "int8s",  "undef",  "int16s", "int32s",  "rational64s",
                                   "float",  "double", "ifd",    "unicode", "complex",
                                   "int64u", "int64s", "ifd64"};
    return static_cast<int>(names.indexOf(name)) + 1;
}

// The entries of IFD0 and its Exif and GPS directories (and, in an Exif block, of the
// thumbnail directory under its thumbnail ids) as `exiftool -v2` lists them, in its order:
// the file's, with each directory after its pointer. Entries of types outside 1 to 12 are
// left out, as the service leaves them out.
std::optional<std::vector<Entry>> EntriesWithExiftool(const QString& path, TiffStructure structure)
{
    const std::optional<QByteArray> out =
        RunTool(QStringLiteral("exiftool"), {QStringLiteral("-v2"), path});
    if (!out)
        return std::nullopt;
    static const QRegularExpression directory(QStringLiteral("^([ |]*)\\+ \\[(\\w+) directory"));
    static const QRegularExpression tag(
        QStringLiteral("^([ |]*)- Tag 0x([0-9a-f]{4}) \\((\\d+) bytes, (\\w+)"));
    std::vector<std::pair<qsizetype, QString>> open;  // depth and name of enclosing directories
    std::vector<Entry> entries;
    for (const QString& line : QString::fromUtf8(*out).split(QLatin1Char('\n'))) {
        if (const QRegularExpressionMatch match = directory.match(line); match.hasMatch()) {
            const qsizetype depth = match.captured(1).count(QLatin1Char('|'));
            while (!open.empty() && open.back().first >= depth)
                open.pop_back();
            open.emplace_back(depth, match.captured(2));
            continue;
        }
        const QRegularExpressionMatch match = tag.match(line);
        if (!match.hasMatch())
            continue;
        const qsizetype depth = match.captured(1).count(QLatin1Char('|'));
        while (!open.empty() && open.back().first >= depth)
            open.pop_back();
        if (open.empty())
            continue;
        const QString& group = open.back().second;
        auto id = static_cast<PROPID>(match.captured(2).toUInt(nullptr, 16));
        const int type = TypeNumber(match.captured(4));
        if (type < 1 || type > 12)
            continue;
        if (group == QLatin1String("IFD1")) {
            if (structure == TiffStructure::File)
                continue;  // the next page
            id = ThumbnailPropertyId(id);
        } else if (group != QLatin1String("IFD0") && group != QLatin1String("ExifIFD") &&
                   group != QLatin1String("ExifOffset") && group != QLatin1String("GPS")) {
            continue;
        }
        entries.push_back({id, type, match.captured(3).toInt()});
    }
    return entries;
}

// What the reference decoder makes of the file, as 16 bits a channel.
std::optional<QImage> DecodeWithReference(const FixtureRow& row, const QTemporaryDir& work)
{
    const QString in = FixturePath(row.file);
    const QString out = work.filePath(QStringLiteral("reference.png"));
    std::optional<QByteArray> ran;
    switch (row.reference) {
    case Reference::Djxl:
        ran = RunTool(QStringLiteral("djxl"), {in, out});
        break;
    case Reference::OpjDecompress:
        ran = RunTool(QStringLiteral("opj_decompress"),
                      {QStringLiteral("-i"), in, QStringLiteral("-o"), out});
        break;
    case Reference::SourcePng:
        return QImage(QString(in).replace(QLatin1String(".jxl"), QLatin1String("_source.png")))
            .convertToFormat(QImage::Format_RGBA64);
    case Reference::ImageMagick:
        // The first page only.
        ran = RunTool(QStringLiteral("convert"), {in + QStringLiteral("[0]"), out});
        break;
    }
    if (!ran)
        return std::nullopt;
    return QImage(out).convertToFormat(QImage::Format_RGBA64);
}

// The largest difference of any channel of any pixel, in 16-bit steps.
int LargestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgba64 p = a.pixelColor(x, y).rgba64();
            const QRgba64 q = b.pixelColor(x, y).rgba64();
            largest =
                std::max({largest, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                          std::abs(p.blue() - q.blue()), std::abs(p.alpha() - q.alpha())});
        }
    }
    return largest;
}

class FixtureAgainstOracles : public ::testing::TestWithParam<FixtureRow> {};

TEST_P(FixtureAgainstOracles, SizeNatureItemsAndPixels)
{
    const FixtureRow& row = GetParam();
    const QString path = FixturePath(row.file);
    const std::optional<OracleReading> oracle =
        row.oracle == Oracle::Jxlinfo ? ReadWithJxlinfo(path) : ReadWithExiftool(path);
    if (!oracle)
        GTEST_SKIP() << "jxlinfo or exiftool is not installed";

    const auto loaded = LoadFixture(row.file);
    ASSERT_EQ(loaded.status, Ok);
    GpImage* image = loaded.image.get();
    QByteArray kind;
    ASSERT_EQ(GetImageContentFormat(image, &kind), Ok);
    EXPECT_EQ(kind, row.kind);
    EXPECT_EQ(QueryRawFormat(image), row.rawFormat);

    // Stored as the oracle reads it; a JPEG XL upright as its codestream's orientation says.
    RotateFlipType applied = RotateNoneFlipNone;
    ASSERT_EQ(GetImageAppliedTurn(image, &applied), Ok);
    const bool sideways = oracle->orientation >= 5;
    const Size upright =
        sideways ? Size{oracle->stored.height, oracle->stored.width} : oracle->stored;
    EXPECT_EQ(QuerySize(image), upright);
    EXPECT_EQ(static_cast<int>(applied) & 1, sideways ? 1 : 0);

    PixelFormat format = 0;
    ASSERT_EQ(GdipGetImagePixelFormat(image, &format), Ok);
    EXPECT_EQ(format, row.pixelFormat);
    EXPECT_TRUE(oracle->nature.contains(QLatin1String(row.nature)))
        << "the oracle says " << oracle->nature.toStdString();

    // The items, against exiftool's reading of the same file (or, for a recompressed JPEG
    // whose Exif is Brotli-compressed, which this exiftool cannot unpack, of the JPEG that
    // djxl restores from it).
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    QString metadataSource = path;
    if (QByteArray(row.file).contains("recompressed")) {
        metadataSource = work.filePath(QStringLiteral("restored.jpg"));
        if (!RunTool(QStringLiteral("djxl"), {path, metadataSource}))
            GTEST_SKIP() << "djxl is not installed";
    }
    const TiffStructure structure =
        row.rawFormat == ImageFormatTIFF ? TiffStructure::File : TiffStructure::ExifBlock;
    const std::optional<std::vector<Entry>> expected =
        EntriesWithExiftool(metadataSource, structure);
    ASSERT_TRUE(expected);
    std::vector<Entry> listed;
    for (const PropertyRecord& item : image->properties().records())
        listed.push_back(
            {item.id, static_cast<int>(item.type), static_cast<int>(item.value.size())});
    EXPECT_EQ(listed, *expected) << "listed: " << Describe(listed)
                                 << "\nexiftool: " << Describe(*expected);

    const std::optional<QImage> reference = DecodeWithReference(row, work);
    if (!reference)
        GTEST_SKIP() << "the reference decoder is not installed";
    const QImage decoded = PixelsForTesting(image).convertToFormat(QImage::Format_RGBA64);
    ASSERT_EQ(decoded.size(), reference->size());
    // One step of 8 bits: a 16-bit BigTIFF comes through libtiff's 8-bit reader, and cjxl
    // keeps alpha at 8 bits.
    EXPECT_LE(LargestDifference(decoded, *reference), 257);
}

constexpr GUID kOther = ImageFormatOtherDecoded;

INSTANTIATE_TEST_SUITE_P(
    Fixtures, FixtureAgainstOracles,
    ::testing::Values(
        FixtureRow{"jxl/jxl_orientation_1.jxl", "jxl", kOther, PixelFormat24bppRGB, "8-bit RGB",
                   Oracle::Jxlinfo, Reference::Djxl},
        FixtureRow{"jxl/jxl_orientation_6_exif_3.jxl", "jxl", kOther, PixelFormat24bppRGB,
                   "8-bit RGB", Oracle::Jxlinfo, Reference::Djxl},
        FixtureRow{"jxl/jxl_orientation_1_exif_6.jxl", "jxl", kOther, PixelFormat24bppRGB,
                   "8-bit RGB", Oracle::Jxlinfo, Reference::Djxl},
        FixtureRow{"jxl/jxl_grey_8bit.jxl", "jxl", kOther, PixelFormat8bppIndexed,
                   "8-bit Grayscale", Oracle::Jxlinfo, Reference::Djxl},
        FixtureRow{"jxl/jxl_grey_16bit.jxl", "jxl", kOther, PixelFormat16bppGrayScale,
                   "16-bit Grayscale", Oracle::Jxlinfo, Reference::Djxl},
        FixtureRow{"jxl/jxl_rgba_8bit.jxl", "jxl", kOther, PixelFormat32bppARGB, "8-bit RGBA",
                   Oracle::Jxlinfo, Reference::Djxl},
        FixtureRow{"jxl/jxl_rgb_16bit.jxl", "jxl", kOther, PixelFormat48bppRGB, "16-bit RGB",
                   Oracle::Jxlinfo, Reference::Djxl},
        FixtureRow{"jxl/jxl_rgba_16bit.jxl", "jxl", kOther, PixelFormat64bppARGB, "16-bit RGBA",
                   Oracle::Jxlinfo, Reference::SourcePng},
        FixtureRow{"jxl/jxl_lossy_rgb_8bit.jxl", "jxl", kOther, PixelFormat24bppRGB,
                   "lossy, 8-bit RGB", Oracle::Jxlinfo, Reference::Djxl},
        FixtureRow{"jxl/jxl_recompressed_jpeg.jxl", "jxl", kOther, PixelFormat24bppRGB, "8-bit RGB",
                   Oracle::Jxlinfo, Reference::Djxl},
        FixtureRow{"jp2/jp2_rgb_8bit.jp2", "jp2", kOther, PixelFormat24bppRGB, "3/7",
                   Oracle::Exiftool, Reference::OpjDecompress},
        FixtureRow{"jp2/jp2_grey_8bit.jp2", "jp2", kOther, PixelFormat8bppIndexed, "1/7",
                   Oracle::Exiftool, Reference::OpjDecompress},
        FixtureRow{"jp2/jp2_grey_16bit.jp2", "jp2", kOther, PixelFormat16bppGrayScale, "1/15",
                   Oracle::Exiftool, Reference::OpjDecompress},
        FixtureRow{"jp2/jp2_rgb_16bit.jp2", "jp2", kOther, PixelFormat48bppRGB, "3/15",
                   Oracle::Exiftool, Reference::OpjDecompress},
        FixtureRow{"jp2/jp2_rgba_8bit.jp2", "jp2", kOther, PixelFormat32bppARGB, "4/7",
                   Oracle::Exiftool, Reference::OpjDecompress},
        // One component of indices into a palette of colours.
        FixtureRow{"jp2/jp2_palette.jp2", "jp2", kOther, PixelFormat8bppIndexed, "1/7",
                   Oracle::Exiftool, Reference::OpjDecompress},
        FixtureRow{"jp2/jp2_exif_xmp.jp2", "jp2", kOther, PixelFormat24bppRGB, "3/7",
                   Oracle::Exiftool, Reference::OpjDecompress},
        // A bare codestream: exiftool reads its size only.
        FixtureRow{"jp2/j2c_rgb_8bit.j2k", "j2c", kOther, PixelFormat24bppRGB, "", Oracle::Exiftool,
                   Reference::OpjDecompress},
        FixtureRow{"bigtiff/bigtiff_rgb_8bit.tif", "bigtiff", ImageFormatTIFF, PixelFormat24bppRGB,
                   "8 8 8", Oracle::Exiftool, Reference::ImageMagick},
        FixtureRow{"bigtiff/bigtiff_grey_16bit_be.tif", "bigtiff", ImageFormatTIFF,
                   PixelFormat16bppGrayScale, "16", Oracle::Exiftool, Reference::ImageMagick}),
    [](const ::testing::TestParamInfo<FixtureRow>& info) { return RowName(info.param.file); });

// BigTIFF keeps TIFF's resolution rule; JPEG XL and JPEG 2000 have no density the report
// reads: 96.
TEST(FixtureResolution, BigTiffTagsElse96)
{
    const std::pair<const char*, REAL> rows[] = {{"bigtiff/bigtiff_rgb_8bit.tif", 300},
                                                 {"bigtiff/bigtiff_grey_16bit_be.tif", 96},
                                                 {"jxl/jxl_orientation_6_exif_3.jxl", 96},
                                                 {"jp2/jp2_exif_xmp.jp2", 96}};
    for (const auto& [file, dpi] : rows) {
        const auto loaded = LoadFixture(file);
        ASSERT_EQ(loaded.status, Ok) << file;
        REAL horizontal = 0;
        REAL vertical = 0;
        ASSERT_EQ(GdipGetImageHorizontalResolution(loaded.image.get(), &horizontal), Ok);
        ASSERT_EQ(GdipGetImageVerticalResolution(loaded.image.get(), &vertical), Ok);
        EXPECT_EQ(horizontal, dpi) << file;
        EXPECT_EQ(vertical, dpi) << file;
    }
}

}  // namespace
}  // namespace veltra::imaging
