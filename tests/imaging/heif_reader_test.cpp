// HEIF and AVIF files made by scripts/make_heif_fixtures.py: each file's kind, pixel format,
// upright size and container turn (worked out from how the script made it), its stored size
// and Exif properties against exiftool's reading of the same file, and its pixels upright once
// decoded. Damaged copies of a fixture fail as they should, or lose only what is damaged.

#include "imaging/imaging_test_support.h"

#include "imaging/orientation.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>

namespace veltra::imaging {
namespace {

using test_support::ColourNear;
using test_support::FixturePath;
using test_support::LoadFixture;
using test_support::QueryPixelFormat;
using test_support::QuerySize;
using test_support::ReadFixture;
using test_support::RowName;
using test_support::Size;

// The scene's colours (scripts/make_heif_fixtures.py): red top-left, green top-right, blue
// bottom-left, yellow bottom-right, a white bar along the top.
constexpr QRgb kRed = qRgb(220, 30, 30);
constexpr QRgb kGreen = qRgb(30, 200, 40);
constexpr QRgb kBlue = qRgb(30, 40, 220);
constexpr QRgb kYellow = qRgb(230, 220, 30);
constexpr QRgb kGreyOfRed = qRgb(220, 220, 220);

struct HeifRow {
    const char* file;
    const char* kind;
    PixelFormat pixelFormat;
    Size upright;
    RotateFlipType containerTurn;
    bool grey = false;
    // The size stored (`ispe`), when a clean aperture crops it to less than is shown.
    std::optional<Size> uncropped = std::nullopt;
};

void PrintTo(const HeifRow& row, std::ostream* os) { *os << row.file; }

// exiftool's JSON for a fixture (-n: numbers; -D: tag ids), read once per file.
QJsonObject Exiftool(const QString& path, const QStringList& tags)
{
    QProcess process;
    process.start(QStringLiteral("exiftool"),
                  QStringList{QStringLiteral("-j"), QStringLiteral("-n"), QStringLiteral("-D"),
                              QStringLiteral("-G1")} +
                      tags + QStringList{path});
    if (!process.waitForFinished(60000))
        return {};
    return QJsonDocument::fromJson(process.readAllStandardOutput()).array().first().toObject();
}

bool HaveExiftool()
{
    return !QStandardPaths::findExecutable(QStringLiteral("exiftool")).isEmpty();
}

class HeifFixtureTest : public ::testing::TestWithParam<HeifRow> {};

// Loaded upright by its container; the size stored is the `ispe` exiftool reads; the first
// quarter of the scene is where it belongs once decoded.
TEST_P(HeifFixtureTest, UprightOnceWithItsStoredSizeAndPixelFormat)
{
    const HeifRow& row = GetParam();
    const QString path =
        QStringLiteral(VELTRA_FIXTURES_DIR "/heif/") + QString::fromLatin1(row.file);
    GpBitmap* bitmap = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromFile(path, &bitmap), Ok);
    const ImagePtr image(bitmap);
    QByteArray kind;
    ASSERT_EQ(GetImageContentFormat(image.get(), &kind), Ok);
    EXPECT_EQ(kind, QByteArray(row.kind));
    EXPECT_EQ(QueryPixelFormat(image.get()), row.pixelFormat);
    EXPECT_EQ(QuerySize(image.get()), row.upright);
    bool oriented = false;
    RotateFlipType turn = RotateNoneFlipNone;
    ASSERT_EQ(GetImageOrientedByContainer(image.get(), &oriented), Ok);
    ASSERT_EQ(GetImageAppliedTurn(image.get(), &turn), Ok);
    EXPECT_TRUE(oriented);
    EXPECT_EQ(turn, row.containerTurn);
    REAL dpi = 0;
    EXPECT_EQ(GdipGetImageHorizontalResolution(image.get(), &dpi), Ok);
    EXPECT_EQ(dpi, 96.0f);

    if (HaveExiftool()) {
        const QJsonObject tool = Exiftool(
            path, {QStringLiteral("-File:ImageWidth"), QStringLiteral("-File:ImageHeight")});
        const bool quarter = (static_cast<int>(turn) & 1) != 0;
        const Size stored = row.uncropped ? *row.uncropped
                            : quarter     ? Size{row.upright.height, row.upright.width}
                                          : row.upright;
        EXPECT_EQ(tool[u"File:ImageWidth"][u"val"].toInt(), int(stored.width));
        EXPECT_EQ(tool[u"File:ImageHeight"][u"val"].toInt(), int(stored.height));
    }

