#pragma once

// The pictures of the open file's folder, for stepping through them at a keystroke: in the
// order a file manager shows them (runs of digits compared as numbers), "picture" being a
// name whose extension the desktop entry's MIME types cover. The folder is read again at each
// step, so files added or removed meanwhile count.

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace veltra {

// Negative, zero or positive as `a` sorts before, with or after `b`: digit runs compare as
// numbers ("img2" before "img10"), letters without regard to case, ties broken by the plain
// text so that no two different names compare equal.
int NaturalCompare(const QString& a, const QString& b);

// The extensions, in lower case and without the dot, of the MIME types the installed
// decoders read (the desktop entry lists the same types).
const QSet<QString>& PictureExtensions();

// The pictures of a folder, as full paths in natural order. Hidden files are left out, as a
// file manager leaves them.
QStringList PicturesIn(const QString& folder, const QSet<QString>& extensions);

enum class FolderStep { Next, Previous, First, Last };

// Where a file stands among its folder's pictures.
struct FolderPlace {
    QStringList pictures;  // the folder's pictures in natural order
    int index = -1;        // the file's own place among them, or -1 when it is not one
    // Where the file sorts among them, whether or not it is one: the pictures before it.
    int before = 0;
};
FolderPlace PlaceOf(const QString& file, const QSet<QString>& extensions);

// The picture a step from `file` opens; nothing past either end or in a folder without
// pictures.
std::optional<QString> StepFrom(const FolderPlace& place, FolderStep step);

// "3 / 120" for the third of 120 pictures; empty when the file is not one of them.
QString PositionText(const FolderPlace& place);

}  // namespace veltra
