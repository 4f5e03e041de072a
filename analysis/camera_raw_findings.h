#pragma once

// What a camera raw is beyond its items: the camera; the sensor (its data with and without
// the margins, the colour filter pattern, the bits a sample and the white level); the
// pictures it keeps beside the sensor data and whether each shows the picture; and, for a
// DNG, its version and whether it was converted from another raw.

#include "analysis/file_analysis.h"

namespace veltra::analysis {

// Nothing for a file that is no camera raw.
void AddCameraRawFindings(imaging::GpImage* picture, const info::ImageFacts& facts,
                          const imaging::FileStructure& structure,
                          std::vector<Finding>& findings);

}  // namespace veltra::analysis
