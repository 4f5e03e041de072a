// Prints the MIME types of the picture formats the imaging service decodes, on one line,
// separated by ';'. The build runs it to fill in the MimeType key of the desktop entry.

#include "imaging/decodable_mime_types.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // The application object gives the plugin loader its search paths.
    QCoreApplication application(argc, argv);
    const QStringList types = veltra::imaging::DecodableMimeTypes();
    if (types.isEmpty()) {
        std::fputs("print_mime_types: no image decoder is installed\n", stderr);
        return 1;
    }
    const QByteArray line = types.join(QLatin1Char(';')).toLatin1();
    std::printf("%s\n", line.constData());
    return 0;
}
