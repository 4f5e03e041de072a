#include "formats/format_decoder.h"

#include "formats/raw/raw_development.h"
#include "formats/raw/raw_directories.h"
#include "formats/raw/raw_signature.h"
#include "imaging/logging.h"

#include <algorithm>

namespace veltra::imaging {
namespace {

// False when a TIFF-structured raw's own directories put its sensor data, or part of it,
// outside the file: LibRaw would read nothing there and develop a black picture.
bool SensorDataInsideFile(QByteArrayView file)
{
    const std::optional<RawSignature> signature = SniffCameraRaw(file);
    if (!signature || (signature->container != RawContainer::Tiff &&
                       signature->container != RawContainer::TiffLike))
        return true;
    const RawDirectories directories =
        ReadRawDirectories(file, file.startsWith("MM") ? ByteOrder::Big : ByteOrder::Little);
    return std::none_of(directories.directories.begin(), directories.directories.end(),
                        [](const RawDirectory& directory) {
                            return directory.holdsSensorData() && !directory.dataInsideFile;
                        });
}


GpStatus DecodeCameraRaw(QByteArrayView file, const FileFacts& /*facts*/, QImage* pixels)
{
    if (!SensorDataInsideFile(file)) {
        qCInfo(lcImaging, "the raw's sensor data lies outside the file");
        return RawPreviewInstead(file, RawDevelopment::Full, pixels);
    }
    return DevelopRaw(file, RawDevelopment::Full, pixels);
}


// A small copy for a glance (comparing a preview with the picture, a thumbnail of it): the
// raw developed at half size, without demosaicking, shrunk the rest of the way.
GpStatus DecodeCameraRawScaled(QByteArrayView file, const FileFacts& /*facts*/, int denominator,
                               QImage* pixels)
{
    RawFrame frame;
    LoadFailureReason refusal = LoadFailureReason::None;
    if (const GpStatus status = ReadRawFrame(file, &frame, &refusal); status != Ok)
        return status;
    QImage half;
    const GpStatus status = SensorDataInsideFile(file)
                                ? DevelopRaw(file, RawDevelopment::HalfSize, &half)
                                : RawPreviewInstead(file, RawDevelopment::HalfSize, &half);
    if (status != Ok)
        return status;
    const QSize size((frame.size.width() + denominator - 1) / denominator,
                     (frame.size.height() + denominator - 1) / denominator);
    *pixels = half.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return pixels->isNull() ? OutOfMemory : Ok;
}

}  // namespace

const FormatDecoder kCameraRawDecoder{
    .format = FileFormat::CameraRaw,
    .decode = DecodeCameraRaw,
    .decodeScaled = DecodeCameraRawScaled,
};

}  // namespace veltra::imaging
