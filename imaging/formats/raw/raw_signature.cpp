#include "formats/raw/raw_signature.h"

#include "formats/raw/raw_directories.h"
#include "metadata/ifd_walker.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace veltra::imaging {
namespace {

bool StartsAt(QByteArrayView file, qsizetype offset, QByteArrayView signature)
{
    return file.size() >= offset + signature.size() &&
           file.sliced(offset, signature.size()) == signature;
}

bool MakeStartsWith(const QByteArray& make, std::string_view prefix)
{
    return make.size() >= qsizetype(prefix.size()) &&
           QByteArrayView(make).first(qsizetype(prefix.size()))
                   .compare(QByteArrayView(prefix.data(), qsizetype(prefix.size())),
                            Qt::CaseInsensitive) == 0;
}

struct MakerRow {
    std::string_view make;
    RawKind kind;
};

// The raw format of a TIFF-structured raw, by the maker its IFD0 names.
constexpr std::array kTiffRawsByMaker{
    MakerRow{"NIKON", RawKind::Nef},         MakerRow{"SONY", RawKind::Arw},
    MakerRow{"PENTAX", RawKind::Pef},        MakerRow{"RICOH", RawKind::Pef},
    MakerRow{"ASAHI", RawKind::Pef},         MakerRow{"SAMSUNG", RawKind::Srw},
    MakerRow{"Hasselblad", RawKind::Fff3},   MakerRow{"SEIKO EPSON", RawKind::Erf},
    MakerRow{"EPSON", RawKind::Erf},         MakerRow{"EASTMAN KODAK", RawKind::Dcr},
    MakerRow{"KODAK", RawKind::Dcr},         MakerRow{"Leaf", RawKind::Mos},
    MakerRow{"Mamiya", RawKind::Mef},        MakerRow{"Phase One", RawKind::Iiq},
};

RawKind KindOfTiffRaw(const RawDirectories& directories)
{
    const QByteArray& make = directories.make;
    const QByteArray& model = directories.model;
    for (const MakerRow& row : kTiffRawsByMaker) {
        if (!MakeStartsWith(make, row.make))
            continue;
        // Makers with more than one TIFF-structured raw tell them apart by the camera.
        if (row.kind == RawKind::Nef && model.contains("COOLPIX"))
            return RawKind::Nrw;
        if (row.kind == RawKind::Arw && model.contains("DSC-R1"))
            return RawKind::Sr2;
        if (row.kind == RawKind::Arw && model.contains("DSC-F828"))
            return RawKind::Srf;
        if (row.kind == RawKind::Dcr && !model.contains("DCS"))
            return RawKind::Kdc;
        return row.kind;
    }
    return RawKind::Other;
}

std::optional<RawSignature> SniffTiffRaw(QByteArrayView file, ByteOrder order)
{
    // Canon's CR2 says so right after the header.
    if (StartsAt(file, 8, QByteArrayView("CR\x02", 3)))
        return RawSignature{RawKind::Cr2, RawContainer::Tiff};
    // Phase One's raw block starts right after the header, in the file's byte order.
    if (StartsAt(file, 8, "IIII") || StartsAt(file, 8, "MMMM"))
        return RawSignature{RawKind::Iiq, RawContainer::Tiff};
    const RawDirectories directories = ReadRawDirectories(file, order);
    if (!directories.dngVersion.isEmpty())
        return RawSignature{RawKind::Dng, RawContainer::Tiff};
    const bool sensorData = std::any_of(directories.directories.begin(),
                                        directories.directories.end(),
                                        [](const RawDirectory& d) { return d.holdsSensorData(); });
    if (!sensorData && !directories.makerRawBlock)
        return std::nullopt;  // a plain TIFF
    return RawSignature{KindOfTiffRaw(directories), RawContainer::Tiff};
}

}  // namespace

std::optional<RawSignature> SniffCameraRaw(QByteArrayView file)
{
    if (const std::optional<ByteOrder> order = TiffByteOrder(file))
        return SniffTiffRaw(file, *order);
    if (StartsAt(file, 4, "ftypcrx "))
        return RawSignature{RawKind::Cr3, RawContainer::Cr3};
    if (StartsAt(file, 0, "FUJIFILMCCD-RAW "))
        return RawSignature{RawKind::Raf, RawContainer::Raf};
    if ((StartsAt(file, 0, "II") || StartsAt(file, 0, "MM")) && StartsAt(file, 6, "HEAPCCDR"))
        return RawSignature{RawKind::Crw, RawContainer::Crw};
    if (StartsAt(file, 0, QByteArrayView("\0MRM", 4)))
        return RawSignature{RawKind::Mrw, RawContainer::Mrw};
    if (StartsAt(file, 0, "IIRO") || StartsAt(file, 0, "IIRS") || StartsAt(file, 0, "MMOR"))
        return RawSignature{RawKind::Orf, RawContainer::TiffLike};
    if (StartsAt(file, 0, QByteArrayView("IIU\0", 4))) {
        // Leica's RWL is Panasonic's RW2 under Leica's name.
        const RawDirectories directories = ReadRawDirectories(file, ByteOrder::Little);
        return RawSignature{MakeStartsWith(directories.make, "LEICA") ? RawKind::Rwl : RawKind::Rw2,
                            RawContainer::TiffLike};
    }
    return std::nullopt;
}

}  // namespace veltra::imaging
