#include "KVD3/KVDXmlFile.h"
#include "KVD3/XmlDom.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/ProgramIdentity.h"
#include "KVD_Edit/controls/NumSpinCtrl.h"
#include "KVD_Edit/controls/PickerLineStyle.h"
#include "KVD_Edit/controls/PickerLineWidth.h"
#include "KVD_Edit/controls/PickerMarkerStyle.h"
#include "KVD_Edit/planview/DlgLineSettings.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "orq_utils/MessageSink.h"
#include "tests/support/PlanProject.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/InputEvents.h"
#include "tests/support/gui/OpenProject.h"
#include "tests/support/gui/RealInput.h"

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include <map>

using namespace kvdtest;
using namespace kvdtest::gui;

namespace {

constexpr uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) |
           (static_cast<uint32_t>(b) << 16);
}

// The toolkit's colour chooser is native and cannot be driven: while this lives, every colour
// the dialog asks for is answered with the colour given here, as if the user had picked it.
class CColourAnswer {
public:
    explicit CColourAnswer(uint32_t colour) {
        DlgLineSettings::SetColourChooser([this, colour](wxWindow *, uint32_t &value) {
            ++m_asked;
            m_started = value;
            value = colour;
            return true;
        });
    }
    ~CColourAnswer() { DlgLineSettings::SetColourChooser(nullptr); }
    int Asked() const { return m_asked; }
    uint32_t Started() const { return m_started; }

private:
    uint32_t m_started = 0;
    int m_asked = 0;
};

// A click on a check box or radio button of the dialog: the control changes, then tells.
void Click(wxDialog &dialog, int id) {
    wxWindow *control = dialog.FindWindow(id);
    ASSERT_NE(nullptr, control) << id;
    wxEventType type = wxEVT_NULL;
    int value = 1;
    if (auto *check = dynamic_cast<wxCheckBox *>(control)) {
        check->SetValue(!check->GetValue());
        type = wxEVT_CHECKBOX;
        value = check->GetValue();
    } else if (auto *radio = dynamic_cast<wxRadioButton *>(control)) {
        ASSERT_TRUE(radio->IsEnabled()) << id;
        radio->SetValue(true);
        type = wxEVT_RADIOBUTTON;
    }
    ASSERT_NE(wxEVT_NULL, type) << id;
    wxCommandEvent event(type, id);
    event.SetInt(value);
    event.SetEventObject(control);
    control->GetEventHandler()->ProcessEvent(event);
}

// A choice in a picker as the user makes it: open the popup, move over the cell, click it.
void Pick(CGenericPicker *picker, uint32_t value) {
    ASSERT_NE(nullptr, picker);
    ASSERT_TRUE(picker->OpenPopup());
    CGenericPickerPopup *popup = picker->GetPopup();
    ASSERT_NE(nullptr, popup);
    const wxPoint at = popup->GetLogic()
                           .GetCellRect(PickerValue::Column(value), PickerValue::Row(value))
                           .GetPosition() +
                       wxPoint(3, 3);
    for (wxEventType type : {wxEVT_MOTION, wxEVT_LEFT_UP}) {
        wxMouseEvent event(type);
        event.SetPosition(at);
        event.SetEventObject(popup);
        popup->GetEventHandler()->ProcessEvent(event);
    }
    PumpEvents(20);
    ASSERT_FALSE(picker->IsPopupOpen());
}

std::string XmlText(CKVDVDoc *doc) {
    std::string text;
    ORQ::CKVDXmlFile *file = doc->GetDataFiles()->GetKvdXmlFile();
    if (file && file->GetFileHnd())
        file->GetFileHnd()->Serialize(text);
    return text;
}

// Pixels of the plan window's picture within its plot that have the colour (give or take the
// smoothing of anti-aliased edges).
int PixelsOf(CPlanViewWindow *window, uint32_t colour) {
    const wxImage image = window->Snapshot().ConvertToImage();
    const RECT &plot = window->Controller().GetDevicePlot();
    const int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    int count = 0;
    for (int y = std::max(0, int(plot.top)); y < std::min(image.GetHeight(), int(plot.bottom)); ++y)
        for (int x = std::max(0, int(plot.left)); x < std::min(image.GetWidth(), int(plot.right));
             ++x)
            count += std::abs(image.GetRed(x, y) - r) < 40 &&
                     std::abs(image.GetGreen(x, y) - g) < 40 &&
                     std::abs(image.GetBlue(x, y) - b) < 40;
    return count;
}

