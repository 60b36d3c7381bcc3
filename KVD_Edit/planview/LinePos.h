#pragma once

// Positions along the project's lines, offered by the plan view's line geometry to the GPS
// data. The GPS data names this interface CGPSInfo::ILinePos.
class ILinePos {
public:
    virtual ~ILinePos() = default;
    // Position (in the stored positions' unit) at a distance along the line, given as the
    // fraction of the file (0 to 1); false for an unknown line or one with fewer than two
    // points.
    virtual bool GetPosAtDistance(double *x, double *y, double *z, unsigned line,
                                  const double *distance) = 0;
    // The number of lines held.
    virtual int GetLineCount() = 0;
};
