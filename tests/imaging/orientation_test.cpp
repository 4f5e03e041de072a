// Turning and the orientation item: the turn an orientation asks for shows the picture upright,
// the item keeps its stored value whatever turn is applied, and the picture remembers the one
// turn that equals all those applied. The upright view is computed here from the eight
// orientations' own definitions (which stored side ends up on top and on the left),
// independently of the service's turn tables.

#include "imaging/imaging_test_support.h"
#include "imaging/orientation.h"

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
    QImage pixels(3, 2, QImage::Format_ARGB32);
    const char* letters = "ABCDEF";
    for (int i = 0; i < 6; ++i)
        pixels.setPixel(i % 3, i / 3, LetterColours().at(letters[i]));
    return ImagePtr(new GpImage(std::move(pixels), ImageFormatJPEG, PixelFormat24bppRGB, {},
                                PropertySet(std::move(properties))));
}

ImagePtr PictureWithOrientation(std::uint16_t orientation)
{
    return SixColourPicture(
        {PropertyRecord{PropertyTagOrientation, TiffType::Short, ShortValue(orientation)}});
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
    return PropertyRecord{item->id, static_cast<TiffType>(item->type),
                          QByteArray(static_cast<const char*>(item->value),
                                     static_cast<qsizetype>(item->length))};
}

std::optional<std::uint16_t> ReadOrientation(GpImage* image)
{
    const std::optional<PropertyRecord> item = ReadItem(image, PropertyTagOrientation);
    if (!item || item->type != TiffType::Short || item->value.size() != 2)
        return std::nullopt;
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(item->value[0]) |
                                      static_cast<std::uint8_t>(item->value[1]) << 8);
}

// The stored view of the six-colour picture after `turns`, one after another.
std::string ViewAfter(std::initializer_list<RotateFlipType> turns, RotateFlipType* remembered)
{
    ImagePtr image = PictureWithOrientation(1);
    for (RotateFlipType turn : turns)
        EXPECT_EQ(GdipImageRotateFlip(image.get(), turn), Ok);
    EXPECT_EQ(GetImageAppliedTurn(image.get(), remembered), Ok);
    return StoredView(PixelsForTesting(image.get()));
}

constexpr std::array kAllTurns{RotateNoneFlipNone, Rotate90FlipNone, Rotate180FlipNone,
                               Rotate270FlipNone,  RotateNoneFlipX,  Rotate90FlipX,
                               Rotate180FlipX,     Rotate270FlipX};

class ComposedTurnTest : public ::testing::TestWithParam<std::tuple<RotateFlipType, RotateFlipType>> {};

// Two turns in a row leave the pixels as their composition does in one, and the picture
// remembers that composition.
TEST_P(ComposedTurnTest, EqualsBothTurnsInARow)
{
    const auto [first, second] = GetParam();
    RotateFlipType rememberedAfterTwo = RotateNoneFlipNone;
    const std::string afterTwo = ViewAfter({first, second}, &rememberedAfterTwo);
    const RotateFlipType composed = ComposeTurns(first, second);
    RotateFlipType rememberedAfterOne = RotateNoneFlipNone;
    EXPECT_EQ(ViewAfter({composed}, &rememberedAfterOne), afterTwo);
    EXPECT_EQ(rememberedAfterTwo, composed);
    EXPECT_EQ(rememberedAfterOne, composed);
}

INSTANTIATE_TEST_SUITE_P(
    AllPairs, ComposedTurnTest,
    ::testing::Combine(::testing::ValuesIn(kAllTurns), ::testing::ValuesIn(kAllTurns)),
    [](const ::testing::TestParamInfo<std::tuple<RotateFlipType, RotateFlipType>>& info) {
        return std::string(RotateFlipTypeName(std::get<0>(info.param))) + "_then_" +
               RotateFlipTypeName(std::get<1>(info.param));
    });

class UprightTurnTest : public ::testing::TestWithParam<int> {};

