#pragma once

// Property items as short text rows, "0112 3 0600" (id, type, value bytes in hex), so that
// expected lists read like the bytes worked out by hand and failures print legibly.

#include "imaging/property_record.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace veltra::imaging::test {

// Bytes from hex digits; spaces and other separators are skipped.
inline QByteArray Hex(const char* digits)
{
    return QByteArray::fromHex(QByteArray(digits));
}

inline std::string Row(const PropertyRecord& record)
{
    return QStringLiteral("%1 %2 ")
               .arg(record.id, 4, 16, QLatin1Char('0'))
               .arg(static_cast<int>(record.type))
               .toStdString() +
           record.value.toHex().toStdString();
}

// The row expected for an item, from its id and type ("0112 3") and its value bytes.
inline std::string ItemRow(const char* idAndType, QByteArrayView value)
{
    return std::string(idAndType) + " " + value.toByteArray().toHex().toStdString();
}

inline std::vector<std::string> Rows(const PropertyRecords& records)
{
    std::vector<std::string> rows;
    for (const PropertyRecord& record : records)
        rows.push_back(Row(record));
    return rows;
}

}  // namespace veltra::imaging::test
