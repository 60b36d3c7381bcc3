#include "KVD_Edit/controls/ButtonSTLogic.h"

#include <algorithm>

CButtonSTLogic::CButtonSTLogic() {
    ResetFaceColours(wxColour(240, 240, 240), wxColour(0, 0, 0));
}

void CButtonSTLogic::ApplyButtonType(int type) {
    const int bits = type & 0x1F;
    m_checkBox = (bits & 2) != 0;
    m_default = bits == BTNST_DEFPUSHBUTTON;
}

void CButtonSTLogic::SetButtonStyle(int type) {
    const int bits = type & 0x1F;
    if (bits == BTNST_DEFPUSHBUTTON)
        m_default = true;
    else if (bits == BTNST_PUSHBUTTON)
        m_default = false;
}

void CButtonSTLogic::ResetFaceColours(const wxColour &face, const wxColour &text) {
    for (size_t i = 0; i < m_colours.size(); ++i)
        m_colours[i] = i % 2 == 0 ? face : text;
}

int CButtonSTLogic::SetFaceColour(int index, const wxColour &colour) {
    if (index < 0 || index >= BTNST_MAX_COLORS)
        return ButtonSTResult::BadColourIndex;
    m_colours[static_cast<size_t>(index)] = colour;
    return ButtonSTResult::Ok;
}

int CButtonSTLogic::GetFaceColour(int index, wxColour *colour) const {
    if (index < 0 || index >= BTNST_MAX_COLORS)
        return ButtonSTResult::BadColourIndex;
    if (colour)
        *colour = m_colours[static_cast<size_t>(index)];
    return ButtonSTResult::Ok;
}

int CButtonSTLogic::ShiftFaceColour(int index, int offset) {
    if (index < 0 || index >= BTNST_MAX_COLORS)
        return ButtonSTResult::BadColourIndex;
    if (offset < -255 || offset > 255)
        return ButtonSTResult::BadArgument;
    wxColour &c = m_colours[static_cast<size_t>(index)];
    const int r = c.Red(), g = c.Green(), b = c.Blue();
    // One common shift for all three, so that the hue stays.
    const int shift =
        offset > 0 ? std::min({offset, 255 - r, 255 - g, 255 - b}) : std::max({offset, -r, -g, -b});
    c.Set(static_cast<unsigned char>(r + shift), static_cast<unsigned char>(g + shift),
          static_cast<unsigned char>(b + shift));
    return ButtonSTResult::Ok;
}

int CButtonSTLogic::SetImageAlign(int align) {
    if (align < 0 || align > ST_ALIGN_OVERLAP)
        return ButtonSTResult::BadAlignment;
    m_align = align;
    return ButtonSTResult::Ok;
}

int CButtonSTLogic::SetPushOffsetStyle(int style) {
    switch (style) {
    case 0:
        m_pushOffset = wxPoint(1, 1);
        return ButtonSTResult::Ok;
    case 1:
        m_pushOffset = wxPoint(0, 2);
        return ButtonSTResult::Ok;
    default:
        return ButtonSTResult::BadPushOffsetStyle;
    }
}

int CButtonSTLogic::SetCheck(int value) {
    if (m_checkBox)
        m_checked = value != 0 ? 1 : 0;
    return ButtonSTResult::Ok;
}

bool CButtonSTLogic::IsPressed(bool selected, bool menuShown) const {
    if (m_checkBox)
        return selected || m_checked != 0;
    return selected || menuShown;
}

int CButtonSTLogic::BackgroundIndex(bool pressed, bool focused) const {
    if (m_hover || pressed)
        return BTNST_COLOR_BK_IN;
    return focused ? BTNST_COLOR_BK_FOCUS : BTNST_COLOR_BK_OUT;
}

int CButtonSTLogic::TextIndex(bool pressed, bool focused) const {
    if (m_hover || pressed)
        return BTNST_COLOR_FG_IN;
    return focused ? BTNST_COLOR_FG_FOCUS : BTNST_COLOR_FG_OUT;
}

int CButtonSTLogic::WhichImage(bool pressed, bool hasNormalImage) const {
    const bool hot = m_checkBox ? pressed : (pressed || m_hover);
    return hot || !hasNormalImage ? 0 : 1;
}

SButtonSTLayout CButtonSTLogic::Layout(const wxRect &item, const wxSize &image, bool hasCaption,
                                       bool pressed) const {
    SButtonSTLayout out{item, item};
    out.image.SetSize(image);
    const int w = image.x, h = image.y;
    const int width = item.width, height = item.height;
    if (w > 0 && h > 0) {
        switch (m_align) {
        case ST_ALIGN_HORIZ:
            if (hasCaption) {
                out.image.x += m_marginX;
                out.caption.x += w + m_marginX;
                out.caption.width -= w + m_marginX;
            } else {
                out.image.x += (width - w) / 2;
            }
            out.image.y += (height - h) / 2;
            break;
        case ST_ALIGN_VERT:
            out.image.x += (width - w) / 2;
            if (hasCaption) {
                out.image.y = m_marginY;
                out.caption.y += h;
                out.caption.height -= h;
            } else {
                out.image.y += (height - h) / 2;
            }
            break;
        case ST_ALIGN_HORIZ_RIGHT:
            if (hasCaption) {
                const int right = out.caption.width - w - m_marginX;
                out.caption.x = m_marginX;
                out.caption.width = right - m_marginX;
                out.image.x = width - w - m_marginX;
                out.image.y += (height - h) / 2;
            } else {
                out.image.x += (width - w) / 2;
            }
            break;
        default:
            break; // overlap: the image stays at the item's corner
        }
    }
    if (pressed && !m_checkBox)
        out.image.Offset(m_pushOffset);
    return out;
}

namespace {

bool Keeps(const unsigned char *p, const wxColour *transparent) {
    if (transparent)
        return p[0] == transparent->Red() && p[1] == transparent->Green() &&
               p[2] == transparent->Blue();
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

} // namespace

void MakeGreyPixels(unsigned char *rgb, size_t pixels, const wxColour *transparent) {
    for (size_t i = 0; i < pixels; ++i, rgb += 3) {
        if (Keeps(rgb, transparent))
            continue;
        const auto level =
            static_cast<unsigned char>(0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2]);
        rgb[0] = rgb[1] = rgb[2] = level;
    }
}

void MakeDarkerPixels(unsigned char *rgb, size_t pixels, const wxColour *transparent) {
    for (size_t i = 0; i < pixels; ++i, rgb += 3) {
        if (Keeps(rgb, transparent))
            continue;
        for (int k = 0; k < 3; ++k)
            rgb[k] = static_cast<unsigned char>(rgb[k] - 0.25 * rgb[k]);
    }
}
