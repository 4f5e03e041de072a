#include "service/gp_image.h"

#include "imaging/orientation.h"
#include "service/pixel_half.h"

namespace veltra::imaging {
namespace {

QSize TurnedSize(QSize stored, RotateFlipType turn)
{
    return (static_cast<int>(turn) & 1) ? stored.transposed() : stored;
}

}  // namespace

GpImage::GpImage(PendingPixels pending, const GUID& rawFormat, PixelFormat pixelFormat,
                 Resolution resolution, PropertySet properties)
    : m_pending(std::make_unique<PendingPixels>(std::move(pending))),
      m_storedSize(m_pending->header.size),
      m_rawFormat(rawFormat),
      m_pixelFormat(pixelFormat),
      m_resolution(resolution),
      m_properties(std::move(properties))
{
}

GpImage::~GpImage()
{
    // The last holder of decoded pixels gives them back on the service's thread. A content
    // was made by the pixels' half, which is there.
    m_recording.reset();
    if (m_content && m_content.use_count() == 1) {
        if (const PixelHalf* half = PresentPixelHalf())
            half->releaseContent(std::move(m_content));
    }
}

QSize GpImage::size() const
{
    // While painting, the pixels painted into are those of the content as turned now.
    return TurnedSize(m_storedSize, m_contentTurn);
}

void GpImage::setOrientedByContainer(RotateFlipType containerTurn)
{
    m_orientedByContainer = true;
    m_appliedTurn = containerTurn;
}

void GpImage::turn(RotateFlipType turn)
{
    m_appliedTurn = ComposeTurns(m_appliedTurn, turn);
    m_contentTurn = ComposeTurns(m_contentTurn, turn);
    // A turned memory bitmap draws from its turned pixels from now on.
    m_recording.reset();
}

}  // namespace veltra::imaging
