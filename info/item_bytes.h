#pragma once

// Reading a property item's value: the service hands the bytes over little-endian, element by
// element, right behind the item's record in the caller's buffer. Callers check the length.

#include "imaging/gdiplus_types.h"

#include <QByteArrayView>
#include <QtEndian>

#include <cstdint>

namespace veltra::info {

inline QByteArrayView ValueBytes(const imaging::PropertyItem& item)
{
    if (item.value == nullptr)
        return {};
    return QByteArrayView(static_cast<const char*>(item.value), qsizetype{item.length});
}

inline std::uint8_t ByteAt(QByteArrayView bytes, qsizetype offset)
{
    return static_cast<std::uint8_t>(bytes[offset]);
}

inline std::uint16_t Little16At(QByteArrayView bytes, qsizetype offset)
{
    return qFromLittleEndian<std::uint16_t>(bytes.data() + offset);
}

inline std::uint32_t Little32At(QByteArrayView bytes, qsizetype offset)
{
    return qFromLittleEndian<std::uint32_t>(bytes.data() + offset);
}

}  // namespace veltra::info
