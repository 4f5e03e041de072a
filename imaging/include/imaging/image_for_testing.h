#pragma once

// The one way for tests of the layers above the service to hold a picture with chosen facts
// (a raw format, a pixel format, a resolution and items that no small file on disk would
// produce together) and to see a picture's pixels whole. Nothing else uses it.

#include "imaging/image_handles.h"
#include "imaging/property_record.h"

#include <QImage>

namespace veltra::imaging {

struct TestImageFacts {
    GUID rawFormat = ImageFormatMemoryBMP;
    PixelFormat pixelFormat = PixelFormat32bppARGB;
    REAL dpiX = 96.0f;
    REAL dpiY = 96.0f;
    // In the service's order; an id given twice keeps its first item, as with a file.
    PropertyRecords properties;
};

// A picture with these pixels and facts, as if a file had been decoded into them.
ImagePtr MakeImageForTesting(QImage pixels, TestImageFacts facts = {});

// A copy of the picture's pixels as they are now (after any turn).
QImage PixelsForTesting(GpImage* image);

}  // namespace veltra::imaging
