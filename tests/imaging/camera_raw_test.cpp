// Camera raws: the DNG fixtures of scripts/make_raw_fixtures.py (a Bayer mosaic of four known
// colours with two pixels of masked margin, in four orientations, and a copy cut inside its
// sensor data) against exiftool's and LibRaw's own tools' reading of them; the other raw
// containers' items from bytes written here; the signatures; and the sensor dump that LibRaw
// would take for a camera's raw by its size alone.

#include "formats/raw/raw_reader.h"
#include "formats/raw/raw_signature.h"
#include "imaging/file_structure.h"
#include "imaging/imaging_test_support.h"
#include "imaging/orientation.h"
#include "support/item_values.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtEndian>

#include <gtest/gtest.h>

#include <vector>

namespace veltra::imaging {
namespace {

using test_support::FixturePath;
using test_support::LoadFile;

// The picture the fixtures hold, as the script writes it: sRGB colours of the quadrants
// (top left, top right, bottom left, bottom right) of the 64 x 48 area inside the margins.
constexpr QRgb kQuadrants[4] = {qRgb(220, 60, 40), qRgb(60, 180, 70), qRgb(50, 80, 200),
                                qRgb(200, 200, 200)};
constexpr int kWidth = 64;
constexpr int kHeight = 48;

QString RawFixture(int orientation)
{
    return FixturePath("raw/dng_rggb_orientation_") + QString::number(orientation) +
           QStringLiteral(".dng");
}

QString Output(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QJsonObject Exiftool(const QString& path, const QStringList& options)
{
    const QString output = Output(QStringLiteral("exiftool"), QStringList{QStringLiteral("-j")} + options + QStringList{path});
    return QJsonDocument::fromJson(output.toUtf8()).array().at(0).toObject();
}

bool HaveTools()
{
    return !QStandardPaths::findExecutable(QStringLiteral("exiftool")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("raw-identify")).isEmpty();
}

// "Full size: 68 x 52" and the like from LibRaw's own raw-identify.
QSize IdentifiedSize(const QString& listing, const QString& label)
{
    const QRegularExpression row(label + QStringLiteral(R"(:\s+(\d+) x (\d+))"));
    const QRegularExpressionMatch match = row.match(listing);
    return match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
}

// The stored point (in the 64 x 48 picture) shown at (x, y) of the upright picture, from what
// the orientations mean: 3 is a half turn, 6 a quarter turn clockwise, 8 anticlockwise.
QPoint StoredPoint(int orientation, int x, int y)
{
    switch (orientation) {
    case 3: return {kWidth - 1 - x, kHeight - 1 - y};
    case 6: return {y, kHeight - 1 - x};
    case 8: return {kWidth - 1 - y, x};
    default: return {x, y};
    }
}

QRgb QuadrantColour(QPoint stored)
{
    return kQuadrants[(stored.y() >= kHeight / 2 ? 2 : 0) + (stored.x() >= kWidth / 2 ? 1 : 0)];
}

// More than `margin` pixels from the quadrants' shared edges and the picture's border.
bool InsideAQuadrant(QPoint stored, int margin)
{
    const auto inside = [margin](int value, int size) {
        const int half = size / 2;
        return std::abs(value - half) > margin && std::abs(value - (half - 1)) > margin &&
               value >= margin && value < size - margin;
    };
    return inside(stored.x(), kWidth) && inside(stored.y(), kHeight);
}

class DngFixture : public ::testing::TestWithParam<int> {};

// The size is the developed picture's, upright: the sensor directory's 68 x 52 less the
// ActiveArea's margins (exiftool's reading), the sizes LibRaw's raw-identify gives, turned
// for the quarter turns; the sensor's own size and area are told to the analysis.
TEST_P(DngFixture, SizeIsTheSensorsAreaUprightAsExiftoolAndLibRawRead)
{
    if (!HaveTools())
        GTEST_SKIP() << "exiftool or raw-identify is not installed";
    const int orientation = GetParam();
    const QString path = RawFixture(orientation);
    const QJsonObject tags = Exiftool(path, {QStringLiteral("-n"), QStringLiteral("-G1"), QStringLiteral("-SubIFD:all")});
    const QSize sensor(tags[u"SubIFD:ImageWidth"].toInt(), tags[u"SubIFD:ImageHeight"].toInt());
    const QStringList area = tags[u"SubIFD:ActiveArea"].toString().split(u' ');  // top left bottom right
    ASSERT_EQ(area.size(), 4);
    const QRect active(area[1].toInt(), area[0].toInt(), area[3].toInt() - area[1].toInt(),
                       area[2].toInt() - area[0].toInt());
    const QString identified = Output(QStringLiteral("raw-identify"), {QStringLiteral("-v"), path});
    EXPECT_EQ(IdentifiedSize(identified, QStringLiteral("Full size")), sensor);
    EXPECT_EQ(IdentifiedSize(identified, QStringLiteral("Image size")), active.size());
    const bool quarter = orientation == 6 || orientation == 8;
    const QSize upright = quarter ? active.size().transposed() : active.size();
    EXPECT_EQ(IdentifiedSize(identified, QStringLiteral("Output size")), upright);

    const test_support::Loaded loaded = LoadFile(path);
    ASSERT_EQ(loaded.status, Ok);
    EXPECT_EQ(loaded.image->size(), upright);
    EXPECT_EQ(loaded.image->rawFormat(), ImageFormatTIFF);
    EXPECT_EQ(loaded.image->pixelFormat(), PixelFormat48bppRGB);
    EXPECT_EQ(loaded.image->contentFormat(), QByteArray("dng"));
    EXPECT_TRUE(loaded.image->orientedByContainer());
    EXPECT_EQ(loaded.image->appliedTurn(), UprightTurnFor(std::uint16_t(orientation)).value_or(RotateNoneFlipNone));

    FileStructure structure;
    ASSERT_EQ(ReadFileStructure(path, &structure), Ok);
    ASSERT_TRUE(structure.cameraRaw.has_value());
    EXPECT_EQ(structure.cameraRaw->sensorSize, sensor);
    EXPECT_EQ(structure.cameraRaw->visibleArea, active);
    EXPECT_EQ(structure.cameraRaw->cfaPattern, QByteArray("RGGB"));  // CFAPattern 0 1 1 2
    EXPECT_EQ(structure.cameraRaw->bitsPerSample, tags[u"SubIFD:BitsPerSample"].toInt());
}

// Developed with the camera's white balance into sRGB, each quadrant comes back as the colour
// it was mosaicked from, upright. Within 1% of full scale away from the quadrants' edges: the
// fixture's colour matrix makes the camera's colours sRGB up to its four decimals (0.01%), the
// white balance is neutral, the samples are quantised to 14744 levels (0.01% before the curve,
// some 0.3% after it at the darkest samples here) and the sRGB curve is a table of 16-bit
// steps; demosaicking is exact on flat colour, so only the three pixels beside an edge, where
// it mixes the neighbours, are left out.
TEST_P(DngFixture, DevelopsTheMosaickedPictureUprightInSixteenBits)
{
    const int orientation = GetParam();
    const test_support::Loaded loaded = LoadFile(RawFixture(orientation));
    ASSERT_EQ(loaded.status, Ok);
    QImage pixels;
    ASSERT_EQ(loaded.image->pixels(&pixels), Ok);
    ASSERT_EQ(pixels.size(), loaded.image->size());
    EXPECT_EQ(pixels.format(), QImage::Format_RGBX64);
    constexpr int kTolerance = 655;  // 1% of 65535
    int compared = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgba64*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            const QPoint stored = StoredPoint(orientation, x, y);
            if (!InsideAQuadrant(stored, 3))
                continue;
            const QRgb expected = QuadrantColour(stored);
            ASSERT_NEAR(row[x].red(), qRed(expected) * 257, kTolerance) << x << "," << y;
            ASSERT_NEAR(row[x].green(), qGreen(expected) * 257, kTolerance) << x << "," << y;
            ASSERT_NEAR(row[x].blue(), qBlue(expected) * 257, kTolerance) << x << "," << y;
            ++compared;
        }
    }
    EXPECT_GT(compared, kWidth * kHeight / 2);
}

// LibRaw's own tool develops the same file with the same settings to the same picture: the
// service reads LibRaw's working picture itself, through its own sRGB curve and the raw's
// flip, and meets dcraw_emu's output pixel for pixel, turned alike, within 4 of 65535 (the
// two curves are tables of 16-bit steps made by different formulas of the same curve).
TEST_P(DngFixture, DevelopsAsLibRawsOwnToolDoes)
{
    if (QStandardPaths::findExecutable(QStringLiteral("dcraw_emu")).isEmpty())
        GTEST_SKIP() << "dcraw_emu is not installed";
    const QString path = RawFixture(GetParam());
    QProcess tool;
    tool.start(QStringLiteral("dcraw_emu"),
               {QStringLiteral("-w"), QStringLiteral("-o"), QStringLiteral("1"),
                QStringLiteral("-6"), QStringLiteral("-g"), QStringLiteral("2.4"),
                QStringLiteral("12.92"), QStringLiteral("-W"), QStringLiteral("-Z"),
                QStringLiteral("-"), path});
    ASSERT_TRUE(tool.waitForFinished(60000));
    const QByteArray ppm = tool.readAllStandardOutput();
    // "P6\n<width> <height>\n65535\n", then big-endian samples.
    const QList<QByteArray> header = ppm.left(64).split('\n');
    ASSERT_GE(header.size(), 4);
    ASSERT_EQ(header[0], QByteArray("P6"));
    const QList<QByteArray> size = header[1].split(' ');
    const QSize expected(size.value(0).toInt(), size.value(1).toInt());
    const qsizetype start = header[0].size() + header[1].size() + header[2].size() + 3;
    ASSERT_EQ(ppm.size() - start, qsizetype(expected.width()) * expected.height() * 6);

    const test_support::Loaded loaded = LoadFile(path);
    ASSERT_EQ(loaded.status, Ok);
    QImage pixels;
    ASSERT_EQ(loaded.image->pixels(&pixels), Ok);
    ASSERT_EQ(pixels.size(), expected);
    const auto* samples = reinterpret_cast<const uchar*>(ppm.constData() + start);
    int largest = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgba64*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            const int ours[3] = {row[x].red(), row[x].green(), row[x].blue()};
            for (int channel = 0; channel < 3; ++channel, samples += 2)
                largest = std::max(largest, std::abs(ours[channel] - (samples[0] << 8 | samples[1])));
        }
    }
    EXPECT_LE(largest, 4);
}

