#pragma once

#include "orq_utils/Measure.h"

struct SGridInfo;
class CFocusEntryList;
class CGPSInfo;
class CKvdGprDataFiles;
class CMapperSettings;
class wxView;

// What the child frame and the line grid need of their project document. The document class of
// the template implements it next to wxDocument; the frame finds it on its document and does
// nothing while the document offers none.
class IGridDocument {
public:
    virtual ~IGridDocument() = default;

    // The display unit of every length: metres or feet.
    virtual ORQ::EUnitType GetUnits() const = 0;
    // Makes unit the display unit and renews the frames' captions.
    virtual void SetUnits(ORQ::EUnitType unit) = 0;

    // The open project (null members while none is open), the selected lines, the GPS data of
    // the lines and the project's editor settings.
    virtual CKvdGprDataFiles *GetDataFiles() = 0;
    virtual CFocusEntryList *GetFocusList() = 0;
    virtual CGPSInfo *GetGPSInfo() = 0;
    virtual CMapperSettings *GetMapperSettings() = 0;

    // True while the local-to-world dialog waits for a point to be picked in the plan view.
    virtual bool IsSelectingInView() const = 0;
    virtual void SetModifiedFlag() = 0;
    // Whether the project holds changes not saved, and clearing that: a cancelled edit that
    // put the project back as it was leaves it as unmodified as it found it.
    virtual bool GetModifiedFlag() const = 0;
    virtual void ClearModifiedFlag() = 0;
    // UpdateAllViews with one of the hints of CommandIds.h (sender null: every view).
    virtual void UpdateAllViewsWithHint(wxView *sender, int hint) = 0;
    // Whether the last full reload found a fiducial comment.
    virtual void SetFiducialsPresent(bool present) = 0;

    // GPS and topography commands of the document on the selected rows (or on one row).
    // kind 11 is GPS. AttachDataFile enters the file of the row into the project and loads it
    // (true when attached); RecoverDataFile writes the row's GPS file from its trace headers.
    virtual bool AttachDataFile(int kind, const char *path, SGridInfo &row) = 0;
    virtual void RecoverDataFile(int kind, SGridInfo &row) = 0;
    virtual void OnEditGpsAttach() = 0;
    virtual void OnEditGpsDetach() = 0;
    virtual void OnEditTopoAttach() = 0;
    virtual void OnEditTopoDetach() = 0;

    // The kind of a GPS file in AttachDataFile and RecoverDataFile.
    static constexpr int kGpsKind = 11;
};
