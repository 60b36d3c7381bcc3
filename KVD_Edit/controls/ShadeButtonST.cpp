#include "KVD_Edit/controls/ShadeButtonST.h"

#include <wx/graphics.h>
#include <wx/settings.h>

#include <random>

void CShadeButtonST::BuildShadedFaces(int shade, uint8_t granularity, uint8_t highlight,
                                      uint8_t colouring, const wxColour &colour) {
    static std::minstd_rand engine{std::random_device{}()};
    std::uniform_int_distribution<int> uniform(0, 32767);
    const std::function<int()> random = [&] { return uniform(engine); };
    const SShadeColours system{wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW),
                               wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE),
                               wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT)};
    const wxSize size = GetSize();
    BuildShadeFaces(m_normal, m_hot, size.x, size.y, shade, granularity, highlight, colouring,
                    colour, system, random);
    Refresh();
}

int CShadeButtonST::DrawFaceBackground(wxGraphicsContext &gc, wxRect &) {
    // The faces replace the plain background (and the focus frame of the base class).
    const CCeXDib &face = IsHovered() ? m_hot : m_normal;
    const wxBitmap &bitmap = face.GetBitmap();
    if (!bitmap.IsOk())
        return 0;
    const int shift = IsHovered() && m_pressed ? 1 : 0;
    gc.DrawBitmap(bitmap, shift, shift, bitmap.GetWidth(), bitmap.GetHeight());
    return 0;
}

int CShadeButtonST::DrawFaceBorder(wxGraphicsContext &gc, wxRect &rect) {
    CButtonST::DrawFaceBorder(gc, rect);
    return 0;
}
