#include "info/gps_position.h"

#include "imaging/property_tags.h"
#include "info/property_facts.h"

namespace veltra::info {

namespace {

using namespace imaging;

// The first `count` rationals of an item, or nothing when any of them cannot be had. The
// standard says RATIONAL; some phones write SRATIONAL, which reads the same for the positive
// values GPS uses.
std::optional<std::vector<double>> Rationals(const PropertyFact* fact, qsizetype count)
{
    std::vector<double> values;
    for (qsizetype index = 0; index < count; ++index) {
        const std::optional<double> value = RationalAt(fact, index);
        if (!value)
            return std::nullopt;
        values.push_back(*value);
    }
    return values;
}

// The first character of an ASCII reference ("N", "S", "E", "W").
char Reference(const PropertyFact* fact)
{
    if (!fact || fact->type != PropertyTagTypeASCII || fact->bytes.isEmpty())
        return '\0';
    return fact->bytes.front();
}

std::optional<double> Degrees(const std::vector<PropertyFact>& properties, PROPID valueId,
                              PROPID referenceId, char positive, char negative)
{
    const std::optional<std::vector<double>> parts = Rationals(FindPropertyFact(properties, valueId), 3);
    const char reference = Reference(FindPropertyFact(properties, referenceId));
    if (!parts || (reference != positive && reference != negative))
        return std::nullopt;
    const double degrees = (*parts)[0] + (*parts)[1] / 60.0 + (*parts)[2] / 3600.0;
    return reference == negative ? -degrees : degrees;
}

}  // namespace

std::optional<GpsPosition> GpsPositionOf(const std::vector<PropertyFact>& properties)
{
    GpsPosition position;
    const std::optional<double> latitude =
        Degrees(properties, PropertyTagGpsLatitude, PropertyTagGpsLatitudeRef, 'N', 'S');
    const std::optional<double> longitude =
        Degrees(properties, PropertyTagGpsLongitude, PropertyTagGpsLongitudeRef, 'E', 'W');
    if (latitude && longitude) {
        position.latitude = latitude;
        position.longitude = longitude;
    }
    // Above or below sea level only when the reference says which.
    const std::optional<std::vector<double>> altitude =
        Rationals(FindPropertyFact(properties, PropertyTagGpsAltitude), 1);
    const PropertyFact* altitudeReference = FindPropertyFact(properties, PropertyTagGpsAltitudeRef);
    if (altitude && altitudeReference && altitudeReference->type == PropertyTagTypeByte &&
        !altitudeReference->bytes.isEmpty() && std::uint8_t(altitudeReference->bytes.front()) <= 1)
        position.altitude = altitudeReference->bytes.front() == 1 ? -altitude->front()
                                                                   : altitude->front();
    if (!position.latitude && !position.altitude)
        return std::nullopt;
    return position;
}

}  // namespace veltra::info
