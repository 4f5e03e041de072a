#pragma once

#include "analysis/file_analysis.h"

namespace veltra::analysis {

// What a Photoshop document says of itself: PSD or PSB, its colour mode, bits and channels,
// whether it stores a merged picture (and how it is compressed, and whether it is the layers'
// real composite), and its layers by name, hidden ones marked. Nothing for another format.
void AddPhotoshopFindings(const imaging::FileStructure& structure, std::vector<Finding>& findings);

}  // namespace veltra::analysis
