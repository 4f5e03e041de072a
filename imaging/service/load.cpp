// Life and decoding: reading a file once, deciding its format from its content, learning what
// its structure says and decoding its first frame.

#include "formats/format_registry.h"
#include "imaging/gdiplus.h"
#include "imaging/logging.h"
#include "service/decode_ahead.h"
#include "service/gp_image.h"
#include "service/mapped_file.h"
#include "service/pixel_half.h"
#include "service/regular_file.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace veltra::imaging {
namespace {

std::atomic<bool> g_decodeAhead{false};

void PrepareDecoders()
{
    // Decoders complain about damaged files on standard error; those messages belong in the
    // log that a user can turn on, not on the terminal.
    RouteLibraryMessagesToLog();
    // The decoders' own limits and handlers, when the program has them; a module that is
    // opened later prepares them as it opens.
    if (const PixelHalf* half = PresentPixelHalf())
        half->prepare();
}

// Why a format's decoder refused a file whose first bytes it matched.
LoadFailureReason RefusalReason(const FormatReader& reader, const FrameHeader& header,
                                GpStatus status)
{
    if (header.refusal != LoadFailureReason::None)
        return header.refusal;
    if (status == OutOfMemory)
        return LoadFailureReason::OverPixelBudget;
    if (reader.format == FileFormat::Unknown)
        return LoadFailureReason::NoDecoder;
    return LoadFailureReason::DamagedHeader;
}

GpStatus LoadFromBytes(QByteArray bytes, const std::shared_ptr<const MappedFile>& mapping,
                       const QString& filename, const LoadOptions& options, GpBitmap** bitmap,
                       LoadFailure* failure);

}  // namespace

void EnableDecodeAhead(bool enabled)
{
    g_decodeAhead = enabled;
}

bool DecodesAhead()
{
    return g_decodeAhead;
}

GpStatus GdiplusStartup(std::uintptr_t* token, const GdiplusStartupInput* input, void* /*output*/)
{
    if (!token || !input || input->GdiplusVersion != 1)
        return InvalidParameter;
    PrepareDecoders();
    EnableDecodeAhead(!input->SuppressBackgroundThread);
    *token = 1;
    return Ok;
}

GpStatus GdipCreateBitmapFromFile(const QString& filename, GpBitmap** bitmap)
{
    return LoadBitmapFromFile(filename, bitmap, nullptr);
}

GpStatus CreateBitmapFromBytes(QByteArray bytes, GpBitmap** bitmap)
{
    return LoadBitmapFromBytes(std::move(bytes), bitmap, nullptr);
}

GpStatus LoadBitmapFromFile(const QString& filename, GpBitmap** bitmap, LoadFailure* failure)
{
    return CreateBitmapFromFileWithOptions(filename, LoadOptions{}, bitmap, failure);
}

GpStatus LoadBitmapFromBytes(QByteArray bytes, GpBitmap** bitmap, LoadFailure* failure)
{
    return LoadFromBytes(std::move(bytes), nullptr, QString(),
                         LoadOptions{.decodeAhead = false, .viewSize = QSize()}, bitmap, failure);
}

GpStatus CreateBitmapFromFileWithOptions(const QString& filename, const LoadOptions& options,
                                         GpBitmap** bitmap, LoadFailure* failure)
{
    if (!bitmap)
        return InvalidParameter;
    *bitmap = nullptr;
    LoadFailure ignored;
    if (!failure)
        failure = &ignored;
    *failure = {};

    // The file is read (or mapped) once; everything below works on these bytes.
    QByteArray bytes;
    std::shared_ptr<const MappedFile> mapping;
    try {
        GpStatus status = options.mapFile
                              ? MappedFile::Map(filename, &mapping, &failure->reason)
                              : ReadRegularFile(filename, &bytes, &failure->reason);
        if (status == Ok && mapping && options.mapOnlyFilesWithPreviews &&
            !ReaderFor(mapping->bytes()).embeddedPicture) {
            mapping.reset();
            status = ReadRegularFile(filename, &bytes, &failure->reason);
        }
        if (status != Ok)
            return status;
    } catch (const std::bad_alloc&) {
        failure->reason = LoadFailureReason::OutOfMemory;
        return OutOfMemory;
    }
    if (!mapping)
        return LoadFromBytes(std::move(bytes), nullptr, filename, options, bitmap, failure);
    GpStatus status = LoadFromBytes(mapping->bytes(), mapping, filename, options, bitmap, failure);
    // What the failure keeps of the file must outlive the mapping.
    failure->head = QByteArray(failure->head.constData(), failure->head.size());
    if (status == Ok && mapping->cutShort()) {
        GdipDisposeImage(*bitmap);
        *bitmap = nullptr;
        failure->reason = LoadFailureReason::ReadError;
        status = Win32Error;
    }
    if (status == Ok)
        (*bitmap)->holdMappedFile(std::move(mapping));
    return status;
}

