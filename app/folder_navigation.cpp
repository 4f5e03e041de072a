#include "app/folder_navigation.h"

#include "imaging/decodable_mime_types.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>

#include <algorithm>

namespace veltra {

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The run of digits or of other characters that starts at `at`.
QStringView RunAt(const QString& text, qsizetype at)
{
    const bool digits = IsDigit(text[at]);
    qsizetype end = at;
    while (end < text.size() && IsDigit(text[end]) == digits)
        ++end;
    return QStringView(text).sliced(at, end - at);
}

// Two runs of digits by their value, however long: without leading zeros, the longer is the
// larger, and of equal length the first differing digit decides.
int CompareNumbers(QStringView a, QStringView b)
{
    const auto significant = [](QStringView digits) {
        qsizetype first = 0;
        while (first + 1 < digits.size() && digits[first] == u'0')
            ++first;
        return digits.sliced(first);
    };
    const QStringView x = significant(a);
    const QStringView y = significant(b);
    if (x.size() != y.size())
        return x.size() < y.size() ? -1 : 1;
    return x.compare(y);
}

}  // namespace

int NaturalCompare(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const QStringView x = RunAt(a, i);
        const QStringView y = RunAt(b, j);
        const bool numbers = IsDigit(x.front()) && IsDigit(y.front());
        const int order = numbers ? CompareNumbers(x, y) : x.compare(y, Qt::CaseInsensitive);
        if (order != 0)
            return order;
        i += x.size();
        j += y.size();
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return a.compare(b);
}

const QSet<QString>& PictureExtensions()
{
    static const QSet<QString> extensions = [] {
        QSet<QString> found;
        const QMimeDatabase database;
        const QStringList types = imaging::DecodableMimeTypes();
        for (const QString& type : types) {
            const QStringList suffixes = database.mimeTypeForName(type).suffixes();
            for (const QString& suffix : suffixes)
                found.insert(suffix.toLower());
        }
        return found;
    }();
    return extensions;
}

QStringList PicturesIn(const QString& folder, const QSet<QString>& extensions)
{
    const QDir directory(folder);
    const QFileInfoList entries = directory.entryInfoList(QDir::Files | QDir::Readable);
    QStringList pictures;
    for (const QFileInfo& entry : entries) {
        if (extensions.contains(entry.suffix().toLower()))
            pictures << entry.absoluteFilePath();
    }
    std::sort(pictures.begin(), pictures.end(), [](const QString& a, const QString& b) {
        return NaturalCompare(QFileInfo(a).fileName(), QFileInfo(b).fileName()) < 0;
    });
    return pictures;
}

FolderPlace PlaceOf(const QString& file, const QSet<QString>& extensions)
{
    const QFileInfo info(file);
    FolderPlace place;
    place.pictures = PicturesIn(info.absolutePath(), extensions);
    const QString name = info.fileName();
    const QString path = info.absoluteFilePath();
    for (const QString& picture : std::as_const(place.pictures)) {
        if (picture == path) {
            place.index = place.before;
            break;
        }
        if (NaturalCompare(QFileInfo(picture).fileName(), name) > 0)
            break;
        ++place.before;
    }
    return place;
}

std::optional<QString> StepFrom(const FolderPlace& place, FolderStep step)
{
    const int count = static_cast<int>(place.pictures.size());
    // A file that is not a picture sits between the pictures before and after it.
    const int after = place.index >= 0 ? place.index + 1 : place.before;
    const int target = [&] {
        switch (step) {
        case FolderStep::Next: return after;
        case FolderStep::Previous: return place.before - 1;
        case FolderStep::First: return 0;
        case FolderStep::Last: return count - 1;
        }
        return -1;
    }();
    if (target < 0 || target >= count || target == place.index)
        return std::nullopt;
    return place.pictures[target];
}

QString PositionText(const FolderPlace& place)
{
    if (place.index < 0)
        return QString();
    return QStringLiteral("%1 / %2").arg(place.index + 1).arg(place.pictures.size());
}

}  // namespace veltra
