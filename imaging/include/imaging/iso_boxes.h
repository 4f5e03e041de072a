#pragma once

// Boxes as ISO base media files (HEIF, AVIF, MP4), JPEG 2000, JPEG XL's container and JUMBF
// store them: a 4-byte big-endian length, a 4-byte type, then the content. A length of 1 means
// a 64-bit length follows the type; a length of 0 means the box runs to the end of what holds
// it. One walker reads them all, for the readers of those formats and for the analysis.

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace veltra::imaging {

// A box type: its four characters read as a big-endian number.
constexpr std::uint32_t BoxType(const char (&fourCc)[5])
{
    return std::uint32_t(std::uint8_t(fourCc[0])) << 24 |
           std::uint32_t(std::uint8_t(fourCc[1])) << 16 |
           std::uint32_t(std::uint8_t(fourCc[2])) << 8 | std::uint32_t(std::uint8_t(fourCc[3]));
}

struct IsoBox {
    std::uint32_t type = 0;
    // Where the box starts within the bytes it was split from, and its header's size.
    qsizetype offset = 0;
    qsizetype headerSize = 0;
    // The bytes after the header, cut at the end of the bytes given.
    QByteArrayView content;
    // Its length reached past the end of the bytes given.
    bool truncated = false;
};

struct IsoBoxes {
    std::vector<IsoBox> boxes;
    // Empty when every byte belonged to a well-formed box.
    QString problem;
};

// At most this many boxes are read side by side; a real file has far fewer.
inline constexpr std::size_t kMaxIsoBoxesPerLevel = 4096;

// The size of the header of a box that starts `bytes`: 16 when a 64-bit length follows the
// type, else 8. Nothing when too few bytes remain for it.
std::optional<qsizetype> IsoBoxHeaderSize(QByteArrayView bytes);

// The boxes that follow one another in `bytes`. A box whose length runs past the end is kept
// as far as it goes and marked truncated, and ends the list; a length too small for its own
// header ends the list with a problem.
IsoBoxes SplitIsoBoxes(QByteArrayView bytes);

// The first box of that type among `boxes`; nothing when there is none.
std::optional<IsoBox> FindIsoBox(const IsoBoxes& boxes, std::uint32_t type);

}  // namespace veltra::imaging
