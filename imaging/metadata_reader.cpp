#include "imaging/metadata_reader.h"

#include "imaging/gif_metadata.h"
#include "imaging/ifd_reader.h"
#include "imaging/jpeg_metadata.h"
#include "imaging/png_metadata.h"
#include "imaging/property_set.h"
#include "imaging/webp_metadata.h"

namespace veltra::imaging {

PropertyRecords ReadMetadata(QByteArrayView file, FileFormat format)
{
    switch (format) {
    case FileFormat::Jpeg: return KeepFirstOfEachId(ReadJpegMetadata(file));
    case FileFormat::Tiff: return KeepFirstOfEachId(ReadTiffItems(file, TiffStructure::File));
    case FileFormat::Png: return KeepFirstOfEachId(ReadPngMetadata(file));
    case FileFormat::Gif: return KeepFirstOfEachId(ReadGifMetadata(file));
    case FileFormat::WebP: return KeepFirstOfEachId(ReadWebPMetadata(file));
    // Bitmaps, icons and metafiles carry no property items.
    case FileFormat::Bmp:
    case FileFormat::Icon:
    case FileFormat::Emf:
    case FileFormat::Wmf:
    case FileFormat::Unknown: break;
    }
    return {};
}

}  // namespace veltra::imaging
