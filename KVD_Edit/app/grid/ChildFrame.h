#pragma once

#include "KVD_Edit/app/edit/EditEngine.h"
#include "KVD_Edit/app/grid/GridInfo.h"
#include "KVD_Edit/app/grid/GridRowBuilder.h"
#include "KVD_Edit/app/grid/ProjectFrame.h"
#include "KVD_Edit/app/grid/SplitterLayout.h"
#include "KVD_Edit/app/shell/SplashDlg.h"

#include "orq_utils/Measure.h"
#include "orq_utils/Str.h"

#include <wx/docmdi.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CEditSetup;
class CKVDVDoc;
class IGridDocument;
class KVDGridView;
class wxMenu;
class wxSplitterWindow;
class wxSizeEvent;
class wxUpdateUIEvent;
class wxCommandEvent;
class wxCloseEvent;

namespace ORQ {
class CKVDXmlFile;
} // namespace ORQ

// The frame of one open project inside the main frame: a one-row, two-pane splitter with the
// line grid (KVDGridView) on the left and the plan view on the right. It builds the grid rows
// from the project, keeps the row selection across reloads, selects and deselects all lines,
// attaches GPS and topography files to rows, runs the editing dialog over the selected rows
// and keeps the splitter layout in the INI file. The document reaches it through IProjectFrame.
class CChildFrame : public wxDocMDIChildFrame, public IProjectFrame {
public:
    CChildFrame(wxDocument *doc, wxView *view, wxMDIParentFrame *parent);
    ~CChildFrame() override;

    // The frame's document, and what the grid needs of it (null while it offers nothing).
    CKVDVDoc *GetKVDVDoc() const;
    IGridDocument *GetGridDocument() const;
    // The document's open project file; null when none is open.
    ORQ::CKVDXmlFile *GetKvdFilePtr() const;

    wxSplitterWindow *GetSplitter() const { return m_splitter; }
    // The two panes of the splitter: (0, 0) the grid, (0, 1) the plan view.
    wxWindow *GetGridPane() const;
    wxWindow *GetPlanPane() const;
    // Puts a window (a child of the splitter) into a pane in place of what is there.
    void ReplacePane(int column, wxWindow *window);
    // The grid view of pane (0, 0); null once it is gone.
    KVDGridView *GetGridView() const { return m_gridView; }
    // The grid name of every row, in row order (empty without a grid view): the names the
    // import dialog offers.
    std::vector<std::string> RowGridNames() const;
    void GridViewGone(KVDGridView *view);

    // Rebuilds every grid row from the project (already open: the document's project file as
    // it is; else the file is read anew from path). With reportErrors the collected problems
    // are shown and the first line's header sets the display unit.
    void LoadKVD(const std::string &path, bool alreadyOpen, bool reportErrors) override;
    // The reloads of commands 32774 and 32792: they keep the row selection.
    void ReloadDOMReportNoErrors() override;
    void LoadDOMReportErrors();

    // Selection commands (32805, 32866).
    void SelectAllLines();
    void DeselectAllLines();
    // A copy of a row with its lengths in the document's display unit (its unit field keeps
    // the row's own unit).
    void GetGridInfoRow(SGridInfo &out, int row) const;
    int GetNumRows() const override;
    // The plan view of the right-hand pane (the frame's own view); null while there is none.
    IPlanViewCommands *GetPlanView() override;
    // Loads a GPS (kind 11) or topography file for one row; without a path the user picks one
    // below the project folder. True when attached.
    bool AttachGPSOrTopoFile(const char *path, SGridInfo &row, int kind, ORQ::CStr &errors);
    // The GPS question of the current load: 1 import, 0 not.
    int AskImportGps();

    // Line import, deletion of the selected lines and fiducial re-import of every row: true
    // when the project changed.
    bool Import();
    bool DeleteKVDEntries();
    // headers, when given, holds the headers the reload just read (while FileReplacementsBegun
    // stood at filesWrittenAtRead), by the rows' data file names: they are not read again, and
    // the reload this posts takes them over. Rows whose files cannot be read or disagree keep their
    // comments; reportKept shows one message naming them (a load has named their files already).
    bool UpdateFidDetails(RowHeaders *headers = nullptr, unsigned long filesWrittenAtRead = 0,
                          bool reportKept = false);

