#include "analysis/file_analysis.h"

#include "analysis/c2pa_manifest.h"
#include "analysis/trailing_data.h"
#include "analysis/xmp_facts.h"
#include "analysis_support.h"
#include "camera_raw_findings.h"
#include "consistency.h"
#include "embedded_pictures.h"
#include "icc_profile.h"
#include "info/file_kinds.h"
#include "jpeg_coding.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QStringList>

#include <array>

namespace veltra::analysis {

namespace {

using namespace imaging;

void AddNameFinding(const QString& path, const info::ImageFacts& facts, Language language,
                    std::vector<Finding>& findings)
{
    if (facts.contentFormat.isEmpty())
        return;
    const QString format = QString::fromLatin1(facts.contentFormat);
    const QStringList extensions = info::ExtensionsFor(facts.contentFormat);
    const QString extension = QFileInfo(path).suffix();
    const bool matches = info::ExtensionMatches(path, facts.contentFormat);
    QString chinese = QStringLiteral("内容是 %1 文件，适合的扩展名：%2；")
                          .arg(format.toUpper(), extensions.join(QStringLiteral("、")));
    QString english = QStringLiteral("the content is a %1 file, whose extensions are %2; ")
                          .arg(format.toUpper(), extensions.join(QStringLiteral(", ")));
    if (extension.isEmpty()) {
        chinese += QStringLiteral("文件名没有扩展名");
        english += QStringLiteral("the name has no extension");
    } else if (matches) {
        chinese += QStringLiteral("文件名的扩展名“%1”相符").arg(extension);
        english += QStringLiteral("the name's extension \"%1\" fits").arg(extension);
    } else {
        chinese += QStringLiteral("文件名的扩展名“%1”与内容不符").arg(extension);
        english += QStringLiteral("the name's extension \"%1\" does not fit").arg(extension);
    }
    findings.push_back(Finding{Topic::Name, QStringLiteral("extension"), Say(language, chinese, english),
                               QJsonObject{{QStringLiteral("content_format"), format},
                                           {QStringLiteral("extensions"), QJsonArray::fromStringList(extensions)},
                                           {QStringLiteral("extension"), extension},
                                           {QStringLiteral("matches"), matches}}});
}

QString KindText(TrailingDataKind kind, Language language)
{
    switch (kind) {
    case TrailingDataKind::Zip: return Say(language, QStringLiteral("ZIP 压缩包"), QStringLiteral("a ZIP archive"));
    case TrailingDataKind::Rar: return Say(language, QStringLiteral("RAR 压缩包"), QStringLiteral("a RAR archive"));
    case TrailingDataKind::SevenZip: return Say(language, QStringLiteral("7z 压缩包"), QStringLiteral("a 7z archive"));
    case TrailingDataKind::Pdf: return Say(language, QStringLiteral("PDF 文档"), QStringLiteral("a PDF document"));
    case TrailingDataKind::Jpeg: return Say(language, QStringLiteral("另一张 JPEG 图片"), QStringLiteral("another JPEG picture"));
    case TrailingDataKind::Mp4: return Say(language, QStringLiteral("MP4 视频（动态照片即如此附加视频）"), QStringLiteral("an MP4 video (as motion photos append theirs)"));
    case TrailingDataKind::Text: return Say(language, QStringLiteral("文本"), QStringLiteral("text"));
    case TrailingDataKind::Zeros: return Say(language, QStringLiteral("全是零字节（填充）"), QStringLiteral("zero bytes only (padding)"));
    case TrailingDataKind::Empty:
    case TrailingDataKind::Unknown: break;
    }
    return Say(language, QStringLiteral("无法识别的数据"), QStringLiteral("data of no known kind"));
}

// The formats whose picture has an end that the walk can find.
bool HasAnEnd(const QByteArray& contentFormat)
{
    return contentFormat == "jpeg" || contentFormat == "png" || contentFormat == "gif" ||
           contentFormat == "webp";
}

void AddTrailingDataFinding(const info::ImageFacts& facts, const FileStructure& structure,
                            Language language, std::vector<Finding>& findings)
{
    if (!HasAnEnd(facts.contentFormat))
        return;
    if (!structure.pictureEnd) {
        findings.push_back(Finding{
            Topic::TrailingData, QStringLiteral("end_not_found"),
            Say(language, QStringLiteral("没有找到图片数据的结束标记：文件可能被截断"),
                QStringLiteral("the picture's end was not found: the file may be cut short")),
            QJsonObject{{QStringLiteral("end_found"), false}}});
        return;
    }
    const qsizetype end = *structure.pictureEnd;
    const qsizetype length = structure.fileSize - end;
    if (length <= 0) {
        findings.push_back(Finding{
            Topic::TrailingData, QStringLiteral("none"),
            Say(language, QStringLiteral("图片数据结束后没有其他字节"),
                QStringLiteral("nothing follows the end of the picture")),
            QJsonObject{{QStringLiteral("end_found"), true}, {QStringLiteral("offset"), qint64(end)},
                        {QStringLiteral("length"), 0}}});
        return;
    }
    TrailingDataKind kind = ClassifyTrailingData(structure.trailingSample);
    QJsonObject json{{QStringLiteral("end_found"), true}, {QStringLiteral("offset"), qint64(end)},
                     {QStringLiteral("length"), qint64(length)}};
    QString chinese = QStringLiteral("图片数据结束后还有 %1 字节（自偏移 %2 起），看起来是%3")
                          .arg(length).arg(end).arg(KindText(kind, Language::Chinese));
    QString english = QStringLiteral("%1 bytes follow the end of the picture (from offset %2); they look like %3")
                          .arg(length).arg(end).arg(KindText(kind, Language::English));
    if (kind == TrailingDataKind::Unknown || kind == TrailingDataKind::Zeros) {
        if (const std::optional<EmbeddedSignature> embedded = FindEmbeddedSignature(structure.trailingSample)) {
            json.insert(QStringLiteral("embedded_kind"), QString(TrailingDataKindName(embedded->kind)));
            json.insert(QStringLiteral("embedded_at"), qint64(end + embedded->offset));
            chinese += QStringLiteral("；其中自偏移 %1 起是%2").arg(end + embedded->offset).arg(KindText(embedded->kind, Language::Chinese));
            english += QStringLiteral("; %1 starts at offset %2").arg(KindText(embedded->kind, Language::English)).arg(end + embedded->offset);
        }
    }
    if (kind == TrailingDataKind::Jpeg && structure.mpfPictures.size() > 1) {
        chinese += QStringLiteral("（MPF 索引列出了它）");
        english += QStringLiteral(" (the MPF index lists it)");
    }
    json.insert(QStringLiteral("kind"), QString(TrailingDataKindName(kind)));
    findings.push_back(Finding{Topic::TrailingData, QStringLiteral("after_end"),
                               Say(language, chinese, english), json});
}

void AddProvenanceFindings(const info::ImageFacts& facts, const FileStructure& structure,
                           Language language, std::vector<Finding>& findings)
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
            Topic::Provenance, QStringLiteral("c2pa"),
            Say(language,
                QStringLiteral("含 Content Credentials（C2PA）清单库：%1 个清单，生效清单的声明生成器为“%2”；未经验证（未检查签名、证书及与图片绑定的哈希）")
                    .arg(c2pa.manifestCount).arg(generator),
                QStringLiteral("a Content Credentials (C2PA) manifest store: %1 manifests, the active claim's generator \"%2\"; %3")
                    .arg(c2pa.manifestCount).arg(generator, QString(kC2paNotValidated))),
            QJsonObject{{QStringLiteral("present"), true}, {QStringLiteral("validated"), false},
                        {QStringLiteral("manifests"), c2pa.manifestCount},
                        {QStringLiteral("claim_generator"), c2pa.claimGenerator},
                        {QStringLiteral("generator_info"), generatorJson},
                        {QStringLiteral("problem"), c2pa.problem}}});
    } else {
        findings.push_back(Finding{
            Topic::Provenance, QStringLiteral("c2pa"),
            Say(language, QStringLiteral("没有 Content Credentials（C2PA）清单"),
                QStringLiteral("no Content Credentials (C2PA) manifest")),
            QJsonObject{{QStringLiteral("present"), false}}});
    }

    if (!structure.xmp.isEmpty()) {
        const XmpFacts xmp = ReadXmpFacts(structure.xmp);
        if (!xmp.digitalSourceType.isEmpty()) {
            QString chinese = QStringLiteral("XMP 声明的数字来源类型：%1").arg(xmp.digitalSourceTerm);
            QString english = QStringLiteral("digital source type declared in XMP: %1").arg(xmp.digitalSourceTerm);
            if (xmp.generative) {
                chinese += QStringLiteral("：按文件自己的声明，由 AI 生成");
                english += QStringLiteral(": generated by AI, as the file declares");
            }
            findings.push_back(Finding{Topic::Provenance, QStringLiteral("digital_source_type"),
                                       Say(language, chinese, english),
                                       QJsonObject{{QStringLiteral("uri"), xmp.digitalSourceType},
                                                   {QStringLiteral("term"), xmp.digitalSourceTerm},
                                                   {QStringLiteral("generative"), xmp.generative}}});
        }
        if (!xmp.creatorTool.isEmpty()) {
            findings.push_back(Finding{
                Topic::Provenance, QStringLiteral("creator_tool"),
                Say(language, QStringLiteral("XMP 创建工具：%1").arg(xmp.creatorTool),
                    QStringLiteral("XMP creator tool: %1").arg(xmp.creatorTool)),
                QJsonObject{{QStringLiteral("creator_tool"), xmp.creatorTool}}});
        }
        if (!xmp.history.empty()) {
            // The latest actions tell the most; three are enough for a line.
            QStringList actions;
            QJsonArray events;
            const std::size_t first = xmp.history.size() > 3 ? xmp.history.size() - 3 : 0;
            for (std::size_t index = first; index < xmp.history.size(); ++index) {
                const XmpHistoryEvent& event = xmp.history[index];
                QString action = event.action;
                if (!event.softwareAgent.isEmpty())
                    action += QStringLiteral(" (%1)").arg(event.softwareAgent);
                if (!event.when.isEmpty())
                    action += u' ' + event.when;
                actions << action;
                events.append(QJsonObject{{QStringLiteral("action"), event.action},
                                          {QStringLiteral("software_agent"), event.softwareAgent},
                                          {QStringLiteral("when"), event.when}});
            }
            findings.push_back(Finding{
                Topic::Provenance, QStringLiteral("history"),
                Say(language, QStringLiteral("XMP 编辑历史共 %1 项，最后几项：%2").arg(xmp.history.size()).arg(actions.join(QStringLiteral("；"))),
                    QStringLiteral("XMP edit history of %1 entries, the last: %2").arg(xmp.history.size()).arg(actions.join(QStringLiteral("; ")))),
                QJsonObject{{QStringLiteral("entries"), qint64(xmp.history.size())},
                            {QStringLiteral("last"), events}}});
        }
    }

    if (const info::PropertyFact* software = FindProperty(facts, PropertyTagSoftwareUsed)) {
        findings.push_back(Finding{
            Topic::Provenance, QStringLiteral("software"),
            Say(language, QStringLiteral("写入文件的软件（Software）：%1").arg(software->value),
                QStringLiteral("software that wrote the file (Software): %1").arg(software->value)),
            QJsonObject{{QStringLiteral("software"), software->value}}});
    }
}

