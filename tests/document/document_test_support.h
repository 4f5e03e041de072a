#pragma once

// What the document tests share: prompts that answer from prepared replies, a recording
// user-interface item, small generated pictures on disk and painting into an image.

#include "document/cmd_ui.h"
#include "document/document_prompts.h"
#include "document/veltra_doc.h"
#include "imaging/gdiplus.h"
#include "support/document_test_access.h"
#include "support/prepared_replies.h"
#include "support/test_files.h"

#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace veltra::document_test {

// Answers each chooser from the front of its queue and records every message shown. A
// chooser asked with an empty queue is a test fault and answers as if cancelled.
class FakePrompts : public DocumentPrompts {
public:
    struct Message {
        QString text;
        Icon icon;
        friend bool operator==(const Message&, const Message&) = default;
        friend void PrintTo(const Message& message, std::ostream* out)
        {
            *out << '"' << message.text.toStdString() << "\" icon " << int(message.icon);
        }
    };

    std::vector<Message> messages;
    std::deque<std::optional<COLORREF>> colorReplies;
    std::deque<std::optional<QString>> watermarkReplies;
    std::deque<std::optional<QString>> exportReplies;
    std::vector<COLORREF> colorInitials;
    int watermarkAsked = 0;
    int exportAsked = 0;
    // Runs while the export chooser is open, as a command dispatched meanwhile would.
    std::function<void()> whileExportChooserOpen;

    void ShowMessage(const QString& text, Icon icon) override { messages.push_back({text, icon}); }

    std::optional<COLORREF> ChooseColor(COLORREF initial) override
    {
        colorInitials.push_back(initial);
        return test::NextReply(colorReplies);
    }
    std::optional<QString> ChooseWatermarkFile() override
    {
        ++watermarkAsked;
        return test::NextReply(watermarkReplies);
    }
    std::optional<QString> ChooseExportFile() override
    {
        ++exportAsked;
        if (whileExportChooserOpen)
            whileExportChooserOpen();
        return test::NextReply(exportReplies);
    }

};

// Every call an update handler makes, in order.
class RecordingCmdUI : public CCmdUI {
public:
    enum class Call { Enable, SetCheck, SetRadio };
    struct Record {
        Call call;
        int value;
        friend bool operator==(const Record&, const Record&) = default;
    };
    std::vector<Record> calls;

    void Enable(bool on) override { calls.push_back({Call::Enable, on ? 1 : 0}); }
    void SetCheck(int check) override { calls.push_back({Call::SetCheck, check}); }
    void SetRadio(bool on) override { calls.push_back({Call::SetRadio, on ? 1 : 0}); }
};

// Counts the document's repaint requests.
class RepaintCounter {
public:
    explicit RepaintCounter(CVeltraDoc& doc)
    {
        QObject::connect(&doc, &CVeltraDoc::viewsUpdateRequested, [this] { ++count; });
    }
    int count = 0;
};

using test::ReadBytes;
using test::SolidImage;
using test::WriteBytes;
using test::WritePicture;

// The window's painting at the given client size.
inline QImage Paint(CVeltraDoc& doc, QSize client)
{
    QImage image(client, QImage::Format_ARGB32);
    image.fill(QColor(1, 2, 3));  // nothing of the painting is this colour
    QPainter painter(&image);
    const QRect rect(QPoint(0, 0), client);
    doc.Draw(&painter, &rect);
    painter.end();
    return image;
}

inline QSize PictureSize(imaging::GpImage* image)
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    imaging::GdipGetImageWidth(image, &width);
    imaging::GdipGetImageHeight(image, &height);
    return QSize(static_cast<int>(width), static_cast<int>(height));
}

// Loads a watermark through the command, the chooser answering with `path`.
inline void LoadWatermark(CVeltraDoc& doc, FakePrompts& prompts, const QString& path)
{
    prompts.watermarkReplies.push_back(path);
    doc.OnWatermarkLoad();
}

}  // namespace veltra::document_test
