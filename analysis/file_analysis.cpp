#include "analysis/file_analysis.h"

#include "analysis/c2pa_manifest.h"
#include "analysis/trailing_data.h"
#include "analysis/xmp_facts.h"
#include "analysis_support.h"
#include "camera_raw_findings.h"
#include "consistency.h"
#include "embedded_pictures.h"
#include "heif_findings.h"
#include "icc_profile.h"
#include "info/facts_json.h"
#include "info/file_kinds.h"
#include "jpeg_coding.h"
#include "jpeg_xl_coding.h"
#include "photoshop_findings.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QStringList>


namespace veltra::analysis {

namespace {

using namespace imaging;

void AddNameFinding(const QString& path, const info::ImageFacts& facts,
                    std::vector<Finding>& findings)
{
    if (facts.contentFormat.isEmpty())
        return;
    const QString format = QString::fromLatin1(facts.contentFormat);
    const QStringList extensions = info::ExtensionsFor(facts.contentFormat);
    const QString extension = QFileInfo(path).suffix();
    const bool matches = info::ExtensionMatches(path, facts.contentFormat);
    std::vector<Wording> listed;
    for (const QString& listedExtension : extensions)
        listed.emplace_back(listedExtension);
    const FindingKind kind = extension.isEmpty() ? FindingKind::NoExtension
                             : matches           ? FindingKind::ExtensionFits
                                                 : FindingKind::ExtensionDoesNotFit;
    findings.push_back(Finding{kind,
                               {format.toUpper(), Wording::List(Wording::Joiner::Enumeration, listed),
                                extension},
                               QJsonObject{{QStringLiteral("content_format"), format},
                                           {QStringLiteral("extensions"), QJsonArray::fromStringList(extensions)},
                                           {QStringLiteral("extension"), extension},
                                           {QStringLiteral("matches"), matches}}});
}

Phrase KindPhrase(TrailingDataKind kind)
{
    switch (kind) {
    case TrailingDataKind::Zip: return Phrase::TrailingZip;
    case TrailingDataKind::Rar: return Phrase::TrailingRar;
    case TrailingDataKind::SevenZip: return Phrase::TrailingSevenZip;
    case TrailingDataKind::Pdf: return Phrase::TrailingPdf;
    case TrailingDataKind::Jpeg: return Phrase::TrailingJpeg;
    case TrailingDataKind::Mp4: return Phrase::TrailingMp4;
    case TrailingDataKind::Text: return Phrase::TrailingText;
    case TrailingDataKind::Zeros: return Phrase::TrailingZeros;
    case TrailingDataKind::Empty:
    case TrailingDataKind::Unknown: break;
    }
    return Phrase::TrailingUnknown;
}

// The formats whose picture has an end that the walk can find.
bool HasAnEnd(const QByteArray& contentFormat)
{
    return contentFormat == "jpeg" || contentFormat == "png" || contentFormat == "gif" ||
           contentFormat == "webp";
}

void AddTrailingDataFinding(const info::ImageFacts& facts, const FileStructure& structure,
                            std::vector<Finding>& findings)
{
    if (!HasAnEnd(facts.contentFormat))
        return;
    if (!structure.pictureEnd) {
        findings.push_back(Finding{FindingKind::EndNotFound, {},
                                   QJsonObject{{QStringLiteral("end_found"), false}}});
        return;
    }
    const qsizetype end = *structure.pictureEnd;
    const qsizetype length = structure.fileSize - end;
    if (length <= 0) {
        findings.push_back(Finding{
            FindingKind::NothingAfterEnd, {},
            QJsonObject{{QStringLiteral("end_found"), true}, {QStringLiteral("offset"), qint64(end)},
                        {QStringLiteral("length"), 0}}});
        return;
    }
    TrailingDataKind kind = ClassifyTrailingData(structure.trailingSample);
    QJsonObject json{{QStringLiteral("end_found"), true}, {QStringLiteral("offset"), qint64(end)},
                     {QStringLiteral("length"), qint64(length)}};
    Wording embeddedAt;
    if (kind == TrailingDataKind::Unknown || kind == TrailingDataKind::Zeros) {
        if (const std::optional<EmbeddedSignature> embedded = FindEmbeddedSignature(structure.trailingSample)) {
            json.insert(QStringLiteral("embedded_kind"), QString(TrailingDataKindName(embedded->kind)));
            json.insert(QStringLiteral("embedded_at"), qint64(end + embedded->offset));
            embeddedAt = Wording::Of(Phrase::EmbeddedSignatureAt,
                                     {Wording::Number(end + embedded->offset),
                                      Wording::Of(KindPhrase(embedded->kind))});
        }
    }
    Wording listedByMpf;
    if (kind == TrailingDataKind::Jpeg && structure.mpfPictures.size() > 1)
        listedByMpf = Wording::Of(Phrase::MpfListsIt);
    json.insert(QStringLiteral("kind"), QString(TrailingDataKindName(kind)));
    findings.push_back(Finding{FindingKind::DataAfterEnd,
                               {Wording::Number(length), Wording::Number(end),
                                Wording::Of(KindPhrase(kind)), embeddedAt, listedByMpf},
                               json});
}

void AddProvenanceFindings(const info::ImageFacts& facts, const FileStructure& structure,
                           std::vector<Finding>& findings)
{
    // Content Credentials: a JPEG's APP11 boxes or a PNG's caBX chunk.
    C2paManifestSummary c2pa;
    if (!structure.app11Payloads.empty()) {
        std::vector<QByteArrayView> payloads(structure.app11Payloads.begin(),
                                             structure.app11Payloads.end());
        c2pa = ReadC2paFromJpegApp11(payloads);
    } else if (!structure.c2paManifestStore.isEmpty()) {
        c2pa = ReadC2paManifestStore(structure.c2paManifestStore);
    }
    if (c2pa.present) {
        QStringList generators;
        QJsonArray generatorJson;
        for (const C2paGeneratorInfo& info : c2pa.generatorInfo) {
            generators << (info.version.isEmpty() ? info.name : info.name + u' ' + info.version);
            generatorJson.append(QJsonObject{{QStringLiteral("name"), info.name},
                                             {QStringLiteral("version"), info.version}});
        }
        const QString generator = !c2pa.claimGenerator.isEmpty() ? c2pa.claimGenerator
                                                                  : generators.join(QStringLiteral(", "));
        findings.push_back(Finding{
            FindingKind::C2paManifest, {Wording::Number(c2pa.manifestCount), generator},
            QJsonObject{{QStringLiteral("present"), true}, {QStringLiteral("validated"), false},
                        {QStringLiteral("manifests"), c2pa.manifestCount},
                        {QStringLiteral("claim_generator"), c2pa.claimGenerator},
                        {QStringLiteral("generator_info"), generatorJson},
                        {QStringLiteral("problem"), c2pa.problem}}});
    } else {
        findings.push_back(Finding{FindingKind::NoC2paManifest, {},
                                   QJsonObject{{QStringLiteral("present"), false}}});
    }

    if (!structure.xmp.isEmpty()) {
        const XmpFacts xmp = ReadXmpFacts(structure.xmp);
        if (!xmp.digitalSourceType.isEmpty()) {
            findings.push_back(Finding{xmp.generative ? FindingKind::DigitalSourceTypeGenerative
                                                      : FindingKind::DigitalSourceType,
                                       {xmp.digitalSourceTerm},
                                       QJsonObject{{QStringLiteral("uri"), xmp.digitalSourceType},
                                                   {QStringLiteral("term"), xmp.digitalSourceTerm},
                                                   {QStringLiteral("generative"), xmp.generative}}});
        }
        if (!xmp.creatorTool.isEmpty()) {
            findings.push_back(Finding{FindingKind::CreatorTool, {xmp.creatorTool},
                                       QJsonObject{{QStringLiteral("creator_tool"), xmp.creatorTool}}});
        }
        if (!xmp.history.empty()) {
            // The latest actions tell the most; three are enough for a line.
            std::vector<Wording> actions;
            QJsonArray events;
            const std::size_t first = xmp.history.size() > 3 ? xmp.history.size() - 3 : 0;
            for (std::size_t index = first; index < xmp.history.size(); ++index) {
                const XmpHistoryEvent& event = xmp.history[index];
                QString action = event.action;
                if (!event.softwareAgent.isEmpty())
                    action += QStringLiteral(" (%1)").arg(event.softwareAgent);
                if (!event.when.isEmpty())
                    action += u' ' + event.when;
                actions.emplace_back(action);
                events.append(QJsonObject{{QStringLiteral("action"), event.action},
                                          {QStringLiteral("software_agent"), event.softwareAgent},
                                          {QStringLiteral("when"), event.when}});
            }
            findings.push_back(Finding{
                FindingKind::EditHistory,
                {Wording::Number(qint64(xmp.history.size())),
                 Wording::List(Wording::Joiner::Clauses, actions)},
                QJsonObject{{QStringLiteral("entries"), qint64(xmp.history.size())},
                            {QStringLiteral("last"), events}}});
        }
    }

    if (const info::PropertyFact* software = FindProperty(facts, PropertyTagSoftwareUsed)) {
        findings.push_back(Finding{FindingKind::Software, {software->value},
                                   QJsonObject{{QStringLiteral("software"), software->value}}});
    }
}

void AddColourFinding(const info::ImageFacts& facts, const FileStructure& structure,
                      std::vector<Finding>& findings)
{
    QByteArray profile = structure.iccProfile;
    if (profile.isEmpty()) {
        if (const info::PropertyFact* item = FindProperty(facts, PropertyTagICCProfile))
            profile = item->bytes;
    }
    if (const std::optional<IccSummary> icc = ReadIccSummary(profile)) {
        findings.push_back(Finding{FindingKind::IccProfile, {icc->description, icc->colourSpace},
                                   QJsonObject{{QStringLiteral("description"), icc->description},
                                               {QStringLiteral("colour_space"), icc->colourSpace},
                                               {QStringLiteral("bytes"), qint64(profile.size())}}});
        return;
    }
    const FindingKind kind = facts.colorSpaceText == QLatin1String("未校准") ? FindingKind::NoIccUncalibrated
                             : facts.colorSpaceText == QLatin1String("sRGB") ? FindingKind::NoIccExifSrgb
                                                                            : FindingKind::NoIccNoColourSpace;
    findings.push_back(Finding{kind, {},
                               QJsonObject{{QStringLiteral("description"), QJsonValue::Null},
                                           {QStringLiteral("exif_colour_space"), facts.colorSpaceText}}});
}

}  // namespace

QString Finding::text(Language language) const
{
    const FindingKindRow& row = RowOf(kind);
    return FillPlaces(QString::fromUtf16(language == Language::Chinese ? row.chinese : row.english),
                      arguments, language);
}

FileAnalysis AnalyseFile(const QString& path, GpImage* image, const info::ImageFacts& facts,
                         const FileStructure& structure)
{
    FileAnalysis analysis;
    AddNameFinding(path, facts, analysis.findings);
    AddCameraRawFindings(image, facts, structure, analysis.findings);
    AddTrailingDataFinding(facts, structure, analysis.findings);
    AddEmbeddedPictureFindings(image, facts, structure, analysis.findings);
    AddJpegCodingFindings(structure, analysis.findings);
    AddHeifContainerFindings(facts, structure, analysis.findings);
    AddJpegXlFindings(facts, structure, analysis.findings);
    AddPhotoshopFindings(structure, analysis.findings);
    AddProvenanceFindings(facts, structure, analysis.findings);
    AddColourFinding(facts, structure, analysis.findings);
    AddConsistencyFindings(facts, structure, analysis.findings);
    return analysis;
}

std::vector<const Finding*> FindingsOf(const FileAnalysis& analysis, Topic topic)
{
    std::vector<const Finding*> found;
    for (const Finding& finding : analysis.findings) {
        if (finding.topic() == topic)
            found.push_back(&finding);
    }
    return found;
}

QString AnalysisText(const FileAnalysis& analysis, Language language)
{
    const bool chinese = language == Language::Chinese;
    QString text = chinese ? QStringLiteral("分析：\n") : QStringLiteral("Analysis:\n");
    const QString separator = chinese ? QStringLiteral("：") : QStringLiteral(": ");
    for (const TopicRow& topic : TopicTable()) {
        for (const Finding* finding : FindingsOf(analysis, topic.topic))
            text += u' ' + TopicHeading(topic.topic, language) + separator + finding->text(language) + u'\n';
    }
    return text;
}

QJsonObject AnalysisJson(const FileAnalysis& analysis, Language language)
{
    QJsonObject json;
    for (const TopicRow& topic : TopicTable()) {
        QJsonObject findings;
        for (const Finding* finding : FindingsOf(analysis, topic.topic)) {
            QJsonObject entry = finding->data;
            entry.insert(QStringLiteral("text"), finding->text(language));
            findings.insert(finding->key(), entry);
        }
        if (!findings.isEmpty())
            json.insert(QString::fromLatin1(topic.name), findings);
    }
    return json;
}

QString ReportWithAnalysis(const QString& report, const FileAnalysis& analysis, Language language)
{
    QString text = report;
    if (!text.endsWith(u'\n'))
        text += u'\n';
    return text + u'\n' + AnalysisText(analysis, language);
}

QJsonObject FactsWithAnalysisJson(const QString& path, const info::ImageFacts& facts,
                                  const FileAnalysis& analysis, Language language)
{
    QJsonObject object = info::FactsJson(path, facts);
    object.insert(QStringLiteral("analysis"), AnalysisJson(analysis, language));
    return object;
}

}  // namespace veltra::analysis
