#include "formats/jpeg/jpeg_segments.h"

#include "util/byte_reader.h"

#include <algorithm>
#include <cstring>

namespace veltra::imaging {
namespace {

constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kTemporary = 0x01;

// Markers that stand alone, without a length field.
bool HasNoLength(std::uint8_t marker)
{
    return marker == kStartOfImage || marker == kTemporary || (marker >= 0xD0 && marker <= 0xD7);
}

}  // namespace

void ForEachJpegSegment(QByteArrayView file, const std::function<bool(const JpegSegment&)>& visit)
{
    if (file.size() < 2 || ByteAt(file, 0) != 0xFF || ByteAt(file, 1) != kStartOfImage)
        return;
    qsizetype at = 2;
    for (;;) {
        if (at >= file.size() || ByteAt(file, at) != 0xFF)
            return;
        // Any number of 0xFF fill bytes may precede a marker.
        while (at < file.size() && ByteAt(file, at) == 0xFF)
            ++at;
        if (at >= file.size())
            return;
        const std::uint8_t marker = ByteAt(file, at);
        ++at;
        // The entropy-coded data after SOS is never read: it is not metadata, and its bytes
        // can look like markers.
        if (marker == kStartOfScan || marker == kEndOfImage)
            return;
        if (HasNoLength(marker))
            continue;
        if (at + 2 > file.size())
            return;
        const std::uint16_t length = ReadBig16(file, at);
        if (length < 2)
            return;
        // A segment cut off by the end of the file is read as far as it goes.
        const qsizetype payloadSize = std::min<qsizetype>(length - 2, file.size() - at - 2);
        if (!visit(JpegSegment{marker, file.sliced(at + 2, payloadSize)}))
            return;
        at += 2 + payloadSize;
    }
}

std::optional<qsizetype> JpegEndOfImage(QByteArrayView file)
{
    if (file.size() < 2 || ByteAt(file, 0) != 0xFF || ByteAt(file, 1) != kStartOfImage)
        return std::nullopt;
    qsizetype at = 2;
    for (;;) {
        if (at >= file.size() || ByteAt(file, at) != 0xFF)
            return std::nullopt;
        while (at < file.size() && ByteAt(file, at) == 0xFF)
            ++at;
        if (at >= file.size())
            return std::nullopt;
        const std::uint8_t marker = ByteAt(file, at);
        ++at;
        if (marker == kEndOfImage)
            return at;
        if (HasNoLength(marker))
            continue;
        if (at + 2 > file.size())
            return std::nullopt;
        const std::uint16_t length = ReadBig16(file, at);
        if (length < 2 || at + length > file.size())
            return std::nullopt;
        at += length;
        if (marker != kStartOfScan)
            continue;
        // The coded data runs to the next marker: a 0xFF followed by neither a stuffed zero
        // nor a restart marker.
        for (;;) {
            const void* found = std::memchr(file.data() + at, 0xFF, std::size_t(file.size() - at));
            if (!found)
                return std::nullopt;
            const qsizetype ff = static_cast<const char*>(found) - file.data();
            if (ff + 1 >= file.size())
                return std::nullopt;
            const std::uint8_t next = ByteAt(file, ff + 1);
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                at = ff + 2;
                continue;
            }
            at = ff;
            break;
        }
    }
}

}  // namespace veltra::imaging
