#pragma once

// A picture's pixels as its file holds them, decoded when first needed (or ahead, on the
// service's own thread). The file's bytes are kept until then and let go once decoded. When
// they are a mapping of the file, the content holds the mapping: the service's thread may
// still be decoding after the picture itself is gone.

#include "formats/file_facts.h"
#include "formats/format_reader.h"
#include "service/mapped_file.h"
#include "service/picture_content.h"
#include "service/view_copies.h"

#include <QByteArray>

namespace veltra::imaging {

class DecodedContent final : public PictureContent {
public:
    DecodedContent(QByteArray file, const FormatReader& reader, FileFacts facts, FrameHeader header,
                   std::shared_ptr<const MappedFile> mapping = nullptr)
        : PictureContent(header.size),
          m_mapping(std::move(mapping)),
          m_file(std::move(file)),
          m_reader(reader),
          m_facts(std::move(facts)),
          m_header(std::move(header))
    {
        // Such pictures are camera raws, whose development LibRaw spreads over both cores.
        if (m_reader.embeddedPicture)
            makePixelsAfterStandInShown();
    }

    // A JPEG shown at a fraction of its size gets a stand-in decoded at `eighths` / 8 of it,
    // made from its own hold on the file's bytes, so that the decode of the pixels can let go
    // of theirs at any time.
    void wantStandInAt(int eighths);
    // A file that carries its picture a second time, far faster to decode (a camera raw's
    // preview), gets that one as stand-in when it covers a view of that size. False when
    // there is none that does.
    bool wantEmbeddedStandIn(QSize view);

protected:
    GpStatus makeStoredPixels(QImage* out) override;
    std::optional<GpStatus> makeStoredReduced(int level, QImage* out) override;
    GpStatus makeStandIn(QImage* out) override;
    void releaseStandInSource() override { m_standInSource = QByteArray(); }

private:
    // First, so that it is let go after everything that points into it.
    std::shared_ptr<const MappedFile> m_mapping;
    QByteArray m_file;
    const FormatReader& m_reader;
    FileFacts m_facts;
    FrameHeader m_header;
    QByteArray m_standInSource;
    int m_standInEighths = 8;
    EmbeddedStandIn m_embeddedStandIn;
};

}  // namespace veltra::imaging
