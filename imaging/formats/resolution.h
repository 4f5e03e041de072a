#pragma once

// Dots per inch as a file declares them, and the rules shared by the formats that declare them
// through TIFF tags (TIFF files, and JPEG's Exif block when it has no JFIF density).

#include "imaging/gdiplus_types.h"

#include <optional>

namespace veltra::imaging {

class PropertySet;

struct Resolution {
    REAL horizontal = 96.0f;
    REAL vertical = 96.0f;
};

inline constexpr double kCentimetresPerInch = 2.54;
inline constexpr double kInchesPerMetre = 0.0254;

// A declared density counts only when both axes are positive: a zero means "not declared".
std::optional<Resolution> DeclaredResolution(double horizontal, double vertical);

// XResolution and YResolution with ResolutionUnit: 2 or absent is inches, 3 centimetres; any
// other unit declares no physical size.
std::optional<Resolution> ResolutionFromTiffTags(const PropertySet& properties);

}  // namespace veltra::imaging