void AddColourFinding(const info::ImageFacts& facts, const FileStructure& structure,
                      Language language, std::vector<Finding>& findings)
{
    QByteArray profile = structure.iccProfile;
    if (profile.isEmpty()) {
        if (const info::PropertyFact* item = FindProperty(facts, PropertyTagICCProfile))
            profile = item->bytes;
    }
    if (const std::optional<IccSummary> icc = ReadIccSummary(profile)) {
        findings.push_back(Finding{
            Topic::Colour, QStringLiteral("icc_profile"),
            Say(language, QStringLiteral("ICC 配置文件：“%1”（%2）").arg(icc->description, icc->colourSpace),
                QStringLiteral("ICC profile: \"%1\" (%2)").arg(icc->description, icc->colourSpace)),
            QJsonObject{{QStringLiteral("description"), icc->description},
                        {QStringLiteral("colour_space"), icc->colourSpace},
                        {QStringLiteral("bytes"), qint64(profile.size())}}});
        return;
    }
    QString chinese = QStringLiteral("没有 ICC 配置文件");
    QString english = QStringLiteral("no ICC profile");
    if (facts.colorSpaceText == QLatin1String("未校准")) {
        chinese += QStringLiteral("，而 Exif 颜色空间为“未校准”：颜色的含义没有说明（相机常以此表示 Adobe RGB）");
        english += QStringLiteral(", although the Exif colour space says uncalibrated: what the colours mean is not stated (cameras mark Adobe RGB so)");
    } else if (facts.colorSpaceText == QLatin1String("sRGB")) {
        chinese += QStringLiteral("；Exif 颜色空间为 sRGB");
        english += QStringLiteral("; the Exif colour space is sRGB");
    } else {
        chinese += QStringLiteral("，也没有 Exif 颜色空间：通常按 sRGB 显示");
        english += QStringLiteral(" and no Exif colour space: shown as sRGB, as is usual");
    }
    findings.push_back(Finding{Topic::Colour, QStringLiteral("icc_profile"), Say(language, chinese, english),
                               QJsonObject{{QStringLiteral("description"), QJsonValue::Null},
                                           {QStringLiteral("exif_colour_space"), facts.colorSpaceText}}});
}

