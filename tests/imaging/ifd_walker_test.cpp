// The IFD walker on TIFF structures written byte by byte: directory order, pointers, byte
// order, the thumbnail directory, and one case for each guard against hostile files.

#include "metadata/ifd_walker.h"

#include "imaging/property_rows.h"
#include "imaging/thumbnail_id_table.h"

#include <gtest/gtest.h>

#include <QtEndian>

namespace veltra::imaging {
namespace {

using test::Hex;
using test::Rows;
using Expected = std::vector<std::string>;

// Offsets: IFD0 at 8 (entries 10..57, next 58), 72/1 at 62, Exif IFD at 70 (entries 72..95,
// next 96), and at 100 a directory that is both the interoperability directory and the
// directory after IFD0.
const QByteArray kLittleEndianTiff = Hex(
    "49492a00 08000000"
    "0400"
    "0f01 0200 04000000 43616d00"  // Make "Cam\0", inline
    "1201 0300 01000000 06000000"  // Orientation 6
    "1a01 0500 01000000 3e000000"  // XResolution at 62
    "6987 0400 01000000 46000000"  // Exif IFD at 70
    "64000000"                     // next directory at 100
    "48000000 01000000"            // 62: 72/1
    "0200"                         // 70: Exif IFD
    "0090 0700 04000000 30323330"  // ExifVersion "0230"
    "05a0 0400 01000000 64000000"  // interoperability IFD at 100
    "00000000"
    "0100"                         // 100
    "0100 0200 04000000 52393800"  // InteroperabilityIndex "R98\0"
    "00000000");

const Expected kIfd0AndExifRows{
    "010f 2 43616d00", "0112 3 0600",     "011a 5 4800000001000000",
    "8769 4 46000000", "9000 7 30323330", "a005 4 64000000",
};

TEST(IfdReader, TiffFileListsIfd0WithExifAfterItsPointerButNoSecondPage)
{
    EXPECT_EQ(Rows(ReadTiffItems(kLittleEndianTiff, TiffStructure::File)), kIfd0AndExifRows);
}

TEST(IfdReader, ExifBlockAlsoListsTheDirectoryAfterIfd0)
{
    Expected rows = kIfd0AndExifRows;
    rows.push_back("0001 2 52393800");  // an IFD1 entry without a thumbnail id keeps its own
    EXPECT_EQ(Rows(ReadTiffItems(kLittleEndianTiff, TiffStructure::ExifBlock)), rows);
}

TEST(IfdReader, PointerStoredAsIfdTypeIsFollowedButNotListed)
{
    const QByteArray tiff = Hex(
        "49492a00 08000000 0100"
        "6987 0d00 01000000 1a000000"  // Exif IFD at 26, type 13
        "00000000"
        "0100 0090 0700 04000000 30323330 00000000");
    EXPECT_EQ(Rows(ReadTiffItems(tiff, TiffStructure::File)), Expected{"9000 7 30323330"});
}

struct ByteOrderRow {
    std::uint16_t type;
    std::uint32_t count;
    const char* storedBigEndian;
    const char* expectedLittleEndian;
};

void PrintTo(const ByteOrderRow& row, std::ostream* out)
{
    *out << "type " << row.type << " x " << row.count << ": " << row.storedBigEndian;
}

class BigEndianValues : public ::testing::TestWithParam<ByteOrderRow> {};

// One IFD0 entry (tag 0x0300) in a big-endian file; values over 4 bytes lie at offset 26.
TEST_P(BigEndianValues, AreConvertedElementByElement)
{
    const ByteOrderRow& row = GetParam();
    const QByteArray stored = Hex(row.storedBigEndian);
    QByteArray tiff = Hex("4d4d002a 00000008 0001 0300");
    char field[4];
    qToBigEndian(row.type, field);
    tiff.append(field, 2);
    qToBigEndian(row.count, field);
    tiff.append(field, 4);
    if (stored.size() <= 4) {
        tiff.append(stored.leftJustified(4, '\0'));
        tiff.append(Hex("00000000"));
    } else {
        tiff.append(Hex("0000001a 00000000"));
        tiff.append(stored);
    }
    const PropertyRecords items = ReadTiffItems(tiff, TiffStructure::File);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(static_cast<std::uint16_t>(items[0].type), row.type);
    EXPECT_EQ(items[0].value.toHex(), Hex(row.expectedLittleEndian).toHex());
}

INSTANTIATE_TEST_SUITE_P(
    EachType, BigEndianValues,
    ::testing::Values(ByteOrderRow{1, 3, "010203", "010203"},                 // BYTE
                      ByteOrderRow{2, 5, "4d4d616200", "4d4d616200"},         // ASCII
                      ByteOrderRow{3, 2, "0102 0304", "0201 0403"},           // SHORT
                      ByteOrderRow{4, 1, "01020304", "04030201"},             // LONG
                      ByteOrderRow{5, 1, "00000048 00000001", "48000000 01000000"},  // RATIONAL
                      ByteOrderRow{6, 1, "80", "80"},                         // SBYTE
                      ByteOrderRow{7, 6, "010203040506", "010203040506"},     // UNDEFINED
                      ByteOrderRow{8, 1, "fffe", "feff"},                     // SSHORT
                      ByteOrderRow{9, 2, "fffffffe 00000001", "feffffff 01000000"},  // SLONG
                      ByteOrderRow{10, 1, "fffffffe 00000003", "feffffff 03000000"},  // SRATIONAL
                      ByteOrderRow{11, 1, "3f800000", "0000803f"},            // FLOAT 1.0
                      ByteOrderRow{12, 1, "3ff0000000000000", "000000000000f03f"}));  // DOUBLE 1.0

struct ThumbnailRow {
    const char* offset;
    const char* length;
    bool listsData;
};

void PrintTo(const ThumbnailRow& row, std::ostream* out)
{
    *out << "offset " << row.offset << ", length " << row.length;
}

class ThumbnailDirectory : public ::testing::TestWithParam<ThumbnailRow> {};

// IFD0 at 8 with an orientation; IFD1 at 26 (entries 28..75, next 76); thumbnail at 80.
TEST_P(ThumbnailDirectory, ListsThumbnailDataOnlyWhenItLiesInsideTheBlock)
{
    const ThumbnailRow& row = GetParam();
    const QByteArray exif = Hex("49492a00 08000000 0100"
                                "1201 0300 01000000 01000000"
                                "1a000000"
                                "0400"
                                "0301 0300 01000000 06000000"  // Compression
                                "0102 0400 01000000") +
                            Hex(row.offset) + Hex("0202 0400 01000000") + Hex(row.length) +
                            Hex("4242 0300 01000000 07000000"  // no thumbnail id
                                "00000000"
                                "ffd8ffd9");
    Expected expected{"0112 3 0100"};
    if (row.listsData)
        expected.push_back("501b 1 ffd8ffd9");
    expected.insert(expected.end(), {"5023 3 0600", std::string("0201 4 ") + row.offset,
                                     std::string("0202 4 ") + row.length, "4242 3 0700"});
    EXPECT_EQ(Rows(ReadTiffItems(exif, TiffStructure::ExifBlock)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, ThumbnailDirectory,
    ::testing::Values(ThumbnailRow{"50000000", "04000000", true},
                      ThumbnailRow{"50000000", "00000000", false},   // empty
                      ThumbnailRow{"51000000", "04000000", false},   // one byte past the end
                      ThumbnailRow{"feffffff", "04000000", false}));  // wraps in 32 bits

TEST(IfdReader, ThumbnailIdsFollowTheMappingTable)
{
    for (const test::ThumbnailIdPair& pair : test::kThumbnailIdPairs)
        EXPECT_EQ(ThumbnailPropertyId(pair.ifd1Tag), pair.listedId) << std::hex << pair.ifd1Tag;
    for (PROPID ownId : {0x0000u, 0x0201u, 0x0202u, 0x8769u, 0x0113u, 0x5020u})
        EXPECT_EQ(ThumbnailPropertyId(ownId), ownId) << std::hex << ownId;
}

// BigTIFF: 8-byte counts and offsets, 20-byte entries whose values up to 8 bytes are inline.
// IFD0 at 16 (entries 24..123, next 124), the Exif IFD at 132 (entry 140..159, next 160), and
// at 168 the Software text. LONG8 (16) and IFD8 (18) are no item types: the strip offsets are
// skipped, the Exif pointer followed but not listed.
TEST(IfdReader, BigTiffWithInlineAndOutOfLineValuesAndAnIfd8Pointer)
{
    const QByteArray bigTiff = Hex(
        "49492b00 08000000 10000000 00000000"
        "05000000 00000000"
        "0f01 0200 04000000 00000000 43616d00 00000000"    // Make "Cam\0", inline
        "1101 1000 01000000 00000000 00010000 00000000"    // StripOffsets as LONG8
        "1a01 0500 01000000 00000000 48000000 01000000"    // XResolution 72/1, inline
        "3101 0200 0b000000 00000000 a8000000 00000000"    // Software, 11 bytes at 168
        "6987 1200 01000000 00000000 84000000 00000000"    // Exif IFD at 132, as IFD8
        "00000000 00000000"                                // no next directory
        "01000000 00000000"                                // 132: Exif IFD
        "0090 0700 04000000 00000000 30323330 00000000"    // ExifVersion "0230"
        "00000000 00000000"
        "56656c74 72612042 544600");                       // 168: "Veltra BTF\0"
    EXPECT_EQ(Rows(ReadTiffItems(bigTiff, TiffStructure::File)),
              (Expected{"010f 2 43616d00", "011a 5 4800000001000000",
                        "0131 2 56656c7472612042544600", "9000 7 30323330"}));
}

TEST(IfdReader, BigEndianBigTiff)
{
    const QByteArray bigTiff = Hex("4d4d002b 00080000 00000000 00000010"
                                   "00000000 00000001"
                                   "0112 0003 00000000 00000001 0006 0000 00000000"
                                   "00000000 00000000");
    EXPECT_EQ(Rows(ReadTiffItems(bigTiff, TiffStructure::File)), Expected{"0112 3 0600"});
}

// Guards against hostile files.

TEST(IfdReaderGuard, DirectoryLoopEndsTheWalk)
{
    // The Exif pointer and the next-directory offset both lead back to IFD0.
    const QByteArray exif = Hex("49492a00 08000000 0200"
                                "1201 0300 01000000 06000000"
                                "6987 0400 01000000 08000000"
                                "08000000");
    EXPECT_EQ(Rows(ReadTiffItems(exif, TiffStructure::ExifBlock)),
              (Expected{"0112 3 0600", "8769 4 08000000"}));
}

TEST(IfdReaderGuard, ValueOrEntryPastTheEndIsSkipped)
{
    // Five entries announced, four present (the fifth would start at 58, the end).
    const QByteArray tiff = Hex("49492a00 08000000 0500"
                                "0f01 0200 0a000000 e8030000"  // 10 bytes at 1000
                                "3101 0200 08000000 33000000"  // 8 bytes at 51: one past the end
                                "1201 0300 01000000 06000000"
                                "1a01 0500 01000000 ffffffff");  // 8 bytes at 0xffffffff
    ASSERT_EQ(tiff.size(), 58);
    EXPECT_EQ(Rows(ReadTiffItems(tiff, TiffStructure::ExifBlock)), Expected{"0112 3 0600"});
}

TEST(IfdReaderGuard, CountTimesSizeOverflowIsSkipped)
{
    const QByteArray tiff = Hex("49492a00 08000000 0300"
                                "1a01 0500 00000020 00000000"  // 0x20000000 x 8: 0 in 32 bits
                                "1101 0400 01000040 00000000"  // 0x40000001 x 4: 4 in 32 bits
                                "1201 0300 01000000 06000000"
                                "00000000");
    EXPECT_EQ(Rows(ReadTiffItems(tiff, TiffStructure::File)), Expected{"0112 3 0600"});
}

// Whatever ends on the structure's last byte is inside it; one byte less and it is not.
struct LastByteRow {
    const char* name;
    const char* tiff;
    Expected whole;
    Expected oneByteShort;
};

void PrintTo(const LastByteRow& row, std::ostream* out)
{
    *out << row.name;
}

class LastByte : public ::testing::TestWithParam<LastByteRow> {};

TEST_P(LastByte, EndsInsideTheData)
{
    const QByteArray tiff = Hex(GetParam().tiff);
    EXPECT_EQ(Rows(ReadTiffItems(tiff, TiffStructure::ExifBlock)), GetParam().whole);
    EXPECT_EQ(Rows(ReadTiffItems(tiff.chopped(1), TiffStructure::ExifBlock)),
              GetParam().oneByteShort);
}

INSTANTIATE_TEST_SUITE_P(
    Structures, LastByte,
    ::testing::Values(
        // The last entry, with no next-directory offset after it.
        LastByteRow{"entry", "49492a00 08000000 0200 3101 0200 02000000 61000000"
                             "1201 0300 01000000 06000000",
                    {"0131 2 6100", "0112 3 0600"}, {"0131 2 6100"}},
        // A value stored after the directory, up to the last byte.
        LastByteRow{"value", "49492a00 08000000 0100 0f01 0200 05000000 1a000000 00000000"
                             "43616d6500",
                    {"010f 2 43616d6500"}, {}},
        // The next-directory offset, leading back to a directory (IFD1) stored before IFD0.
        LastByteRow{"next_directory_offset",
                    "49492a00 1a000000 0100 0001 0300 01000000 07000000 00000000"
                    "0100 1201 0300 01000000 06000000 08000000",
                    {"0112 3 0600", "5020 3 0700"}, {"0112 3 0600"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A BigTIFF count of 2^40 entries reads those that are there; a value of 2^60 characters is
// skipped without its size wrapping.
TEST(IfdReaderGuard, BigTiffCountsPastTheFile)
{
    const QByteArray bigTiff = Hex("49492b00 08000000 10000000 00000000"
                                   "00000000 00010000"
                                   "0e01 0200 00000000 00000010 10000000 00000000"
                                   "1201 0300 01000000 00000000 06000000 00000000");
    EXPECT_EQ(Rows(ReadTiffItems(bigTiff, TiffStructure::File)), Expected{"0112 3 0600"});
}

class UnknownType : public ::testing::TestWithParam<const char*> {};

TEST_P(UnknownType, EntryIsSkippedAndTheNextOneRead)
{
    const QByteArray tiff = Hex("49492a00 08000000 0200 3101") + Hex(GetParam()) +
                            Hex("01000000 61000000"
                                "1201 0300 01000000 06000000"
                                "00000000");
    EXPECT_EQ(Rows(ReadTiffItems(tiff, TiffStructure::File)), Expected{"0112 3 0600"});
}

INSTANTIATE_TEST_SUITE_P(Types, UnknownType, ::testing::Values("0000", "0d00", "0e00", "ffff"));

TEST(IfdReaderGuard, EntriesAfterThe4096thAreNotRead)
{
    constexpr int kStored = 4097;
    QByteArray tiff = Hex("49492a00 08000000");
    char field[2];
    qToLittleEndian(static_cast<std::uint16_t>(kStored), field);
    tiff.append(field, 2);
    for (int tag = 1; tag <= kStored; ++tag) {
        qToLittleEndian(static_cast<std::uint16_t>(tag), field);
        tiff.append(field, 2);
        tiff.append(Hex("0300 01000000 01000000"));
    }
    tiff.append(Hex("00000000"));
    const PropertyRecords items = ReadTiffItems(tiff, TiffStructure::File);
    ASSERT_EQ(items.size(), 4096u);
    EXPECT_EQ(items.front().id, 1u);
    EXPECT_EQ(items.back().id, 4096u);
}

// Entries of UNDEFINED bytes that all point at one 4 MiB run: the first four take the whole
// budget between them, exactly; the next, two bytes, would pass it and is skipped whole; the
// last, one byte, would too; an empty one still fits.
TEST(IfdReaderGuard, ValuesPastTheFilesBudgetAreSkippedWhole)
{
    constexpr std::uint32_t kRun = 4 << 20;
    const auto entry = [](std::uint16_t tag, std::uint32_t count) {
        char bytes[12];
        qToLittleEndian(tag, bytes);
        qToLittleEndian(std::uint16_t{7}, bytes + 2);
        qToLittleEndian(count, bytes + 4);
        qToLittleEndian(std::uint32_t{100}, bytes + 8);
        return QByteArray(bytes, 12);
    };
    QByteArray tiff = Hex("49492a00 08000000 0700");
    tiff += entry(0x1001, kRun) + entry(0x1002, kRun) + entry(0x1003, kRun) +
            entry(0x1004, kRun) + entry(0x1005, 2) + entry(0x1006, 1) + entry(0x1007, 0);
    tiff += Hex("00000000");
    tiff += QByteArray(100 - tiff.size(), '\0') + QByteArray(kRun, 'v');
    ASSERT_EQ(4 * qsizetype{kRun}, ItemBudget::kValueBytesPerFile);

    const PropertyRecords items = ReadTiffItems(tiff, TiffStructure::File);
    std::vector<PROPID> ids;
    for (const PropertyRecord& item : items)
        ids.push_back(item.id);
    EXPECT_EQ(ids, (std::vector<PROPID>{0x1001, 0x1002, 0x1003, 0x1004, 0x1007}));
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(items[i].value.size(), qsizetype{kRun});
}

class DamagedHeader : public ::testing::TestWithParam<const char*> {};

TEST_P(DamagedHeader, YieldsNothing)
{
    EXPECT_TRUE(ReadTiffItems(Hex(GetParam()), TiffStructure::ExifBlock).empty());
}

INSTANTIATE_TEST_SUITE_P(Headers, DamagedHeader,
                         ::testing::Values("", "49492a00", "49492b00 08000000 0000",
                                           "4d4d2a00 08000000 0000",  // mixed byte order
                                           "49492a00 0a000000 0000",  // IFD0 past the end
                                           // a BigTIFF's IFD0 past 2^63
                                           "49492b00 08000000 10000000 00000080 0000"));

}  // namespace
}  // namespace veltra::imaging
