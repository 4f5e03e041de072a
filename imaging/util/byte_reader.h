#pragma once

// Reading fixed-size integers out of untrusted bytes. Callers check the bounds first
// (RangeInside); nothing here reads past the view when they do.

#include <QByteArrayView>

#include <cstdint>

namespace veltra::imaging {

enum class ByteOrder { Little, Big };

inline std::uint8_t ByteAt(QByteArrayView bytes, qsizetype offset)
{
    return static_cast<std::uint8_t>(bytes[offset]);
}

inline std::uint16_t ReadLittle16(QByteArrayView bytes, qsizetype offset)
{
    return static_cast<std::uint16_t>(ByteAt(bytes, offset) | ByteAt(bytes, offset + 1) << 8);
}

inline std::uint32_t ReadLittle32(QByteArrayView bytes, qsizetype offset)
{
    return static_cast<std::uint32_t>(ByteAt(bytes, offset)) |
           static_cast<std::uint32_t>(ByteAt(bytes, offset + 1)) << 8 |
           static_cast<std::uint32_t>(ByteAt(bytes, offset + 2)) << 16 |
           static_cast<std::uint32_t>(ByteAt(bytes, offset + 3)) << 24;
}

inline std::uint16_t ReadBig16(QByteArrayView bytes, qsizetype offset)
{
    return static_cast<std::uint16_t>(ByteAt(bytes, offset) << 8 | ByteAt(bytes, offset + 1));
}

inline std::uint32_t ReadBig32(QByteArrayView bytes, qsizetype offset)
{
    return static_cast<std::uint32_t>(ByteAt(bytes, offset)) << 24 |
           static_cast<std::uint32_t>(ByteAt(bytes, offset + 1)) << 16 |
           static_cast<std::uint32_t>(ByteAt(bytes, offset + 2)) << 8 |
           static_cast<std::uint32_t>(ByteAt(bytes, offset + 3));
}

inline std::uint16_t Read16(QByteArrayView bytes, qsizetype offset, ByteOrder order)
{
    return order == ByteOrder::Little ? ReadLittle16(bytes, offset) : ReadBig16(bytes, offset);
}

inline std::uint32_t Read32(QByteArrayView bytes, qsizetype offset, ByteOrder order)
{
    return order == ByteOrder::Little ? ReadLittle32(bytes, offset) : ReadBig32(bytes, offset);
}

inline std::uint64_t Read64(QByteArrayView bytes, qsizetype offset, ByteOrder order)
{
    const std::uint64_t first = Read32(bytes, offset, order);
    const std::uint64_t second = Read32(bytes, offset + 4, order);
    return order == ByteOrder::Little ? second << 32 | first : first << 32 | second;
}

// True when [offset, offset + length) lies inside a view of `size` bytes, without overflow.
inline bool RangeInside(std::uint64_t offset, std::uint64_t length, std::uint64_t size)
{
    return offset <= size && length <= size - offset;
}

}  // namespace veltra::imaging
