// Feeds arbitrary bytes to one format's reader (the format chosen when the target is built):
// its one pass over the file, its walk of the file's structure, its decoder's look at the
// header, and its decoder, under the service's real pixel budget. Beyond not crashing, the
// facts must keep the shape every caller relies on.

#include "formats/format_decoder.h"
#include "formats/format_registry.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

using namespace veltra::imaging;

const FormatReader& Reader()
{
    for (const FormatReader* reader : FormatReaders()) {
        if (reader->format == FileFormat::VELTRA_FUZZ_FORMAT)
            return *reader;
    }
    std::abort();
}

void CheckFacts(const FileFacts& facts)
{
    for (const PropertyRecord& item : facts.properties.records()) {
        const auto type = static_cast<std::uint16_t>(item.type);
        const qsizetype size = IsItemType(type) ? TiffTypeElementSize(type) : 0;
        if (size == 0 || item.value.size() % size != 0)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::unique_ptr<QGuiApplication> application = [] {
        static int argc = 1;
        static char name[] = "format_reader_fuzz";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }();
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const FormatReader& reader = Reader();
    const FileFacts facts = reader.read(bytes);
    CheckFacts(facts);
    FileStructure structure;
    structure.fileSize = bytes.size();
    if (reader.structure)
        reader.structure(bytes, &structure);
    if (structure.pictureEnd && (*structure.pictureEnd < 0 || *structure.pictureEnd > bytes.size()))
        std::abort();  // the end lies inside the file
    FrameHeader header;
    if (ProbeFirstFrame(reader, bytes, facts, &header) != Ok || facts.tooLittleDataForDeclaredSize)
        return 0;
    if (header.pixels)
        return 0;
    QImage pixels;
    if (DecodeFirstFrame(reader, bytes, facts, header, &pixels) == Ok && pixels.isNull())
        std::abort();  // a decode that succeeds must give a picture
    return 0;
}
