#include "formats/psd/psd_composite.h"

#include "util/byte_reader.h"

#include <algorithm>
#include <vector>

namespace veltra::imaging {
namespace {

// The channels decoded: the colour channels and the merged transparency when there is one.
int ChannelsDecoded(const PsdLayout& layout)
{
    return PsdColorChannels(layout.colorMode, layout.channels) +
           (PsdCompositeHasAlpha(layout) ? 1 : 0);
}

// Expands one PackBits row into `row`; false when the data ends or overflows the row.
bool UnpackBitsRow(QByteArrayView packed, std::vector<std::uint8_t>& row)
{
    std::size_t filled = 0;
    qsizetype at = 0;
    while (filled < row.size()) {
        if (at >= packed.size())
            return false;
        const auto header = static_cast<std::int8_t>(packed[at++]);
        if (header >= 0) {
            const std::size_t count = std::size_t(header) + 1;
            if (at + qsizetype(count) > packed.size() || filled + count > row.size())
                return false;
            std::copy_n(packed.data() + at, count, row.begin() + std::ptrdiff_t(filled));
            at += qsizetype(count);
            filled += count;
        } else if (header != -128) {
            const std::size_t count = std::size_t(1 - header);
            if (at >= packed.size() || filled + count > row.size())
                return false;
            std::fill_n(row.begin() + std::ptrdiff_t(filled), count, std::uint8_t(packed[at++]));
            filled += count;
        }
    }
    return true;
}

// Hands out each row of each channel, channel by channel, as stored.
class RowSource {
public:
    explicit RowSource(const PsdLayout& layout)
        : m_layout(layout), m_row(std::size_t(PsdCompositeRowBytes(layout)))
    {
        if (layout.compression == PsdCompression::Rle) {
            const qsizetype counts = qsizetype(layout.channels) * layout.height;
            m_countSize = layout.largeDocument ? 4 : 2;
            m_at = counts * m_countSize;
        }
    }

    // The next row, or null when the data is cut short or damaged.
    const std::uint8_t* next()
    {
        const QByteArrayView data = m_layout.imageData;
        const qsizetype rowBytes = qsizetype(m_row.size());
        if (m_layout.compression == PsdCompression::Raw) {
            if (m_at + rowBytes > data.size())
                return nullptr;
            const auto* row = reinterpret_cast<const std::uint8_t*>(data.data() + m_at);
            m_at += rowBytes;
            return row;
        }
        if (m_index * m_countSize + m_countSize > data.size())
            return nullptr;
        const std::uint32_t packedSize = m_countSize == 4
                                             ? ReadBig32(data, m_index * m_countSize)
                                             : ReadBig16(data, m_index * m_countSize);
        ++m_index;
        if (!RangeInside(std::uint64_t(m_at), packedSize, std::uint64_t(data.size())) ||
            !UnpackBitsRow(data.sliced(m_at, packedSize), m_row))
            return nullptr;
        m_at += packedSize;
        return m_row.data();
    }

private:
    const PsdLayout& m_layout;
    std::vector<std::uint8_t> m_row;
    qsizetype m_countSize = 0;
    qsizetype m_index = 0;
    qsizetype m_at = 0;
};

// Where each decoded channel's sample goes in a pixel: the offsets of red, green, blue and
// alpha in memory for the formats used here (RGBA8888 and RGBA64 alike keep that order).
enum Component { Red = 0, Green = 1, Blue = 2, Alpha = 3 };

}  // namespace

GpStatus DecodePsdComposite(const PsdLayout& layout, QImage* pixels)
{
    using enum PsdColorMode;
    if (!PsdCompositeDecodable(layout))
        return UnknownImageFormat;
    const bool wide = layout.depth == 16;
    const bool alpha = PsdCompositeHasAlpha(layout);
    QImage image(layout.width, layout.height,
                 wide ? (alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64)
                      : (alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888));
    if (image.isNull())
        return OutOfMemory;
    image.fill(Qt::white);
    const int width = layout.width;
    // CMYK's black is kept apart until the other inks are read, then applied to them.
    std::vector<std::uint16_t> black;
    if (layout.colorMode == Cmyk)
        black.resize(std::size_t(width) * std::size_t(layout.height));

    RowSource rows(layout);
    const int channels = ChannelsDecoded(layout);
    for (int channel = 0; channel < channels; ++channel) {
        // The channel's place in the pixel; grey and palette entries fill all three colours.
        const bool isAlpha = alpha && channel == channels - 1;
        for (int y = 0; y < layout.height; ++y) {
            const std::uint8_t* row = rows.next();
            if (!row)
                return GenericError;
            uchar* line = image.scanLine(y);
            for (int x = 0; x < width; ++x) {
                std::uint16_t sample = 0;
                if (layout.colorMode == Bitmap)  // 1 is black ink
                    sample = (row[x / 8] >> (7 - x % 8) & 1) ? 0 : 255;
                else if (wide)
                    sample = std::uint16_t(row[2 * x] << 8 | row[2 * x + 1]);
                else
                    sample = row[x];
                std::uint16_t values[4] = {sample, sample, sample, sample};
                int first = 0;
                int last = 2;
                if (isAlpha) {
                    first = last = Alpha;
                } else if (layout.colorMode == Indexed) {
                    const QByteArrayView palette = layout.colorModeData;
                    for (int c = 0; c < 3; ++c)
                        values[c] = std::uint8_t(palette[c * 256 + sample]);
                } else if (layout.colorMode == Rgb || layout.colorMode == Cmyk) {
                    if (layout.colorMode == Cmyk && channel == 3) {
                        black[std::size_t(y) * std::size_t(width) + std::size_t(x)] = sample;
                        continue;
                    }
                    first = last = channel;
                }
                for (int c = first; c <= last; ++c) {
                    if (wide)
                        reinterpret_cast<std::uint16_t*>(line)[4 * x + c] = values[c];
                    else
                        line[4 * x + c] = std::uint8_t(values[c]);
                }
            }
        }
    }
    if (layout.colorMode == Cmyk) {
        // Photoshop stores the inks inverted (full scale is no ink), so each colour is its
        // stored value darkened by the stored black.
        const std::uint32_t full = wide ? 65535 : 255;
        for (int y = 0; y < layout.height; ++y) {
            uchar* line = image.scanLine(y);
            for (int x = 0; x < width; ++x) {
                const std::uint32_t k = black[std::size_t(y) * std::size_t(width) + std::size_t(x)];
                for (int c = 0; c < 3; ++c) {
                    if (wide) {
                        auto& value = reinterpret_cast<std::uint16_t*>(line)[4 * x + c];
                        value = std::uint16_t(value * k / full);
                    } else {
                        line[4 * x + c] = std::uint8_t(line[4 * x + c] * k / full);
                    }
                }
            }
        }
    }
    if (!wide)
        image.convertTo(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    *pixels = std::move(image);
    return Ok;
}

}  // namespace veltra::imaging
