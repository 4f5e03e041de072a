#pragma once

#include "analysis/file_analysis.h"

#include <optional>

namespace veltra::analysis {

// How far a thumbnail is from the picture, both as they are now: the picture and the part of
// the thumbnail that has its shape (thumbnails are often padded to 4:3 with bars), both shrunk
// to kComparedWidth pixels across, and the mean absolute difference of their colour samples,
// 0 to 255.
std::optional<double> ThumbnailDifference(imaging::GpImage* picture, imaging::GpImage* thumbnail);

// The Exif thumbnail, MPF pictures, Photoshop's thumbnail and a HEIF file's thumbnails and
// auxiliary pictures, and whether the thumbnails show the same picture.
void AddEmbeddedPictureFindings(imaging::GpImage* picture, const info::ImageFacts& facts,
                                const imaging::FileStructure& structure,
                                std::vector<Finding>& findings);

// Below this mean difference a thumbnail shows the picture; above kDifferentPicture it shows
// another one. Cameras' own thumbnails of the repository's and the corpus's photos differ from
// their pictures by 1 to 15 at this size (their processing, JPEG loss); another scene or
// another framing of it differs by tens.
inline constexpr double kComparedWidth = 32.0;
inline constexpr double kSamePicture = 16.0;
inline constexpr double kDifferentPicture = 40.0;

}  // namespace veltra::analysis
