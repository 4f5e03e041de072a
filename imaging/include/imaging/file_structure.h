#pragma once

// What a file holds besides its picture and its items: where the picture's data ends, how a
// JPEG was coded, the pictures and packets embedded in it. Read by the same walk of the
// file's structure as the items, for telling what a file hides and how it was made.

#include "imaging/gdiplus_types.h"
#include "imaging/heif_structure.h"

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace veltra::imaging {

class GpImage;

struct JpegComponent {
    int id = 0;
    int horizontalSampling = 1;
    int verticalSampling = 1;
    int quantisationTable = 0;
};

struct JpegFrame {
    std::uint8_t marker = 0;  // SOF0 (0xC0) to SOF15 (0xCF)
    int precision = 8;        // bits per sample
    int width = 0;
    int height = 0;
    std::vector<JpegComponent> components;
};

struct JpegQuantisationTable {
    int id = 0;
    int precision = 8;                    // 8 or 16 bits per step
    std::array<std::uint16_t, 64> steps{};  // in row-major (natural) order
};

// One picture of a Multi-Picture Format index (APP2 "MPF"), as its entry declares it.
struct MpfPicture {
    std::uint32_t attributes = 0;  // type code in the low 24 bits: 0x030000 baseline primary...
    std::uint32_t size = 0;
    std::uint32_t offset = 0;      // from the MPF header; 0 for the first picture
};

// Photoshop's thumbnail resource (APP13, 8BIM 0x040C or the older 0x0409).
struct PhotoshopThumbnail {
    int width = 0;
    int height = 0;
    QByteArray jpeg;  // the JFIF data, when the resource holds it (format 1)
};

// A Photoshop document's layers, as its layer records describe them (bottom first).
struct PhotoshopLayer {
    QString name;
    int width = 0;
    int height = 0;
    bool hidden = false;
};

// What a Photoshop document (PSD, or PSB for large ones) says of itself.
struct PhotoshopDocument {
    bool largeDocument = false;  // PSB
    int colorMode = 0;           // 0 bitmap, 1 grey, 2 indexed, 3 RGB, 4 CMYK, 7 multichannel,
                                 // 8 duotone, 9 Lab
    int depth = 0;               // bits a sample
    int channels = 0;
    int compression = -1;        // of the merged picture: 0 raw, 1 RLE, 2 ZIP, 3 ZIP predicted
    bool mergedAlpha = false;    // the merged picture has a transparency channel
    // What the version information resource says of the merged picture: whether it is the
    // layers' real composite. Photoshop writes a blank one when "maximize compatibility" is
    // off. Nothing when the document has no such resource.
    std::optional<bool> realMergedData;
    std::vector<PhotoshopLayer> layers;
};

// A JPEG XL's codestream header and container, for telling how it was made.
struct JpegXlStructure {
    bool container = false;  // boxes around the codestream, not a bare codestream
    // A "jbrd" box: the JPEG the picture was losslessly recompressed from can be restored
    // from the file byte for byte.
    bool jpegReconstruction = false;
    int bitsPerSample = 8;
    int exponentBitsPerSample = 0;  // 0 for integer samples
    bool alpha = false;
    bool grey = false;
    bool xybEncoded = true;  // coded in XYB, as lossy pictures are
    bool animation = false;
    int orientation = 1;  // the codestream's, which the decoder applies

    struct MetadataBox {
        QByteArray type;  // "Exif", "xml " or "jumb"
        qsizetype storedSize = 0;
        bool brotliCompressed = false;
    };
    std::vector<MetadataBox> metadataBoxes;  // in file order
};

// A picture a camera raw keeps beside its sensor data: a thumbnail or a preview.
struct RawPreview {
    // Where the file keeps it: "IFD0", "IFD0 SubIFD 2", "THMB box", "JPEG of the header".
    QByteArray location;
    QByteArray format;  // "jpeg", or "rgb" for 8-bit samples stored as they are
    QSize size;         // as its file declares it; empty when it does not
    qsizetype bytes = 0;
    // The picture as a file the service decodes (the JPEG, or the samples as a PPM); empty
    // when it cannot be had within the budget.
    QByteArray file;
    // The one LibRaw offers (and a window shows before the raw is developed).
    bool offeredByLibRaw = false;
};

// What a camera raw holds besides its items, as far as telling how it was made needs.
struct CameraRawStructure {
    // The camera, as LibRaw names it (makers' names shortened: "Nikon", not "NIKON
    // CORPORATION"); empty when the library cannot be opened.
    QByteArray make;
    QByteArray model;
    // The sensor data, margins included, the part of it that makes the picture, and the
    // developed picture, upright.
    QSize sensorSize;
    QRect visibleArea;
    QSize developedSize;
    // The colour filter pattern at the picture's top left ("RGGB"), "X-Trans", or empty for
    // samples of full colour.
    QByteArray cfaPattern;
    int bitsPerSample = 0;  // of the sensor data, as its directory declares it; 0 if unknown
    unsigned whiteLevel = 0;
    QByteArray dngVersion;  // "1.4.0.0"; empty for other raws
    std::vector<RawPreview> previews;
    bool libraryAvailable = true;
};

struct FileStructure {
    qsizetype fileSize = 0;
    // Just past the picture's own data (a JPEG's EOI, a PNG's IEND, a GIF's trailer, a WebP's
    // RIFF size), when the walk found that end; anything after it is not part of the picture.
    std::optional<qsizetype> pictureEnd;
    // The first bytes after the picture's end (at most 64 KiB), to tell what they are.
    QByteArray trailingSample;

    // JPEG only.
    std::optional<JpegFrame> frame;
    std::vector<JpegQuantisationTable> quantisationTables;  // in definition order
    std::optional<int> restartInterval;
    // The JFIF APP0 density: unit (0 aspect only, 1 per inch, 2 per centimetre), x, y.
    std::optional<std::array<int, 3>> jfifDensity;
    std::vector<MpfPicture> mpfPictures;
    std::optional<PhotoshopThumbnail> photoshopThumbnail;
    // The JUMBF payloads of the APP11 segments, in file order (Content Credentials).
    std::vector<QByteArray> app11Payloads;

    // Photoshop documents only.
    std::optional<PhotoshopDocument> photoshopDocument;

    // JPEG XL only.
    std::optional<JpegXlStructure> jpegXl;

    // Any format that carries them.
    QByteArray xmp;             // the XMP packet (JPEG APP1, PNG iTXt, WebP "XMP ", ...)
    QByteArray iccProfile;      // reassembled from a JPEG's APP2 chunks; a PNG lists it as an item
    QByteArray c2paManifestStore;  // a PNG's caBX chunk, whole

    // HEIF and AVIF only.
    std::optional<HeifStructure> heif;
    // Camera raws only.
    std::optional<CameraRawStructure> cameraRaw;
};

// An operation of our own: reads the file again and walks its structure. The same budgets
// hold as for loading: values past 16 MiB in all are left out. Fails as loading fails for a
// file that cannot be read; a format without a structure of interest gives only its size.
GpStatus ReadFileStructure(const QString& filename, FileStructure* structure);

// The structure of a picture loaded with LoadOptions::keepFileBytes, walked over the bytes the
// load read: the file is not read again, so a file changed meanwhile cannot give the facts of
// one file and the structure of another. WrongState for a picture loaded without its bytes.
GpStatus GetImageFileStructure(GpImage* image, FileStructure* structure);

}  // namespace veltra::imaging
