#pragma once

#include "analysis/file_analysis.h"

namespace veltra::analysis {

// A HEIF or AVIF file's container: its brands, how its primary picture is coded (codec, bit
// depth, chroma, grid, alpha), and the rotations and mirrors it applies against what the Exif
// orientation asks for.
void AddHeifContainerFindings(const info::ImageFacts& facts,
                              const imaging::FileStructure& structure,
                              std::vector<Finding>& findings);

// Its thumbnails (decoded and compared with the picture) and auxiliary pictures (alpha planes,
// depth maps, gain maps, mattes).
void AddHeifEmbeddedFindings(imaging::GpImage* picture, const imaging::FileStructure& structure,
                             std::vector<Finding>& findings);

}  // namespace veltra::analysis
