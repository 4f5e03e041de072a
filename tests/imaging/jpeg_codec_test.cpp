// The JPEG codec against independent decoders and encoders: decoded pixels equal Qt's
// reader's byte for byte (djpeg's for scaled decodes), and encoded files decode back to the
// picture with the sampling that was asked for, cjpeg's tables and Qt's writer's JFIF header.

#include "formats/jpeg/jpeg_codec.h"
#include "imaging/imaging_test_support.h"
#include "formats/jpeg/jpeg_segments.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QLoggingCategory>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace veltra::imaging {
namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString TestFile(const char* name)
{
    // Camera files are named by their folder under camera_files, fixtures by name alone.
    return std::strchr(name, '/') != nullptr
               ? QStringLiteral(VELTRA_CAMERA_FILES_DIR "/") + QString::fromUtf8(name)
               : test_support::FixturePath(name);
}

// One of libjpeg-turbo's tools (scripts/setup.sh installs them), reading standard input.
QByteArray RunTool(const char* tool, const QStringList& arguments, const QByteArray& input)
{
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool));
    EXPECT_FALSE(program.isEmpty()) << tool << " is missing; scripts/setup.sh installs it";
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(-1));
    EXPECT_EQ(process.exitCode(), 0)
        << tool << ": " << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

::testing::AssertionResult SamePixels(const QImage& actual, const QImage& expected)
{
    if (actual.format() != expected.format() || actual.size() != expected.size())
        return ::testing::AssertionFailure() << "format or size differs";
    const qsizetype rowBytes = static_cast<qsizetype>(actual.width()) * actual.depth() / 8;
    for (int y = 0; y < actual.height(); ++y) {
        if (std::memcmp(actual.constScanLine(y), expected.constScanLine(y), rowBytes) != 0)
            return ::testing::AssertionFailure() << "row " << y << " differs";
    }
    return ::testing::AssertionSuccess();
}

// ---------------------------------------------------------------------------------------------
// Decoding

struct DecodeRow {
    const char* file;
    double keptFraction;  // below 1, the file is cut short there
};

class DecodeLikeQt : public ::testing::TestWithParam<DecodeRow> {};

// Qt decodes a file cut short in the middle of a scan, and refuses one cut inside a table.
TEST_P(DecodeLikeQt, SamePixelsAndDensity)
{
    QByteArray bytes = ReadFile(TestFile(GetParam().file));
    ASSERT_FALSE(bytes.isEmpty());
    bytes.truncate(static_cast<qsizetype>(bytes.size() * GetParam().keptFraction));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(false);
    const QImage expected = reader.read();

    QImage decoded(2, 2, QImage::Format_RGB32);
    const GpStatus status = DecodeJpeg(bytes, &decoded);
    if (expected.isNull()) {
        EXPECT_NE(status, Ok) << "Qt refuses the file: " << reader.errorString().toStdString();
        EXPECT_TRUE(decoded.isNull());
        return;
    }
    ASSERT_EQ(status, Ok);
    EXPECT_EQ(decoded.format(), expected.format());
    EXPECT_TRUE(SamePixels(decoded, expected.convertToFormat(decoded.format())));
    EXPECT_EQ(decoded.dotsPerMeterX(), expected.dotsPerMeterX());
    EXPECT_EQ(decoded.dotsPerMeterY(), expected.dotsPerMeterY());
}

INSTANTIATE_TEST_SUITE_P(
    Files, DecodeLikeQt,
    ::testing::Values(DecodeRow{"jpeg_3_components.jpg", 1}, DecodeRow{"jpeg_1_component.jpg", 1},
                      DecodeRow{"jpeg_cmyk.jpg", 1}, DecodeRow{"jpeg_progressive_4_2_0.jpg", 1},
                      DecodeRow{"jpeg_progressive_1_component.jpg", 1},
                      DecodeRow{"jpeg_progressive_cmyk.jpg", 1},
                      DecodeRow{"jpeg_jfif_118x59_dots_per_cm.jpg", 1},
                      DecodeRow{"jpeg_jfif_300x150_dpi.jpg", 1},
                      DecodeRow{"jpeg_no_density.jpg", 1},
                      DecodeRow{"jpg/Canon_40D.jpg", 1},
                      DecodeRow{"jpg/Fujifilm_FinePix6900ZOOM.jpg", 1},
                      DecodeRow{"jpg/gps/DSCN0010.jpg", 1},
                      DecodeRow{"jpg/orientation/landscape_1.jpg", 1},
                      DecodeRow{"jpg/orientation/landscape_6.jpg", 1},
                      DecodeRow{"jpg/gps/DSCN0010.jpg", 0.6},
                      DecodeRow{"jpeg_progressive_4_2_0.jpg", 0.5},
                      DecodeRow{"jpeg_progressive_4_2_0.jpg", 0.7},
                      DecodeRow{"jpeg_progressive_cmyk.jpg", 0.5}),
    [](const auto& info) {
        return test_support::RowName(info.param.file) +
               (info.param.keptFraction < 1
                    ? "_cut_at_" + std::to_string(static_cast<int>(info.param.keptFraction * 100))
                    : "");
    });