// A project opened by the application, with its plan view drawn once.
struct OpenedProject {
    TempDir dir;
    std::string path;
    SOpenProject project;
    CKVDVDoc *doc = nullptr;
    CPlanViewWindow *window = nullptr;

    // authored: the project carries a created-by record of this program, as one the editor
    // made does, so that it can be saved in place.
    explicit OpenedProject(bool authored = false) {
        App();
        Sink().Clear();
        path = WritePlanProject(dir.Path(), PlanGridLines());
        if (authored && !path.empty()) {
            std::string text = ReadFile(path);
            const size_t data = text.find("<Data");
            const size_t end = data == std::string::npos ? data : text.find('>', data);
            if (end == std::string::npos) {
                path.clear();
                return;
            }
            text.insert(end + 1, "<CreatedBy name=\"" + GetProgramIdentity().name +
                                     "\" version=\"1.0\" DIP=\"X\" date=\"2026-01-02\" "
                                     "time=\"10:11:12\"/>");
            WriteFile(path, text);
        }
        Open();
    }
    ~OpenedProject() { CloseProject(project); }

    void Open() {
        if (path.empty())
            return;
        project = OpenProject(path);
        doc = project.doc;
        window = project.window;
        if (!doc)
            return;
        // The open's fiducial import counts as a change; the dialog's own are what is tested.
        doc->Modify(false);
    }
    void Close() {
        CloseProject(project);
        doc = nullptr;
        window = nullptr;
    }
    // Every line selected: the plan draws them all in the radar lines' Active style.
    void SelectAllLines() {
        auto *frame = dynamic_cast<CChildFrame *>(doc ? doc->GetFrame() : nullptr);
        ASSERT_NE(nullptr, frame);
        frame->SelectAllLines();
        PumpEvents(50);
        window->Update();
    }
};

// The centre of a control of the dialog, in the control's client coordinates.
wxPoint Middle(wxWindow *control) {
    const wxSize size = control->GetClientSize();
    return wxPoint(size.x / 2, size.y / 2);
}

// Records the picker notices a window receives, while it lives, and passes each on.
class CNoticeRecorder : public wxEvtHandler {
public:
    explicit CNoticeRecorder(wxWindow *window) : m_window(window) {
        Bind(EVT_PICKER_NOTIFY, [this](wxCommandEvent &event) {
            ++m_counts[{event.GetId(), event.GetInt()}];
            event.Skip();
        });
        m_window->PushEventHandler(this);
    }
    ~CNoticeRecorder() override { m_window->RemoveEventHandler(this); }
    int Count(int id, int code) const {
        const auto it = m_counts.find({id, code});
        return it == m_counts.end() ? 0 : it->second;
    }

private:
    wxWindow *m_window;
    std::map<std::pair<int, int>, int> m_counts;
};

// "Line Settings" on the main frame's toolbar, as a click on it sends it.
void PressLineSettingsTool() {
    auto *frame = dynamic_cast<wxFrame *>(wxTheApp->GetTopWindow());
    ASSERT_NE(nullptr, frame);
    wxToolBar *tools = frame->GetToolBar();
    ASSERT_NE(nullptr, tools);
    const int id = KVDCmd::ToWxId(KVDCmd::ID_LINE_SETTINGS);
    ASSERT_NE(nullptr, tools->FindById(id));
    tools->OnLeftClick(id, false);
}

} // namespace

