#include "photoshop_findings.h"

#include <QJsonArray>

#include <array>

namespace veltra::analysis {

namespace {

using imaging::PhotoshopDocument;
using imaging::PhotoshopLayer;

// A document may list thousands of layers; the sentence names this many, the JSON all.
constexpr std::size_t kLayersNamed = 64;

struct ColourMode {
    int number;
    const char* name;
    Phrase phrase;
};

constexpr std::array<ColourMode, 8> kColourModes{{
    {0, "bitmap", Phrase::PsdBitmap},
    {1, "greyscale", Phrase::PsdGreyscale},
    {2, "indexed", Phrase::PsdIndexed},
    {3, "rgb", Phrase::PsdRgb},
    {4, "cmyk", Phrase::PsdCmyk},
    {7, "multichannel", Phrase::PsdMultichannel},
    {8, "duotone", Phrase::PsdDuotone},
    {9, "lab", Phrase::PsdLab},
}};

constexpr std::array<std::pair<const char*, Phrase>, 4> kCompressions{{
    {"raw", Phrase::PsdUncompressed},
    {"rle", Phrase::PsdRle},
    {"zip", Phrase::PsdZip},
    {"zip_prediction", Phrase::PsdZipPredicted},
}};

void AddDocument(const PhotoshopDocument& document, std::vector<Finding>& findings)
{
    QJsonValue modeName = QJsonValue::Null;
    Wording mode = Wording::Of(Phrase::PsdOtherMode, {Wording::Number(document.colorMode)});
    for (const ColourMode& known : kColourModes) {
        if (known.number == document.colorMode) {
            modeName = QString::fromLatin1(known.name);
            mode = Wording::Of(known.phrase);
        }
    }
    const QString format = document.largeDocument ? QStringLiteral("PSB") : QStringLiteral("PSD");
    findings.push_back(Finding{
        FindingKind::PhotoshopDocumentKind,
        {format, mode, Wording::Number(document.depth), Wording::Number(document.channels),
         document.mergedAlpha ? Wording::Of(Phrase::PsdMergedAlpha) : Wording()},
        QJsonObject{{QStringLiteral("format"), format.toLower()},
                    {QStringLiteral("colour_mode"), document.colorMode},
                    {QStringLiteral("colour_mode_name"), modeName},
                    {QStringLiteral("bits_per_channel"), document.depth},
                    {QStringLiteral("channels"), document.channels},
                    {QStringLiteral("merged_alpha"), document.mergedAlpha}}});
}

void AddMergedPicture(const PhotoshopDocument& document, std::vector<Finding>& findings)
{
    if (document.compression < 0) {
        findings.push_back(Finding{FindingKind::PhotoshopNoMergedPicture, {},
                                   QJsonObject{{QStringLiteral("present"), false}}});
        return;
    }
    QJsonValue name = QJsonValue::Null;
    Wording compression =
        Wording::Of(Phrase::PsdOtherCompression, {Wording::Number(document.compression)});
    if (std::size_t(document.compression) < kCompressions.size()) {
        name = QString::fromLatin1(kCompressions[std::size_t(document.compression)].first);
        compression = Wording::Of(kCompressions[std::size_t(document.compression)].second);
    }
    QJsonObject json{{QStringLiteral("present"), true},
                     {QStringLiteral("compression"), document.compression},
                     {QStringLiteral("compression_name"), name},
                     {QStringLiteral("real_composite"), document.realMergedData
                                                            ? QJsonValue(*document.realMergedData)
                                                            : QJsonValue(QJsonValue::Null)}};
    const bool standIn = document.realMergedData && !*document.realMergedData;
    findings.push_back(Finding{standIn ? FindingKind::PhotoshopMergedPictureNotReal
                                       : FindingKind::PhotoshopMergedPicture,
                               {compression}, json});
}

void AddLayers(const PhotoshopDocument& document, std::vector<Finding>& findings)
{
    if (document.layers.empty()) {
        findings.push_back(Finding{FindingKind::PhotoshopNoLayers, {},
                                   QJsonObject{{QStringLiteral("count"), 0}}});
        return;
    }
    std::vector<Wording> names;
    QJsonArray list;
    qint64 hidden = 0;
    for (const PhotoshopLayer& layer : document.layers) {
        if (names.size() < kLayersNamed)
            names.push_back(Wording::Of(layer.hidden ? Phrase::PsdHiddenLayer : Phrase::PsdLayerName,
                                        {layer.name}));
        else if (names.size() == kLayersNamed)
            names.emplace_back(u"…");
        hidden += layer.hidden ? 1 : 0;
        list.append(QJsonObject{{QStringLiteral("name"), layer.name},
                                {QStringLiteral("width"), layer.width},
                                {QStringLiteral("height"), layer.height},
                                {QStringLiteral("hidden"), layer.hidden}});
    }
    const auto count = qint64(document.layers.size());
    findings.push_back(Finding{
        hidden > 0 ? FindingKind::PhotoshopLayersSomeHidden : FindingKind::PhotoshopLayers,
        {Wording::Number(count), Wording::List(Wording::Joiner::Enumeration, names),
         Wording::Number(hidden)},
        QJsonObject{{QStringLiteral("count"), count},
                    {QStringLiteral("hidden"), hidden},
                    {QStringLiteral("layers"), list}}});
}

}  // namespace

void AddPhotoshopFindings(const imaging::FileStructure& structure, std::vector<Finding>& findings)
{
    if (!structure.photoshopDocument)
        return;
    AddDocument(*structure.photoshopDocument, findings);
    AddMergedPicture(*structure.photoshopDocument, findings);
    AddLayers(*structure.photoshopDocument, findings);
}

}  // namespace veltra::analysis