struct ScaledRow {
    const char* file;
    int numerator;
    int denominator;
};

// libjpeg's scaled decodes, 1/2 to 1/8 and any number of eighths, give what djpeg gives.
class ScaledDecodeLikeDjpeg : public ::testing::TestWithParam<ScaledRow> {};

TEST_P(ScaledDecodeLikeDjpeg, SamePixels)
{
    const QByteArray bytes = ReadFile(TestFile(GetParam().file));
    const QImage expected = QImage::fromData(RunTool(
        "djpeg",
        {QStringLiteral("-scale"),
         QStringLiteral("%1/%2").arg(GetParam().numerator).arg(GetParam().denominator)},
        bytes));
    ASSERT_FALSE(expected.isNull());
    QImage decoded;
    ASSERT_EQ(DecodeJpeg(bytes, &decoded,
                         {.scaleNumerator = GetParam().numerator,
                          .scaleDenominator = GetParam().denominator}),
              Ok);
    EXPECT_TRUE(SamePixels(decoded, expected.convertToFormat(decoded.format())));
}

INSTANTIATE_TEST_SUITE_P(Files, ScaledDecodeLikeDjpeg,
                         ::testing::Values(ScaledRow{"jpg/orientation/landscape_1.jpg", 1, 4},
                                           ScaledRow{"jpg/gps/DSCN0010.jpg", 1, 8},
                                           ScaledRow{"jpeg_progressive_4_2_0.jpg", 1, 2},
                                           ScaledRow{"jpeg_progressive_1_component.jpg", 1, 8},
                                           ScaledRow{"jpg/gps/DSCN0010.jpg", 3, 8},
                                           ScaledRow{"jpeg_progressive_4_2_0.jpg", 5, 8},
                                           ScaledRow{"jpg/orientation/landscape_6.jpg", 7, 8}));

// The progressive fixture with its second scan asking for coefficients 5 to 2, backwards:
// libjpeg stops there, after the header was read and the pixel memory taken.
QByteArray BrokenProgression()
{
    QByteArray bytes = ReadFile(test_support::FixturePath("jpeg_progressive_4_2_0.jpg"));
    const qsizetype secondScan = bytes.indexOf("\xFF\xDA", bytes.indexOf("\xFF\xDA") + 2);
    const int components = static_cast<std::uint8_t>(bytes[secondScan + 4]);
    bytes[secondScan + 5 + 2 * components] = 5;
    bytes[secondScan + 6 + 2 * components] = 2;
    return bytes;
}

struct StatusRow {
    const char* name;
    QByteArray file;
    JpegDecodeOptions options;
    GpStatus status;
};

class DecodeStatus : public ::testing::TestWithParam<StatusRow> {};

TEST_P(DecodeStatus, APictureOnlyWhenOk)
{
    QImage decoded(2, 2, QImage::Format_RGB32);
    EXPECT_EQ(DecodeJpeg(GetParam().file, &decoded, GetParam().options), GetParam().status);
    EXPECT_EQ(decoded.isNull(), GetParam().status != Ok);
}

const QByteArray kGreyProgressive =
    ReadFile(test_support::FixturePath("jpeg_progressive_1_component.jpg"));
// 37 x 45 grey: QImage's rows of 37 bytes are padded to 40.
const std::uint64_t kGreyProgressiveBytes = QImage(37, 45, QImage::Format_Grayscale8).sizeInBytes();