// The dialog opens on the document's table: three layer check boxes (the trace GPS group is cut
// off), every shown row enabled, and the radar lines' Active row current with its styles in the
// pickers. The marker size and the half line width are taken as the table can hold them.
TEST(LineSettingsGui, ShowsTheTableAndTakesWhatTheTableHolds) {
    App();
    Sink().Clear();
    DlgLineSettings dialog(wxTheApp->GetTopWindow(), SLineDisplayTable());
    RunModal(
        dialog, [&] { return dialog.DoModal(); },
        [&] {
            for (int id : {IDC_LS_SHOW_LOCAL_XY, IDC_LS_SHOW_RAW_GPS, IDC_LS_SHOW_WHISKERS}) {
                auto *check = dynamic_cast<wxCheckBox *>(dialog.FindWindow(id));
                ASSERT_NE(nullptr, check) << id;
                EXPECT_TRUE(check->GetValue()) << id;
                EXPECT_TRUE(check->IsEnabled()) << id;
            }
            EXPECT_EQ(nullptr, dialog.FindWindow(IDC_LS_SHOW_TRACE_GPS));
            for (int entry : {0, 1, 4, 5, 6, 7}) {
                auto *radio =
                    dynamic_cast<wxRadioButton *>(dialog.FindWindow(IDC_LS_RADIO_FIRST + entry));
                ASSERT_NE(nullptr, radio) << entry;
                EXPECT_TRUE(radio->IsEnabled()) << entry;
                EXPECT_EQ(entry == 0, radio->GetValue()) << entry;
            }
            for (int entry : {2, 3})
                EXPECT_EQ(nullptr, dialog.FindWindow(IDC_LS_RADIO_FIRST + entry)) << entry;
            EXPECT_EQ(0, dialog.GetLogic().GetCurrentEntry());
            for (int mark = 0; mark < 6; ++mark)
                EXPECT_EQ(mark == 0, dialog.FindWindow(IDC_LS_EDIT_MARK_FIRST + mark)->IsShown())
                    << mark;
            EXPECT_FALSE(dialog.FindWindow(IDC_LS_PREVIEW_BUTTON)->IsEnabled())
                << "no document behind the parent: nothing to preview on";

            auto *style = dynamic_cast<CPickerLineStyle *>(dialog.FindWindow(IDC_LS_LINE_STYLE));
            auto *width = dynamic_cast<CPickerLineWidth *>(dialog.FindWindow(IDC_LS_LINE_WIDTH));
            auto *marker =
                dynamic_cast<CPickerMarkerStyle *>(dialog.FindWindow(IDC_LS_MARKER_STYLE));
            auto *size = dynamic_cast<wxTextCtrl *>(dialog.FindWindow(IDC_LS_MARKER_SIZE));
            ASSERT_TRUE(style && width && marker && size);
            EXPECT_EQ(0, style->GetLineStyle());
            EXPECT_EQ(2.0f, width->GetLineWidth());
            EXPECT_EQ(MARKER_NONE, marker->GetMarkerStyle());
            EXPECT_EQ("5", size->GetValue());
            EXPECT_EQ(wxColour(255, 0, 0),
                      dialog.FindWindow(IDC_LS_LINE_COLOUR)->GetBackgroundColour());

            // The Raw GPS Active row shows its own styles.
            Click(dialog, IDC_LS_RADIO_FIRST + 4);
            EXPECT_EQ(4, dialog.GetLogic().GetCurrentEntry());
            EXPECT_TRUE(dialog.FindWindow(IDC_LS_EDIT_MARK_FIRST + 2)->IsShown());
            EXPECT_FALSE(dialog.FindWindow(IDC_LS_EDIT_MARK_FIRST)->IsShown());
            EXPECT_EQ(MARKER_CIRCLE, marker->GetMarkerStyle());
            EXPECT_EQ("6", size->GetValue());
            SaveScreenshot(&dialog, "line_settings_dialog");

            // A half width is stored whole, and the picker shows what is stored.
            Pick(width, CLineWidthCells::FromLineWidth(3.5f));
            EXPECT_EQ(3, dialog.GetTable().Entry[4].LineWidth);
            EXPECT_EQ(3.0f, width->GetLineWidth());
            Pick(marker, CMarkerStyleCells::FromMarkerStyle(MARKER_DIAMOND));
            EXPECT_EQ(MARKER_DIAMOND, dialog.GetTable().Entry[4].MarkerStyle);

            // "25" is corrected to 20 with the range message; an emptied field keeps 20.
            Sink().Answer(ORQ::IDOK);
            size->SetValue("25");
            ASSERT_EQ(1u, Sink().Messages().size());
            EXPECT_EQ("Valid values are 1 to 20", Sink().Messages()[0].text);
            EXPECT_EQ("20", size->GetValue());
            EXPECT_EQ(20, dialog.GetTable().Entry[4].MarkerSize);
            size->SetValue("");
            EXPECT_EQ(20, dialog.GetTable().Entry[4].MarkerSize);
            size->SetValue("abc");
            EXPECT_EQ("", size->GetValue());
            EXPECT_EQ(20, dialog.GetTable().Entry[4].MarkerSize);
            EXPECT_EQ(1u, Sink().Messages().size()) << Sink().AllTexts();

            // Another row shows its own styles; Defaults brings the defaults back.
            Click(dialog, IDC_LS_RADIO_FIRST + 6);
            EXPECT_EQ(6, dialog.GetLogic().GetCurrentEntry());
            EXPECT_EQ(2, style->GetLineStyle());
            EXPECT_TRUE(dialog.FindWindow(IDC_LS_EDIT_MARK_FIRST + 4)->IsShown());
            EXPECT_FALSE(dialog.FindWindow(IDC_LS_EDIT_MARK_FIRST + 2)->IsShown());
            PressButton(dialog, IDC_LS_DEFAULTS);
            EXPECT_EQ(SLineDisplayTable(), dialog.GetTable());
            EXPECT_EQ("7", size->GetValue());
        });
}

