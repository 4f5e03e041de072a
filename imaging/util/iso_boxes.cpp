#include "imaging/iso_boxes.h"

#include "util/byte_reader.h"

namespace veltra::imaging {
namespace {

constexpr qsizetype kBoxHeader = 8;
constexpr qsizetype kBoxHeaderWithLargeLength = 16;

std::uint64_t ReadBig64(QByteArrayView bytes, qsizetype offset)
{
    return std::uint64_t{ReadBig32(bytes, offset)} << 32 | ReadBig32(bytes, offset + 4);
}

}  // namespace

std::optional<qsizetype> IsoBoxHeaderSize(QByteArrayView bytes)
{
    if (bytes.size() < kBoxHeader)
        return std::nullopt;
    const qsizetype size = ReadBig32(bytes, 0) == 1 ? kBoxHeaderWithLargeLength : kBoxHeader;
    if (bytes.size() < size)
        return std::nullopt;
    return size;
}

IsoBoxes SplitIsoBoxes(QByteArrayView bytes)
{
    IsoBoxes result;
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (result.boxes.size() == kMaxIsoBoxesPerLevel) {
            result.problem =
                QStringLiteral("more than %1 boxes side by side").arg(kMaxIsoBoxesPerLevel);
            break;
        }
        const QByteArrayView rest = bytes.sliced(at);
        const std::optional<qsizetype> headerSize = IsoBoxHeaderSize(rest);
        if (!headerSize) {
            result.problem = QStringLiteral("%1 bytes too few for a box header at %2")
                                 .arg(rest.size())
                                 .arg(at);
            break;
        }
        const std::uint32_t length32 = ReadBig32(rest, 0);
        std::uint64_t length = length32;
        if (length32 == 0)
            length = static_cast<std::uint64_t>(rest.size());
        else if (length32 == 1)
            length = ReadBig64(rest, 8);
        if (length < static_cast<std::uint64_t>(*headerSize)) {
            // A length smaller than the header would never move on: refuse it rather than loop.
            result.problem = QStringLiteral("box length %1 at %2 is shorter than its header")
                                 .arg(length)
                                 .arg(at);
            break;
        }
        IsoBox box;
        box.type = ReadBig32(rest, 4);
        box.offset = at;
        box.headerSize = *headerSize;
        if (length > static_cast<std::uint64_t>(rest.size())) {
            box.truncated = true;
            box.content = rest.sliced(*headerSize);
            result.boxes.push_back(box);
            result.problem = QStringLiteral("box at %1 is %2 bytes long but only %3 remain")
                                 .arg(at)
                                 .arg(length)
                                 .arg(rest.size());
            break;
        }
        box.content = rest.sliced(*headerSize, static_cast<qsizetype>(length) - *headerSize);
        result.boxes.push_back(box);
        at += static_cast<qsizetype>(length);
    }
    return result;
}

std::optional<IsoBox> FindIsoBox(const IsoBoxes& boxes, std::uint32_t type)
{
    for (const IsoBox& box : boxes.boxes) {
        if (box.type == type)
            return box;
    }
    return std::nullopt;
}

}  // namespace veltra::imaging
