#pragma once

// Where things are in a Photoshop document (PSD, and PSB for large documents): the header, then
// four sections one after another, each with its length in front (colour mode data, image
// resources, layer and mask information), and last the merged picture every writer stores for
// readers that do not composite layers. PSB differs only in the sizes of a few length fields.

#include "imaging/file_structure.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace veltra::imaging {

enum class PsdColorMode : std::uint16_t {
    Bitmap = 0,
    Grayscale = 1,
    Indexed = 2,
    Rgb = 3,
    Cmyk = 4,
    Multichannel = 7,
    Duotone = 8,
    Lab = 9,
};

enum class PsdCompression : std::uint16_t { Raw = 0, Rle = 1, Zip = 2, ZipWithPrediction = 3 };

struct PsdLayout {
    bool largeDocument = false;  // PSB
    int channels = 0;
    int width = 0;
    int height = 0;
    int depth = 0;  // bits a sample: 1, 8, 16 or 32
    PsdColorMode colorMode = PsdColorMode::Rgb;
    QByteArrayView colorModeData;  // an indexed document's palette
    QByteArrayView resources;
    QByteArrayView layerAndMask;
    // The layer information section said that its first alpha channel holds the transparency
    // of the merged picture (a negative layer count).
    bool mergedAlpha = false;
    // The merged picture: its compression and the bytes after it, to the end of the file.
    std::optional<PsdCompression> compression;
    QByteArrayView imageData;
};

// The header and sections of a document; nothing when the header is not a sound one. Sections
// cut short by the end of the file are kept as far as they go; the merged picture is then
// absent.
std::optional<PsdLayout> ReadPsdLayout(QByteArrayView file);

// The colour channels of a mode, before any alpha channel: 1 for bitmap, grey, indexed and
// duotone, 3 for RGB and Lab, 4 for CMYK; multichannel documents use all their channels.
int PsdColorChannels(PsdColorMode mode, int channels);

// At most this many layers are listed; a document may declare 32767.
inline constexpr std::size_t kMaxPsdLayersListed = 4096;

// The layers the layer information section describes, bottom first, named by their Unicode
// name when they have one. Reading stops at the first record that runs past the section.
std::vector<PhotoshopLayer> ReadPsdLayers(const PsdLayout& layout);

// Whether the merged picture can be decoded at all (its mode, depth and compression).
bool PsdCompositeDecodable(const PsdLayout& layout);

// Whether the merged picture has a transparency channel.
bool PsdCompositeHasAlpha(const PsdLayout& layout);

// The fewest bytes the merged picture's data can take: documents whose data is shorter cannot
// hold the picture they declare.
std::uint64_t PsdCompositeMinimumBytes(const PsdLayout& layout);

// The bytes of one row of one channel of the merged picture, as stored.
qsizetype PsdCompositeRowBytes(const PsdLayout& layout);

}  // namespace veltra::imaging
