#include "KVD_Edit/planview/DlgLineSettings.h"

#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/grid/GridDocument.h"
#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/controls/ControlDrawing.h"
#include "KVD_Edit/controls/NumSpinCtrl.h"
#include "KVD_Edit/controls/PickerLineStyle.h"
#include "KVD_Edit/controls/PickerLineWidth.h"
#include "KVD_Edit/controls/PickerMarkerStyle.h"
#include "KVD_Edit/platform/WxText.h"
#include "orq_utils/MessageSink.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/colordlg.h>
#include <wx/dcbuffer.h>
#include <wx/docview.h>
#include <wx/graphics.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <memory>

namespace {

// The size of one preview field, in pixels.
const wxSize kPreviewSize(100, 20);
// The size of the pickers and colour fields of the style groups.
const wxSize kStyleControlSize(110, 26);

wxColour ToColour(uint32_t colour) {
    wxColour c;
    c.SetRGB(colour & 0xFFFFFFu);
    return c;
}

uint32_t FromColour(const wxColour &colour) {
    return static_cast<uint32_t>(colour.GetRGB()) & 0xFFFFFFu;
}

// The pen of a preview line: the entry's colour, width (0 the thinnest) and dash style.
wxGraphicsPenInfo PreviewPen(const SLineDisplayEntry &entry) {
    static const wxDash dashDotDot[] = {6, 2, 1, 2, 1, 2};
    wxGraphicsPenInfo pen(ToColour(entry.LineColour),
                          entry.LineWidth > 0 ? static_cast<double>(entry.LineWidth) : 1.0);
    switch (entry.LineStyle) {
    case 1:
        return pen.Style(wxPENSTYLE_LONG_DASH);
    case 2:
        return pen.Style(wxPENSTYLE_DOT);
    case 3:
        return pen.Style(wxPENSTYLE_DOT_DASH);
    case 4:
        return pen.Style(wxPENSTYLE_USER_DASH).Dashes(6, dashDotDot);
    default:
        return pen;
    }
}

// The row labels of the two styles of a kind.
const char *const kStateLabels[2] = {"Active", "Inactive"};

} // namespace

DlgLineSettings::ColourChooser DlgLineSettings::s_colourChooser;

// One preview field: draws an entry of the dialog's table as LinePreviewGeometry lays it out.
class CLinePreviewField : public wxWindow {
public:
    CLinePreviewField(wxWindow *parent, int id, const LineSettingsLogic &logic, int entry)
        : wxWindow(parent, id, wxDefaultPosition, kPreviewSize), m_logic(logic), m_entry(entry) {
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        SetMinSize(kPreviewSize);
        Bind(wxEVT_PAINT, &CLinePreviewField::OnPaint, this);
    }

private:
    void OnPaint(wxPaintEvent &) {
        wxAutoBufferedPaintDC dc(this);
        const wxSize size = GetClientSize();
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        std::unique_ptr<wxGraphicsContext> gc = ControlDrawing::CreateContext(dc);
        if (!gc)
            return;
        const SLineDisplayEntry &entry = m_logic.GetTable().Entry[m_entry];
        const SPreviewGeometry g = LinePreviewGeometry(0, 0, size.x, size.y, entry);
        gc->SetAntialiasMode(wxANTIALIAS_NONE);
        gc->SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW), 1));
        gc->SetBrush(*wxTRANSPARENT_BRUSH);
        gc->DrawRectangle(g.frameLeft + 0.5, g.frameTop + 0.5, g.frameRight - g.frameLeft,
                          g.frameBottom - g.frameTop);
        gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
        if (g.line) {
            gc->SetPen(gc->CreatePen(PreviewPen(entry)));
            gc->StrokeLine(g.lineLeft, g.centreY + 0.5, g.lineRight, g.centreY + 0.5);
        }
        if (g.markers.empty())
            return;
        gc->SetPen(*wxTRANSPARENT_PEN);
        gc->SetBrush(wxBrush(ToColour(entry.MarkerColour)));
        for (const SPreviewMarker &m : g.markers) {
            if (g.markerStyle == MARKER_SQUARE) {
                gc->DrawRectangle(m.x, m.y, m.size, m.size);
            } else if (g.markerStyle == MARKER_CIRCLE) {
                gc->DrawEllipse(m.x, m.y, m.size, m.size);
            } else {
                wxGraphicsPath path = gc->CreatePath();
                const auto points = DiamondPoints(m, g.centreY);
                path.MoveToPoint(points[0].first, points[0].second);
                for (size_t i = 1; i < points.size(); ++i)
                    path.AddLineToPoint(points[i].first, points[i].second);
                gc->FillPath(path);
            }
        }
    }

    const LineSettingsLogic &m_logic;
    int m_entry;
};

