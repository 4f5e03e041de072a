// The orientation item stays true to the pixels: whatever turn is applied, the picture shown
// upright by the rewritten orientation is the one shown upright before. The upright view is
// computed here from the eight orientations' own definitions (which stored side ends up on
// top and on the left), independently of the service's turn tables.

#include "imaging/imaging_test_support.h"
#include "imaging/orientation.h"

#include <QDir>
#include <QFileInfo>
#include <QPoint>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace veltra::imaging {
namespace {

using test_support::LoadFile;
using test_support::QuerySize;

const std::map<char, QRgb>& LetterColours()
{
    static const std::map<char, QRgb> colours{
        {'A', qRgb(255, 0, 0)},   {'B', qRgb(0, 255, 0)},   {'C', qRgb(0, 0, 255)},
        {'D', qRgb(255, 255, 0)}, {'E', qRgb(0, 255, 255)}, {'F', qRgb(255, 0, 255)},
    };
    return colours;
}

QByteArray ShortValue(std::uint16_t value)
{
    QByteArray bytes(2, '\0');
    bytes[0] = static_cast<char>(value & 0xFF);
    bytes[1] = static_cast<char>(value >> 8);
    return bytes;
}

// The 3 x 2 picture  A B C  with the given items.
//                    D E F
ImagePtr SixColourPicture(PropertyRecords properties)
{
    auto image = std::make_unique<GpImage>();
    image->pixels = QImage(3, 2, QImage::Format_ARGB32);
    const char* letters = "ABCDEF";
    for (int i = 0; i < 6; ++i)
        image->pixels.setPixel(i % 3, i / 3, LetterColours().at(letters[i]));
    image->rawFormat = ImageFormatJPEG;
    image->pixelFormat = PixelFormat24bppRGB;
    image->properties = std::move(properties);
    return ImagePtr(image.release());
}

ImagePtr PictureWithOrientation(std::uint16_t orientation)
{
    return SixColourPicture({PropertyRecord{PropertyTagOrientation, PropertyTagTypeShort,
                                            ShortValue(orientation)}});
}

char LetterAt(const QImage& pixels, QPoint point)
{
    for (const auto& [letter, colour] : LetterColours()) {
        if (pixels.pixel(point) == colour)
            return letter;
    }
    return '?';
}

// The stored pixel shown at (x, y) of the upright view. Orientation o says where the stored
// top row and left column belong:
//   1 top row on top, left column on the left       5 top row on the left, left column on top
//   2 top row on top, left column on the right      6 top row on the right, left column on top
//   3 top row at the bottom, left column on right   7 top row on the right, left column at bottom
//   4 top row at the bottom, left column on left    8 top row on the left, left column at bottom
QPoint StoredPointShownAt(int orientation, int x, int y, int storedWidth, int storedHeight)
{
    const int w = storedWidth;
    const int h = storedHeight;
    switch (orientation) {
    case 2: return {w - 1 - x, y};
    case 3: return {w - 1 - x, h - 1 - y};
    case 4: return {x, h - 1 - y};
    case 5: return {y, x};
    case 6: return {y, h - 1 - x};
    case 7: return {w - 1 - y, h - 1 - x};
    case 8: return {w - 1 - y, x};
    default: return {x, y};
    }
}

// The upright view as rows of letters, such as "DA/EB/FC".
std::string UprightView(const QImage& stored, int orientation)
{
    const bool sideways = orientation >= 5;
    const int width = sideways ? stored.height() : stored.width();
    const int height = sideways ? stored.width() : stored.height();
    std::string view;
    for (int y = 0; y < height; ++y) {
        if (y > 0)
            view += '/';
        for (int x = 0; x < width; ++x)
            view += LetterAt(stored, StoredPointShownAt(orientation, x, y, stored.width(), stored.height()));
    }
    return view;
}

std::string StoredView(const QImage& stored)
{
    return UprightView(stored, 1);
}

// An item as the service hands it out.
std::optional<PropertyRecord> ReadItem(GpImage* image, PROPID id)
{
    std::uint32_t size = 0;
    if (GdipGetPropertyItemSize(image, id, &size) != Ok)
        return std::nullopt;
    std::vector<std::uint64_t> buffer((size + 7) / 8);  // aligned for the record at its start
    auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
    if (GdipGetPropertyItem(image, id, size, item) != Ok)
        return std::nullopt;
    return PropertyRecord{item->id, item->type,
                          QByteArray(static_cast<const char*>(item->value),
                                     static_cast<qsizetype>(item->length))};
}

std::optional<std::uint16_t> ReadOrientation(GpImage* image)
{
    const std::optional<PropertyRecord> item = ReadItem(image, PropertyTagOrientation);
    if (!item || item->type != PropertyTagTypeShort || item->value.size() != 2)
        return std::nullopt;
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(item->value[0]) |
                                      static_cast<std::uint8_t>(item->value[1]) << 8);
}

