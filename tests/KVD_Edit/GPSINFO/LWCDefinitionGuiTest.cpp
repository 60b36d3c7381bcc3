#include "KVD_Edit/GPSINFO/DlgGPSConfig.h"
#include "KVD_Edit/GPSINFO/LWCDefinitionLogic.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "KVD_Edit/planview/LineDisplayTable.h"
#include "KVD_Edit/planview/PlanViewWindow.h"
#include "orq_utils/MessageSink.h"
#include "tests/support/gui/GpsProject.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/InputEvents.h"
#include "tests/support/gui/OpenProject.h"

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>
#include <wx/toolbar.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

// Control ids of the dialog.
enum : int {
    ID_ENABLE = 1140,
    ID_FROM_GPS = 1065,
    ID_UTM = 1082,
    ID_ZONE = 1139,
    ID_HEMISPHERE = 1007,
    ID_TWO_POINT = 1144,
    ID_P1_X = 1085,
    ID_P1_Y = 1086,
    ID_P2_X = 1087,
    ID_P2_Y = 1088,
    ID_P1_E = 1089,
    ID_P1_N = 1090,
    ID_P2_E = 1091,
    ID_P2_N = 1092,
    ID_PICK_1 = 1148,
    ID_HEADING = 1077,
    ID_FORMAT = 1146,
    ID_SAMPLE = 1147,
    ID_PREVIEW = 1078,
    ID_HELP = 1062,
};

const char *const kTitle = "Local-Global Coordinates Relationship";

wxDialog *FindLocalWorldDialog() {
    for (wxWindow *w : wxTopLevelWindows)
        if (auto *d = dynamic_cast<wxDialog *>(w))
            if (d->GetTitle() == kTitle && !d->IsBeingDeleted())
                return d;
    return nullptr;
}

wxFrame *MainFrame() {
    return dynamic_cast<wxFrame *>(wxTheApp->GetTopWindow());
}

// A click on a tool of the main frame's toolbar, as the toolbar sends it.
void ClickTool(int command) {
    wxFrame *frame = MainFrame();
    ASSERT_NE(nullptr, frame);
    wxToolBar *tools = frame->GetToolBar();
    ASSERT_NE(nullptr, tools);
    const int id = KVDCmd::ToWxId(command);
    ASSERT_NE(nullptr, tools->FindById(id));
    tools->OnLeftClick(id, false);
    PumpEvents(50);
}

// A menu item chosen: the document's menus are those of its child frame.
void ChooseMenu(wxFrame *frame, int command) {
    ASSERT_NE(nullptr, frame);
    ASSERT_NE(nullptr, frame->GetMenuBar());
    ASSERT_NE(nullptr, frame->GetMenuBar()->FindItem(KVDCmd::ToWxId(command)));
    wxCommandEvent event(wxEVT_MENU, KVDCmd::ToWxId(command));
    event.SetEventObject(frame);
    frame->ProcessWindowEvent(event);
    PumpEvents(50);
}

std::string Pane(int pane) {
    wxFrame *frame = MainFrame();
    return frame && frame->GetStatusBar() ? frame->GetStatusBar()->GetStatusText(pane).utf8_string()
                                          : std::string();
}

// The command a click, a check or a choice of a control sends.
void Send(wxWindow *control, wxEventType type, int value = 0) {
    ASSERT_NE(nullptr, control);
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    event.SetInt(value);
    control->GetEventHandler()->ProcessEvent(event);
    PumpEvents(30);
}

void PressButton(wxDialog *dialog, int id) {
    Send(dialog->FindWindow(id), wxEVT_BUTTON);
}

void SelectRadio(wxDialog *dialog, int id) {
    auto *radio = dynamic_cast<wxRadioButton *>(dialog->FindWindow(id));
    ASSERT_NE(nullptr, radio);
    radio->SetValue(true);
    Send(radio, wxEVT_RADIOBUTTON, 1);
}

void Choose(wxDialog *dialog, int id, int index) {
    auto *choice = dynamic_cast<wxChoice *>(dialog->FindWindow(id));
    ASSERT_NE(nullptr, choice);
    choice->SetSelection(index);
    Send(choice, wxEVT_CHOICE, index);
}

wxTextCtrl *Edit(wxDialog *dialog, int id) {
    return dynamic_cast<wxTextCtrl *>(dialog->FindWindow(id));
}