// Every IFD0, Exif and GPS entry exiftool reads is listed under its id, with the same text or
// number; the Orientation as stored, whatever turn the picture had.
TEST_P(DngFixture, ItemsAreTheEntriesExiftoolReads)
{
    if (!HaveTools())
        GTEST_SKIP() << "exiftool is not installed";
    const QString path = RawFixture(GetParam());
    const test_support::Loaded loaded = LoadFile(path);
    ASSERT_EQ(loaded.status, Ok);
    const PropertySet& items = loaded.image->properties();
    const QJsonObject tags = Exiftool(path, {QStringLiteral("-D"), QStringLiteral("-n"), QStringLiteral("-G1"), QStringLiteral("-a"), QStringLiteral("-u")});
    int compared = 0;
    for (auto tag = tags.begin(); tag != tags.end(); ++tag) {
        const QString group = tag.key().section(u':', 0, 0);
        if (group != u"IFD0" && group != u"ExifIFD" && group != u"GPS")
            continue;
        const QJsonObject entry = tag.value().toObject();
        const auto id = static_cast<PROPID>(entry[u"id"].toInt());
        const PropertyRecord* item = items.find(id);
        ASSERT_NE(item, nullptr) << tag.key().toStdString();
        const QJsonValue value = entry[u"val"];
        if (item->type == TiffType::Ascii) {
            EXPECT_EQ(QString::fromLatin1(item->value).remove(QChar(0)), value.toString()) << tag.key().toStdString();
        } else if ((item->type == TiffType::Short || item->type == TiffType::Long) && value.isDouble()) {
            EXPECT_EQ(items.firstUnsigned(id).value_or(0), std::uint32_t(value.toInteger())) << tag.key().toStdString();
        }
        ++compared;
    }
    EXPECT_GE(compared, 30);
    EXPECT_EQ(items.firstUnsigned(PropertyTagOrientation), std::uint32_t(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Orientations, DngFixture, ::testing::Values(1, 3, 6, 8));

// Sensor data cut short: the facts are all there without the pixels; developing finds the
// data missing and the camera's preview stands in, at the raw's size.
TEST(CameraRaw, SensorDataCutShortShowsThePreview)
{
    const test_support::Loaded loaded = LoadFile(FixturePath("raw/dng_sensor_data_cut.dng"));
    ASSERT_EQ(loaded.status, Ok);
    EXPECT_EQ(loaded.image->size(), QSize(kWidth, kHeight));
    EXPECT_NE(loaded.image->properties().find(PropertyTagEquipMake), nullptr);
    QImage pixels;
    ASSERT_EQ(loaded.image->pixels(&pixels), Ok);
    ASSERT_EQ(pixels.size(), QSize(kWidth, kHeight));
    // The preview is a JPEG of the same picture: its colours within JPEG's error.
    for (const QPoint point : {QPoint(10, 10), QPoint(50, 10), QPoint(10, 38), QPoint(50, 38)})
        EXPECT_TRUE(test_support::ColourNear(pixels.pixel(point), QuadrantColour(point), 12));
}

// A sensor without colour filters (a monochrome camera's) is developed by LibRaw in one colour:
// the picture is grey, each quadrant the green it was recorded from, within the 1% the
// colour fixtures allow.
TEST(CameraRaw, AMonochromeSensorDevelopsToGrey)
{
    const test_support::Loaded loaded = LoadFile(FixturePath("raw/dng_monochrome.dng"));
    ASSERT_EQ(loaded.status, Ok);
    QImage pixels;
    ASSERT_EQ(loaded.image->pixels(&pixels), Ok);
    ASSERT_EQ(pixels.size(), QSize(kWidth, kHeight));
    for (const QPoint point : {QPoint(10, 10), QPoint(50, 10), QPoint(10, 38), QPoint(50, 38)}) {
        const QRgba64 pixel = pixels.pixelColor(point).rgba64();
        EXPECT_EQ(pixel.red(), pixel.green());
        EXPECT_EQ(pixel.blue(), pixel.green());
        EXPECT_NEAR(pixel.green(), qGreen(QuadrantColour(point)) * 257, 655) << point.x();
    }
}

// LibRaw takes a TIFF of sensor data that names no camera for a headerless sensor dump when
// the file has one of the sizes of its list (raw-identify names this one's camera); the
// service does not.
TEST(CameraRaw, NoCameraNamedIsNotTakenForARawByItsSize)
{
    QByteArray tiff = QByteArray::fromHex(
        "49492a0008000000"  // header, IFD0 at 8
        "0600"              // six entries
        "0001040001000000" "00040000"    // ImageWidth 1024
        "0101040001000000" "00030000"    // ImageLength 768
        "0201030001000000" "10000000"    // BitsPerSample 16
        "0601030001000000" "23800000"    // PhotometricInterpretation 32803 (CFA)
        "1101040001000000" "60000000"    // StripOffsets 96
        "1701040001000000" "000c0000"    // StripByteCounts 786432 (of which some are missing)
        "00000000");
    tiff = tiff.leftJustified(786432, '\x10');
    const QString path = QDir::temp().filePath(QStringLiteral("veltra_dump_size.tif"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(tiff);
    }
    if (!QStandardPaths::findExecutable(QStringLiteral("raw-identify")).isEmpty()) {
        EXPECT_TRUE(Output(QStringLiteral("raw-identify"), {path}).contains(u"AVT"));
    }
    GpBitmap* bitmap = nullptr;
    LoadFailure failure;
    EXPECT_NE(LoadBitmapFromBytes(tiff, &bitmap, &failure), Ok);
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_EQ(failure.reason, LoadFailureReason::DamagedHeader);
    EXPECT_EQ(failure.contentKind, QByteArray("camera-raw"));
    QFile::remove(path);
}

// ---------------------------------------------------------------------------------------------
// Signatures and the other containers, from bytes written here.

constexpr QByteArrayView kTiffMagic("II*\0", 4);

// One little-endian TIFF directory at offset 8 under `magic`, its ASCII values after it.
QByteArray OneDirectory(QByteArrayView magic, std::vector<std::pair<std::uint16_t, QByteArray>> ascii,
                        std::vector<std::pair<std::uint16_t, std::uint16_t>> shorts = {})
{
    const int count = int(ascii.size() + shorts.size());
    QByteArray out = magic.toByteArray() + test::Longs({8}) + test::Shorts({std::uint16_t(count)});
    std::uint32_t valueAt = 8 + 2 + 12 * count + 4;
    QByteArray values;
    std::vector<std::pair<std::uint16_t, QByteArray>> entries;
    for (const auto& [tag, value] : shorts)
        entries.emplace_back(tag, test::Shorts({3}) + test::Longs({1}) + test::Shorts({value, 0}));
    for (const auto& [tag, text] : ascii) {
        const QByteArray stored = text + '\0';
        QByteArray field = stored.size() <= 4 ? stored.leftJustified(4, '\0') : test::Longs({valueAt});
        if (stored.size() > 4) {
            values += stored;
            valueAt += std::uint32_t(stored.size());
        }
        entries.emplace_back(tag, test::Shorts({2}) + test::Longs({std::uint32_t(stored.size())}) + field);
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [tag, rest] : entries)
        out += test::Shorts({tag}) + rest;
    return out + test::Longs({0}) + values;
}

QByteArray Box(const char* type, const QByteArray& content)
{
    QByteArray size(4, '\0');
    qToBigEndian(std::uint32_t(8 + content.size()), size.data());
    return size + type + content;
}

QByteArray Big32(std::uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

struct ContainerRow {
    const char* name;
    QByteArray file;
    const char* kind;
    std::vector<PROPID> ids;  // the items, in order
    bool tiff = false;        // reported as a TIFF file: it starts with the TIFF header
};

void PrintTo(const ContainerRow& row, std::ostream* out)
{
    *out << row.name;
}

class RawContainers : public ::testing::TestWithParam<ContainerRow> {};

TEST_P(RawContainers, AreNamedAndListTheirItems)
{
    const ContainerRow& row = GetParam();
    const std::optional<RawSignature> signature = SniffCameraRaw(row.file);
    ASSERT_TRUE(signature.has_value());
    EXPECT_STREQ(ContentKindOf(signature->kind).name, row.kind);
    EXPECT_EQ(SniffFileFormat(row.file), FileFormat::CameraRaw);
    std::vector<PROPID> ids;
    const FileFacts facts = kCameraRawFormat.read(row.file);
    for (const PropertyRecord& item : facts.properties.records())
        ids.push_back(item.id);
    EXPECT_EQ(ids, row.ids);
    EXPECT_EQ(kCameraRawFormat.rawFormatOf(row.file), row.tiff ? ImageFormatTIFF : ImageFormatOtherDecoded);
}

std::vector<ContainerRow> ContainerRows()
{
    const QByteArray cmt1 = OneDirectory(kTiffMagic, {{PropertyTagEquipMake, "Canon"}}, {{PropertyTagOrientation, 6}});
    const QByteArray cmt2 = OneDirectory(kTiffMagic, {}, {{PropertyTagExifISOSpeed, 100}});
    const QByteArray cmt4 = OneDirectory(kTiffMagic, {{PropertyTagGpsLatitudeRef, "N"}});
    const QByteArray metadataUuid = QByteArray::fromHex("85c0b687820f11e08111f4ce462b6a48");
    const QByteArray cr3 = Box("ftyp", "crx " + Big32(1) + "crx isom") +
                           Box("moov", Box("uuid", metadataUuid + Box("CMT1", cmt1) + Box("CMT2", cmt2) +
                                                       Box("CMT3", "ignored") + Box("CMT4", cmt4)));
    const QByteArray jpeg = QByteArray::fromHex("ffd8ffe1") +
                            [&] {
                                const QByteArray body = "Exif" + QByteArray(2, '\0') +
                                                        OneDirectory(kTiffMagic, {{PropertyTagEquipModel, "X-T5"}});
                                QByteArray length(2, '\0');
                                qToBigEndian(std::uint16_t(body.size() + 2), length.data());
                                return length + body;
                            }() +
                            QByteArray::fromHex("ffd9");
    QByteArray raf = QByteArray("FUJIFILMCCD-RAW 0201FF383501").leftJustified(160, '\0');
    raf.replace(84, 8, Big32(160) + Big32(std::uint32_t(jpeg.size())));
    raf += jpeg;
    const QByteArray mrwTiff = OneDirectory(kTiffMagic, {{PropertyTagEquipMake, "Minolta"}});
    const QByteArray mrw = QByteArray("\0MRM", 4) + Big32(std::uint32_t(8 + mrwTiff.size() + 8 + 4)) +
                           QByteArray("\0PRD", 4) + Big32(4) + "abcd" + QByteArray("\0TTW", 4) +
                           Big32(std::uint32_t(mrwTiff.size())) + mrwTiff;
    // A CIFF heap of two records: make and model, and the time of the shot (in the record).
    const QByteArray makeModel = QByteArray("Canon\0Canon EOS D30\0", 20);
    QByteArray heap = makeModel;  // values, from the heap's start
    const std::uint32_t table = std::uint32_t(heap.size());
    heap += test::Shorts({2}) + test::Shorts({0x080A}) + test::Longs({std::uint32_t(makeModel.size()), 0}) +
            test::Shorts({0x580E}) + test::Longs({1000000000, 0}) + test::Longs({table});
    const QByteArray crw = QByteArray("II") + test::Longs({26}) + "HEAPCCDR" + QByteArray(12, '\0') + heap;
    return {
        {"cr3", cr3, "cr3", {PropertyTagEquipMake, PropertyTagOrientation, PropertyTagExifISOSpeed, PropertyTagGpsLatitudeRef}},
        {"raf", raf, "raf", {PropertyTagEquipModel}},
        {"orf", OneDirectory("IIRO", {{PropertyTagEquipMake, "OLYMPUS"}}), "orf", {PropertyTagEquipMake}},
        // Panasonic's own tags from 1 would pass for GPS tags: left out.
        {"rw2", OneDirectory(QByteArrayView("IIU\0", 4), {{PropertyTagEquipMake, "Panasonic"}}, {{0x0002, 4000}}), "rw2", {PropertyTagEquipMake}},
        {"rwl", OneDirectory(QByteArrayView("IIU\0", 4), {{PropertyTagEquipMake, "LEICA"}}), "rwl", {PropertyTagEquipMake}},
        {"mrw", mrw, "mrw", {PropertyTagEquipMake}},
        {"crw", crw, "crw", {PropertyTagEquipMake, PropertyTagEquipModel, PropertyTagExifDTOrig}},
        {"nef", OneDirectory(kTiffMagic, {{PropertyTagEquipMake, "NIKON CORPORATION"}}, {{PropertyTagPhotometricInterp, 32803}}), "nef", {PropertyTagPhotometricInterp, PropertyTagEquipMake}, true},
        {"nrw", OneDirectory(kTiffMagic, {{PropertyTagEquipMake, "NIKON"}, {PropertyTagEquipModel, "COOLPIX P7000"}}, {{PropertyTagPhotometricInterp, 32803}}), "nrw", {PropertyTagPhotometricInterp, PropertyTagEquipMake, PropertyTagEquipModel}, true},
        {"pef", OneDirectory(kTiffMagic, {{PropertyTagEquipMake, "PENTAX"}}, {{PropertyTagPhotometricInterp, 34892}}), "pef", {PropertyTagPhotometricInterp, PropertyTagEquipMake}, true},
        // Canon's mark after the header, whatever the directories hold.
        {"cr2", QByteArray("II*\0", 4) + test::Longs({0xFFFF}) + QByteArray("CR\x02\0", 4), "cr2", {}, true},
    };
}

INSTANTIATE_TEST_SUITE_P(Containers, RawContainers, ::testing::ValuesIn(ContainerRows()),
                         [](const auto& info) { return std::string(info.param.name); });

// Not raws: a plain TIFF stays a TIFF, and Sigma's X3F, which Debian's LibRaw does not read,
// is left to the rest of the table.
TEST(CameraRaw, PlainTiffAndX3fAreNotRaws)
{
    const QByteArray plainTiff = OneDirectory(kTiffMagic, {{PropertyTagEquipMake, "NIKON"}}, {{PropertyTagPhotometricInterp, 2}});
    EXPECT_FALSE(SniffCameraRaw(plainTiff).has_value());
    EXPECT_EQ(SniffFileFormat(plainTiff), FileFormat::Tiff);
    const QByteArray x3f = QByteArray("FOVb") + QByteArray(60, '\0');
    EXPECT_FALSE(SniffCameraRaw(x3f).has_value());
    EXPECT_NE(SniffFileFormat(x3f), FileFormat::CameraRaw);
}

}  // namespace
}  // namespace veltra::imaging
