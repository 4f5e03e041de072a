#include "document/export_path.h"

#include <QFile>

#include <climits>

namespace veltra {

std::optional<QString> ExportPathFor(const QString& chosen)
{
    QString path = chosen;
    if (!path.contains(QLatin1Char('.')))
        path += QStringLiteral(".jpg");
    // PATH_MAX counts the terminating NUL of the encoded name.
    if (QFile::encodeName(path).size() >= PATH_MAX)
        return std::nullopt;
    return path;
}

}  // namespace veltra