    // The edit request the editing dialog fills and the edit engine carries out.
    using EditData = SEditData;
    // The Edit command (32796): with the dialog open, refreshes it from the selection; else,
    // with at least one row selected and no point pick waiting, runs the dialog over the
    // selected rows (a Cancel reloads the grid and sets the display unit again).
    void OnEditKVD();
    // Command 32797, sent by the dialog after it saved a restore point: every selected row is
    // written back from the edit request, then the grid reloads keeping the selection.
    void UpdateViewAndGridFromEditDlg();
    // Whether the Edit command may run now.
    bool CanEditLines() const;
    CEditEngine &GetEditEngine() { return m_editEngine; }
    // The open editing dialog; null when none.
    CEditSetup *GetEditDialog() const { return m_editDlg; }

    // Bit 1: lines were imported; bit 2: lines were deleted.
    int GetChangeFlags() const override { return m_changeFlags; }
    const std::string &GetProjectPath() const { return m_projectPath; }
    ORQ::EUnitType GetUnit() const { return m_unit; }

    // The project folder: the project path up to its last separator.
    std::string GetProjectFolder() const;

    static constexpr int kGpsKind = 11;

protected:
    // A command reads the grid's selection: the document's, which the plan view draws, takes
    // it over first.
    bool TryBefore(wxEvent &event) override;

private:
    void SetAllLinesSelected(bool selected);
    class CPlanCommands;

    void CreateClient();
    // Fits the stored layout to the splitter's new width, until the person moves the sash.
    void OnSplitterSize(wxSizeEvent &event);
    void StoreLayout();
    void SaveSelection();
    void RestoreSelection();
    // The selection key (CGridRowBuilder::SelectionKey) of every row, in row order.
    std::vector<std::string> RowSelectionKeys() const;
    // After an import or deletion: the query interface rebuilt, the views told, the hint shown.
    void AfterLinesChanged();

    void OnClose(wxCloseEvent &event);
    void OnImportLines(wxCommandEvent &event);
    void OnDeleteLines(wxCommandEvent &event);
    void OnSelectAll(wxCommandEvent &event);
    void OnDeselectAll(wxCommandEvent &event);
    void OnImportFiducials(wxCommandEvent &event);
    void OnReloadNoErrors(wxCommandEvent &event);
    void OnReloadReportErrors(wxCommandEvent &event);
    void OnRefreshEditDlg(wxCommandEvent &event);
    void OnEditCommand(wxCommandEvent &event);
    void OnUpdateEditKVD(wxUpdateUIEvent &event);
    void OnUpdateFromEditDlg(wxCommandEvent &event);
    void OnKVDEditExit(wxCommandEvent &event);
    // F6 and Shift+F6: the keyboard moves to the other pane (of two, next and previous are one).
    void OnNextPane(wxCommandEvent &event);
    void OnUpdateImport(wxUpdateUIEvent &event);
    void OnUpdateDelete(wxUpdateUIEvent &event);

    wxSplitterWindow *m_splitter = nullptr;
    KVDGridView *m_gridView = nullptr;
    wxMenu *m_historyMenu = nullptr;
    std::string m_projectPath;
    int m_changeFlags = 0;
    double m_lastOffsetX = 0;
    double m_lastOffsetY = 0;
    double m_lastLineSpacing = 0;
    std::vector<std::string> m_savedSelection;
    std::string m_savedCurrentRow; // the key of the row the keyboard stood on
    bool m_selectionSaved = false;
    ORQ::EUnitType m_unit = ORQ::UNIT_M;
    int m_gpsImportAnswer = 0;
    std::string m_reportedErrors;     // of the last load with error report, while the next one is
                                      // the reload it posted
    CCarriedHeaders m_carriedHeaders; // for the reload the fiducial renewal posted
    bool m_layoutStored = false;
    // The layout read from the INI file, and whether the sash still follows it.
    SSplitterLayout m_storedLayout;
    bool m_fitLayout = false;
    std::unique_ptr<CPlanCommands> m_planCommands;
    CHintSlot m_hint;
    CEditEngine m_editEngine;
    CEditSetup *m_editDlg = nullptr; // the dialog while it runs (it lives in OnEditKVD)
};
