#pragma once

// Runs veltra-info as a user does, as a separate process, in a chosen locale.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace veltra::test {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// The locale decides the language of the program's own messages; Chinese unless told.
inline ProgramRun RunInfo(const QStringList& arguments,
                          const QString& locale = QStringLiteral("zh_CN.UTF-8"))
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
    process.start(QStringLiteral(VELTRA_INFO_PROGRAM), arguments);
    process.waitForFinished(-1);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace veltra::test
