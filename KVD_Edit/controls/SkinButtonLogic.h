#pragma once

// The logic of the skinned button, apart from its window: the shape taken from a mask bitmap,
// the skin arguments, the button's kind and check state, the radio group, which skin shows and
// where a tiled skin is copied.

#include <wx/gdicmn.h>

#include <cstdint>
#include <functional>
#include <vector>

// The shape of a mask: the pixels that are not the transparent colour (white), as one-pixel-high
// runs scanned from the bottom row up, left to right.
class CMaskRegion {
public:
    // pixel(x, y) tells whether the pixel at (x, y), y from the top, is transparent.
    static CMaskRegion FromMask(int width, int height,
                                const std::function<bool(int x, int y)> &transparent);
    // From RGB triples, white (255, 255, 255) transparent.
    static CMaskRegion FromRgb(const unsigned char *rgb, int width, int height);

    bool IsEmpty() const { return m_runs.empty(); }
    bool Contains(const wxPoint &point) const;
    const std::vector<wxRect> &GetRuns() const { return m_runs; }

private:
    std::vector<wxRect> m_runs;
};

// Kinds of skinned button.
enum ESkinButtonKind : int { SKIN_PUSHBUTTON = 0, SKIN_CHECKBOX = 2, SKIN_RADIOBUTTON = 4 };
// Button styles the kind is taken from.
enum : long { SKIN_BS_AUTOCHECKBOX = 3, SKIN_BS_AUTORADIOBUTTON = 9 };
// Draw modes of the skins.
enum ESkinDrawMode : int { SKIN_DRAW_NORMAL = 0, SKIN_DRAW_STRETCH = 1, SKIN_DRAW_TILE = 2 };
// The skins, in the order the button keeps them.
enum ESkin : int {
    SKIN_NORMAL,
    SKIN_PRESSED,
    SKIN_DISABLED,
    SKIN_MASK,
    SKIN_HOVER,
    SKIN_FOCUS,
    SKIN_NONE = -1
};

class CSkinButtonLogic {
public:
    static int KindOfStyle(long style);
    static int ClampDrawMode(int mode) { return mode <= 0 ? SKIN_DRAW_NORMAL : mode == 1 ? 1 : 2; }
    static int ClampMargin(int margin) { return margin < 0 ? 0 : margin; }

    void SetKind(int kind) { m_kind = kind; }
    int GetKind() const { return m_kind; }
    // A push button never takes a check. True when the others of a radio group must now be
    // unchecked.
    bool SetCheck(int value);
    int GetCheck() const { return m_checked; }
    // A release over the button (or Space): a check box toggles, a radio button is checked.
    // True when the radio group must be told.
    bool Clicked();

    // Which skin shows; has(skin) tells which skins were loaded. SKIN_NONE: the face colour.
    static int WhichSkin(bool disabled, bool pressed, bool hovered, bool focused,
                         const std::function<bool(int)> &has);

private:
    int m_kind = SKIN_PUSHBUTTON;
    int m_checked = 0;
};

// The top-left corners at which a skin of the given size is copied to tile rect, row by row;
// none for a skin of width or height 0.
std::vector<wxPoint> TileOrigins(const wxSize &skin, const wxRect &rect);

// One sibling control in a dialog's order: whether it is a skinned button and whether it starts
// a group.
struct SGroupMember {
    bool skinButton = false;
    bool startsGroup = false;
};
// The members of the radio group of siblings[index] that must be unchecked: the other skinned
// buttons from the group's first control up to the next group's start (only skinned buttons
// understand the message).
std::vector<size_t> RadioGroupOthers(const std::vector<SGroupMember> &siblings, size_t index);
