#pragma once

// The files a run reads: the arguments as given or, walking folders, every file under them in a
// stable natural order ("2.jpg" before "10.jpg").

#include <QString>
#include <QStringList>

namespace veltra::cli {

// Whether `a` sorts before `b`: runs of digits by their value, everything else by character;
// names equal that way ("01" and "1") by their characters, so the order never depends on how
// the folder lists them.
bool NaturallyBefore(const QString& a, const QString& b);

// The arguments, each folder among them replaced, when `recursive`, by the files under it:
// every entry that is not a folder (special files too, which the load then refuses without
// opening them for long), links to files as files, links to folders left out (not followed, so
// a loop of links cannot run forever) and a folder that cannot be listed kept as itself, so
// that its failure is reported.
QStringList ListFiles(const QStringList& arguments, bool recursive);

}  // namespace veltra::cli
