#pragma once

#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/app/document/FocusEntryList.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/grid/GridDocument.h"
#include "KVD_Edit/planview/PlanViewDocument.h"

#include <wx/docview.h>

#include <vector>

namespace kvdtest::gui {

// A project document with what the grid, the frame's line commands and the plan view read of
// it: the project holder, the selection, the GPS data and the settings. It records the hints it
// sent; the GPS and topography commands of the real document do nothing here.
class CStandInDocument : public wxDocument,
                         public IGridDocument,
                         public IPlanViewDocument,
                         public IFocusListOwner {
public:
    CStandInDocument() { m_focus.SetOwner(this, &m_files); }

    ORQ::EUnitType GetUnits() const override { return unit; }
    void SetUnits(ORQ::EUnitType u) override { unit = u; }
    CKvdGprDataFiles *GetDataFiles() override { return &m_files; }
    CFocusEntryList *GetFocusList() override { return &m_focus; }
    CGPSInfo *GetGPSInfo() override { return &m_gps; }
    CMapperSettings *GetMapperSettings() override { return &m_settings; }
    bool IsSelectingInView() const override { return selectingInView; }
    void SetModifiedFlag() override { Modify(true); }
    bool GetModifiedFlag() const override { return IsModified(); }
    void ClearModifiedFlag() override { Modify(false); }
    void UpdateAllViewsWithHint(wxView *sender, int hint) override {
        hints.push_back(hint);
        CViewHint h(hint);
        UpdateAllViews(sender, &h);
    }
    void SetFiducialsPresent(bool) override {}
    bool AttachDataFile(int, const char *, SGridInfo &) override { return false; }
    void RecoverDataFile(int, SGridInfo &) override {}
    void OnEditGpsAttach() override {}
    void OnEditGpsDetach() override {}
    void OnEditTopoAttach() override {}
    void OnEditTopoDetach() override {}
    bool GetShowFiducials() const override { return true; }
    bool GetShowFiducialText() const override { return true; }

    ORQ::EUnitType unit = ORQ::UNIT_M;
    bool selectingInView = false;
    std::vector<int> hints;

private:
    CKvdGprDataFiles m_files;
    CFocusEntryList m_focus;
    CGPSInfo m_gps;
    CMapperSettings m_settings;
};

// The right-hand view of a frame made by a test (the plan view's place).
class CPaneView : public wxView {
public:
    void OnDraw(wxDC *) override {}
};

} // namespace kvdtest::gui
