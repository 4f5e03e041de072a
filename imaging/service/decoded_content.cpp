#include "service/decoded_content.h"

#include "formats/format_decoder.h"
#include "formats/jpeg/jpeg_codec.h"
#include "imaging/logging.h"
#include "imaging/work_counters.h"
#include "service/pixel_operations.h"

namespace veltra::imaging {

GpStatus DecodedContent::makeStoredPixels(QImage* out)
{
    GpStatus status = DecodeFirstFrame(m_reader, m_file, m_facts, m_header, out);
    if (status == Ok && m_mapping && m_mapping->cutShort()) {
        // The file was cut short while it was shown: what the decoder read past its new end
        // were zeros, not the picture.
        qCInfo(lcImaging, "the file was cut short before its pixels were decoded");
        *out = QImage();
        status = Win32Error;
    }
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

std::optional<GpStatus> DecodedContent::makeStoredReduced(int level, QImage* out)
{
    // An eighth of the size or less, before the whole picture is decoded (a glance at a large
    // photo, such as comparing it with its thumbnail): decoded straight at an eighth, then
    // halved on. Once the whole picture is decoded, halving it is cheaper still.
    constexpr int kScaledLevel = 3;
    if (level < kScaledLevel || m_file.isEmpty())
        return std::nullopt;
    QImage scaled;
    const GpStatus status =
        DecodeFirstFrameScaled(m_reader, m_file, m_facts, 1 << kScaledLevel, &scaled);
    if (status != Ok)
        return std::nullopt;  // the whole decode, when it comes, tells what is wrong
    CountFrame(Work::FramesDecoded, scaled.size());
    // In the layout halving gives, so that every shrunk copy is alike whichever way it came.
    if (scaled.format() != QImage::Format_RGB32 &&
        scaled.format() != QImage::Format_ARGB32_Premultiplied)
        scaled.convertTo(QImage::Format_ARGB32_Premultiplied);
    for (int halved = kScaledLevel; halved < level && !scaled.isNull(); ++halved)
        scaled = HalvedByBox(scaled);
    if (scaled.isNull())
        return OutOfMemory;
    *out = std::move(scaled);
    return Ok;
}

void DecodedContent::wantStandInAt(int eighths)
{
    if (m_reader.format != FileFormat::Jpeg || eighths < 1 || eighths >= 8)
        return;
    m_standInSource = m_file;
    m_standInEighths = eighths;
    wantStandIn();
}

bool DecodedContent::wantEmbeddedStandIn(QSize view)
{
    const EmbeddedStandIn embedded =
        EmbeddedStandInFor(m_reader, m_file, m_header, view, StandInUse::WaitedFor);
    if (embedded.eighths <= 0)
        return false;
    m_embeddedStandIn = embedded;
    m_standInSource = m_file;
    wantStandIn();
    return true;
}

GpStatus DecodedContent::makeStandIn(QImage* out)
{
    const QByteArray file = std::move(m_standInSource);
    m_standInSource = QByteArray();
    if (file.isEmpty())
        return NotImplemented;
    if (m_embeddedStandIn.eighths > 0)
        return DecodeEmbeddedStandIn(file, m_embeddedStandIn, out);
    return DecodeJpegEighths(file, m_standInEighths, out);
}

}  // namespace veltra::imaging
