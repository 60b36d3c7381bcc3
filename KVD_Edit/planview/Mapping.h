#pragma once

#include "KVD_Edit/planview/PlanGeometry.h"

// Mapping between the logical units the plan view computes in and the device pixels it draws
// in: a window (logical origin and extent) mapped onto a viewport (device origin and extent).
// Two modes are used: the identity (text mode) and the isotropic mode, where the viewport extent
// is shrunk on one axis so that both axes share one scale; a window extent of opposite sign to
// the viewport extent flips that axis (the plan view runs y upwards this way).
// Conversions of points round to the nearest integer; the double variants serve drawing.
class CMapping {
public:
    enum EMode { MM_TEXT = 1, MM_HIMETRIC = 3, MM_ISOTROPIC = 7 };

    explicit CMapping(int pixelsPerInchX = 96, int pixelsPerInchY = 96);

    int GetMapMode() const { return m_mode; }
    // Text mode resets the extents to 1; isotropic keeps them until they are set.
    int SetMapMode(int mode);
    CSize SetWindowExt(int cx, int cy);
    CSize SetViewportExt(int cx, int cy);
    POINT SetWindowOrg(int x, int y);
    POINT SetViewportOrg(int x, int y);
    CSize GetWindowExt() const { return m_winExt; }
    CSize GetViewportExt() const { return m_vpExt; }
    POINT GetWindowOrg() const { return m_winOrg; }
    POINT GetViewportOrg() const { return m_vpOrg; }

    int PixelsPerInchX() const { return m_ppiX; }
    int PixelsPerInchY() const { return m_ppiY; }
    void SetPixelsPerInch(int x, int y);

    // Points and rectangles (rectangles are converted corner by corner, not normalised).
    POINT LPtoDP(POINT p) const;
    POINT DPtoLP(POINT p) const;
    RECT LPtoDP(const RECT &r) const;
    RECT DPtoLP(const RECT &r) const;
    void LPtoDP(POINT *points, int count) const;
    // Sizes keep their sign and scale by the absolute ratio of the extents.
    CSize LPtoDP(CSize s) const;
    CSize DPtoLP(CSize s) const;
    // 0.01 mm units to logical units through the device's pixels per inch.
    CSize HIMETRICtoLP(CSize s) const;
    // 0.01 mm units to device pixels.
    CSize HIMETRICtoDP(CSize s) const;

    // Unrounded device position of a logical point, for drawing.
    SDPoint LPtoDPd(double x, double y) const;
    // Device pixels per logical unit on each axis, signed.
    double ScaleX() const;
    double ScaleY() const;

private:
    void FixIsotropic();

    int m_mode = MM_TEXT;
    CSize m_winExt{1, 1};
    CSize m_vpExt{1, 1};
    POINT m_winOrg{};
    POINT m_vpOrg{};
    int m_ppiX;
    int m_ppiY;
};

// a * b / c rounded half away from zero, as the platform's MulDiv; -1 when c is 0.
int PlanMulDiv(int a, int b, int c);