// From the toolbar on an opened project: OK without a change leaves the document and its XML
// as they were; a new Raw GPS line colour chosen with the colour picker is stored, written into
// the project's XML and marks the document modified.
TEST(LineSettingsGui, ToolbarDialogStoresANewRawGpsColourOnOk) {
    OpenedProject project;
    ASSERT_NE(nullptr, project.doc);
    ASSERT_NE(nullptr, project.window);
    const std::string before = XmlText(project.doc);
    ASSERT_FALSE(before.empty());
    ASSERT_FALSE(project.doc->IsModified());

    AnswerNextModal(nullptr, wxID_OK);
    PressLineSettingsTool();
    EXPECT_TRUE(ModalAnswered());
    EXPECT_FALSE(project.doc->IsModified());
    EXPECT_EQ(before, XmlText(project.doc));

    const uint32_t magenta = Rgb(255, 0, 255);
    CColourAnswer colour(magenta);
    AnswerNextModal(
        [&](wxDialog *dialog) {
            ASSERT_NE(nullptr, dynamic_cast<DlgLineSettings *>(dialog));
            Click(*dialog, IDC_LS_RADIO_FIRST + 4);
            EXPECT_EQ(4, static_cast<DlgLineSettings *>(dialog)->GetLogic().GetCurrentEntry());
            PressButton(*dialog, IDC_LS_LINE_COLOUR_BUTTON);
            EXPECT_EQ(magenta,
                      static_cast<DlgLineSettings *>(dialog)->GetTable().Entry[4].LineColour);
            EXPECT_TRUE(dialog->FindWindow(IDC_LS_PREVIEW_BUTTON)->IsEnabled());
            EXPECT_EQ(wxColour(255, 0, 255),
                      dialog->FindWindow(IDC_LS_LINE_COLOUR)->GetBackgroundColour());
            SaveScreenshot(dialog, "line_settings_raw_gps_magenta");
        },
        wxID_OK);
    PressLineSettingsTool();
    EXPECT_TRUE(ModalAnswered());
    EXPECT_EQ(1, colour.Asked());
    EXPECT_EQ(Rgb(0, 128, 128), colour.Started()) << "the chooser starts at the line colour";
    const SLineDisplayTable &table = project.doc->GetMapperSettings()->LineDisplay;
    EXPECT_EQ(magenta, table.Entry[2 * LINE_KIND_RAW_GPS].LineColour);
    EXPECT_EQ(Rgb(0, 128, 128), table.Entry[2 * LINE_KIND_RAW_GPS].MarkerColour);
    EXPECT_TRUE(project.doc->IsModified());
    const std::string after = XmlText(project.doc);
    EXPECT_NE(std::string::npos,
              after.find("<Raw_GPSActive><Selected>Y</Selected><Line_Style>0</Line_Style>"
                         "<Line_Weight>2</Line_Weight><Line_Color>255,0,255</Line_Color>"))
        << after;
}

