#include "imaging/decodable_mime_types.h"

#include "formats/format_decoder.h"
#include "formats/format_registry.h"

#include <QByteArray>
#include <QImageReader>
#include <QList>
#include <QString>

namespace veltra::imaging {

QStringList DecodableMimeTypes()
{
    // Every kind that a decoder of the service reads: its own decoders always, Qt's plugins
    // when they are installed. Formats that are only recognised (metafiles) have none.
    const QList<QByteArray> plugins = QImageReader::supportedImageFormats();
    QStringList types;
    for (const FormatReader* reader : FormatReaders()) {
        const bool ownDecoder = reader->probe || DecoderFor(reader->format);
        for (const ContentKind& kind : reader->kinds) {
            const bool decodable =
                kind.qtDecoder ? plugins.contains(QByteArray(kind.qtDecoder)) : ownDecoder;
            if (decodable)
                types << QString::fromLatin1(kind.mimeTypes).split(u' ', Qt::SkipEmptyParts);
        }
    }
    types.sort();
    types.removeDuplicates();
    return types;
}

}  // namespace veltra::imaging