std::string Text(wxDialog *dialog, int id) {
    wxTextCtrl *edit = Edit(dialog, id);
    return edit ? edit->GetValue().utf8_string() : std::string();
}

double Number(wxDialog *dialog, int id) {
    return std::atof(Text(dialog, id).c_str());
}

// Typing a text into a field and leaving it, as a user tabbing on does.
void Type(wxDialog *dialog, int id, const std::string &text) {
    wxTextCtrl *edit = Edit(dialog, id);
    ASSERT_NE(nullptr, edit) << id;
    edit->SetValue(text); // the text-changed event, as each typed key sends it
    wxFocusEvent leave(wxEVT_KILL_FOCUS, id);
    leave.SetEventObject(edit);
    edit->GetEventHandler()->ProcessEvent(leave);
    PumpEvents(30);
}

void Type(wxDialog *dialog, int id, double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    Type(dialog, id, text);
}

// The value after prefix in a status text ("E: 630000.00"), NaN when missing.
double StatusValue(const std::string &text, const std::string &prefix) {
    const size_t at = text.find(prefix);
    return at == std::string::npos ? std::nan("") : std::atof(text.c_str() + at + prefix.size());
}

// The local point shown in pane 1 ("X=1.000 Y=2.000 m").
void LocalOfPane1(double &x, double &y) {
    const std::string text = Pane(1);
    x = StatusValue(text, "X=");
    y = StatusValue(text, "Y=");
}

// The text of a settings element of the saved project's local-to-world group.
std::string SavedValue(const std::string &xml, const std::string &name) {
    const size_t group = xml.find("<LocalWorld_Settings>");
    if (group == std::string::npos)
        return std::string();
    const std::regex element("<" + name + ">([^<]*)</" + name + ">");
    std::smatch match;
    const std::string rest = xml.substr(group);
    return std::regex_search(rest, match, element) ? match[1].str() : std::string();
}

std::string ReadProjectFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Pixels in which two pictures of the same size differ.
int Differing(const wxImage &a, const wxImage &b) {
    if (a.GetSize() != b.GetSize())
        return a.GetWidth() * a.GetHeight();
    int count = 0;
    const unsigned char *p = a.GetData(), *q = b.GetData();
    for (int i = 0; i < a.GetWidth() * a.GetHeight(); ++i)
        count +=
            p[3 * i] != q[3 * i] || p[3 * i + 1] != q[3 * i + 1] || p[3 * i + 2] != q[3 * i + 2];
    return count;
}

// Degrees a and b apart on the circle.
double AngleApart(double a, double b) {
    return std::fabs(std::remainder(a - b, 360.0));
}

// The editor with a GPS project open: its lines' GPS files imported on the open, the compass
// loaded, and only the radar lines drawn, so that what changes in the plan with the definition
// is the compass.
struct GpsEditor {
    TempDir dir;
    SGpsProject gps;
    SOpenProject project;
    CKVDVDoc *doc = nullptr;
    CPlanViewWindow *window = nullptr;

    void Open() {
        App();
        Sink().Clear();
        gps = WriteGpsProject(dir.Path(), 30);
        ASSERT_FALSE(gps.path.empty());
        ASSERT_TRUE(AddCreatedBy(gps.path));
        Sink().Answer(ORQ::IDYES); // import the GPS files beside the lines
        project = OpenProject(gps.path);
        doc = project.doc;
        window = project.window;
        ASSERT_NE(nullptr, doc);
        ASSERT_NE(nullptr, window);
        ASSERT_TRUE(doc->GetGPSInfo()->HasGPSData()) << Sink().AllTexts();
        window->LoadCompass(KVD_SOURCE_DIR "/resources/Compass.bmp");
        SLineDisplayTable &table = doc->GetMapperSettings()->LineDisplay;
        for (int k = 0; k < LINE_KIND_COUNT; ++k)
            table.LayerShown[k] = k == LINE_KIND_LOCAL_XY;
        Redraw();
        Sink().Clear();
    }
    void Redraw() {
        window->InvalidateMap();
        window->Snapshot();
        window->Update();
        PumpEvents(50);
    }
    wxImage Map() { return window->Snapshot().ConvertToImage(); }
    SLocalWorldDef &Definition() { return doc->GetMapperSettings()->LocalWorld; }
    // The mouse moved over the plan to a client point.
    void MoveMouse(const wxPoint &point) {
        Mouse(window, wxEVT_MOTION, point);
        PumpEvents(20);
    }
    wxPoint Centre() const {
        const wxSize size = window->GetClientSize();
        return wxPoint(size.x / 2, size.y / 2);
    }
    wxDialog *OpenDialogFromToolbar() {
        ClickTool(KVDCmd::ID_LOCAL_WORLD_DEFINITION);
        return FindLocalWorldDialog();
    }
    wxDialog *OpenDialogFromMenu() {
        ChooseMenu(dynamic_cast<wxFrame *>(doc->GetFrame()), KVDCmd::ID_LOCAL_WORLD_DEFINITION);
        return FindLocalWorldDialog();
    }
    ~GpsEditor() {
        if (wxDialog *dialog = FindLocalWorldDialog())
            PressButton(dialog, wxID_CANCEL);
        CloseProject(project);
    }
};

} // namespace