// Preview draws the plan with the dialog's table at once (the map is drawn anew); Cancel puts
// the document's table back and the plan shows the old lines again.
TEST(LineSettingsGui, CancelAfterPreviewRestoresThePlan) {
    OpenedProject project;
    ASSERT_NE(nullptr, project.doc);
    ASSERT_NE(nullptr, project.window);
    const SLineDisplayTable kept = project.doc->GetMapperSettings()->LineDisplay;
    const uint32_t black = Rgb(0, 0, 0);
    const int linesBefore = PixelsOf(project.window, black);
    ASSERT_GT(linesBefore, 100) << "the radar lines draw in black";

    int linesInPreview = -1;
    AnswerNextModal(
        [&](wxDialog *dialog) {
            Click(*dialog, IDC_LS_SHOW_LOCAL_XY);
            const int draws = project.window->MapDrawCount();
            PressButton(*dialog, IDC_LS_PREVIEW_BUTTON);
            EXPECT_FALSE(project.doc->GetMapperSettings()->LineDisplay.LayerShown[0]);
            linesInPreview = PixelsOf(project.window, black);
            EXPECT_GT(project.window->MapDrawCount(), draws);
            SaveScreenshot(project.window->GetParent(), "line_settings_preview_no_lines");
        },
        wxID_CANCEL);
    PressLineSettingsTool();
    EXPECT_TRUE(ModalAnswered());
    EXPECT_LT(linesInPreview, linesBefore / 4) << "the preview hides the radar lines";
    EXPECT_EQ(kept, project.doc->GetMapperSettings()->LineDisplay);
    EXPECT_FALSE(project.doc->IsModified());
    project.window->Update();
    EXPECT_EQ(linesBefore, PixelsOf(project.window, black)) << "the old lines are back";
    SaveScreenshot(project.window->GetParent(), "line_settings_after_cancel");
}

