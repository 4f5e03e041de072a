#pragma once

// Which camera raw a file is, from its own bytes: the signatures the raw formats start with,
// and, for raws in a TIFF container, the directories that tell them from a plain TIFF (sensor
// data of a colour filter array or linear raw samples, a DNG version, a camera maker's raw
// block). Never the file's name, never its size.

#include "formats/raw/raw_kinds.h"

#include <QByteArrayView>

#include <optional>

namespace veltra::imaging {

// How a raw's structure is laid out, which decides where its items are read from.
enum class RawContainer {
    Tiff,      // "II*\0" / "MM\0*": DNG, CR2, NEF, ARW, PEF, ...
    TiffLike,  // a TIFF structure under a magic number of its own: ORF, RW2, RWL
    Cr3,       // ISO base media boxes
    Raf,       // Fujifilm's header, with a JPEG and its Exif
    Crw,       // Canon's CIFF heap
    Mrw,       // Minolta's blocks, one of them a TIFF structure
};

struct RawSignature {
    RawKind kind = RawKind::Other;
    RawContainer container = RawContainer::Tiff;
};

std::optional<RawSignature> SniffCameraRaw(QByteArrayView file);

}  // namespace veltra::imaging
