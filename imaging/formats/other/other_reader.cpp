#include "formats/other/other_reader.h"

#include "formats/qt_decoding.h"
#include "imaging/logging.h"

#include <array>

namespace veltra::imaging {
namespace {

bool MatchesAnything(QByteArrayView /*head*/)
{
    return true;
}

// The raster formats without a reader of their own that the service decodes, through Qt's
// plugin of that name, tried in this order: their content checks are weak, so those that need a
// signature (PNM's "P1" to "P6", the XBM and XPM texts, "icns") come before TGA and WBMP, which
// accept almost any bytes. Nothing else is ever asked: not SVG (a vector format that a few
// bytes can make expand without bound), nor any plugin Qt might find by guessing.
constexpr std::array<const char*, 8> kOtherDecoders{"pbm",  "pgm", "ppm", "xbm",
                                                   "xpm",  "icns", "tga", "wbmp"};

// Decoded at once by the first listed decoder that reads the file: only decoding tells whether
// a decoder without a signature to check (TGA) really reads it.
GpStatus DecodeWithAListedDecoder(QByteArrayView file, const FileFacts& facts,
                                  FrameHeader* header)
{
    GpStatus status = UnknownImageFormat;
    const char* decodedBy = nullptr;
    for (const char* decoder : kOtherDecoders) {
        status = DecodeWithQt(file, facts, decoder, &header->pixels);
        decodedBy = decoder;
        if (status != UnknownImageFormat)
            break;
    }
    if (status == Ok) {
        header->qtDecoder = decodedBy;
        header->size = header->pixels.size();
        header->decodedPixelFormat = PixelFormatOfDecoded(header->pixels.format());
    } else {
        qCInfo(lcImaging, "no decoder the service uses reads the file");
    }
    return status;
}

}  // namespace

std::span<const char* const> OtherDecoderNames()
{
    return kOtherDecoders;
}

const FormatReader kOtherFormat{FileFormat::Unknown, ImageFormatOtherDecoded, MatchesAnything,
                                ReadNoFacts, nullptr, nullptr, DecodeWithAListedDecoder};

}  // namespace veltra::imaging
