#include "service/decoded_content.h"

#include "imaging/logging.h"

namespace veltra::imaging {

GpStatus DecodedContent::makeStoredPixels(QImage* out)
{
    const GpStatus status = DecodeFirstFrame(m_reader, m_file, m_facts, m_header, out);
    if (status != Ok) {
        qCInfo(lcImaging) << "the pixels could not be decoded, status" << status;
    } else if (out->size() != storedSize()) {
        // The header promised another size than the decoder made; the picture keeps the size
        // its queries have answered, so the pixels are fitted to it rather than shown askew.
        qCInfo(lcImaging) << "the decoder made" << out->size() << "where the header said"
                          << storedSize();
        *out = out->copy(QRect(QPoint(0, 0), storedSize()));
    }
    // Decoded once: the bytes are not needed again.
    m_file = QByteArray();
    return status;
}

}  // namespace veltra::imaging