constexpr std::array<Topic, 8> kTopics{Topic::Name,       Topic::CameraRaw,  Topic::TrailingData,
                                       Topic::Embedded,   Topic::JpegCoding, Topic::Provenance,
                                       Topic::Colour,     Topic::Consistency};

}  // namespace

FileAnalysis AnalyseFile(const QString& path, GpImage* image, const info::ImageFacts& facts,
                         const FileStructure& structure, Language language)
{
    FileAnalysis analysis;
    AddNameFinding(path, facts, language, analysis.findings);
    AddTrailingDataFinding(facts, structure, language, analysis.findings);
    AddCameraRawFindings(image, facts, structure, language, analysis.findings);
    AddEmbeddedPictureFindings(image, facts, structure, language, analysis.findings);
    AddJpegCodingFindings(structure, language, analysis.findings);
    AddProvenanceFindings(facts, structure, language, analysis.findings);
    AddColourFinding(facts, structure, language, analysis.findings);
    AddConsistencyFindings(facts, structure, language, analysis.findings);
    return analysis;
}

QString TopicHeading(Topic topic, Language language)
{
    switch (topic) {
    case Topic::Name: return Say(language, QStringLiteral("名称与内容"), QStringLiteral("Name and content"));
    case Topic::CameraRaw: return Say(language, QStringLiteral("相机原始文件"), QStringLiteral("Camera raw"));
    case Topic::TrailingData: return Say(language, QStringLiteral("结尾之后"), QStringLiteral("After the end"));
    case Topic::Embedded: return Say(language, QStringLiteral("内嵌图片"), QStringLiteral("Embedded pictures"));
    case Topic::JpegCoding: return Say(language, QStringLiteral("JPEG 编码"), QStringLiteral("JPEG coding"));
    case Topic::Provenance: return Say(language, QStringLiteral("来源"), QStringLiteral("Provenance"));
    case Topic::Colour: return Say(language, QStringLiteral("颜色"), QStringLiteral("Colour"));
    case Topic::Consistency: return Say(language, QStringLiteral("一致性"), QStringLiteral("Consistency"));
    }
    return {};
}

