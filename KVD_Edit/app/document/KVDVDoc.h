#pragma once

#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/GPSINFO/LocalWorldDef.h"
#include "KVD_Edit/app/document/FocusEntryList.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/grid/GridDocument.h"
#include "KVD_Edit/planview/PlanViewDocument.h"

#include <wx/docview.h>

#include <functional>
#include <memory>
#include <string>

class CGpsCommands;
class CLineNodes;
class IProjectFrame;
class wxWindow;

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
    // The save dialog starting in the folder of the project at currentPath, with its file name
    // filled in; false when cancelled.
    virtual bool AskSaveAsPath(const std::string &currentPath, std::string &path) = 0;
    // Runs the line display settings dialog on table; true for OK.
    virtual bool RunLineSettings(wxWindow *parent, SLineDisplayTable &table) = 0;
};

// The document of one open grid project: it owns the project data holder, the selection, the
// GPS data of the lines and the editor's settings record, creates projects from the template,
// opens and saves them and handles the View and Edit commands that concern the whole project.
// The project file is read and written only through the holder; the framework's stream
// serialisation never runs. Views learn what changed from the number of the update's hint
// object (CViewHint::Of, KVD_Edit/app/KVDGridView.h): 2 lines imported or deleted, 3 display
// changed (unit, fiducial switches), 7737 selection changed.
//
// The GPS data's definition is always the settings record's own, so every edit of the
// definition (its ellipsoid included) is seen by the GPS data and the plan view at once.
class CKVDVDoc : public wxDocument,
                 public IGridDocument,
                 public IPlanViewDocument,
                 public IFocusListOwner {
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
    // What the document asks of its frame and plan view; null without a frame.
    IProjectFrame *GetProjectFrame() const;

    ORQ::EUnitType GetUnits() const override { return m_units; }
    // Stores the display unit and rebuilds the window title.
    void SetUnits(ORQ::EUnitType unit) override;
    // Sets both the fiducials-present flag and the fiducial-text switch.
    void SetFiducialsPresent(bool value) override;
    bool GetFiducialsPresent() const { return m_fiducialsPresent; }
    bool GetShowFiducials() const override { return m_showFiducials; }
    bool GetShowFiducialText() const override { return m_showFiducialText; }
    // True while the local-to-world dialog waits for a click in the plan view.
    bool IsSelectingInView() const override;
    void SetModifiedFlag() override { Modify(true); }
    bool GetModifiedFlag() const override { return IsModified(); }
    void ClearModifiedFlag() override { Modify(false); }

    void OnDisplayunitsMeters();
    void OnDisplayunitsFeet();
    void OnZoomFit();
    // The plan view zooms so that all lines fit its window (the same as "Fit to Window").
    void FitToWindow() { OnZoomFit(); }
    void OnLocalWorldDefinition();
    void OnLineSettings();
    // "GPS Format": the GPS display configuration of the project, and with it the ellipsoid of
    // every conversion.
    void OnEditGpsFormat();
    // Modes 0 or 1078 preview, 1 OK, 2 Cancel, 1065 compute from GPS.
    void ApplyLocalWorldDefinition(int mode);
    void SetLocalWorldUnit(ORQ::EUnitType unit);

    bool OnFileNew();
    // True when written.
    bool OnFileSave();
    bool OnFileSaveAs();
    bool CheckKVDFileOwnerCreation();
    bool AddModifyBlock();
    std::string GetFileComment() const;

    // What the document owns; never null.
    CKvdGprDataFiles *GetDataFiles() override { return &m_dataFiles; }
    CFocusEntryList *GetFocusList() override { return &m_focusList; }
    CGPSInfo *GetGPSInfo() override { return &m_gpsInfo; }
    CMapperSettings *GetMapperSettings() override { return m_settings.get(); }

    // Views hear of a change with the hint number.
    void UpdateAllViewsWithHint(wxView *sender, int hint) override;

    // The GPS and topography commands (CGpsCommands). The two row calls come from a grid load
    // for the row it is building: they attach (the file beside the line) or recover (from the
    // trace headers) without rebuilding the query interface or reloading. The handlers work on
    // the selected rows and reload the grid.
    bool AttachDataFile(int kind, const char *path, SGridInfo &row) override;
    void RecoverDataFile(int kind, SGridInfo &row) override;
    void OnEditGpsAttach() override;
    void OnEditGpsDetach() override;
    void OnEditGpsMerge();
    void OnEditGpsRemove();
    void OnEditGpsRecover();
    void OnEditTopoAttach() override;
    void OnEditTopoDetach() override;
    void OnEditTopoMerge();
    void OnEditTopoRemove();
    void OnEditTopoMergeGpsElevation();
    void OnEditTopoRecover();

    // Set by the program (and by window tests) to supply dialogs; the default shows the
    // toolkit's file dialogs.
    static void SetDialogs(IDocumentDialogs *dialogs);
    // The local-to-world dialog's factory; null puts back the program's dialog.
    static void SetLocalWorldDialogFactory(LocalWorldDialogFactory factory);

protected:
    // The framework's stream load and save: never used for project files.
    bool DoOpenDocument(const wxString &file) override;
    bool DoSaveDocument(const wxString &file) override;
    bool OnSaveDocument(const wxString &file) override;

private:
    class CGpsHost;

    // Runs a GPS or topography command on the frame's rows (nothing while the local-to-world
    // dialog waits for a point).
    void RunGpsCommand(const std::function<void(CGpsCommands &)> &command);
    // The index of the project's lines for the GPS commands, built again once the project was
    // edited (the holder's generation changed); null without a project.
    const CLineNodes *LineNodes();
    void DropLineNodes();
    void CommandUi(wxUpdateUIEvent &event);
    void OnCommand(wxCommandEvent &event);
    std::string ExeDir() const;

    ORQ::EUnitType m_units = ORQ::UNIT_M;
    bool m_fiducialsPresent = false;
    bool m_showFiducialText = true;
    bool m_showFiducials = true;
    std::unique_ptr<CMapperSettings> m_settings;
    // Holds a pointer to the settings record's definition: it goes before the record.
    CGPSInfo m_gpsInfo{0};
    CKvdGprDataFiles m_dataFiles;
    CFocusEntryList m_focusList;
    // Goes before the holder whose file it indexes.
    std::unique_ptr<CLineNodes> m_lineNodes;
    unsigned m_lineNodesGeneration = 0;
    unsigned m_lineNodesFileGeneration = 0;
    std::unique_ptr<ILocalWorldDialog> m_localWorldDialog;
    int m_newFileFlag = 0;
    SLocalWorldDef m_savedDefinition;

    wxDECLARE_DYNAMIC_CLASS(CKVDVDoc);
};
