#pragma once

// Runs veltra-info as a user does, as a separate process, in a chosen locale.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <unistd.h>

namespace veltra::test {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// How the program is started: as the test runs, or so that a file's mode binds it even when
// the test runs as root (CI does), whose capabilities to read and search past any mode are
// dropped for the program.
enum class Permissions { AsTheTest, ModesBind };

// The locale decides the language of the program's own messages; Chinese unless told.
inline ProgramRun RunInfo(const QStringList& arguments,
                          const QString& locale = QStringLiteral("zh_CN.UTF-8"),
                          Permissions permissions = Permissions::AsTheTest)
{
    QProcess process;
    // The program must not need a display.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("LANGUAGE"));
    environment.remove(QStringLiteral("LC_MESSAGES"));
    environment.insert(QStringLiteral("LC_ALL"), locale);
    process.setProcessEnvironment(environment);
    if (permissions == Permissions::ModesBind && ::geteuid() == 0) {
        process.start(QStringLiteral("setpriv"),
                      QStringList{QStringLiteral("--bounding-set=-dac_override,-dac_read_search"),
                                  QStringLiteral(VELTRA_INFO_PROGRAM)} +
                          arguments);
    } else {
        process.start(QStringLiteral(VELTRA_INFO_PROGRAM), arguments);
    }
    process.waitForFinished(-1);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace veltra::test
