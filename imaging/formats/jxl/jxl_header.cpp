#include "formats/jxl/jxl_header.h"

#include <array>

namespace veltra::imaging {
namespace {

// Fields are packed from the lowest bit of each byte up. Reading past the end sets a flag
// that every later read keeps, so a parser checks once at the end.
class BitReader {
public:
    explicit BitReader(QByteArrayView bytes) : m_bytes(bytes) {}

    std::uint32_t bits(int count)
    {
        std::uint32_t value = 0;
        for (int bit = 0; bit < count; ++bit, ++m_position) {
            const std::uint64_t byte = m_position / 8;
            if (byte >= static_cast<std::uint64_t>(m_bytes.size())) {
                m_overrun = true;
                return 0;
            }
            const auto stored = static_cast<std::uint8_t>(m_bytes[static_cast<qsizetype>(byte)]);
            value |= std::uint32_t((stored >> (m_position % 8)) & 1u) << bit;
        }
        return value;
    }
    bool flag() { return bits(1) != 0; }
    void skip(std::uint64_t count)
    {
        m_position += count;
        if (m_position > static_cast<std::uint64_t>(m_bytes.size()) * 8)
            m_overrun = true;
    }
    bool overrun() const { return m_overrun; }

private:
    QByteArrayView m_bytes;
    std::uint64_t m_position = 0;
    bool m_overrun = false;
};

// One of a U32 field's four ways of coding a number: an offset plus that many bits.
struct Distribution {
    std::uint32_t offset;
    int bits;
};

constexpr Distribution Val(std::uint32_t value) { return {value, 0}; }
constexpr Distribution Bits(int count) { return {0, count}; }
constexpr Distribution BitsOffset(int count, std::uint32_t offset) { return {offset, count}; }

using U32Coding = std::array<Distribution, 4>;

// Two bits choose the distribution, which says how the number follows.
std::uint32_t ReadU32(BitReader& reader, const U32Coding& coding)
{
    const Distribution& chosen = coding[reader.bits(2)];
    return chosen.offset + reader.bits(chosen.bits);
}

constexpr U32Coding kEnumCoding{Val(0), Val(1), BitsOffset(4, 2), BitsOffset(6, 18)};
constexpr U32Coding kSizeCoding{BitsOffset(9, 1), BitsOffset(13, 1), BitsOffset(18, 1),
                                BitsOffset(30, 1)};
constexpr U32Coding kPreviewCoding{BitsOffset(6, 1), BitsOffset(8, 65), BitsOffset(10, 321),
                                   BitsOffset(12, 1345)};
constexpr U32Coding kPreviewDiv8Coding{Val(16), Val(32), BitsOffset(5, 1), BitsOffset(9, 33)};

// The ratios a size header may give the width by, as numerator and denominator of the height.
constexpr std::array<std::array<std::uint32_t, 2>, 7> kAspectRatios{
    {{1, 1}, {12, 10}, {4, 3}, {3, 2}, {16, 9}, {5, 4}, {2, 1}}};

struct Size {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
};

std::uint64_t WidthByRatio(std::uint32_t ratio, std::uint64_t height)
{
    return height * kAspectRatios[ratio - 1][0] / kAspectRatios[ratio - 1][1];
}

// The picture's size (and the same layout for the intrinsic size): small sizes are multiples
// of 8 in 5 bits, others a U32; the width may be a fixed ratio of the height.
Size ReadSizeHeader(BitReader& reader)
{
    Size size;
    const bool small = reader.flag();
    size.height = small ? (reader.bits(5) + 1) * 8 : ReadU32(reader, kSizeCoding);
    const std::uint32_t ratio = reader.bits(3);
    if (ratio != 0)
        size.width = WidthByRatio(ratio, size.height);
    else
        size.width = small ? (reader.bits(5) + 1) * 8 : ReadU32(reader, kSizeCoding);
    return size;
}

void SkipPreviewHeader(BitReader& reader)
{
    const bool div8 = reader.flag();
    const U32Coding& coding = div8 ? kPreviewDiv8Coding : kPreviewCoding;
    ReadU32(reader, coding);
    if (reader.bits(3) == 0)
        ReadU32(reader, coding);
}

void SkipAnimationHeader(BitReader& reader)
{
    ReadU32(reader, {Val(100), Val(1000), BitsOffset(10, 1), BitsOffset(30, 1)});  // ticks
    ReadU32(reader, {Val(1), Val(1001), BitsOffset(8, 1), BitsOffset(10, 1)});     // per
    ReadU32(reader, {Val(0), Bits(3), Bits(16), Bits(32)});                        // loops
    reader.flag();                                                                 // timecodes
}

struct BitDepth {
    int bits = 8;
    int exponentBits = 0;
};

// Nothing for a depth the decoder refuses.
std::optional<BitDepth> ReadBitDepth(BitReader& reader)
{
    BitDepth depth;
    if (!reader.flag()) {
        depth.bits =
            static_cast<int>(ReadU32(reader, {Val(8), Val(10), Val(12), BitsOffset(6, 1)}));
        return depth.bits <= 31 ? std::optional(depth) : std::nullopt;
    }
    depth.bits = static_cast<int>(ReadU32(reader, {Val(32), Val(16), Val(24), BitsOffset(6, 1)}));
    depth.exponentBits = static_cast<int>(reader.bits(4)) + 1;
    const int mantissaBits = depth.bits - depth.exponentBits - 1;
    if (depth.exponentBits < 2 || depth.exponentBits > 8 || mantissaBits < 2 || mantissaBits > 23)
        return std::nullopt;
    return depth;
}

// Extra channel types.
constexpr std::uint32_t kAlphaChannel = 0;
constexpr std::uint32_t kSpotColourChannel = 2;
constexpr std::uint32_t kColourFilterArrayChannel = 5;
constexpr std::uint32_t kLastKnownChannelType = 6;  // thermal; the types after it are reserved

// Whether the extra channel is an alpha channel; nothing when it cannot be read or is of a
// type no decoder knows.
std::optional<bool> ReadExtraChannelIsAlpha(BitReader& reader)
{
    if (reader.flag())  // all default: an 8-bit alpha channel
        return true;
    const std::uint32_t type = ReadU32(reader, kEnumCoding);
    if (type > kLastKnownChannelType || !ReadBitDepth(reader))
        return std::nullopt;
    ReadU32(reader, {Val(0), Val(3), Val(4), BitsOffset(3, 1)});  // dimension shift
    const std::uint32_t nameLength =
        ReadU32(reader, {Val(0), Bits(4), BitsOffset(5, 16), BitsOffset(10, 48)});
    reader.skip(std::uint64_t{nameLength} * 8);
    if (type == kAlphaChannel)
        reader.flag();  // premultiplied
    else if (type == kSpotColourChannel)
        reader.skip(4 * 16);  // its colour, four half floats
    else if (type == kColourFilterArrayChannel)
        ReadU32(reader, {Val(1), Bits(2), BitsOffset(4, 3), BitsOffset(8, 19)});
    return type == kAlphaChannel;
}

// Colour spaces of the colour encoding.
constexpr std::uint32_t kGreyColourSpace = 1;
constexpr std::uint32_t kLastColourSpace = 3;

// The image metadata up to the colour space, which is all the report needs of it.
bool ReadImageMetadata(BitReader& reader, JxlHeader& header)
{
    if (reader.flag())  // all default: 8-bit sRGB in XYB, upright, no extra channels
        return true;
    if (reader.flag()) {  // extra fields
        header.orientation = static_cast<int>(reader.bits(3)) + 1;
        if (reader.flag())
            ReadSizeHeader(reader);  // intrinsic size, a display hint
        if (reader.flag())
            SkipPreviewHeader(reader);
        header.animation = reader.flag();
        if (header.animation)
            SkipAnimationHeader(reader);
    }
    const std::optional<BitDepth> depth = ReadBitDepth(reader);
    if (!depth)
        return false;
    header.bitsPerSample = depth->bits;
    header.exponentBitsPerSample = depth->exponentBits;
    reader.flag();  // whether 16-bit buffers suffice
    const std::uint32_t extraChannels =
        ReadU32(reader, {Val(0), Val(1), BitsOffset(4, 2), BitsOffset(12, 1)});
    for (std::uint32_t index = 0; index < extraChannels && !reader.overrun(); ++index) {
        const std::optional<bool> alpha = ReadExtraChannelIsAlpha(reader);
        if (!alpha)
            return false;
        header.alpha = header.alpha || *alpha;
    }
    header.xybEncoded = reader.flag();
    if (!reader.flag()) {  // colour encoding not all default
        reader.flag();     // an ICC profile follows the headers; the space is given all the same
        const std::uint32_t colourSpace = ReadU32(reader, kEnumCoding);
        if (colourSpace > kLastColourSpace)
            return false;
        header.grey = colourSpace == kGreyColourSpace;
    }
    header.channels = (header.grey ? 1 : 3) + static_cast<int>(extraChannels);
    return true;
}

}  // namespace

std::optional<JxlHeader> ReadJxlHeader(QByteArrayView codestream)
{
    if (!codestream.startsWith(kJxlCodestreamSignature))
        return std::nullopt;
    BitReader reader(codestream.sliced(kJxlCodestreamSignature.size()));
    JxlHeader header;
    const Size size = ReadSizeHeader(reader);
    if (!ReadImageMetadata(reader, header) || reader.overrun())
        return std::nullopt;
    // A ratio can make the width exceed what the format allows; such a file is refused.
    if (size.width > UINT32_MAX || size.width == 0 || size.height == 0)
        return std::nullopt;
    header.width = static_cast<std::uint32_t>(size.width);
    header.height = static_cast<std::uint32_t>(size.height);
    return header;
}

}  // namespace veltra::imaging
