#pragma once

// What the service did in this process, counted as it goes: bytes inflated from compressed
// metadata (kept or dropped), item values handed out, frames decoded, and the pixel memory
// they took. The budgets of
// the hostile-file checks are stated in these counts rather than in seconds, which vary from
// machine to machine. QT_LOGGING_RULES="veltra.work=true" (or a file QT_LOGGING_CONF names)
// prints them, as one line, when the program calls LogWorkDone (veltra-info does at exit).

#include <QLoggingCategory>
#include <QSize>

#include <cstdint>

namespace veltra::imaging {

Q_DECLARE_LOGGING_CATEGORY(lcWork)

enum class Work {
    // Bytes out of every zlib stream of metadata: text, profiles, XMP.
    InflatedBytes,
    // Bytes of the item values handed out with pictures, each of which a report formats.
    ItemValueBytes,
    // Frames decoded for their pixels, in full or scaled down.
    FramesDecoded,
    // Frames decoded only to tell whether a decoder reads a file that has no signature.
    FramesDecodedToRecognise,
    // Pixel memory of those frames, at four bytes a pixel as the pixel budget counts.
    DecodedPixelBytes,
    // The largest of them.
    LargestFramePixelBytes,
    // Camera raws developed by LibRaw, at full or half size: seconds each for a large one.
    RawsDeveloped,
};

void CountWork(Work counter, std::uint64_t amount);
// Counts one frame of this size under `frames` (FramesDecoded or FramesDecodedToRecognise),
// with its pixel memory.
void CountFrame(Work frames, QSize size);
std::uint64_t WorkDone(Work counter);

// Writes the counters to veltra.work as "work: inflated_bytes=... frames_decoded=... ...".
void LogWorkDone();

}  // namespace veltra::imaging
