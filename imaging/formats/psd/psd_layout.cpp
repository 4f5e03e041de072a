#include "formats/psd/psd_layout.h"

#include "util/byte_reader.h"

#include <algorithm>
#include <limits>

namespace veltra::imaging {
namespace {

// A layer's side from its signed 32-bit edges, which a damaged file may put anywhere: their
// difference can pass an int's range either way.
int Extent(std::uint64_t from, std::uint64_t to)
{
    const std::int64_t side = std::int64_t(std::int32_t(to)) - std::int64_t(std::int32_t(from));
    return int(std::clamp<std::int64_t>(side, -std::numeric_limits<int>::max(),
                                        std::numeric_limits<int>::max()));
}

constexpr qsizetype kHeaderSize = 26;
constexpr int kMaxChannels = 56;
// PSD documents are at most 30000 pixels a side, PSB documents 300000.
constexpr std::uint32_t kMaxPsdSide = 30000;
constexpr std::uint32_t kMaxPsbSide = 300000;

// Reads through a section of the file, each field checked against its end.
class SectionReader {
public:
    SectionReader(QByteArrayView bytes, bool large) : m_bytes(bytes), m_large(large) {}

    bool has(qsizetype count) const { return count >= 0 && count <= m_bytes.size() - m_at; }
    qsizetype position() const { return m_at; }
    QByteArrayView rest() const { return m_bytes.sliced(m_at); }

