#include "formats/other/other_reader.h"

#include "formats/gif/gif_reader.h"
#include "formats/qt_decoding.h"
#include "imaging/logging.h"
#include "imaging/work_counters.h"

namespace veltra::imaging {
namespace {

bool MatchesAnything(QByteArrayView /*head*/)
{
    return true;
}

// The portable anymaps share one decoder; the digit after the "P" says which kind a file is:
// bitmap (1 as text, 4 as bytes), greymap (2, 5) or pixmap (3, 6).
template <char Text, char Binary>
bool IsPortableAnymap(QByteArrayView head)
{
    return head.size() >= 2 && head[0] == 'P' && (head[1] == Text || head[1] == Binary);
}

// A Windows cursor: an icon directory of type 2.
bool IsCursor(QByteArrayView head)
{
    return head.startsWith(QByteArrayView("\0\0\2\0", 4));
}

// The raster formats without a reader of their own that the service decodes, through Qt's
// plugin of that name, tried in this order: their content checks are weak, so those that need a
// signature (PNM's "P1" to "P6", the XBM and XPM texts, "icns", a cursor's 00 00 02 00) come
// before TGA and WBMP, which accept almost any bytes. Nothing else is ever asked: not SVG (a
// vector format that a few bytes can make expand without bound), nor any plugin Qt might find
// by guessing.
constexpr ContentKind kOtherKinds[]{
    {.name = "pbm",
     .extensions = "pbm pnm",
     .mimeTypes = "image/x-portable-bitmap",
     .qtDecoder = "pbm",
     .signature = IsPortableAnymap<'1', '4'>},
    {.name = "pgm",
     .extensions = "pgm pnm",
     .mimeTypes = "image/x-portable-graymap",
     .qtDecoder = "pgm",
     .signature = IsPortableAnymap<'2', '5'>},
    {.name = "ppm",
     .extensions = "ppm pnm",
     .mimeTypes = "image/x-portable-pixmap",
     .qtDecoder = "ppm",
     .signature = IsPortableAnymap<'3', '6'>},
    {.name = "xbm", .extensions = "xbm", .mimeTypes = "image/x-xbitmap", .qtDecoder = "xbm"},
    {.name = "xpm", .extensions = "xpm", .mimeTypes = "image/x-xpixmap", .qtDecoder = "xpm"},
    {.name = "icns", .extensions = "icns", .mimeTypes = "image/x-icns", .qtDecoder = "icns"},
    {.name = "cur",
     .extensions = "cur",
     .mimeTypes = "image/x-win-bitmap",
     .qtDecoder = "cur",
     .signature = IsCursor},
    {.name = "tga",
     .extensions = "tga icb vda vst",
     .mimeTypes = "image/x-tga",
     .qtDecoder = "tga"},
    {.name = "wbmp", .extensions = "wbmp", .mimeTypes = "image/vnd.wap.wbmp", .qtDecoder = "wbmp"},
};

}  // namespace

const FormatReader kOtherFormat{
    .format = FileFormat::Unknown,
    .kinds = kOtherKinds,
    .matches = MatchesAnything,
};

}  // namespace veltra::imaging
