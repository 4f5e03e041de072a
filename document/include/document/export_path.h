#pragma once

#include <QString>

#include <optional>

namespace veltra {

// The path an export writes to: ".jpg" is appended only when the chosen path has no dot at
// all (the directory part included). Nothing when the result would exceed the platform's
// path limit, so that a name is never cut short or written past its end.
std::optional<QString> ExportPathFor(const QString& chosen);

}  // namespace veltra
