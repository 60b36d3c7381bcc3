#include "KVD_Edit/app/lines/ImportDlg.h"

#include "KVD_Edit/app/lines/ImportDlgLogic.h"
#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/platform/WxText.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

ImportDlg::ImportDlg(int setsSupported, ImportLineType *params,
                     const std::vector<std::string> &gridNames, char preselect, wxWindow *parent)
    : wxDialog(parent, wxID_ANY, ImportDlgLogic::kCaption), m_params(params),
      m_gridNames(gridNames), m_setsSupported(setsSupported), m_preselect(preselect) {
    auto *top = new wxBoxSizer(wxVERTICAL);

    auto *typeBox = new wxStaticBoxSizer(wxVERTICAL, this, "Import Lines as");
    wxWindow *typeParent = typeBox->GetStaticBox();
    m_none =
        new wxRadioButton(typeParent, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_none->Hide();
    m_xy = new wxRadioButton(typeParent, IDC_XYLINE, "X && Y &Lines");
    m_x = new wxRadioButton(typeParent, IDC_XTYPE, "&X Lines");
    m_y = new wxRadioButton(typeParent, IDC_YTYPE, "&Y Lines");
    for (wxRadioButton *b : {m_xy, m_x, m_y})
        typeBox->Add(b, 0, wxALL, 3);
    top->Add(typeBox, 0, wxEXPAND | wxALL, 8);

    m_reverse = new wxCheckBox(this, IDC_REVERSE, "&Reverse Line Direction (RLD)");
    top->Add(m_reverse, 0, wxLEFT | wxRIGHT, 8);

    auto *gridRow = new wxBoxSizer(wxHORIZONTAL);
    gridRow->Add(new wxStaticText(this, wxID_ANY, "Grid name:"), 0,
                 wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    m_gridName = new wxComboBox(this, IDC_GRIDNAME, "", wxDefaultPosition, wxSize(160, -1));
    gridRow->Add(m_gridName, 1);
    top->Add(gridRow, 0, wxEXPAND | wxALL, 8);

    auto *spacingBox = new wxStaticBoxSizer(wxVERTICAL, this, "Line Spacing (m)");
    m_spacingGroup = spacingBox->GetStaticBox();
    m_spacingGroup->SetId(IDC_SPACING_GROUP);
    spacingBox->Add(new wxStaticText(m_spacingGroup, wxID_ANY,
                                     "Conversion Factor:\n(If line name has number N, location "
                                     "is N * Factor, else spacing is Factor)"),
                    0, wxALL, 3);
    m_spacing = new wxTextCtrl(m_spacingGroup, IDC_SPACING, "");
    spacingBox->Add(m_spacing, 0, wxEXPAND | wxALL, 3);
    top->Add(spacingBox, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);

    auto *offsetBox = new wxStaticBoxSizer(wxHORIZONTAL, this, "Offset from current origin (m)");
    m_offsetGroup = offsetBox->GetStaticBox();
    m_offsetGroup->SetId(IDC_OFFSET_GROUP);
    offsetBox->Add(new wxStaticText(m_offsetGroup, wxID_ANY, "X:"), 0,
                   wxALIGN_CENTER_VERTICAL | wxALL, 3);
    m_offsetX = new wxTextCtrl(m_offsetGroup, IDC_OFFSETX, "");
    offsetBox->Add(m_offsetX, 1, wxALL, 3);
    offsetBox->Add(new wxStaticText(m_offsetGroup, wxID_ANY, "Y:"), 0,
                   wxALIGN_CENTER_VERTICAL | wxALL, 3);
    m_offsetY = new wxTextCtrl(m_offsetGroup, IDC_OFFSETY, "");
    offsetBox->Add(m_offsetY, 1, wxALL, 3);
    top->Add(offsetBox, 0, wxEXPAND | wxALL, 8);

    m_addGpsBox = new wxCheckBox(this, IDC_ADDGPS, "Add GPS if found (name must match)");
    top->Add(m_addGpsBox, 0, wxLEFT | wxRIGHT, 8);

    auto *buttons = new wxStdDialogButtonSizer();
    buttons->AddButton(new wxButton(this, wxID_OK, "OK"));
    buttons->AddButton(new wxButton(this, wxID_CANCEL, "Cancel"));
    buttons->Realize();
    top->Add(buttons, 0, wxEXPAND | wxALL, 8);

    Bind(wxEVT_BUTTON, &ImportDlg::OnBnClickedOk, this, wxID_OK);
    Bind(wxEVT_RADIOBUTTON, &ImportDlg::OnBnClickedXtype, this, IDC_XTYPE);
    Bind(wxEVT_RADIOBUTTON, &ImportDlg::OnBnClickedYtype, this, IDC_YTYPE);
    Bind(wxEVT_RADIOBUTTON, &ImportDlg::OnBnClickedXyline, this, IDC_XYLINE);
    Bind(wxEVT_CHECKBOX, &ImportDlg::OnBnClickedAddGps, this, IDC_ADDGPS);

    OnInitDialog();
    SetSizerAndFit(top);
    CentreOnParent();
}

void ImportDlg::OnInitDialog() {
    KVD_LOG_CALL();
    for (const std::string &name : ImportDlgLogic::GridNameChoices(m_gridNames))
        m_gridName->Append(ToWx(name));

    if (m_params->lineType == ImportLineType::kNone)
        m_xy->Disable();

    m_selectedType = ImportDlgLogic::PreselectedType(m_preselect);
    switch (m_selectedType) {
    case ImportLineType::kXAndYLines:
        m_xy->SetValue(true);
        break;
    case ImportLineType::kXLines:
        m_x->SetValue(true);
        break;
    case ImportLineType::kYLines:
        m_y->SetValue(true);
        break;
    default:
        m_none->SetValue(true);
        break;
    }

    if (m_params->spacing != -1)
        m_spacing->ChangeValue(ToWx(ImportDlgLogic::SpacingText(m_params->spacing)));
    else
        m_spacing->Disable();
    m_offsetX->ChangeValue(ToWx(ImportDlgLogic::OffsetText(m_params->offsetX)));
    m_offsetY->ChangeValue(ToWx(ImportDlgLogic::OffsetText(m_params->offsetY)));
    m_spacingGroup->SetLabel(ToWx(ImportDlgLogic::SpacingGroupLabel(m_params->unit)));
    m_offsetGroup->SetLabel(ToWx(ImportDlgLogic::OffsetGroupLabel(m_params->unit)));
    m_addGpsBox->SetValue(m_addGps);
}

int ImportDlg::DoModal() {
    KVD_LOG_CALL();
    return ShowModal() == wxID_OK ? 1 : 0;
}

void ImportDlg::OnBnClickedOk(wxCommandEvent &) {
    KVD_LOG_CALL();
    ImportDlgLogic::SDialogInput input;
    input.selectedType = m_selectedType;
    input.reverse = m_reverse->GetValue();
    input.gridText = FromWx(m_gridName->GetValue());
    input.spacingText = FromWx(m_spacing->GetValue());
    input.offsetXText = FromWx(m_offsetX->GetValue());
    input.offsetYText = FromWx(m_offsetY->GetValue());
    input.addGps = m_addGps;
    if (ImportDlgLogic::Accept(m_setsSupported, input, *m_params))
        EndModal(wxID_OK);
}

void ImportDlg::OnBnClickedXtype(wxCommandEvent &) {
    KVD_LOG_CALL();
    m_selectedType = ImportLineType::kXLines;
}

void ImportDlg::OnBnClickedYtype(wxCommandEvent &) {
    KVD_LOG_CALL();
    m_selectedType = ImportLineType::kYLines;
}

void ImportDlg::OnBnClickedXyline(wxCommandEvent &) {
    KVD_LOG_CALL();
    m_selectedType = ImportLineType::kXAndYLines;
}

void ImportDlg::OnBnClickedAddGps(wxCommandEvent &) {
    KVD_LOG_CALL();
    m_addGps = !m_addGps;
}
