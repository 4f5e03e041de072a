#include "app/recent_file_list.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace veltra {

CRecentFileList::CRecentFileList(QString section, QString entryFormat, int size,
                                 int maxDisplayLength)
    : m_section(std::move(section)),
      m_entryFormat(std::move(entryFormat)),
      m_size(size),
      m_maxDisplayLength(maxDisplayLength)
{
}

void CRecentFileList::Add(const QString& path)
{
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    m_entries.removeAll(fullPath);
    m_entries.prepend(fullPath);
    while (m_entries.size() > m_size)
        m_entries.removeLast();
}

void CRecentFileList::Remove(int index)
{
    if (index >= 0 && index < m_entries.size())
        m_entries.removeAt(index);
}

QString CRecentFileList::GetDisplayName(int index, const QString& currentDirectory) const
{
    const QFileInfo file(m_entries.at(index));
    if (!currentDirectory.isEmpty() &&
        QDir::cleanPath(file.absolutePath()) == QDir::cleanPath(currentDirectory))
        return file.fileName();
    return AbbreviatePath(m_entries.at(index), m_maxDisplayLength);
}

void CRecentFileList::ReadList(QSettings& settings)
{
    m_entries.clear();
    settings.beginGroup(m_section);
    for (int slot = 1; slot <= m_size; ++slot) {
        const QString path = settings.value(m_entryFormat.arg(slot)).toString();
        // A gap or a repeated entry in a hand-edited file is skipped, not shown.
        if (!path.isEmpty() && !m_entries.contains(path))
            m_entries.append(path);
    }
    settings.endGroup();
}

void CRecentFileList::WriteList(QSettings& settings) const
{
    settings.remove(m_section);
    settings.beginGroup(m_section);
    for (int slot = 1; slot <= m_entries.size(); ++slot)
        settings.setValue(m_entryFormat.arg(slot), m_entries.at(slot - 1));
    settings.endGroup();
}

QString AbbreviatePath(const QString& path, int maxLength)
{
    if (path.size() <= maxLength)
        return path;
    const qsizetype lastSlash = path.lastIndexOf(u'/');
    const QString fileName = path.mid(lastSlash + 1);
    if (maxLength < fileName.size() || !path.startsWith(u'/'))
        return fileName;

    // The part kept in front: the root and the first directory, unless the file lies
    // directly in the root.
    qsizetype volumeEnd = 0;
    if (lastSlash > 0)
        volumeEnd = path.indexOf(u'/', 1);
    const QString ellipsis = QStringLiteral("/...");
    if (maxLength < volumeEnd + ellipsis.size() + 1 + fileName.size())
        return fileName;

    // Drop whole directories after the volume until the rest fits behind "/...".
    qsizetype restStart = volumeEnd;
    while (volumeEnd + ellipsis.size() + (path.size() - restStart) > maxLength)
        restStart = path.indexOf(u'/', restStart + 1);
    return path.left(volumeEnd) + ellipsis + path.mid(restStart);
}

QString RecentFileMenuText(int index, const QString& displayName)
{
    QString escaped = displayName;
    escaped.replace(QStringLiteral("&"), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(QString::number(index + 1), escaped);
}

}  // namespace veltra
