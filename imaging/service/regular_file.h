#pragma once

#include "imaging/gdiplus_types.h"
#include "imaging/load_failure.h"

#include <QByteArray>
#include <QString>

namespace veltra::imaging {

// The whole of a regular file. Anything else (a named pipe, which would block until something
// writes to it; a device such as /dev/zero, which never ends; a socket; a directory) fails at
// once, before a byte is read. A file larger than any picture the service accepts fails with
// OutOfMemory. `reason`, when given, says why a read failed.
GpStatus ReadRegularFile(const QString& filename, QByteArray* bytes,
                         LoadFailureReason* reason = nullptr);

// The status and reason of a failed open(2), from its errno.
GpStatus StatusForOpenFailure(int error, LoadFailureReason* reason);

}  // namespace veltra::imaging
