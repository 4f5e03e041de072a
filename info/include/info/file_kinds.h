#pragma once

// Which file name extensions a format's content calls for, to tell a file whose name lies.

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace veltra::info {

// The extensions (lower case, without the dot) that files of the format usually have, the
// most usual first; empty for a format this does not know. The format is named as
// GetImageContentFormat names it ("jpeg", "png", "tga", ...).
QStringList ExtensionsFor(QByteArrayView contentFormat);

// Whether the extension of the file's name (case aside) is one of those; false for a name
// without an extension or a format without extensions.
bool ExtensionMatches(const QString& fileName, QByteArrayView contentFormat);

}  // namespace veltra::info
