#pragma once

#include "analysis/file_analysis.h"

namespace veltra::analysis {

// How a JPEG was coded: its process, chroma subsampling, restart interval and the quality each
// quantisation table was made at. Nothing for a file without a JPEG frame.
void AddJpegCodingFindings(const imaging::FileStructure& structure,
                           std::vector<Finding>& findings);

// "4:2:0" and the like for the usual luma-and-chroma samplings, else each component's factors
// ("2x2,1x1,1x1"); "greyscale" for one component.
QString ChromaSubsampling(const imaging::JpegFrame& frame);

}  // namespace veltra::analysis
