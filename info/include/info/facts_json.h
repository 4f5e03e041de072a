#pragma once

// The report's facts as JSON, for scripts and for the window's export: one object per file.
// veltra-info(1) describes the schema; a change here is a change there.

#include "info/image_facts.h"

#include <QJsonObject>
#include <QString>

namespace veltra::info {

QJsonObject FactsJson(const QString& path, const ImageFacts& facts);

}  // namespace veltra::info
