// Saving the composed picture, without the report, as a JPEG file at its own size.

#include "document/composition_geometry.h"
#include "document/export_path.h"
#include "document/veltra_doc.h"
#include "imaging/gdiplus.h"

namespace veltra {

using namespace imaging;

namespace {

constexpr std::uint32_t kExportQuality = 100;

}  // namespace

void CVeltraDoc::OnFileSaveJpeg()
{
    if (!m_pImage)
        return;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    GdipGetImageWidth(m_pImage.get(), &width);
    GdipGetImageHeight(m_pImage.get(), &height);

    // The canvas is composed before the chooser opens, so the file shows the document as it
    // was when the command started. A canvas that cannot be made leads to "保存失败" below.
    GpBitmap* bitmap = nullptr;
    GdipCreateBitmapFromScan0(static_cast<int>(width), static_cast<int>(height), 0,
                              PixelFormat32bppARGB, nullptr, &bitmap);
    ImagePtr canvas(bitmap);
    if (canvas) {
        GpGraphics* graphics = nullptr;
        if (GdipGetImageGraphicsContext(canvas.get(), &graphics) != Ok)
            return;
        GraphicsPtr context(graphics);
        GdipGraphicsClear(context.get(), BackgroundArgb(m_clrBackground));
        const QRect whole(0, 0, static_cast<int>(width), static_cast<int>(height));
        if (m_pWatermark)
            ComposeWithWatermark(context.get(), &whole);
        else
            ComposePicture(context.get(), m_pImage.get(), nullptr, &whole);
    }

    const std::optional<QString> chosen = m_prompts.ChooseExportFile();
    if (!chosen)
        return;
    const std::optional<QString> path = ExportPathFor(*chosen);

    std::uint32_t quality = kExportQuality;
    EncoderParameters parameters;
    parameters.Count = 1;
    parameters.Parameter[0].Guid = EncoderQuality;
    parameters.Parameter[0].NumberOfValues = 1;
    parameters.Parameter[0].Type = EncoderParameterValueTypeLong;
    parameters.Parameter[0].Value = &quality;
    const GpStatus status =
        path && canvas ? GdipSaveImageToFile(canvas.get(), *path, &JpegEncoderClsid, &parameters)
                       : GenericError;
    if (status == Ok)
        m_prompts.ShowMessage(QStringLiteral("保存成功"), DocumentPrompts::Icon::Information);
    else
        m_prompts.ShowMessage(QStringLiteral("保存失败"), DocumentPrompts::Icon::Error);
}

}  // namespace veltra
