#pragma once

#include "analysis/file_analysis.h"

namespace veltra::analysis {

// How a JPEG XL was made: its codestream (bare or in boxes, sample depth, channels, XYB or
// not), whether it holds a losslessly recompressed JPEG that can be restored byte for byte,
// its metadata boxes, and its orientation against its Exif's. Nothing for another format.
void AddJpegXlFindings(const info::ImageFacts& facts, const imaging::FileStructure& structure,
                       std::vector<Finding>& findings);

}  // namespace veltra::analysis
