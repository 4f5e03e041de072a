#include "info/file_kinds.h"

#include "imaging/content_kinds.h"

#include <QFileInfo>

namespace veltra::info {

QStringList ExtensionsFor(QByteArrayView contentFormat)
{
    return imaging::ContentKindExtensions(contentFormat);
}

bool ExtensionMatches(const QString& fileName, QByteArrayView contentFormat)
{
    // The last suffix only: "photo.png.jpg" is named a JPEG.
    const QString extension = QFileInfo(fileName).suffix().toLower();
    return !extension.isEmpty() && ExtensionsFor(contentFormat).contains(extension);
}

}  // namespace veltra::info
