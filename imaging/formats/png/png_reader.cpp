#include "formats/png/png_reader.h"

#include "formats/png/png_chunks.h"
#include "formats/png/png_header_probe.h"
#include "formats/qt_decoding.h"
#include "imaging/logging.h"
#include "imaging/property_tags.h"
#include "metadata/item_budget.h"
#include "metadata/ifd_walker.h"
#include "util/bounded_inflate.h"
#include "util/byte_reader.h"
#include "util/byte_writer.h"

#include <QString>

#include <array>
#include <cstdint>
#include <algorithm>
#include <optional>
#include <unordered_set>

namespace veltra::imaging {
namespace {

// PNG stores chromaticities and gamma as integers scaled by this much.
constexpr std::uint32_t kPngScale = 100000;

struct TextKeyword {
    QByteArrayView keyword;
    PROPID id;
};

// Keywords are case-sensitive in PNG; other keywords are not listed.
constexpr std::array kTextKeywords{
    TextKeyword{"Title", PropertyTagImageTitle},
    TextKeyword{"Author", PropertyTagArtist},
    TextKeyword{"Description", PropertyTagImageDescription},
    TextKeyword{"Copyright", PropertyTagCopyright},
    TextKeyword{"Software", PropertyTagSoftwareUsed},
    TextKeyword{"Source", PropertyTagEquipModel},
    TextKeyword{"Comment", PropertyTagExifUserComment},
};

std::optional<PROPID> TextKeywordId(QByteArrayView keyword)
{
    for (const TextKeyword& row : kTextKeywords) {
        if (row.keyword == keyword)
            return row.id;
    }
    return std::nullopt;
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

// The items of one PNG file as its chunks come: each id only once, from its first chunk, so
// that a later chunk for an id is not even inflated, whether the first was listed or not;
// every value from the file's budget, and every inflated byte from its inflation budget.
class PngItems {
public:
    // True the first time an id comes; the chunk that claims it is the only one read for it.
    bool claim(PROPID id) { return m_claimed.insert(id).second; }

    // Lists a value for an id that its chunk claimed.
    void add(PROPID id, TiffType type, QByteArray value)
    {
        if (!m_budget.take(value.size())) {
            qCInfo(lcImaging, "item 0x%04x: %lld value bytes pass the file's budget; skipped", id,
                   static_cast<long long>(value.size()));
            return;
        }
        m_items.push_back(PropertyRecord{id, type, std::move(value)});
    }

    // Claims and lists a value that needed no inflating.
    void addFirst(PROPID id, TiffType type, QByteArray value)
    {
        if (claim(id))
            add(id, type, std::move(value));
    }

    void addExif(QByteArrayView payload)
    {
        for (PropertyRecord& item : ReadTiffItems(payload, TiffStructure::ExifBlock, m_budget)) {
            if (claim(item.id))
                m_items.push_back(std::move(item));
        }
    }

    // A compressed value inflated within what is left of both budgets, keeping room for the
    // `terminator` bytes appended to it; nothing when it would pass either (a value is never
    // cut short).
    std::optional<QByteArray> inflated(QByteArrayView compressed, qsizetype terminator)
    {
        const qsizetype limit = m_budget.remaining() - terminator;
        if (limit < 0)
            return std::nullopt;
        return InflateZlib(compressed, limit, m_inflation);
    }

    PropertyRecords take() { return std::move(m_items); }

private:
    ItemBudget m_budget;
    InflationBudget m_inflation;
    std::unordered_set<PROPID> m_claimed;
    PropertyRecords m_items;
};

// tEXt: keyword, NUL, Latin-1 text.
// zTXt: keyword, NUL, method 0, zlib text.
// iTXt: keyword, NUL, compressed flag, method, language, NUL, translated keyword, NUL, text.
std::optional<QByteArray> TextOf(QByteArrayView type, QByteArrayView afterKeyword,
                                 PngItems& items)
{
    if (type == "tEXt")
        return afterKeyword.toByteArray();
    if (type == "zTXt") {
        if (afterKeyword.isEmpty() || ByteAt(afterKeyword, 0) != 0)
            return std::nullopt;
        return items.inflated(afterKeyword.sliced(1), 1);
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
    return items.inflated(rest, 1);
}

void AddText(QByteArrayView type, QByteArrayView data, PngItems& items)
{
    const qsizetype nul = data.indexOf('\0');
    if (nul < 0)
        return;
    const std::optional<PROPID> id = TextKeywordId(data.first(nul));
    if (!id || !items.claim(*id))
        return;
    if (const std::optional<QByteArray> text = TextOf(type, data.sliced(nul + 1), items))
        items.add(*id, TiffType::Ascii, WithNul(*text));
}

void AddIccProfile(QByteArrayView data, PngItems& items)
{
    const qsizetype nul = data.indexOf('\0');
    if (nul < 0)
        return;
    items.addFirst(PropertyTagICCProfileDescriptor, TiffType::Ascii, WithNul(data.first(nul)));
    // After the name: the compression method (0, zlib) and the compressed profile.
    if (nul + 2 > data.size() || ByteAt(data, nul + 1) != 0 || !items.claim(PropertyTagICCProfile))
        return;
    if (std::optional<QByteArray> profile = items.inflated(data.sliced(nul + 2), 0))
        items.add(PropertyTagICCProfile, TiffType::Undefined, std::move(*profile));
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

void AddPhysicalDimensions(QByteArrayView data, PngItems& items)
{
    QByteArray perUnitX;
    QByteArray perUnitY;
    AppendLittle32(perUnitX, ReadBig32(data, 0));
    AppendLittle32(perUnitY, ReadBig32(data, 4));
    items.addFirst(PropertyTagPixelUnit, TiffType::Byte, data.sliced(8, 1).toByteArray());
    items.addFirst(PropertyTagPixelPerUnitX, TiffType::Long, perUnitX);
    items.addFirst(PropertyTagPixelPerUnitY, TiffType::Long, perUnitY);
}

void AddChunkItems(QByteArrayView type, QByteArrayView data, PngItems& items)
{
    if (type == "tIME") {
        if (std::optional<QByteArray> dateTime = ExifDateTime(data))
            items.addFirst(PropertyTagDateTime, TiffType::Ascii, std::move(*dateTime));
    } else if (type == "gAMA" && data.size() >= 4) {
        QByteArray value;
        AppendLittle32(value, kPngScale);
        AppendLittle32(value, ReadBig32(data, 0));
        items.addFirst(PropertyTagGamma, TiffType::Rational, value);
    } else if (type == "cHRM" && data.size() >= 32) {
        items.addFirst(PropertyTagWhitePoint, TiffType::Rational, ScaledRationals(data, 2));
        items.addFirst(PropertyTagPrimaryChromaticities, TiffType::Rational,
                  ScaledRationals(data.sliced(8), 6));
    } else if (type == "sRGB" && data.size() >= 1) {
        items.addFirst(PropertyTagSRGBRenderingIntent, TiffType::Byte, data.first(1).toByteArray());
    } else if (type == "iCCP") {
        AddIccProfile(data, items);
    } else if (type == "tEXt" || type == "zTXt" || type == "iTXt") {
        AddText(type, data, items);
    } else if (type == "hIST" && data.size() >= 2) {
        items.addFirst(PropertyTagPaletteHistogram, TiffType::Short, BigEndianShortsToLittle(data));
    } else if (type == "eXIf") {
        items.addExif(SkipExifPrefix(data));
    }
}

// The header's bit depth and colour type, which follow the signature (8), the IHDR chunk's
// length and type (8), and the width and height (8).
struct PngHeader {
    int depth = 0;
    int colourType = -1;
};

constexpr int kColourGrey = 0;
constexpr int kColourRgb = 2;
constexpr int kColourPalette = 3;
constexpr int kColourGreyAlpha = 4;
constexpr int kColourRgba = 6;

// Deflate cannot expand one byte into more than about 1032; a little more for the stream's
// own framing.
constexpr std::uint64_t kMostBytesInflatedPerByte = 1032;
constexpr std::uint64_t kInflateSlack = 4096;

// The filtered image data the header declares: every row its samples and a filter byte.
std::uint64_t RawBytesDeclared(std::uint64_t width, std::uint64_t height, const PngHeader& header)
{
    int channels = 1;
    switch (header.colourType) {
    case kColourRgb: channels = 3; break;
    case kColourGreyAlpha: channels = 2; break;
    case kColourRgba: channels = 4; break;
    default: break;
    }
    const std::uint64_t bitsPerRow = width * static_cast<std::uint64_t>(header.depth) * channels;
    return height * (1 + (bitsPerRow + 7) / 8);
}

std::optional<PixelFormat> PixelFormatOf(const PngHeader& header, bool transparency)
{
    const bool sixteenBit = header.depth == 16;
    switch (header.colourType) {
    case kColourPalette:
        return IndexedPixelFormat(header.depth);
    case kColourGrey:
        if (transparency)
            return sixteenBit ? PixelFormat64bppARGB : PixelFormat32bppARGB;
        return sixteenBit ? PixelFormat16bppGrayScale : IndexedPixelFormat(header.depth);
    case kColourRgb:
        if (transparency)
            return sixteenBit ? PixelFormat64bppARGB : PixelFormat32bppARGB;
        return sixteenBit ? PixelFormat48bppRGB : PixelFormat24bppRGB;
    case kColourGreyAlpha:
    case kColourRgba:
        return sixteenBit ? PixelFormat64bppARGB : PixelFormat32bppARGB;
    default:
        return std::nullopt;
    }
}

bool IsPng(QByteArrayView head)
{
    return head.startsWith("\x89PNG\r\n\x1A\n");
}

// The items come in chunk order; pHYs is listed last, as its own three items.
// The chunks the pixels are decoded from. Qt's decoder hands every other chunk to libpng,
// which takes memory for a text or profile chunk at the length the chunk claims, before reading
// it, and inflates compressed ones without a bound: a few hostile bytes could take gigabytes.
// What the report lists of those chunks is read here, within its budget; the decoder is given
// the signature, the header, the palette, the transparency and the image data only, which
// make the same pixels.
bool NeededForPixels(QByteArrayView type)
{
    return type == "IHDR" || type == "PLTE" || type == "tRNS" || type == "IDAT";
}

FileFacts ReadPng(QByteArrayView file)
{
    constexpr qsizetype kSignatureSize = 8;
    constexpr qsizetype kChunkFraming = 12;  // length, type and CRC
    PngItems items;
    std::optional<QByteArrayView> transparency;
    std::optional<qsizetype> transparencyOffset;
    bool imageDataSeen = false;
    std::uint64_t imageDataBytes = 0;
    std::optional<QByteArrayView> physicalDimensions;
    std::vector<DecoderPiece> decoderInput{
        DecoderPiece::FromFile(0, std::min(file.size(), kSignatureSize))};
    qsizetype walked = kSignatureSize;
    ForEachPngChunk(file, [&](const PngChunk& chunk) {
        const qsizetype start = chunk.data.data() - file.data() - 8;
        walked = std::min(file.size(), start + chunk.data.size() + kChunkFraming);
        if (NeededForPixels(chunk.type))
            decoderInput.push_back(DecoderPiece::FromFile(start, walked - start));
        if (chunk.type == "IDAT") {
            imageDataSeen = true;
            imageDataBytes += static_cast<std::uint64_t>(chunk.data.size());
        } else if (chunk.type == "tRNS") {
            // Transparency only counts before the image data, where the format puts it.
            if (!imageDataSeen && !transparency) {
                transparency = chunk.data;
                transparencyOffset = start;
            }
        } else if (chunk.type == "pHYs") {
            if (!physicalDimensions && chunk.data.size() >= 9)
                physicalDimensions = chunk.data;
        } else {
            AddChunkItems(chunk.type, chunk.data, items);
        }
        return true;
    });
    // The walk ends at IEND, which the decoder gets too, or at a chunk cut off by the end of
    // the file: image data cut short is given as it is, and decodes as far as it goes.
    if (walked + 8 <= file.size()) {
        const QByteArrayView type = file.sliced(walked + 4, 4);
        if (type == "IEND" || type == "IDAT")
            decoderInput.push_back(DecoderPiece::FromFile(walked, file.size() - walked));
    }
    if (physicalDimensions)
        AddPhysicalDimensions(*physicalDimensions, items);

    FileFacts facts;
    facts.decoderInput = std::move(decoderInput);
    // The header is the first chunk, at a fixed place.
    if (file.size() >= 26 && file.sliced(12, 4) == "IHDR") {
        const PngHeader header{ByteAt(file, 24), ByteAt(file, 25)};
        facts.pixelFormat = PixelFormatOf(header, transparency.has_value());
        facts.tooLittleDataForDeclaredSize =
            RawBytesDeclared(ReadBig32(file, 16), ReadBig32(file, 20), header) >
            kMostBytesInflatedPerByte * imageDataBytes + kInflateSlack;
        if (header.depth == 16 && header.colourType == kColourRgb && transparency &&
            transparency->size() == 6) {
            facts.rgb16ColourKey = Rgb16ColourKey{ReadBig16(*transparency, 0),
                                                  ReadBig16(*transparency, 2),
                                                  ReadBig16(*transparency, 4)};
            // The key is applied after decoding; the decoder does not see it.
            std::erase_if(facts.decoderInput, [&](const DecoderPiece& piece) {
                return piece.fromFile.offset == *transparencyOffset;
            });
        }
    }
    // Unit 1 is per metre; unit 0 gives only the aspect ratio.
    if (physicalDimensions && ByteAt(*physicalDimensions, 8) == 1) {
        facts.resolution =
            DeclaredResolution(ReadBig32(*physicalDimensions, 0) * kInchesPerMetre,
                               ReadBig32(*physicalDimensions, 4) * kInchesPerMetre)
                .value_or(Resolution{});
    }
    facts.properties = PropertySet(items.take());
    return facts;
}

// An iTXt chunk's text when its keyword is XMP's: compressed or not, within the budget.
std::optional<QByteArray> XmpPacket(QByteArrayView data, ItemBudget& budget,
                                     InflationBudget& inflation)
{
    constexpr QByteArrayView kXmpKeyword("XML:com.adobe.xmp\0", 18);
    if (!data.startsWith(kXmpKeyword) || data.size() < kXmpKeyword.size() + 2)
        return std::nullopt;
    const bool compressed = ByteAt(data, kXmpKeyword.size()) != 0;
    QByteArrayView rest = data.sliced(kXmpKeyword.size() + 2);
    for (int skippedFields = 0; skippedFields < 2; ++skippedFields) {  // language, translation
        const qsizetype nul = rest.indexOf('\0');
        if (nul < 0)
            return std::nullopt;
        rest = rest.sliced(nul + 1);
    }
    std::optional<QByteArray> packet =
        compressed ? InflateZlib(rest, budget.remaining(), inflation)
                   : std::optional(rest.toByteArray());
    if (!packet || !budget.take(packet->size()))
        return std::nullopt;
    return packet;
}

// Where the picture ends (just past IEND), its XMP packet and its Content Credentials.
void ReadPngStructure(QByteArrayView file, FileStructure* out)
{
    constexpr qsizetype kChunkFraming = 12;  // length, type and CRC
    ItemBudget budget;
    InflationBudget inflation;
    qsizetype walked = 8;
    ForEachPngChunk(file, [&](const PngChunk& chunk) {
        walked = chunk.data.data() - file.data() + chunk.data.size() + 4;
        if (chunk.type == "iTXt" && out->xmp.isEmpty()) {
            if (std::optional<QByteArray> packet = XmpPacket(chunk.data, budget, inflation))
                out->xmp = std::move(*packet);
        } else if (chunk.type == "caBX" && out->c2paManifestStore.isEmpty() &&
                   budget.take(chunk.data.size())) {
            out->c2paManifestStore = chunk.data.toByteArray();
        }
        return true;
    });
    if (walked + kChunkFraming <= file.size() && file.sliced(walked + 4, 4) == "IEND")
        out->pictureEnd = walked + kChunkFraming;
}

constexpr ContentKind kPngKinds[]{
    // Qt's plugin decodes the pixels; libpng reads the header here as it would.
    {.name = "png", .extensions = "png", .mimeTypes = "image/png", .qtDecoder = "png"},
};

}  // namespace

const FormatReader kPngFormat{
    .format = FileFormat::Png,
    .rawFormat = ImageFormatPNG,
    .kinds = kPngKinds,
    .matches = IsPng,
    .read = ReadPng,
    .probe = ProbePngHeader,
    .structure = ReadPngStructure,
};

}  // namespace veltra::imaging
