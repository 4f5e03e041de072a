#include "formats/format_decoder.h"

#include "formats/jp2/jp2_boxes.h"
#include "formats/jp2/jp2_codec.h"
#include "formats/pixel_budget.h"

namespace veltra::imaging {
namespace {

GpStatus DecodeJp2File(QByteArrayView file, const FileFacts& /*facts*/, QImage* pixels)
{
    return DecodeJp2(file, file.startsWith(kJp2Signature) ? Jp2Layout::Boxes : Jp2Layout::Codestream,
                     PixelBudgetFor(file.size()), pixels);
}

}  // namespace

const FormatDecoder kJp2Decoder{
    .format = FileFormat::Jp2,
    .decode = DecodeJp2File,
};

}  // namespace veltra::imaging
