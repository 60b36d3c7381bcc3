#include "KVD_Edit/app/grid/ChildFrame.h"

#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/app/document/FocusEntryList.h"
#include "KVD_Edit/app/document/GpsCommands.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/grid/GridDocument.h"
#include "KVD_Edit/app/grid/GridRowBuilder.h"
#include "KVD_Edit/app/grid/GridRowFormatter.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/lines/ImportDlg.h"
#include "KVD_Edit/app/lines/LineDeleter.h"
#include "KVD_Edit/app/lines/LineImporter.h"
#include "KVD_Edit/app/lines/RowWriteBack.h"
#include "KVD_Edit/app/lines/SCFileDialog.h"
#include "KVD_Edit/app/shell/BusyIndicator.h"
#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/CommandIds.h"

#include "Tamsel/Tamsel.h"
#include "orq_utils/MessageSink.h"

#include <wx/utils.h>

#include <algorithm>
#include <optional>
#include <vector>

// Line import, line deletion, fiducial re-import and the row write-back of the child frame:
// the frame gathers what the windows and the document hold and hands it to the plain classes
// that decide and write.

namespace {

// The windows and document services one import uses.
class CFrameImportHost : public IImportHost {
public:
    CFrameImportHost(CChildFrame &frame, IGridDocument &doc) : m_frame(frame), m_doc(doc) {}

    bool ChooseFiles(const std::string &folder, const std::string &filter,
                     std::vector<std::string> &paths, int &filterIndex) override {
        char index = 0;
        SCFileDialog dialog(true, "dt1", "", wxFD_MULTIPLE | wxFD_FILE_MUST_EXIST, filter.c_str(),
                            &index, &m_frame, folder);
        if (!dialog.DoModal())
            return false;
        paths = dialog.GetPathList();
        filterIndex = index;
        return true;
    }
    bool RunImportDialog(int setsSupported, ImportLineType &record, int preselect) override {
        ImportDlg dialog(setsSupported, &record, m_frame.RowGridNames(),
                         static_cast<char>(preselect), &m_frame);
        return dialog.DoModal() == 1;
    }
    // The import starts over from no GPS data, but only once the lines are about to be
    // written: an import cancelled or refused before that leaves the GPS data, and with it the
    // cursor's world coordinates, as they were.
    void ClearGps() override { m_clearGps = true; }
    void ClearAutoImport() override {
        if (CMapperSettings *settings = m_doc.GetMapperSettings())
            settings->AutoImport = false;
    }
    void BeginWait() override {
        if (CGPSInfo *gps = m_clearGps ? m_doc.GetGPSInfo() : nullptr)
            gps->Clear();
        m_clearGps = false;
        m_busy.emplace();
    }
    void EndWait() override { m_busy.reset(); }

    std::string AttachGps(const SImportedLine &line, const std::string &gpsPath) override {
        return m_gpsSteps.AttachGps(m_frame.GetKvdFilePtr(), m_doc.GetGPSInfo(), line, gpsPath);
    }
    void WriteGpsFromTraces(const SImportedLine &line, double stepMetres) override {
        CImportGpsSteps::WriteGpsFromTraces(line, stepMetres);
    }

private:
    CChildFrame &m_frame;
    IGridDocument &m_doc;
    CImportGpsSteps m_gpsSteps;
    bool m_clearGps = false;
    std::optional<CBusyLevel> m_busy;
};

// The headers of the grid's rows by row, looked up in one pass before the rows are worked on: the
// lookups then follow one another instead of each waiting after a row's file reads.
std::vector<const RowHeaders::value_type *> HeadersOfRows(const KVDGridView &grid,
                                                          const RowHeaders *headers) {
    std::vector<const RowHeaders::value_type *> found;
    if (!headers)
        return found;
    found.resize(static_cast<size_t>(std::max(grid.GetNumRows(), 0)), nullptr);
    for (size_t i = 0; i < found.size(); ++i)
        if (const SGridInfo *row = grid.GetRowInfo(static_cast<int>(i))) {
            const auto at = headers->find(row->dataFileName);
            found[i] = at == headers->end() ? nullptr : &*at;
        }
    return found;
}

// The header of a row: the one looked up for its place when it is the row's data file's (a
// message box during the work may let the rows change), else looked up now.
const SRowHeader *HeaderOfRow(const std::vector<const RowHeaders::value_type *> &found, int i,
                              const SGridInfo &row, const RowHeaders *headers) {
    if (!headers)
        return nullptr;
    const auto *entry =
        i < static_cast<int>(found.size()) ? found[static_cast<size_t>(i)] : nullptr;
    if (entry && entry->first == row.dataFileName)
        return &entry->second;
    const auto at = headers->find(row.dataFileName);
    return at == headers->end() ? nullptr : &at->second;
}

} // namespace

