#include "KVD_Edit/controls/MemDC.h"

#include <algorithm>

CMemDC::CMemDC(wxDC *target, const wxRect *rect) : m_target(target) {
    if (rect)
        m_rect = *rect;
    else if (target)
        target->GetClippingBox(m_rect);
    if (target && m_rect.IsEmpty())
        m_rect = wxRect(wxPoint(0, 0), target->GetSize());
    m_bitmap.Create(std::max(m_rect.width, 1), std::max(m_rect.height, 1));
    SelectObject(m_bitmap);
    SetDeviceOrigin(-m_rect.x, -m_rect.y);
}

CMemDC::~CMemDC() {
    if (m_target && m_rect.width > 0 && m_rect.height > 0) {
        SetDeviceOrigin(0, 0);
        m_target->Blit(m_rect.x, m_rect.y, m_rect.width, m_rect.height, this, 0, 0);
    }
    SelectObject(wxNullBitmap);
}