DlgLineSettings::DlgLineSettings(wxWindow *parent, const SLineDisplayTable &table)
    : wxDialog(parent, IDD_LINE_SETTINGS, "Line Display Settings", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_logic(table), m_parentFrame(parent) {
    KVD_LOG_CALL();
    CreateControls();
    Bind(wxEVT_RADIOBUTTON, &DlgLineSettings::OnRadio, this, IDC_LS_RADIO_FIRST,
         IDC_LS_RADIO_FIRST + SLineDisplayTable::kEntryCount - 1);
    Bind(wxEVT_CHECKBOX, &DlgLineSettings::OnLayerCheck, this);
    Bind(EVT_PICKER_NOTIFY, &DlgLineSettings::OnPicker, this);
    Bind(wxEVT_BUTTON, &DlgLineSettings::OnColourButton, this, IDC_LS_LINE_COLOUR_BUTTON);
    Bind(wxEVT_BUTTON, &DlgLineSettings::OnColourButton, this, IDC_LS_MARKER_COLOUR_BUTTON);
    Bind(wxEVT_BUTTON, &DlgLineSettings::OnPreview, this, IDC_LS_PREVIEW_BUTTON);
    Bind(wxEVT_BUTTON, &DlgLineSettings::OnDefaults, this, IDC_LS_DEFAULTS);
    m_sizeEdit->Bind(wxEVT_TEXT, &DlgLineSettings::OnSizeText, this);
    UpdateControls();
}

DlgLineSettings::~DlgLineSettings() {
    KVD_LOG_CALL();
    m_sizeSpin->SetBuddy(nullptr);
}

int DlgLineSettings::DoModal() {
    KVD_LOG_CALL();
    return ShowModal() == wxID_OK ? ORQ::IDOK : ORQ::IDCANCEL;
}

void DlgLineSettings::CreateControls() {
    auto *columns = new wxBoxSizer(wxHORIZONTAL);
    columns->Add(CreateLayerRows(), 0, wxALL, 8);
    columns->Add(CreateStyleGroups(), 0, wxTOP | wxRIGHT | wxBOTTOM, 8);

    auto *buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, IDC_LS_DEFAULTS, "Defaults"), 0, wxRIGHT, 6);
    auto *preview = new wxButton(this, IDC_LS_PREVIEW_BUTTON, "Preview");
    // Without a document behind the parent there is nothing to preview on.
    preview->Enable(FrameDocument() != nullptr);
    buttons->Add(preview, 0, wxRIGHT, 18);
    buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxRIGHT, 6);
    buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));

    auto *top = new wxBoxSizer(wxVERTICAL);
    top->Add(columns);
    top->Add(buttons, 0, wxALL | wxALIGN_RIGHT, 8);
    SetSizerAndFit(top);
}

wxSizer *DlgLineSettings::CreateLayerRows() {
    // The "Trace GPS Position:" rows are not offered: the dialog always hides that layer.
    auto *rows = new wxFlexGridSizer(4, 4, 6);
    bool firstRadio = true;
    int mark = 0;
    for (int kind : {LINE_KIND_LOCAL_XY, LINE_KIND_RAW_GPS, LINE_KIND_WHISKERS}) {
        m_layerChecks[kind] = new wxCheckBox(this, LayerCheckId(kind), LineSettingsKindLabel(kind));
        rows->Add(m_layerChecks[kind], 0, wxTOP, kind == LINE_KIND_LOCAL_XY ? 0 : 6);
        for (int i = 0; i < 3; ++i)
            rows->AddSpacer(0);
        for (int state = 0; state < 2; ++state) {
            const int entry = 2 * kind + state;
            rows->Add(new wxStaticText(this, wxID_ANY, kStateLabels[state]), 0,
                      wxALIGN_CENTER_VERTICAL | wxLEFT, 16);
            m_previews[entry] =
                new CLinePreviewField(this, IDC_LS_PREVIEW_FIRST + entry, m_logic, entry);
            rows->Add(m_previews[entry], 0, wxALIGN_CENTER_VERTICAL);
            m_radios[entry] =
                new wxRadioButton(this, IDC_LS_RADIO_FIRST + entry, "", wxDefaultPosition,
                                  wxDefaultSize, firstRadio ? wxRB_GROUP : 0);
            firstRadio = false;
            m_radios[entry]->Enable(LineSettingsLogic::IsEntryEditable(entry));
            rows->Add(m_radios[entry], 0, wxALIGN_CENTER_VERTICAL);
            m_editMarks[mark] = new wxStaticText(this, IDC_LS_EDIT_MARK_FIRST + mark, "-Edit->-");
            rows->Add(m_editMarks[mark], 0, wxALIGN_CENTER_VERTICAL);
            ++mark;
        }
    }
    return rows;
}

