#include "formats/jxl/jxl_container.h"

#include "imaging/iso_boxes.h"
#include "imaging/logging.h"
#include "metadata/item_budget.h"
#include "util/bounded_brotli.h"
#include "util/byte_reader.h"

#include <algorithm>

namespace veltra::imaging {
namespace {

// The headers of a real codestream take a few dozen bytes; extra channels with long names
// can take a few kilobytes more. Parts of a split codestream are joined up to this much.
constexpr qsizetype kCodestreamStartBytes = 64 * 1024;

bool IsMetadataType(std::uint32_t type)
{
    return type == BoxType("Exif") || type == BoxType("xml ") || type == BoxType("jumb");
}

// Exif and XMP are read; a JUMBF box is only counted.
bool IsReadType(std::uint32_t type) { return type == BoxType("Exif") || type == BoxType("xml "); }

JxlMetadataBox MetadataBox(const IsoBox& box, ItemBudget& budget)
{
    JxlMetadataBox metadata;
    metadata.storedSize = box.content.size();
    QByteArrayView content = box.content;
    if (box.type == BoxType("brob")) {
        metadata.brotliCompressed = true;
        metadata.type = ReadBig32(content, 0);
        content = content.sliced(4);
        if (IsReadType(metadata.type)) {
            // Whatever it expands to is taken from the file's budget for item values.
            if (std::optional<QByteArray> expanded = DecompressBrotli(content, budget.remaining());
                expanded && budget.take(expanded->size()))
                metadata.content = std::move(*expanded);
            else
                qCInfo(lcImaging, "a Brotli-compressed metadata box is damaged or past the budget");
        }
        return metadata;
    }
    metadata.type = box.type;
    if (IsReadType(metadata.type) && budget.take(content.size()))
        metadata.content = content.toByteArray();
    return metadata;
}

}  // namespace

JxlFile ReadJxlFile(QByteArrayView file, JxlMetadata metadata)
{
    JxlFile result;
    if (!file.startsWith(kJxlContainerSignature)) {
        result.codestreamStart =
            file.first(std::min(file.size(), kCodestreamStartBytes)).toByteArray();
        return result;
    }
    result.container = true;
    const IsoBoxes boxes = SplitIsoBoxes(file);
    if (!boxes.problem.isEmpty())
        qCInfo(lcImaging) << "JPEG XL container:" << boxes.problem;
    // The file type box comes right after the signature, as decoders require.
    if (boxes.boxes.size() < 2 || boxes.boxes[1].type != BoxType("ftyp")) {
        qCInfo(lcImaging, "a JPEG XL container without its file type box second");
        return result;
    }
    ItemBudget budget;
    bool codestreamEnded = false;
    for (const IsoBox& box : boxes.boxes) {
        if (box.type == BoxType("jxlc") && result.codestreamStart.isEmpty()) {
            result.codestreamStart =
                box.content.first(std::min(box.content.size(), kCodestreamStartBytes))
                    .toByteArray();
            codestreamEnded = true;
        } else if (box.type == BoxType("jxlp") && !codestreamEnded && box.content.size() >= 4) {
            // Each part starts with its index; the highest bit marks the last part.
            codestreamEnded = (ReadBig32(box.content, 0) & 0x80000000u) != 0;
            const QByteArrayView part = box.content.sliced(4);
            result.codestreamStart.append(part.first(
                std::min(part.size(), kCodestreamStartBytes - result.codestreamStart.size())));
            codestreamEnded =
                codestreamEnded || result.codestreamStart.size() == kCodestreamStartBytes;
        } else if (box.type == BoxType("jbrd")) {
            result.jpegReconstruction = true;
        } else if (metadata == JxlMetadata::Skipped) {
            continue;
        } else if (IsMetadataType(box.type) ||
                   (box.type == BoxType("brob") && box.content.size() >= 4 &&
                    IsMetadataType(ReadBig32(box.content, 0)))) {
            result.metadata.push_back(MetadataBox(box, budget));
        }
    }
    return result;
}

QByteArrayView TiffOfExifBox(QByteArrayView content)
{
    if (content.size() < 4)
        return {};
    const std::uint64_t offset = ReadBig32(content, 0);
    if (offset > static_cast<std::uint64_t>(content.size()) - 4)
        return {};
    return content.sliced(4 + static_cast<qsizetype>(offset));
}

}  // namespace veltra::imaging
