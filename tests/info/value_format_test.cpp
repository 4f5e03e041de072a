// Value texts of property items built inline, one row per rule or limit.

#include "info/metadata_text.h"
#include "info/value_format.h"

#include "support/item_values.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <initializer_list>
#include <string>

namespace veltra::info {
namespace {

using imaging::PropertyItem;

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (const int value : values)
        bytes.append(static_cast<char>(value));
    return bytes;
}

QByteArray Counting(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

// `count` little-endian 16-bit elements holding 0, 1, 2, ...
QByteArray CountingShorts(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes.append(static_cast<char>(i));
        bytes.append('\0');
    }
    return bytes;
}

using test::Longs;

const char* const kZeroToFifteen = "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15";

struct ValueRow {
    const char* name;
    std::uint16_t type;
    QByteArray value;
    std::uint32_t length;  // as the item states it; may be shorter than the bytes held
    QString expected;
};

// Rows show up in test output by name rather than as raw bytes.
void PrintTo(const ValueRow& row, std::ostream* os)
{
    *os << row.name;
}

ValueRow Row(const char* name, std::uint16_t type, const QByteArray& value, const QString& expected)
{
    return {name, type, value, static_cast<std::uint32_t>(value.size()), expected};
}

ValueRow Utf8Row(const char* name, std::uint16_t type, const QByteArray& value,
                 const char* expected)
{
    return Row(name, type, value, QString::fromUtf8(expected));
}

QString FormatRow(const ValueRow& row)
{
    QByteArray value = row.value;
    PropertyItem item;
    item.id = 0x9999;
    item.type = row.type;
    item.length = row.length;
    item.value = value.data();
    QString out;
    FormatPropertyValue(&item, out);
    return out;
}

class ValueFormatTest : public testing::TestWithParam<ValueRow> {};

TEST_P(ValueFormatTest, WritesTheExpectedText)
{
    EXPECT_EQ(FormatRow(GetParam()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    ByteAndUndefined, ValueFormatTest,
    testing::Values(
        Utf8Row("ThreeBytes", 1, Bytes({1, 2, 255}), "1,2,255"),
        Utf8Row("SixteenBytesShowAll", 1, Counting(16), kZeroToFifteen),
        Row("SeventeenBytesMarked", 1, Counting(17), QString::fromUtf8(kZeroToFifteen) + "..."),
        Row("TwoHundredBytesMarked", 1, Counting(200),
            QString::fromUtf8(kZeroToFifteen) + "..."),
        Utf8Row("ExifVersionDigits", 7, QByteArray("0230"), "48,50,51,48"),
        Utf8Row("UndefinedSeventeenMarked", 7, QByteArray(17, '\x01'),
                "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1...")),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Short, ValueFormatTest,
    testing::Values(
        Utf8Row("AllOnesIsMinusOne", 3, Bytes({0xFF, 0xFF}), "-1"),
        Utf8Row("HighBitIsMostNegative", 3, Bytes({0x00, 0x80}), "-32768"),
        Utf8Row("Six", 3, Bytes({6, 0}), "6"),
        Utf8Row("LittleEndian", 3, Bytes({0x01, 0x02}), "513"),
        Utf8Row("TwoElements", 3, Bytes({1, 0, 2, 0}), "1,2"),
        Utf8Row("SixteenAndASpareByte", 3, CountingShorts(16) + QByteArray(1, '\x07'),
                kZeroToFifteen),
        Row("SeventeenElementsMarked", 3, CountingShorts(17),
            QString::fromUtf8(kZeroToFifteen) + "..."),
        Utf8Row("OneByteIsNoElement", 3, Bytes({6}), "")),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    LongAndSlong, ValueFormatTest,
    testing::Values(
        Utf8Row("LongAllOnes", 4, Longs({0xFFFFFFFF}), "4294967295"),
        Utf8Row("SlongAllOnes", 9, Longs({0xFFFFFFFF}), "-1"),
        Utf8Row("LongLittleEndian", 4, Bytes({0x01, 0x00, 0x00, 0x01}), "16777217"),
        Utf8Row("SlongMostNegative", 9, Longs({0x80000000}), "-2147483648"),
        Utf8Row("LongThreeBytesIsNoElement", 4, Bytes({1, 2, 3}), ""),
        Utf8Row("LongSixteenShowAll", 4,
                Longs({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}), kZeroToFifteen),
        Row("LongSeventeenMarked", 4,
            Longs({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}),
            QString::fromUtf8(kZeroToFifteen) + "...")),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Rational, ValueFormatTest,
    testing::Values(
        Utf8Row("SeventyTwoOverOne", 5, Longs({72, 1}), "72/1"),
        Utf8Row("ThreeElementsUnreduced", 5, Longs({31, 1, 12, 1, 3456, 100}),
                "31/1,12/1,3456/100"),
        Utf8Row("ZeroOverZero", 5, Longs({0, 0}), "0/0"),
        Utf8Row("UnsignedHalves", 5, Longs({0xFFFFFFFF, 0xFFFFFFFF}), "4294967295/4294967295"),
        Utf8Row("SevenBytesIsNoElement", 5, Longs({72, 1}).left(7), ""),
        Utf8Row("FifteenBytesIsOneElement", 5, Longs({72, 1, 300}).left(15), "72/1"),
        Row("SixteenShowAll", 5, Longs({1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2,
                                        1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2}),
            QStringLiteral("1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2")),
        Row("SeventeenMarked", 5, Longs({1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2,
                                         1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 9, 9}),
            QStringLiteral(
                "1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2,1/2...")),
        Utf8Row("SrationalMinusOneThird", 10, Longs({0xFFFFFFFF, 3}), "-1/3"),
        Utf8Row("SrationalNegativeDenominator", 10, Longs({5, 0xFFFFFFFE}), "5/-2")),
    [](const auto& info) { return std::string(info.param.name); });

// SBYTE, SSHORT, FLOAT, DOUBLE and unknown types have no rule of their own: byte by byte.
INSTANTIATE_TEST_SUITE_P(
    TypesWithoutARule, ValueFormatTest,
    testing::Values(
        Utf8Row("SshortByBytes", 8, Bytes({0xFF, 0xFF, 0x01, 0x00}), "255,255,1,0"),
        Utf8Row("DoubleEightBytes", 12, Bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F}),
                "0,0,0,0,0,0,240,63"),
        Utf8Row("SbyteUnsigned", 6, Bytes({0xFF}), "255"),
        Utf8Row("FloatFourBytes", 11, Bytes({0x00, 0x00, 0x80, 0x3F}), "0,0,128,63"),
        Utf8Row("TypeZero", 0, Bytes({7, 8}), "7,8"),
        Utf8Row("TypeThirteen", 13, Bytes({8, 0, 0, 0}), "8,0,0,0"),
        Row("DoubleThreeValuesMarked", 12, QByteArray(24, '\x02'),
            QStringLiteral("2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2..."))),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Ascii, ValueFormatTest,
    testing::Values(
        Utf8Row("TerminatorHidden", 2, QByteArray("Photo", 6), "Photo"),
        Utf8Row("OnlyFirstOfSeveral", 2, QByteArray("A\0B\0", 4), "A"),
        Utf8Row("WithoutTerminator", 2, QByteArray("Photo", 5), "Photo"),
        Utf8Row("LineBreakKept", 2, QByteArray("a\nb", 4), "a\nb"),
        Utf8Row("NoSixteenLimit", 2, QByteArray("abcdefghijklmnopqrstuvwxyz"),
                "abcdefghijklmnopqrstuvwxyz"),
        Utf8Row("Gb18030WhenNotUtf8", 2, QByteArray("\xC4\xE3\xBA\xC3", 5), "你好")),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ValueFormatEmptyTest, ZeroLengthGivesNothingWhateverTheBytes)
{
    for (const std::uint16_t type : {1, 2, 3, 4, 5, 7, 9, 10, 12}) {
        ValueRow row{"ZeroLength", type, QByteArray("Photo"), 0, {}};
        EXPECT_EQ(FormatRow(row), QString()) << "type " << type;
    }
}

TEST(ValueFormatEmptyTest, LengthLimitsTheBytesRead)
{
    // Bytes past the stated length belong to nothing and must not show.
    ValueRow row{"ShortLength", 1, Bytes({1, 2, 3, 4}), 2, {}};
    EXPECT_EQ(FormatRow(row), QStringLiteral("1,2"));
}

TEST(ValueFormatEmptyTest, NullItemLeavesTextEmpty)
{
    QString out;
    FormatPropertyValue(nullptr, out);
    EXPECT_TRUE(out.isEmpty());
}

struct DecodeRow {
    const char* name;
    QByteArray bytes;
    QString expected;
};

void PrintTo(const DecodeRow& row, std::ostream* os)
{
    *os << row.name;
}

class MetadataTextTest : public testing::TestWithParam<DecodeRow> {};

TEST_P(MetadataTextTest, Decodes)
{
    EXPECT_EQ(DecodeMetadataText(GetParam().bytes), GetParam().expected);
}

const QChar kReplacement(0xFFFD);

INSTANTIATE_TEST_SUITE_P(
    Encodings, MetadataTextTest,
    testing::Values(
        DecodeRow{"Ascii", QByteArray("Canon"), QStringLiteral("Canon")},
        DecodeRow{"Utf8", QByteArray("\xE4\xB8\xAD"), QStringLiteral("中")},
        // C4 E3 is not UTF-8 (a lead byte followed by another lead byte), so GB18030 applies.
        DecodeRow{"Gbk", QByteArray("\xC4\xE3"), QStringLiteral("你")},
        // The four-byte GB18030 form of U+00A5.
        DecodeRow{"Gb18030FourBytes", QByteArray("\x81\x30\x84\x36"), QStringLiteral("¥")},
        DecodeRow{"NulsKept", QByteArray("A\0B", 3), QString::fromUtf16(u"A\0B", 3)},
        DecodeRow{"ByteOrderMarkKept", QByteArray("\xEF\xBB\xBFhi"), QStringLiteral("\uFEFFhi")},
        DecodeRow{"BadByteReplaced", QByteArray("A\xFF"), QStringLiteral("A") + kReplacement},
        DecodeRow{"DanglingLeadByteReplaced", QByteArray("A\x81"),
                  QStringLiteral("A") + kReplacement},
        DecodeRow{"Empty", QByteArray(), QString()}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace veltra::info