wxSizer *DlgLineSettings::CreateStyleGroups() {
    auto colourField = [this](int id) {
        return new wxPanel(this, id, wxDefaultPosition, kStyleControlSize, wxBORDER_SIMPLE);
    };
    auto labelled = [this](wxFlexGridSizer *grid, const char *label, wxWindow *control,
                           wxWindow *extra) {
        grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
        control->SetMinSize(kStyleControlSize);
        grid->Add(control, 0, wxALIGN_CENTER_VERTICAL);
        if (extra)
            grid->Add(extra, 0, wxALIGN_CENTER_VERTICAL);
        else
            grid->AddSpacer(0);
    };

    auto *lineGroup = new wxStaticBoxSizer(wxVERTICAL, this, "Line");
    auto *line = new wxFlexGridSizer(3, 6, 6);
    m_lineStyle =
        new CPickerLineStyle(this, IDC_LS_LINE_STYLE, wxDefaultPosition, kStyleControlSize);
    m_lineColour = colourField(IDC_LS_LINE_COLOUR);
    m_lineWidth =
        new CPickerLineWidth(this, IDC_LS_LINE_WIDTH, wxDefaultPosition, kStyleControlSize);
    labelled(line, "Style:", m_lineStyle, nullptr);
    labelled(line, "Color:", m_lineColour,
             new wxButton(this, IDC_LS_LINE_COLOUR_BUTTON, "...", wxDefaultPosition, wxDefaultSize,
                          wxBU_EXACTFIT));
    labelled(line, "Weight:", m_lineWidth, nullptr);
    lineGroup->Add(line, 0, wxALL, 6);

    auto *markerGroup = new wxStaticBoxSizer(wxVERTICAL, this, "Marker");
    auto *marker = new wxFlexGridSizer(3, 6, 6);
    m_markerStyle =
        new CPickerMarkerStyle(this, IDC_LS_MARKER_STYLE, wxDefaultPosition, kStyleControlSize);
    m_markerColour = colourField(IDC_LS_MARKER_COLOUR);
    labelled(marker, "Style:", m_markerStyle, nullptr);
    labelled(marker, "Color:", m_markerColour,
             new wxButton(this, IDC_LS_MARKER_COLOUR_BUTTON, "...", wxDefaultPosition,
                          wxDefaultSize, wxBU_EXACTFIT));
    auto *size = new wxBoxSizer(wxHORIZONTAL);
    m_sizeEdit = new wxTextCtrl(this, IDC_LS_MARKER_SIZE, "", wxDefaultPosition, wxSize(50, -1));
    m_sizeSpin = new CNumSpinCtrl(this, IDC_LS_MARKER_SPIN);
    size->Add(m_sizeEdit, 0, wxALIGN_CENTER_VERTICAL);
    size->Add(m_sizeSpin, 0, wxALIGN_CENTER_VERTICAL);
    marker->Add(new wxStaticText(this, wxID_ANY, "Size:"), 0, wxALIGN_CENTER_VERTICAL);
    marker->Add(size, 0, wxALIGN_CENTER_VERTICAL);
    marker->Add(new wxStaticText(this, wxID_ANY, "pts"), 0, wxALIGN_CENTER_VERTICAL);
    markerGroup->Add(marker, 0, wxALL, 6);

    // Whole marker sizes from 1 to 20, written as they are.
    m_sizeSpin->SetBuddy(m_sizeEdit);
    m_sizeSpin->SetDecimalPlaces(0);
    m_sizeSpin->SetTrimTrailingZeros(0);
    m_sizeSpin->SetRangeAndDelta(kMinMarkerSize, kMaxMarkerSize, 1);

    auto *groups = new wxBoxSizer(wxVERTICAL);
    groups->Add(lineGroup, 0, wxEXPAND | wxBOTTOM, 8);
    groups->Add(markerGroup, 0, wxEXPAND);
    return groups;
}

void DlgLineSettings::UpdateControls() {
    KVD_LOG_CALL();
    m_updating = true;
    const SLineDisplayTable &table = m_logic.GetTable();
    for (int kind = 0; kind < LINE_KIND_COUNT; ++kind)
        if (m_layerChecks[kind])
            m_layerChecks[kind]->SetValue(table.LayerShown[kind]);
    const int current = m_logic.GetCurrentEntry();
    if (m_radios[current])
        m_radios[current]->SetValue(true);
    RedrawPreview();
    const SLineDisplayEntry &entry = m_logic.Current();
    m_lineStyle->SetLineStyle(entry.LineStyle);
    m_lineWidth->SetLineWidth(static_cast<float>(entry.LineWidth));
    m_markerStyle->SetMarkerStyle(entry.MarkerStyle);
    m_sizeSpin->SetPos(entry.MarkerSize);
    const int shownMark = LineSettingsLogic::EditMarkIndex(current);
    for (size_t i = 0; i < m_editMarks.size(); ++i)
        m_editMarks[i]->Show(static_cast<int>(i) == shownMark);
    m_updating = false;
}

