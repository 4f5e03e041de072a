#include "service/regular_file.h"

#include "formats/pixel_budget.h"
#include "imaging/logging.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace veltra::imaging {
namespace {

// A file larger than this is refused before it is read: no picture the service accepts needs
// more bytes than its own pixel limit.
constexpr qint64 kMaxFileBytes = static_cast<qint64>(kMaxPixelBytes);

}  // namespace

GpStatus StatusForOpenFailure(int error, LoadFailureReason* reason)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        *reason = LoadFailureReason::NotFound;
        return FileNotFound;
    case EACCES:
    case EPERM:
        *reason = LoadFailureReason::AccessDenied;
        return AccessDenied;
    default:
        *reason = LoadFailureReason::ReadError;
        return Win32Error;
    }
}

// The file is opened without waiting and its kind checked on the open handle, so a file
// swapped for another kind in between cannot slip through.
GpStatus ReadRegularFile(const QString& filename, QByteArray* bytes, LoadFailureReason* reason)
{
    LoadFailureReason ignored = LoadFailureReason::None;
    if (!reason)
        reason = &ignored;
    *reason = LoadFailureReason::ReadError;
    const QByteArray path = QFile::encodeName(filename);
    const int descriptor = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return StatusForOpenFailure(errno, reason);
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return Win32Error;
    }
    struct stat status{};
    if (::fstat(descriptor, &status) != 0)
        return Win32Error;
    if (!S_ISREG(status.st_mode)) {
        qCInfo(lcImaging, "%s is not a regular file; not read", path.constData());
        *reason = LoadFailureReason::NotRegularFile;
        return UnknownImageFormat;
    }
    if (status.st_size > kMaxFileBytes) {
        *reason = LoadFailureReason::FileTooLarge;
        return OutOfMemory;
    }
    // The file as it was when opened: bytes appended meanwhile are not read.
    *bytes = file.read(status.st_size);
    if (file.error() != QFileDevice::NoError)
        return Win32Error;
    *reason = LoadFailureReason::None;
    return Ok;
}


}  // namespace veltra::imaging
