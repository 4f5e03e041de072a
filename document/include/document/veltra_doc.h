#pragma once

#include "document/cmd_ui.h"
#include "document/document_prompts.h"
#include "document/document_types.h"
#include "imaging/image_handles.h"
#include "imaging/load_failure.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

namespace veltra {

// The opened file as handed to the load: the document reads no bytes from it, only its path.
class CArchive {
public:
    enum class Mode { Load, Store };
    CArchive(Mode mode, QString filePath) : m_mode(mode), m_filePath(std::move(filePath)) {}
    bool IsStoring() const { return m_mode == Mode::Store; }
    const QString& GetFilePath() const { return m_filePath; }

private:
    Mode m_mode;
    QString m_filePath;
};

// The application's one document: the picture, the watermark, the background colour and the
// watermark display state, with the commands that change them and the painting that shows
// them. Views learn of changes through viewsUpdateRequested().
class CVeltraDoc : public QObject {
    Q_OBJECT

public:
    // The prompts outlive the document; the application and tests own them.
    explicit CVeltraDoc(DocumentPrompts& prompts, QObject* parent = nullptr);
    ~CVeltraDoc() override;

    // Opens a file by its full path as the framework would: nothing happens when the file
    // cannot be opened for reading (false, state untouched); otherwise the load runs and the
    // document takes the file's name, whether or not the picture could be decoded.
    bool OnOpenDocument(const QString& path);
    // The framework's new document: only the file name is forgotten; the picture stays.
    bool OnNewDocument();
    void Serialize(const CArchive& ar);

    // Commands. Each asks for a repaint when it changed something.
    void OnBackgroundColor();
    void OnImageClose();
    void OnWatermarkLoad();
    void OnWatermarkFit();
    void OnWatermarkShow();
    void OnWatermarkTile();
    void OnRegionOutline();
    void OnFileSaveJpeg();

    // Routing from the application: runs the command or sets the state of its user-interface
    // item. Both return false for an id the document does not handle.
    bool OnCmdMsg(unsigned id);
    bool OnUpdateCmdUI(unsigned id, CCmdUI& cmdUI);

    // Painting: the background, the picture with its watermark, and the report over it.
    void Draw(QPainter* pDC, const QRect* pRect);
    void ComposePicture(imaging::GpGraphics* graphics, imaging::GpImage* picture,
                        imaging::GpImage* watermark, const QRect* pRect);

    // The report of the picture; turns the picture upright when its orientation asks for it.
    bool GetImageInfo(QString& text);
    void GetPropertyList(imaging::GpImage* image, QString& text);

    void UpdateAllViews(const QObject* sender);

    // The device size of the view that shows the document, for the loads that follow: a photo
    // larger than it is shown at once from a copy decoded at that size while its pixels are
    // decoded (an empty size: unknown).
    void SetViewSize(QSize deviceSize) { m_viewSize = deviceSize; }
    QSize viewSize() const { return m_viewSize; }
    // Why the last load failed, in the words the window shows; empty after a load that
    // succeeded.
    QString LoadFailureText() const;

    const QString& GetPathName() const { return m_strPathName; }
    // The file's name, or "无标题" without a file.
    QString GetTitle() const;

    // The document's state, for views and the command-line tool to read.
    COLORREF backgroundColor() const { return m_clrBackground; }
    imaging::GpImage* image() const { return m_pImage.get(); }
    // Why the last file opened could not be loaded; no reason after a load that succeeded.
    const imaging::LoadFailure& lastLoadFailure() const { return m_loadFailure; }
    imaging::GpImage* watermark() const { return m_pWatermark.get(); }
    std::uint32_t watermarkFlags() const { return m_nWatermarkFlags; }
    QPoint watermarkPosition() const { return m_ptWatermark; }

signals:
    void viewsUpdateRequested();
    void titleChanged();
    // The picture of this file was loaded, or the file failed to load (LoadFailureText says
    // why); or the picture was closed.
    void pictureChanged(const QString& filePath);

private:
    // Tests set up states that the commands reach only in several steps through this.
    friend class DocumentTestAccess;

    // A copy of `picture` in 32-bit ARGB for the watermark to be laid on; null on failure.
    imaging::ImagePtr MakeWorkingCopy(imaging::GpImage* picture) const;
    void DrawWatermark(imaging::GpImage* picture, imaging::GpImage* watermark);
    // Places the picture with the watermark laid on as the flags say. The working copy made
    // for it is kept and placed again while nothing it depends on changes, so that a repaint
    // of a large photo does not compose it again; the state a composition changes (the default
    // position, the one-shot outline flag) changes at every call all the same.
    void ComposeWithWatermark(imaging::GpGraphics* target, const QRect* pRect);
    // Drops the kept working copy: the picture or the watermark has been replaced.
    void ForgetComposition();

    // What a working copy with the watermark depends on.
    struct CompositionKey {
        const imaging::GpImage* picture = nullptr;
        imaging::RotateFlipType pictureTurn = imaging::RotateNoneFlipNone;
        const imaging::GpImage* watermark = nullptr;
        std::uint32_t modeFlags = 0;
        QPoint position;
        friend bool operator==(const CompositionKey&, const CompositionKey&) = default;
    };
    CompositionKey CurrentCompositionKey() const;

    DocumentPrompts& m_prompts;
    QString m_strPathName;
    COLORREF m_clrBackground;
    imaging::ImagePtr m_pImage;
    imaging::LoadFailure m_loadFailure;
    imaging::ImagePtr m_pWatermark;
    std::uint32_t m_nWatermarkFlags;
    QPoint m_ptWatermark;

    imaging::ImagePtr m_composed;
    CompositionKey m_composedKey;

    QSize m_viewSize;
};

}  // namespace veltra