INSTANTIATE_TEST_SUITE_P(
    Files, DecodeStatus,
    ::testing::Values(
        StatusRow{"empty", QByteArray(), {}, UnknownImageFormat},
        StatusRow{"png", ReadFile(test_support::FixturePath("png_rgb_8bit.png")), {},
                   UnknownImageFormat},
        StatusRow{"header_cut_short", kGreyProgressive.left(60), {}, UnknownImageFormat},
        StatusRow{"broken_progression", BrokenProgression(), {}, UnknownImageFormat},
        StatusRow{"one_byte_over_the_pixel_limit", kGreyProgressive,
                   {.maxPixelBytes = kGreyProgressiveBytes - 1}, OutOfMemory},
        StatusRow{"pixels_exactly_at_the_limit", kGreyProgressive,
                   {.maxPixelBytes = kGreyProgressiveBytes}, Ok},
        // The coefficients alone (5 x 6 blocks of 128 bytes) need more, whatever the scale.
        StatusRow{"coefficients_over_the_limit", kGreyProgressive,
                   {.maxWorkingBytes = 3839, .scaleDenominator = 8}, OutOfMemory},
        StatusRow{"scale_one_third", kGreyProgressive, {.scaleDenominator = 3}, InvalidParameter},
        StatusRow{"scale_three_quarters", kGreyProgressive,
                  {.scaleNumerator = 3, .scaleDenominator = 4}, InvalidParameter}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<QString> g_libraryMessages;

void CollectLibraryMessages(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    if (QByteArrayView(context.category) == "veltra.libraries")
        g_libraryMessages.push_back(message);
}

// libjpeg's warning about a file cut short reaches the log only when the category is on.
TEST(DecodeJpeg, LibraryWarningsGoToTheLibrariesCategory)
{
    QByteArray bytes = ReadFile(TestFile("jpg/gps/DSCN0010.jpg"));
    bytes.truncate(bytes.size() / 2);
    const QtMessageHandler previous = qInstallMessageHandler(CollectLibraryMessages);
    QImage decoded;
    EXPECT_EQ(DecodeJpeg(bytes, &decoded), Ok);
    EXPECT_TRUE(g_libraryMessages.empty());
    QLoggingCategory::setFilterRules(QStringLiteral("veltra.libraries.warning=true"));
    EXPECT_EQ(DecodeJpeg(bytes, &decoded), Ok);
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);
    EXPECT_TRUE(std::any_of(
        g_libraryMessages.begin(), g_libraryMessages.end(), [](const QString& message) {
            return message.contains(QStringLiteral("Premature end of JPEG file"));
        }));
}

// ---------------------------------------------------------------------------------------------
// Encoding

// Smooth colour with a ripple, at a size that leaves partial blocks.
QImage Ripples(QImage::Format format)
{
    QImage picture(67, 45, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const int ripple = static_cast<int>(20 * std::sin((x + 2 * y) / 5.0));
            picture.setPixel(x, y, qRgb(30 + 3 * x, 200 - 3 * y + ripple, 120 + ripple));
        }
    }
    return picture.convertToFormat(format);
}

QByteArray Encoded(const QImage& picture, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_EQ(EncodeJpeg(picture, quality, buffer), Ok);
    return bytes;
}

std::vector<JpegSegment> Segments(const QByteArray& file)
{
    std::vector<JpegSegment> segments;
    ForEachJpegSegment(file, [&](const JpegSegment& segment) {
        segments.push_back(segment);
        return true;
    });
    return segments;
}

double MeanDifference(const QImage& a, const QImage& b)
{
    const QImage first = a.convertToFormat(QImage::Format_RGB32);
    const QImage second = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int y = 0; y < first.height(); ++y) {
        for (int x = 0; x < first.width(); ++x) {
            const QRgb p = first.pixel(x, y);
            const QRgb q = second.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * first.width() * first.height());
}

struct EncodeRow {
    QImage::Format format;
    int quality;
    QByteArray sampling;  // each component's sampling byte in the frame header
    double maxMeanDifference;
};

class EncodeRoundTrip : public ::testing::TestWithParam<EncodeRow> {};

