#include "formats/gif/gif_reader.h"

#include "formats/pixel_budget.h"
#include "imaging/logging.h"
#include "imaging/property_tags.h"
#include "metadata/item_budget.h"
#include "util/byte_reader.h"
#include "util/byte_writer.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace veltra::imaging {
namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kPlainTextLabel = 0x01;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kCommentLabel = 0xFE;
constexpr std::uint8_t kApplicationLabel = 0xFF;

constexpr qsizetype kHeaderSize = 6;
constexpr qsizetype kScreenDescriptorSize = 7;
constexpr qsizetype kImageDescriptorSize = 9;

// Size in bytes of a colour table announced by a packed field's low three bits.
qsizetype ColourTableSize(std::uint8_t packed)
{
    return qsizetype{3} << ((packed & 0x07) + 1);
}

struct SubBlocks {
    QByteArray joined;   // the payloads one after the other
    QByteArrayView first;
    qsizetype end = 0;   // offset after the terminating empty block
};

// The data sub-blocks starting at `at`, or nothing when the file ends before their
// terminator. Skipping them is how image data is passed over without decoding it.
std::optional<SubBlocks> ReadSubBlocks(QByteArrayView file, qsizetype at, bool join)
{
    SubBlocks blocks;
    bool firstSeen = false;
    while (at < file.size()) {
        const qsizetype size = ByteAt(file, at);
        ++at;
        if (size == 0) {
            blocks.end = at;
            return blocks;
        }
        if (at + size > file.size())
            return std::nullopt;
        const QByteArrayView payload = file.sliced(at, size);
        if (!firstSeen) {
            blocks.first = payload;
            firstSeen = true;
        }
        if (join)
            blocks.joined.append(payload);
        at += size;
    }
    return std::nullopt;
}

struct GraphicControl {
    std::uint16_t delay = 0;
    std::optional<std::uint8_t> transparentIndex;
};

// The first image's descriptor: where it lies on the logical screen, and whether a control
// extension before it marks a transparent index.
struct FirstImage {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int lzwMinimumCodeSize = 0;
    bool transparent = false;
};

struct GifBlocks {
    std::optional<FirstImage> firstImage;
    std::vector<std::uint32_t> frameDelays;
    std::optional<QByteArray> comment;
    std::optional<std::uint16_t> loopCount;
    std::optional<std::uint8_t> firstFrameTransparentIndex;
    // Just past the trailer, when the walk reached it.
    std::optional<qsizetype> end;
};

void ReadExtension(std::uint8_t label, const SubBlocks& blocks,
                   std::optional<GraphicControl>& pendingControl, GifBlocks& facts)
{
    if (label == kGraphicControlLabel && blocks.first.size() >= 4) {
        GraphicControl control;
        control.delay = ReadLittle16(blocks.first, 1);
        if (ByteAt(blocks.first, 0) & 0x01)
            control.transparentIndex = ByteAt(blocks.first, 3);
        pendingControl = control;
    } else if (label == kPlainTextLabel) {
        // Text drawn on the canvas is a graphic block of its own and uses up the control
        // extension before it; the next image has none.
        pendingControl.reset();
    } else if (label == kCommentLabel && !facts.comment) {
        facts.comment = blocks.joined;
    } else if (label == kApplicationLabel && !facts.loopCount &&
               (blocks.first == "NETSCAPE2.0" || blocks.first == "ANIMEXTS1.0")) {
        // The identifier's block is followed by one of 3 bytes: 1, then the count.
        const QByteArrayView data = QByteArrayView(blocks.joined).sliced(blocks.first.size());
        if (data.size() >= 3 && ByteAt(data, 0) == 1)
            facts.loopCount = ReadLittle16(data, 1);
    }
}

enum class WalkUntil { FirstImage, End };

