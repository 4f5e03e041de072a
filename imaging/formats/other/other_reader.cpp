#include "formats/other/other_reader.h"

#include "formats/qt_decoding.h"
#include "imaging/logging.h"

#include <QImageReader>

namespace veltra::imaging {
namespace {

bool MatchesAnything(QByteArrayView /*head*/)
{
    return true;
}

// Decoded at once by the decoder Qt picks by content, or else by the first that reads the file
// when asked by name: Qt's guess can pick a decoder that then fails for a format without a
// signature of its own (a TGA file starts with bytes that the icon decoder claims), and only
// decoding tells.
GpStatus DecodeWithAnyDecoder(QByteArrayView file, const FileFacts& /*facts*/, FrameHeader* header)
{
    GpStatus status = DecodeWithQt(file, QByteArray(), &header->pixels);
    if (status == UnknownImageFormat) {
        qCInfo(lcImaging, "no decoder recognised the content; asking each by name");
        const QList<QByteArray> decoders = QImageReader::supportedImageFormats();
        for (const QByteArray& decoder : decoders) {
            status = DecodeWithQt(file, decoder, &header->pixels);
            if (status != UnknownImageFormat)
                break;
        }
    }
    if (status == Ok) {
        header->size = header->pixels.size();
        header->decodedPixelFormat = PixelFormatOfDecoded(header->pixels.format());
    }
    return status;
}

}  // namespace

const FormatReader kOtherFormat{FileFormat::Unknown, ImageFormatOtherDecoded, MatchesAnything,
                                ReadNoFacts, nullptr, nullptr, DecodeWithAnyDecoder};

}  // namespace veltra::imaging
