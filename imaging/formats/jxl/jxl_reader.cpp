#include "formats/jxl/jxl_reader.h"

#include "formats/jxl/jxl_codec.h"
#include "formats/jxl/jxl_container.h"
#include "formats/jxl/jxl_header.h"
#include "formats/pixel_budget.h"
#include "imaging/iso_boxes.h"
#include "imaging/logging.h"
#include "imaging/orientation.h"
#include "metadata/ifd_walker.h"

namespace veltra::imaging {
namespace {

bool IsJxl(QByteArrayView head)
{
    return head.startsWith(kJxlCodestreamSignature) || head.startsWith(kJxlContainerSignature);
}

std::optional<JxlHeader> HeaderOf(QByteArrayView file)
{
    std::optional<JxlHeader> header =
        ReadJxlHeader(ReadJxlFile(file, JxlMetadata::Skipped).codestreamStart);
    if (!header)
        qCInfo(lcImaging, "the JPEG XL codestream's headers are cut short or damaged");
    return header;
}

PixelFormat PixelFormatOf(const JxlHeader& header)
{
    const bool deep = header.bitsPerSample > 8;
    if (header.grey && !header.alpha)
        return deep ? PixelFormat16bppGrayScale : PixelFormat8bppIndexed;
    if (header.alpha)
        return deep ? PixelFormat64bppARGB : PixelFormat32bppARGB;
    return deep ? PixelFormat48bppRGB : PixelFormat24bppRGB;
}

QByteArray TypeName(std::uint32_t type)
{
    QByteArray name(4, '\0');
    for (int index = 0; index < 4; ++index)
        name[index] = static_cast<char>(type >> (24 - 8 * index));
    return name;
}

FileFacts ReadJxl(QByteArrayView file)
{
    FileFacts facts;
    const JxlFile jxl = ReadJxlFile(file);
    if (const std::optional<JxlHeader> header = ReadJxlHeader(jxl.codestreamStart)) {
        facts.pixelFormat = PixelFormatOf(*header);
        facts.containerTurn = UprightTurnFor(static_cast<std::uint16_t>(header->orientation))
                                  .value_or(RotateNoneFlipNone);
    }
    // The first Exif box, compressed or not; its orientation is listed as stored.
    for (const JxlMetadataBox& box : jxl.metadata) {
        if (box.type == BoxType("Exif")) {
            facts.properties =
                PropertySet(ReadTiffItems(TiffOfExifBox(box.content), TiffStructure::ExifBlock));
            break;
        }
    }
    return facts;
}

// libjxl 0.7 takes its image planes from the heap, past any memory manager: 32 bits a sample
// for every channel (colour and extra) of the whole picture in lossless decoding, the same for
// the XYB planes of lossy. Those planes, as well as the picture, must fit the file's budget.
bool WithinDecoderBudget(const JxlHeader& header, std::uint64_t budget)
{
    const std::uint64_t pixels = std::uint64_t{header.width} * header.height;
    constexpr std::uint64_t kBytesPerSample = 4;
    const auto channels = static_cast<std::uint64_t>(header.channels);
    return pixels <= budget / kBytesPerSample / channels;
}

GpStatus ProbeJxl(QByteArrayView file, const FileFacts& /*facts*/, FrameHeader* frame)
{
    const std::optional<JxlHeader> header = HeaderOf(file);
    if (!header)
        return UnknownImageFormat;
    const std::uint64_t budget = PixelBudgetFor(file.size());
    const QSize stored(static_cast<int>(std::min<std::uint32_t>(header->width, INT32_MAX)),
                       static_cast<int>(std::min<std::uint32_t>(header->height, INT32_MAX)));
    if (!WithinPixelBudget(stored, budget) || !WithinDecoderBudget(*header, budget)) {
        qCInfo(lcImaging, "a JPEG XL of %ux%u with %d channels is past the pixel budget",
               header->width, header->height, header->channels);
        return OutOfMemory;
    }
    // Delivered upright: the size is the upright one.
    frame->size = header->orientation >= 5 ? stored.transposed() : stored;
    return Ok;
}

void ReadJxlStructure(QByteArrayView file, FileStructure* out)
{
    const JxlFile jxl = ReadJxlFile(file);
    JpegXlStructure structure;
    structure.container = jxl.container;
    structure.jpegReconstruction = jxl.jpegReconstruction;
    if (const std::optional<JxlHeader> header = ReadJxlHeader(jxl.codestreamStart)) {
        structure.bitsPerSample = header->bitsPerSample;
        structure.exponentBitsPerSample = header->exponentBitsPerSample;
        structure.alpha = header->alpha;
        structure.grey = header->grey;
        structure.xybEncoded = header->xybEncoded;
        structure.animation = header->animation;
        structure.orientation = header->orientation;
    }
    for (const JxlMetadataBox& box : jxl.metadata) {
        structure.metadataBoxes.push_back(
            {TypeName(box.type), box.storedSize, box.brotliCompressed});
        if (box.type == BoxType("xml ") && out->xmp.isEmpty())
            out->xmp = box.content;
    }
    out->jpegXl = std::move(structure);
}

constexpr ContentKind kJxlKinds[]{
    {.name = "jxl", .extensions = "jxl", .mimeTypes = "image/jxl"},
};

}  // namespace

const FormatReader kJxlFormat{
    .format = FileFormat::Jxl,
    .kinds = kJxlKinds,
    .matches = IsJxl,
    .read = ReadJxl,
    .containerOrientsPicture = true,
    .probe = ProbeJxl,
    .structure = ReadJxlStructure,
};

}  // namespace veltra::imaging
