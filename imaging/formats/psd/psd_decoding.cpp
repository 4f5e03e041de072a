#include "formats/format_decoder.h"

#include "formats/psd/psd_composite.h"
#include "formats/psd/psd_layout.h"

namespace veltra::imaging {
namespace {

GpStatus DecodePsd(QByteArrayView file, const FileFacts& /*facts*/, QImage* pixels)
{
    const std::optional<PsdLayout> layout = ReadPsdLayout(file);
    if (!layout)
        return UnknownImageFormat;
    return DecodePsdComposite(*layout, pixels);
}

}  // namespace

const FormatDecoder kPsdDecoder{
    .format = FileFormat::Psd,
    .decode = DecodePsd,
};

}  // namespace veltra::imaging
