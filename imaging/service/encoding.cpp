// Encoding a picture as a JPEG file.

#include "imaging/gdiplus.h"
#include "service/gp_image.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <new>

namespace veltra::imaging {
namespace {

constexpr int kDefaultQuality = 75;

// The quality parameter when one is given as a single LONG; the default otherwise.
std::optional<int> RequestedQuality(const EncoderParameters* parameters)
{
    if (!parameters)
        return kDefaultQuality;
    for (std::uint32_t i = 0; i < parameters->Count && i < 1; ++i) {
        const EncoderParameter& parameter = parameters->Parameter[i];
        if (parameter.Guid != EncoderQuality)
            continue;
        if (parameter.Type != EncoderParameterValueTypeLong || parameter.NumberOfValues != 1 ||
            !parameter.Value)
            return std::nullopt;
        const std::uint32_t quality = *static_cast<const std::uint32_t*>(parameter.Value);
        if (quality > 100)
            return std::nullopt;
        return static_cast<int>(quality);
    }
    return kDefaultQuality;
}

}  // namespace

GpStatus GdipSaveImageToFile(GpImage* image, const QString& filename, const CLSID* clsidEncoder,
                             const EncoderParameters* encoderParams)
{
    if (!image || !clsidEncoder || filename.isEmpty())
        return InvalidParameter;
    if (*clsidEncoder != JpegEncoderClsid)
        return InvalidParameter;
    const std::optional<int> quality = RequestedQuality(encoderParams);
    if (!quality)
        return InvalidParameter;

    // A read-only file stays as it is: the new content would otherwise be renamed over it.
    // The file's mode counts as well as the access check, which a privileged process (root
    // in a container, say) passes for every file.
    const QFileInfo target(filename);
    constexpr QFileDevice::Permissions kAnyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (target.exists() &&
        (target.isDir() || !target.isWritable() || !(target.permissions() & kAnyWrite)))
        return AccessDenied;

    try {
        // JPEG holds no alpha; callers have flattened the picture onto its background.
        const QImage opaque = image->pixels().convertToFormat(QImage::Format_RGB32);
        if (opaque.isNull())
            return OutOfMemory;
        // The encoder writes into a temporary file beside the target, which replaces the
        // target only once the whole picture is written: a failure leaves any old file intact.
        QSaveFile file(filename);
        if (!file.open(QIODevice::WriteOnly))
            return file.error() == QFileDevice::PermissionsError ? AccessDenied : Win32Error;
        QImageWriter writer(&file, "jpeg");
        writer.setQuality(*quality);
        writer.setOptimizedWrite(false);
        writer.setProgressiveScanWrite(false);
        if (!writer.write(opaque)) {
            file.cancelWriting();
            return Win32Error;
        }
        return file.commit() ? Ok : Win32Error;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

}  // namespace veltra::imaging
