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

GpStatus DecodeWithAnyDecoder(QByteArrayView file, const FileFacts& /*facts*/, QImage* pixels)
{
    GpStatus status = DecodeWithQt(file, QByteArray(), pixels);
    // Qt's guess by content can pick the wrong decoder for a format without a signature of its
    // own (a TGA file starts with bytes that the icon decoder claims); each decoder is then
    // asked by name before the file counts as undecodable.
    if (status != UnknownImageFormat)
        return status;
    qCInfo(lcImaging, "no decoder recognised the content; asking each by name");
    const QList<QByteArray> decoders = QImageReader::supportedImageFormats();
    for (const QByteArray& decoder : decoders) {
        status = DecodeWithQt(file, decoder, pixels);
        if (status != UnknownImageFormat)
            break;
    }
    return status;
}

}  // namespace

const FormatReader kOtherFormat{FileFormat::Unknown, ImageFormatOtherDecoded, MatchesAnything,
                                ReadNoFacts, nullptr, DecodeWithAnyDecoder};

}  // namespace veltra::imaging