// With the mouse, as a user does it: the dialog opens on the radar lines' Active row; another row
// and then that one are clicked, its colour is chosen with "...", its width in the width popup
// (hover, then click: one change, one close, one pick), and OK. The plan draws the selected lines
// in the new colour and width; after a save, a close and a reopen the project still holds them
// and the dialog shows them. The project had no stored styles: it opened with the defaults.
TEST(LineSettingsGui, RadarLineStyleChosenWithTheMouseLastsThroughSaveAndReopen) {
    ASSERT_TRUE(RealInputAvailable()) << "the display offers no XTest extension";
    OpenedProject project(/*authored*/ true);
    ASSERT_NE(nullptr, project.doc);
    ASSERT_NE(nullptr, project.window);
    EXPECT_EQ(SLineDisplayTable(), project.doc->GetMapperSettings()->LineDisplay)
        << "a project without stored styles opens with the defaults";
    ASSERT_NO_FATAL_FAILURE(project.SelectAllLines());
    const uint32_t red = Rgb(255, 0, 0), green = Rgb(0, 160, 0);
    const int redBefore = PixelsOf(project.window, red);
    ASSERT_GT(redBefore, 100) << "the selected lines draw in the default red";
    ASSERT_LT(PixelsOf(project.window, green), 10);

    CColourAnswer colour(green);
    AnswerNextModal(
        [&](wxDialog *dialog) {
            auto *lineSettings = dynamic_cast<DlgLineSettings *>(dialog);
            ASSERT_NE(nullptr, lineSettings);
            ASSERT_TRUE(FocusWindow(dialog)) << "the dialog never became active";
            EXPECT_EQ(0, lineSettings->GetLogic().GetCurrentEntry()) << "opens on radio 1107";
            wxWindow *localActive = dialog->FindWindow(IDC_LS_RADIO_FIRST);
            wxWindow *rawActive = dialog->FindWindow(IDC_LS_RADIO_FIRST + 4);
            ASSERT_TRUE(localActive && rawActive);
            RealClick(rawActive, Middle(rawActive));
            EXPECT_EQ(4, lineSettings->GetLogic().GetCurrentEntry()) << "a click picks a row";
            RealClick(localActive, Middle(localActive));
            ASSERT_EQ(0, lineSettings->GetLogic().GetCurrentEntry())
                << "the radar lines' Active row is chosen by a click";
            EXPECT_TRUE(dialog->FindWindow(IDC_LS_EDIT_MARK_FIRST)->IsShown());

            wxWindow *colourButton = dialog->FindWindow(IDC_LS_LINE_COLOUR_BUTTON);
            RealClick(colourButton, Middle(colourButton));
            EXPECT_EQ(1, colour.Asked());
            EXPECT_EQ(red, colour.Started()) << "the chooser starts at the line colour";
            EXPECT_EQ(wxColour(0, 160, 0),
                      dialog->FindWindow(IDC_LS_LINE_COLOUR)->GetBackgroundColour());

            auto *width = dynamic_cast<CPickerLineWidth *>(dialog->FindWindow(IDC_LS_LINE_WIDTH));
            ASSERT_NE(nullptr, width);
            CNoticeRecorder notices(dialog);
            RealClick(width, wxPoint(10, width->GetClientSize().y / 2));
            ASSERT_TRUE(WaitFor([width] { return width->IsPopupOpen(); }))
                << "a click opens the width popup";
            CGenericPickerPopup *popup = width->GetPopup();
            ASSERT_NE(nullptr, popup);
            const uint32_t four = CLineWidthCells::FromLineWidth(4.0f);
            const wxRect cell =
                popup->GetLogic().GetCellRect(PickerValue::Column(four), PickerValue::Row(four));
            const wxPoint at(cell.x + cell.width / 2, cell.y + cell.height / 2);
            RealMove(popup, at, 150);
            EXPECT_EQ(4.0f, width->GetLineWidth()) << "the face follows the hovered cell";
            SaveScreenPicture(popup, "line_settings_width_popup");
            RealClick(popup, at);
            EXPECT_TRUE(WaitFor([width] { return !width->IsPopupOpen(); }));
            EXPECT_EQ(1, notices.Count(IDC_LS_LINE_WIDTH, PickerNotify::ValueChanged));
            EXPECT_EQ(1, notices.Count(IDC_LS_LINE_WIDTH, PickerNotify::Closed));
            EXPECT_EQ(1, notices.Count(IDC_LS_LINE_WIDTH, PickerNotify::ClosedInside));
            EXPECT_EQ(0, notices.Count(IDC_LS_LINE_WIDTH, PickerNotify::ClosedOutside));
            EXPECT_EQ(4, lineSettings->GetTable().Entry[0].LineWidth);
            SaveScreenPicture(dialog, "line_settings_local_xy_row");

            wxWindow *ok = dialog->FindWindow(wxID_OK);
            RealClick(ok, Middle(ok));
        },
        wxID_CANCEL);
    PressLineSettingsTool();
    ASSERT_TRUE(ModalAnswered());
    const SLineDisplayEntry chosen{0, green, 4, MARKER_NONE, red, 5};
    EXPECT_EQ(chosen, project.doc->GetMapperSettings()->LineDisplay.Entry[0])
        << "OK took the dialog's table";
    EXPECT_TRUE(project.doc->IsModified());
    project.window->Update();
    const int greenAfter = PixelsOf(project.window, green);
    EXPECT_GT(greenAfter, redBefore * 3 / 2) << "the lines draw in the new colour, wider";
    EXPECT_LT(PixelsOf(project.window, red), redBefore / 4) << "no line keeps the old colour";
    SaveScreenshot(project.window->GetParent(), "line_settings_green_lines");

    ASSERT_TRUE(project.doc->Save()) << Sink().AllTexts();
    EXPECT_NE(std::string::npos,
              ReadFile(project.path)
                  .find("<LocalXYActive><Selected>Y</Selected><Line_Style>0</Line_Style>"
                        "<Line_Weight>4</Line_Weight><Line_Color>0,160,0</Line_Color>"));
    project.Close();
    project.Open();
    ASSERT_NE(nullptr, project.doc);
    EXPECT_EQ(chosen, project.doc->GetMapperSettings()->LineDisplay.Entry[0])
        << "the reopened project holds the chosen style";
    ASSERT_NO_FATAL_FAILURE(project.SelectAllLines());
    EXPECT_NEAR(PixelsOf(project.window, green), greenAfter, greenAfter / 10);

    AnswerNextModal(
        [&](wxDialog *dialog) {
            auto *width = dynamic_cast<CPickerLineWidth *>(dialog->FindWindow(IDC_LS_LINE_WIDTH));
            ASSERT_NE(nullptr, width);
            EXPECT_EQ(0, static_cast<DlgLineSettings *>(dialog)->GetLogic().GetCurrentEntry());
            EXPECT_EQ(4.0f, width->GetLineWidth());
            EXPECT_EQ(wxColour(0, 160, 0),
                      dialog->FindWindow(IDC_LS_LINE_COLOUR)->GetBackgroundColour());
            SaveScreenshot(dialog, "line_settings_reopened");
        },
        wxID_CANCEL);
    PressLineSettingsTool();
    EXPECT_TRUE(ModalAnswered());
    EXPECT_FALSE(project.doc->IsModified());
    EXPECT_TRUE(Sink().Messages().empty()) << Sink().AllTexts();
}
