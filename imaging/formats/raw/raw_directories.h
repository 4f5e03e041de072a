#pragma once

// The directories of a TIFF-structured camera raw, as far as telling it from a plain TIFF and
// finding its pictures needs: the chain from IFD0 and the SubIFDs each of them points to
// (where the sensor data and the previews of DNG, NEF, ARW and others live), with the sizes,
// photometric interpretation, compression and data of each. A bounded walk: a few dozen
// directories at most, each read once.

#include "formats/file_facts.h"
#include "util/byte_reader.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <optional>
#include <vector>

namespace veltra::imaging {

// PhotometricInterpretation values of sensor data.
inline constexpr std::uint32_t kPhotometricCfa = 32803;
inline constexpr std::uint32_t kPhotometricLinearRaw = 34892;

struct RawDirectory {
    // "IFD0", "IFD1", ... along the chain; "SubIFD 1", ... for the SubIFDs of a directory.
    QByteArray name;
    std::uint32_t subfileType = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bitsPerSample = 0;
    std::uint32_t samplesPerPixel = 1;
    std::uint32_t compression = 1;
    std::optional<std::uint32_t> photometric;
    // The first strip or tile, or the JPEG that JPEGInterchangeFormat points to.
    std::optional<ByteSpan> firstData;
    // The strips or tiles together: how many, and whether every one lies inside the file.
    std::uint32_t dataPieces = 0;
    bool dataInsideFile = true;
    std::uint64_t dataBytes = 0;

    bool holdsSensorData() const
    {
        return photometric == kPhotometricCfa || photometric == kPhotometricLinearRaw;
    }
};

struct RawDirectories {
    ByteOrder order = ByteOrder::Little;
    std::vector<RawDirectory> directories;
    QByteArray make;
    QByteArray model;
    // DNGVersion's four bytes, as "1.4.0.0".
    QByteArray dngVersion;
    // Tags that say the file holds a raw of a maker that keeps it in a block of its own:
    // Leaf's (0x8606) and Kodak's (0xFE00).
    bool makerRawBlock = false;
};

// The directories of a TIFF structure whose header (any magic number) the caller accepted,
// with IFD0 at the offset bytes 4 to 8 give.
RawDirectories ReadRawDirectories(QByteArrayView file, ByteOrder order);

}  // namespace veltra::imaging