bool CChildFrame::Import() {
    KVD_LOG_CALL();
    IGridDocument *doc = GetGridDocument();
    ORQ::CKVDXmlFile *file = GetKvdFilePtr();
    if (!doc || !file)
        return false;
    SImportMemory memory{m_lastOffsetX, m_lastOffsetY, m_lastLineSpacing};
    CFrameImportHost host(*this, *doc);
    CLineImporter importer(file, m_projectPath);
    const bool written = importer.Import(host, memory);
    m_lastOffsetX = memory.offsetX;
    m_lastOffsetY = memory.offsetY;
    m_lastLineSpacing = memory.spacing;
    if (!written)
        return false;
    doc->SetModifiedFlag();
    m_changeFlags |= 1;
    if (CFocusEntryList *focus = doc->GetFocusList())
        focus->DeleteFocusArray();
    return true;
}

bool CChildFrame::DeleteKVDEntries() {
    KVD_LOG_CALL();
    IGridDocument *doc = GetGridDocument();
    ORQ::CKVDXmlFile *file = GetKvdFilePtr();
    if (!doc || !file || !m_gridView)
        return false;
    std::vector<SDeleteRow> rows;
    for (int i = 0; i < m_gridView->GetNumRows(); ++i)
        if (m_gridView->IsRowSelected(i)) {
            const SGridInfo &row = *m_gridView->GetRowInfo(i);
            rows.push_back(SDeleteRow{row.gridName, row.lineName});
        }
    if (CLineDeleter::DeleteKVDEntries(file, rows).linesRemoved == 0)
        return false;
    doc->SetModifiedFlag();
    m_changeFlags |= 2;
    if (CFocusEntryList *focus = doc->GetFocusList())
        focus->DeleteFocusArray();
    return true;
}

void CChildFrame::AfterLinesChanged() {
    IGridDocument *doc = GetGridDocument();
    if (!doc)
        return;
    if (CKvdGprDataFiles *files = doc->GetDataFiles())
        files->UpdateKvdDataBlockPtr();
    doc->UpdateAllViewsWithHint(nullptr, KVDCmd::HINT_LINES_CHANGED);
    if (IPlanViewCommands *plan = GetPlanView())
        plan->ZoomToFit();
    const CMapperSettings *settings = doc->GetMapperSettings();
    const CGPSInfo *gps = doc->GetGPSInfo();
    if (settings && gps && settings->LocalWorld.EnableGPS != 2 && gps->HasGPSData())
        m_hint.Show(this, CSplashDlg::kLocalXYHint, 3);
}

bool CChildFrame::UpdateFidDetails(RowHeaders *headers, unsigned long filesWrittenAtRead,
                                   bool reportKept) {
    KVD_LOG_CALL();
    IGridDocument *doc = GetGridDocument();
    ORQ::CKVDXmlFile *file = GetKvdFilePtr();
    if (!doc || !m_gridView || !file)
        return false;
    CBusyLevel busy;
    // Only the comments are renewed: a re-import must not move lines or change their settings.
    // One index of the lines serves every row; the walk of the document is only for a line it
    // does not know.
    bool written = false, changed = false;
    const CLineNodes lines(file);
    CRowWriteBack writer(file, m_projectPath, &lines);
    const ORQ::EUnitType units = doc->GetUnits();
    const SGridInfo none;
    const auto rowHeaders = HeadersOfRows(*m_gridView, headers);
    std::vector<SKeptFiducials> kept;
    for (int i = 0; i < m_gridView->GetNumRows(); ++i) {
        BusyTick();
        // The row as stored, its lengths taken into the document's unit as the grid shows them.
        const SGridInfo *stored = m_gridView->GetRowInfo(i);
        const SGridInfo &row = stored ? *stored : none;
        SRowValues values = CRowWriteBack::ValuesOf(row, units);
        for (double *v : {&values.xMin, &values.xMax, &values.yMin, &values.yMax, &values.step})
            *v = CGridRowFormatter::ToDisplay(*v, row.unit, units);
        bool rowChanged = false;
        const SRowHeader *header = HeaderOfRow(rowHeaders, i, row, headers);
        SKeptFiducials unread{row.lineName, row.dataFileName, SFidFilesRead()};
        written = writer.RewriteFiducials(values, row.gridName, row.lineName, &rowChanged, header,
                                          &unread.why) ||
                  written;
        if (unread.why.KeepsComments())
            kept.push_back(std::move(unread));
        changed = changed || rowChanged;
    }
    // Said once the work is done, before the reload: the lines it names were left as they were.
    if (reportKept && !kept.empty())
        ORQ::ShowMessage(CRowWriteBack::KeptFiducialsMessage(kept),
                         ORQ::MB_OK | ORQ::MB_ICONWARNING);
    if (!written)
        return false;
    // Comments that came out as they were need no reload and leave the project unmodified.
    if (!changed)
        return true;
    doc->SetModifiedFlag();
    if (CKvdGprDataFiles *files = doc->GetDataFiles())
        files->UpdateKvdDataBlockPtr();
    // A load may be what asked for the fiducials: the reload comes after it, under the same
    // dialog, and builds the rows from the headers that load read.
    if (headers)
        m_carriedHeaders.Keep(std::move(*headers), filesWrittenAtRead);
    wxQueueEvent(this, new wxCommandEvent(wxEVT_MENU, KVDCmd::ToWxId(KVDCmd::ID_RELOAD_NO_ERRORS)));
    if (CBusyIndicator *indicator = AppBusyIndicator())
        indicator->HandOver();
    return true;
}
