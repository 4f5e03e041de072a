#pragma once

// What the bytes after a picture's end look like. Phones append the video of a motion photo
// there, some tools leave padding, and "polyglot" files hide a whole archive or document
// behind a picture that still opens normally.

#include <QByteArrayView>
#include <QLatin1StringView>

#include <optional>

namespace veltra::analysis {

enum class TrailingDataKind {
    Empty,    // no bytes at all
    Zip,      // a ZIP local file header, or the end record of an empty archive
    Rar,      // a RAR archive, format 4 or 5
    SevenZip, // a 7z archive
    Pdf,      // a PDF document
    Jpeg,     // another JPEG picture, as a preview or the second picture of a pair
    Mp4,      // an MP4 or QuickTime file (its first box is `ftyp`), as motion photos append
    Text,     // mostly printable UTF-8 or ASCII
    Zeros,    // nothing but zero bytes: padding
    Unknown,
};

// A short machine name for the kind: "empty", "zip", "rar", "7z", "pdf", "jpeg", "mp4",
// "text", "zeros", "unknown".
QLatin1StringView TrailingDataKindName(TrailingDataKind kind);

// What `bytes` look like from their first byte: a recognised signature there first, then
// all zeros, then text, else unknown. Text means that the first 4 KiB are valid UTF-8 (a
// character cut off by the end of the sample is forgiven) and that at least 95 % of their
// characters are printable or tab, line feed, form feed or carriage return.
TrailingDataKind ClassifyTrailingData(QByteArrayView bytes);

struct EmbeddedSignature {
    qsizetype offset = 0;  // where the recognised file starts in the bytes searched
    TrailingDataKind kind = TrailingDataKind::Unknown;
};

// Where in `bytes` the first recognised signature (zip, rar, 7z, pdf, jpeg, mp4) starts,
// looking at start offsets in the first 64 KiB; a signature must lie wholly inside the
// bytes. Nothing when none is found. Text and zeros are not signatures.
std::optional<EmbeddedSignature> FindEmbeddedSignature(QByteArrayView bytes);

}  // namespace veltra::analysis
