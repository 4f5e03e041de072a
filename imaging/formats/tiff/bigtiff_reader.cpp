#include "formats/tiff/bigtiff_reader.h"

#include "formats/tiff/tiff_facts.h"
#include "metadata/ifd_walker.h"

namespace veltra::imaging {
namespace {

bool IsBigTiff(QByteArrayView head) { return BigTiffByteOrder(head).has_value(); }

// Named apart from a classic TIFF, since many programs that read one cannot read the other;
// its files carry the same extensions and MIME type.
constexpr ContentKind kBigTiffKinds[]{
    {.name = "bigtiff", .extensions = "tif tiff btf tf8", .mimeTypes = "image/tiff"},
};

}  // namespace

const FormatReader kBigTiffFormat{
    .format = FileFormat::BigTiff,
    .rawFormat = ImageFormatTIFF,
    .kinds = kBigTiffKinds,
    .matches = IsBigTiff,
    .read = ReadTiffFacts,
};

}  // namespace veltra::imaging
