#pragma once

// The standard single-document command line: the first argument that is not a switch names
// the file to open; a switch begins with "-". An absolute path begins with "/" and is a file
// name here, not a switch.

#include <QString>
#include <QStringList>

namespace veltra {

class CCommandLineInfo {
public:
    enum class Shell { FileNew, FileOpen };

    // Reads the arguments after the program name.
    void ParseCommandLine(const QStringList& arguments);

    Shell m_nShellCommand = Shell::FileNew;
    QString m_strFileName;
    // Switches as given, without their "-"; none of them changes what start-up does.
    QStringList m_switches;
};

}  // namespace veltra
