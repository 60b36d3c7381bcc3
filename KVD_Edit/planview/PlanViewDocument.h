#pragma once

// What the plan view reads of its document beyond what the grid reads (IGridDocument): the two
// fiducial display switches of the View menu. A document without it shows no fiducials.
class IPlanViewDocument {
public:
    virtual ~IPlanViewDocument() = default;
    virtual bool GetShowFiducials() const = 0;
    virtual bool GetShowFiducialText() const = 0;
};
