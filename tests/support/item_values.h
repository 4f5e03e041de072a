#pragma once

// Item values as the service keeps them: numbers little-endian, one after another.

#include <QByteArray>
#include <QtEndian>

#include <cstdint>
#include <initializer_list>

namespace veltra::test {

inline QByteArray Shorts(std::initializer_list<std::uint16_t> values)
{
    QByteArray bytes;
    for (std::uint16_t value : values) {
        char buffer[2];
        qToLittleEndian(value, buffer);
        bytes.append(buffer, 2);
    }
    return bytes;
}

inline QByteArray Longs(std::initializer_list<std::uint32_t> values)
{
    QByteArray bytes;
    for (std::uint32_t value : values) {
        char buffer[4];
        qToLittleEndian(value, buffer);
        bytes.append(buffer, 4);
    }
    return bytes;
}

}  // namespace veltra::test
