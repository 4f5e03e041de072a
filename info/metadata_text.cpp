#include "info/metadata_text.h"

#include <QStringDecoder>

namespace veltra::info {

namespace {

// Both decoders are stateless so that a sequence cut off at the end of the value counts as an
// error instead of waiting for bytes that never come. A leading byte-order mark is kept as a
// character: the value is shown as stored.
constexpr auto kDecoderFlags =
    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

QString DecodeGb18030(QByteArrayView bytes)
{
    QStringDecoder gb18030("GB18030", kDecoderFlags);
    if (!gb18030.isValid()) {
        // A Qt built without the conversion library knows no GB18030; UTF-8 with replacement
        // characters is then the closest we can show.
        QStringDecoder utf8(QStringConverter::Utf8, kDecoderFlags);
        return utf8.decode(bytes);
    }
    // The GB18030 decoder silently drops a lead byte left dangling at the very end. A NUL
    // after the value makes it report that byte as bad (U+FFFD) before the NUL, which we then
    // take off again.
    QByteArray terminated(bytes.data(), bytes.size());
    terminated.append('\0');
    QString text = gb18030.decode(terminated);
    if (text.endsWith(QChar(u'\0')))
        text.chop(1);
    return text;
}

}  // namespace

QString DecodeMetadataText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, kDecoderFlags);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeGb18030(bytes);
}

}  // namespace veltra::info
