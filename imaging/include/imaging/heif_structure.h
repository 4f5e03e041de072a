#pragma once

// What a HEIF or AVIF file's boxes say beyond its picture and its items: its brands, how its
// primary picture is coded, the geometry its container applies, and the other pictures it
// holds (thumbnails, alpha planes, depth maps, gain maps). Part of FileStructure, for telling
// how the file was made.

#include "imaging/gdiplus_types.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <optional>
#include <vector>

namespace veltra::imaging {

// One step of a HEIF container's geometry, in the order the file associates them.
struct HeifTransform {
    enum class Kind { Rotation, Mirror, CleanAperture } kind = Kind::Rotation;
    // Rotation: quarter turns anticlockwise (0 to 3). Mirror: 0 top to bottom, 1 left to right.
    int amount = 0;
};

// A picture of the file other than the primary one.
struct HeifPictureSummary {
    std::uint32_t id = 0;
    QByteArray itemType;  // "hvc1", "av01", "grid", ...
    QByteArray codec;     // "HEVC", "AV1", or the item type of any other codec
    int width = 0;        // as stored (its `ispe`)
    int height = 0;
    int bitDepth = 8;
    QByteArray auxiliaryType;  // an auxiliary picture's `auxC` type, such as a depth map's URN
    // What an auxiliary picture is for, from its type: "alpha", "depth", "hdr_gain_map" (Apple's
    // gain map for HDR display), "matte" (Apple's portrait and segmentation mattes), "other".
    QByteArray role;
    // A HEIF file of this picture alone, as its primary picture with its own geometry, for
    // decoding it when the analysis compares it with the picture; empty when the picture is
    // not one coded item.
    QByteArray pictureFile;
};

struct HeifStructure {
    QByteArray majorBrand;
    QList<QByteArray> compatibleBrands;
    // The primary picture: its item type, the codec of its coded data, how many bits a
    // sample, its chroma subsampling (0 for 4:0:0, 1 for 4:2:0, 2 for 4:2:2, 3 for 4:4:4),
    // whether it has alpha, its stored size and its grid.
    QByteArray primaryItemType;
    QByteArray codec;
    int bitDepth = 8;
    std::optional<int> chroma;
    bool monochrome = false;
    bool alpha = false;
    int storedWidth = 0;
    int storedHeight = 0;
    int gridColumns = 0;
    int gridRows = 0;
    // The container's rotations, mirrors and crops, and the turn they make together.
    std::vector<HeifTransform> transforms;
    RotateFlipType containerTurn = RotateNoneFlipNone;
    int decodedWidth = 0;  // after crop and turn
    int decodedHeight = 0;
    std::vector<HeifPictureSummary> thumbnails;
    std::vector<HeifPictureSummary> auxiliaryPictures;
    // The file holds an image sequence as a track (a `moov` box) besides its items.
    bool hasSequenceTrack = false;
};

}  // namespace veltra::imaging