void DlgLineSettings::RedrawPreview() {
    const SLineDisplayEntry &entry = m_logic.Current();
    m_lineColour->SetBackgroundColour(ToColour(entry.LineColour));
    m_markerColour->SetBackgroundColour(ToColour(entry.MarkerColour));
    m_lineColour->Refresh();
    m_markerColour->Refresh();
    for (CLinePreviewField *field : m_previews)
        if (field)
            field->Refresh(false);
}

void DlgLineSettings::OnRadio(wxCommandEvent &event) {
    KVD_LOG_CALL();
    if (m_logic.SelectEntry(event.GetId() - IDC_LS_RADIO_FIRST))
        UpdateControls();
}

void DlgLineSettings::OnLayerCheck(wxCommandEvent &event) {
    KVD_LOG_CALL();
    for (int kind = 0; kind < LINE_KIND_COUNT; ++kind)
        if (event.GetId() == LayerCheckId(kind))
            m_logic.ToggleLayer(kind);
    RedrawPreview();
}

void DlgLineSettings::OnPicker(wxCommandEvent &event) {
    KVD_LOG_CALL();
    if (m_updating || event.GetInt() != PickerNotify::ValueChanged)
        return;
    switch (event.GetId()) {
    case IDC_LS_LINE_STYLE:
        m_logic.SetLineStyle(m_lineStyle->GetLineStyle());
        break;
    case IDC_LS_LINE_WIDTH:
        // The table holds whole pixels: the picker shows what is stored.
        m_lineWidth->SetLineWidth(
            static_cast<float>(m_logic.SetLineWidth(m_lineWidth->GetLineWidth())));
        break;
    case IDC_LS_MARKER_STYLE:
        m_logic.SetMarkerStyle(m_markerStyle->GetMarkerStyle());
        break;
    default:
        return;
    }
    RedrawPreview();
}

bool DlgLineSettings::ChooseColour(wxWindow *parent, uint32_t &colour) {
    if (s_colourChooser)
        return s_colourChooser(parent, colour);
    wxColourData data;
    data.SetChooseFull(true);
    data.SetColour(ToColour(colour));
    wxColourDialog dialog(parent, &data);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    colour = FromColour(dialog.GetColourData().GetColour());
    return true;
}

void DlgLineSettings::SetColourChooser(ColourChooser chooser) {
    s_colourChooser = std::move(chooser);
}

void DlgLineSettings::OnColourButton(wxCommandEvent &event) {
    KVD_LOG_CALL();
    const bool line = event.GetId() == IDC_LS_LINE_COLOUR_BUTTON;
    const SLineDisplayEntry &entry = m_logic.Current();
    uint32_t colour = line ? entry.LineColour : entry.MarkerColour;
    if (!ChooseColour(this, colour))
        return;
    if (line)
        m_logic.SetLineColour(colour);
    else
        m_logic.SetMarkerColour(colour);
    RedrawPreview();
}

void DlgLineSettings::OnSizeText(wxCommandEvent &event) {
    event.Skip(); // the spin control follows the text too
    if (m_updating)
        return;
    KVD_LOG_CALL();
    // The shared check corrects the field (and names the range) first; the size is taken from
    // what the field holds then.
    const bool corrected =
        !ValidateNumericEdit(m_sizeEdit, false, kMinMarkerSize, kMaxMarkerSize, 0);
    const SMarkerSizeEdit edit = m_logic.SetMarkerSizeText(FromWx(m_sizeEdit->GetValue()));
    if (corrected && !m_sizeEdit->IsEmpty()) {
        m_updating = true;
        m_sizeSpin->SetPos(edit.size);
        m_sizeEdit->SetSelection(-1, -1);
        m_updating = false;
    }
    RedrawPreview();
}

IGridDocument *DlgLineSettings::FrameDocument() const {
    auto *frame = dynamic_cast<wxDocChildFrameAnyBase *>(m_parentFrame);
    auto *doc = dynamic_cast<IGridDocument *>(frame ? frame->GetDocument() : nullptr);
    return doc && doc->GetMapperSettings() ? doc : nullptr;
}

void DlgLineSettings::OnPreview(wxCommandEvent &) {
    KVD_LOG_CALL();
    IGridDocument *doc = FrameDocument();
    if (!doc)
        return;
    doc->GetMapperSettings()->LineDisplay = m_logic.GetTable();
    doc->UpdateAllViewsWithHint(nullptr, LINE_SETTINGS_HINT);
    m_parentFrame->Refresh();
}

void DlgLineSettings::OnDefaults(wxCommandEvent &) {
    KVD_LOG_CALL();
    m_logic.Defaults();
    UpdateControls();
}
