#include "KVD_Edit/controls/SkinButtonLogic.h"

CMaskRegion CMaskRegion::FromMask(int width, int height,
                                  const std::function<bool(int, int)> &transparent) {
    CMaskRegion region;
    for (int y = height - 1; y >= 0; --y) {
        int start = -1;
        for (int x = 0; x < width; ++x) {
            const bool solid = !transparent(x, y);
            if (solid && start < 0)
                start = x;
            if (start >= 0 && (!solid || x == width - 1)) {
                const int end = solid ? x + 1 : x; // the row's last pixel ends its run
                region.m_runs.emplace_back(start, y, end - start, 1);
                start = -1;
            }
        }
    }
    return region;
}

CMaskRegion CMaskRegion::FromRgb(const unsigned char *rgb, int width, int height) {
    return FromMask(width, height, [rgb, width](int x, int y) {
        const unsigned char *p = rgb + 3 * (static_cast<size_t>(y) * width + x);
        return p[0] == 255 && p[1] == 255 && p[2] == 255;
    });
}

bool CMaskRegion::Contains(const wxPoint &point) const {
    for (const wxRect &run : m_runs) {
        if (run.Contains(point))
            return true;
    }
    return false;
}

int CSkinButtonLogic::KindOfStyle(long style) {
    const long low = style & 0xFFFF;
    if ((low & 3) == SKIN_BS_AUTOCHECKBOX)
        return SKIN_CHECKBOX;
    if ((low & 9) == SKIN_BS_AUTORADIOBUTTON)
        return SKIN_RADIOBUTTON;
    return SKIN_PUSHBUTTON;
}

bool CSkinButtonLogic::SetCheck(int value) {
    m_checked = m_kind == SKIN_PUSHBUTTON ? 0 : (value != 0 ? 1 : 0);
    return m_kind == SKIN_RADIOBUTTON && m_checked;
}

bool CSkinButtonLogic::Clicked() {
    if (m_kind == SKIN_CHECKBOX)
        return SetCheck(!m_checked);
    if (m_kind == SKIN_RADIOBUTTON)
        return SetCheck(1);
    return false;
}

int CSkinButtonLogic::WhichSkin(bool disabled, bool pressed, bool hovered, bool focused,
                                const std::function<bool(int)> &has) {
    if (disabled)
        return has(SKIN_DISABLED) ? SKIN_DISABLED : SKIN_NONE;
    if (pressed)
        return has(SKIN_PRESSED) ? SKIN_PRESSED : SKIN_NONE;
    if (!has(SKIN_NORMAL))
        return SKIN_NONE;
    if (hovered && has(SKIN_HOVER))
        return SKIN_HOVER;
    if (focused && has(SKIN_FOCUS))
        return SKIN_FOCUS;
    return SKIN_NORMAL;
}

std::vector<wxPoint> TileOrigins(const wxSize &skin, const wxRect &rect) {
    std::vector<wxPoint> origins;
    if (skin.x <= 0 || skin.y <= 0)
        return origins; // nothing to tile with: the loop would never advance
    for (int y = rect.y; y < rect.y + rect.height; y += skin.y)
        for (int x = rect.x; x < rect.x + rect.width; x += skin.x)
            origins.emplace_back(x, y);
    return origins;
}

std::vector<size_t> RadioGroupOthers(const std::vector<SGroupMember> &siblings, size_t index) {
    std::vector<size_t> others;
    if (index >= siblings.size())
        return others;
    size_t first = index;
    while (first > 0 && !siblings[first].startsGroup)
        --first;
    for (size_t i = first; i < siblings.size(); ++i) {
        if (i != first && siblings[i].startsGroup)
            break;
        if (i != index && siblings[i].skinButton)
            others.push_back(i);
    }
    return others;
}
