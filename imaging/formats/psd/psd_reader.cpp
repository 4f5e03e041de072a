#include "formats/psd/psd_reader.h"

#include "formats/pixel_budget.h"
#include "formats/psd/psd_layout.h"
#include "metadata/ifd_walker.h"
#include "metadata/item_budget.h"
#include "metadata/photoshop_resources.h"
#include "util/byte_reader.h"

namespace veltra::imaging {
namespace {

bool IsPsd(QByteArrayView head)
{
    if (head.size() < 6 || !head.startsWith("8BPS"))
        return false;
    const std::uint16_t version = ReadBig16(head, 4);
    return version == 1 || version == 2;
}

FileFacts ReadPsd(QByteArrayView file)
{
    FileFacts facts;
    const std::optional<PsdLayout> layout = ReadPsdLayout(file);
    if (!layout)
        return facts;
    const bool alpha = PsdCompositeHasAlpha(*layout);
    // Colour, grey and CMYK alike are shown as RGB; 16-bit samples are kept whole.
    if (layout->depth == 16)
        facts.pixelFormat = alpha ? PixelFormat64bppARGB : PixelFormat48bppRGB;
    else
        facts.pixelFormat = alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB;
    ForEachPhotoshopResource(layout->resources, [&](std::uint16_t id, QByteArrayView data) {
        if (id != kPhotoshopExif)
            return true;
        facts.properties =
            PropertySet(ReadTiffItems(SkipExifPrefix(data), TiffStructure::ExifBlock));
        return false;
    });
    facts.tooLittleDataForDeclaredSize =
        layout->compression &&
        std::uint64_t(layout->imageData.size()) < PsdCompositeMinimumBytes(*layout);
    return facts;
}

GpStatus ProbePsd(QByteArrayView file, const FileFacts& /*facts*/, FrameHeader* header)
{
    const std::optional<PsdLayout> layout = ReadPsdLayout(file);
    if (!layout || !layout->compression)
        return UnknownImageFormat;
    if (!PsdCompositeDecodable(*layout)) {
        header->refusal = LoadFailureReason::NotDecodable;
        return UnknownImageFormat;
    }
    header->size = QSize(layout->width, layout->height);
    if (!WithinPixelBudget(header->size, PixelBudgetFor(file.size())))
        return OutOfMemory;
    return Ok;
}

void ReadPsdStructure(QByteArrayView file, FileStructure* out)
{
    const std::optional<PsdLayout> layout = ReadPsdLayout(file);
    if (!layout)
        return;
    PhotoshopDocument document;
    document.largeDocument = layout->largeDocument;
    document.colorMode = int(layout->colorMode);
    document.depth = layout->depth;
    document.channels = layout->channels;
    document.compression = layout->compression ? int(*layout->compression) : -1;
    document.mergedAlpha = PsdCompositeHasAlpha(*layout);
    document.layers = ReadPsdLayers(*layout);
    out->photoshopDocument = std::move(document);
    if (layout->compression)
        out->pictureEnd = file.size();

    ItemBudget budget;
    ForEachPhotoshopResource(layout->resources, [&](std::uint16_t id, QByteArrayView data) {
        if (id == kPhotoshopXmp && out->xmp.isEmpty() && budget.take(data.size()))
            out->xmp = data.toByteArray();
        else if (id == kPhotoshopIccProfile && out->iccProfile.isEmpty() && budget.take(data.size()))
            out->iccProfile = data.toByteArray();
        else if ((id == kPhotoshopThumbnail || id == kPhotoshopOldThumbnail) &&
                 !out->photoshopThumbnail)
            out->photoshopThumbnail = ReadPhotoshopThumbnailResource(data, budget);
        else if (id == kPhotoshopVersionInfo && data.size() >= 5)
            out->photoshopDocument->realMergedData = ByteAt(data, 4) != 0;
        return true;
    });
}

constexpr ContentKind kPsdKinds[]{
    {.name = "psd",
     .extensions = "psd psb",
     .mimeTypes = "image/vnd.adobe.photoshop"},
};

}  // namespace

const FormatReader kPsdFormat{
    .format = FileFormat::Psd,
    .kinds = kPsdKinds,
    .matches = IsPsd,
    .read = ReadPsd,
    .probe = ProbePsd,
    .structure = ReadPsdStructure,
};

}  // namespace veltra::imaging
