// ReadMetadata on small JPEG, PNG, GIF and WebP files written byte by byte; every expected
// value is worked out by hand from the bytes written here.

#include "imaging/imaging_test_support.h"

#include "imaging/property_rows.h"
#include "imaging/work_counters.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace veltra::imaging {
namespace {

using test::Hex;
using test::ItemRow;
using test::Rows;
using Expected = std::vector<std::string>;

QByteArray Big16(std::uint16_t value)
{
    char bytes[2];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, 2);
}

QByteArray Big32(std::uint32_t value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    return QByteArray(bytes, 4);
}

QByteArray JpegSegment(std::uint8_t marker, const QByteArray& payload)
{
    const auto length = static_cast<std::uint16_t>(payload.size() + 2);
    return QByteArray(1, '\xFF') + char(marker) + Big16(length) + payload;
}

// A PNG chunk with a zero CRC: the reader does not check it.
QByteArray PngChunk(const char* type, const QByteArray& data)
{
    return Big32(static_cast<std::uint32_t>(data.size())) + type + data + Hex("00000000");
}

QByteArray ZlibStream(const QByteArray& data)
{
    return qCompress(data).mid(4);  // qCompress puts the size before the zlib stream
}

// A big-endian Exif block: IFD0 at 8 (Make at 62, Exif IFD at 68, GPS IFD at 98, Orientation),
// the GPS latitude at 128, IFD1 at 152 and a 4-byte thumbnail at 194.
const QByteArray kBigEndianExif = Hex(
    "4d4d002a 00000008 0004"
    "010f 0002 00000006 0000003e"
    "8769 0004 00000001 00000044"
    "8825 0004 00000001 00000062"
    "0112 0003 00000001 00060000"
    "00000098"
    "43616e6f6e00"                            // 62: "Canon\0"
    "0002"                                    // 68: Exif IFD
    "9000 0007 00000004 30323330"
    "a001 0003 00000001 00010000"
    "00000000"
    "0002"                                    // 98: GPS IFD
    "0000 0001 00000004 02030000"             // GPSVersionID 2.3.0.0
    "0002 0005 00000003 00000080"             // GPSLatitude at 128
    "00000000"
    "00000023 00000001 00000028 00000001 000004d2 00000064"  // 128: 35/1 40/1 1234/100
    "0003"                                    // 152: IFD1
    "0103 0003 00000001 00060000"
    "0201 0004 00000001 000000c2"
    "0202 0004 00000001 00000004"
    "00000000"
    "ffd8ffd9");                              // 194

// Row-major position -> index of that coefficient in zig-zag order.
constexpr int kZigZagIndex[64] = {
    0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42,
    3,  8,  12, 17, 25, 30, 41, 43, 9,  11, 18, 24, 31, 40, 44, 53,
    10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38, 46, 51, 55, 60,
    21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63,
};

