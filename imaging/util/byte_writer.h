#pragma once

// Writing integers: little-endian, the order every item value is kept in, or in a given order.

#include "util/byte_reader.h"

#include <QByteArray>
#include <QtEndian>

#include <cstdint>

namespace veltra::imaging {

inline void AppendLittle16(QByteArray& bytes, std::uint16_t value)
{
    char buffer[2];
    qToLittleEndian(value, buffer);
    bytes.append(buffer, 2);
}

inline void AppendLittle32(QByteArray& bytes, std::uint32_t value)
{
    char buffer[4];
    qToLittleEndian(value, buffer);
    bytes.append(buffer, 4);
}

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

inline QByteArray Little16(std::uint16_t value)
{
    QByteArray bytes;
    AppendLittle16(bytes, value);
    return bytes;
}

}  // namespace veltra::imaging
