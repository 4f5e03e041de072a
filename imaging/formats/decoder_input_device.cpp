#include "formats/decoder_input_device.h"

#include <algorithm>
#include <cstring>

namespace veltra::imaging {

DecoderInputDevice::DecoderInputDevice(QByteArrayView file, const FileFacts& facts)
{
    if (facts.decoderInput.empty()) {
        addPart(file);
    } else {
        for (const DecoderPiece& piece : facts.decoderInput) {
            addPart(piece.made.isEmpty() ? file.sliced(piece.fromFile.offset, piece.fromFile.length)
                                         : QByteArrayView(piece.made));
        }
    }
    open(QIODevice::ReadOnly);
}

qint64 DecoderInputDevice::readData(char* data, qint64 maxSize)
{
    qint64 position = pos();
    qint64 copied = 0;
    // The part holding the position: the last one that starts at or before it.
    auto part = std::upper_bound(m_starts.begin(), m_starts.end(), position);
    if (part == m_starts.begin())
        return 0;
    for (std::size_t index = std::size_t(part - m_starts.begin()) - 1;
         index < m_parts.size() && copied < maxSize; ++index) {
        const qint64 within = position - m_starts[index];
        // A decoder may seek past the end and read there: it gets nothing.
        if (within >= m_parts[index].size())
            break;
        const qint64 count = std::min(maxSize - copied, m_parts[index].size() - within);
        std::memcpy(data + copied, m_parts[index].data() + within, std::size_t(count));
        copied += count;
        position += count;
    }
    return copied;
}

void DecoderInputDevice::addPart(QByteArrayView part)
{
    if (part.isEmpty())
        return;
    m_parts.push_back(part);
    m_starts.push_back(m_total);
    m_total += part.size();
}

}  // namespace veltra::imaging
