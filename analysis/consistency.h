#pragma once

#include "analysis/file_analysis.h"

namespace veltra::analysis {

// Whether the file's facts agree with one another: the Exif pixel dimensions with the real
// size, the thumbnail's orientation with the picture's, the JFIF density with the Exif
// resolution, the original date with the GPS date. A check is made only when both of its
// facts are there.
void AddConsistencyFindings(const info::ImageFacts& facts, const imaging::FileStructure& structure,
                            std::vector<Finding>& findings);

// Local time may differ from GPS time (UTC) by a time zone: at most 14 hours.
inline constexpr double kMostTimeZoneHours = 14.0;

}  // namespace veltra::analysis
