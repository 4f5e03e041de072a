#include "formats/format_decoder.h"

#include "formats/jxl/jxl_codec.h"
#include "formats/jxl/jxl_container.h"
#include "formats/jxl/jxl_header.h"
#include "formats/pixel_budget.h"

namespace veltra::imaging {
namespace {

GpStatus DecodeJxlFile(QByteArrayView file, const FileFacts& /*facts*/, QImage* pixels)
{
    const std::optional<JxlHeader> header = ReadJxlHeader(ReadJxlFile(file, JxlMetadata::Skipped).codestreamStart);
    if (!header)
        return UnknownImageFormat;
    return DecodeJxl(file, *header, PixelBudgetFor(file.size()), pixels);
}

}  // namespace

const FormatDecoder kJxlDecoder{
    .format = FileFormat::Jxl,
    .decode = DecodeJxlFile,
};

}  // namespace veltra::imaging
