#pragma once

// "Configure GPS Format...": the modal dialog in which the user chooses how world coordinates
// are shown. It edits a copy of a GPS display configuration; after OK the caller reads the new
// one with GetConfiguration.

#include "KVD_Edit/GPSINFO/GPSConfigForm.h"

#include <wx/dialog.h>
#include <wx/font.h>

#include <string>

class wxCheckBox;
class wxChoice;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

// Dialog and control ids of the GPS format dialog.
enum : int {
    IDD_GPS_CONFIG = 204,
    IDC_GPS_HEMISPHERE = 1007,
    IDC_GPS_SHOW_UTM = 1034,
    IDC_GPS_UTM_LETTER = 1035,
    IDC_GPS_UTM_ZONE = 1066,
    IDC_GPS_SHOW_LATLONG = 1067,
    IDC_GPS_DMS = 1068,
    IDC_GPS_DECIMAL = 1069,
    IDC_GPS_HEMISPHERE_LABEL = 1070,
    IDC_GPS_ELLIPSOID_LABEL = 1071,
    IDC_GPS_ELLIPSOID = 1072,
    IDC_GPS_SAMPLE = 1073,
};

class DlgGPSConfig : public wxDialog {
public:
    // Edits a copy of *configuration (the default configuration's controls when null).
    DlgGPSConfig(wxWindow *parent, const std::string *configuration);
    ~DlgGPSConfig() override;

    // Replaces the configuration to edit; call before DoModal.
    void SetConfiguration(const std::string &configuration) { m_configuration = configuration; }
    // After OK: the configuration the controls stand for; after Cancel: the one given.
    const std::string &GetConfiguration() const { return m_configuration; }

    // Runs the dialog; ORQ::IDOK or ORQ::IDCANCEL.
    int DoModal();

    // The sample text shown (UTF-8 for the window), for tests.
    wxString GetSampleText() const;

private:
    void OnInitDialog(wxInitDialogEvent &event);
    void OnLatLongCheck(wxCommandEvent &event);
    void OnUTMCheck(wxCommandEvent &event);
    void OnSampleChange(wxCommandEvent &event);
    void OnBnClickedOk(wxCommandEvent &event);
    void OnBnClickedCancel(wxCommandEvent &event);

    void CreateControls();
    void TransferToControls();
    void ReadControls();
    void ApplyEnableRules();
    void RefreshSample();

    std::string m_configuration;
    CGPSConfigForm m_form;
    wxFont m_boldFont;

    wxCheckBox *m_showLatLong = nullptr;
    wxRadioButton *m_dms = nullptr;
    wxRadioButton *m_decimal = nullptr;
    wxStaticText *m_hemisphereLabel = nullptr;
    wxChoice *m_hemisphere = nullptr;
    wxCheckBox *m_showUTM = nullptr;
    wxStaticText *m_ellipsoidLabel = nullptr;
    wxChoice *m_ellipsoid = nullptr;
    wxCheckBox *m_utmLetter = nullptr;
    wxCheckBox *m_utmZone = nullptr;
    wxTextCtrl *m_sample = nullptr;

    wxDECLARE_EVENT_TABLE();
};
