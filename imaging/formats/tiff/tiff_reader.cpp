#include "formats/tiff/tiff_reader.h"

#include "formats/tiff/tiff_facts.h"
#include "formats/tiff/tiff_header_probe.h"
#include "metadata/ifd_walker.h"

namespace veltra::imaging {
namespace {

bool IsTiff(QByteArrayView head) { return TiffByteOrder(head).has_value(); }

constexpr ContentKind kTiffKinds[]{
    {.name = "tiff", .extensions = "tif tiff", .mimeTypes = "image/tiff", .qtDecoder = "tiff"},
};

}  // namespace

const FormatReader kTiffFormat{
    .format = FileFormat::Tiff,
    .rawFormat = ImageFormatTIFF,
    .kinds = kTiffKinds,
    .matches = IsTiff,
    .read = ReadTiffFacts,
    .probe = ProbeTiffHeader,
};

}  // namespace veltra::imaging
