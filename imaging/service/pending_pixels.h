#pragma once

// What decoding a loaded picture needs, kept from the load until its pixels are first asked
// for: a report of the file never needs them.

#include "formats/file_facts.h"
#include "formats/format_reader.h"
#include "service/mapped_file.h"

#include <QByteArray>

#include <memory>

namespace veltra::imaging {

struct PendingPixels {
    // The file's bytes; a view of `mapping` when the file is mapped.
    QByteArray file;
    std::shared_ptr<const MappedFile> mapping;
    const FormatReader* reader = nullptr;
    FileFacts facts;
    FrameHeader header;
};

}  // namespace veltra::imaging