class OrientationKeepsUprightViewTest
    : public ::testing::TestWithParam<std::tuple<int, RotateFlipType>> {};

TEST_P(OrientationKeepsUprightViewTest, AfterAnyTurn)
{
    const auto [orientation, turn] = GetParam();
    ImagePtr image = PictureWithOrientation(static_cast<std::uint16_t>(orientation));
    const std::string uprightBefore = UprightView(image->pixels, orientation);

    ASSERT_EQ(GdipImageRotateFlip(image.get(), turn), Ok);
    const std::optional<std::uint16_t> rewritten = ReadOrientation(image.get());
    ASSERT_TRUE(rewritten.has_value());
    ASSERT_GE(*rewritten, 1);
    ASSERT_LE(*rewritten, 8);
    EXPECT_EQ(UprightView(image->pixels, *rewritten), uprightBefore)
        << "orientation " << orientation << " became " << *rewritten;
}

INSTANTIATE_TEST_SUITE_P(
    AllPairs, OrientationKeepsUprightViewTest,
    ::testing::Combine(::testing::Range(1, 9),
                       ::testing::Values(RotateNoneFlipNone, Rotate90FlipNone, Rotate180FlipNone,
                                         Rotate270FlipNone, RotateNoneFlipX, Rotate90FlipX,
                                         Rotate180FlipX, Rotate270FlipX)),
    [](const ::testing::TestParamInfo<std::tuple<int, RotateFlipType>>& info) {
        return "Orientation" + std::to_string(std::get<0>(info.param)) + "_" +
               RotateFlipTypeName(std::get<1>(info.param));
    });

class UprightTurnTest : public ::testing::TestWithParam<int> {};

// The turn the orientation calls for shows the upright view as stored pixels, and the
// orientation then reads 1, so nothing turns the picture a second time.
TEST_P(UprightTurnTest, LeavesOrientationOne)
{
    const int orientation = GetParam();
    ImagePtr image = PictureWithOrientation(static_cast<std::uint16_t>(orientation));
    const std::string upright = UprightView(image->pixels, orientation);
    const std::optional<RotateFlipType> turn = UprightTurnFor(static_cast<std::uint16_t>(orientation));
    ASSERT_EQ(turn.has_value(), orientation != 1);
    if (turn) {
        ASSERT_EQ(GdipImageRotateFlip(image.get(), *turn), Ok);
    }
    EXPECT_EQ(StoredView(image->pixels), upright);
    EXPECT_EQ(ReadOrientation(image.get()), std::optional<std::uint16_t>(1));
}

INSTANTIATE_TEST_SUITE_P(Orientations, UprightTurnTest, ::testing::Range(1, 9),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Orientation" + std::to_string(info.param);
                         });

TEST(UprightTurnFor, NoTurnOutsideTheEightValues)
{
    EXPECT_EQ(UprightTurnFor(0), std::nullopt);
    EXPECT_EQ(UprightTurnFor(9), std::nullopt);
    EXPECT_EQ(UprightTurnFor(0xFFFF), std::nullopt);
    EXPECT_EQ(UprightTurnFor(0x0600), std::nullopt);
}

TEST(OrientationAfterTurn, LeavesValuesOutsideTheEightAlone)
{
    EXPECT_EQ(OrientationAfterTurn(0, Rotate90FlipNone), 0);
    EXPECT_EQ(OrientationAfterTurn(9, Rotate270FlipX), 9);
}

// The case the window meets: a camera picture stored sideways with orientation 6, turned by
// the quarter turn that orientation asks for.
TEST(GdipImageRotateFlip, OrientationSixReadsOneAfterTheQuarterTurn)
{
    ImagePtr image = PictureWithOrientation(6);
    ASSERT_EQ(GdipImageRotateFlip(image.get(), Rotate90FlipNone), Ok);
    const std::optional<PropertyRecord> item = ReadItem(image.get(), PropertyTagOrientation);
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(item->type, PropertyTagTypeShort);
    EXPECT_EQ(item->value, QByteArray("\x01\x00", 2));
    EXPECT_EQ(StoredView(image->pixels), "DA/EB/FC");
}

