#pragma once

// How much pixel memory a picture may take. Decoded pictures up to 2 GiB are accepted, but a
// small file may not ask for more than its data could describe: a few hundred hostile bytes
// can declare a picture of gigapixels, and decoders allocate the whole picture before they
// find out that the data is missing. A file may take 64 MiB of pixels (a 4096 x 4096 picture,
// whatever its size on disk), and beyond that 16 KiB of pixels for each byte it holds: far
// more than the best compression of any real photo or drawing gives (a flat 24-megapixel PNG
// is some 100 KB), so only files that cannot hold their picture are refused.

#include <QSize>
#include <QtGlobal>

#include <algorithm>
#include <cstdint>

namespace veltra::imaging {

inline constexpr std::uint64_t kMaxPixelBytes = std::uint64_t{2} << 30;
inline constexpr std::uint64_t kPixelBytesAnyFileMayTake = std::uint64_t{64} << 20;
inline constexpr std::uint64_t kPixelBytesPerFileByte = 16384;

// The pixel memory a file of this many bytes may take.
constexpr std::uint64_t PixelBudgetFor(qsizetype fileBytes)
{
    const auto bytes = static_cast<std::uint64_t>(std::max<qsizetype>(fileBytes, 0));
    const std::uint64_t proportional =
        bytes > kMaxPixelBytes / kPixelBytesPerFileByte ? kMaxPixelBytes
                                                        : bytes * kPixelBytesPerFileByte;
    return std::min(kMaxPixelBytes, std::max(kPixelBytesAnyFileMayTake, proportional));
}

// True when a picture of this size, at four bytes a pixel, fits the budget.
constexpr bool WithinPixelBudget(QSize size, std::uint64_t budget)
{
    return size.width() >= 0 && size.height() >= 0 &&
           static_cast<std::uint64_t>(size.width()) * static_cast<std::uint64_t>(size.height()) *
                   4 <=
               budget;
}

}  // namespace veltra::imaging
