#pragma once

// A CButtonST whose face is a generated shaded bitmap (ShadeFaces.h): gradients, bumps, a metal
// cylinder, streaks or noise over the system's 3-D colours, optionally tinted, with a brighter
// copy while hovered.

#include "KVD_Edit/controls/ButtonST.h"
#include "KVD_Edit/controls/ShadeFaces.h"

class CShadeButtonST : public CButtonST {
public:
    using CButtonST::CButtonST;

    // Builds both faces for the button's present size (shade: ShadeStyle); can be called again
    // at any time and replaces them. colouring: percent toward colour; highlight: percent of the
    // hot face toward the highlight colour.
    void BuildShadedFaces(int shade, uint8_t granularity = 8, uint8_t highlight = 10,
                          uint8_t colouring = 0, const wxColour &colour = wxColour(0, 0, 0));

    const CCeXDib &GetNormalFace() const { return m_normal; }
    const CCeXDib &GetHotFace() const { return m_hot; }

protected:
    int DrawFaceBackground(wxGraphicsContext &gc, wxRect &rect) override;
    int DrawFaceBorder(wxGraphicsContext &gc, wxRect &rect) override;

private:
    CCeXDib m_normal;
    CCeXDib m_hot;
};
