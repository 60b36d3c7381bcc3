#include "KVD_Edit/planview/FrameDecoration.h"

int CFrameDecoration::ReserveSpace(RECT *free, const RECT *frame, CPlanDC *dc, bool snap) {
    if (free == nullptr || frame == nullptr || dc == nullptr)
        return 0;
    CSize size = dc->LPtoDP(GetSize(dc));
    size = CSize(std::abs(size.cx), std::abs(size.cy));
    RECT f = PlanRect::Normalized(dc->LPtoDP(*free));
    RECT fr = PlanRect::Normalized(dc->LPtoDP(*frame));
    bool fits = true;

    if (BelongsToTop(m_position)) {
        if (snap)
            f.top = fr.top;
        f.top = std::max(f.top, fr.top + size.cy);
        fits = fits && PlanRect::Width(f) >= size.cx;
    }
    if (BelongsToBottom(m_position)) {
        if (snap)
            f.bottom = fr.bottom;
        f.bottom = std::min(f.bottom, fr.bottom - size.cy);
        fits = fits && PlanRect::Width(f) >= size.cx;
    }
    if (BelongsToLeft(m_position)) {
        if (snap)
            f.left = fr.left;
        f.left = std::max(f.left, fr.left + size.cx);
        fits = fits && PlanRect::Height(f) >= size.cy;
    }
    if (BelongsToRight(m_position)) {
        if (snap)
            f.right = fr.right;
        f.right = std::min(f.right, fr.right - size.cx);
        fits = fits && PlanRect::Height(f) >= size.cy;
    }

    int result = PlanRect::IsEmpty(f) ? -1 : 0;
    RECT back = dc->DPtoLP(f);
    if (!PlanRect::Equal(back, *free)) {
        *free = back;
        if (result == 0)
            result = fits ? 1 : 2;
    }
    return result;
}

RECT CFrameDecoration::GetTextPosEstimate(CPlanDC *dc, POINT point, const char *text,
                                          const RECT *inflate, const UINT *align) {
    UINT a = align != nullptr ? *align : (dc != nullptr ? dc->GetTextAlign() : 0);
    CSize ext = dc != nullptr && text != nullptr ? dc->GetTextExtent(text) : CSize();
    RECT r = PlanRect::Make(0, 0, 0, 0);
    switch (a & 6) {
    case TA_RIGHT:
        r.left = -ext.cx;
        r.right = 0;
        break;
    case TA_CENTER:
        r.left = (-ext.cx) / 2;
        r.right = r.left + ext.cx;
        break;
    default:
        r.left = 0;
        r.right = ext.cx;
        break;
    }
    switch (a & 24) {
    case TA_TOP:
        r.top = 0;
        r.bottom = ext.cy;
        break;
    case TA_BOTTOM:
        r.top = -ext.cy;
        r.bottom = 0;
        break;
    default:
        r.top = (-3 * ext.cy) / 4;
        r.bottom = r.top + ext.cy;
        break;
    }
    r = PlanRect::Offset(r, point.x, point.y);
    if (inflate != nullptr) {
        r.left -= inflate->left;
        r.top -= inflate->top;
        r.right += inflate->right;
        r.bottom += inflate->bottom;
    }
    return r;
}
