#include "app/veltra_app.h"

#include "app/about_dlg.h"
#include "app/app_icon.h"
#include "app/command_ids.h"
#include "app/command_line_info.h"
#include "app/folder_navigation.h"
#include "app/main_frame.h"
#include "app/resource_tables.h"
#include "app/shell_prompts.h"
#include "document/veltra_doc.h"
#include "imaging/gdiplus.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPageSetupDialog>
#include <QScopeGuard>
#include <QSettings>
#include <QTranslator>

namespace veltra {

namespace {

const QString kRegistryKey = QStringLiteral("应用程序向导生成的本地应用程序");
constexpr int kRecentFileCount = 4;
constexpr int kRecentFileDisplayLength = 30;

std::optional<FolderStep> StepOfCommand(unsigned id)
{
    switch (id) {
    case ID_PICTURE_NEXT: return FolderStep::Next;
    case ID_PICTURE_PREVIOUS: return FolderStep::Previous;
    case ID_PICTURE_FIRST: return FolderStep::First;
    case ID_PICTURE_LAST: return FolderStep::Last;
    default: return std::nullopt;
    }
}

}  // namespace

std::unique_ptr<QSettings> OpenProfile()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       kRegistryKey, ApplicationTitle());
}

QString OpenFailureMessage(const QString& path)
{
    const QFileInfo file(path);
    const QString shown = QDir::toNativeSeparators(file.absoluteFilePath());
    if (!file.exists())
        return QStringLiteral("无法打开文件“%1”：找不到该文件。").arg(shown);
    if (file.isDir())
        return QStringLiteral("无法打开文件“%1”：这是一个文件夹。").arg(shown);
    if (!file.isReadable())
        return QStringLiteral("无法打开文件“%1”：拒绝访问。").arg(shown);
    return QStringLiteral("无法打开文件“%1”。").arg(shown);
}

CVeltraApp::CVeltraApp(ShellPrompts& prompts, QObject* parent)
    : QObject(parent),
      m_prompts(prompts),
      m_recentFileList(QStringLiteral("Recent File List"), QStringLiteral("File%1"),
                       kRecentFileCount, kRecentFileDisplayLength)
{
}

CVeltraApp::~CVeltraApp()
{
    imaging::SetPixelsReadyHandler({});
    m_prompts.SetOwnerWindow(nullptr);
    m_pMainWnd.reset();
    m_pDocument.reset();
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
}

bool CVeltraApp::InitInstance(const QStringList& arguments)
{
    // Every picture operation depends on the imaging service; it reports no failure here,
    // a service that did not start shows up as pictures that cannot be loaded.
    std::uintptr_t token = 0;
    const imaging::GdiplusStartupInput startupInput;
    imaging::GdiplusStartup(&token, &startupInput, nullptr);

    InstallTranslations();
    // Ties the windows to the installed desktop entry, which names and pictures the program
    // for the desktop; the entry is named after the application's id.
    QGuiApplication::setDesktopFileName(QStringLiteral(VELTRA_APP_ID));
    QApplication::setWindowIcon(ApplicationIcon());
    QCoreApplication::setOrganizationName(kRegistryKey);
    QCoreApplication::setApplicationName(ApplicationTitle());

    m_recentFileList.ReadList(*OpenProfile());

    CCommandLineInfo commandLine;
    commandLine.ParseCommandLine(arguments);
    if (!ProcessShellCommand(commandLine))
        return false;

    m_pMainWnd->show();
    return true;
}

int CVeltraApp::ExitInstance(int exitCode)
{
    std::unique_ptr<QSettings> profile = OpenProfile();
    m_recentFileList.WriteList(*profile);
    profile->sync();
    return exitCode;
}

int CVeltraApp::Run(const QStringList& arguments)
{
    if (!InitInstance(arguments))
        return ExitInstance(kStartupFailed);
    return ExitInstance(QCoreApplication::exec());
}

void CVeltraApp::InstallTranslations()
{
    // Qt's own dialogs (file, colour, print, message-box buttons) speak the application's
    // language whatever the user's locale.
    if (m_translator)
        return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get()))
        m_translator = std::move(translator);
}

void CVeltraApp::CreateDocumentAndFrame()
{
    if (m_pDocument)
        return;
    m_pDocument = std::make_unique<CVeltraDoc>(m_prompts);
    m_pMainWnd = std::make_unique<CMainFrame>(*m_pDocument, *this, m_printerSettings, m_prompts);
    m_prompts.SetOwnerWindow(m_pMainWnd.get());
    m_pMainWnd->UpdateRecentFileMenu(m_recentFileList);
    // A photo shown from its stand-in is drawn again once its pixels are decoded. The call
    // comes on the imaging service's thread; the drawing is asked for on this one.
    imaging::SetPixelsReadyHandler([this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_pDocument)
                    m_pDocument->UpdateAllViews(nullptr);
            },
            Qt::QueuedConnection);
    });
}

