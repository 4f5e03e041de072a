#pragma once

// The application object: start-up, the one document with its frame and view, the
// framework's file commands, the recent-file list, the About box and shutdown.

#include "app/command_target.h"
#include "app/printer_settings.h"
#include "app/recent_file_list.h"

#include <QObject>
#include <QStringList>

#include <memory>

class QSettings;
class QTranslator;

namespace veltra {

class CCommandLineInfo;
enum class FolderStep;
class CMainFrame;
class CVeltraDoc;
class ShellPrompts;

class CVeltraApp : public QObject, public CommandTarget {
    Q_OBJECT

public:
    // The exit status of a start-up that could not carry out its command line.
    static constexpr int kStartupFailed = 1;

    // The prompts outlive the application object; a QApplication must exist already.
    explicit CVeltraApp(ShellPrompts& prompts, QObject* parent = nullptr);
    ~CVeltraApp() override;

    // Start-up with the arguments after the program name. False when the command line could
    // not be carried out: the message has been shown and no window is.
    bool InitInstance(const QStringList& arguments);
    // Shutdown: writes the recent-file list back and answers the exit status to use.
    int ExitInstance(int exitCode);
    // Start-up, the event loop and shutdown; answers the process's exit status.
    int Run(const QStringList& arguments);

    // The framework's commands that the application handles.
    void OnAppAbout();
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnAppExit();
    void OnOpenRecentFile(unsigned id);
    // Opens the next, previous, first or last picture of the open file's folder.
    void OnPictureStep(FolderStep step);

    // Opens a file into the one document as the framework does: a file that cannot be read
    // gets the framework's message and leaves the document as it was; any other enters the
    // recent-file list, whether or not its picture could be decoded.
    CVeltraDoc* OpenDocumentFile(const QString& path);

    bool OnCmdMsg(unsigned id) override;
    bool OnUpdateCmdUI(unsigned id, CCmdUI& cmdUI) override;

    CMainFrame* GetMainWnd() const { return m_pMainWnd.get(); }
    CVeltraDoc* GetDocument() const { return m_pDocument.get(); }
    const CRecentFileList& GetRecentFileList() const { return m_recentFileList; }

private:
    // The single-document template: the document, its frame and view, made once and reused
    // by every later new or open.
    void CreateDocumentAndFrame();
    bool ProcessShellCommand(const CCommandLineInfo& commandLine);
    void InstallTranslations();
    void AddToRecentFileList(const QString& path);
    void RecentFileListChanged();
    // After an open: the file's place in its folder on the status bar, its neighbours decoded
    // ahead.
    void FolderPlaceChanged();

    ShellPrompts& m_prompts;
    std::unique_ptr<QTranslator> m_translator;
    PrinterSettings m_printerSettings;
    CRecentFileList m_recentFileList;
    // Declared before the frame, so the frame and its view go first.
    std::unique_ptr<CVeltraDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pMainWnd;
};

// The settings store of the application: organisation "应用程序向导生成的本地应用程序",
// application "Veltra", in the user's configuration directory.
std::unique_ptr<QSettings> OpenProfile();

// The framework's message for a file that cannot be opened, naming the reason it can see.
QString OpenFailureMessage(const QString& path);

}  // namespace veltra
