// The document's command table: what each toolbar command does and how its button shows it.

#include "document/veltra_doc.h"
#include "imaging/gdiplus.h"

#include <array>

namespace veltra {

using namespace imaging;

namespace {

enum class UpdateRule { None, RadioWhileWatermarkHeld, RadioWhileFlag, CheckWhileFlag };

struct CommandEntry {
    unsigned id;
    void (CVeltraDoc::*handler)();
    UpdateRule update;
    std::uint32_t flag;  // the flag bit that the update rule looks at, if any
};

constexpr std::array kCommandTable{
    CommandEntry{ID_BACKGROUND_COLOR, &CVeltraDoc::OnBackgroundColor, UpdateRule::None, 0},
    CommandEntry{ID_IMAGE_CLOSE, &CVeltraDoc::OnImageClose, UpdateRule::None, 0},
    CommandEntry{ID_WATERMARK_LOAD, &CVeltraDoc::OnWatermarkLoad,
                 UpdateRule::RadioWhileWatermarkHeld, 0},
    CommandEntry{ID_WATERMARK_FIT, &CVeltraDoc::OnWatermarkFit, UpdateRule::RadioWhileFlag,
                 FLAG_WATERMARK_FIT},
    CommandEntry{ID_WATERMARK_SHOW, &CVeltraDoc::OnWatermarkShow, UpdateRule::RadioWhileFlag,
                 FLAG_WATERMARK_SHOW},
    CommandEntry{ID_WATERMARK_TILE, &CVeltraDoc::OnWatermarkTile, UpdateRule::RadioWhileFlag,
                 FLAG_WATERMARK_TILE},
    CommandEntry{ID_FILE_SAVE_JPEG, &CVeltraDoc::OnFileSaveJpeg, UpdateRule::None, 0},
    CommandEntry{ID_REGION_OUTLINE, &CVeltraDoc::OnRegionOutline, UpdateRule::CheckWhileFlag,
                 FLAG_REGION_OUTLINE},
};

const CommandEntry* FindCommand(unsigned id)
{
    for (const CommandEntry& entry : kCommandTable) {
        if (entry.id == id)
            return &entry;
    }
    return nullptr;
}

bool IsReserved(unsigned id)
{
    return id >= ID_RESERVED_FIRST && id <= ID_RESERVED_LAST;
}

}  // namespace

bool CVeltraDoc::OnCmdMsg(unsigned id)
{
    if (IsReserved(id))
        return true;  // taken and ignored
    const CommandEntry* entry = FindCommand(id);
    if (!entry)
        return false;
    (this->*entry->handler)();
    return true;
}

bool CVeltraDoc::OnUpdateCmdUI(unsigned id, CCmdUI& cmdUI)
{
    if (IsReserved(id)) {
        cmdUI.Enable(false);
        return true;
    }
    const CommandEntry* entry = FindCommand(id);
    if (!entry)
        return false;
    switch (entry->update) {
    case UpdateRule::None:
        cmdUI.Enable(true);
        break;
    case UpdateRule::RadioWhileWatermarkHeld:
        cmdUI.SetRadio(m_pWatermark != nullptr);
        break;
    case UpdateRule::RadioWhileFlag:
        cmdUI.SetRadio((m_nWatermarkFlags & entry->flag) != 0);
        break;
    case UpdateRule::CheckWhileFlag:
        cmdUI.SetCheck((m_nWatermarkFlags & entry->flag) != 0 ? 1 : 0);
        break;
    }
    return true;
}

void CVeltraDoc::OnWatermarkLoad()
{
    if (m_pWatermark) {
        ForgetComposition();
        m_pWatermark.reset();
        UpdateAllViews(nullptr);
        return;
    }
    const std::optional<QString> path = m_prompts.ChooseWatermarkFile();
    if (!path)
        return;
    // Something may have loaded a watermark while the chooser was open.
    ForgetComposition();
    m_pWatermark.reset();

    GpBitmap* bitmap = nullptr;
    const GpStatus status = GdipCreateBitmapFromFile(*path, &bitmap);
    ImagePtr loaded(bitmap);
    if (status != Ok || !loaded) {
        m_prompts.ShowMessage(QStringLiteral("水印图片加载失败"), DocumentPrompts::Icon::Error);
        return;
    }
    m_pWatermark = std::move(loaded);
    if (!(m_nWatermarkFlags & (FLAG_WATERMARK_FIT | FLAG_WATERMARK_TILE)))
        m_nWatermarkFlags |= FLAG_WATERMARK_SHOW | FLAG_WATERMARK_FIT;
    m_ptWatermark = QPoint(-1, -1);
    UpdateAllViews(nullptr);
}

void CVeltraDoc::OnWatermarkFit()
{
    m_nWatermarkFlags ^= FLAG_WATERMARK_FIT;
    UpdateAllViews(nullptr);
}

void CVeltraDoc::OnWatermarkShow()
{
    m_nWatermarkFlags ^= FLAG_WATERMARK_SHOW;
    UpdateAllViews(nullptr);
}

void CVeltraDoc::OnWatermarkTile()
{
    if (m_nWatermarkFlags & FLAG_WATERMARK_TILE) {
        m_nWatermarkFlags &= ~FLAG_WATERMARK_TILE;
    } else {
        // Tiling forgets the position, so show mode later centres the watermark afresh.
        m_ptWatermark.setX(-1);
        m_nWatermarkFlags |= FLAG_WATERMARK_TILE;
    }
    UpdateAllViews(nullptr);
}

void CVeltraDoc::OnRegionOutline()
{
    m_nWatermarkFlags ^= FLAG_REGION_OUTLINE;
    UpdateAllViews(nullptr);
}

}  // namespace veltra
