#pragma once

// The information panel: a dock beside the view with everything Veltra knows of the open
// file: the report as the window draws it, then the findings of the analysis in Chinese as
// `veltra-info --analyze` prints them, those that should make a user look twice marked, and
// two buttons, one copying the text and one exporting the JSON object of
// `veltra-info --json --analyze`. After a failed open it says why the file failed. It is
// filled on a thread of the pool, never the interface's, and only while it is shown.

#include "app/file_examination.h"

#include <QDockWidget>
#include <QThreadPool>

class QPlainTextEdit;
class QPushButton;

namespace veltra {

class ShellPrompts;

class CInfoPanel : public QDockWidget {
    Q_OBJECT

public:
    // The prompts outlive the panel.
    CInfoPanel(ShellPrompts& prompts, QWidget* parent = nullptr);
    ~CInfoPanel() override;

    // What to show: the file the document now shows, the failure of its load, or nothing.
    void ShowFile(const QString& path);
    void ShowFailure(const QString& path, const QString& reason);
    void ShowNothing();

    // The text as shown, and whether what it says is complete (not still being made).
    QString Text() const;
    bool IsFilled() const { return m_filled; }
    // Waits until the file being read is read and shown, for callers that need the panel
    // complete at once.
    void WaitUntilFilled();
    // The lines marked for a second look.
    std::vector<int> MarkedLines() const;

    // Copies the selection, or the whole text when nothing is selected.
    void Copy();
    // The two buttons.
    void OnCopyReport();
    void OnExportJson();
    QPushButton* CopyButton() const { return m_copyButton; }
    QPushButton* ExportButton() const { return m_exportButton; }
    // The text area, which takes the keyboard focus for the panel.
    QPlainTextEdit* TextArea() const { return m_text; }

signals:
    // The panel shows what it was last asked for, completely.
    void filled();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Subject { Nothing, File, Failure };

    void Request();
    void Refill();
    void Present(const FileExamination& examination, quint64 generation);
    void SetText(const QString& text, const std::vector<int>& marked);

    ShellPrompts& m_prompts;
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_copyButton = nullptr;
    QPushButton* m_exportButton = nullptr;
    Subject m_subject = Subject::Nothing;
    QString m_path;
    QString m_failure;
    FileExamination m_shown;
    // Each request has its number; a result for an older one is dropped.
    quint64 m_generation = 0;
    bool m_filled = false;
    // The panel's own thread: at most one file is read at a time, and the panel waits for it
    // before it goes.
    QThreadPool m_pool;
};

}  // namespace veltra
