#pragma once

// Where a photo was taken, in the numbers maps use: the GPS items turned into signed decimal
// degrees and metres.

#include "info/image_facts.h"

#include <optional>

namespace veltra::info {

struct GpsPosition {
    // Degrees, north and east positive; both or neither.
    std::optional<double> latitude;
    std::optional<double> longitude;
    // Metres above sea level, negative below.
    std::optional<double> altitude;
};

// Latitude and longitude when each has its three rational parts (degrees, minutes, seconds,
// none with a zero denominator) and its reference ("N"/"S", "E"/"W"); altitude when
// GpsAltitude is one such rational and GpsAltitudeRef says above (0) or below (1) sea level.
// Nothing when none of them can be had. Without its reference a value has no sign, and is
// left out as exiftool leaves it out.
std::optional<GpsPosition> GpsPositionOf(const std::vector<PropertyFact>& properties);

}  // namespace veltra::info
