#include "document/veltra_doc.h"

#include "imaging/gdiplus.h"
#include "info/image_report.h"
#include "info/load_failure_text.h"
#include "info/property_list.h"

#include <QFile>
#include <QFileInfo>

namespace veltra {

using namespace imaging;

CVeltraDoc::CVeltraDoc(DocumentPrompts& prompts, QObject* parent)
    : QObject(parent),
      m_prompts(prompts),
      m_clrBackground(RGB(192, 192, 192)),
      m_nWatermarkFlags(0),
      m_ptWatermark(0, 0)
{
}

CVeltraDoc::~CVeltraDoc()
{
    // The picture goes first, then the watermark.
    ForgetComposition();
    m_pImage.reset();
    m_pWatermark.reset();
}

bool CVeltraDoc::OnOpenDocument(const QString& path)
{
    // Opened for reading only, and only to learn that it can be read: the load itself reads
    // the file by its path, and nothing ever writes to it. A named pipe or a device is not
    // opened here at all (a pipe would block until something writes to it): the load refuses
    // it at once, as any file that holds no picture.
    const QFileInfo info(path);
    m_loadFailure = {};
    if (!info.exists())
        m_loadFailure.reason = LoadFailureReason::NotFound;
    else if (!info.isFile())
        m_loadFailure.reason = LoadFailureReason::NotRegularFile;
    else
        m_loadFailure.reason = LoadFailureReason::AccessDenied;
    if (info.exists() && !info.isFile() && !info.isDir()) {
        if (!info.isReadable())
            return false;
    } else {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
    }
    m_loadFailure = {};
    // An empty file goes through the load like any other and fails there, rather than
    // leaving the previous picture on display under the new name.
    Serialize(CArchive(CArchive::Mode::Load, QFileInfo(path).absoluteFilePath()));
    m_strPathName = QFileInfo(path).absoluteFilePath();
    emit titleChanged();
    // The framework's initial update: the view is repainted after every open, whatever the
    // load did, so a failed load leaves the background alone on screen, not the old picture.
    UpdateAllViews(nullptr);
    return true;
}

bool CVeltraDoc::OnNewDocument()
{
    m_strPathName.clear();
    emit titleChanged();
    return true;
}

QString CVeltraDoc::GetTitle() const
{
    return m_strPathName.isEmpty() ? QStringLiteral("无标题") : QFileInfo(m_strPathName).fileName();
}

void CVeltraDoc::Serialize(const CArchive& ar)
{
    // There is no save format: storing writes nothing and changes nothing.
    if (ar.IsStoring())
        return;
    ForgetComposition();
    m_pImage.reset();
    GpBitmap* bitmap = nullptr;
    // A camera raw's first picture touches only its preview, not the whole raw.
    const GpStatus status = CreateBitmapFromFileWithOptions(
        ar.GetFilePath(),
        LoadOptions{.decodeAhead = true,
                    .viewSize = m_viewSize,
                    .mapFile = true,
                    .mapOnlyFilesWithPreviews = true},
        &bitmap, &m_loadFailure);
    ImagePtr loaded(bitmap);
    if (status != Ok || !loaded) {
        if (m_loadFailure.reason == LoadFailureReason::None)
            m_loadFailure.reason = LoadFailureReason::OutOfMemory;
        emit pictureChanged(ar.GetFilePath());
        m_prompts.ShowMessage(QStringLiteral("文件加载失败"), DocumentPrompts::Icon::Error);
        return;
    }
    m_pImage = std::move(loaded);
    emit pictureChanged(ar.GetFilePath());
    UpdateAllViews(nullptr);
}

QString CVeltraDoc::LoadFailureText() const
{
    return QString::fromUtf8(info::LoadFailureTextOf(m_loadFailure.reason).chinese);
}

void CVeltraDoc::OnBackgroundColor()
{
    const std::optional<COLORREF> chosen = m_prompts.ChooseColor(m_clrBackground);
    if (!chosen)
        return;
    m_clrBackground = *chosen & 0xFFFFFF;
    UpdateAllViews(nullptr);
}

void CVeltraDoc::OnImageClose()
{
    if (!m_pImage)
        return;
    ForgetComposition();
    m_pImage.reset();
    emit pictureChanged(m_strPathName);
    UpdateAllViews(nullptr);
}

bool CVeltraDoc::GetImageInfo(QString& text)
{
    return info::GetImageInfo(m_pImage.get(), text);
}

void CVeltraDoc::GetPropertyList(GpImage* image, QString& text)
{
    info::GetPropertyList(image, text);
}

void CVeltraDoc::UpdateAllViews(const QObject* /*sender*/)
{
    emit viewsUpdateRequested();
}

}  // namespace veltra
