#include "imaging/decodable_mime_types.h"

#include <QByteArray>
#include <QImageReader>
#include <QList>
#include <QString>

namespace veltra::imaging {

QStringList DecodableMimeTypes()
{
    // The service decodes through Qt's image plugins, so their list is the service's list.
    // Only raster pictures count: a vector drawing would be rasterised at an arbitrary size
    // and has no pixel format, resolution or metadata of its own to report.
    QStringList types;
    const QList<QByteArray> pluginTypes = QImageReader::supportedMimeTypes();
    for (const QByteArray& pluginType : pluginTypes) {
        const QString type = QString::fromLatin1(pluginType);
        if (type.startsWith(QLatin1String("image/")) && !type.startsWith(QLatin1String("image/svg")))
            types << type;
    }
    types.sort();
    types.removeDuplicates();
    return types;
}

}  // namespace veltra::imaging
