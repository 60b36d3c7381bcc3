#include "KVD_Edit/GPSINFO/LWCDefinition.h"

#include "KVD_Edit/GPSINFO/DlgGPSConfig.h"
#include "KVD_Edit/GPSINFO/GPSConfig.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "KVD_Edit/platform/WxText.h"
#include "orq_utils/Measure.h"
#include "orq_utils/MessageSink.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/tglbtn.h>

#include <cstdio>
#include <cstdlib>

namespace {

enum : int {
    IDC_ENABLE = 1140,
    IDC_FROM_GPS = 1065,
    IDC_LATLONG = 1081,
    IDC_UTM = 1082,
    IDC_ZONE = 1139,
    IDC_HEMISPHERE = 1007,
    IDC_TWO_POINT = 1144,
    IDC_ONE_POINT = 1145,
    IDC_P1_X = 1085,
    IDC_P1_Y = 1086,
    IDC_P2_X = 1087,
    IDC_P2_Y = 1088,
    IDC_P1_E = 1089,
    IDC_P1_N = 1090,
    IDC_P2_E = 1091,
    IDC_P2_N = 1092,
    IDC_PICK_1 = 1148,
    IDC_PICK_2 = 1034,
    IDC_RATIO = 1134,
    IDC_HEADING = 1077,
    IDC_FORMAT = 1146,
    IDC_SAMPLE = 1147,
    IDC_PREVIEW = 1078,
    IDC_HELP = 1062,
};

// The edit of each field, in the order of CLWCDefinitionLogic::EField.
const int kFieldIds[] = {IDC_P1_X, IDC_P1_Y, IDC_P2_X, IDC_P2_Y,    IDC_P1_E,
                         IDC_P1_N, IDC_P2_E, IDC_P2_N, IDC_HEADING, IDC_ZONE};
constexpr int kFieldCount = 10;

CLWCDefinitionLogic::EField FieldOf(int id) {
    for (int i = 0; i < kFieldCount; ++i)
        if (kFieldIds[i] == id)
            return static_cast<CLWCDefinitionLogic::EField>(i);
    return CLWCDefinitionLogic::FIELD_NONE;
}

bool IsWorldField(CLWCDefinitionLogic::EField f) {
    return f >= CLWCDefinitionLogic::FIELD_P1_EAST && f <= CLWCDefinitionLogic::FIELD_P2_NORTH;
}

const char *const kHelpText =
    "This dialog is used to define the relationship between the Local (XY) \r\nand Global "
    "coordinates (Latitude-Longitude or UTM). The user can \r\ndefine this relationship "
    "automatically (GPS data are required) or \r\nmanually. To determine automatically using a "
    "best-fit process, click \r\nthe Compute from GPS button. To define manually select one of "
    "the \r\nfollowing two methods:\r\n\r\n\t1. Enter the Local and Global coordinates of first "
    "and second \r\n\t    reference points.\r\n\n\t2. Enter the Local and Global coordinates of "
    "first reference \r\n\t    point and the Y-Axis heading.\r\n\r\nWhen method 1 is used, "
    "checking \x93Use for Heading Only\x94 defines the \r\nLocal-Global relationship based "
    "only on the heading of second point \r\nwith respect to first. Otherwise the grid "
    "dimensions are scaled to match \r\nthe Global coordinates.";

std::string FormatValue(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace

// ---- the window --------------------------------------------------------------------------

class CLWCDefinition::CWindow : public wxDialog {
public:
    CWindow(CLWCDefinition *owner, wxWindow *parent);
    // Destroyed with its parent frame, it leaves the owner without a window.
    ~CWindow() override {
        if (m_owner)
            m_owner->m_window = nullptr;
    }
    void Detach() { m_owner = nullptr; }
    // Writes every control from the logic except the one whose change caused it.
    void ShowFields(int except = 0);
    void ReleasePicks();
    void EnablePreview(bool on) { EnableItem(IDC_PREVIEW, on); }

private:
    wxTextCtrl *Edit(int id) { return static_cast<wxTextCtrl *>(FindWindow(id)); }
    void EnableItem(int id, bool on) {
        if (wxWindow *w = FindWindow(id))
            w->Enable(on);
    }
    void SetItemLabel(int id, const std::string &text) {
        if (wxWindow *w = FindWindow(id))
            w->SetLabel(ToWx(text));
    }
    // The layout, one group of controls at a time from the top.
    void CreateControls();
    void AddSourceRow(wxSizer *top);
    void AddGlobalKind(wxSizer *top);
    void AddMethod(wxSizer *top);
    // The boxes of the first (0) and second (1) reference point.
    void AddReferencePoint(wxSizer *top, int p);
    void AddHeading(wxSizer *top);
    void AddDisplayFormat(wxSizer *top);
    void AddButtons(wxSizer *top);
    void BindEvents();
    wxTextCtrl *AddEdit(wxSizer *sizer, int id, const char *label, int labelId);
    // Shows a check's message and focuses its field, putting back its last good text.
    void Report(const CLWCDefinitionLogic::SCheck &check, bool undo);
    void Focus(int id);
    bool Ask(const char *message);
    // A message box over the dialog. Without a window manager nothing keeps a modeless dialog
    // above the frame once the box has gone, so it is raised again.
    int Message(const std::string &text, unsigned style);

    void OnText(wxCommandEvent &event);
    void OnKillFocus(wxFocusEvent &event);
    void OnCommand(wxCommandEvent &event);
    void OnPick(wxCommandEvent &event);
    void Apply(bool ok);
    void Cancel();
    void OnClose(wxCloseEvent &) { Cancel(); }

    CLWCDefinition *m_owner;
    bool m_updating = false;
    std::string m_lastGood[kFieldCount];
    // The zone text last refused, until the zone edit is typed in again.
    std::string m_refusedZone;
};

CLWCDefinition::CWindow::CWindow(CLWCDefinition *owner, wxWindow *parent)
    : wxDialog(parent, wxID_ANY, "Local-Global Coordinates Relationship", wxDefaultPosition,
               wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX),
      m_owner(owner) {
    CreateControls();
    BindEvents();
    CentreOnParent();
}

void CLWCDefinition::CWindow::CreateControls() {
    auto *top = new wxBoxSizer(wxVERTICAL);
    AddSourceRow(top);
    AddGlobalKind(top);
    AddMethod(top);
    AddReferencePoint(top, 0);
    AddReferencePoint(top, 1);
    AddHeading(top);
    AddDisplayFormat(top);
    AddButtons(top);
    SetSizerAndFit(top);
}

void CLWCDefinition::CWindow::AddSourceRow(wxSizer *top) {
    auto *enable = new wxCheckBox(this, IDC_ENABLE, "Use Global Positions");
    enable->SetToolTip("Show / Hide GPS Data");
    auto *fromGps = new wxButton(this, IDC_FROM_GPS, "Compute from GPS");
    fromGps->SetToolTip("Define Local-Global Relationship Automatically");
    auto *row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(enable, 0, wxALIGN_CENTER_VERTICAL | wxALL, 4);
    row->Add(fromGps, 0, wxALL, 4);
    top->Add(row);
}

void CLWCDefinition::CWindow::AddGlobalKind(wxSizer *top) {
    auto *kind = new wxStaticBoxSizer(wxHORIZONTAL, this, "Global Coordinates Expressed As:");
    kind->Add(new wxRadioButton(this, IDC_LATLONG, "Latitude-Longitude", wxDefaultPosition,
                                wxDefaultSize, wxRB_GROUP),
              0, wxALL, 4);
    kind->Add(new wxRadioButton(this, IDC_UTM, "UTM"), 0, wxALL, 4);
    kind->Add(new wxStaticText(this, 1155, "Zone:"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 8);
    kind->Add(new wxTextCtrl(this, IDC_ZONE, "", wxDefaultPosition, wxSize(50, -1)), 0, wxALL, 4);
    kind->Add(new wxStaticText(this, 1143, "Hemisphere:"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 8);
    wxString hemispheres[] = {"Northern", "Southern"};
    kind->Add(new wxChoice(this, IDC_HEMISPHERE, wxDefaultPosition, wxDefaultSize, 2, hemispheres),
              0, wxALL, 4);
    top->Add(kind, 0, wxEXPAND | wxALL, 4);
}

void CLWCDefinition::CWindow::AddMethod(wxSizer *top) {
    auto *method = new wxBoxSizer(wxHORIZONTAL);
    method->Add(new wxRadioButton(this, IDC_TWO_POINT, "Define using two reference points",
                                  wxDefaultPosition, wxDefaultSize, wxRB_GROUP),
                0, wxALL, 4);
    method->Add(
        new wxRadioButton(this, IDC_ONE_POINT, "Define using one reference point and heading"), 0,
        wxALL, 4);
    top->Add(method);
}

void CLWCDefinition::CWindow::AddReferencePoint(wxSizer *top, int p) {
    const int statics[2][6] = {{1093, 1135, 1136, 1158, 1104, 1106},
                               {1096, 1137, 1138, 1159, 1105, 1107}};
    const int edits[2][4] = {{IDC_P1_X, IDC_P1_Y, IDC_P1_E, IDC_P1_N},
                             {IDC_P2_X, IDC_P2_Y, IDC_P2_E, IDC_P2_N}};
    const int picks[2] = {IDC_PICK_1, IDC_PICK_2};
    auto *box = new wxStaticBoxSizer(wxVERTICAL, this,
                                     p == 0 ? "1st Reference Point" : "2nd Reference Point");
    auto *local = new wxBoxSizer(wxHORIZONTAL);
    local->Add(new wxStaticText(this, statics[p][0], "Local", wxDefaultPosition, wxSize(90, -1)), 0,
               wxALIGN_CENTER_VERTICAL | wxALL, 4);
    AddEdit(local, edits[p][0], "X:", statics[p][1]);
    AddEdit(local, edits[p][1], "Y:", statics[p][2]);
    auto *pick = new wxToggleButton(this, picks[p], "Select in View");
    pick->SetToolTip("User Cursor to Select Local Coordinates in Grid Map");
    local->Add(pick, 0, wxALL, 4);
    box->Add(local);
    auto *global = new wxBoxSizer(wxHORIZONTAL);
    global->Add(new wxStaticText(this, statics[p][3], "Global", wxDefaultPosition, wxSize(90, -1)),
                0, wxALIGN_CENTER_VERTICAL | wxALL, 4);
    AddEdit(global, edits[p][2], "East", statics[p][4]);
    AddEdit(global, edits[p][3], "North", statics[p][5]);
    box->Add(global);
    if (p == 1)
        box->Add(new wxCheckBox(this, IDC_RATIO, "Use For Heading Only"), 0, wxALL, 4);
    top->Add(box, 0, wxEXPAND | wxALL, 4);
}

void CLWCDefinition::CWindow::AddHeading(wxSizer *top) {
    auto *heading = new wxStaticBoxSizer(wxHORIZONTAL, this, "Y-Axis Heading");
    heading->Add(new wxStaticText(this, 1101, "Heading (deg):\nNorth=0/360, E=90, S=180, W=270"), 0,
                 wxALL, 4);
    heading->Add(new wxTextCtrl(this, IDC_HEADING, "", wxDefaultPosition, wxSize(100, -1)), 0,
                 wxALL, 4);
    top->Add(heading, 0, wxEXPAND | wxALL, 4);
}

void CLWCDefinition::CWindow::AddDisplayFormat(wxSizer *top) {
    auto *format = new wxStaticBoxSizer(wxHORIZONTAL, this, "GPS Display Format");
    auto *formatButton = new wxButton(this, IDC_FORMAT, "GPS Format...");
    formatButton->SetToolTip("Changes the way GPS positions are displayed in this program and in "
                             "its companion mapping program");
    format->Add(formatButton, 0, wxALL, 4);
    format->Add(new wxTextCtrl(this, IDC_SAMPLE, "", wxDefaultPosition, wxSize(330, 44),
                               wxTE_MULTILINE | wxTE_READONLY),
                1, wxALL, 4);
    top->Add(format, 0, wxEXPAND | wxALL, 4);
}

void CLWCDefinition::CWindow::AddButtons(wxSizer *top) {
    auto *buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, IDC_PREVIEW, "Preview"), 0, wxALL, 4);
    buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxALL, 4);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxALL, 4);
    buttons->Add(new wxButton(this, IDC_HELP, "Help..."), 0, wxALL, 4);
    top->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 4);
}

