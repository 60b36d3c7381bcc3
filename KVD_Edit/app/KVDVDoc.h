#pragma once

#include "KVD_Edit/GPSINFO/LocalWorldDef.h"
#include "KVD_Edit/app/FocusEntryList.h"
#include "KVD_Edit/app/KvdGprDataFiles.h"
#include "KVD_Edit/app/MapperSettings.h"

#include <wx/docview.h>

#include <functional>
#include <memory>
#include <string>

class IProjectFrame;
class wxWindow;

// The number a view update carries: 2 lines imported or deleted, 3 display changed (unit,
// fiducial switches), 7737 selection changed.
class CKVDViewHint : public wxObject {
public:
    explicit CKVDViewHint(int hint) : m_hint(hint) {}
    int GetHint() const { return m_hint; }
    // The number of an update's hint object; 0 when it carries none.
    static int Of(const wxObject *hint);

private:
    int m_hint;
};

// The modeless local-to-world dialog as the document drives it.
class ILocalWorldDialog {
public:
    virtual ~ILocalWorldDialog() = default;
    // The definition the dialog works on.
    virtual const SLocalWorldDef &GetWorkingDefinition() const = 0;
    virtual void SetUnit(int unit) = 0;
    virtual void StorePreviewState() = 0;
    // Minimised, waiting for a click in the plan view.
    virtual bool IsSelectingInView() const = 0;
    virtual void ShowRestored() = 0;
    // Destroys the dialog's window.
    virtual void DestroyDialog() = 0;
};

// The questions the document asks through dialogs; replaced in window tests.
class IDocumentDialogs {
public:
    virtual ~IDocumentDialogs() = default;
    // "Please select new KVD file name and location"; false when cancelled.
    virtual bool AskNewProjectPath(std::string &path) = 0;
    // The save dialog starting in folder; false when cancelled.
    virtual bool AskSaveAsPath(const std::string &folder, std::string &path) = 0;
    // Runs the line display settings dialog on table; true for OK.
    virtual bool RunLineSettings(wxWindow *parent, SLineDisplayTable &table) = 0;
};

// The document of one open grid project: it owns the project data holder, the selection and
// the editor's settings record, creates projects from the template, opens and saves them and
// handles the View and Edit commands that concern the whole project. The project file is read
// and written only through the holder; the framework's stream serialisation never runs.
class CKVDVDoc : public wxDocument, public IFocusListOwner {
public:
    using LocalWorldDialogFactory = std::function<std::unique_ptr<ILocalWorldDialog>(
        CKVDVDoc &doc, wxWindow *parent, SLocalWorldDef &definition, bool hasGPSData)>;

    CKVDVDoc();
    ~CKVDVDoc() override;

    // Framework overrides.
    bool OnNewDocument() override;
    bool OnOpenDocument(const wxString &file) override;
    bool OnCloseDocument() override;
    bool OnSaveModified() override;
    bool Save() override;
    bool SaveAs() override;
    // Rebuilds the window title from the display unit and the project's path; the text the
    // framework proposes is ignored.
    void SetTitle(const wxString &ignored = wxString());
    void OnChangeFilename(bool notifyViews) override;

    // The child frame (parent frame of the first view), null without a view.
    wxWindow *GetFrame() const;
    IProjectFrame *GetProjectFrame() const;

    int GetUnits() const { return m_units; }
    void SetUnits(int unit);
    void SetFiducialsPresent(bool value);
    bool GetFiducialsPresent() const { return m_fiducialsPresent; }
    bool GetShowFiducials() const { return m_showFiducials; }
    bool GetShowFiducialText() const { return m_showFiducialText; }
    bool IsSelectingInView() const;

    void OnDisplayunitsMeters();
    void OnDisplayunitsFeet();
    void OnZoomFit();
    void OnLocalWorldDefinition();
    void OnLineSettings();
    // Modes 0 or 1078 preview, 1 OK, 2 Cancel, 1065 compute from GPS.
    void ApplyLocalWorldDefinition(int mode);
    void SetLocalWorldUnit(int unit);

    bool OnFileNew();
    // True when written.
    bool OnFileSave();
    bool OnFileSaveAs();
    bool CheckKVDFileOwnerCreation();
    bool AddModifyBlock();
    std::string GetFileComment() const;

    CKvdGprDataFiles &GetDataFiles() { return m_dataFiles; }
    CFocusEntryList &GetFocusList() { return m_focusList; }
    CMapperSettings &GetMapperSettings() { return *m_settings; }

    // Views hear of a change with the hint number.
    void UpdateAllViewsWithHint(wxView *sender, int hint) override;

    // Set by the program (and by window tests) to supply dialogs; the default shows the
    // toolkit's file dialogs.
    static void SetDialogs(IDocumentDialogs *dialogs);
    static void SetLocalWorldDialogFactory(LocalWorldDialogFactory factory);

protected:
    // The framework's stream load and save: never used for project files.
    bool DoOpenDocument(const wxString &file) override;
    bool DoSaveDocument(const wxString &file) override;
    bool OnSaveDocument(const wxString &file) override;

private:
    void CommandUi(wxUpdateUIEvent &event);
    void OnCommand(wxCommandEvent &event);
    std::string ExeDir() const;

    int m_units = 1;
    bool m_fiducialsPresent = false;
    bool m_showFiducialText = true;
    bool m_showFiducials = true;
    std::unique_ptr<CMapperSettings> m_settings;
    CKvdGprDataFiles m_dataFiles;
    CFocusEntryList m_focusList;
    std::unique_ptr<ILocalWorldDialog> m_localWorldDialog;
    int m_newFileFlag = 0;
    SLocalWorldDef m_savedDefinition;

    wxDECLARE_DYNAMIC_CLASS(CKVDVDoc);
};
