#pragma once

// What the application tests share: prompts that record and answer, a private settings
// directory, small pictures written to disk, key presses through the shortcut machinery and
// pixel helpers.

#include "app/shell_prompts.h"
#include "support/prepared_replies.h"
#include "support/test_files.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <ostream>
#include <vector>

// Exported by QtGui for its test library: offers a key to the shortcut map as a key press
// would, and answers whether a shortcut took it.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k,
                                               Qt::KeyboardModifiers mods, const QString& text,
                                               bool autorep, ushort count);

namespace veltra::app_test {

// Every message shown, in order, with the kind of box it came in.
struct Shown {
    enum class Kind { Error, Information, Framework };
    QString text;
    Kind kind;
    friend bool operator==(const Shown&, const Shown&) = default;
    friend void PrintTo(const Shown& shown, std::ostream* out)
    {
        *out << '"' << shown.text.toStdString() << "\" kind " << static_cast<int>(shown.kind);
    }
};

// Answers each chooser from the front of its queue; a chooser asked with an empty queue is
// a test fault and answers as if cancelled.
class RecordingPrompts : public ShellPrompts {
public:
    std::vector<Shown> shown;
    std::deque<std::optional<COLORREF>> colorReplies;
    std::deque<std::optional<QString>> watermarkReplies;
    std::deque<std::optional<QString>> exportReplies;
    std::deque<std::optional<QString>> openReplies;
    std::deque<std::optional<QString>> jsonReplies;
    std::vector<QString> jsonSuggestions;

    void ShowMessage(const QString& text, Icon icon) override
    {
        shown.push_back(
            {text, icon == Icon::Error ? Shown::Kind::Error : Shown::Kind::Information});
    }
    void ShowFrameworkMessage(const QString& text) override
    {
        shown.push_back({text, Shown::Kind::Framework});
    }
    std::optional<COLORREF> ChooseColor(COLORREF) override { return test::NextReply(colorReplies); }
    std::optional<QString> ChooseWatermarkFile() override { return test::NextReply(watermarkReplies); }
    std::optional<QString> ChooseExportFile() override { return test::NextReply(exportReplies); }
    std::optional<QString> ChooseFileToOpen() override { return test::NextReply(openReplies); }
    std::optional<QString> ChooseJsonFile(const QString& suggested) override
    {
        jsonSuggestions.push_back(suggested);
        return test::NextReply(jsonReplies);
    }
};

// Points the user's settings at a directory of the test's own for as long as it lives, so
// no test reads or writes the real recent-file list.
class ScopedProfile {
public:
    ScopedProfile()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    }
    QString Path() const { return m_dir.path(); }
    // The settings file as stored on disk.
    QString FilePath() const
    {
        return m_dir.filePath(QStringLiteral("应用程序向导生成的本地应用程序/Veltra.conf"));
    }

private:
    QTemporaryDir m_dir;
};

// An opaque PNG of one colour, written for the test.
inline QString WritePicture(const QTemporaryDir& dir, const QString& name, QSize size,
                            QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return test::WritePicture(dir, name, image);
}

using test::ReadBytes;
using test::WriteBytes;

// Shows the window and makes it the active one, which window-wide shortcuts need. Events
// are processed until the window system reports it active, at most a bounded number of
// rounds.
inline bool ActivateWindow(QWidget& window)
{
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    for (int round = 0; round < 100 && !window.isActiveWindow(); ++round)
        QCoreApplication::processEvents();
    return window.isActiveWindow();
}

// Presses keys on the active window the way the keyboard would reach its shortcuts; true
// when a shortcut took them.
inline bool PressShortcut(QWidget& target, QKeyCombination keys)
{
    return qt_sendShortcutOverrideEvent(&target, 0, keys.key(), keys.keyboardModifiers(),
                                        QString(), false, 1);
}

inline int CountPixels(const QImage& image, QRgb colour, QRect area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return count;
}

inline QRgb Opaque(int red, int green, int blue) { return qRgb(red, green, blue); }

}  // namespace veltra::app_test
