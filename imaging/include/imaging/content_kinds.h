#pragma once

// The kinds of content the service decodes, each under its own short name: what a file really
// is, whatever its name says. The report's file type follows the platform's table of raw
// formats; these names are finer (a PPM, a HEIC, an AVIF) and are what the command line's
// JSON and the analysis say.

#include <QByteArrayView>
#include <QStringList>

#include <vector>

namespace veltra::imaging {

struct ContentKind {
    // The short name: "jpeg", "ppm", "heic".
    const char* name = nullptr;
    // The extensions a file of this kind is usually given, separated by spaces, the most
    // usual first.
    const char* extensions = "";
    // Its MIME types, separated by spaces, as the desktop's MIME database names them.
    const char* mimeTypes = "";
    // The Qt image plugin that reads it (its header, and its pixels unless the service decodes
    // them itself); null when the service reads it all itself.
    const char* qtDecoder = nullptr;
    // For a format whose reader reads several kinds through one decoder: whether the file's
    // first bytes are of this kind. Null when the kind needs no such check.
    bool (*signature)(QByteArrayView head) = nullptr;
};

// Every kind the service knows, in the order of its format table.
std::vector<const ContentKind*> ContentKinds();

// The kind of that name; null when the service knows none.
const ContentKind* FindContentKind(QByteArrayView name);

// The usual extensions of the kind of that name, the most usual first; empty when unknown.
QStringList ContentKindExtensions(QByteArrayView name);

}  // namespace veltra::imaging
