#pragma once

#include <QByteArrayView>
#include <QString>

namespace veltra::info {

// Turns the bytes of a metadata text value into UTF-16. Bytes that form valid UTF-8 are read
// as UTF-8; anything else is read as GB18030, the encoding that older Chinese cameras and
// tools write. Bytes that neither encoding can decode become U+FFFD, one per bad sequence.
// Every byte is decoded, NULs included: callers decide where the text ends.
QString DecodeMetadataText(QByteArrayView bytes);

}  // namespace veltra::info