// A surveyor's road: the dialog opens from the toolbar, point 1 is picked with a click in the
// plan, point 2 typed in; Preview redraws the plan with the compass turned to the new heading;
// OK writes pane 2 for the cursor's point anew without a mouse move and turns the compass again;
// the saved project holds the definition; a mouse move shows the new world coordinates.
TEST(LWCDefinitionGui, SurveyorDefinesTwoPointsFromToolbarToSavedProject) {
    GpsEditor editor;
    ASSERT_NO_FATAL_FAILURE(editor.Open());
    CKVDVDoc *doc = editor.doc;
    const wxImage opening = editor.Map();

    wxDialog *dialog = editor.OpenDialogFromToolbar();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_TRUE(dynamic_cast<wxCheckBox *>(dialog->FindWindow(ID_ENABLE))->GetValue())
        << "the imported GPS data switched the global positions on";
    EXPECT_TRUE(dialog->FindWindow(ID_FROM_GPS)->IsEnabled());
    EXPECT_FALSE(dialog->FindWindow(ID_PREVIEW)->IsEnabled()) << "nothing changed yet";
    SaveScreenPicture(dialog, "lwc_dialog_open");

    SelectRadio(dialog, ID_TWO_POINT);
    SelectRadio(dialog, ID_UTM);
    EXPECT_TRUE(Edit(dialog, ID_P2_X)->IsEnabled());
    EXPECT_TRUE(dialog->FindWindow(ID_ZONE)->IsEnabled());

    // Without a pick under way a click in the plan is the view's own: it starts a rubber band.
    Mouse(editor.window, wxEVT_LEFT_DOWN, editor.Centre());
    EXPECT_TRUE(editor.window->Controller().IsRubberBandActive());
    Mouse(editor.window, wxEVT_LEFT_UP, editor.Centre());
    PumpEvents(30);

    // Point 1 from a click in the plan: the dialog steps aside while it waits.
    auto *pick = dynamic_cast<wxToggleButton *>(dialog->FindWindow(ID_PICK_1));
    ASSERT_NE(nullptr, pick);
    pick->SetValue(true);
    Send(pick, wxEVT_TOGGLEBUTTON, 1);
    EXPECT_TRUE(doc->IsSelectingInView());
    EXPECT_FALSE(dialog->IsShown()) << "hidden while it waits for the pick";
    const wxPoint click(editor.Centre().x - 40, editor.Centre().y + 30);
    const SPlanPointInfo clicked = editor.window->Renderer().ViewPointToStatusText(
        editor.window->Controller().ClampToPlot(POINT{click.x, click.y}), nullptr, nullptr);
    const int drawsBeforeClick = editor.window->MapDrawCount();
    Mouse(editor.window, wxEVT_LEFT_DOWN, click);
    EXPECT_FALSE(editor.window->Controller().IsRubberBandActive()) << "the click is the dialog's";
    Mouse(editor.window, wxEVT_LEFT_UP, click);
    PumpEvents(50);
    EXPECT_FALSE(doc->IsSelectingInView());
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_FALSE(pick->GetValue());
    EXPECT_EQ(drawsBeforeClick, editor.window->MapDrawCount()) << "the click neither zoomed nor "
                                                                  "selected";
    const double p1x = Number(dialog, ID_P1_X), p1y = Number(dialog, ID_P1_Y);
    EXPECT_NEAR(clicked.local.x, p1x, 1e-3);
    EXPECT_NEAR(clicked.local.y, p1y, 1e-3);
    SaveScreenPicture(dialog, "lwc_dialog_picked");

    // Point 1's world position and point 2 typed in: local +X runs east, so the heading of
    // local Y is grid north.
    const double e1 = 630000, n1 = 4833000;
    Type(dialog, ID_P1_E, e1);
    Type(dialog, ID_P1_N, n1);
    Type(dialog, ID_P2_X, p1x + 10);
    Type(dialog, ID_P2_Y, p1y);
    Type(dialog, ID_P2_E, e1 + 10);
    Type(dialog, ID_P2_N, n1);
    const double headingA = Number(dialog, ID_HEADING);
    EXPECT_LT(AngleApart(0.0, headingA), 2.0) << headingA;
    ASSERT_TRUE(dialog->FindWindow(ID_PREVIEW)->IsEnabled());
    ASSERT_TRUE(Sink().Messages().empty()) << Sink().AllTexts();

    // Preview: the project takes the definition and the plan is drawn again with it.
    const int drawsBeforePreview = editor.window->MapDrawCount();
    PressButton(dialog, ID_PREVIEW);
    editor.window->Update();
    PumpEvents(50);
    EXPECT_GT(editor.window->MapDrawCount(), drawsBeforePreview);
    const wxImage previewed = editor.Map();
    EXPECT_GT(Differing(opening, previewed), 20) << "the compass turned from 330 to 0 degrees";
    EXPECT_FALSE(dialog->FindWindow(ID_PREVIEW)->IsEnabled());
    EXPECT_TRUE(editor.Definition().TwoPointDefinition);
    EXPECT_NEAR(e1 + 10, editor.Definition().RefPoint[1].EastingOrLongitude, 1e-3);
    EXPECT_LT(AngleApart(headingA, editor.window->Renderer().GetNorthHeading()), 0.5);

    // The cursor over the plan shows the previewed world position of its point.
    editor.MoveMouse(editor.Centre());
    double lx, ly;
    LocalOfPane1(lx, ly);
    const std::string paneA = Pane(2);
    EXPECT_NEAR(e1 + (lx - p1x), StatusValue(paneA, "E: "), 0.05) << paneA;
    EXPECT_NEAR(n1 + (ly - p1y), StatusValue(paneA, "N: "), 0.05) << paneA;

    // Point 2 moved: local +X now runs north, the heading of local Y is west. OK stores it.
    Type(dialog, ID_P2_E, e1);
    Type(dialog, ID_P2_N, n1 + 10);
    const double headingB = Number(dialog, ID_HEADING);
    EXPECT_LT(AngleApart(270.0, headingB), 2.0) << headingB;
    PressButton(dialog, wxID_OK);
    PumpEvents(50);
    EXPECT_EQ(nullptr, FindLocalWorldDialog());
    EXPECT_TRUE(doc->IsModified());

    // Pane 2 holds the new world position of the cursor's point without a mouse move, and the
    // compass follows the new heading.
    const std::string paneB = Pane(2);
    EXPECT_NE(paneA, paneB);
    EXPECT_NEAR(e1 - (ly - p1y), StatusValue(paneB, "E: "), 0.05) << paneB;
    EXPECT_NEAR(n1 + (lx - p1x), StatusValue(paneB, "N: "), 0.05) << paneB;
    EXPECT_LT(AngleApart(headingB, editor.window->Renderer().GetNorthHeading()), 0.5);
    editor.window->Update();
    PumpEvents(50);
    EXPECT_GT(Differing(previewed, editor.Map()), 20) << "the compass turned by 90 degrees";
    SaveScreenPicture(MainFrame(), "lwc_after_ok");

    // Saved through the document, the project file holds the definition.
    ASSERT_TRUE(doc->Save()) << Sink().AllTexts();
    const std::string xml = ReadProjectFile(editor.gps.path);
    EXPECT_EQ("Y", SavedValue(xml, "TwoPointDefinition"));
    EXPECT_NEAR(p1x, std::atof(SavedValue(xml, "Local_X_P1").c_str()), 1e-3);
    EXPECT_NEAR(p1y, std::atof(SavedValue(xml, "Local_Y_P1").c_str()), 1e-3);
    EXPECT_NEAR(p1x + 10, std::atof(SavedValue(xml, "Local_X_P2").c_str()), 1e-3);
    EXPECT_NEAR(e1, std::atof(SavedValue(xml, "EASTING_LATITUDE_P2").c_str()), 1e-3);
    EXPECT_NEAR(n1 + 10, std::atof(SavedValue(xml, "NORTHING_LONGITUDE_P2").c_str()), 1e-3);
    // The shift is the world position of the local origin; the rotation turns world into local.
    EXPECT_NEAR(e1 + p1y, std::atof(SavedValue(xml, "Shift_X").c_str()), 0.01);
    EXPECT_NEAR(n1 - p1x, std::atof(SavedValue(xml, "Shift_Y").c_str()), 0.01);
    EXPECT_LT(AngleApart(-90.0, std::atof(SavedValue(xml, "Rotation").c_str())), 2.0);

    // A mouse move over the plan shows the world position of the new point.
    editor.MoveMouse(wxPoint(editor.Centre().x + 25, editor.Centre().y - 15));
    LocalOfPane1(lx, ly);
    const std::string paneC = Pane(2);
    EXPECT_NEAR(e1 - (ly - p1y), StatusValue(paneC, "E: "), 0.05) << paneC;
    EXPECT_NEAR(n1 + (lx - p1x), StatusValue(paneC, "N: "), 0.05) << paneC;
    EXPECT_TRUE(Sink().Messages().empty()) << Sink().AllTexts();
}

