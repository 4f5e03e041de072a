// Queries on a picture: size, raw format, pixel format, resolution.

#include "imaging/gdiplus.h"
#include "service/gp_image.h"

namespace veltra::imaging {

GpStatus GdipGetImageWidth(GpImage* image, std::uint32_t* width)
{
    if (!image || !width)
        return InvalidParameter;
    *width = static_cast<std::uint32_t>(image->size().width());
    return Ok;
}

GpStatus GdipGetImageHeight(GpImage* image, std::uint32_t* height)
{
    if (!image || !height)
        return InvalidParameter;
    *height = static_cast<std::uint32_t>(image->size().height());
    return Ok;
}

GpStatus GdipGetImageRawFormat(GpImage* image, GUID* format)
{
    if (!image || !format)
        return InvalidParameter;
    *format = image->rawFormat();
    return Ok;
}

GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format)
{
    if (!image || !format)
        return InvalidParameter;
    *format = image->pixelFormat();
    return Ok;
}

GpStatus GdipGetImageHorizontalResolution(GpImage* image, REAL* resolution)
{
    if (!image || !resolution)
        return InvalidParameter;
    *resolution = image->resolution().horizontal;
    return Ok;
}

GpStatus GdipGetImageVerticalResolution(GpImage* image, REAL* resolution)
{
    if (!image || !resolution)
        return InvalidParameter;
    *resolution = image->resolution().vertical;
    return Ok;
}

}  // namespace veltra::imaging