bool CVeltraApp::ProcessShellCommand(const CCommandLineInfo& commandLine)
{
    switch (commandLine.m_nShellCommand) {
    case CCommandLineInfo::Shell::FileNew:
        OnFileNew();
        return true;
    case CCommandLineInfo::Shell::FileOpen:
        return OpenDocumentFile(commandLine.m_strFileName) != nullptr;
    }
    return false;
}

CVeltraDoc* CVeltraApp::OpenDocumentFile(const QString& path)
{
    CreateDocumentAndFrame();
    m_pDocument->SetViewSize(m_pMainWnd->ViewDeviceSize());
    bool opened = false;
    {
        // Decoding a large photo takes a moment; the pointer says so meanwhile.
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        opened = m_pDocument->OnOpenDocument(path);
    }
    if (!opened) {
        m_prompts.ShowFrameworkMessage(OpenFailureMessage(path));
        return nullptr;
    }
    AddToRecentFileList(m_pDocument->GetPathName());
    FolderPlaceChanged();
    return m_pDocument.get();
}

void CVeltraApp::FolderPlaceChanged()
{
    const FolderPlace place = PlaceOf(m_pDocument->GetPathName(), PictureExtensions());
    m_pMainWnd->SetFolderPosition(PositionText(place));
    // The pictures a step would open next are decoded ahead, the next one first.
    QStringList neighbours;
    for (FolderStep step : {FolderStep::Next, FolderStep::Previous}) {
        if (const std::optional<QString> neighbour = StepFrom(place, step))
            neighbours << *neighbour;
    }
    imaging::DecodeFilesAheadForView(neighbours, m_pDocument->viewSize());
}

void CVeltraApp::OnPictureStep(FolderStep step)
{
    if (!m_pDocument || m_pDocument->GetPathName().isEmpty())
        return;
    const FolderPlace place = PlaceOf(m_pDocument->GetPathName(), PictureExtensions());
    if (const std::optional<QString> target = StepFrom(place, step))
        OpenDocumentFile(*target);
}

void CVeltraApp::AddToRecentFileList(const QString& path)
{
    m_recentFileList.Add(path);
    RecentFileListChanged();
}

void CVeltraApp::RecentFileListChanged()
{
    if (m_pMainWnd)
        m_pMainWnd->UpdateRecentFileMenu(m_recentFileList);
}

void CVeltraApp::OnFileNew()
{
    CreateDocumentAndFrame();
    // The picture and every other part of the document stay; only the file name goes.
    m_pDocument->OnNewDocument();
}

void CVeltraApp::OnFileOpen()
{
    const std::optional<QString> path = m_prompts.ChooseFileToOpen();
    if (path)
        OpenDocumentFile(*path);
}

void CVeltraApp::OnOpenRecentFile(unsigned id)
{
    const int index = static_cast<int>(id - ID_FILE_MRU_FILE1);
    if (index < 0 || index >= m_recentFileList.GetCount())
        return;
    // A file that has gone away leaves the list once it failed to open.
    const QString path = m_recentFileList[index];
    if (!OpenDocumentFile(path)) {
        m_recentFileList.Remove(index);
        RecentFileListChanged();
    }
}

void CVeltraApp::OnFilePrintSetup()
{
    QPageSetupDialog dialog(&m_printerSettings.Printer(), m_pMainWnd.get());
    dialog.exec();
}

void CVeltraApp::OnAppAbout()
{
    CAboutDlg dialog(m_pMainWnd.get());
    dialog.exec();
}

void CVeltraApp::OnAppExit()
{
    if (m_pMainWnd)
        m_pMainWnd->close();
}

bool CVeltraApp::OnCmdMsg(unsigned id)
{
    switch (id) {
    case ID_APP_ABOUT:
        OnAppAbout();
        return true;
    case ID_FILE_NEW:
        OnFileNew();
        return true;
    case ID_FILE_OPEN:
        OnFileOpen();
        return true;
    case ID_FILE_PRINT_SETUP:
        OnFilePrintSetup();
        return true;
    case ID_APP_EXIT:
        OnAppExit();
        return true;
    default:
        break;
    }
    if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE16) {
        OnOpenRecentFile(id);
        return true;
    }
    if (const std::optional<FolderStep> step = StepOfCommand(id)) {
        OnPictureStep(*step);
        return true;
    }
    return false;
}

bool CVeltraApp::OnUpdateCmdUI(unsigned id, CCmdUI& cmdUI)
{
    switch (id) {
    case ID_APP_ABOUT:
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_FILE_PRINT_SETUP:
    case ID_APP_EXIT:
        cmdUI.Enable(true);
        return true;
    default:
        break;
    }
    if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE16) {
        cmdUI.Enable(static_cast<int>(id - ID_FILE_MRU_FILE1) < m_recentFileList.GetCount());
        return true;
    }
    if (StepOfCommand(id)) {
        cmdUI.Enable(m_pDocument && !m_pDocument->GetPathName().isEmpty());
        return true;
    }
    return false;
}

}  // namespace veltra
