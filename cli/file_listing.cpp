#include "file_listing.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace veltra::cli {
namespace {

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// The end of the run of digits starting at `from`.
qsizetype DigitsEnd(const QString& text, qsizetype from)
{
    while (from < text.size() && IsDigit(text[from]))
        ++from;
    return from;
}

// The run's value compared as text: leading zeros dropped, then a longer run is larger.
int CompareNumbers(QStringView a, QStringView b)
{
    while (a.size() > 1 && a.front() == u'0')
        a = a.sliced(1);
    while (b.size() > 1 && b.front() == u'0')
        b = b.sliced(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

void AddFolder(const QString& folder, QStringList* files)
{
    const QDir dir(folder);
    if (!dir.isReadable()) {
        *files << folder;
        return;
    }
    QStringList names = dir.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(names.begin(), names.end(), NaturallyBefore);
    for (const QString& name : names) {
        const QString path = folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
        const QFileInfo info(path);
        if (info.isSymLink()) {
            if (!info.isDir())
                *files << path;
        } else if (info.isDir()) {
            AddFolder(path, files);
        } else {
            *files << path;
        }
    }
}

}  // namespace

bool NaturallyBefore(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const qsizetype endA = DigitsEnd(a, i);
            const qsizetype endB = DigitsEnd(b, j);
            if (const int order = CompareNumbers(QStringView(a).sliced(i, endA - i),
                                                 QStringView(b).sliced(j, endB - j));
                order != 0)
                return order < 0;
            i = endA;
            j = endB;
        } else if (a[i] != b[j]) {
            return a[i] < b[j];
        } else {
            ++i;
            ++j;
        }
    }
    if ((i < a.size()) != (j < b.size()))
        return j < b.size();
    return a < b;
}

QStringList ListFiles(const QStringList& arguments, bool recursive)
{
    if (!recursive)
        return arguments;
    QStringList files;
    for (const QString& argument : arguments) {
        // A folder named on the command line is walked even through a link: it was asked for.
        if (QFileInfo(argument).isDir())
            AddFolder(argument, &files);
        else
            files << argument;
    }
    return files;
}

}  // namespace veltra::cli
