#pragma once

// Writing integers: little-endian, the order every item value is kept in, or in a given order.

#include "util/byte_reader.h"

#include <QByteArray>
#include <QtEndian>

#include <cstdint>

namespace veltra::imaging {

inline void Append16(QByteArray& bytes, std::uint16_t value, ByteOrder order)
{
    char buffer[2];
    if (order == ByteOrder::Little)
        qToLittleEndian(value, buffer);
    else
        qToBigEndian(value, buffer);
    bytes.append(buffer, 2);
}

inline void Append32(QByteArray& bytes, std::uint32_t value, ByteOrder order)
{
    char buffer[4];
    if (order == ByteOrder::Little)
        qToLittleEndian(value, buffer);
    else
        qToBigEndian(value, buffer);
    bytes.append(buffer, 4);
}

inline void Append64(QByteArray& bytes, std::uint64_t value, ByteOrder order)
{
    char buffer[8];
    if (order == ByteOrder::Little)
        qToLittleEndian(value, buffer);
    else
        qToBigEndian(value, buffer);
    bytes.append(buffer, 8);
}

inline void AppendLittle16(QByteArray& bytes, std::uint16_t value)
{
    Append16(bytes, value, ByteOrder::Little);
}

inline void AppendLittle32(QByteArray& bytes, std::uint32_t value)
{
    Append32(bytes, value, ByteOrder::Little);
}

inline QByteArray Little16(std::uint16_t value)
{
    QByteArray bytes;
    AppendLittle16(bytes, value);
    return bytes;
}

}  // namespace veltra::imaging
