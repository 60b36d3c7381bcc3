#include "KVD_Edit/GPSINFO/DlgGPSConfig.h"

#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/platform/WxText.h"
#include "orq_utils/MessageSink.h"

#include "Quillon/Quillon.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

const char *const kHemisphereStyles[] = {"Do not show", "Positive/Negative", "A Letter", "A Word"};

} // namespace

DlgGPSConfig::DlgGPSConfig(wxWindow *parent, const std::string *configuration)
    : wxDialog(parent, wxID_ANY, "Configure GPS Format...", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_configuration(configuration ? *configuration : std::string()) {
    KVD_LOG_CALL();
    CreateControls();
    CentreOnParent();
}

DlgGPSConfig::~DlgGPSConfig() {
    KVD_LOG_CALL();
}

void DlgGPSConfig::CreateControls() {
    KVD_LOG_CALL();
    auto *top = new wxBoxSizer(wxVERTICAL);

    auto *latLong = new wxBoxSizer(wxVERTICAL);
    // The two group check boxes stand out in bold. The font is given before the controls are
    // made, so that their sizes are measured with it.
    m_boldFont = GetFont();
    m_boldFont.SetWeight(wxFONTWEIGHT_BOLD);
    m_showLatLong = new wxCheckBox();
    m_showLatLong->SetFont(m_boldFont);
    m_showLatLong->Create(this, IDC_GPS_SHOW_LATLONG, "&Latitude/Longitude");
    latLong->Add(m_showLatLong, 0, wxBOTTOM, 4);
    auto *modes = new wxBoxSizer(wxHORIZONTAL);
    m_dms = new wxRadioButton(this, IDC_GPS_DMS, ToWx("D\xB0 M' S\""), wxDefaultPosition,
                              wxDefaultSize, wxRB_GROUP);
    m_decimal = new wxRadioButton(this, IDC_GPS_DECIMAL, "Decimal Degree");
    modes->Add(m_dms, 0, wxRIGHT, 12);
    modes->Add(m_decimal);
    latLong->Add(modes, 0, wxLEFT | wxBOTTOM, 4);
    auto *hemisphere = new wxBoxSizer(wxHORIZONTAL);
    m_hemisphereLabel =
        new wxStaticText(this, IDC_GPS_HEMISPHERE_LABEL, "Show Hemisphere Location as:");
    m_hemisphere = new wxChoice(this, IDC_GPS_HEMISPHERE);
    hemisphere->Add(m_hemisphereLabel, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    hemisphere->Add(m_hemisphere, 1);
    latLong->Add(hemisphere, 0, wxLEFT | wxEXPAND, 4);
    top->Add(latLong, 0, wxALL | wxEXPAND, 8);

    auto *utm = new wxBoxSizer(wxVERTICAL);
    m_showUTM = new wxCheckBox();
    m_showUTM->SetFont(m_boldFont);
    m_showUTM->Create(this, IDC_GPS_SHOW_UTM, "UTM");
    utm->Add(m_showUTM, 0, wxBOTTOM, 4);
    auto *ellipsoid = new wxBoxSizer(wxHORIZONTAL);
    m_ellipsoidLabel =
        new wxStaticText(this, IDC_GPS_ELLIPSOID_LABEL, "Using Reference Ellipsoid:");
    m_ellipsoid = new wxChoice(this, IDC_GPS_ELLIPSOID);
    ellipsoid->Add(m_ellipsoidLabel, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    ellipsoid->Add(m_ellipsoid, 1);
    utm->Add(ellipsoid, 0, wxLEFT | wxBOTTOM | wxEXPAND, 4);
    m_utmLetter = new wxCheckBox(this, IDC_GPS_UTM_LETTER, "Show UTM Letter Designator");
    m_utmZone = new wxCheckBox(this, IDC_GPS_UTM_ZONE, "Show UTM Zone Number");
    utm->Add(m_utmLetter, 0, wxLEFT | wxBOTTOM, 4);
    utm->Add(m_utmZone, 0, wxLEFT, 4);
    top->Add(utm, 0, wxLEFT | wxRIGHT | wxBOTTOM | wxEXPAND, 8);

    top->Add(new wxStaticText(this, wxID_ANY, "Sample GPS Output:"), 0, wxLEFT | wxRIGHT, 8);
    m_sample = new wxTextCtrl(this, IDC_GPS_SAMPLE, wxEmptyString, wxDefaultPosition,
                              wxSize(460, 60), wxTE_READONLY | wxTE_MULTILINE | wxTE_WORDWRAP);
    top->Add(m_sample, 0, wxALL | wxEXPAND, 8);

    auto *buttons = new wxStdDialogButtonSizer();
    buttons->AddButton(new wxButton(this, wxID_OK, "OK"));
    buttons->AddButton(new wxButton(this, wxID_CANCEL, "Cancel"));
    buttons->Realize();
    top->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 8);

    SetSizerAndFit(top);
}

int DlgGPSConfig::DoModal() {
    KVD_LOG_CALL();
    return ShowModal() == wxID_OK ? ORQ::IDOK : ORQ::IDCANCEL;
}

void DlgGPSConfig::OnInitDialog(wxInitDialogEvent &) {
    KVD_LOG_CALL();
    // The ellipsoid list holds entries 1 to 23 of the coordinate library's table, in order.
    m_ellipsoid->Clear();
    for (int i = QUILLON_FIRST_ELLIPSOID; i <= QUILLON_LAST_ELLIPSOID; ++i)
        m_ellipsoid->Append(ToWx(Ellipsoids[i].name),
                            reinterpret_cast<void *>(static_cast<intptr_t>(Ellipsoids[i].id)));
    m_hemisphere->Clear();
    for (const char *style : kHemisphereStyles)
        m_hemisphere->Append(style);

    m_form.Load(m_configuration.empty() ? std::string(DEFAULT_GPS_CONFIGURATION) : m_configuration);
    TransferToControls();
    ApplyEnableRules();
    RefreshSample();
    Fit();
}

void DlgGPSConfig::TransferToControls() {
    KVD_LOG_CALL();
    m_showLatLong->SetValue(m_form.m_showLatLong);
    if (m_form.m_latLongMode == 0)
        m_dms->SetValue(true);
    else
        m_decimal->SetValue(true);
    const int styles = static_cast<int>(m_hemisphere->GetCount());
    m_hemisphere->SetSelection(m_form.m_hemisphereIndex >= 0 && m_form.m_hemisphereIndex < styles
                                   ? m_form.m_hemisphereIndex
                                   : wxNOT_FOUND);
    m_showUTM->SetValue(m_form.m_showUTM);
    m_ellipsoid->SetSelection(m_form.m_ellipsoidIndex);
    m_utmLetter->SetValue(m_form.m_showUTMLetter);
    m_utmZone->SetValue(m_form.m_showUTMZone);
}

void DlgGPSConfig::ReadControls() {
    KVD_LOG_CALL();
    m_form.m_showLatLong = m_showLatLong->GetValue();
    // A stored mode other than the two buttons stays until the user picks the other button.
    const int shown = m_form.m_latLongMode == 0 ? 0 : 1;
    const int chosen = m_dms->GetValue() ? 0 : 1;
    if (chosen != shown)
        m_form.m_latLongMode = chosen;
    if (m_hemisphere->GetSelection() != wxNOT_FOUND)
        m_form.m_hemisphereIndex = m_hemisphere->GetSelection();
    m_form.m_showUTM = m_showUTM->GetValue();
    if (m_ellipsoid->GetSelection() != wxNOT_FOUND)
        m_form.m_ellipsoidIndex = m_ellipsoid->GetSelection();
    m_form.m_showUTMLetter = m_utmLetter->GetValue();
    m_form.m_showUTMZone = m_utmZone->GetValue();
}

void DlgGPSConfig::ApplyEnableRules() {
    KVD_LOG_CALL();
    const bool latLong = m_showLatLong->GetValue();
    m_dms->Enable(latLong);
    m_decimal->Enable(latLong);
    m_hemisphereLabel->Enable(latLong);
    m_hemisphere->Enable(latLong);
    const bool utm = m_showUTM->GetValue();
    m_ellipsoid->Enable(utm);
    m_utmLetter->Enable(utm);
    m_utmZone->Enable(utm);
    m_ellipsoidLabel->Enable(utm);
}

void DlgGPSConfig::RefreshSample() {
    KVD_LOG_CALL();
    ReadControls();
    m_sample->ChangeValue(ToWx(m_form.SampleText()));
}

wxString DlgGPSConfig::GetSampleText() const {
    return m_sample->GetValue();
}

void DlgGPSConfig::OnLatLongCheck(wxCommandEvent &) {
    KVD_LOG_CALL();
    ApplyEnableRules();
    RefreshSample();
}

void DlgGPSConfig::OnUTMCheck(wxCommandEvent &) {
    KVD_LOG_CALL();
    ApplyEnableRules();
    RefreshSample();
}

void DlgGPSConfig::OnSampleChange(wxCommandEvent &) {
    KVD_LOG_CALL();
    RefreshSample();
}

void DlgGPSConfig::OnBnClickedOk(wxCommandEvent &) {
    KVD_LOG_CALL();
    // The controls are read here as well: a change of ellipsoid alone refreshes nothing and
    // would otherwise be lost.
    ReadControls();
    m_configuration = m_form.BuildConfiguration();
    EndModal(wxID_OK);
}

void DlgGPSConfig::OnBnClickedCancel(wxCommandEvent &) {
    KVD_LOG_CALL();
    EndModal(wxID_CANCEL);
}

// clang-format off
wxBEGIN_EVENT_TABLE(DlgGPSConfig, wxDialog)
    EVT_INIT_DIALOG(DlgGPSConfig::OnInitDialog)
    EVT_CHECKBOX(IDC_GPS_SHOW_LATLONG, DlgGPSConfig::OnLatLongCheck)
    EVT_CHECKBOX(IDC_GPS_SHOW_UTM, DlgGPSConfig::OnUTMCheck)
    EVT_RADIOBUTTON(IDC_GPS_DMS, DlgGPSConfig::OnSampleChange)
    EVT_RADIOBUTTON(IDC_GPS_DECIMAL, DlgGPSConfig::OnSampleChange)
    EVT_CHECKBOX(IDC_GPS_UTM_LETTER, DlgGPSConfig::OnSampleChange)
    EVT_CHECKBOX(IDC_GPS_UTM_ZONE, DlgGPSConfig::OnSampleChange)
    EVT_CHOICE(IDC_GPS_HEMISPHERE, DlgGPSConfig::OnSampleChange)
    EVT_BUTTON(wxID_OK, DlgGPSConfig::OnBnClickedOk)
    EVT_BUTTON(wxID_CANCEL, DlgGPSConfig::OnBnClickedCancel)
wxEND_EVENT_TABLE()
