#pragma once

// An off-screen drawing context: drawing goes into a bitmap covering a rectangle of the target,
// in the target's own coordinates, and the bitmap is copied onto the target in one block when
// the object goes. Without a rectangle the target's clipping box is covered.

#include <wx/bitmap.h>
#include <wx/dcmemory.h>

class CMemDC : public wxMemoryDC {
public:
    explicit CMemDC(wxDC *target, const wxRect *rect = nullptr);
    ~CMemDC() override;
    CMemDC(const CMemDC &) = delete;
    CMemDC &operator=(const CMemDC &) = delete;

    const wxRect &GetRect() const { return m_rect; }

private:
    wxBitmap m_bitmap;
    wxDC *m_target;
    wxRect m_rect;
};