TEST(GdipImageRotateFlip, KeepsEveryOtherItem)
{
    const PropertyRecords items{
        {0x010F, PropertyTagTypeASCII, QByteArray("Canon\0", 6)},
        {PropertyTagOrientation, PropertyTagTypeShort, ShortValue(6)},
        {0x011A, PropertyTagTypeRational, QByteArray("\x48\0\0\0\x01\0\0\0", 8)},
        {0xA002, PropertyTagTypeLong, QByteArray("\x03\0\0\0", 4)},  // pixel width as stored
        {0x5029, PropertyTagTypeShort, ShortValue(6)},              // the thumbnail's orientation
        {0x9286, PropertyTagTypeUndefined, QByteArray("ASCII\0\0\0hello", 13)},
    };
    ImagePtr image = SixColourPicture(items);
    ASSERT_EQ(GdipImageRotateFlip(image.get(), Rotate90FlipNone), Ok);

    std::uint32_t count = 0;
    ASSERT_EQ(GdipGetPropertyCount(image.get(), &count), Ok);
    ASSERT_EQ(count, items.size());
    std::vector<PROPID> ids(count);
    ASSERT_EQ(GdipGetPropertyIdList(image.get(), count, ids.data()), Ok);
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(ids[i], items[i].id);
        const std::optional<PropertyRecord> item = ReadItem(image.get(), items[i].id);
        ASSERT_TRUE(item.has_value());
        if (items[i].id == PropertyTagOrientation)
            EXPECT_EQ(item->value, ShortValue(1));
        else
            EXPECT_EQ(*item, items[i]) << "item 0x" << std::hex << items[i].id;
    }
}

struct MalformedOrientationRow {
    const char* name;
    std::uint16_t type;
    QByteArray value;
};

void PrintTo(const MalformedOrientationRow& row, std::ostream* os)
{
    *os << row.name;
}

class MalformedOrientationTest : public ::testing::TestWithParam<MalformedOrientationRow> {};

// Only a single SHORT from 1 to 8 is an orientation; anything else is kept byte for byte,
// while the pixels are still turned.
TEST_P(MalformedOrientationTest, IsLeftAlone)
{
    const MalformedOrientationRow& row = GetParam();
    const PropertyRecord stored{PropertyTagOrientation, row.type, row.value};
    ImagePtr image = SixColourPicture({stored});
    ASSERT_EQ(GdipImageRotateFlip(image.get(), Rotate90FlipNone), Ok);
    EXPECT_EQ(StoredView(image->pixels), "DA/EB/FC");
    const std::optional<PropertyRecord> item = ReadItem(image.get(), PropertyTagOrientation);
    ASSERT_TRUE(item.has_value());
    EXPECT_EQ(*item, stored);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MalformedOrientationTest,
    ::testing::Values(
        MalformedOrientationRow{"long", PropertyTagTypeLong, QByteArray("\x06\0\0\0", 4)},
        MalformedOrientationRow{"two_shorts", PropertyTagTypeShort, QByteArray("\x06\0\x06\0", 4)},
        MalformedOrientationRow{"zero", PropertyTagTypeShort, QByteArray("\0\0", 2)},
        MalformedOrientationRow{"nine", PropertyTagTypeShort, QByteArray("\x09\0", 2)},
        MalformedOrientationRow{"six_in_the_high_byte", PropertyTagTypeShort, QByteArray("\0\x06", 2)},
        MalformedOrientationRow{"signed_short", 8, QByteArray("\x06\0", 2)},
        MalformedOrientationRow{"byte", PropertyTagTypeByte, QByteArray("\x06", 1)},
        MalformedOrientationRow{"ascii", PropertyTagTypeASCII, QByteArray("6\0", 2)}),
    [](const ::testing::TestParamInfo<MalformedOrientationRow>& info) {
        return std::string(info.param.name);
    });

// Real camera files: the same scene stored in each of the eight orientations (exiftool reads
// orientation N from the file named _N). Turned as their orientation asks, each must match the
// file stored upright, up to JPEG noise, and then read orientation 1.
class CorpusOrientationTest : public ::testing::TestWithParam<std::tuple<const char*, int>> {};

double MeanDifference(const QImage& a, const QImage& b)
{
    double total = 0.0;
    qint64 samples = 0;
    for (int y = 0; y < a.height(); y += 5) {
        for (int x = 0; x < a.width(); x += 5) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                     std::abs(qBlue(p) - qBlue(q));
            samples += 3;
        }
    }
    return samples ? total / static_cast<double>(samples) : 0.0;
}