void CLWCDefinition::CWindow::BindEvents() {
    Bind(wxEVT_TEXT, &CWindow::OnText, this);
    Bind(wxEVT_BUTTON, &CWindow::OnCommand, this);
    Bind(wxEVT_CHECKBOX, &CWindow::OnCommand, this);
    Bind(wxEVT_RADIOBUTTON, &CWindow::OnCommand, this);
    Bind(wxEVT_CHOICE, &CWindow::OnCommand, this);
    Bind(wxEVT_TOGGLEBUTTON, &CWindow::OnPick, this);
    Bind(wxEVT_CLOSE_WINDOW, &CWindow::OnClose, this);
    for (int id : kFieldIds)
        Edit(id)->Bind(wxEVT_KILL_FOCUS, &CWindow::OnKillFocus, this);
}

wxTextCtrl *CLWCDefinition::CWindow::AddEdit(wxSizer *sizer, int id, const char *label,
                                             int labelId) {
    sizer->Add(new wxStaticText(this, labelId, label, wxDefaultPosition, wxSize(44, -1)), 0,
               wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    auto *edit = new wxTextCtrl(this, id, "", wxDefaultPosition, wxSize(150, -1));
    sizer->Add(edit, 0, wxALL, 4);
    return edit;
}

void CLWCDefinition::CWindow::ShowFields(int except) {
    if (!m_owner)
        return;
    CLWCDefinitionLogic &logic = m_owner->m_logic;
    SLocalWorldDef &w = logic.Working();
    m_updating = true;
    // The sample line: a fixed position written with the working format.
    std::string format = BuildGPSFormatString(logic.GetConfiguration(), &w.Ellipsoid).c_str();
    SLatLong sample;
    sample.latitude = 43.4516;
    sample.longitude = -80.4925;
    std::string text;
    UpdateGPS(format.c_str(), w.Ellipsoid, 3, &sample, nullptr, text);
    text.insert(text.size() < 38 ? text.size() : 38, "\n");
    Edit(IDC_SAMPLE)->ChangeValue(ToWx(text));
    if (!w.TwoPointDefinition)
        w.RatioCheckBox = true;

    const bool picking = logic.GetPickMode() != 0;
    const bool a = w.EnableGPS && !picking;
    const bool t = w.TwoPointDefinition;
    EnableItem(IDC_ENABLE, !picking);
    static_cast<wxCheckBox *>(FindWindow(IDC_ENABLE))->SetValue(w.EnableGPS != 0);
    for (int id : std::initializer_list<int>{
             IDC_FROM_GPS, IDC_P1_X, IDC_P1_Y, IDC_P1_E, IDC_P1_N, IDC_FORMAT, IDC_LATLONG, IDC_UTM,
             IDC_TWO_POINT, IDC_ONE_POINT, 1093, 1135, 1136, 1104, 1106, 1158, 1155, 1143})
        EnableItem(id, a);
    for (int id : std::initializer_list<int>{IDC_P2_X, IDC_P2_Y, IDC_P2_E, IDC_P2_N, IDC_RATIO,
                                             1096, 1137, 1138, 1105, 1107, 1159})
        EnableItem(id, a && t);
    EnableItem(IDC_HEADING, a && !t);
    EnableItem(1101, a && !t);
    EnableItem(IDC_ZONE, a && logic.GetDisplayMode() == 1);
    EnableItem(IDC_HEMISPHERE, a && logic.GetDisplayMode() == 1);
    EnableItem(IDC_PICK_1, w.EnableGPS != 0);
    EnableItem(IDC_PICK_2, w.EnableGPS != 0 && t);
    if (w.EnableGPS) {
        if (!logic.HasGPSData()) {
            w.FitGrid = false;
            EnableItem(IDC_FROM_GPS, false);
        }
        const bool utm = logic.GetDisplayMode() == 1;
        for (int i = 0; i < kFieldCount; ++i) {
            const auto f = static_cast<CLWCDefinitionLogic::EField>(i);
            std::string value;
            if (f == CLWCDefinitionLogic::FIELD_ZONE)
                value = w.Zone == -1 ? "" : std::to_string(w.Zone);
            else
                value = FormatValue(logic.FieldValue(f), IsWorldField(f) && !utm ? 12 : 3);
            if (kFieldIds[i] != except)
                Edit(kFieldIds[i])->ChangeValue(ToWx(value));
            m_lastGood[i] = FromWx(Edit(kFieldIds[i])->GetValue());
        }
        static_cast<wxRadioButton *>(FindWindow(utm ? IDC_UTM : IDC_LATLONG))->SetValue(true);
        static_cast<wxRadioButton *>(FindWindow(t ? IDC_TWO_POINT : IDC_ONE_POINT))->SetValue(true);
        const std::string unit =
            "Local (" + ORQ::CMeasure::UnitToString(static_cast<ORQ::EUnitType>(w.Unit)) + ")";
        SetItemLabel(1093, unit);
        SetItemLabel(1096, unit);
        for (int id : std::initializer_list<int>{1104, 1105})
            SetItemLabel(id, utm ? "East:" : "Long:");
        for (int id : std::initializer_list<int>{1106, 1107})
            SetItemLabel(id, utm ? "North:" : "Lat:");
        for (int id : std::initializer_list<int>{1158, 1159})
            SetItemLabel(id, utm ? "Global (m)" : "Global (deg)");
        static_cast<wxChoice *>(FindWindow(IDC_HEMISPHERE))
            ->SetSelection(w.ZoneLetter < 'N' ? 1 : 0);
        static_cast<wxCheckBox *>(FindWindow(IDC_RATIO))->SetValue(w.RatioCheckBox);
    }
    m_updating = false;
    if (logic.IsPreviewEnabled())
        EnableItem(IDC_PREVIEW, true);
}

void CLWCDefinition::CWindow::ReleasePicks() {
    for (int id : std::initializer_list<int>{IDC_PICK_1, IDC_PICK_2})
        static_cast<wxToggleButton *>(FindWindow(id))->SetValue(false);
}

void CLWCDefinition::CWindow::Focus(int id) {
    if (wxTextCtrl *edit = Edit(id)) {
        edit->SetFocus();
        edit->SelectAll();
    }
}

int CLWCDefinition::CWindow::Message(const std::string &text, unsigned style) {
    const int answer = ORQ::ShowMessage(text, style);
    Raise();
    return answer;
}

bool CLWCDefinition::CWindow::Ask(const char *message) {
    return Message(message, ORQ::MB_OKCANCEL | ORQ::MB_ICONWARNING) == ORQ::IDOK;
}

void CLWCDefinition::CWindow::Report(const CLWCDefinitionLogic::SCheck &check, bool undo) {
    if (check.ok)
        return;
    const bool was = m_updating;
    m_updating = true;
    CLWCDefinitionLogic &logic = m_owner->m_logic;
    // A duplicate takes back the last change of the first point's field it names.
    if (undo && check.message == CLWCDefinitionLogic::kDuplicateMessage &&
        check.field != CLWCDefinitionLogic::FIELD_NONE) {
        const std::string &good = m_lastGood[check.field];
        Edit(kFieldIds[check.field])->ChangeValue(ToWx(good));
        const double value = std::atof(good.c_str());
        if (IsWorldField(check.field))
            logic.SetWorldValue(check.field, value);
        else
            logic.SetLocalValue(check.field, value);
    }
    if (!check.message.empty())
        Message(check.message, ORQ::MB_OK | ORQ::MB_ICONWARNING);
    m_updating = was;
    if (check.field != CLWCDefinitionLogic::FIELD_NONE)
        Focus(kFieldIds[check.field]);
}

void CLWCDefinition::CWindow::OnText(wxCommandEvent &event) {
    const CLWCDefinitionLogic::EField field = FieldOf(event.GetId());
    if (field == CLWCDefinitionLogic::FIELD_ZONE && !m_updating)
        m_refusedZone.clear();
    if (m_updating || !m_owner || field == CLWCDefinitionLogic::FIELD_NONE ||
        field == CLWCDefinitionLogic::FIELD_ZONE)
        return;
    CLWCDefinitionLogic &logic = m_owner->m_logic;
    wxTextCtrl *edit = Edit(event.GetId());
    const bool heading = field == CLWCDefinitionLogic::FIELD_HEADING;
    const SNumericEditCheck check = CheckNumericText(FromWx(edit->GetValue()), !heading,
                                                     heading ? 0 : -1, heading ? 360 : -1, 0);
    if (check.changed) {
        m_updating = true;
        edit->ChangeValue(ToWx(check.text));
        if (check.selectAll)
            edit->SelectAll();
        else
            edit->SetInsertionPoint(static_cast<long>(check.caret));
        m_updating = false;
    }
    if (!check.message.empty())
        Message(check.message, ORQ::MB_OK | ORQ::MB_ICONWARNING);
    const double value = std::atof(FromWx(edit->GetValue()).c_str());
    if (heading) {
        logic.SetHeading(value);
        ShowFields(event.GetId());
    } else if (IsWorldField(field)) {
        const int zone = logic.Working().Zone;
        const char letter = logic.Working().ZoneLetter;
        logic.SetWorldValue(field, value);
        if (zone != logic.Working().Zone || letter != logic.Working().ZoneLetter)
            ShowFields(event.GetId());
    } else {
        logic.SetLocalValue(field, value);
    }
    EnableItem(IDC_PREVIEW, logic.IsPreviewEnabled() || FindWindow(IDC_PREVIEW)->IsEnabled());
}

void CLWCDefinition::CWindow::OnKillFocus(wxFocusEvent &event) {
    event.Skip();
    const int id = event.GetId();
    const CLWCDefinitionLogic::EField field = FieldOf(id);
    if (!m_owner || field == CLWCDefinitionLogic::FIELD_NONE ||
        field == CLWCDefinitionLogic::FIELD_HEADING)
        return;
    CLWCDefinitionLogic &logic = m_owner->m_logic;
    if (field == CLWCDefinitionLogic::FIELD_ZONE) {
        const std::string text = FromWx(Edit(id)->GetValue());
        // The message of a refused zone moves the focus away and back; that focus loss is not
        // a new entry, and the same text is not refused twice.
        if (m_updating || (!m_refusedZone.empty() && text == m_refusedZone))
            return;
        m_updating = true;
        const CLWCDefinitionLogic::SCheck check =
            logic.ChangeZone(text, [this](const char *message) { return Ask(message); });
        m_updating = false;
        m_refusedZone = check.ok || check.message.empty() ? std::string() : text;
        if (check.ok) {
            ShowFields();
        } else {
            if (check.message.empty())
                ShowFields();
            Report(check, false);
        }
        return;
    }
    if (IsWorldField(field) && m_updating)
        return;
    logic.Recompute();
    ShowFields(id);
    EnableItem(IDC_ENABLE, true);
}

void CLWCDefinition::CWindow::OnPick(wxCommandEvent &event) {
    if (!m_owner)
        return;
    CLWCDefinitionLogic &logic = m_owner->m_logic;
    const bool pressed = event.IsChecked();
    const int other = event.GetId() == IDC_PICK_1 ? IDC_PICK_2 : IDC_PICK_1;
    if (pressed) {
        logic.SetPickMode(event.GetId() == IDC_PICK_1 ? 1 : 2);
        static_cast<wxToggleButton *>(FindWindow(other))->SetValue(false);
    } else {
        logic.SetPickMode(0);
    }
    ShowFields();
    if (pressed)
        Hide();
}

void CLWCDefinition::CWindow::OnCommand(wxCommandEvent &event) {
    if (!m_owner)
        return;
    CLWCDefinitionLogic &logic = m_owner->m_logic;
    SLocalWorldDef &w = logic.Working();
    switch (event.GetId()) {
    case IDC_LATLONG:
    case IDC_UTM:
        Report(logic.SetDisplayMode(event.GetId() == IDC_UTM ? 1 : 0), true);
        break;
    case IDC_ENABLE:
        logic.SetEnableGPS(event.IsChecked());
        break;
    case IDC_TWO_POINT:
    case IDC_ONE_POINT:
        logic.SetTwoPoint(event.GetId() == IDC_TWO_POINT);
        break;
    case IDC_RATIO:
        if (m_updating)
            return;
        logic.SetRatio(event.IsChecked());
        break;
    case IDC_HEMISPHERE:
        if (m_updating)
            return;
        logic.ChangeHemisphere(event.GetSelection() == 1,
                               [this](const char *message) { return Ask(message); });
        ShowFields(IDC_HEADING);
        return;
    case IDC_FROM_GPS: {
        CKVDVDoc &doc = m_owner->m_doc;
        logic.BeginComputeFromGPS();
        CGPSInfo *gps = doc.GetGPSInfo();
        gps->ResetLWCDefinition(1);
        gps->SetUpdateState(true);
        w = *gps->GetLWCData();
        doc.ApplyLocalWorldDefinition(KVDCmd::LWC_COMPUTE_FROM_GPS);
        CKVDVView *view = m_owner ? m_owner->PlanView() : nullptr;
        const CPlanRenderer *renderer = view ? view->GetRenderer() : nullptr;
        if (!m_owner || !renderer)
            return;
        const ORQ::SRectMeasure extent = renderer->GetDataExtent();
        const auto unit = static_cast<ORQ::EUnitType>(gps->GetLWCData()->Unit);
        logic.FinishComputeFromGPS(*gps->GetLWCData(), renderer->GetParams(), gps->GetUTMZone(true),
                                   gps->GetUTMZoneLetter(true),
                                   ORQ::CMeasure::ConvertTo(extent.right, extent.unit, unit),
                                   ORQ::CMeasure::ConvertTo(extent.top, extent.unit, unit));
        break;
    }
    case IDC_FORMAT: {
        std::string configuration = logic.GetConfiguration();
        DlgGPSConfig dialog(this, &configuration);
        const int result = dialog.DoModal();
        Raise();
        if (result == ORQ::IDOK)
            logic.SetConfiguration(dialog.GetConfiguration(), false);
        break;
    }
    case IDC_PREVIEW:
        Apply(false);
        return;
    case wxID_OK:
        Apply(true);
        return;
    case wxID_CANCEL:
        Cancel();
        return;
    case IDC_HELP:
        Message(kHelpText, ORQ::MB_OK | ORQ::MB_ICONINFORMATION);
        return;
    default:
        event.Skip();
        return;
    }
    ShowFields();
}

void CLWCDefinition::CWindow::Apply(bool ok) {
    CLWCDefinitionLogic &logic = m_owner->m_logic;
    const CLWCDefinitionLogic::SCheck check = logic.ValidateForApply();
    if (!check.ok) {
        Report(check, true);
        return;
    }
    CKVDVDoc &doc = m_owner->m_doc;
    if (logic.GetConfiguration() != logic.GetOpeningConfiguration()) {
        CMapperSettings *settings = doc.GetMapperSettings();
        settings->GPSConfiguration = logic.GetConfiguration();
        settings->RebuildGPSFormat();
        logic.SetConfiguration(logic.GetConfiguration(), false);
        doc.Modify(true);
    }
    logic.RotationFromHeading();
    if (ok) {
        logic.Working().LastGPSView = logic.GetDisplayMode();
        // The document destroys this window and the owner: nothing of either is used after.
        doc.ApplyLocalWorldDefinition(KVDCmd::LWC_OK);
        return;
    }
    doc.ApplyLocalWorldDefinition(KVDCmd::LWC_PREVIEW);
    if (m_owner)
        m_owner->StorePreviewState();
}

void CLWCDefinition::CWindow::Cancel() {
    if (!m_owner)
        return;
    m_updating = true;
    CKVDVDoc &doc = m_owner->m_doc;
    CMapperSettings *settings = doc.GetMapperSettings();
    settings->GPSConfiguration = m_owner->m_logic.GetOpeningConfiguration();
    settings->RebuildGPSFormat();
    doc.ApplyLocalWorldDefinition(KVDCmd::LWC_CANCEL);
}

// ---- the owner -----------------------------------------------------------------------------

CLWCDefinition::CLWCDefinition(CKVDVDoc &doc, wxWindow *parent, const SLocalWorldDef &definition,
                               bool hasGPSData)
    : m_doc(doc), m_logic(definition, hasGPSData) {
    m_logic.SetConfiguration(doc.GetMapperSettings()->GPSConfiguration, true);
    m_window = new CWindow(this, parent);
    m_logic.Initialise();
    m_window->ShowFields();
    m_window->EnablePreview(false);
    if (CKVDVView *view = PlanView())
        view->SetViewPointListener(
            [this](const CPlanRenderer &renderer, POINT device, const SPlanPointInfo &point) {
                OnViewPointSelected(renderer, device, point);
            });
    m_window->Show();
}

CLWCDefinition::~CLWCDefinition() {
    DestroyDialog();
}

CKVDVView *CLWCDefinition::PlanView() const {
    for (wxView *view : m_doc.GetViewsVector())
        if (auto *plan = dynamic_cast<CKVDVView *>(view))
            return plan;
    return nullptr;
}

wxDialog *CLWCDefinition::GetWindow() const {
    return m_window;
}

void CLWCDefinition::SetUnit(int unit) {
    m_logic.SetUnit(unit);
    if (m_window)
        m_window->ShowFields();
}

void CLWCDefinition::StorePreviewState() {
    m_logic.StorePreviewState();
    if (m_window)
        m_window->EnablePreview(false);
}

void CLWCDefinition::ShowRestored() {
    if (!m_window)
        return;
    m_window->Show();
    m_window->Raise();
}

void CLWCDefinition::DestroyDialog() {
    if (CKVDVView *view = PlanView())
        view->SetViewPointListener(nullptr);
    if (!m_window)
        return;
    m_window->Detach();
    m_window->Destroy();
    m_window = nullptr;
}

bool CLWCDefinition::OnViewPointSelected(const CPlanRenderer &, POINT,
                                         const SPlanPointInfo &point) {
    if (m_logic.GetPickMode() == 0)
        return false;
    const ORQ::S2DMeasure metres = ORQ::CMeasure::ConvertTo(point.local, ORQ::UNIT_M);
    m_logic.PickPoint(metres.x, metres.y);
    if (m_window) {
        m_window->ReleasePicks();
        m_window->ShowFields();
        ShowRestored();
    }
    return true;
}

std::unique_ptr<ILocalWorldDialog> CLWCDefinition::Create(CKVDVDoc &doc, wxWindow *parent,
                                                          SLocalWorldDef &definition,
                                                          bool hasGPSData) {
    return std::make_unique<CLWCDefinition>(doc, parent, definition, hasGPSData);
}