// Cancel, the close box and Escape after a Preview give back the definition the project had when
// the dialog opened, and leave the project unmodified.
TEST(LWCDefinitionGui, CancelAfterPreviewRestoresTheOpeningDefinition) {
    GpsEditor editor;
    ASSERT_NO_FATAL_FAILURE(editor.Open());
    editor.doc->Modify(false);
    const SLocalWorldDef opening = editor.Definition();

    enum { CANCEL_BUTTON, CLOSE_BOX, ESCAPE_KEY };
    for (int way : {CANCEL_BUTTON, CLOSE_BOX, ESCAPE_KEY}) {
        SCOPED_TRACE(way);
        wxDialog *dialog = editor.OpenDialogFromMenu();
        ASSERT_NE(nullptr, dialog);
        ASSERT_TRUE(Edit(dialog, ID_HEADING)->IsEnabled()) << "one point and a heading";
        const double heading = Number(dialog, ID_HEADING);
        Type(dialog, ID_HEADING, std::fmod(heading + 45, 360));
        PressButton(dialog, ID_PREVIEW);
        EXPECT_LT(AngleApart(heading + 45, editor.window->Renderer().GetNorthHeading()), 0.5);
        EXPECT_NE(opening, editor.Definition());
        Type(dialog, ID_HEADING, std::fmod(heading + 90, 360));
        switch (way) {
        case CANCEL_BUTTON:
            PressButton(dialog, wxID_CANCEL);
            break;
        case CLOSE_BOX:
            dialog->Close();
            break;
        case ESCAPE_KEY: {
            wxKeyEvent escape(wxEVT_CHAR_HOOK);
            escape.m_keyCode = WXK_ESCAPE;
            escape.SetEventObject(dialog);
            dialog->GetEventHandler()->ProcessEvent(escape);
            break;
        }
        }
        PumpEvents(50);
        EXPECT_EQ(nullptr, FindLocalWorldDialog());
        EXPECT_EQ(opening, editor.Definition());
        EXPECT_FALSE(editor.doc->IsModified());
        EXPECT_LT(AngleApart(heading, editor.window->Renderer().GetNorthHeading()), 0.5)
            << "the plan is drawn with the opening definition again";
    }
}

