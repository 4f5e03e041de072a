#include "info/facts_json.h"

#include "imaging/orientation.h"
#include "info/file_kinds.h"
#include "info/gps_position.h"

#include <QJsonArray>

#include <array>

namespace veltra::info {

namespace {

// The TIFF names of the stored value types, by type number.
constexpr std::array<const char*, 13> kTypeNames{
    "",      "BYTE",  "ASCII",     "SHORT", "LONG",  "RATIONAL", "SBYTE",
    "UNDEFINED", "SSHORT", "SLONG", "SRATIONAL", "FLOAT", "DOUBLE"};

QJsonValue TypeName(std::uint16_t type)
{
    if (type == 0 || type >= kTypeNames.size())
        return QJsonValue::Null;
    return QString::fromLatin1(kTypeNames[type]);
}

QJsonObject PropertyJson(const PropertyFact& property)
{
    const std::uint32_t elementSize = imaging::TiffTypeElementSize(property.type);
    QJsonObject object;
    object.insert(QStringLiteral("id"), qint64(property.id));
    object.insert(QStringLiteral("name"), property.name);
    object.insert(QStringLiteral("type"), TypeName(property.type));
    object.insert(QStringLiteral("type_number"), property.type);
    object.insert(QStringLiteral("count"),
                  elementSize ? qint64(property.length / elementSize) : qint64(property.length));
    object.insert(QStringLiteral("value"), property.value);
    object.insert(QStringLiteral("raw"), QString::fromLatin1(property.bytes.toHex()));
    return object;
}

QJsonObject SizeJson(std::uint32_t width, std::uint32_t height)
{
    return QJsonObject{{QStringLiteral("width"), qint64(width)},
                       {QStringLiteral("height"), qint64(height)}};
}

QJsonValue GpsJson(const std::vector<PropertyFact>& properties)
{
    const std::optional<GpsPosition> position = GpsPositionOf(properties);
    if (!position)
        return QJsonValue::Null;
    QJsonObject object;
    if (position->latitude && position->longitude) {
        object.insert(QStringLiteral("latitude"), *position->latitude);
        object.insert(QStringLiteral("longitude"), *position->longitude);
    }
    if (position->altitude)
        object.insert(QStringLiteral("altitude"), *position->altitude);
    return object;
}

}  // namespace

QJsonObject FactsJson(const QString& path, const ImageFacts& facts)
{
    QJsonObject type{{QStringLiteral("text"), facts.fileType},
                     {QStringLiteral("name"), facts.contentFormat.isEmpty()
                                                  ? QJsonValue(QJsonValue::Null)
                                                  : QString::fromLatin1(facts.contentFormat)}};

    QJsonObject dpi{{QStringLiteral("x"), double(facts.dpiX)},
                    {QStringLiteral("y"), double(facts.dpiY)},
                    {QStringLiteral("text"), facts.resolutionText},
                    {QStringLiteral("reference_only"), !facts.isJpeg}};

    QJsonObject orientation{
        {QStringLiteral("value"), facts.orientation},
        {QStringLiteral("text"), facts.orientationText},
        {QStringLiteral("turn"), QString::fromLatin1(imaging::RotateFlipTypeName(facts.turn))}};

    QJsonArray properties;
    for (const PropertyFact& property : facts.properties)
        properties.append(PropertyJson(property));

    QJsonObject object;
    object.insert(QStringLiteral("path"), path);
    object.insert(QStringLiteral("type"), type);
    object.insert(QStringLiteral("extension_matches"),
                  ExtensionMatches(path, facts.contentFormat));
    object.insert(QStringLiteral("extensions"),
                  QJsonArray::fromStringList(ExtensionsFor(facts.contentFormat)));
    object.insert(QStringLiteral("width"), qint64(facts.width));
    object.insert(QStringLiteral("height"), qint64(facts.height));
    object.insert(QStringLiteral("stored"), SizeJson(facts.storedWidth, facts.storedHeight));
    object.insert(QStringLiteral("pixel_format"), facts.pixelFormatText);
    object.insert(QStringLiteral("dpi"), dpi);
    object.insert(QStringLiteral("orientation"), orientation);
    object.insert(QStringLiteral("color_space"), facts.colorSpaceText.isEmpty()
                                                     ? QJsonValue(QJsonValue::Null)
                                                     : QJsonValue(facts.colorSpaceText));
    object.insert(QStringLiteral("gps"), GpsJson(facts.properties));
    object.insert(QStringLiteral("properties"), properties);
    return object;
}

}  // namespace veltra::info
