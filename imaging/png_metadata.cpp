#include "imaging/png_metadata.h"

#include "imaging/bounded_inflate.h"
#include "imaging/byte_order.h"
#include "imaging/ifd_reader.h"
#include "imaging/png_chunks.h"

#include <QString>
#include <QtEndian>

#include <array>
#include <cstdint>
#include <optional>

namespace veltra::imaging {
namespace {

constexpr PROPID kPropertyTagDateTime = 0x0132;
constexpr PROPID kPropertyTagGamma = 0x0301;
constexpr PROPID kPropertyTagWhitePoint = 0x013E;
constexpr PROPID kPropertyTagPrimaryChromaticities = 0x013F;
constexpr PROPID kPropertyTagSRGBRenderingIntent = 0x0303;
constexpr PROPID kPropertyTagICCProfileDescriptor = 0x0302;
constexpr PROPID kPropertyTagICCProfile = 0x8773;
constexpr PROPID kPropertyTagPaletteHistogram = 0x5113;
constexpr PROPID kPropertyTagPixelUnit = 0x5110;
constexpr PROPID kPropertyTagPixelPerUnitX = 0x5111;
constexpr PROPID kPropertyTagPixelPerUnitY = 0x5112;

// PNG stores chromaticities and gamma as integers scaled by this much.
constexpr std::uint32_t kPngScale = 100000;

struct TextKeyword {
    QByteArrayView keyword;
    PROPID id;
};

// Keywords are case-sensitive in PNG; other keywords are not listed.
constexpr std::array kTextKeywords{
    TextKeyword{"Title", 0x0320},     TextKeyword{"Author", 0x013B},
    TextKeyword{"Description", 0x010E}, TextKeyword{"Copyright", 0x8298},
    TextKeyword{"Software", 0x0131},  TextKeyword{"Source", 0x0110},
    TextKeyword{"Comment", 0x9286},
};

std::optional<PROPID> TextKeywordId(QByteArrayView keyword)
{
    for (const TextKeyword& row : kTextKeywords) {
        if (row.keyword == keyword)
            return row.id;
    }
    return std::nullopt;
}

void AppendLittle32(QByteArray& bytes, std::uint32_t value)
{
    char buffer[4];
    qToLittleEndian(value, buffer);
    bytes.append(buffer, 4);
}

// Each PNG integer over 100000, as RATIONAL values.
QByteArray ScaledRationals(QByteArrayView bigEndianValues, int count)
{
    QByteArray value;
    for (int index = 0; index < count; ++index) {
        AppendLittle32(value, ReadBig32(bigEndianValues, qsizetype{index} * 4));
        AppendLittle32(value, kPngScale);
    }
    return value;
}

QByteArray WithNul(QByteArrayView text)
{
    QByteArray value = text.toByteArray();
    value.append('\0');
    return value;
}

// tIME becomes the Exif date form. A field outside its range would not fit the fixed
// 20-byte form, so such a chunk is not listed.
std::optional<QByteArray> ExifDateTime(QByteArrayView time)
{
    if (time.size() < 7)
        return std::nullopt;
    const unsigned year = ReadBig16(time, 0);
    const unsigned month = ByteAt(time, 2);
    const unsigned day = ByteAt(time, 3);
    const unsigned hour = ByteAt(time, 4);
    const unsigned minute = ByteAt(time, 5);
    const unsigned second = ByteAt(time, 6);
    if (year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 ||
        minute > 59 || second > 60)
        return std::nullopt;
    return WithNul(QString::asprintf("%04u:%02u:%02u %02u:%02u:%02u", year, month, day, hour,
                                     minute, second)
                       .toLatin1());
}

// tEXt: keyword, NUL, Latin-1 text.
// zTXt: keyword, NUL, method 0, zlib text.
// iTXt: keyword, NUL, compressed flag, method, language, NUL, translated keyword, NUL, text.
std::optional<QByteArray> TextOf(QByteArrayView type, QByteArrayView afterKeyword)
{
    if (type == "tEXt")
        return afterKeyword.toByteArray();
    if (type == "zTXt") {
        if (afterKeyword.isEmpty() || ByteAt(afterKeyword, 0) != 0)
            return std::nullopt;
        return InflateZlib(afterKeyword.sliced(1));
    }
    if (afterKeyword.size() < 2)
        return std::nullopt;
    const bool compressed = ByteAt(afterKeyword, 0) != 0;
    const std::uint8_t method = ByteAt(afterKeyword, 1);
    QByteArrayView rest = afterKeyword.sliced(2);
    for (int skippedFields = 0; skippedFields < 2; ++skippedFields) {
        const qsizetype nul = rest.indexOf('\0');
        if (nul < 0)
            return std::nullopt;
        rest = rest.sliced(nul + 1);
    }
    if (!compressed)
        return rest.toByteArray();
    if (method != 0)
        return std::nullopt;
    return InflateZlib(rest);
}

void AppendText(QByteArrayView type, QByteArrayView data, PropertyRecords& items)
{
    const qsizetype nul = data.indexOf('\0');
    if (nul < 0)
        return;
    const std::optional<PROPID> id = TextKeywordId(data.first(nul));
    if (!id)
        return;
    if (const std::optional<QByteArray> text = TextOf(type, data.sliced(nul + 1)))
        items.push_back(PropertyRecord{*id, 2, WithNul(*text)});
}

void AppendIccProfile(QByteArrayView data, PropertyRecords& items)
{
    const qsizetype nul = data.indexOf('\0');
    if (nul < 0)
        return;
    items.push_back(PropertyRecord{kPropertyTagICCProfileDescriptor, 2, WithNul(data.first(nul))});
    // After the name: the compression method (0, zlib) and the compressed profile.
    if (nul + 2 > data.size() || ByteAt(data, nul + 1) != 0)
        return;
    if (std::optional<QByteArray> profile = InflateZlib(data.sliced(nul + 2)))
        items.push_back(PropertyRecord{kPropertyTagICCProfile, 7, std::move(*profile)});
}

QByteArray BigEndianShortsToLittle(QByteArrayView data)
{
    QByteArray value;
    value.reserve(data.size() & ~qsizetype{1});
    for (qsizetype at = 0; at + 2 <= data.size(); at += 2) {
        value.append(data[at + 1]);
        value.append(data[at]);
    }
    return value;
}

PropertyRecords PhysicalDimensionItems(QByteArrayView data)
{
    QByteArray perUnitX;
    QByteArray perUnitY;
    AppendLittle32(perUnitX, ReadBig32(data, 0));
    AppendLittle32(perUnitY, ReadBig32(data, 4));
    return {
        PropertyRecord{kPropertyTagPixelUnit, 1, data.sliced(8, 1).toByteArray()},
        PropertyRecord{kPropertyTagPixelPerUnitX, 4, perUnitX},
        PropertyRecord{kPropertyTagPixelPerUnitY, 4, perUnitY},
    };
}

void AppendChunkItems(QByteArrayView type, QByteArrayView data, PropertyRecords& items)
{
    if (type == "tIME") {
        if (std::optional<QByteArray> dateTime = ExifDateTime(data))
            items.push_back(PropertyRecord{kPropertyTagDateTime, 2, std::move(*dateTime)});
    } else if (type == "gAMA" && data.size() >= 4) {
        QByteArray value;
        AppendLittle32(value, kPngScale);
        AppendLittle32(value, ReadBig32(data, 0));
        items.push_back(PropertyRecord{kPropertyTagGamma, 5, value});
    } else if (type == "cHRM" && data.size() >= 32) {
        items.push_back(PropertyRecord{kPropertyTagWhitePoint, 5, ScaledRationals(data, 2)});
        items.push_back(PropertyRecord{kPropertyTagPrimaryChromaticities, 5,
                                       ScaledRationals(data.sliced(8), 6)});
    } else if (type == "sRGB" && data.size() >= 1) {
        items.push_back(
            PropertyRecord{kPropertyTagSRGBRenderingIntent, 1, data.first(1).toByteArray()});
    } else if (type == "iCCP") {
        AppendIccProfile(data, items);
    } else if (type == "tEXt" || type == "zTXt" || type == "iTXt") {
        AppendText(type, data, items);
    } else if (type == "hIST" && data.size() >= 2) {
        items.push_back(
            PropertyRecord{kPropertyTagPaletteHistogram, 3, BigEndianShortsToLittle(data)});
    } else if (type == "eXIf") {
        const PropertyRecords exif = ReadTiffItems(SkipExifPrefix(data), TiffStructure::ExifBlock);
        items.insert(items.end(), exif.begin(), exif.end());
    }
}

}  // namespace

PropertyRecords ReadPngMetadata(QByteArrayView file)
{
    PropertyRecords items;
    std::optional<QByteArrayView> physicalDimensions;
    ForEachPngChunk(file, [&](const PngChunk& chunk) {
        if (chunk.type == "pHYs") {
            if (!physicalDimensions && chunk.data.size() >= 9)
                physicalDimensions = chunk.data;
        } else {
            AppendChunkItems(chunk.type, chunk.data, items);
        }
        return true;
    });
    if (physicalDimensions) {
        const PropertyRecords physical = PhysicalDimensionItems(*physicalDimensions);
        items.insert(items.end(), physical.begin(), physical.end());
    }
    return items;
}

}  // namespace veltra::imaging
