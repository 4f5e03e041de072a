// The tag name table as data, and the names and numbers that lookups give.

#include "info/tag_names.h"

#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <set>
#include <string>
#include <string_view>

namespace veltra::info {
namespace {

TEST(TagNameTableTest, HoldsExactly232UniqueEntries)
{
    const auto table = TagNameTable();
    ASSERT_EQ(table.size(), 232u);
    std::set<imaging::PROPID> ids;
    std::set<std::string_view> names;
    for (const TagName& entry : table) {
        EXPECT_TRUE(ids.insert(entry.id).second) << "repeated id " << entry.id;
        EXPECT_TRUE(names.insert(entry.name).second) << "repeated name " << entry.name;
    }
}

TEST(TagNameTableTest, NamesArePlainAsciiIdentifiers)
{
    for (const TagName& entry : TagNameTable()) {
        ASSERT_FALSE(entry.name.empty()) << "id " << entry.id;
        const bool plain = std::all_of(entry.name.begin(), entry.name.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        });
        EXPECT_TRUE(plain) << entry.name;
    }
}

// The four blocks of ids and how many names each holds.
TEST(TagNameTableTest, BlocksHoldTheirCounts)
{
    struct Block {
        imaging::PROPID first;
        imaging::PROPID last;
        long expected;
    };
    for (const Block block : {Block{0x0000, 0x001E, 31}, Block{0x00FE, 0x0320, 77},
                              Block{0x5001, 0x5113, 63}, Block{0x8298, 0xA420, 61}}) {
        const auto table = TagNameTable();
        const long count = std::count_if(table.begin(), table.end(), [&](const TagName& entry) {
            return entry.id >= block.first && entry.id <= block.last;
        });
        EXPECT_EQ(count, block.expected) << "block from " << block.first;
    }
}

struct LookupRow {
    imaging::PROPID id;
    const char* expected;
};

// Rows show up in test output by name rather than as raw bytes.
void PrintTo(const LookupRow& row, std::ostream* os)
{
    *os << "0x" << std::hex << row.id;
}

class TagNameLookupTest : public testing::TestWithParam<LookupRow> {};

TEST_P(TagNameLookupTest, GivesNameOrNumber)
{
    imaging::PropertyItem item;
    item.id = GetParam().id;
    item.type = 3;
    QString out;
    GetPropertyTagName(item, out);
    EXPECT_EQ(out, QString::fromLatin1(GetParam().expected));
}

std::string RowName(const testing::TestParamInfo<LookupRow>& info)
{
    return "Id" + std::to_string(info.param.id);
}

INSTANTIATE_TEST_SUITE_P(
    Known, TagNameLookupTest,
    testing::Values(LookupRow{0x0112, "Orientation"}, LookupRow{0x8769, "ExifIFD"},
                    LookupRow{0x0000, "GpsVer"}, LookupRow{0x001E, "GpsDifferential"},
                    LookupRow{0xA420, "ExifUniqueImageID"}, LookupRow{0x8825, "GpsIFD"},
                    LookupRow{0xA005, "ExifInterop"}, LookupRow{0xA001, "ExifColorSpace"},
                    LookupRow{0x00FE, "NewSubfileType"}, LookupRow{0x501B, "ThumbnailData"},
                    LookupRow{0x5090, "LuminanceTable"}, LookupRow{0x0320, "ImageTitle"}),
    RowName);

// Spellings that differ from the Exif and TIFF standards but are kept as the platform has them.
INSTANTIATE_TEST_SUITE_P(
    OddSpellings, TagNameLookupTest,
    testing::Values(LookupRow{0x012D, "TransferFuncition"}, LookupRow{0x0107, "ThreshHolding"},
                    LookupRow{0x0214, "REFBlackWhite"}, LookupRow{0x503A, "ThumbnailRefBlackWhite"},
                    LookupRow{0x503B, "ThumbnailCopyRight"}, LookupRow{0x8298, "Copyright"},
                    LookupRow{0x0117, "StripBytesCount"},
                    LookupRow{0x502C, "ThumbnailStripBytesCount"},
                    LookupRow{0x0007, "GpsGpsTime"}, LookupRow{0x0008, "GpsGpsSatellites"},
                    LookupRow{0x0009, "GpsGpsStatus"}, LookupRow{0x000A, "GpsGpsMeasureMode"},
                    LookupRow{0x000B, "GpsGpsDop"}, LookupRow{0x010F, "EquipMake"},
                    LookupRow{0x0110, "EquipModel"}, LookupRow{0x0131, "SoftwareUsed"},
                    LookupRow{0x0106, "PhotometricInterp"}, LookupRow{0x011C, "PlanarConfig"},
                    LookupRow{0x9003, "ExifDTOrig"}, LookupRow{0x9004, "ExifDTDigitized"},
                    LookupRow{0x9102, "ExifCompBPP"}, LookupRow{0x9290, "ExifDTSubsec"},
                    LookupRow{0x9291, "ExifDTOrigSS"}, LookupRow{0x9292, "ExifDTDigSS"},
                    LookupRow{0xA000, "ExifFPXVer"}, LookupRow{0xA002, "ExifPixXDim"},
                    LookupRow{0xA003, "ExifPixYDim"}, LookupRow{0xA004, "ExifRelatedWav"},
                    LookupRow{0xA20C, "ExifSpatialFR"}, LookupRow{0xA214, "ExifSubjectLoc"}),
    RowName);

// Ids outside the table come out in signed decimal; all 32 bits take part in the match.
INSTANTIATE_TEST_SUITE_P(
    Unknown, TagNameLookupTest,
    testing::Values(LookupRow{0x5102, "20738"}, LookupRow{0x0104, "260"},
                    LookupRow{0x001F, "31"}, LookupRow{0x00010112, "65810"},
                    LookupRow{0xFFFFFFFF, "-1"}, LookupRow{0x80000000, "-2147483648"},
                    LookupRow{0x7FFFFFFF, "2147483647"}),
    RowName);

}  // namespace
}  // namespace veltra::info
