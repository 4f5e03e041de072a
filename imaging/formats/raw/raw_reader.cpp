#include "formats/raw/raw_reader.h"

#include "formats/jpeg/jpeg_frame_size.h"
#include "formats/pixel_budget.h"
#include "formats/raw/raw_containers.h"
#include "formats/raw/raw_frame.h"
#include "formats/raw/raw_directories.h"
#include "formats/raw/raw_signature.h"
#include "imaging/logging.h"
#include "imaging/property_tags.h"
#include "metadata/ifd_walker.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace veltra::imaging {
namespace {

constexpr PROPID kUniqueCameraModel = 0xC614;
// Panasonic's own raw tags in IFD0 run up to 0x2F; the TIFF tags start at NewSubfileType.
constexpr PROPID kFirstTiffTag = PropertyTagNewSubfileType;
// What the previews of one raw may keep of their bytes for comparing with the picture.
constexpr qsizetype kPreviewBytesKept = qsizetype{64} << 20;

bool IsCameraRaw(QByteArrayView head)
{
    return SniffCameraRaw(head).has_value();
}

GUID RawFormatOf(QByteArrayView head)
{
    return TiffByteOrder(head) ? ImageFormatTIFF : ImageFormatOtherDecoded;
}

PropertyRecords Joined(PropertyRecords first, PropertyRecords second)
{
    first.insert(first.end(), std::make_move_iterator(second.begin()),
                 std::make_move_iterator(second.end()));
    return first;
}

PropertyRecords ReadRawItems(QByteArrayView file, const RawSignature& signature)
{
    ItemBudget budget;
    switch (signature.container) {
    case RawContainer::Tiff: return ReadTiffItems(file, TiffStructure::File, budget);
    case RawContainer::TiffLike: {
        const ByteOrder order = file.startsWith("MM") ? ByteOrder::Big : ByteOrder::Little;
        const bool panasonic = signature.kind == RawKind::Rw2 || signature.kind == RawKind::Rwl;
        return ReadTiffLikeItems(file, order, TiffStructure::File, budget,
                                 panasonic ? kFirstTiffTag : 0);
    }
    case RawContainer::Cr3: {
        // Canon keeps IFD0, the Exif directory and the GPS directory apart, each a TIFF
        // structure of its own; read in turn they list as if IFD0 pointed to the others.
        const Cr3Boxes boxes = ReadCr3Boxes(file);
        PropertyRecords items = ReadTiffItems(boxes.cmt1, TiffStructure::File, budget);
        items = Joined(std::move(items), ReadTiffItems(boxes.cmt2, TiffStructure::File, budget));
        return Joined(std::move(items), ReadTiffItems(boxes.cmt4, TiffStructure::File, budget));
    }
    case RawContainer::Raf:
        return ReadTiffItems(JpegExifBlock(RafJpeg(file)), TiffStructure::ExifBlock, budget);
    case RawContainer::Mrw: return ReadTiffItems(MrwTiffBlock(file), TiffStructure::File, budget);
    case RawContainer::Crw: return ReadCiffItems(file, budget);
    }
    return {};
}

FileFacts ReadCameraRaw(QByteArrayView file)
{
    FileFacts facts;
    const std::optional<RawSignature> signature = SniffCameraRaw(file);
    if (!signature)
        return facts;
    facts.properties = PropertySet(ReadRawItems(file, *signature));
    facts.pixelFormat = PixelFormat48bppRGB;
    facts.resolution = ResolutionFromTiffTags(facts.properties).value_or(Resolution{});
    return facts;
}

bool HasText(const PropertySet& properties, PROPID id)
{
    const PropertyRecord* item = properties.find(id);
    return item && !item->value.isEmpty() && item->value.front() != '\0';
}

// LibRaw takes a file whose headers name no camera for a headerless sensor dump when its
// size is one of a list of known sizes, whatever the file holds. Only raws that name their
// camera where LibRaw reads it are given to LibRaw.
bool NamesItsCamera(const PropertySet& properties, RawContainer container)
{
    return container == RawContainer::Cr3 || HasText(properties, PropertyTagEquipMake) ||
           HasText(properties, kUniqueCameraModel);
}

GpStatus ProbeCameraRaw(QByteArrayView file, const FileFacts& facts, FrameHeader* header)
{
    const std::optional<RawSignature> signature = SniffCameraRaw(file);
    if (!signature)
        return UnknownImageFormat;
    header->kind = &ContentKindOf(signature->kind);
    if (!NamesItsCamera(facts.properties, signature->container)) {
        qCInfo(lcImaging, "the raw names no camera; it is not taken for one by its size alone");
        header->refusal = LoadFailureReason::DamagedHeader;
        return UnknownImageFormat;
    }
    RawFrame frame;
    if (const GpStatus status = ReadRawFrame(file, &frame, &header->refusal); status != Ok)
        return status;
    if (frame.size.isEmpty())
        return UnknownImageFormat;
    if (!WithinPixelBudget(frame.size, PixelBudgetFor(file.size())))
        return OutOfMemory;
    header->size = frame.size;
    header->containerTurn = frame.turn;
    header->decodedPixelFormat = PixelFormat48bppRGB;
    return Ok;
}

// ---------------------------------------------------------------------------------------------
// What the analysis reads

RawPreview PreviewOf(QByteArrayView file, const RawDirectory& directory)
{
    RawPreview preview;
    preview.location = directory.name;
    preview.size = QSize(int(directory.width), int(directory.height));
    preview.bytes = qsizetype(std::min<std::uint64_t>(directory.dataBytes, 1ULL << 40));
    const bool jpeg = directory.compression == 6 || directory.compression == 7;
    preview.format = jpeg ? "jpeg" : "rgb";
    if (!directory.firstData || !directory.dataInsideFile || directory.dataPieces != 1)
        return preview;
    const QByteArrayView data =
        file.sliced(directory.firstData->offset, directory.firstData->length);
    if (jpeg) {
        preview.file = data.toByteArray();
        if (preview.size.isEmpty())
            ReadJpegFrameSize(data, &preview.size);
    } else if (std::uint64_t(directory.width) * directory.height * 3 == std::uint64_t(data.size())) {
        preview.file = "P6\n" + QByteArray::number(directory.width) + ' ' +
                       QByteArray::number(directory.height) + "\n255\n" + data.toByteArray();
    }
    return preview;
}

bool IsPreview(const RawDirectory& directory)
{
    if (directory.holdsSensorData() || !directory.firstData)
        return false;
    const bool jpeg = directory.compression == 6 || directory.compression == 7;
    const bool rgb = directory.compression == 1 && directory.samplesPerPixel == 3 &&
                     directory.bitsPerSample == 8 && directory.photometric == 2;
    return jpeg || rgb;
}

// Proportions within a hundredth of each other: a camera's preview often leaves out a few
// columns or rows of the margins the development keeps (6000 x 4000 beside 6016 x 4016).
bool SameProportions(QSize preview, QSize picture)
{
    const double previewAspect = double(preview.width()) / preview.height();
    const double pictureAspect = double(picture.width()) / picture.height();
    return std::abs(previewAspect / pictureAspect - 1.0) <= 0.01;
}

std::vector<QByteArrayView> JpegPreviewsOf(QByteArrayView file, const RawSignature& signature)
{
    std::vector<QByteArrayView> jpegs;
    if (signature.container == RawContainer::Tiff || signature.container == RawContainer::TiffLike) {
        const RawDirectories directories =
            ReadRawDirectories(file, file.startsWith("MM") ? ByteOrder::Big : ByteOrder::Little);
        for (const RawDirectory& directory : directories.directories) {
            const bool jpeg = directory.compression == 6 || directory.compression == 7;
            if (jpeg && IsPreview(directory) && directory.dataInsideFile &&
                directory.dataPieces == 1)
                jpegs.push_back(file.sliced(qsizetype(directory.firstData->offset),
                                            qsizetype(directory.firstData->length)));
        }
    } else if (signature.container == RawContainer::Cr3) {
        const Cr3Boxes boxes = ReadCr3Boxes(file);
        jpegs = {boxes.thumbnailJpeg, boxes.previewJpeg};
    } else if (signature.container == RawContainer::Raf) {
        jpegs.push_back(RafJpeg(file));
    }
    return jpegs;
}

// The largest JPEG preview that shows the whole developed picture once turned as the camera
// recorded it. One of other proportions is cropped or padded, and one stored upright already
// would come out turned twice (its proportions tell, unless the picture is square): neither
// may stand in for the picture.
QByteArrayView LargestWholePreview(QByteArrayView file, const FrameHeader& header)
{
    const std::optional<RawSignature> signature = SniffCameraRaw(file);
    if (!signature || header.size.isEmpty())
        return {};
    const bool quarterTurn = int(header.containerTurn.value_or(RotateNoneFlipNone)) & 1;
    QByteArrayView largest;
    qint64 largestArea = 0;
    for (const QByteArrayView jpeg : JpegPreviewsOf(file, *signature)) {
        QSize size;
        if (jpeg.isEmpty() || ReadJpegFrameSize(jpeg, &size) != Ok || size.isEmpty())
            continue;
        const QSize upright = quarterTurn ? size.transposed() : size;
        const qint64 area = qint64(size.width()) * size.height();
        if (SameProportions(upright, header.size) && area > largestArea) {
            largest = jpeg;
            largestArea = area;
        }
    }
    return largest;
}

RawPreview JpegPreview(QByteArray location, QByteArrayView jpeg)
{
    RawPreview preview;
    preview.location = std::move(location);
    preview.format = "jpeg";
    preview.bytes = jpeg.size();
    preview.file = jpeg.toByteArray();
    ReadJpegFrameSize(jpeg, &preview.size);
    return preview;
}

std::vector<RawPreview> PreviewsOf(QByteArrayView file, const RawSignature& signature,
                                   const RawDirectories* directories)
{
    std::vector<RawPreview> previews;
    if (directories) {
        for (const RawDirectory& directory : directories->directories) {
            if (IsPreview(directory))
                previews.push_back(PreviewOf(file, directory));
        }
    }
    if (signature.container == RawContainer::Cr3) {
        const Cr3Boxes boxes = ReadCr3Boxes(file);
        if (!boxes.thumbnailJpeg.isEmpty())
            previews.push_back(JpegPreview("THMB box", boxes.thumbnailJpeg));
        if (!boxes.previewJpeg.isEmpty())
            previews.push_back(JpegPreview("PRVW box", boxes.previewJpeg));
    } else if (signature.container == RawContainer::Raf) {
        if (const QByteArrayView jpeg = RafJpeg(file); !jpeg.isEmpty())
            previews.push_back(JpegPreview("JPEG of the header", jpeg));
    }
    return previews;
}

void ReadCameraRawStructure(QByteArrayView file, FileStructure* out)
{
    const std::optional<RawSignature> signature = SniffCameraRaw(file);
    if (!signature)
        return;
    CameraRawStructure raw;
    std::optional<RawDirectories> directories;
    if (signature->container == RawContainer::Tiff || signature->container == RawContainer::TiffLike)
        directories = ReadRawDirectories(file, file.startsWith("MM") ? ByteOrder::Big
                                                                     : ByteOrder::Little);
    if (directories) {
        raw.dngVersion = directories->dngVersion;
        for (const RawDirectory& directory : directories->directories) {
            if (directory.holdsSensorData() && directory.subfileType == 0) {
                raw.bitsPerSample = int(directory.bitsPerSample);
                break;
            }
        }
    }
    raw.previews = PreviewsOf(file, *signature, directories ? &*directories : nullptr);

    RawFrame frame;
    LoadFailureReason refusal = LoadFailureReason::None;
    if (ReadRawFrame(file, &frame, &refusal) == Ok) {
        raw.make = frame.make;
        raw.model = frame.model;
        raw.sensorSize = frame.sensorSize;
        raw.visibleArea = frame.visibleArea;
        raw.developedSize = frame.size;
        raw.cfaPattern = frame.cfaPattern;
        raw.whiteLevel = frame.whiteLevel;
        // LibRaw hands its preview over with a header of its own added; the one it offers is
        // the one of its size and length.
        auto same = std::find_if(raw.previews.begin(), raw.previews.end(),
                                 [&frame](const RawPreview& preview) {
                                     return preview.size == frame.previewSize &&
                                            preview.bytes == frame.previewBytes;
                                 });
        const QByteArray offered =
            same == raw.previews.end() ? RawPreviewFile(file) : QByteArray();
        if (same != raw.previews.end()) {
            same->offeredByLibRaw = true;
        } else if (!offered.isEmpty()) {
            RawPreview preview = offered.startsWith("\xFF\xD8") ? JpegPreview("LibRaw", offered)
                                                                : RawPreview{};
            if (preview.location.isEmpty()) {
                preview.location = "LibRaw";
                preview.format = "rgb";
                preview.size = frame.previewSize;
                preview.bytes = offered.size();
                preview.file = offered;
            }
            preview.offeredByLibRaw = true;
            raw.previews.push_back(std::move(preview));
        }
    } else {
        raw.libraryAvailable = refusal != LoadFailureReason::CodecUnavailable;
    }
    // The previews' bytes, largest last, are kept while they fit.
    qsizetype kept = 0;
    for (RawPreview& preview : raw.previews) {
        if (kept + preview.file.size() > kPreviewBytesKept)
            preview.file.clear();
        kept += preview.file.size();
    }
    out->cameraRaw = std::move(raw);
}

}  // namespace

const FormatReader kCameraRawFormat{
    .format = FileFormat::CameraRaw,
    .rawFormat = ImageFormatOtherDecoded,
    .rawFormatOf = RawFormatOf,
    .kinds = kRawContentKinds,
    .matches = IsCameraRaw,
    .read = ReadCameraRaw,
    .containerOrientsPicture = true,
    .probe = ProbeCameraRaw,
    .structure = ReadCameraRawStructure,
    .embeddedPicture = LargestWholePreview,
};

}  // namespace veltra::imaging
