#pragma once

#include "formats/format_reader.h"

namespace veltra::imaging {

// Camera raws, developed by LibRaw: DNG, CR2, CR3, CRW, NEF, NRW, ARW, SR2, SRF, RAF, RW2,
// RWL, ORF, PEF, SRW, MRW, IIQ, 3FR, ERF, KDC, DCR, MOS, MEF and other TIFF-structured raws.
// Recognised by their signatures, and for raws in a TIFF container by their sensor data,
// before the TIFF row would take them for the thumbnail of their first directory. The items
// come from their TIFF structures through the one IFD walker; the size, the turn and the
// pixels from LibRaw, which is opened when the first raw is read.
extern const FormatReader kCameraRawFormat;

}  // namespace veltra::imaging