GifBlocks WalkBlocks(QByteArrayView file, qsizetype at, WalkUntil until = WalkUntil::End)
{
    GifBlocks facts;
    // A graphic control extension applies to the next image only.
    std::optional<GraphicControl> pendingControl;
    while (at < file.size()) {
        const std::uint8_t introducer = ByteAt(file, at);
        if (introducer == kExtensionIntroducer) {
            if (at + 1 >= file.size())
                break;
            const std::uint8_t label = ByteAt(file, at + 1);
            const std::optional<SubBlocks> blocks = ReadSubBlocks(file, at + 2, true);
            if (!blocks)
                break;
            ReadExtension(label, *blocks, pendingControl, facts);
            at = blocks->end;
        } else if (introducer == kImageSeparator) {
            if (at + 1 + kImageDescriptorSize > file.size())
                break;
            const std::uint8_t packed = ByteAt(file, at + kImageDescriptorSize);
            if (facts.frameDelays.empty()) {
                const qsizetype lzwAt =
                    at + 1 + kImageDescriptorSize + ((packed & 0x80) ? ColourTableSize(packed) : 0);
                if (lzwAt < file.size()) {
                    facts.firstImage = FirstImage{
                        ReadLittle16(file, at + 1), ReadLittle16(file, at + 3),
                        ReadLittle16(file, at + 5), ReadLittle16(file, at + 7), ByteAt(file, lzwAt),
                        pendingControl && pendingControl->transparentIndex.has_value()};
                }
                if (until == WalkUntil::FirstImage)
                    break;
            }
            facts.frameDelays.push_back(pendingControl ? pendingControl->delay : 0);
            if (facts.frameDelays.size() == 1 && pendingControl)
                facts.firstFrameTransparentIndex = pendingControl->transparentIndex;
            pendingControl.reset();
            at += 1 + kImageDescriptorSize;
            if (packed & 0x80)
                at += ColourTableSize(packed);
            // The LZW minimum code size, then the image data.
            ++at;
            if (at >= file.size())
                break;
            const std::optional<SubBlocks> imageData = ReadSubBlocks(file, at, false);
            if (!imageData)
                break;
            at = imageData->end;
        } else {
            // The trailer, or a byte that starts no block: the file's structure ends here.
            if (introducer == kTrailer)
                facts.end = at + 1;
            break;
        }
    }
    return facts;
}

bool IsGif(QByteArrayView head)
{
    return head.startsWith("GIF87a") || head.startsWith("GIF89a");
}

// Where the blocks start: after the header, the screen descriptor and the global palette.
qsizetype FirstBlockAt(QByteArrayView file)
{
    const std::uint8_t screenPacked = ByteAt(file, kHeaderSize + 4);
    qsizetype at = kHeaderSize + kScreenDescriptorSize;
    if (screenPacked & 0x80)
        at += ColourTableSize(screenPacked);
    return at;
}

PropertyRecords GifItems(QByteArrayView file)
{
    PropertyRecords items;
    if (file.size() < kHeaderSize + kScreenDescriptorSize)
        return items;
    const std::uint8_t screenPacked = ByteAt(file, kHeaderSize + 4);
    const std::uint8_t backgroundIndex = ByteAt(file, kHeaderSize + 5);
    const qsizetype at = FirstBlockAt(file);
    std::optional<QByteArrayView> globalPalette;
    if ((screenPacked & 0x80) && at <= file.size())
        globalPalette = file.sliced(kHeaderSize + kScreenDescriptorSize, ColourTableSize(screenPacked));
    const GifBlocks facts = WalkBlocks(file, at);

    if (!facts.frameDelays.empty()) {
        QByteArray delays;
        for (std::uint32_t delay : facts.frameDelays)
            AppendLittle32(delays, delay);
        items.push_back(PropertyRecord{PropertyTagFrameDelay, TiffType::Long, delays});
    }
    // Comment sub-blocks can fill a whole file; the comment is listed only within the budget.
    if (facts.comment && facts.comment->size() <= ItemBudget::kValueBytesPerFile)
        items.push_back(PropertyRecord{PropertyTagExifUserComment, TiffType::Ascii, *facts.comment});
    items.push_back(PropertyRecord{PropertyTagLoopCount, TiffType::Short,
                                   Little16(facts.loopCount.value_or(1))});
    if (globalPalette) {
        items.push_back(
            PropertyRecord{PropertyTagGlobalPalette, TiffType::Byte, globalPalette->toByteArray()});
        items.push_back(PropertyRecord{PropertyTagIndexBackground, TiffType::Byte,
                                       QByteArray(1, static_cast<char>(backgroundIndex))});
    }
    if (facts.firstFrameTransparentIndex) {
        const auto index = static_cast<char>(*facts.firstFrameTransparentIndex);
        items.push_back(
            PropertyRecord{PropertyTagIndexTransparent, TiffType::Byte, QByteArray(1, index)});
    }
    return items;
}

