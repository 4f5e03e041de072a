#include "formats/format_registry.h"

#include "formats/bmp/bmp_reader.h"
#include "formats/gif/gif_reader.h"
#include "formats/ico/ico_reader.h"
#include "formats/jpeg/jpeg_reader.h"
#include "formats/metafile/metafile_reader.h"
#include "formats/other/other_reader.h"
#include "formats/png/png_reader.h"
#include "formats/tiff/tiff_reader.h"
#include "formats/webp/webp_reader.h"

#include <array>

namespace veltra::imaging {
namespace {

// Walked from the top; the first check that matches decides.
constexpr std::array<const FormatReader*, 10> kReaders{
    &kPngFormat, &kJpegFormat, &kGifFormat, &kBmpFormat, &kTiffFormat,
    &kIconFormat, &kEmfFormat, &kWmfFormat, &kWebPFormat, &kOtherFormat,
};

}  // namespace

std::span<const FormatReader* const> FormatReaders()
{
    return kReaders;
}

const FormatReader& ReaderFor(QByteArrayView head)
{
    for (const FormatReader* reader : kReaders) {
        if (reader->matches(head))
            return *reader;
    }
    return kOtherFormat;
}

FileFormat SniffFileFormat(QByteArrayView head)
{
    return ReaderFor(head).format;
}

}  // namespace veltra::imaging
