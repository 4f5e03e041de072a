#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace veltra::imaging {

// Compressed metadata (PNG iCCP profiles, zTXt and compressed iTXt text) is small in real
// files, while a few hostile kilobytes can expand to gigabytes. Beyond this much output the
// block is treated as damaged.
inline constexpr qsizetype kMaxInflatedMetadata = qsizetype{64} * 1024 * 1024;

// The bytes of a complete zlib stream (header, deflate data, checksum), or nothing when the
// stream is damaged, truncated, or expands past `limit` bytes.
std::optional<QByteArray> InflateZlib(QByteArrayView compressed,
                                      qsizetype limit = kMaxInflatedMetadata);

}  // namespace veltra::imaging