FileFacts ReadGif(QByteArrayView file)
{
    FileFacts facts;
    facts.pixelFormat = PixelFormat8bppIndexed;
    facts.properties = PropertySet(GifItems(file));
    return facts;
}

// Qt's GIF decoder paints every frame onto a canvas the size of the logical screen (or, where
// the screen says 0, as far as the first frame reaches), and refuses one of 16384 x 16384
// pixels or more, and an LZW code size past 12 bits.
constexpr std::uint64_t kDecoderCanvasPixelsRefused = std::uint64_t{16384} * 16384;
constexpr int kLargestLzwCodeSize = 12;

// Where the picture ends: just past the trailer.
void ReadGifStructure(QByteArrayView file, FileStructure* out)
{
    if (file.size() >= kHeaderSize + kScreenDescriptorSize)
        out->pictureEnd = WalkBlocks(file, FirstBlockAt(file)).end;
}

GpStatus ProbeGif(QByteArrayView file, const FileFacts& /*facts*/, FrameHeader* header)
{
    return ProbeGifLayout(file, header);
}

constexpr ContentKind kGifKinds[]{
    {.name = "gif", .extensions = "gif", .mimeTypes = "image/gif", .qtDecoder = "gif"},
};

}  // namespace

GpStatus ProbeGifLayout(QByteArrayView file, FrameHeader* header)
{
    if (file.size() < kHeaderSize + kScreenDescriptorSize)
        return UnknownImageFormat;
    const std::optional<FirstImage> image =
        WalkBlocks(file, FirstBlockAt(file), WalkUntil::FirstImage).firstImage;
    if (!image || image->lzwMinimumCodeSize > kLargestLzwCodeSize) {
        qCInfo(lcImaging, "the GIF has no first image the decoder can start on");
        return UnknownImageFormat;
    }
    const int screenWidth = ReadLittle16(file, kHeaderSize);
    const int screenHeight = ReadLittle16(file, kHeaderSize + 2);
    const QSize canvas(screenWidth > 0 ? screenWidth : image->left + image->width,
                       screenHeight > 0 ? screenHeight : image->top + image->height);
    if (canvas.isEmpty() ||
        std::uint64_t(canvas.width()) * std::uint64_t(canvas.height()) >=
            kDecoderCanvasPixelsRefused) {
        qCInfo(lcImaging, "the GIF decoder refuses a canvas of %d x %d", canvas.width(),
               canvas.height());
        if (!canvas.isEmpty())
            header->refusal = LoadFailureReason::OverPixelBudget;
        return UnknownImageFormat;
    }
    if (!WithinPixelBudget(canvas, PixelBudgetFor(file.size())))
        return OutOfMemory;
    header->size = canvas;
    header->decodedPixelFormat = image->transparent ? PixelFormat32bppARGB : PixelFormat24bppRGB;
    return Ok;
}

const FormatReader kGifFormat{
    .format = FileFormat::Gif,
    .rawFormat = ImageFormatGIF,
    .kinds = kGifKinds,
    .matches = IsGif,
    .read = ReadGif,
    .probe = ProbeGif,
    .structure = ReadGifStructure,
};

}  // namespace veltra::imaging
