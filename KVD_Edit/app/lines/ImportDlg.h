#pragma once

#include "KVD_Edit/app/lines/ImportLineType.h"

#include <wx/dialog.h>

#include <string>
#include <vector>

class wxCheckBox;
class wxComboBox;
class wxRadioButton;
class wxStaticBox;
class wxTextCtrl;

// "Import Line Parameters": line type, reverse direction, grid name, line spacing factor,
// offset from the current origin and whether GPS files beside the lines are attached. The
// decisions live in ImportDlgLogic; this window shows them.
class ImportDlg : public wxDialog {
public:
    // Control ids of the dialog.
    enum : int {
        IDC_XTYPE = 1000,
        IDC_YTYPE = 1001,
        IDC_XYLINE = 1002,
        IDC_REVERSE = 1003,
        IDC_OFFSETX = 1004,
        IDC_OFFSETY = 1005,
        IDC_SPACING = 1006,
        IDC_GRIDNAME = 1007,
        IDC_SPACING_GROUP = 1008,
        IDC_OFFSET_GROUP = 1009,
        IDC_ADDGPS = 1034,
    };

    // setsSupported: the project's "Data" was at version "1.2.0" when the import began.
    // gridNames: the grid (set) names of the grid's rows, in row order. preselect: the file
    // dialog's filter index minus 1.
    ImportDlg(int setsSupported, ImportLineType *params, const std::vector<std::string> &gridNames,
              char preselect, wxWindow *parent);

    // 1 after OK (the record filled), else 0.
    int DoModal();

    void OnInitDialog();
    void OnBnClickedOk(wxCommandEvent &event);
    void OnBnClickedXtype(wxCommandEvent &event);
    void OnBnClickedYtype(wxCommandEvent &event);
    void OnBnClickedXyline(wxCommandEvent &event);
    void OnBnClickedAddGps(wxCommandEvent &event);

    int GetSelectedType() const { return m_selectedType; }

private:
    ImportLineType *m_params;
    std::vector<std::string> m_gridNames;
    int m_setsSupported;
    int m_selectedType = ImportLineType::kNone;
    char m_preselect;
    bool m_addGps = true;

    wxRadioButton *m_none = nullptr; // hidden: keeps the group without a choice
    wxRadioButton *m_xy = nullptr;
    wxRadioButton *m_x = nullptr;
    wxRadioButton *m_y = nullptr;
    wxCheckBox *m_reverse = nullptr;
    wxComboBox *m_gridName = nullptr;
    wxTextCtrl *m_spacing = nullptr;
    wxTextCtrl *m_offsetX = nullptr;
    wxTextCtrl *m_offsetY = nullptr;
    wxCheckBox *m_addGpsBox = nullptr;
    wxStaticBox *m_spacingGroup = nullptr;
    wxStaticBox *m_offsetGroup = nullptr;
};