    ASSERT_EQ(GdipImageForceDecode(image.get()), Ok);
    ARGB pixel = 0;
    // A sixteenth across and a quarter down: inside the red quarter, clear of the white bar.
    ASSERT_EQ(GdipBitmapGetPixel(image.get(), int(row.upright.width / 16),
                                 int(row.upright.height / 4), &pixel),
              Ok);
    EXPECT_TRUE(ColourNear(pixel, row.grey ? kGreyOfRed : kRed, 40));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, HeifFixtureTest,
    ::testing::Values(
        HeifRow{
            "heic_irot_0_exif_6.heic", "heic", PixelFormat24bppRGB, {128, 64}, RotateNoneFlipNone},
        HeifRow{
            "heic_irot_90_exif_6.heic", "heic", PixelFormat24bppRGB, {128, 64}, Rotate270FlipNone},
        HeifRow{
            "heic_irot_180_exif_6.heic", "heic", PixelFormat24bppRGB, {128, 64}, Rotate180FlipNone},
        HeifRow{
            "heic_irot_270_exif_6.heic", "heic", PixelFormat24bppRGB, {128, 64}, Rotate90FlipNone},
        HeifRow{"heic_imir_top_bottom_exif_6.heic",
                "heic",
                PixelFormat24bppRGB,
                {128, 64},
                Rotate180FlipX},
        HeifRow{"heic_imir_left_right_exif_6.heic",
                "heic",
                PixelFormat24bppRGB,
                {128, 64},
                RotateNoneFlipX},
        // A quarter turn anticlockwise then a mirror: the transposition, and its opposite.
        HeifRow{"heic_irot_90_imir_top_bottom_exif_6.heic",
                "heic",
                PixelFormat24bppRGB,
                {128, 64},
                Rotate90FlipX},
        HeifRow{"heic_irot_90_imir_left_right_exif_6.heic",
                "heic",
                PixelFormat24bppRGB,
                {128, 64},
                Rotate270FlipX},
        HeifRow{"avif_avifenc_irot_90_imir_top_bottom.avif",
                "avif",
                PixelFormat24bppRGB,
                {128, 64},
                Rotate90FlipX},
        HeifRow{"avif_avifenc_clap_100x40.avif", "avif", PixelFormat24bppRGB, {100, 40}, RotateNoneFlipNone,
                false, Size{128, 64}},
        HeifRow{"heic_heif_enc_exif_6_no_transform.heic",
                "heic",
                PixelFormat24bppRGB,
                {64, 48},
                RotateNoneFlipNone},
        HeifRow{
            "heic_heif_enc_10bit.heic", "heic", PixelFormat48bppRGB, {64, 48}, RotateNoneFlipNone},
        HeifRow{
            "avif_avifenc_10bit.avif", "avif", PixelFormat48bppRGB, {64, 48}, RotateNoneFlipNone},
        HeifRow{
            "heic_heif_enc_alpha.heic", "heic", PixelFormat32bppARGB, {64, 48}, RotateNoneFlipNone},
        HeifRow{
            "avif_avifenc_alpha.avif", "avif", PixelFormat32bppARGB, {64, 48}, RotateNoneFlipNone},
        HeifRow{"avif_avifenc_grey.avif",
                "avif",
                PixelFormat8bppIndexed,
                {64, 48},
                RotateNoneFlipNone,
                true},
        HeifRow{"heic_grid_2x2_tiles.heic",
                "heic",
                PixelFormat24bppRGB,
                {120, 100},
                RotateNoneFlipNone},
        HeifRow{"heic_heif_enc_thumbnail.heic",
                "heic",
                PixelFormat24bppRGB,
                {128, 96},
                RotateNoneFlipNone},
        HeifRow{"heic_thumbnail_of_another_picture.heic",
                "heic",
                PixelFormat24bppRGB,
                {256, 128},
                RotateNoneFlipNone},
        HeifRow{"heic_depth_gain_map_xmp_icc.heic",
                "heic",
                PixelFormat24bppRGB,
                {128, 64},
                RotateNoneFlipNone}),
    [](const ::testing::TestParamInfo<HeifRow>& info) { return RowName(info.param.file); });

// The decoded picture is the scene, upright: each quarter's colour where it belongs.
TEST(HeifDecoding, EveryQuarterWhereItBelongs)
{
    auto loaded = LoadFixture("heif/heic_irot_90_imir_left_right_exif_6.heic");
    ASSERT_EQ(loaded.status, Ok);
    ASSERT_EQ(GdipImageForceDecode(loaded.image.get()), Ok);
    const std::pair<QPoint, QRgb> expected[]{{{32, 20}, kRed},
                                             {{96, 20}, kGreen},
                                             {{32, 48}, kBlue},
                                             {{96, 48}, kYellow},
                                             {{64, 2}, qRgb(255, 255, 255)}};
    for (const auto& [point, colour] : expected) {
        ARGB pixel = 0;
        ASSERT_EQ(GdipBitmapGetPixel(loaded.image.get(), point.x(), point.y(), &pixel), Ok);
        EXPECT_TRUE(ColourNear(pixel, colour, 40)) << point.x() << "," << point.y();
    }
}

// Every IFD0, Exif and GPS tag exiftool reads from the Exif item is listed with the same id
// and value; nothing else is listed but the pointers to the Exif and GPS directories.
TEST(HeifProperties, AgreeWithExiftool)
{
    if (!HaveExiftool())
        GTEST_SKIP() << "exiftool is not installed";
    for (const char* name :
         {"heif/heic_irot_90_exif_6.heic", "heif/heic_heif_enc_exif_6_no_transform.heic",
          "heif/heic_grid_2x2_tiles.heic"}) {
        SCOPED_TRACE(name);
        const QJsonObject tool = Exiftool(
            FixturePath(name), {QStringLiteral("-IFD0:all"), QStringLiteral("-ExifIFD:all"),
                                QStringLiteral("-GPS:all")});
        auto loaded = LoadFixture(name);
        ASSERT_EQ(loaded.status, Ok);
        const PropertySet& ours = loaded.image->properties();
        int compared = 0;
        for (auto it = tool.begin(); it != tool.end(); ++it) {
            if (!it.value().isObject())
                continue;
            const auto id = static_cast<PROPID>(it.value()[u"id"].toInt());
            const QJsonValue value = it.value()[u"val"];
            const PropertyRecord* record = ours.find(id);
            ASSERT_NE(record, nullptr) << it.key().toStdString();
            const QByteArray& bytes = record->value;
            std::vector<double> numbers;
            const auto type = static_cast<std::uint16_t>(record->type);
            for (qsizetype at = 0; at + TiffTypeElementSize(type) <= bytes.size();
                 at += TiffTypeElementSize(type)) {
                const char* p = bytes.constData() + at;
                if (type == PropertyTagTypeShort)
                    numbers.push_back(qFromLittleEndian<std::uint16_t>(p));
                else if (type == PropertyTagTypeLong)
                    numbers.push_back(qFromLittleEndian<std::uint32_t>(p));
                else if (type == PropertyTagTypeRational)
                    numbers.push_back(double(qFromLittleEndian<std::uint32_t>(p)) /
                                      qFromLittleEndian<std::uint32_t>(p + 4));
                else if (type == PropertyTagTypeByte || type == PropertyTagTypeUndefined)
                    numbers.push_back(std::uint8_t(*p));
            }
            QStringList joined;
            for (const double number : numbers)
                joined << QString::number(number);
            if (type == PropertyTagTypeASCII) {
                EXPECT_EQ(QString::fromLatin1(bytes).remove(QChar(0)), value.toString())
                    << it.key().toStdString();
            } else if (type == PropertyTagTypeUndefined) {
                // exiftool writes an undefined value as text ("0232") or as its bytes ("1 2 3 0").
                EXPECT_TRUE(QString::fromLatin1(bytes) == value.toVariant().toString() ||
                            joined.join(u' ') == value.toVariant().toString())
                    << it.key().toStdString();
            } else if (numbers.size() == 3 && type == PropertyTagTypeRational) {
                // GPS degrees, minutes and seconds, which exiftool gives as decimal degrees.
                EXPECT_NEAR(numbers[0] + numbers[1] / 60 + numbers[2] / 3600, value.toDouble(),
                            1e-6)
                    << it.key().toStdString();
            } else if (value.isString()) {
                EXPECT_EQ(joined.join(u' '), value.toString()) << it.key().toStdString();
            } else {
                ASSERT_EQ(numbers.size(), 1u) << it.key().toStdString();
                EXPECT_NEAR(numbers[0], value.toDouble(), 1e-9) << it.key().toStdString();
            }
            ++compared;
        }
        int listed = 0;
        for (const PropertyRecord& record : ours.records())
            listed += record.id != PropertyTagExifIFD && record.id != PropertyTagGpsIFD;
        EXPECT_EQ(listed, compared);
        EXPECT_GE(compared, 6);
    }
}

// A byte string replaced at the first place it occurs.
QByteArray Patched(QByteArray bytes, const QByteArray& find, const QByteArray& replacement)
{
    const qsizetype at = bytes.indexOf(find);
    EXPECT_GE(at, 0) << find.toHex().toStdString();
    if (at >= 0)
        bytes.replace(at, find.size(), replacement);
    return bytes;
}

QByteArray Big32(std::uint32_t value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, 4);
}