// Compute from GPS fits the grid to the project's fixes: point 1 at the local origin, point 2
// at the far corner of the lines, the heading of the project's grid.
TEST(LWCDefinitionGui, ComputeFromGpsFitsTheGridToTheFixes) {
    GpsEditor editor;
    ASSERT_NO_FATAL_FAILURE(editor.Open());
    wxDialog *dialog = editor.OpenDialogFromToolbar();
    ASSERT_NE(nullptr, dialog);
    // Spoil the relationship first: one point far off, heading east.
    Type(dialog, ID_P1_E, 600000);
    Type(dialog, ID_HEADING, 90);
    ASSERT_TRUE(dialog->FindWindow(ID_FROM_GPS)->IsEnabled());
    PressButton(dialog, ID_FROM_GPS);
    ASSERT_EQ(dialog, FindLocalWorldDialog()) << "the dialog stays open";
    EXPECT_TRUE(dynamic_cast<wxRadioButton *>(dialog->FindWindow(ID_UTM))->GetValue());
    EXPECT_EQ("17", Text(dialog, ID_ZONE));
    EXPECT_NEAR(0.0, Number(dialog, ID_P1_X), 1e-3);
    EXPECT_NEAR(0.0, Number(dialog, ID_P1_Y), 1e-3);
    // The project's grid: local (x, y) at (630000, 4833000) + R(30 degrees) (x, y).
    EXPECT_NEAR(editor.gps.easting, Number(dialog, ID_P1_E), 1.0);
    EXPECT_NEAR(editor.gps.northing, Number(dialog, ID_P1_N), 1.0);
    const double x2 = Number(dialog, ID_P2_X), y2 = Number(dialog, ID_P2_Y);
    EXPECT_GT(x2, 1.0);
    EXPECT_GT(y2, 1.0);
    const double c = std::cos(30 * M_PI / 180), s = std::sin(30 * M_PI / 180);
    EXPECT_NEAR(editor.gps.easting + c * x2 - s * y2, Number(dialog, ID_P2_E), 1.0);
    EXPECT_NEAR(editor.gps.northing + s * x2 + c * y2, Number(dialog, ID_P2_N), 1.0);
    // Local Y points 30 degrees west of grid north; true north differs by the convergence.
    EXPECT_LT(AngleApart(330.0, Number(dialog, ID_HEADING)), 3.0) << Text(dialog, ID_HEADING);
    EXPECT_TRUE(dialog->FindWindow(ID_PREVIEW)->IsEnabled());
    EXPECT_TRUE(Sink().Messages().empty()) << Sink().AllTexts();
    SaveScreenPicture(dialog, "lwc_dialog_from_gps");
    PressButton(dialog, wxID_OK);
    EXPECT_EQ(nullptr, FindLocalWorldDialog());
    EXPECT_FALSE(editor.Definition().FitGrid);
    EXPECT_NEAR(editor.gps.easting, editor.Definition().RefPoint[0].EastingOrLongitude, 1.0);
}

