#pragma once

// A JPEG XL file: a bare codestream, or boxes (ISO base media file format) that hold the
// codestream whole ("jxlc") or in parts ("jxlp"), its metadata ("Exif", "xml ", "jumb", each
// possibly Brotli-compressed in a "brob" box) and the data that restores the JPEG it was
// recompressed from ("jbrd").

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <vector>

namespace veltra::imaging {

// The container's first box: its length (12), "JXL " and a fixed signature.
inline constexpr QByteArrayView kJxlContainerSignature("\0\0\0\x0CJXL \x0D\x0A\x87\x0A", 12);

struct JxlMetadataBox {
    std::uint32_t type = 0;  // "Exif", "xml " or "jumb", also when it was compressed
    qsizetype storedSize = 0;
    bool brotliCompressed = false;
    // Its content, decompressed; empty when it could not be (damaged, or past the budget) or
    // when the box is not one whose content is read (JUMBF).
    QByteArray content;
};

struct JxlFile {
    bool container = false;
    // The codestream's first bytes, enough for its headers.
    QByteArray codestreamStart;
    bool jpegReconstruction = false;
    std::vector<JxlMetadataBox> metadata;  // in file order
};

// Whether the metadata boxes are read (decompressed when they need it) or only the codestream.
enum class JxlMetadata { Read, Skipped };

JxlFile ReadJxlFile(QByteArrayView file, JxlMetadata metadata = JxlMetadata::Read);

// The TIFF structure of an Exif box's content: after a 4-byte big-endian offset to it, and
// that many bytes; empty when the offset leads past the content.
QByteArrayView TiffOfExifBox(QByteArrayView content);

}  // namespace veltra::imaging
