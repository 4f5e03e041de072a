#include "app/info_panel.h"

#include "app/shell_prompts.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace veltra {

namespace {

// Wide enough for the report's label column and a short value without wrapping.
constexpr int kMinimumWidth = 320;

QString FailureText(const QString& reason)
{
    return QStringLiteral("文件加载失败\n") + reason;
}

}  // namespace

CInfoPanel::CInfoPanel(ShellPrompts& prompts, QWidget* parent)
    : QDockWidget(QStringLiteral("信息面板"), parent), m_prompts(prompts)
{
    setObjectName(QStringLiteral("infoPanel"));
    // Shown and hidden through the View menu and its key only, so that what is remembered is
    // what the user chose there.
    setFeatures(QDockWidget::DockWidgetMovable);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);

    auto* contents = new QWidget(this);
    auto* layout = new QVBoxLayout(contents);
    layout->setContentsMargins(4, 4, 4, 4);
    m_text = new QPlainTextEdit(contents);
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setMinimumWidth(kMinimumWidth);
    layout->addWidget(m_text, 1);
    auto* buttons = new QHBoxLayout;
    m_copyButton = new QPushButton(QStringLiteral("复制报告"), contents);
    m_exportButton = new QPushButton(QStringLiteral("导出 JSON…"), contents);
    buttons->addWidget(m_copyButton);
    buttons->addWidget(m_exportButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    setWidget(contents);
    setFocusProxy(m_text);
    // While the panel has the keyboard, the keys that step through the folder scroll and move
    // in the panel instead (Space presses its focused button).
    for (QWidget* child : {static_cast<QWidget*>(m_text), static_cast<QWidget*>(m_copyButton),
                           static_cast<QWidget*>(m_exportButton)})
        child->installEventFilter(this);

    connect(m_copyButton, &QPushButton::clicked, this, &CInfoPanel::OnCopyReport);
    connect(m_exportButton, &QPushButton::clicked, this, &CInfoPanel::OnExportJson);
    m_pool.setMaxThreadCount(1);
    ShowNothing();
}

CInfoPanel::~CInfoPanel()
{
    // A result on its way is posted to this panel: the panel waits for it to be made.
    m_pool.clear();
    m_pool.waitForDone();
}

void CInfoPanel::ShowFile(const QString& path)
{
    m_subject = Subject::File;
    m_path = path;
    m_failure.clear();
    Request();
}

void CInfoPanel::ShowFailure(const QString& path, const QString& reason)
{
    m_subject = Subject::Failure;
    m_path = path;
    m_failure = reason;
    Request();
}

void CInfoPanel::ShowNothing()
{
    m_subject = Subject::Nothing;
    m_path.clear();
    m_failure.clear();
    Request();
}

void CInfoPanel::Request()
{
    ++m_generation;
    m_filled = false;
    m_shown = FileExamination{};
    m_copyButton->setEnabled(false);
    m_exportButton->setEnabled(false);
    // A hidden panel is filled when it is shown.
    if (isVisible())
        Refill();
}

bool CInfoPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        switch (key->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Space:
        case Qt::Key_Backspace:
            if (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier)
                key->accept();
            break;
        default:
            break;
        }
    }
    return QDockWidget::eventFilter(watched, event);
}

void CInfoPanel::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    if (!m_filled)
        Refill();
}

void CInfoPanel::Refill()
{
    switch (m_subject) {
    case Subject::Nothing:
        SetText(QString(), {});
        break;
    case Subject::Failure:
        SetText(FailureText(m_failure), {});
        break;
    case Subject::File: {
        SetText(QStringLiteral("正在读取…"), {});
        m_pool.clear();
        const quint64 generation = m_generation;
        const QString path = m_path;
        m_pool.start([this, path, generation] {
            FileExamination examination = ExamineFile(path);
            QMetaObject::invokeMethod(
                this,
                [this, examination = std::move(examination), generation] {
                    Present(examination, generation);
                },
                Qt::QueuedConnection);
        });
        return;
    }
    }
    m_filled = true;
    emit filled();
}

void CInfoPanel::Present(const FileExamination& examination, quint64 generation)
{
    if (generation != m_generation)
        return;
    m_shown = examination;
    if (examination.loaded)
        SetText(examination.text, examination.markedLines);
    else
        SetText(FailureText(examination.failure), {});
    m_copyButton->setEnabled(examination.loaded);
    m_exportButton->setEnabled(examination.loaded);
    m_filled = true;
    emit filled();
}

void CInfoPanel::SetText(const QString& text, const std::vector<int>& marked)
{
    m_text->setPlainText(text);
    QTextCharFormat emphasis;
    emphasis.setFontWeight(QFont::Bold);
    emphasis.setForeground(QColor(0xA0, 0x10, 0x10));
    emphasis.setBackground(QColor(0xFF, 0xF0, 0xC0));
    for (int line : marked) {
        const QTextBlock block = m_text->document()->findBlockByNumber(line);
        if (!block.isValid())
            continue;
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(emphasis);
    }
    m_text->moveCursor(QTextCursor::Start);
}

void CInfoPanel::WaitUntilFilled()
{
    m_pool.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

QString CInfoPanel::Text() const
{
    return m_text->toPlainText();
}

std::vector<int> CInfoPanel::MarkedLines() const
{
    std::vector<int> lines;
    for (QTextBlock block = m_text->document()->begin(); block.isValid(); block = block.next()) {
        const QTextBlock::iterator first = block.begin();
        if (!first.atEnd() && first.fragment().charFormat().fontWeight() == QFont::Bold)
            lines.push_back(block.blockNumber());
    }
    return lines;
}

void CInfoPanel::Copy()
{
    if (m_text->textCursor().hasSelection())
        m_text->copy();
    else
        OnCopyReport();
}

void CInfoPanel::OnCopyReport()
{
    QApplication::clipboard()->setText(Text());
}

void CInfoPanel::OnExportJson()
{
    if (!m_shown.loaded)
        return;
    const QFileInfo picture(m_shown.path);
    const std::optional<QString> chosen =
        m_prompts.ChooseJsonFile(picture.dir().filePath(picture.completeBaseName() + QStringLiteral(".json")));
    if (!chosen)
        return;
    // Written whole or not at all: a failed export leaves an existing file as it was.
    QSaveFile file(*chosen);
    const QByteArray bytes = QJsonDocument(m_shown.json).toJson(QJsonDocument::Indented);
    const bool saved = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
                       file.commit();
    if (saved)
        m_prompts.ShowMessage(QStringLiteral("保存成功"), DocumentPrompts::Icon::Information);
    else
        m_prompts.ShowMessage(QStringLiteral("保存失败"), DocumentPrompts::Icon::Error);
}

}  // namespace veltra
