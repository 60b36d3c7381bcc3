#pragma once

// "Line Display Settings": the modal dialog in which the user chooses, per plan layer, whether it
// is shown and how its active (selected) and inactive lines are drawn. It edits a copy of a line
// display table; after OK the caller reads the edited table with GetTable. "Preview" hands the
// dialog's table to the document of the parent frame at once, so that the plan view draws with
// it; the caller undoes that when the dialog ends otherwise than with a change accepted.
// The decisions are LineSettingsLogic's.

#include "KVD_Edit/planview/LineSettingsLogic.h"

#include <wx/dialog.h>

#include <array>
#include <functional>

class CLinePreviewField;
class IGridDocument;
class CNumSpinCtrl;
class CPickerLineStyle;
class CPickerLineWidth;
class CPickerMarkerStyle;
class wxCheckBox;
class wxPanel;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

class DlgLineSettings : public wxDialog {
public:
    DlgLineSettings(wxWindow *parent, const SLineDisplayTable &table);
    ~DlgLineSettings() override;

    // Runs the dialog; ORQ::IDOK or ORQ::IDCANCEL.
    int DoModal();
    // The dialog's table: the edited one after OK.
    const SLineDisplayTable &GetTable() const { return m_logic.GetTable(); }
    const LineSettingsLogic &GetLogic() const { return m_logic; }

    // Asks for a colour starting at colour (red in the low byte); true with the chosen one in
    // colour. The toolkit's colour dialog unless a chooser is set (window tests set one: the
    // native chooser cannot be driven); an empty chooser brings the dialog back.
    using ColourChooser = std::function<bool(wxWindow *parent, uint32_t &colour)>;
    static void SetColourChooser(ColourChooser chooser);
    static bool ChooseColour(wxWindow *parent, uint32_t &colour);

private:
    void CreateControls();
    wxSizer *CreateLayerRows();
    wxSizer *CreateStyleGroups();
    void UpdateControls();
    void RedrawPreview();
    // The document of the parent frame, whose settings a Preview changes; null without one.
    IGridDocument *FrameDocument() const;

    void OnRadio(wxCommandEvent &event);
    void OnLayerCheck(wxCommandEvent &event);
    void OnPicker(wxCommandEvent &event);
    void OnColourButton(wxCommandEvent &event);
    void OnSizeText(wxCommandEvent &event);
    void OnPreview(wxCommandEvent &event);
    void OnDefaults(wxCommandEvent &event);

    static ColourChooser s_colourChooser;

    LineSettingsLogic m_logic;
    wxWindow *m_parentFrame;
    // Set while the controls are being set from the table: their notices are not edits.
    bool m_updating = false;

    std::array<wxCheckBox *, LINE_KIND_COUNT> m_layerChecks{};
    std::array<CLinePreviewField *, SLineDisplayTable::kEntryCount> m_previews{};
    std::array<wxRadioButton *, SLineDisplayTable::kEntryCount> m_radios{};
    std::array<wxStaticText *, 6> m_editMarks{};
    CPickerLineStyle *m_lineStyle = nullptr;
    CPickerLineWidth *m_lineWidth = nullptr;
    CPickerMarkerStyle *m_markerStyle = nullptr;
    wxPanel *m_lineColour = nullptr;
    wxPanel *m_markerColour = nullptr;
    wxTextCtrl *m_sizeEdit = nullptr;
    CNumSpinCtrl *m_sizeSpin = nullptr;
};
