#include "imaging/jpeg_segments.h"

#include "imaging/byte_order.h"

namespace veltra::imaging {

void ForEachJpegSegment(QByteArrayView file, const std::function<bool(const JpegSegment&)>& visit)
{
    constexpr std::uint8_t kStartOfScan = 0xDA;
    constexpr std::uint8_t kEndOfImage = 0xD9;
    qsizetype position = 2;  // after SOI
    while (position + 4 <= file.size()) {
        if (ByteAt(file, position) != 0xFF)
            return;
        const std::uint8_t marker = ByteAt(file, position + 1);
        if (marker == 0xFF) {  // fill bytes may pad between segments
            ++position;
            continue;
        }
        if (marker == kStartOfScan || marker == kEndOfImage)
            return;
        // Markers without a length (RSTn, TEM) carry no payload.
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            position += 2;
            continue;
        }
        const std::uint16_t length = ReadBig16(file, position + 2);
        if (length < 2 || !RangeInside(static_cast<std::uint64_t>(position) + 2, length,
                                       static_cast<std::uint64_t>(file.size())))
            return;
        const JpegSegment segment{marker, file.sliced(position + 4, length - 2)};
        if (!visit(segment))
            return;
        position += 2 + length;
    }
}

}  // namespace veltra::imaging
