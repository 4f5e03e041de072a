#include "formats/jpeg/jpeg_frame_size.h"

#include "formats/jpeg/libjpeg_session.h"

#include <new>

namespace veltra::imaging {
namespace {

using namespace libjpeg;

GpStatus ReadHeader(QByteArrayView file, QSize* size, std::uint64_t maxPixelBytes)
{
    Decompression jpeg;
    if (!jpeg.created())
        return OutOfMemory;
    jpeg_decompress_struct* info = jpeg.info();
    if (!ReadHeaders(jpeg, file))
        return jpeg.failure(UnknownImageFormat);
    const DecodedLayout* layout = LayoutFor(info->jpeg_color_space);
    if (!layout)
        return UnknownImageFormat;
    const std::uint64_t bytesPerLine =
        (std::uint64_t{info->image_width} * layout->bytesPerPixel + 3) & ~std::uint64_t{3};
    if (bytesPerLine * info->image_height > maxPixelBytes)
        return OutOfMemory;
    *size = QSize(static_cast<int>(info->image_width), static_cast<int>(info->image_height));
    return Ok;
}

}  // namespace

GpStatus ReadJpegFrameSize(QByteArrayView file, QSize* size, std::uint64_t maxPixelBytes)
{
    if (!size)
        return InvalidParameter;
    if (file.isEmpty())
        return UnknownImageFormat;
    try {
        return ReadHeader(file, size, maxPixelBytes);
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

}  // namespace veltra::imaging
