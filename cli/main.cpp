// veltra-info: prints the report that the window draws over a picture, for each file named
// on the command line, through the same document load and the same report code.

#include "cli/info_command.h"
#include "imaging/gdiplus.h"
#include "imaging/logging.h"
#include "imaging/work_counters.h"

#include <QStringList>
#include <QThread>

#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv)
{
    // Standard error carries only this program's own messages, one per file that could not be
    // loaded; what Qt and the decoders say goes to the log that QT_LOGGING_RULES turns on.
    veltra::imaging::RouteLibraryMessagesToLog();
    // No QCoreApplication: a report needs no event loop, timer or translation, and making one
    // sets the C library's locale and the event machinery up, a millisecond of every run. The
    // arguments are decoded as it would decode them. Qt takes the first thread that asks for its
    // thread data as its main thread, which the application object would have settled: asked
    // here, before any worker makes an object, so that it is not a worker, which ends first.
    QThread::currentThread();
    QStringList arguments;
    arguments.reserve(argc > 1 ? argc - 1 : 0);
    for (int index = 1; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    veltra::cli::InfoOptions options = veltra::cli::ParseInfoArguments(arguments);
    options.language = veltra::cli::MessageLanguageOfSystem();

    // The report needs no pixels, so none are decoded ahead; --decode asks for them.
    std::uintptr_t token = 0;
    veltra::imaging::GdiplusStartupInput startup;
    startup.SuppressBackgroundThread = true;
    veltra::imaging::GdiplusStartup(&token, &startup, nullptr);

    // The failure lines and the progress go to standard error as it is now, through a
    // descriptor of their own: while a codec library that prints its complaints works on one
    // file, standard error is turned aside to the log, and a line another file's worker wrote
    // meanwhile would go with it.
    FILE* messages = nullptr;
    if (const int descriptor = dup(STDERR_FILENO); descriptor >= 0) {
        messages = fdopen(descriptor, "w");
        if (!messages)
            close(descriptor);
    }
    if (messages)
        std::setvbuf(messages, nullptr, _IONBF, 0);
    else
        messages = stderr;

    const int status = veltra::cli::RunInfoCommand(options, stdout, messages);
    // What the files cost, for checks that bound work rather than time (off by default).
    veltra::imaging::LogWorkDone();
    return status;
}
