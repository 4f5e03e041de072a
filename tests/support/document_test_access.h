#pragma once

// The tests' one way into the document's state: the states that the commands reach only in
// several steps (a flag combination, a remembered watermark position, a picture with facts no
// file gives) are set here directly.

#include "document/veltra_doc.h"

namespace veltra {

class DocumentTestAccess {
public:
    static void SetBackgroundColor(CVeltraDoc& doc, COLORREF color) { doc.m_clrBackground = color; }
    static void SetWatermarkFlags(CVeltraDoc& doc, std::uint32_t flags)
    {
        doc.m_nWatermarkFlags = flags;
    }
    static void SetWatermarkPosition(CVeltraDoc& doc, QPoint position)
    {
        doc.m_ptWatermark = position;
    }
    static void HoldPicture(CVeltraDoc& doc, imaging::ImagePtr picture)
    {
        doc.ForgetComposition();
        doc.m_pImage = std::move(picture);
    }
};

}  // namespace veltra
