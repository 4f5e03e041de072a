#pragma once

// The application's command resources as data: the menu, the toolbar, the accelerators, the
// prompts of the framework's commands and the status-bar panes. The frame builds its widgets
// from these tables, and tests read the widgets back against them.

#include <QKeyCombination>
#include <QString>

#include <span>

namespace veltra {

// One entry of a drop-down menu; a separator has no text and the id ID_SEPARATOR.
struct MenuEntry {
    const char16_t* text;
    unsigned id;
};

struct MenuPopup {
    const char16_t* title;
    std::span<const MenuEntry> entries;
};

// The menu bar, left to right.
std::span<const MenuPopup> MainMenu();

// The toolbar's positions, left to right; ID_SEPARATOR marks a separator. Button n takes
// image n of the toolbar bitmap, counting buttons only.
std::span<const unsigned> ToolbarItems();

struct Accelerator {
    QKeyCombination keys;
    unsigned id;
};

// The accelerator table in its order.
std::span<const Accelerator> Accelerators();

// The status-bar prompt and the tooltip of a command, as the framework's string table has
// them ("prompt\ntip"). Commands without an entry show neither.
struct CommandPrompt {
    QString statusTip;
    QString toolTip;
};
CommandPrompt LoadCommandPrompt(unsigned id);

// The status bar's panes in order: the stretching message pane, then the three lock keys.
std::span<const unsigned> StatusIndicators();
// The text of an indicator pane while its key is on.
QString IndicatorText(unsigned id);

// The application's name: message-box captions, settings, the caption's second half.
QString ApplicationTitle();
// The message pane's text while no prompt is shown.
QString IdleMessage();
// The frame's caption: the document's title, " - ", the application's title.
QString FrameCaption(const QString& documentTitle);

}  // namespace veltra