    std::optional<std::uint64_t> big(int size)
    {
        if (!has(size))
            return std::nullopt;
        std::uint64_t value = 0;
        for (int i = 0; i < size; ++i)
            value = value << 8 | ByteAt(m_bytes, m_at + i);
        m_at += size;
        return value;
    }
    // A length field: 4 bytes, or 8 in a PSB where the format widens it.
    std::optional<std::uint64_t> length(bool widenedInLargeDocuments = true)
    {
        return big(m_large && widenedInLargeDocuments ? 8 : 4);
    }
    // The next `count` bytes, or nothing when fewer remain.
    std::optional<QByteArrayView> take(std::uint64_t count)
    {
        if (count > std::uint64_t(m_bytes.size() - m_at))
            return std::nullopt;
        const QByteArrayView taken = m_bytes.sliced(m_at, qsizetype(count));
        m_at += qsizetype(count);
        return taken;
    }
    // As much as remains of the next `count` bytes.
    QByteArrayView takeUpTo(std::uint64_t count)
    {
        const auto available = std::uint64_t(m_bytes.size() - m_at);
        return *take(std::min(count, available));
    }

private:
    QByteArrayView m_bytes;
    bool m_large;
    qsizetype m_at = 0;
};

// The layer information that a section holds: a signed layer count, then the records.
struct LayerInfo {
    int count = 0;
    bool mergedAlpha = false;
    QByteArrayView records;  // after the count
};

std::optional<LayerInfo> ReadLayerInfoBody(QByteArrayView body)
{
    if (body.size() < 2)
        return std::nullopt;
    const auto count = static_cast<std::int16_t>(ReadBig16(body, 0));
    return LayerInfo{std::abs(int(count)), count < 0, body.sliced(2)};
}

// The layer information of the layer and mask section: its own block, or, in documents of more
// than 8 bits a sample, an "Lr16" or "Lr32" block among the additional information after the
// global mask, with the own block left empty.
std::optional<LayerInfo> FindLayerInfo(QByteArrayView section, bool large)
{
    SectionReader reader(section, large);
    const std::optional<std::uint64_t> infoLength = reader.length();
    if (!infoLength)
        return std::nullopt;
    const QByteArrayView info = reader.takeUpTo(*infoLength);
    if (*infoLength > 0)
        return ReadLayerInfoBody(info);
    const std::optional<std::uint64_t> maskLength = reader.length(false);
    if (!maskLength || !reader.take(*maskLength))
        return std::nullopt;
    while (reader.has(12)) {
        const QByteArrayView signature = *reader.take(4);
        const QByteArrayView key = *reader.take(4);
        if (signature != "8BIM" && signature != "8B64")
            return std::nullopt;
        const bool layers = key == "Lr16" || key == "Lr32" || key == "Layr";
        // PSB widens the length of a few keys, the layer blocks among them.
        const std::optional<std::uint64_t> blockLength = reader.length(layers || key == "LMsk");
        if (!blockLength)
            return std::nullopt;
        const QByteArrayView block = reader.takeUpTo(*blockLength);
        if (layers)
            return ReadLayerInfoBody(block);
        // Blocks are padded to a multiple of 4.
        reader.takeUpTo((4 - (*blockLength & 3)) & 3);
    }
    return std::nullopt;
}

QString UnicodeName(QByteArrayView data)
{
    if (data.size() < 4)
        return {};
    const std::uint64_t count = ReadBig32(data, 0);
    const qsizetype characters = qsizetype(std::min<std::uint64_t>(count, (data.size() - 4) / 2));
    QString name;
    name.reserve(characters);
    for (qsizetype i = 0; i < characters; ++i)
        name.append(QChar(ReadBig16(data, 4 + 2 * i)));
    // Writers end the name with a NUL that is not part of it.
    while (name.endsWith(QChar(u'\0')))
        name.chop(1);
    return name;
}

// One layer record; nothing when it runs past the records' end.
std::optional<PhotoshopLayer> ReadLayerRecord(SectionReader& reader, bool large)
{
    const std::optional<std::uint64_t> top = reader.big(4), left = reader.big(4),
                                       bottom = reader.big(4), right = reader.big(4),
                                       channels = reader.big(2);
    if (!channels || *channels > kMaxChannels)
        return std::nullopt;
    // Each channel: its id and the length of its data.
    if (!reader.take(*channels * (large ? 10 : 6)))
        return std::nullopt;
    const std::optional<QByteArrayView> blend = reader.take(12);
    const std::optional<std::uint64_t> extraLength = reader.big(4);
    if (!blend || !extraLength || !blend->startsWith("8BIM"))
        return std::nullopt;
    const std::optional<QByteArrayView> extra = reader.take(*extraLength);
    if (!extra)
        return std::nullopt;

    PhotoshopLayer layer;
    layer.height = Extent(*top, *bottom);
    layer.width = Extent(*left, *right);
    constexpr std::uint8_t kHiddenFlag = 0x02;
    layer.hidden = (ByteAt(*blend, 10) & kHiddenFlag) != 0;

    SectionReader extraReader(*extra, large);
    const std::optional<std::uint64_t> maskLength = extraReader.big(4);
    if (!maskLength || !extraReader.take(*maskLength))
        return layer;
    const std::optional<std::uint64_t> rangesLength = extraReader.big(4);
    if (!rangesLength || !extraReader.take(*rangesLength))
        return layer;
    // A Pascal name padded to a multiple of 4, length byte included.
    const std::optional<std::uint64_t> nameLength = extraReader.big(1);
    if (!nameLength)
        return layer;
    const QByteArrayView pascalName = extraReader.takeUpTo(*nameLength);
    layer.name = QString::fromLatin1(pascalName);
    extraReader.takeUpTo((4 - ((*nameLength + 1) & 3)) & 3);
    while (extraReader.has(12)) {
        extraReader.take(4);
        const QByteArrayView key = *extraReader.take(4);
        const std::optional<std::uint64_t> length = extraReader.big(4);
        const std::optional<QByteArrayView> data = extraReader.take(*length);
        if (!data)
            break;
        if (key == "luni") {
            if (const QString unicode = UnicodeName(*data); !unicode.isEmpty())
                layer.name = unicode;
        }
    }
    return layer;
}

bool Mode(const PsdLayout& layout, std::initializer_list<PsdColorMode> modes)
{
    return std::find(modes.begin(), modes.end(), layout.colorMode) != modes.end();
}

}  // namespace

std::optional<PsdLayout> ReadPsdLayout(QByteArrayView file)
{
    if (file.size() < kHeaderSize || !file.startsWith("8BPS"))
        return std::nullopt;
    const std::uint16_t version = ReadBig16(file, 4);
    if (version != 1 && version != 2)
        return std::nullopt;
    PsdLayout layout;
    layout.largeDocument = version == 2;
    layout.channels = ReadBig16(file, 12);
    const std::uint32_t height = ReadBig32(file, 14);
    const std::uint32_t width = ReadBig32(file, 18);
    layout.depth = ReadBig16(file, 22);
    layout.colorMode = PsdColorMode(ReadBig16(file, 24));
    const std::uint32_t maxSide = layout.largeDocument ? kMaxPsbSide : kMaxPsdSide;
    if (layout.channels < 1 || layout.channels > kMaxChannels || width < 1 || height < 1 ||
        width > maxSide || height > maxSide)
        return std::nullopt;
    if (layout.depth != 1 && layout.depth != 8 && layout.depth != 16 && layout.depth != 32)
        return std::nullopt;
    layout.width = int(width);
    layout.height = int(height);

    SectionReader reader(file.sliced(kHeaderSize), layout.largeDocument);
    const auto section = [&reader](bool widened) -> std::optional<QByteArrayView> {
        const std::optional<std::uint64_t> length = reader.length(widened);
        if (!length)
            return std::nullopt;
        return reader.take(*length);
    };
    const std::optional<QByteArrayView> colorModeData = section(false);
    const std::optional<QByteArrayView> resources =
        colorModeData ? section(false) : std::nullopt;
    const std::optional<QByteArrayView> layerAndMask = resources ? section(true) : std::nullopt;
    layout.colorModeData = colorModeData.value_or(QByteArrayView());
    layout.resources = resources.value_or(QByteArrayView());
    layout.layerAndMask = layerAndMask.value_or(QByteArrayView());
    if (layerAndMask) {
        if (const std::optional<LayerInfo> info =
                FindLayerInfo(layout.layerAndMask, layout.largeDocument))
            layout.mergedAlpha = info->mergedAlpha;
        if (const std::optional<std::uint64_t> compression = reader.big(2); compression) {
            if (*compression <= std::uint64_t(PsdCompression::ZipWithPrediction))
                layout.compression = PsdCompression(*compression);
            layout.imageData = reader.rest();
        }
    }
    return layout;
}

int PsdColorChannels(PsdColorMode mode, int channels)
{
    switch (mode) {
    case PsdColorMode::Rgb:
    case PsdColorMode::Lab: return 3;
    case PsdColorMode::Cmyk: return 4;
    case PsdColorMode::Multichannel: return channels;
    default: return 1;
    }
}

std::vector<PhotoshopLayer> ReadPsdLayers(const PsdLayout& layout)
{
    std::vector<PhotoshopLayer> layers;
    const std::optional<LayerInfo> info = FindLayerInfo(layout.layerAndMask, layout.largeDocument);
    if (!info)
        return layers;
    SectionReader reader(info->records, layout.largeDocument);
    for (int i = 0; i < info->count && layers.size() < kMaxPsdLayersListed; ++i) {
        std::optional<PhotoshopLayer> layer = ReadLayerRecord(reader, layout.largeDocument);
        if (!layer)
            break;
        layers.push_back(std::move(*layer));
    }
    return layers;
}

qsizetype PsdCompositeRowBytes(const PsdLayout& layout)
{
    return layout.depth == 1 ? (qsizetype(layout.width) + 7) / 8
                             : qsizetype(layout.width) * (layout.depth / 8);
}

bool PsdCompositeDecodable(const PsdLayout& layout)
{
    using enum PsdColorMode;
    const bool modeDecoded = Mode(layout, {Bitmap, Grayscale, Duotone, Indexed, Rgb, Cmyk});
    const bool depthDecoded = layout.colorMode == Bitmap ? layout.depth == 1
                                                         : layout.depth == 8 || layout.depth == 16;
    const bool compressionDecoded = layout.compression == PsdCompression::Raw ||
                                    layout.compression == PsdCompression::Rle;
    const bool paletteThere = layout.colorMode != Indexed || layout.colorModeData.size() >= 768;
    return modeDecoded && depthDecoded && compressionDecoded && paletteThere &&
           layout.channels >= PsdColorChannels(layout.colorMode, layout.channels);
}

bool PsdCompositeHasAlpha(const PsdLayout& layout)
{
    return layout.mergedAlpha &&
           layout.channels > PsdColorChannels(layout.colorMode, layout.channels) &&
           layout.colorMode != PsdColorMode::Bitmap && layout.colorMode != PsdColorMode::Indexed;
}

std::uint64_t PsdCompositeMinimumBytes(const PsdLayout& layout)
{
    const std::uint64_t rows = std::uint64_t(layout.channels) * std::uint64_t(layout.height);
    const auto rowBytes = std::uint64_t(PsdCompositeRowBytes(layout));
    if (layout.compression == PsdCompression::Rle) {
        // The row lengths, then at least 2 bytes for every 128 of each row.
        const std::uint64_t countSize = layout.largeDocument ? 4 : 2;
        return rows * countSize + rows * 2 * ((rowBytes + 127) / 128);
    }
    if (layout.compression == PsdCompression::Raw)
        return rows * rowBytes;
    // Compressed with zlib, which at best describes about a thousand bytes with one.
    return rows * rowBytes / 1032;
}

}  // namespace veltra::imaging