TEST_P(EncodeRoundTrip, BaselineWithTheSamplingAskedForAndCloseToThePicture)
{
    const QImage picture = Ripples(GetParam().format);
    const QByteArray file = Encoded(picture, GetParam().quality);
    QByteArray sampling;
    for (const JpegSegment& segment : Segments(file)) {
        EXPECT_NE(segment.marker, 0xC2) << "progressive";
        if (segment.marker == 0xC0) {
            for (qsizetype at = 7; at < segment.payload.size(); at += 3)
                sampling.append(segment.payload[at]);
        }
    }
    EXPECT_EQ(sampling, GetParam().sampling);
    const QImage byQt = QImage::fromData(file, "JPEG");
    const QImage byDjpeg = QImage::fromData(RunTool("djpeg", {}, file));
    for (const QImage& decoded : {byQt, byDjpeg}) {
        ASSERT_EQ(decoded.size(), picture.size());
        EXPECT_LT(MeanDifference(decoded, picture), GetParam().maxMeanDifference);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, EncodeRoundTrip,
    ::testing::Values(EncodeRow{QImage::Format_RGB32, 100, "\x11\x11\x11", 1.0},
                      EncodeRow{QImage::Format_ARGB32_Premultiplied, 90, "\x11\x11\x11", 1.5},
                      EncodeRow{QImage::Format_ARGB32, 89, "\x22\x11\x11", 2.5},
                      EncodeRow{QImage::Format_RGB888, 75, "\x22\x11\x11", 3.0},
                      EncodeRow{QImage::Format_Grayscale8, 100, "\x11", 1.0},
                      // Converted a strip of rows at a time.
                      EncodeRow{QImage::Format_RGB16, 92, "\x11\x11\x11", 2.0}));

struct HeaderRow {
    int quality;
    QSize dotsPerMetre;
};

class EncodeHeader : public ::testing::TestWithParam<HeaderRow> {};

// The tables are those cjpeg writes for the same quality (baseline, libjpeg's standard
// Huffman tables); the only other segment is the JFIF header Qt's writer would write, without
// the comment Qt's writer adds for the picture's text.
TEST_P(EncodeHeader, CjpegsTablesAndQtsJfifHeader)
{
    QImage picture = Ripples(QImage::Format_RGB32);
    picture.setDotsPerMeterX(GetParam().dotsPerMetre.width());
    picture.setDotsPerMeterY(GetParam().dotsPerMetre.height());
    picture.setText(QStringLiteral("Description"), QStringLiteral("not written"));
    QByteArray ppm;
    QBuffer ppmBuffer(&ppm);
    ASSERT_TRUE(ppmBuffer.open(QIODevice::WriteOnly) && picture.save(&ppmBuffer, "PPM"));
    const QStringList arguments = {QStringLiteral("-quality"),
                                   QString::number(GetParam().quality), QStringLiteral("-baseline")};
    const QByteArray byCjpeg = RunTool("cjpeg", arguments, ppm);
    QByteArray byQt;
    QBuffer qtBuffer(&byQt);
    ASSERT_TRUE(qtBuffer.open(QIODevice::WriteOnly) &&
                QImageWriter(&qtBuffer, "jpeg").write(picture));

    // The segments of each kind, marker and payload, one after the other.
    const auto segments = [](const QByteArray& file, auto isWanted) {
        QByteArray bytes;
        for (const JpegSegment& segment : Segments(file)) {
            if (isWanted(segment.marker))
                bytes += char(segment.marker) + segment.payload.toByteArray();
        }
        return bytes;
    };
    const auto isTable = [](std::uint8_t marker) { return marker == 0xDB || marker == 0xC4; };
    const auto isJfif = [](std::uint8_t marker) { return marker == 0xE0; };
    const auto isApplicationOrComment = [](std::uint8_t marker) { return marker >= 0xE0; };
    const QByteArray file = Encoded(picture, GetParam().quality);
    EXPECT_EQ(segments(file, isTable), segments(byCjpeg, isTable));
    EXPECT_EQ(segments(file, isApplicationOrComment), segments(byQt, isJfif));
}

// 96, 72 and 300 x 150 dots per inch; 118 x 59 dots per centimetre.
INSTANTIATE_TEST_SUITE_P(
    QualitiesAndDensities, EncodeHeader,
    ::testing::Values(HeaderRow{0, QSize(3780, 3780)}, HeaderRow{10, QSize(2835, 2835)},
                      HeaderRow{50, QSize(11811, 5906)}, HeaderRow{75, QSize(11800, 5900)},
                      HeaderRow{92, QSize(3780, 3780)}, HeaderRow{100, QSize(11811, 5906)}));

// Takes `capacity` bytes, then writes short and finally refuses.
class FillingDevice : public QIODevice {
public:
    explicit FillingDevice(qint64 capacity) : m_capacity(capacity) { open(WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 length) override
    {
        const qint64 taken = std::min(length, m_capacity);
        m_capacity -= taken;
        return taken > 0 ? taken : -1;
    }

private:
    qint64 m_capacity;
};

// Noise, so that the file is larger than any sensible write buffer.
QImage Noise()
{
    QImage picture(1024, 1024, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < picture.height(); ++y)
        random.fillRange(reinterpret_cast<quint32*>(picture.scanLine(y)), picture.width());
    return picture;
}

TEST(EncodeJpeg, RefusedWritesFail)
{
    const QImage picture = Noise();
    const qint64 size = Encoded(picture, 100).size();
    ASSERT_GT(size, 2 << 20);
    for (const qint64 capacity : {qint64{0}, qint64{1000}, size - 1}) {
        FillingDevice device(capacity);
        EXPECT_EQ(EncodeJpeg(picture, 100, device), Win32Error) << capacity;
    }
}

}  // namespace
}  // namespace veltra::imaging