TEST(JpegMetadata, ExifThenCommentThenQuantisationTables)
{
    // Table 0 is 8-bit and table 1 16-bit; each stores the value k + (table << 8) as its
    // k-th coefficient in zig-zag order.
    QByteArray tables = Hex("00");
    for (int k = 0; k < 64; ++k)
        tables.append(char(k));
    tables.append(Hex("11"));
    for (int k = 0; k < 64; ++k)
        tables.append(Big16(static_cast<std::uint16_t>(0x100 + k)));
    const QByteArray file = Hex("ffd8") +
        JpegSegment(0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0<x/>", 33)) +
                            JpegSegment(0xE1, QByteArray("Exif\0\0", 6) + kBigEndianExif) +
                            JpegSegment(0xFE, "Hello") + JpegSegment(0xDB, tables) +
                            Hex("ffda 0008 01 0100 00 3f 00  1234 ff00 56  ffd9");

    std::string luminance = "5090 3 ";
    std::string chrominance = "5091 3 ";
    for (int zigZag : kZigZagIndex) {
        luminance += QByteArray(1, char(zigZag)).toHex().toStdString() + "00";
        chrominance += QByteArray(1, char(zigZag)).toHex().toStdString() + "01";
    }
    const Expected expected{
        "010f 2 43616e6f6e00",
        "8769 4 44000000",
        "9000 7 30323330",
        "a001 3 0100",
        "8825 4 62000000",
        "0000 1 02030000",
        ItemRow("0002 5", Hex("23000000 01000000 28000000 01000000 d2040000 64000000")),
        "0112 3 0600",
        "501b 1 ffd8ffd9",
        "5023 3 0600",
        "0201 4 c2000000",
        "0202 4 04000000",
        "9286 2 48656c6c6f",
        luminance,
        chrominance,
    };
    EXPECT_EQ(Rows(test_support::ItemsOf(file, FileFormat::Jpeg)), expected);
}

TEST(JpegMetadata, ExifUserCommentWinsOverTheCommentSegment)
{
    // IFD0 at 8 points to the Exif IFD at 26, whose UserComment lies at 44.
    const QByteArray exif = Hex("49492a00 08000000 0100 6987 0400 01000000 1a000000 00000000"
                                "0100 8692 0700 08000000 2c000000 00000000"
                                "4153434949000000");
    const QByteArray file = Hex("ffd8") + JpegSegment(0xE1, QByteArray("Exif\0\0", 6) + exif) +
                            JpegSegment(0xFE, "note") + Hex("ffd9");
    EXPECT_EQ(Rows(test_support::ItemsOf(file, FileFormat::Jpeg)),
              (Expected{"8769 4 1a000000", "9286 7 4153434949000000"}));
}

TEST(JpegMetadata, BytesAfterTheScanHeaderAreNotRead)
{
    // The entropy-coded data holds what looks like a comment segment.
    const QByteArray file = Hex("ffd8 ffda 0008 01 0100 00 3f 00  fffe 0004 6869  ffd9");
    EXPECT_TRUE(test_support::ItemsOf(file, FileFormat::Jpeg).empty());
}

TEST(PngMetadata, ChunksInOrderWithPhysicalDimensionsLast)
{
    const QByteArray file =
        Hex("89504e470d0a1a0a") +
        PngChunk("IHDR", Hex("00000001 00000001 08 02 00 00 00")) +
        PngChunk("pHYs", Hex("00000ec4 00000ec4 01")) +
        PngChunk("tIME", Hex("07e8 02 1d 0d 05 09")) +
        PngChunk("gAMA", Hex("0000b18f")) +
        PngChunk("cHRM", Hex("00007a26 00008084 0000fa00 000080e8"
                             "00007530 0000ea60 00003a98 00001770")) +
        PngChunk("sRGB", Hex("00")) +
        PngChunk("iCCP", QByteArray("ICC Profile\0\0", 13) + ZlibStream("profile bytes")) +
        PngChunk("tEXt", QByteArray("Title\0My title", 14)) +
        PngChunk("tEXt", QByteArray("Unknown\0not listed", 18)) +
        PngChunk("zTXt", QByteArray("Comment\0\0", 9) + ZlibStream("packed words")) +
        PngChunk("iTXt", QByteArray("Author\0\1\0en\0Autor\0", 18) + ZlibStream("Zo\xC3\xAB")) +
        PngChunk("iTXt", QByteArray("Software\0\0\0\0\0Veltra", 19)) +
        PngChunk("hIST", Hex("0001 0002 0100")) +
        PngChunk("eXIf", Hex("457869660000 4d4d002a 00000008"
                             "0001 0112 0003 00000001 00030000 00000000")) +
        PngChunk("IDAT", Hex("00")) + PngChunk("IEND", {});
    const Expected expected{
        ItemRow("0132 2", QByteArrayView("2024:02:29 13:05:09\0", 20)),
        "0301 5 a08601008fb10000",
        ItemRow("013e 5", Hex("267a0000 a0860100  84800000 a0860100")),
        ItemRow("013f 5", Hex("00fa0000 a0860100  e8800000 a0860100  30750000 a0860100"
                              "60ea0000 a0860100  983a0000 a0860100  70170000 a0860100")),
        "0303 1 00",
        ItemRow("0302 2", QByteArrayView("ICC Profile\0", 12)),
        ItemRow("8773 7", "profile bytes"),
        ItemRow("0320 2", QByteArrayView("My title\0", 9)),
        ItemRow("9286 2", QByteArrayView("packed words\0", 13)),
        ItemRow("013b 2", QByteArrayView("Zo\xC3\xAB\0", 5)),
        ItemRow("0131 2", QByteArrayView("Veltra\0", 7)),
        "5113 3 010002000001",
        "0112 3 0300",
        "5110 1 01",
        "5111 4 c40e0000",
        "5112 4 c40e0000",
    };
    EXPECT_EQ(Rows(test_support::ItemsOf(file, FileFormat::Png)), expected);
}

TEST(PngMetadata, DamagedChunksAreSkippedAndAnOverlongOneEndsTheWalk)
{
    const QByteArray file = Hex("89504e470d0a1a0a") +
                            PngChunk("zTXt", QByteArray("Comment\0\0not zlib", 17)) +
                            PngChunk("tEXt", QByteArray("Title\0kept", 10)) +
                            Hex("fffffff0") + "tEXt" + QByteArray("Source\0lost", 11);
    EXPECT_EQ(Rows(test_support::ItemsOf(file, FileFormat::Png)),
              Expected{ItemRow("0320 2", QByteArrayView("kept\0", 5))});
}

// Compressed text and profiles within the file's two budgets: 16 MiB of item values and 32 MiB
// inflated. A value that exactly fills what is left is kept and one byte more is not; a later
// chunk for an id is not inflated at all; and what was inflated counts, kept or not.
struct InflationRow {
    const char* name;
    std::vector<std::pair<const char*, qsizetype>> chunks;  // zTXt keyword (iCCP name) and size
    std::vector<PROPID> listed;
    std::uint64_t inflated;
};

void PrintTo(const InflationRow& row, std::ostream* out)
{
    *out << row.name;
}

class PngInflation : public ::testing::TestWithParam<InflationRow> {};

// A zlib stream of `size` letters, compressed once for all the rows.
const QByteArray& RepeatedLetters(qsizetype size)
{
    static std::map<qsizetype, QByteArray> streams;
    QByteArray& stream = streams[size];
    if (stream.isEmpty())
        stream = qCompress(QByteArray(size, 'v'), 1).mid(4);
    return stream;
}

TEST_P(PngInflation, StaysWithinTheFilesBudgets)
{
    QByteArray file = Hex("89504e470d0a1a0a") +
                      PngChunk("IHDR", Hex("00000001 00000001 08 00 00 00 00"));
    for (const auto& [keyword, size] : GetParam().chunks) {
        const QByteArray& stream = RepeatedLetters(size);
        file += QByteArrayView(keyword) == "ICC"
                    ? PngChunk("iCCP", QByteArray("ICC\0\0", 5) + stream)
                    : PngChunk("zTXt", QByteArray(keyword) + QByteArray(2, '\0') + stream);
    }
    const std::uint64_t before = WorkDone(Work::InflatedBytes);
    std::vector<PROPID> listed;
    for (const PropertyRecord& item : test_support::ItemsOf(file, FileFormat::Png))
        listed.push_back(item.id);
    EXPECT_EQ(listed, GetParam().listed);
    EXPECT_EQ(WorkDone(Work::InflatedBytes) - before, GetParam().inflated);
}

constexpr qsizetype kMiB = qsizetype{1} << 20;

INSTANTIATE_TEST_SUITE_P(
    Budgets, PngInflation,
    ::testing::Values(
        // Text and its NUL exactly fill the item budget; a byte more and it is dropped, having
        // inflated as far as the budget let it.
        InflationRow{"text_fills_the_item_budget", {{"Title", 16 * kMiB - 1}}, {0x0320},
                     16 * kMiB - 1},
        InflationRow{"text_one_byte_over", {{"Title", 16 * kMiB}}, {}, 16 * kMiB - 1},
        // A profile has no NUL; its name ("ICC" and a NUL) takes four bytes first.
        InflationRow{"profile_fills_the_item_budget", {{"ICC", 16 * kMiB - 4}}, {0x0302, 0x8773},
                     16 * kMiB - 4},
        InflationRow{"profile_one_byte_over", {{"ICC", 16 * kMiB - 3}}, {0x0302}, 16 * kMiB - 4},
        // Only the first chunk of a keyword can be listed: the second is never inflated.
        InflationRow{"second_chunk_of_a_keyword", {{"Comment", 16 * kMiB}, {"Comment", 1}}, {},
                     16 * kMiB - 1},
        // Two dropped values leave two bytes of the 32 MiB: a text of two fits, of three not.
        InflationRow{"text_fills_the_inflation_budget",
                     {{"Title", 16 * kMiB}, {"Author", 16 * kMiB}, {"Comment", 2}}, {0x9286},
                     32 * kMiB},
        InflationRow{"text_one_byte_over_the_inflation_budget",
                     {{"Title", 16 * kMiB}, {"Author", 16 * kMiB}, {"Comment", 3}}, {},
                     32 * kMiB}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GifMetadata, AnimatedGifListsEveryFrameDelayAndTheFirstFramesTransparency)
{
    const QByteArray file = Hex(
        "474946383961 0200 0100 80 01 00"          // 2 x 1, global table of 2 colours, background 1
        "ff0000 0000ff"
        "21ff 0b 4e45545343415045322e30 03 01 0500 00"  // NETSCAPE2.0, loop count 5
        "21fe 03 616263 02 6465 00"                // comment "abcde" in two sub-blocks
        "21f9 04 05 0a00 01 00"                    // delay 10, transparent index 1
        "2c 0000 0000 0200 0100 00 02 03 212c3b 00"  // image data that looks like blocks
        "2c 0000 0000 0200 0100 00 02 01 44 00"    // no control extension: delay 0
        "21f9 04 00 0201 00 00"                    // delay 258
        "2c 0000 0000 0200 0100 80 000000 ffffff 02 02 4c01 00"  // local colour table
        "3b");
    EXPECT_EQ(Rows(test_support::ItemsOf(file, FileFormat::Gif)),
              (Expected{ItemRow("5100 4", Hex("0a000000 00000000 02010000")), "9286 2 6162636465",
                        "5101 3 0500",
                        "5102 1 ff00000000ff", "5103 1 01", "5104 1 01"}));
}

TEST(GifMetadata, ControlExtensionUsedUpByPlainTextAndNoGlobalTable)
{
    // The control extension (delay 50, transparent index 7) belongs to the plain text that
    // follows it, not to the image; without a loop extension the loop count is 1.
    const QByteArray file = Hex("474946383961 0100 0100 00 00 00"
                                "21f9 04 01 3200 07 00"
                                "2101 0c 000000000100010001010100 02 6869 00"
                                "2c 0000 0000 0100 0100 00 02 02 4c01 00 3b");
    EXPECT_EQ(Rows(test_support::ItemsOf(file, FileFormat::Gif)),
              (Expected{"5100 4 00000000", "5101 3 0100"}));
}

const QByteArray kOrientationEightTiff =
    Hex("49492a00 08000000 0100 1201 0300 01000000 08000000 00000000");

class WebPExif : public ::testing::TestWithParam<const char*> {};

TEST_P(WebPExif, ItemsOfTheExifChunkWithOrWithoutPrefix)
{
    const QByteArray exif = Hex(GetParam()) + kOrientationEightTiff;
    QByteArray chunks = QByteArray("VP8 ") + Hex("03000000 aabbcc 00") + "EXIF";
    char size[4];
    qToLittleEndian(static_cast<std::uint32_t>(exif.size()), size);
    chunks += QByteArray(size, 4) + exif;
    qToLittleEndian(static_cast<std::uint32_t>(4 + chunks.size()), size);
    const QByteArray file = QByteArray("RIFF") + QByteArray(size, 4) + "WEBP" + chunks;
    EXPECT_EQ(Rows(test_support::ItemsOf(file, FileFormat::WebP)), Expected{"0112 3 0800"});
}

INSTANTIATE_TEST_SUITE_P(Prefixes, WebPExif, ::testing::Values("", "457869660000"));

class FormatWithoutItems : public ::testing::TestWithParam<FileFormat> {};

TEST_P(FormatWithoutItems, ListsNothingEvenForTiffBytes)
{
    ASSERT_FALSE(test_support::ItemsOf(kOrientationEightTiff, FileFormat::Tiff).empty());
    EXPECT_TRUE(test_support::ItemsOf(kOrientationEightTiff, GetParam()).empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatWithoutItems,
                         ::testing::Values(FileFormat::Bmp, FileFormat::Icon, FileFormat::Emf,
                                           FileFormat::Wmf, FileFormat::Unknown));

}  // namespace
}  // namespace veltra::imaging
