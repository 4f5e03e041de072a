// Encoding a picture as a JPEG file.

#include "formats/jpeg/jpeg_codec.h"
#include "imaging/gdiplus.h"
#include "service/gp_image.h"
#include "service/recorded_content.h"

#include <QFileInfo>
#include <QSaveFile>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <new>
#include <thread>

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

// The encoder writes into a temporary file beside the target, which replaces the target only
// once the whole picture is written: a failure leaves any old file intact.
GpStatus EncodeToFile(const QString& filename,
                      const std::function<GpStatus(QIODevice&)>& encode)
{
    QSaveFile file(filename);
    if (!file.open(QIODevice::WriteOnly))
        return file.error() == QFileDevice::PermissionsError ? AccessDenied : Win32Error;
    const GpStatus encoded = encode(file);
    if (encoded != Ok) {
        file.cancelWriting();
        return encoded;
    }
    return file.commit() ? Ok : Win32Error;
}

// A bitmap made in memory is drawn band by band on another thread while the encoder takes the
// rows already drawn, so that drawing a large composition costs almost nothing beside its
// encoding. Nothing when the bitmap is not opaque (it then goes through the plain path).
std::optional<GpStatus> EncodeWhileDrawing(const RecordedContent& recording, int quality,
                                           const QString& filename)
{
    constexpr int kBandRows = 128;
    if (recording.failure())
        return recording.failure();
    OperationPainter painter;
    const GpStatus prepared =
        painter.prepare(recording.operations(), recording.storedSize(), 0);
    if (prepared != Ok)
        return prepared;
    QImage& canvas = painter.canvas();
    if (canvas.format() != QImage::Format_RGB32)
        return std::nullopt;

    std::mutex mutex;
    std::condition_variable rowsReady;
    int rowsDone = 0;
    std::atomic<bool> stop{false};
    std::thread drawer([&] {
        for (int first = 0; first < canvas.height() && !stop; first += kBandRows) {
            const int end = std::min(canvas.height(), first + kBandRows);
            painter.paintRows(first, end);
            {
                const std::lock_guard lock(mutex);
                rowsDone = end;
            }
            rowsReady.notify_all();
        }
    });
    const GpStatus status = EncodeToFile(filename, [&](QIODevice& file) {
        return EncodeJpeg(canvas, quality, file, [&](int rows) {
            std::unique_lock lock(mutex);
            rowsReady.wait(lock, [&] { return rowsDone >= rows; });
        });
    });
    stop = true;
    drawer.join();
    return status;
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
        if (const std::shared_ptr<RecordedContent>& recording = image->recording();
            recording && !recording->hasPixels(RotateNoneFlipNone)) {
            std::optional<GpStatus> encoded = EncodeWhileDrawing(*recording, *quality, filename);
            if (encoded)
                return *encoded;
        }
        QImage pixels;
        const GpStatus status = image->pixels(&pixels);
        if (status != Ok)
            return status;
        // JPEG holds no alpha; callers have flattened the picture onto its background. Opaque
        // 32-bit pixels go to the encoder as they are.
        if (pixels.format() != QImage::Format_RGB32 && pixels.hasAlphaChannel())
            pixels = pixels.convertToFormat(QImage::Format_RGB32);
        if (pixels.isNull())
            return OutOfMemory;
        return EncodeToFile(filename,
                            [&pixels, &quality](QIODevice& file) { return EncodeJpeg(pixels, *quality, file); });
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

}  // namespace veltra::imaging
