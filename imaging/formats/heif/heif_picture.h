#pragma once

// What the boxes of a HEIF or AVIF file say of one of its pictures (the primary picture, a
// thumbnail, an auxiliary picture): its codec, size, bit depth, colour, alpha and the turn its
// container applies, read from the item's properties and references without any decoder.

#include "formats/heif/heif_boxes.h"
#include "imaging/gdiplus_types.h"
#include "imaging/heif_structure.h"
#include "imaging/load_failure.h"

#include <QSize>

#include <optional>

namespace veltra::imaging {

enum class HeifCodec { Hevc, Av1, Other };

struct HeifPicture {
    std::uint32_t id = 0;
    std::uint32_t itemType = 0;  // "hvc1", "av01", "grid", "iden", "iovl", ...
    // The codec of the coded data: the item's own, or its tiles' for a derived picture.
    HeifCodec codec = HeifCodec::Other;
    std::uint32_t codedType = 0;
    // The size the file stores (its `ispe`), and the size the decoder delivers: cropped by the
    // container's clean aperture, when it has one, and turned.
    QSize storedSize;
    QSize decodedSize;
    int bitDepth = 8;
    bool monochrome = false;
    // The chroma subsampling of the coded data: 0 for 4:0:0, 1 for 4:2:0, 2 for 4:2:2, 3 for
    // 4:4:4; nothing when the configuration does not say.
    std::optional<int> chroma;
    bool alpha = false;
    bool premultipliedAlpha = false;
    std::vector<HeifTransform> transforms;
    // The turn that the rotations and mirrors make together: what the decoder does to the
    // stored pixels to deliver them upright.
    RotateFlipType turn = RotateNoneFlipNone;
    // A derived picture's grid: columns, rows, and its tiles' ids.
    int gridColumns = 0;
    int gridRows = 0;
    std::vector<std::uint32_t> tiles;
    QByteArray auxiliaryType;  // an auxiliary picture's `auxC` type
    // Why the picture cannot be decoded, when its boxes already tell.
    LoadFailureReason refusal = LoadFailureReason::None;
    QString problem;
};

// The picture of that item. A derived picture (a grid of tiles) is described with its tiles'
// codec and configuration.
HeifPicture DescribeHeifPicture(const HeifBoxes& boxes, std::uint32_t id);

// The file's primary picture; a file without one (an image sequence alone, a damaged meta box)
// gives a picture with a refusal.
HeifPicture DescribePrimaryPicture(const HeifBoxes& boxes);

// The item's stored size (its `ispe`); nothing when it has none or a zero side.
std::optional<QSize> HeifSpatialExtent(const HeifBoxes& boxes, std::uint32_t id);

// The auxiliary type that marks an alpha plane, in HEVC's and in MPEG-B's spelling.
bool IsAlphaAuxiliaryType(QByteArrayView type);
bool IsDepthAuxiliaryType(QByteArrayView type);

// Whether the item holds coded picture data that a decoder reads (as opposed to a derivation,
// metadata or anything unknown).
bool IsCodedPictureType(std::uint32_t type);

}  // namespace veltra::imaging
