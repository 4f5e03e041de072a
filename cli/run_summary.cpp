#include "run_summary.h"

#include <QJsonArray>

namespace veltra::cli {
namespace {

analysis::Topic TopicAt(int index) { return static_cast<analysis::Topic>(index); }

analysis::Language AnalysisLanguage(MessageLanguage language)
{
    return language == MessageLanguage::Chinese ? analysis::Language::Chinese
                                                : analysis::Language::English;
}

// "Hidden data: trailing_data": the topic's heading, then the finding's key, which names the
// finding the same way in every report's JSON.
QString FindingLabel(const std::pair<int, QByteArray>& kind, MessageLanguage language)
{
    const bool chinese = language == MessageLanguage::Chinese;
    return analysis::TopicHeading(TopicAt(kind.first), AnalysisLanguage(language)) +
           (chinese ? QStringLiteral("：") : QStringLiteral(": ")) +
           QString::fromLatin1(kind.second);
}

}  // namespace

void RunSummary::add(const QString& file, const FileReport& report)
{
    ++m_files;
    if (!report.loaded) {
        ++m_failed;
        return;
    }
    ++m_formats[report.contentFormat];
    for (const analysis::FindingKind kind : report.secondLooks) {
        const analysis::FindingKindRow& row = analysis::RowOf(kind);
        QStringList& files = m_secondLooks[{static_cast<int>(row.topic), QByteArray(row.key)}];
        if (files.isEmpty() || files.back() != file)
            files << file;
    }
}

QString RunSummary::text(MessageLanguage language) const
{
    const bool chinese = language == MessageLanguage::Chinese;
    QString text =
        (chinese ? QStringLiteral("汇总：%1 个文件，%2 个已读取，%3 个无法加载\n")
                 : QStringLiteral("Summary: %1 files, %2 read, %3 could not be loaded\n"))
            .arg(m_files)
            .arg(m_files - m_failed)
            .arg(m_failed);
    if (!m_formats.empty())
        text += chinese ? QStringLiteral("内容格式：\n") : QStringLiteral("Content formats:\n");
    for (const auto& [format, count] : m_formats)
        text += QStringLiteral("  %1: %2\n").arg(QString::fromLatin1(format)).arg(count);
    if (!m_secondLooks.empty()) {
        text += chinese ? QStringLiteral("值得再看一眼的发现：\n")
                        : QStringLiteral("Findings that deserve a second look:\n");
    }
    for (const auto& [kind, files] : m_secondLooks) {
        text += QStringLiteral("  %1 (%2)\n").arg(FindingLabel(kind, language)).arg(files.size());
        for (const QString& file : files)
            text += QStringLiteral("    ") + file + u'\n';
    }
    return text;
}

QJsonObject RunSummary::json(MessageLanguage language) const
{
    QJsonObject formats;
    for (const auto& [format, count] : m_formats)
        formats.insert(QString::fromLatin1(format), count);
    QJsonObject secondLooks;
    for (const auto& [kind, files] : m_secondLooks) {
        secondLooks.insert(
            analysis::TopicName(TopicAt(kind.first)) + u'.' + QString::fromLatin1(kind.second),
            QJsonObject{{QStringLiteral("text"), FindingLabel(kind, language)},
                        {QStringLiteral("count"), files.size()},
                        {QStringLiteral("files"), QJsonArray::fromStringList(files)}});
    }
    return QJsonObject{
        {QStringLiteral("summary"), QJsonObject{{QStringLiteral("files"), m_files},
                                                {QStringLiteral("loaded"), m_files - m_failed},
                                                {QStringLiteral("failed"), m_failed},
                                                {QStringLiteral("formats"), formats},
                                                {QStringLiteral("second_look"), secondLooks}}}};
}

}  // namespace veltra::cli
