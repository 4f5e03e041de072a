#include "formats/jp2/jp2_reader.h"

#include "formats/jp2/jp2_boxes.h"
#include "formats/jp2/jp2_codec.h"
#include "formats/pixel_budget.h"
#include "imaging/logging.h"
#include "metadata/ifd_walker.h"
#include "metadata/item_budget.h"

namespace veltra::imaging {
namespace {

bool IsJp2(QByteArrayView head) { return head.startsWith(kJp2Signature); }

bool IsJ2kCodestream(QByteArrayView head) { return head.startsWith(kJ2kCodestreamStart); }

constexpr ContentKind kJp2Kinds[]{
    {.name = "jp2", .extensions = "jp2 jpg2", .mimeTypes = "image/jp2", .signature = IsJp2},
    {.name = "j2c",
     .extensions = "j2c j2k jpc",
     .mimeTypes = "image/x-jp2-codestream",
     .signature = IsJ2kCodestream},
};

bool IsJpeg2000(QByteArrayView head) { return IsJp2(head) || IsJ2kCodestream(head); }

PixelFormat PixelFormatOf(const Jp2Picture& picture)
{
    const bool deep = picture.bitsPerComponent > 8;
    if (picture.palette)
        return PixelFormat8bppIndexed;
    if (picture.grey && !picture.alpha)
        return deep ? PixelFormat16bppGrayScale : PixelFormat8bppIndexed;
    if (picture.alpha)
        return deep ? PixelFormat64bppARGB : PixelFormat32bppARGB;
    return deep ? PixelFormat48bppRGB : PixelFormat24bppRGB;
}

FileFacts ReadJp2(QByteArrayView file)
{
    FileFacts facts;
    const Jp2File jp2 = ReadJp2File(file);
    if (jp2.picture)
        facts.pixelFormat = PixelFormatOf(*jp2.picture);
    if (!jp2.exif.isEmpty())
        facts.properties =
            PropertySet(ReadTiffItems(SkipExifPrefix(jp2.exif), TiffStructure::ExifBlock));
    return facts;
}

// OpenJPEG keeps 32-bit samples of every component, and a palette's three colour
// components beside the indices while it applies them: those planes must fit the budget. So
// must what it keeps for each tile as it reads the header, before any sample: about 10 KiB,
// and 1 KiB more for each component (measured on OpenJPEG 2.5). A few hundred bytes can
// declare 65,535 tiles of one pixel; unchecked, that is gigabytes.
bool WithinDecoderBudget(const Jp2Picture& picture, std::uint64_t budget)
{
    constexpr std::uint64_t kBytesPerTile = 10 * 1024;
    constexpr std::uint64_t kBytesPerTileComponent = 1152;
    if (picture.tiles > budget / kBytesPerTile)
        return false;
    const auto components = static_cast<std::uint64_t>(picture.components);
    const std::uint64_t bookkeeping =
        picture.tiles * (kBytesPerTile + components * kBytesPerTileComponent);
    if (bookkeeping > budget)
        return false;
    const std::uint64_t pixels = std::uint64_t{picture.width} * picture.height;
    const std::uint64_t planes = components + (picture.palette ? 3 : 0);
    return pixels <= (budget - bookkeeping) / 4 / planes;
}

GpStatus ProbeJp2(QByteArrayView file, const FileFacts& /*facts*/, FrameHeader* header)
{
    header->kind = IsJp2(file) ? &kJp2Kinds[0] : &kJp2Kinds[1];
    const std::optional<Jp2Picture> picture = ReadJp2File(file).picture;
    if (!picture || picture->width > INT32_MAX || picture->height > INT32_MAX) {
        qCInfo(lcImaging, "the JPEG 2000 header is cut short or damaged");
        return UnknownImageFormat;
    }
    const QSize size(static_cast<int>(picture->width), static_cast<int>(picture->height));
    const std::uint64_t budget = PixelBudgetFor(file.size());
    if (!WithinPixelBudget(size, budget) || !WithinDecoderBudget(*picture, budget))
        return OutOfMemory;
    header->size = size;
    return Ok;
}

void ReadJp2Structure(QByteArrayView file, FileStructure* out)
{
    const Jp2File jp2 = ReadJp2File(file);
    // Within the budget item values have, as every packet the walk keeps.
    if (jp2.xmp.size() <= ItemBudget::kValueBytesPerFile)
        out->xmp = jp2.xmp.toByteArray();
    if (jp2.iccProfile.size() <= ItemBudget::kValueBytesPerFile)
        out->iccProfile = jp2.iccProfile;
}

}  // namespace

const FormatReader kJp2Format{
    .format = FileFormat::Jp2,
    .kinds = kJp2Kinds,
    .matches = IsJpeg2000,
    .read = ReadJp2,
    .probe = ProbeJp2,
    .structure = ReadJp2Structure,
};

}  // namespace veltra::imaging
