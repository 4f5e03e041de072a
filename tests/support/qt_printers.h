#pragma once

// Lets GoogleTest show Qt strings as text in failure messages.

#include <QByteArray>
#include <QString>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << "bytes[" << bytes.size() << "] " << bytes.toHex(' ').left(200).toStdString();
}