struct DamageRow {
    const char* name;
    QByteArray bytes;
    GpStatus status;
    LoadFailureReason reason;
    std::size_t properties;  // when loaded
};

void PrintTo(const DamageRow& row, std::ostream* os) { *os << row.name; }

class HeifDamageTest : public ::testing::TestWithParam<DamageRow> {};

TEST_P(HeifDamageTest, FailsWhereItShouldAndKeepsWhatIsSound)
{
    const DamageRow& row = GetParam();
    GpBitmap* bitmap = nullptr;
    LoadFailure failure;
    EXPECT_EQ(LoadBitmapFromBytes(row.bytes, &bitmap, &failure), row.status);
    const ImagePtr image(bitmap);
    EXPECT_EQ(failure.reason, row.reason);
    if (row.status == Ok) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->properties().records().size(), row.properties);
    } else {
        EXPECT_EQ(failure.contentKind, QByteArray("heic"));
    }
}

// The fixture's picture is 128 x 64; its Exif item (314 bytes, as heif-info says) lists 14 items
// and its TIFF header starts 6 bytes after the offset field ("Exif\0\0" first).
const QByteArray kPlain = ReadFixture("heif/heic_irot_0_exif_6.heic");
const QByteArray kExifStart = QByteArray(
    "\0\0\0\x06"
    "Exif\0\0MM",
    12);