// The turn the orientation calls for shows the upright view as stored pixels; the item still
// says what the file says, and the picture remembers the turn instead.
TEST_P(UprightTurnTest, ShowsTheUprightViewAndKeepsTheStoredValue)
{
    const int orientation = GetParam();
    ImagePtr image = PictureWithOrientation(static_cast<std::uint16_t>(orientation));
    const std::string upright = UprightView(PixelsForTesting(image.get()), orientation);
    const std::optional<RotateFlipType> turn = UprightTurnFor(static_cast<std::uint16_t>(orientation));
    ASSERT_EQ(turn.has_value(), orientation != 1);
    if (turn) {
        ASSERT_EQ(GdipImageRotateFlip(image.get(), *turn), Ok);
    }
    EXPECT_EQ(StoredView(PixelsForTesting(image.get())), upright);
    EXPECT_EQ(ReadOrientation(image.get()), std::optional<std::uint16_t>(orientation));
    RotateFlipType remembered = RotateNoneFlipNone;
    ASSERT_EQ(GetImageAppliedTurn(image.get(), &remembered), Ok);
    EXPECT_EQ(remembered, turn.value_or(RotateNoneFlipNone));
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

// The case the window meets: a camera picture stored sideways with orientation 6, turned by
// the quarter turn that orientation asks for, keeps every item as the file stored it.
TEST(GdipImageRotateFlip, KeepsEveryItemAsStored)
{
    const PropertyRecords items{
        {0x010F, TiffType::Ascii, QByteArray("Canon\0", 6)},
        {PropertyTagOrientation, TiffType::Short, ShortValue(6)},
        {0x011A, TiffType::Rational, QByteArray("\x48\0\0\0\x01\0\0\0", 8)},
        {0xA002, TiffType::Long, QByteArray("\x03\0\0\0", 4)},  // pixel width as stored
        {0x5029, TiffType::Short, ShortValue(6)},              // the thumbnail's orientation
        {0x9286, TiffType::Undefined, QByteArray("ASCII\0\0\0hello", 13)},
    };
    ImagePtr image = SixColourPicture(items);
    ASSERT_EQ(GdipImageRotateFlip(image.get(), Rotate90FlipNone), Ok);
    EXPECT_EQ(StoredView(PixelsForTesting(image.get())), "DA/EB/FC");

    std::uint32_t count = 0;
    ASSERT_EQ(GdipGetPropertyCount(image.get(), &count), Ok);
    ASSERT_EQ(count, items.size());
    std::vector<PROPID> ids(count);
    ASSERT_EQ(GdipGetPropertyIdList(image.get(), count, ids.data()), Ok);
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(ids[i], items[i].id);
        const std::optional<PropertyRecord> item = ReadItem(image.get(), items[i].id);
        ASSERT_TRUE(item.has_value());
        EXPECT_EQ(*item, items[i]) << "item 0x" << std::hex << items[i].id;
    }
}

// Real camera files: the same scene stored in each of the eight orientations (exiftool reads
// orientation N from the file named _N). Turned as their orientation asks, each must match the
// file stored upright, up to JPEG noise, and still say what the file says.
class CameraOrientationTest : public ::testing::TestWithParam<int> {};

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

TEST_P(CameraOrientationTest, TurnedUprightMatchesTheUprightFile)
{
    const int orientation = GetParam();
    const auto file = [](int value) {
        return QStringLiteral(VELTRA_CAMERA_FILES_DIR "/jpg/orientation/landscape_%1.jpg").arg(value);
    };
    auto reference = LoadFile(file(1));
    auto turned = LoadFile(file(orientation));
    ASSERT_EQ(reference.status, Ok);
    ASSERT_EQ(turned.status, Ok);
    ASSERT_EQ(ReadOrientation(turned.image.get()), std::optional<std::uint16_t>(orientation));
    if (const auto turn = UprightTurnFor(static_cast<std::uint16_t>(orientation))) {
        ASSERT_EQ(GdipImageRotateFlip(turned.image.get(), *turn), Ok);
    }
    EXPECT_EQ(ReadOrientation(turned.image.get()), std::optional<std::uint16_t>(orientation));
    ASSERT_EQ(QuerySize(turned.image.get()), QuerySize(reference.image.get()));
    // Each file draws its own number into the scene; a wrong turn or mirror differs by 50 and
    // more, the right one by the number and the JPEG noise (about 14).
    EXPECT_LT(MeanDifference(PixelsForTesting(turned.image.get()), PixelsForTesting(reference.image.get())), 25.0);
}

INSTANTIATE_TEST_SUITE_P(Landscape, CameraOrientationTest, ::testing::Range(1, 9));

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
    EXPECT_EQ(ReadOrientation(image), std::optional<std::uint16_t>(6));
    ASSERT_EQ(QuerySize(image), (test_support::Size{1600, 1200}));

    // Mean colour of a band of rows: blue above (sky), green below (hills).
    const QImage pixels = PixelsForTesting(image);
    const auto meanOfRows = [&pixels](int top, int bottom) {
        double red = 0, green = 0, blue = 0;
        int count = 0;
        for (int y = top; y < bottom; y += 4) {
            for (int x = 0; x < 1600; x += 4) {
                const QRgb p = pixels.pixel(x, y);
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