// "GPS Format..." changes the sample line and, on OK, the project's display format; "Help..."
// shows the help text.
TEST(LWCDefinitionGui, GpsFormatAndHelp) {
    GpsEditor editor;
    ASSERT_NO_FATAL_FAILURE(editor.Open());
    const std::string configuration = editor.doc->GetMapperSettings()->GPSConfiguration;
    wxDialog *dialog = editor.OpenDialogFromToolbar();
    ASSERT_NE(nullptr, dialog);
    const std::string decimal = Text(dialog, ID_SAMPLE);
    EXPECT_NE(std::string::npos, decimal.find("Lat: ")) << decimal;

    // Degrees, minutes and seconds: the sample shows the degree sign.
    AnswerNextModal(
        [](wxDialog *format) {
            auto *dms = dynamic_cast<wxRadioButton *>(format->FindWindow(IDC_GPS_DMS));
            ASSERT_NE(nullptr, dms);
            dms->SetValue(true);
            wxCommandEvent event(wxEVT_RADIOBUTTON, IDC_GPS_DMS);
            event.SetEventObject(dms);
            event.SetInt(1);
            dms->GetEventHandler()->ProcessEvent(event);
            kvdtest::gui::PressButton(*format, wxID_OK);
        },
        wxID_OK);
    PressButton(dialog, ID_FORMAT);
    EXPECT_TRUE(ModalAnswered());
    const std::string dms = Text(dialog, ID_SAMPLE);
    EXPECT_NE(decimal, dms);
    EXPECT_NE(std::string::npos, dms.find("\xC2\xB0")) << dms;
    EXPECT_EQ(configuration, editor.doc->GetMapperSettings()->GPSConfiguration)
        << "the project takes the format on Preview or OK";

    // Help.
    PressButton(dialog, ID_HELP);
    ASSERT_EQ(1u, Sink().Messages().size());
    const std::string help = Sink().Messages()[0].text;
    EXPECT_EQ(0u, help.find("This dialog is used to define the relationship between the Local"));
    EXPECT_NE(std::string::npos, help.find("\x93Use for Heading Only\x94")) << help;
    Sink().Clear();

    editor.doc->Modify(false);
    PressButton(dialog, wxID_OK);
    EXPECT_EQ(nullptr, FindLocalWorldDialog());
    EXPECT_NE(configuration, editor.doc->GetMapperSettings()->GPSConfiguration);
    EXPECT_TRUE(editor.doc->IsModified());
    // The cursor's world text takes the new format (the program's 8-bit degree sign).
    editor.MoveMouse(editor.Centre());
    const std::string world = editor.window->Cursor().GetWorldText();
    EXPECT_NE(std::string::npos, world.find('\xB0')) << world;
}

