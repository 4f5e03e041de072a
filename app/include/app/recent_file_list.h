#pragma once

// The recent-file list: the most recently opened files, newest first, kept in the user's
// settings between runs and shown on the File menu under shortened names.

#include <QString>
#include <QStringList>

class QSettings;

namespace veltra {

class CRecentFileList {
public:
    // `section` names the settings group, `entryFormat` its keys ("File%1", counting from 1).
    CRecentFileList(QString section, QString entryFormat, int size, int maxDisplayLength);

    int GetSize() const { return m_size; }
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    const QString& operator[](int index) const { return m_entries.at(index); }

    // Puts a file first; an entry for the same file moves up instead of appearing twice, and
    // the oldest entry falls off a full list.
    void Add(const QString& path);
    void Remove(int index);

    // The name the menu shows: just the file name for a file in `currentDirectory`, otherwise
    // the path shortened to the display length.
    QString GetDisplayName(int index, const QString& currentDirectory) const;

    void ReadList(QSettings& settings);
    // Replaces the whole group, so entries dropped during the run are gone from it too.
    void WriteList(QSettings& settings) const;

private:
    QString m_section;
    QString m_entryFormat;
    int m_size;
    int m_maxDisplayLength;
    QStringList m_entries;
};

// Shortens an absolute path to at most `maxLength` characters by replacing directories after
// the first with "...": "/home/.../2023/beach.jpg". The file name itself is never cut: when
// even "/first/.../name" does not fit, the file name alone is returned, however long.
QString AbbreviatePath(const QString& path, int maxLength);

// A menu entry of the list: "&1 name", with ampersands in the name shown as themselves.
QString RecentFileMenuText(int index, const QString& displayName);

}  // namespace veltra