QString TopicName(Topic topic)
{
    switch (topic) {
    case Topic::Name: return QStringLiteral("name");
    case Topic::CameraRaw: return QStringLiteral("camera_raw");
    case Topic::TrailingData: return QStringLiteral("trailing_data");
    case Topic::Embedded: return QStringLiteral("embedded");
    case Topic::JpegCoding: return QStringLiteral("jpeg");
    case Topic::Provenance: return QStringLiteral("provenance");
    case Topic::Colour: return QStringLiteral("colour");
    case Topic::Consistency: return QStringLiteral("consistency");
    }
    return {};
}

QString AnalysisText(const FileAnalysis& analysis, Language language)
{
    QString text = Say(language, QStringLiteral("分析：\n"), QStringLiteral("Analysis:\n"));
    const QString separator = Say(language, QStringLiteral("："), QStringLiteral(": "));
    for (const Topic topic : kTopics) {
        for (const Finding& finding : analysis.findings) {
            if (finding.topic == topic)
                text += u' ' + TopicHeading(topic, language) + separator + finding.text + u'\n';
        }
    }
    return text;
}

QJsonObject AnalysisJson(const FileAnalysis& analysis)
{
    QJsonObject json;
    for (const Topic topic : kTopics) {
        QJsonObject findings;
        for (const Finding& finding : analysis.findings) {
            if (finding.topic != topic)
                continue;
            QJsonObject entry = finding.data;
            entry.insert(QStringLiteral("text"), finding.text);
            findings.insert(finding.key, entry);
        }
        if (!findings.isEmpty())
            json.insert(TopicName(topic), findings);
    }
    return json;
}

}  // namespace veltra::analysis
