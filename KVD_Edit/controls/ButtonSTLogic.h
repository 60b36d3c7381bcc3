#pragma once

// The logic of the owner-drawn button, apart from its window so that tests drive it without a
// display: the six face colours, the look and alignment settings with their result codes, the
// pressed state, image and caption placement, the choice of image, and the grey and darker
// image copies.

#include <wx/colour.h>
#include <wx/gdicmn.h>

#include <array>
#include <cstddef>

// Result codes of the button's setters.
namespace ButtonSTResult {
enum : int {
    Ok = 0,
    LoadFailed = 1,     // an image could not be read
    MaskFailed = 2,     // its mask could not be made
    BadColourIndex = 3, // colour index above 5
    BadAlignment = 4,   // alignment above 3
    BadArgument = 5,    // an argument out of range
    BadPushOffsetStyle = 6
};
}

// Indices of the face colours.
enum EButtonSTColour : int {
    BTNST_COLOR_BK_IN = 0,    // background while hovered or pressed
    BTNST_COLOR_FG_IN = 1,    // text while hovered or pressed
    BTNST_COLOR_BK_OUT = 2,   // background otherwise
    BTNST_COLOR_FG_OUT = 3,   // text otherwise
    BTNST_COLOR_BK_FOCUS = 4, // background while focused (neither hovered nor pressed)
    BTNST_COLOR_FG_FOCUS = 5, // text while focused
    BTNST_MAX_COLORS = 6
};

// Image alignments.
enum EButtonSTAlign : int {
    ST_ALIGN_HORIZ = 0,       // image left of the caption
    ST_ALIGN_VERT = 1,        // image above the caption
    ST_ALIGN_HORIZ_RIGHT = 2, // image right of the caption
    ST_ALIGN_OVERLAP = 3      // image at the top-left corner, caption over it
};

// Button types, as the style of a dialog's button gives them.
enum EButtonSTType : int {
    BTNST_PUSHBUTTON = 0,
    BTNST_DEFPUSHBUTTON = 1,
    BTNST_CHECKBOX = 2,
    BTNST_AUTOCHECKBOX = 3
};

// Where the image and the caption of a face go.
struct SButtonSTLayout {
    wxRect image;   // top-left corner and size of the image
    wxRect caption; // the rectangle the caption is centred in
};

class CButtonSTLogic {
public:
    CButtonSTLogic();

    // A type with the bit of value 2 turns check-box mode on; BTNST_DEFPUSHBUTTON makes the
    // button the default one.
    void ApplyButtonType(int type);
    // Changes only the default flag, as a dialog does when its default button moves.
    void SetButtonStyle(int type);

    void ResetFaceColours(const wxColour &face, const wxColour &text);
    int SetFaceColour(int index, const wxColour &colour);
    int GetFaceColour(int index, wxColour *colour) const;
    int ShiftFaceColour(int index, int offset);
    int SetImageAlign(int align);
    int SetPushOffsetStyle(int style);
    // Only a check-box button takes a check; a push button stays unchecked.
    int SetCheck(int value);
    int GetCheck() const { return m_checked; }
    void Toggle() { m_checked = m_checked ? 0 : 1; }

    // What the last drawing found; the window sets these from its state.
    bool IsPressed(bool selected, bool menuShown) const;
    // The colour indices of the background and the text in the current state.
    int BackgroundIndex(bool pressed, bool focused) const;
    int TextIndex(bool pressed, bool focused) const;
    // Which image record shows: 0 the hover image, 1 the normal one.
    int WhichImage(bool pressed, bool hasNormalImage) const;
    // Places an image of size image (empty: none) and the caption in the item rectangle.
    SButtonSTLayout Layout(const wxRect &item, const wxSize &image, bool hasCaption,
                           bool pressed) const;

    const wxColour &Colour(int index) const { return m_colours[static_cast<size_t>(index)]; }

    bool m_flat = true;
    bool m_hover = false;
    bool m_transparent = false;
    bool m_default = false;
    bool m_checkBox = false;
    bool m_drawBorder = true;
    bool m_flatFocus = false;
    bool m_embossed = true;
    bool m_trackInactive = true;
    int m_marginX = 3;
    int m_marginY = 3;
    wxPoint m_pushOffset{1, 1};
    int m_align = ST_ALIGN_HORIZ;

private:
    std::array<wxColour, BTNST_MAX_COLORS> m_colours;
    int m_checked = 0;
};

// The grey and darker copies of an image, pixel by pixel over RGB triples. Pixels equal to the
// transparent colour stay (none given: black pixels stay, as for icons). Grey: level =
// integer part of 0.299 red + 0.587 green + 0.114 blue; darker: c - 0.25 c per component.
void MakeGreyPixels(unsigned char *rgb, size_t pixels, const wxColour *transparent);
void MakeDarkerPixels(unsigned char *rgb, size_t pixels, const wxColour *transparent);
