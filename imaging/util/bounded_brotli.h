#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace veltra::imaging {

// The bytes of a complete Brotli stream (as JPEG XL's "brob" boxes hold their Exif and XMP),
// or nothing when the stream is damaged, truncated, or expands past `limit` bytes (a few
// hostile bytes can otherwise expand to gigabytes), or libbrotlidec cannot be opened.
std::optional<QByteArray> DecompressBrotli(QByteArrayView compressed, qsizetype limit);

}  // namespace veltra::imaging
