#include "app/resource_tables.h"

#include "app/command_ids.h"
#include "document/document_types.h"

#include <array>

namespace veltra {

namespace {

constexpr MenuEntry kSeparator{nullptr, ID_SEPARATOR};

constexpr std::array kFileMenu{
    MenuEntry{u"打开(&O)...\tCtrl+O", ID_FILE_OPEN},
    kSeparator,
    MenuEntry{u"打印(&P)...\tCtrl+P", ID_FILE_PRINT},
    MenuEntry{u"打印预览(&V)", ID_FILE_PRINT_PREVIEW},
    MenuEntry{u"打印设置(&R)...", ID_FILE_PRINT_SETUP},
    kSeparator,
    // Stands in for the recent-file list, which replaces it once it has entries.
    MenuEntry{u"最近的文件", ID_FILE_MRU_FILE1},
    kSeparator,
    MenuEntry{u"退出(&X)", ID_APP_EXIT},
};

constexpr std::array kViewMenu{
    MenuEntry{u"工具栏(&T)", ID_VIEW_TOOLBAR},
    MenuEntry{u"状态栏(&S)", ID_VIEW_STATUS_BAR},
    MenuEntry{u"信息面板(&I)", ID_VIEW_INFO_PANEL},
};

constexpr std::array kHelpMenu{
    MenuEntry{u"关于 Veltra(&A)...", ID_APP_ABOUT},
};

constexpr std::array kMainMenu{
    MenuPopup{u"文件(&F)", kFileMenu},
    MenuPopup{u"视图(&V)", kViewMenu},
    MenuPopup{u"帮助(&H)", kHelpMenu},
};

constexpr std::array kToolbar{
    ID_FILE_OPEN,       ID_SEPARATOR,     ID_BACKGROUND_COLOR, ID_IMAGE_CLOSE,
    ID_SEPARATOR,       ID_WATERMARK_LOAD, ID_SEPARATOR,       ID_WATERMARK_FIT,
    ID_WATERMARK_TILE,  ID_WATERMARK_SHOW, ID_SEPARATOR,       ID_FILE_SAVE_JPEG,
};

constexpr std::array kAccelerators{
    Accelerator{Qt::CTRL | Qt::Key_N, ID_FILE_NEW},
    Accelerator{Qt::CTRL | Qt::Key_O, ID_FILE_OPEN},
    Accelerator{Qt::CTRL | Qt::Key_S, ID_FILE_SAVE},
    Accelerator{Qt::CTRL | Qt::Key_P, ID_FILE_PRINT},
    Accelerator{Qt::CTRL | Qt::Key_Z, ID_EDIT_UNDO},
    Accelerator{Qt::CTRL | Qt::Key_X, ID_EDIT_CUT},
    Accelerator{Qt::CTRL | Qt::Key_C, ID_EDIT_COPY},
    Accelerator{Qt::CTRL | Qt::Key_V, ID_EDIT_PASTE},
    Accelerator{Qt::ALT | Qt::Key_Backspace, ID_EDIT_UNDO},
    Accelerator{Qt::SHIFT | Qt::Key_Delete, ID_EDIT_CUT},
    Accelerator{Qt::CTRL | Qt::Key_Insert, ID_EDIT_COPY},
    Accelerator{Qt::SHIFT | Qt::Key_Insert, ID_EDIT_PASTE},
    Accelerator{QKeyCombination(Qt::Key_F6), ID_NEXT_PANE},
    Accelerator{Qt::SHIFT | Qt::Key_F6, ID_PREV_PANE},
    Accelerator{QKeyCombination(Qt::Key_F9), ID_VIEW_INFO_PANEL},
    Accelerator{QKeyCombination(Qt::Key_Right), ID_PICTURE_NEXT},
    Accelerator{QKeyCombination(Qt::Key_PageDown), ID_PICTURE_NEXT},
    Accelerator{QKeyCombination(Qt::Key_Space), ID_PICTURE_NEXT},
    Accelerator{QKeyCombination(Qt::Key_Left), ID_PICTURE_PREVIOUS},
    Accelerator{QKeyCombination(Qt::Key_PageUp), ID_PICTURE_PREVIOUS},
    Accelerator{QKeyCombination(Qt::Key_Backspace), ID_PICTURE_PREVIOUS},
    Accelerator{QKeyCombination(Qt::Key_Home), ID_PICTURE_FIRST},
    Accelerator{QKeyCombination(Qt::Key_End), ID_PICTURE_LAST},
};

// The framework's standard texts for its own commands: the status-bar prompt, then after a
// line feed the tooltip. The document's commands have no entry, so their buttons show
// neither.
struct PromptEntry {
    unsigned id;
    const char16_t* text;
};

constexpr std::array kPrompts{
    PromptEntry{ID_FILE_NEW, u"创建新文档\n新建"},
    PromptEntry{ID_FILE_OPEN, u"打开现有文档\n打开"},
    PromptEntry{ID_FILE_PRINT_SETUP, u"更改打印机选项和打印选项\n打印设置"},
    PromptEntry{ID_FILE_PRINT, u"打印活动文档\n打印"},
    PromptEntry{ID_FILE_PRINT_DIRECT, u"使用当前选项打印活动文档\n快速打印"},
    PromptEntry{ID_FILE_PRINT_PREVIEW, u"显示整页\n打印预览"},
    PromptEntry{ID_APP_ABOUT, u"显示程序信息、版本号和版权信息\n关于"},
    PromptEntry{ID_APP_EXIT, u"退出应用程序；提示保存文档\n退出"},
    PromptEntry{ID_VIEW_TOOLBAR, u"显示或隐藏工具栏\n切换工具栏"},
    PromptEntry{ID_VIEW_STATUS_BAR, u"显示或隐藏状态栏\n切换状态栏"},
    PromptEntry{ID_VIEW_INFO_PANEL, u"显示或隐藏信息面板\n切换信息面板"},
};

constexpr std::array kIndicators{ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                 ID_INDICATOR_SCRL};

}  // namespace

std::span<const MenuPopup> MainMenu() { return kMainMenu; }

std::span<const unsigned> ToolbarItems() { return kToolbar; }

std::span<const Accelerator> Accelerators() { return kAccelerators; }

CommandPrompt LoadCommandPrompt(unsigned id)
{
    // Every entry of the recent-file list shares one prompt.
    if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE16)
        return {QStringLiteral("打开此文档"), QString()};
    for (const PromptEntry& entry : kPrompts) {
        if (entry.id != id)
            continue;
        const QString text = QString::fromUtf16(entry.text);
        const qsizetype lineFeed = text.indexOf(u'\n');
        if (lineFeed < 0)
            return {text, QString()};
        return {text.left(lineFeed), text.mid(lineFeed + 1)};
    }
    return {};
}

std::span<const unsigned> StatusIndicators() { return kIndicators; }

QString IndicatorText(unsigned id)
{
    switch (id) {
    case ID_INDICATOR_CAPS:
        return QStringLiteral("CAP");
    case ID_INDICATOR_NUM:
        return QStringLiteral("NUM");
    case ID_INDICATOR_SCRL:
        return QStringLiteral("SCRL");
    default:
        return QString();
    }
}

QString ApplicationTitle() { return QStringLiteral("Veltra"); }

QString IdleMessage() { return QStringLiteral("就绪"); }

QString FrameCaption(const QString& documentTitle)
{
    return documentTitle + QStringLiteral(" - ") + ApplicationTitle();
}

}  // namespace veltra
