// Painting the document: the background, the picture with its watermark, the report.

#include "document/composition_geometry.h"
#include "document/veltra_doc.h"
#include "imaging/gdiplus.h"

#include <QPainter>

#include <new>

namespace veltra {

using namespace imaging;

namespace {

struct PictureSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

PictureSize SizeOf(GpImage* image)
{
    PictureSize size;
    if (GdipGetImageWidth(image, &size.width) != Ok)
        size.width = 0;
    if (GdipGetImageHeight(image, &size.height) != Ok)
        size.height = 0;
    return size;
}

RotateFlipType AppliedTurn(GpImage* image)
{
    RotateFlipType turn = RotateNoneFlipNone;
    GetImageAppliedTurn(image, &turn);
    return turn;
}

}  // namespace

ImagePtr CVeltraDoc::MakeWorkingCopy(GpImage* picture) const
{
    const PictureSize size = SizeOf(picture);
    GpBitmap* bitmap = nullptr;
    GdipCreateBitmapFromScan0(static_cast<int>(size.width), static_cast<int>(size.height), 0,
                              PixelFormat32bppARGB, nullptr, &bitmap);
    ImagePtr copy(bitmap);
    if (!copy)
        return nullptr;
    GpGraphics* graphics = nullptr;
    if (GdipGetImageGraphicsContext(copy.get(), &graphics) != Ok)
        return nullptr;
    GraphicsPtr context(graphics);
    GdipDrawImageI(context.get(), picture, 0, 0);
    return copy;
}

void CVeltraDoc::Draw(QPainter* pDC, const QRect* pRect)
{
    GpGraphics* screenGraphics = nullptr;
    if (GdipCreateFromHDC(pDC, &screenGraphics) != Ok)
        return;
    GraphicsPtr screen(screenGraphics);
    GdipGraphicsClear(screen.get(), BackgroundArgb(m_clrBackground));
    if (!m_pImage)
        return;

    try {
        if (m_pWatermark)
            ComposeWithWatermark(screen.get(), pRect);
        else
            ComposePicture(screen.get(), m_pImage.get(), nullptr, pRect);

        // The report is built after the picture was drawn; when it turns the picture upright,
        // one more paint shows the turned picture instead of leaving the window on the old one.
        const RotateFlipType turnBefore = AppliedTurn(m_pImage.get());
        QString text;
        const bool hasReport = GetImageInfo(text);
        if (AppliedTurn(m_pImage.get()) != turnBefore)
            UpdateAllViews(nullptr);
        if (hasReport) {
            pDC->save();
            pDC->setBackgroundMode(Qt::TransparentMode);
            const COLORREF textColor = ComplementColor(m_clrBackground);
            pDC->setPen(QColor(GetRValue(textColor), GetGValue(textColor), GetBValue(textColor)));
            // Drawn literally: an ampersand in a metadata value is just an ampersand.
            pDC->drawText(*pRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
            pDC->restore();
        }
    } catch (const std::bad_alloc&) {
        // Out of memory while painting: the document stays as it is, the user is told once
        // the paint has finished.
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_prompts.ShowMessage(QStringLiteral("内存不足。"), DocumentPrompts::Icon::Error);
            },
            Qt::QueuedConnection);
    }
}

CVeltraDoc::CompositionKey CVeltraDoc::CurrentCompositionKey() const
{
    constexpr std::uint32_t kModeFlags = FLAG_WATERMARK_SHOW | FLAG_WATERMARK_FIT |
                                         FLAG_WATERMARK_TILE;
    return CompositionKey{m_pImage.get(), AppliedTurn(m_pImage.get()), m_pWatermark.get(),
                          m_nWatermarkFlags & kModeFlags, m_ptWatermark};
}

void CVeltraDoc::ForgetComposition()
{
    m_composed.reset();
}

void CVeltraDoc::ComposeWithWatermark(GpGraphics* target, const QRect* pRect)
{
    // A working copy made at an earlier call serves while its key still holds. A position
    // still to be filled in never matches a kept key, which holds the filled-in one.
    if (m_composed && m_composedKey == CurrentCompositionKey()) {
        ComposePicture(target, m_composed.get(), nullptr, pRect);
        return;
    }
    m_composed.reset();
    // The watermark is laid on a copy so the document's own picture stays clean.
    ImagePtr workingCopy = MakeWorkingCopy(m_pImage.get());
    if (!workingCopy)
        return;
    ComposePicture(target, workingCopy.get(), m_pWatermark.get(), pRect);
    m_composedKey = CurrentCompositionKey();
    m_composed = std::move(workingCopy);
}

void CVeltraDoc::DrawWatermark(GpImage* picture, GpImage* watermark)
{
    GpGraphics* graphics = nullptr;
    if (GdipGetImageGraphicsContext(picture, &graphics) != Ok)
        return;
    GraphicsPtr context(graphics);
    const PictureSize pictureSize = SizeOf(picture);

    if (m_nWatermarkFlags & FLAG_WATERMARK_TILE) {
        GpTexture* texture = nullptr;
        if (GdipCreateTexture(watermark, WrapModeTile, &texture) == Ok) {
            BrushPtr brush(texture);
            GdipFillRectangleI(context.get(), brush.get(), 0, 0,
                               static_cast<int>(pictureSize.width),
                               static_cast<int>(pictureSize.height));
        }
        return;
    }
    if (!(m_nWatermarkFlags & FLAG_WATERMARK_SHOW))
        return;

    const PictureSize markSize = SizeOf(watermark);
    if (m_ptWatermark.x() == -1)
        m_ptWatermark = DefaultWatermarkPosition(pictureSize.width, pictureSize.height);
    if (m_nWatermarkFlags & FLAG_WATERMARK_FIT) {
        const QRect fitted =
            FitWatermark(pictureSize.width, pictureSize.height, markSize.width, markSize.height);
        GdipDrawImageRectRect(context.get(), watermark, static_cast<REAL>(fitted.x()),
                              static_cast<REAL>(fitted.y()), static_cast<REAL>(fitted.width()),
                              static_cast<REAL>(fitted.height()), 0, 0,
                              static_cast<REAL>(markSize.width),
                              static_cast<REAL>(markSize.height), UnitPixel);
        return;
    }
    const QPoint topLeft = WatermarkTopLeft(m_ptWatermark, markSize.width, markSize.height);
    GdipDrawImagePointRectI(context.get(), watermark, topLeft.x(), topLeft.y(), 0, 0,
                            static_cast<int>(markSize.width), static_cast<int>(markSize.height),
                            UnitPixel);
}

void CVeltraDoc::ComposePicture(GpGraphics* graphics, GpImage* picture, GpImage* watermark,
                                const QRect* pRect)
{
    const PictureSize size = SizeOf(picture);
    if (watermark)
        DrawWatermark(picture, watermark);

    // The outline request is consumed by every composition; it draws nothing of its own.
    m_nWatermarkFlags &= ~FLAG_REGION_OUTLINE;

    const PicturePlacement placement =
        PlacePicture(size.width, size.height, pRect->width(), pRect->height());
    if (placement.naturalSize) {
        GdipDrawImageI(graphics, picture, placement.rect.x(), placement.rect.y());
    } else if (!placement.rect.isEmpty()) {
        GdipDrawImageRectRect(graphics, picture, static_cast<REAL>(placement.rect.x()),
                              static_cast<REAL>(placement.rect.y()),
                              static_cast<REAL>(placement.rect.width()),
                              static_cast<REAL>(placement.rect.height()), 0, 0,
                              static_cast<REAL>(size.width), static_cast<REAL>(size.height),
                              UnitPixel);
    }
}

}  // namespace veltra
