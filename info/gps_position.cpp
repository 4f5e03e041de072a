#include "info/gps_position.h"

#include "imaging/property_tags.h"
#include "item_bytes.h"

#include <algorithm>

namespace veltra::info {

namespace {

using namespace imaging;

const PropertyFact* Find(const std::vector<PropertyFact>& properties, PROPID id)
{
    // The service lists an id once; the first is the one the report shows.
    const auto found = std::find_if(properties.begin(), properties.end(),
                                    [id](const PropertyFact& fact) { return fact.id == id; });
    return found == properties.end() ? nullptr : &*found;
}

// The rationals of an item, or nothing when it holds fewer than `count` of them or any
// denominator is zero. The standard says RATIONAL; some phones write SRATIONAL, which reads
// the same for the positive values GPS uses.
std::optional<std::vector<double>> Rationals(const PropertyFact* fact, qsizetype count)
{
    if (!fact || fact->bytes.size() < count * 8)
        return std::nullopt;
    const bool isSigned = fact->type == static_cast<std::uint16_t>(TiffType::SRational);
    if (fact->type != PropertyTagTypeRational && !isSigned)
        return std::nullopt;
    std::vector<double> values;
    for (qsizetype index = 0; index < count; ++index) {
        const std::uint32_t numerator = Little32At(fact->bytes, index * 8);
        const std::uint32_t denominator = Little32At(fact->bytes, index * 8 + 4);
        if (denominator == 0)
            return std::nullopt;
        values.push_back(isSigned ? double(std::int32_t(numerator)) / double(std::int32_t(denominator))
                                  : double(numerator) / double(denominator));
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
    const std::optional<std::vector<double>> parts = Rationals(Find(properties, valueId), 3);
    const char reference = Reference(Find(properties, referenceId));
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
        Rationals(Find(properties, PropertyTagGpsAltitude), 1);
    const PropertyFact* altitudeReference = Find(properties, PropertyTagGpsAltitudeRef);
    if (altitude && altitudeReference && altitudeReference->type == PropertyTagTypeByte &&
        !altitudeReference->bytes.isEmpty() && std::uint8_t(altitudeReference->bytes.front()) <= 1)
        position.altitude = altitudeReference->bytes.front() == 1 ? -altitude->front()
                                                                   : altitude->front();
    if (!position.latitude && !position.altitude)
        return std::nullopt;
    return position;
}

}  // namespace veltra::info
