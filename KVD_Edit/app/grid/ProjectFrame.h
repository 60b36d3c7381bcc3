#pragma once

#include <string>

// What the project document asks of its child frame and of the plan view in it. The frame that
// hosts the grid of line rows and the plan view implements these; the document finds them on
// its frame and does nothing where a frame has none.

// The plan view's commands as the document routes them.
class IPlanViewCommands {
public:
    virtual ~IPlanViewCommands() = default;
    virtual void ZoomToFit() = 0;
    virtual void ToggleZoomArea() = 0;
    virtual void ZoomIn() = 0;
    virtual void ZoomOut() = 0;
    virtual void TogglePan() = 0;
    // The zoom-and-pan state the menu ticks show.
    virtual bool IsZoomAreaMode() const = 0;
    virtual bool IsPanMode() const = 0;
};

// The child frame of a project.
class IProjectFrame {
public:
    virtual ~IProjectFrame() = default;
    // Rebuilds every grid row from the document's project file.
    virtual void LoadKVD(const std::string &path, bool alreadyOpen, bool reportErrors) = 0;
    // Reloads the rows without error report, keeping the row selection.
    virtual void ReloadDOMReportNoErrors() = 0;
    // Bit 0: lines were imported, bit 1: lines were deleted, over the frame's whole life.
    virtual int GetChangeFlags() const = 0;
    // Rows of the grid.
    virtual int GetNumRows() const = 0;
    // The plan view, null while there is none.
    virtual IPlanViewCommands *GetPlanView() = 0;
};
