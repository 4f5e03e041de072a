#pragma once

// The report's facts as JSON, for scripts: one object per file. veltra-info(1) describes the
// schema; a change here is a change there.

#include "info/image_facts.h"

#include <QJsonObject>
#include <QString>

namespace veltra::cli {

QJsonObject FactsJson(const QString& path, const info::ImageFacts& facts);

// The object of a file that could not be loaded: its path, the failure line, the reason's key
// ("truncated_header") and, for content that no decoder reads, what it looks like ("pdf").
QJsonObject FailureJson(const QString& path, const QString& error, const char* reason,
                        const QString& content);

}  // namespace veltra::cli
