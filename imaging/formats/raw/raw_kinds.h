#pragma once

// The kinds of camera raw the service reads, one per format, each with its extensions and
// MIME types as the desktop's MIME database names them (formats it does not list keep the
// names other programs give them).

#include "imaging/content_kinds.h"

#include <array>
#include <cstddef>

namespace veltra::imaging {

enum class RawKind {
    Dng,
    Cr2,
    Cr3,
    Crw,
    Nef,
    Nrw,
    Arw,
    Sr2,
    Srf,
    Raf,
    Rw2,
    Rwl,
    Orf,
    Pef,
    Srw,
    Mrw,
    Iiq,
    Fff3,
    Erf,
    Kdc,
    Dcr,
    Mos,
    Mef,
    // A TIFF-structured raw of a camera maker not listed above.
    Other,
};

// In the order of RawKind.
inline constexpr std::array<ContentKind, 24> kRawContentKinds{{
    {.name = "dng", .extensions = "dng", .mimeTypes = "image/x-adobe-dng"},
    {.name = "cr2", .extensions = "cr2", .mimeTypes = "image/x-canon-cr2"},
    {.name = "cr3", .extensions = "cr3", .mimeTypes = "image/x-canon-cr3"},
    {.name = "crw", .extensions = "crw", .mimeTypes = "image/x-canon-crw"},
    {.name = "nef", .extensions = "nef", .mimeTypes = "image/x-nikon-nef"},
    {.name = "nrw", .extensions = "nrw", .mimeTypes = "image/x-nikon-nrw"},
    {.name = "arw", .extensions = "arw", .mimeTypes = "image/x-sony-arw"},
    {.name = "sr2", .extensions = "sr2", .mimeTypes = "image/x-sony-sr2"},
    {.name = "srf", .extensions = "srf", .mimeTypes = "image/x-sony-srf"},
    {.name = "raf", .extensions = "raf", .mimeTypes = "image/x-fuji-raf"},
    // Panasonic's older raws share the newer ones' signature and structure.
    {.name = "rw2",
     .extensions = "rw2 raw",
     .mimeTypes = "image/x-panasonic-rw2 image/x-panasonic-rw"},
    {.name = "rwl", .extensions = "rwl", .mimeTypes = "image/x-leica-rwl"},
    {.name = "orf", .extensions = "orf", .mimeTypes = "image/x-olympus-orf"},
    {.name = "pef", .extensions = "pef", .mimeTypes = "image/x-pentax-pef"},
    {.name = "srw", .extensions = "srw", .mimeTypes = "image/x-samsung-srw"},
    {.name = "mrw", .extensions = "mrw", .mimeTypes = "image/x-minolta-mrw"},
    {.name = "iiq", .extensions = "iiq", .mimeTypes = "image/x-phaseone-iiq"},
    {.name = "3fr", .extensions = "3fr", .mimeTypes = "image/x-hasselblad-3fr"},
    {.name = "erf", .extensions = "erf", .mimeTypes = "image/x-epson-erf"},
    {.name = "kdc", .extensions = "kdc", .mimeTypes = "image/x-kodak-kdc"},
    {.name = "dcr", .extensions = "dcr", .mimeTypes = "image/x-kodak-dcr"},
    {.name = "mos", .extensions = "mos", .mimeTypes = "image/x-leaf-mos"},
    {.name = "mef", .extensions = "mef", .mimeTypes = "image/x-mamiya-mef"},
    // The desktop's name for camera raws in general.
    {.name = "camera-raw", .extensions = "raw tif", .mimeTypes = "image/x-dcraw"},
}};

static_assert(kRawContentKinds.size() == static_cast<std::size_t>(RawKind::Other) + 1);

inline const ContentKind& ContentKindOf(RawKind kind)
{
    return kRawContentKinds[static_cast<std::size_t>(kind)];
}

}  // namespace veltra::imaging
