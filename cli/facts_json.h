#pragma once

// The report's facts as JSON, for scripts: one object per file. veltra-info(1) describes the
// schema; a change here is a change there.

#include "info/image_facts.h"

#include <QJsonObject>
#include <QString>

namespace veltra::cli {

QJsonObject FactsJson(const QString& path, const info::ImageFacts& facts);

// The object of a file that could not be loaded.
QJsonObject FailureJson(const QString& path, const QString& error);

}  // namespace veltra::cli
