#include "app/command_line_info.h"

namespace veltra {

void CCommandLineInfo::ParseCommandLine(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (argument.startsWith(u'-')) {
            m_switches.append(argument.mid(1));
            continue;
        }
        // Later names are ignored: the application shows one document.
        if (m_strFileName.isEmpty() && !argument.isEmpty()) {
            m_strFileName = argument;
            m_nShellCommand = Shell::FileOpen;
        }
    }
}

}  // namespace veltra
