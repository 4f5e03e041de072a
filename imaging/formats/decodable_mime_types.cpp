#include "imaging/decodable_mime_types.h"

#include "formats/format_registry.h"
#include "formats/other/other_reader.h"

#include <QByteArray>
#include <QImageReader>
#include <QList>
#include <QSet>
#include <QString>

namespace veltra::imaging {

QStringList DecodableMimeTypes()
{
    // The decoders the service uses, by name: each format's own, and those it tries on other
    // files. Qt's plugins say which MIME types each of them reads, so the list follows what
    // is installed. Vector formats are never among the decoders.
    QSet<QByteArray> decoders;
    for (const FormatReader* reader : FormatReaders()) {
        if (reader->qtDecoder)
            decoders.insert(reader->qtDecoder);
    }
    for (const char* name : OtherDecoderNames())
        decoders.insert(name);

    QStringList types;
    const QList<QByteArray> mimeTypes = QImageReader::supportedMimeTypes();
    for (const QByteArray& mimeType : mimeTypes) {
        const QList<QByteArray> readers = QImageReader::imageFormatsForMimeType(mimeType);
        for (const QByteArray& reader : readers) {
            if (decoders.contains(reader)) {
                types << QString::fromLatin1(mimeType);
                break;
            }
        }
    }
    types.sort();
    types.removeDuplicates();
    return types;
}

}  // namespace veltra::imaging
