#pragma once

// The JSON object of a file that could not be loaded; those of the others are made by
// info::FactsJson. veltra-info(1) describes the schema; a change here is a change there.

#include "info/facts_json.h"

#include <QJsonObject>
#include <QString>

namespace veltra::cli {

// The object of a file that could not be loaded: its path, the failure line, the reason's key
// ("truncated_header") and, for content that no decoder reads, what it looks like ("pdf").
QJsonObject FailureJson(const QString& path, const QString& error, const char* reason,
                        const QString& content);

}  // namespace veltra::cli
