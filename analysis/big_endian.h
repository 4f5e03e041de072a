#pragma once

// Reading big-endian integers out of untrusted bytes. Callers check the bounds first; nothing
// here reads past the view.

#include <QByteArrayView>

#include <cstdint>

namespace veltra::analysis {

inline std::uint64_t ReadBigEndian(QByteArrayView bytes, qsizetype offset, int size)
{
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | static_cast<std::uint8_t>(bytes[offset + i]);
    return value;
}

inline std::uint16_t ReadBig16(QByteArrayView bytes, qsizetype offset)
{
    return static_cast<std::uint16_t>(ReadBigEndian(bytes, offset, 2));
}

inline std::uint32_t ReadBig32(QByteArrayView bytes, qsizetype offset)
{
    return static_cast<std::uint32_t>(ReadBigEndian(bytes, offset, 4));
}

inline std::uint64_t ReadBig64(QByteArrayView bytes, qsizetype offset)
{
    return ReadBigEndian(bytes, offset, 8);
}

}  // namespace veltra::analysis
