#include "imaging/image_for_testing.h"

#include "service/gp_image.h"

namespace veltra::imaging {

ImagePtr MakeImageForTesting(QImage pixels, TestImageFacts facts)
{
    return ImagePtr(new GpImage(std::move(pixels), facts.rawFormat, facts.pixelFormat,
                                Resolution{facts.dpiX, facts.dpiY},
                                PropertySet(std::move(facts.properties))));
}

QImage PixelsForTesting(GpImage* image)
{
    QImage pixels;
    if (!image || image->pixels(&pixels) != Ok)
        return QImage();
    return pixels.copy();
}

}  // namespace veltra::imaging
