#pragma once

#include <QStringList>

namespace veltra::imaging {

// The MIME types of the picture formats the service decodes, sorted and without repeats.
// The desktop entry is generated from this list at build time, so the file types the desktop
// offers to open with Veltra are exactly the ones it can show.
QStringList DecodableMimeTypes();

}  // namespace veltra::imaging
