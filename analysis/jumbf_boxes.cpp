#include "jumbf_boxes.h"

#include "big_endian.h"

#include <algorithm>

namespace veltra::analysis {
namespace {

constexpr qsizetype kUuidSize = 16;
constexpr std::uint8_t kLabelPresent = 0x02;

constexpr QByteArrayView kJpegExtensionIdentifier("JP");
constexpr qsizetype kApp11PacketHeader = 8;  // "JP", instance number, sequence number

struct PendingBox {
    std::uint16_t instance = 0;
    std::uint32_t lastSequence = 0;
    QByteArray header;
    QByteArray bytes;
};

}  // namespace

std::optional<JumbfDescription> ReadJumbfDescription(QByteArrayView content)
{
    if (content.size() < kUuidSize + 1)
        return std::nullopt;
    JumbfDescription description;
    description.typeUuid = content.first(kUuidSize).toByteArray();
    const auto toggles = static_cast<std::uint8_t>(content[kUuidSize]);
    if (toggles & kLabelPresent) {
        const QByteArrayView rest = content.sliced(kUuidSize + 1);
        const qsizetype end = rest.indexOf('\0');
        if (end < 0)
            return std::nullopt;
        description.label = QString::fromUtf8(rest.first(end));
    }
    return description;
}

std::optional<JumbfSuperbox> ReadJumbfSuperbox(const JumbfBox& box)
{
    if (box.type != kJumbfSuperboxType)
        return std::nullopt;
    JumbfBoxes children = SplitJumbfBoxes(box.content);
    if (children.boxes.empty() || children.boxes.front().type != kJumbfDescriptionType)
        return std::nullopt;
    const std::optional<JumbfDescription> description = ReadJumbfDescription(children.boxes.front().content);
    if (!description)
        return std::nullopt;
    JumbfSuperbox superbox;
    superbox.description = *description;
    superbox.contents.assign(children.boxes.begin() + 1, children.boxes.end());
    superbox.problem = children.problem;
    if (superbox.problem.isEmpty() && box.truncated)
        superbox.problem = QStringLiteral("superbox cut off by the end of the data");
    return superbox;
}

std::vector<JpegJumbfBox> ReassembleJpegJumbf(std::span<const QByteArrayView> app11Payloads)
{
    std::vector<PendingBox> pending;
    for (const QByteArrayView payload : app11Payloads) {
        if (payload.size() < kApp11PacketHeader || !payload.startsWith(kJpegExtensionIdentifier))
            continue;
        const std::uint16_t instance = ReadBig16(payload, 2);
        const std::uint32_t sequence = ReadBig32(payload, 4);
        const QByteArrayView box = payload.sliced(kApp11PacketHeader);
        const std::optional<qsizetype> headerSize = imaging::IsoBoxHeaderSize(box);
        if (!headerSize)
            continue;
        const QByteArrayView header = box.first(*headerSize);
        const QByteArrayView data = box.sliced(*headerSize);

        auto found = std::find_if(pending.begin(), pending.end(),
                                  [instance](const PendingBox& p) { return p.instance == instance; });
        if (found == pending.end()) {
            // Only a box's first packet can start it: a later one repeats the header but
            // its data belongs in the middle.
            if (sequence != 1 || pending.size() == kMaxJpegJumbfBoxes)
                continue;
            PendingBox started;
            started.instance = instance;
            started.lastSequence = sequence;
            started.header = header.toByteArray();
            started.bytes = box.toByteArray();
            pending.push_back(std::move(started));
            continue;
        }
        // A repeated or out-of-order packet, or one whose header says another box, would
        // splice foreign bytes into the box; after a missing packet the box stays short.
        if (sequence != found->lastSequence + 1 || header != found->header)
            continue;
        found->lastSequence = sequence;
        found->bytes += data;
    }

    std::vector<JpegJumbfBox> boxes;
    for (PendingBox& p : pending) {
        JpegJumbfBox box;
        box.instance = p.instance;
        const std::uint32_t length32 = ReadBig32(p.header, 0);
        const std::uint64_t length = length32 == 1 ? ReadBig64(p.header, 8) : length32;
        box.complete = length32 == 0 || length == static_cast<std::uint64_t>(p.bytes.size());
        box.bytes = std::move(p.bytes);
        boxes.push_back(std::move(box));
    }
    return boxes;
}

}  // namespace veltra::analysis
