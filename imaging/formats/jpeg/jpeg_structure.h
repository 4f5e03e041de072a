#pragma once

#include "imaging/file_structure.h"

#include <QByteArrayView>

namespace veltra::imaging {

// How a JPEG was coded (frame, tables, restart interval), what it embeds (MPF pictures,
// Photoshop's thumbnail, XMP, an ICC profile, Content Credentials) and where it ends.
void ReadJpegStructure(QByteArrayView file, FileStructure* out);

}  // namespace veltra::imaging
