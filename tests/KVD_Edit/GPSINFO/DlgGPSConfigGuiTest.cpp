#include "KVD_Edit/GPSINFO/DlgGPSConfig.h"
#include "KVD_Edit/GPSINFO/GPSConfig.h"
#include "tests/support/gui/DialogTest.h"

#include "orq_utils/MessageSink.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <gtest/gtest.h>

#include <functional>

using namespace kvdtest::gui;

namespace {

std::string Sample(DlgGPSConfig &dialog) {
    return dialog.GetSampleText().utf8_string();
}

class DlgGPSConfigGui : public CDialogTest {};

} // namespace

TEST_F(DlgGPSConfigGui, ChosenEllipsoidReachesTheConfigurationOnOk) {
    const std::string given = DEFAULT_GPS_CONFIGURATION;
    DlgGPSConfig dialog(nullptr, &given);
    const int result = RunDoModal(dialog, [&] {
        EXPECT_EQ(dialog.GetTitle(), "Configure GPS Format...");
        wxChoice *ellipsoids = Control<wxChoice>(dialog, IDC_GPS_ELLIPSOID);
        ASSERT_EQ(ellipsoids->GetCount(), 23u);
        EXPECT_EQ(ellipsoids->GetString(0), "Airy");
        EXPECT_EQ(reinterpret_cast<intptr_t>(ellipsoids->GetClientData(0)), 1);
        EXPECT_EQ(ellipsoids->GetSelection(), 22);
        EXPECT_EQ(ellipsoids->GetString(22), "WGS-84");
        EXPECT_EQ(Control<wxCheckBox>(dialog, IDC_GPS_SHOW_UTM)->GetFont().GetWeight(),
                  wxFONTWEIGHT_BOLD);
        EXPECT_EQ(Control<wxChoice>(dialog, IDC_GPS_HEMISPHERE)->GetStringSelection(), "A Letter");
        EXPECT_EQ(Sample(dialog).rfind("Lat: 43.5000000 N, Long: 80.2500000 W, E: ", 0), 0u)
            << Sample(dialog);

        // Only the ellipsoid changes: no other control is touched before OK.
        Choose(ellipsoids, 4);
        EXPECT_EQ(ellipsoids->GetStringSelection(), "Clarke 1866");
        kvdtest::gui::PumpEvents();
        EXPECT_FALSE(kvdtest::gui::SaveScreenshot(&dialog, "DlgGPSConfig_clarke1866").empty());
        PressButton(dialog, wxID_OK);
    });
    EXPECT_EQ(result, ORQ::IDOK);
    EXPECT_EQ(dialog.GetConfiguration(),
              R"(1,1,2,5,1,5,1,1,2,", ","Lat: ","Long: ","E: ","N: ","Z: ")");
    int ellipsoid = 0;
    BuildGPSFormatString(dialog.GetConfiguration(), &ellipsoid);
    EXPECT_EQ(ellipsoid, 5);
}

TEST_F(DlgGPSConfigGui, ChecksEnableTheirGroupsAndCancelKeepsTheConfiguration) {
    const std::string given = DEFAULT_GPS_CONFIGURATION;
    DlgGPSConfig dialog(nullptr, &given);
    const int result = RunDoModal(dialog, [&] {
        Toggle(Control<wxCheckBox>(dialog, IDC_GPS_SHOW_LATLONG));
        for (int id : {IDC_GPS_DMS, IDC_GPS_DECIMAL, IDC_GPS_HEMISPHERE_LABEL, IDC_GPS_HEMISPHERE})
            EXPECT_FALSE(dialog.FindWindow(id)->IsEnabled()) << id;
        EXPECT_TRUE(dialog.FindWindow(IDC_GPS_ELLIPSOID)->IsEnabled());
        EXPECT_EQ(Sample(dialog).rfind("E: ", 0), 0u) << Sample(dialog);

        Toggle(Control<wxCheckBox>(dialog, IDC_GPS_SHOW_UTM));
        for (int id :
             {IDC_GPS_ELLIPSOID, IDC_GPS_UTM_LETTER, IDC_GPS_UTM_ZONE, IDC_GPS_ELLIPSOID_LABEL})
            EXPECT_FALSE(dialog.FindWindow(id)->IsEnabled()) << id;
        EXPECT_EQ(Sample(dialog), "");
        PressButton(dialog, wxID_CANCEL);
    });
    EXPECT_EQ(result, ORQ::IDCANCEL);
    EXPECT_EQ(dialog.GetConfiguration(), given);
}

TEST_F(DlgGPSConfigGui, SetConfigurationShowsDegreesMinutesSeconds) {
    DlgGPSConfig dialog(nullptr, nullptr);
    dialog.SetConfiguration(R"(1,0,1,2,0,23,1,1,2,", ","Lat: ","Long: ","E: ","N: ","Z: ")");
    const int result = RunDoModal(dialog, [&] {
        EXPECT_TRUE(Control<wxRadioButton>(dialog, IDC_GPS_DMS)->GetValue());
        EXPECT_EQ(Control<wxChoice>(dialog, IDC_GPS_HEMISPHERE)->GetStringSelection(),
                  "Positive/Negative");
        EXPECT_FALSE(dialog.FindWindow(IDC_GPS_UTM_ZONE)->IsEnabled());
        // The degree sign comes through as a character, not a stray byte.
        EXPECT_EQ(Sample(dialog), "Lat: 43\xC2\xB0 30' 0.00\", Long: -80\xC2\xB0 15' 0.00\"");
        Select(Control<wxRadioButton>(dialog, IDC_GPS_DECIMAL));
        EXPECT_EQ(Sample(dialog), "Lat: 43.5000, Long: -80.2500");
        PressButton(dialog, wxID_OK);
    });
    EXPECT_EQ(result, ORQ::IDOK);
    EXPECT_EQ(dialog.GetConfiguration(),
              R"(1,1,1,2,0,23,1,1,2,", ","Lat: ","Long: ","E: ","N: ","Z: ")");
}