namespace {

// Every load: the facts at once, the pixels when first needed or ahead, as the options say.
GpStatus LoadFromBytes(QByteArray bytes, const std::shared_ptr<const MappedFile>& mapping,
                       const QString& filename, const LoadOptions& options, GpBitmap** bitmap,
                       LoadFailure* failure)
{
    if (!bitmap)
        return InvalidParameter;
    *bitmap = nullptr;
    LoadFailure ignored;
    if (!failure)
        failure = &ignored;
    *failure = {};
    PrepareDecoders();
    if (bytes.isEmpty()) {
        failure->reason = LoadFailureReason::Empty;
        return UnknownImageFormat;
    }
    failure->head = bytes.first(std::min(bytes.size(), kLoadFailureHeadBytes));

    try {
        const FormatReader& reader = ReaderFor(bytes);
        if (reader.format != FileFormat::Unknown)
            failure->contentKind = reader.mainKind().name;
        FileFacts facts = reader.read(bytes);
        FrameHeader header;
        const GpStatus status = ProbeFirstFrame(reader, bytes, facts, &header);
        if (status != Ok) {
            qCInfo(lcImaging) << "no decoder accepts the file, status" << status;
            failure->reason = RefusalReason(reader, header, status);
            if (header.kind)
                failure->contentKind = header.kind->name;
            return status;
        }
        if (header.kind)
            failure->contentKind = header.kind->name;
        if (facts.tooLittleDataForDeclaredSize) {
            qCInfo(lcImaging, "the file's data cannot hold the picture its header declares");
            failure->reason = LoadFailureReason::TooLittleData;
            return UnknownImageFormat;
        }
        const PixelFormat pixelFormat =
            facts.pixelFormat.value_or(header.decodedPixelFormat.value_or(PixelFormat32bppARGB));
        const GUID rawFormat = reader.rawFormatOf ? reader.rawFormatOf(bytes) : reader.rawFormat;
        const Resolution resolution = facts.resolution;
        PropertySet properties = facts.properties;
        // The kind the decoder found names the content: a PPM, not the anymap decoder's name.
        const QByteArray contentFormat(header.kind ? header.kind->name : reader.mainKind().name);
        // Shared with the decoder's hold on them, not copied.
        const QByteArray keptBytes = options.keepFileBytes ? bytes : QByteArray();
        const RotateFlipType containerTurn = header.containerTurn.value_or(facts.containerTurn);
        // The pixels are decoded when first asked for; a report never asks.
        PendingPixels pending{.file = std::move(bytes),
                              .mapping = mapping,
                              .reader = &reader,
                              .facts = std::move(facts),
                              .header = std::move(header)};
        auto image = std::make_unique<GpImage>(std::move(pending), rawFormat, pixelFormat,
                                               resolution, std::move(properties));
        if (options.decodeAhead) {
            const PixelHalf* half = Pixels();
            if (!half) {
                failure->reason = LoadFailureReason::CodecUnavailable;
                return Win32Error;
            }
            half->decodeAhead(*image, filename, options.viewSize);
        }
        *bitmap = image.release();
        (*bitmap)->setContentFormat(contentFormat);
        if (options.keepFileBytes)
            (*bitmap)->keepFileBytes(keptBytes);
        if (reader.containerOrientsPicture)
            (*bitmap)->setOrientedByContainer(containerTurn);
        *failure = {};
        return Ok;
    } catch (const std::bad_alloc&) {
        failure->reason = LoadFailureReason::OutOfMemory;
        return OutOfMemory;
    }
}

}  // namespace

GpStatus GdipDisposeImage(GpImage* image)
{
    if (!image)
        return InvalidParameter;
    delete image;
    return Ok;
}

}  // namespace veltra::imaging