// The zone edit refuses zones outside 1 to 60; a zone the points cannot be carried into asks,
// and Cancel keeps the old zone while OK relabels the points. The same question on a hemisphere
// change puts the hemisphere back on Cancel.
TEST(LWCDefinitionGui, ZoneAndHemisphereQuestions) {
    GpsEditor editor;
    ASSERT_NO_FATAL_FAILURE(editor.Open());
    wxDialog *dialog = editor.OpenDialogFromMenu();
    ASSERT_NE(nullptr, dialog);
    SelectRadio(dialog, ID_UTM);
    SelectRadio(dialog, ID_TWO_POINT);
    ASSERT_EQ("17", Text(dialog, ID_ZONE));

    for (const char *bad : {"0", "61"}) {
        SCOPED_TRACE(bad);
        Sink().Clear();
        Type(dialog, ID_ZONE, bad);
        ASSERT_EQ(1u, Sink().Messages().size()) << Sink().AllTexts();
        EXPECT_EQ(CLWCDefinitionLogic::kZoneMessage, Sink().Messages()[0].text);
    }

    // Zone 60 lies too far away for the points: Cancel keeps zone 17.
    Sink().Clear();
    Sink().Answer(ORQ::IDCANCEL);
    Type(dialog, ID_ZONE, "60");
    ASSERT_EQ(1u, Sink().Messages().size()) << Sink().AllTexts();
    EXPECT_EQ(CLWCDefinitionLogic::kAdjustMessage, Sink().Messages()[0].text);
    EXPECT_EQ("17", Text(dialog, ID_ZONE));
    const double e2 = Number(dialog, ID_P2_E);

    // A far point 2 cannot be carried into the southern hemisphere: Cancel puts back "Northern".
    Type(dialog, ID_P2_E, 2000000);
    Type(dialog, ID_P2_N, 9000000);
    Sink().Clear();
    Sink().Answer(ORQ::IDCANCEL);
    Choose(dialog, ID_HEMISPHERE, 1);
    ASSERT_EQ(1u, Sink().Messages().size()) << Sink().AllTexts();
    EXPECT_EQ(CLWCDefinitionLogic::kAdjustMessage, Sink().Messages()[0].text);
    EXPECT_EQ(0, dynamic_cast<wxChoice *>(dialog->FindWindow(ID_HEMISPHERE))->GetSelection());
    SaveScreenPicture(dialog, "lwc_dialog_hemisphere_kept");
    // OK takes the southern hemisphere and keeps the points' values.
    Sink().Clear();
    Sink().Answer(ORQ::IDOK);
    Choose(dialog, ID_HEMISPHERE, 1);
    EXPECT_EQ(1, dynamic_cast<wxChoice *>(dialog->FindWindow(ID_HEMISPHERE))->GetSelection());
    EXPECT_NEAR(2000000, Number(dialog, ID_P2_E), 1e-3);

    // Back north, point 2 near again; OK on the zone question relabels the points in zone 60.
    Sink().Clear();
    Sink().Answer(ORQ::IDOK);
    Choose(dialog, ID_HEMISPHERE, 0);
    Type(dialog, ID_P2_E, e2);
    Type(dialog, ID_P2_N, Number(dialog, ID_P1_N) + 10);
    Sink().Clear();
    Sink().Answer(ORQ::IDOK);
    Type(dialog, ID_ZONE, "60");
    EXPECT_EQ("60", Text(dialog, ID_ZONE));
    EXPECT_NEAR(e2, Number(dialog, ID_P2_E), 1e-3) << "relabelled, not converted";
}
