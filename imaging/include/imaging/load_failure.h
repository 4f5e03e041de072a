#pragma once

// Why a file could not be loaded. The status of a failed load says only what the platform's
// codes can; a user, a script or the window's panel wants the cause: a file cut short, a
// picture too large for its data, content that is not a picture at all.

#include <QByteArray>

namespace veltra::imaging {

enum class LoadFailureReason {
    None,
    NotFound,           // no file at that path
    AccessDenied,       // the file may not be read
    NotRegularFile,     // a directory, pipe, device or socket: never read
    ReadError,          // the system could not read it
    FileTooLarge,       // larger than any picture the service accepts
    Empty,              // zero bytes
    NoDecoder,          // no decoder of the service reads this content
    DamagedHeader,      // a known format whose header is cut short or damaged
    NotDecodable,       // a format that is recognised but has no decoder here (EMF, WMF)
    SequenceOnly,       // an image sequence without a still picture to show
    CodecUnavailable,   // the codec library the format needs cannot be opened
    OverPixelBudget,    // a picture larger than the pixels the service accepts
    TooLittleData,      // the data is far too small to hold the picture declared
    PixelsUndecodable,  // the header was read, but the pixels cannot be decoded
    OutOfMemory,        // memory ran out while loading
};

struct LoadFailure {
    LoadFailureReason reason = LoadFailureReason::None;
    // The kind of content the file was recognised as (imaging/content_kinds.h), when a format's
    // check matched its first bytes; empty otherwise.
    QByteArray contentKind;
    // The first bytes of a file that was read (at most kLoadFailureHeadBytes), so that a
    // caller can tell what a file that is no picture holds: a PDF, an archive, text.
    QByteArray head;
};

inline constexpr qsizetype kLoadFailureHeadBytes = 4096;

}  // namespace veltra::imaging
