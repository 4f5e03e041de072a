#pragma once

// The one walker of TIFF structures: TIFF and BigTIFF files, JPEG APP1 Exif, PNG eXIf, WebP
// EXIF and the Exif of HEIF, JPEG XL and JPEG 2000 all hold the same header and directories, so
// all of them are read here, with the guards against hostile files in one place.

#include "imaging/property_record.h"
#include "metadata/item_budget.h"
#include "util/byte_reader.h"

#include <QByteArrayView>

#include <cstdint>
#include <optional>

namespace veltra::imaging {

// What the directory after IFD0 means depends on where the TIFF structure lives: in a TIFF
// file it is the next page, which is not part of the first picture's items; in an Exif block
// (JPEG APP1, PNG eXIf, WebP EXIF) it describes the embedded thumbnail.
enum class TiffStructure { File, ExifBlock };

// The items of a TIFF structure that starts with its "II"/"MM" header, in the service's order:
// IFD0, with the Exif and GPS directories listed right after their pointers, then (for an
// Exif block) the thumbnail data and the IFD1 entries under their thumbnail ids. Values are
// converted to little-endian. An id may occur more than once; callers keep the first. Every
// value is taken from the file's budget; one that does not fit is skipped. Never fails: a
// damaged structure yields what could be read.
PropertyRecords ReadTiffItems(QByteArrayView tiff, TiffStructure structure, ItemBudget& budget);
// The same with a budget of its own.
PropertyRecords ReadTiffItems(QByteArrayView tiff, TiffStructure structure);

// The same for a structure whose header the caller has accepted: camera raws that are TIFF
// structures under magic numbers of their own (Olympus "IIRO", Panasonic "IIU\0"). IFD0
// entries below `firstIfd0Tag` are left out: Panasonic numbers its own raw tags from 1, where
// they would pass for GPS tags.
PropertyRecords ReadTiffLikeItems(QByteArrayView tiff, ByteOrder order, TiffStructure structure,
                                  ItemBudget& budget, PROPID firstIfd0Tag = 0);

// The byte order a TIFF header ("II" 2A 00 or "MM" 00 2A) announces, or nothing when the
// bytes do not start with one.
std::optional<ByteOrder> TiffByteOrder(QByteArrayView head);

// The same for a BigTIFF header ("II" 2B 00 08 00 00 00 or "MM" 00 2B 00 08 00 00), whose
// offsets are 64-bit.
std::optional<ByteOrder> BigTiffByteOrder(QByteArrayView head);

// Classic TIFF, with 32-bit offsets, or BigTIFF, with 64-bit offsets, counts and entries of
// 20 bytes. The walker reads both alike.
enum class TiffVariant { Classic, Big };

struct TiffHeader {
    ByteOrder order = ByteOrder::Little;
    TiffVariant variant = TiffVariant::Classic;
    std::uint64_t firstDirectory = 0;
};

// What the header at the start of `bytes` says, or nothing when there is no whole one.
std::optional<TiffHeader> ReadTiffHeader(QByteArrayView bytes);

// What a JPEG APP1 segment starts with when it holds Exif.
inline constexpr QByteArrayView kExifPrefix("Exif\0\0", 6);

// PNG eXIf and WebP EXIF payloads are meant to start with the TIFF header, but some writers
// copy the JPEG segment's "Exif\0\0" prefix along; this returns the payload without it.
QByteArrayView SkipExifPrefix(QByteArrayView payload);

// The id under which an IFD1 entry is listed: the thumbnail counterpart of the IFD0 tag when
// there is one (ImageWidth 0x0100 becomes ThumbnailImageWidth 0x5020), else the id itself.
PROPID ThumbnailPropertyId(PROPID ifd1Tag);

}  // namespace veltra::imaging
