#include "formats/resolution.h"

#include "imaging/property_tags.h"
#include "metadata/property_set.h"

namespace veltra::imaging {

std::optional<Resolution> DeclaredResolution(double horizontal, double vertical)
{
    if (!(horizontal > 0.0) || !(vertical > 0.0))
        return std::nullopt;
    return Resolution{static_cast<REAL>(horizontal), static_cast<REAL>(vertical)};
}

std::optional<Resolution> ResolutionFromTiffTags(const PropertySet& properties)
{
    constexpr std::uint32_t kInch = 2;
    constexpr std::uint32_t kCentimetre = 3;
    const std::optional<double> x = properties.firstRational(PropertyTagXResolution);
    const std::optional<double> y = properties.firstRational(PropertyTagYResolution);
    if (!x || !y)
        return std::nullopt;
    std::uint32_t unit = kInch;
    if (const PropertyRecord* record = properties.find(PropertyTagResolutionUnit)) {
        if (record->type == TiffType::Short && record->value.size() >= 2)
            unit = properties.firstUnsigned(PropertyTagResolutionUnit).value_or(kInch);
    }
    if (unit == kInch)
        return DeclaredResolution(*x, *y);
    if (unit == kCentimetre)
        return DeclaredResolution(*x * kCentimetresPerInch, *y * kCentimetresPerInch);
    return std::nullopt;
}

}  // namespace veltra::imaging