TEST_P(CorpusOrientationTest, TurnedUprightMatchesTheUprightFile)
{
    const auto [scene, orientation] = GetParam();
    const QDir folder(QStringLiteral(VELTRA_CORPUS_DIR "/orientation"));
    const QString name = QStringLiteral("%1_%2.jpg").arg(QString::fromLatin1(scene)).arg(orientation);
    if (!QFileInfo::exists(folder.filePath(name)))
        GTEST_SKIP() << "corpus file missing: " << name.toStdString();

    auto reference = LoadFile(folder.filePath(QStringLiteral("%1_1.jpg").arg(QString::fromLatin1(scene))));
    auto turned = LoadFile(folder.filePath(name));
    ASSERT_EQ(reference.status, Ok);
    ASSERT_EQ(turned.status, Ok);
    ASSERT_EQ(ReadOrientation(turned.image.get()), std::optional<std::uint16_t>(orientation));
    if (const auto turn = UprightTurnFor(static_cast<std::uint16_t>(orientation))) {
        ASSERT_EQ(GdipImageRotateFlip(turned.image.get(), *turn), Ok);
    }
    EXPECT_EQ(ReadOrientation(turned.image.get()), std::optional<std::uint16_t>(1));
    ASSERT_EQ(QuerySize(turned.image.get()), QuerySize(reference.image.get()));
    EXPECT_LT(MeanDifference(turned.image->pixels, reference.image->pixels), 4.0);
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, CorpusOrientationTest,
    ::testing::Combine(::testing::Values("Landscape", "Portrait"), ::testing::Range(1, 9)),
    [](const ::testing::TestParamInfo<std::tuple<const char*, int>>& info) {
        return std::string(std::get<0>(info.param)) + std::to_string(std::get<1>(info.param));
    });

// The bundled sample is stored sideways, sky on the left, with orientation 6 (see
// scripts/make_sample.sh): a quarter turn clockwise puts the sky on top.
TEST(BundledSample, ShowsUprightAfterTheTurnItsOrientationAsks)
{
    auto loaded = LoadFile(QStringLiteral(VELTRA_SOURCE_DIR "/samples/sample_photo.jpg"));
    ASSERT_EQ(loaded.status, Ok);
    GpImage* image = loaded.image.get();
    EXPECT_EQ(QuerySize(image), (test_support::Size{1200, 1600}));
    ASSERT_EQ(ReadOrientation(image), std::optional<std::uint16_t>(6));
    const std::optional<RotateFlipType> turn = UprightTurnFor(6);
    ASSERT_TRUE(turn.has_value());
    ASSERT_EQ(GdipImageRotateFlip(image, *turn), Ok);
    EXPECT_EQ(ReadOrientation(image), std::optional<std::uint16_t>(1));
    ASSERT_EQ(QuerySize(image), (test_support::Size{1600, 1200}));

    // Mean colour of a band of rows: blue above (sky), green below (hills).
    const auto meanOfRows = [image](int top, int bottom) {
        double red = 0, green = 0, blue = 0;
        int count = 0;
        for (int y = top; y < bottom; y += 4) {
            for (int x = 0; x < 1600; x += 4) {
                const QRgb p = image->pixels.pixel(x, y);
                red += qRed(p);
                green += qGreen(p);
                blue += qBlue(p);
                ++count;
            }
        }
        return std::array<double, 3>{red / count, green / count, blue / count};
    };
    const auto top = meanOfRows(0, 150);
    const auto bottom = meanOfRows(1050, 1200);
    EXPECT_GT(top[2], top[0] + 40);
    EXPECT_GT(top[2], top[1]);
    EXPECT_GT(bottom[1], bottom[0] + 40);
    EXPECT_GT(bottom[1], bottom[2] + 40);
}

struct NameRow {
    RotateFlipType type;
    const char* name;
};

class RotateFlipTypeNameTest : public ::testing::TestWithParam<NameRow> {};

TEST_P(RotateFlipTypeNameTest, SpelledAsThePlatformDoes)
{
    EXPECT_STREQ(RotateFlipTypeName(GetParam().type), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    AllTypes, RotateFlipTypeNameTest,
    ::testing::Values(NameRow{static_cast<RotateFlipType>(0), "RotateNoneFlipNone"},
                      NameRow{static_cast<RotateFlipType>(1), "Rotate90FlipNone"},
                      NameRow{static_cast<RotateFlipType>(2), "Rotate180FlipNone"},
                      NameRow{static_cast<RotateFlipType>(3), "Rotate270FlipNone"},
                      NameRow{static_cast<RotateFlipType>(4), "RotateNoneFlipX"},
                      NameRow{static_cast<RotateFlipType>(5), "Rotate90FlipX"},
                      NameRow{static_cast<RotateFlipType>(6), "Rotate180FlipX"},
                      NameRow{static_cast<RotateFlipType>(7), "Rotate270FlipX"},
                      NameRow{static_cast<RotateFlipType>(8), ""}),
    [](const ::testing::TestParamInfo<NameRow>& info) {
        return "Value" + std::to_string(static_cast<int>(info.param.type));
    });

}  // namespace
}  // namespace veltra::imaging
