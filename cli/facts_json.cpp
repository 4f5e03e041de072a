#include "facts_json.h"

namespace veltra::cli {

QJsonObject FailureJson(const QString& path, const QString& error, const char* reason,
                        const QString& content)
{
    QJsonObject object{{QStringLiteral("path"), path},
                       {QStringLiteral("error"), error},
                       {QStringLiteral("reason"), QString::fromLatin1(reason)}};
    if (!content.isEmpty())
        object.insert(QStringLiteral("content"), content);
    return object;
}

}  // namespace veltra::cli