INSTANTIATE_TEST_SUITE_P(
    Rows, HeifDamageTest,
    ::testing::Values(DamageRow{"as_made", kPlain, Ok, LoadFailureReason::None, 14},
                      DamageRow{
                          "ispe_of_ten_gigapixels",
                          Patched(kPlain, Big32(128) + Big32(64), Big32(100000) + Big32(100000)),
                          OutOfMemory, LoadFailureReason::OverPixelBudget, 0},
                      DamageRow{"exif_offset_past_its_end",
                                Patched(kPlain, kExifStart, Big32(0xFFFFFFF0) + kExifStart.mid(4)),
                                Ok, LoadFailureReason::None, 0},
                      DamageRow{"exif_offset_to_its_end",
                                Patched(kPlain, kExifStart, Big32(310) + kExifStart.mid(4)), Ok,
                                LoadFailureReason::None, 0},
                      DamageRow{"primary_item_missing",
                                Patched(kPlain, QByteArray("pitm\0\0\0\0\0\x01", 10),
                                        QByteArray("pitm\0\0\0\0\0\x07", 10)),
                                UnknownImageFormat, LoadFailureReason::DamagedHeader, 0},
                      DamageRow{"decoder_configuration_missing", Patched(kPlain, "hvcC", "xxxx"),
                                UnknownImageFormat, LoadFailureReason::DamagedHeader, 0},
                      DamageRow{"sequence_only", ReadFixture("heif/heic_sequence_only.heic"),
                                UnknownImageFormat, LoadFailureReason::SequenceOnly, 0}),
    [](const ::testing::TestParamInfo<DamageRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace veltra::imaging
