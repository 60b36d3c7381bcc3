#pragma once

// A project written by our own builder, with its grid rows as the line grid holds them: the
// edit engine and the editing dialog's logic read and write it as they do the child frame's.

#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/edit/EditEngine.h"
#include "KVD_Edit/app/edit/EditSetupLogic.h"
#include "tests/support/GridProject.h"
#include "tests/support/TestSupport.h"

#include "KVD_Edit/app/grid/GridRowBuilder.h"
#include "KVD_Edit/app/lines/RowWriteBack.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace edittest {

class CEditProject : public IEditRows, public IEditSetupHost {
public:
    explicit CEditProject(const kvdtest::GridProjectLayout &layout);

    bool Loaded() const { return m_loaded; }
    const std::string &Path() const { return m_path; }
    const kvdtest::TempDir &Dir() const { return m_dir; }
    CKvdGprDataFiles &Files() { return m_files; }
    // The project XML as it stands in memory.
    std::string Xml() const;

    // Rebuilds the rows from the project, keeping the selection by line name.
    void Reload();
    // Selects exactly the rows of these lines.
    void Select(const std::vector<std::string> &lines);
    // The row of a line; null when there is none.
    const SGridInfo *Row(const std::string &line) const;
    const std::vector<SGridInfo> &Rows() const { return m_rows; }

    // Gathers the selection into the engine, applies its request, clears it and reloads, as
    // the child frame does.
    CEditEngine::SApplyResult Apply();
    CEditEngine &Engine() { return m_engine; }

    // IEditRows
    int GetNumRows() const override { return static_cast<int>(m_rows.size()); }
    bool IsRowSelected(int row) const override { return m_selected[row]; }
    void GetGridInfoRow(SGridInfo &out, int row) const override { out = m_rows[row]; }
    bool ModifyRow(const SGridInfo &row, int index) override;

    // IEditSetupHost
    void UpdateViewAndGridFromEditDlg() override;
    void ReloadAfterUndo() override;
    CKvdGprDataFiles *GetDataFiles() override { return &m_files; }
    int applies = 0;
    int reloadsAfterUndo = 0;

private:
    kvdtest::TempDir m_dir;
    std::string m_path;
    CKvdGprDataFiles m_files;
    bool m_loaded = false;
    std::vector<SGridInfo> m_rows;
    std::vector<bool> m_selected;
    CEditEngine m_engine;
};

// An X line (Y stays) or a Y line (X stays) of the builder, from..to along it, at a position
// across it; its header runs from..to with the step (a reversed header for to < from).
kvdtest::GridLineLayout XLine(const std::string &name, double y, double from, double to,
                              double step = 0.5);
kvdtest::GridLineLayout YLine(const std::string &name, double x, double from, double to,
                              double step = 0.5);

// Counts the occurrences of what in text.
int Count(const std::string &text, const std::string &what);

namespace detail {

// A load that attaches and asks nothing.
class CQuietHooks : public IGridLoadHooks {
public:
    void AddLine(int, int, int, double, int, const std::string &) override {}
    int LoadGpsFile(const std::string &, int, int, int, std::string &) override { return -1; }
    void LoadLineGps(const std::string &, const ORQ::Tamsel &, const std::string &, long long, int,
                     int, double, int) override {}
    bool AskImportGps() override { return false; }
    bool AttachGps(SGridInfo &) override { return false; }
    void RecoverGps(SGridInfo &) override {}
    void SetDisplayUnit(ORQ::EUnitType) override {}
};

} // namespace detail

inline CEditProject::CEditProject(const kvdtest::GridProjectLayout &layout) {
    m_path = kvdtest::WriteGridProject(m_dir.Path(), layout);
    kvdtest::CaptureSink sink;
    m_loaded = m_files.LoadKvdXmlFile(m_path.c_str()) == 1;
    if (m_loaded)
        Reload();
}

inline std::string CEditProject::Xml() const {
    std::string out;
    if (m_files.GetKvdXmlFile() && m_files.GetKvdXmlFile()->GetFileHnd())
        m_files.GetKvdXmlFile()->GetFileHnd()->Serialize(out);
    return out;
}

inline void CEditProject::Reload() {
    std::vector<std::string> selected;
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_selected[i])
            selected.push_back(m_rows[i].lineName);
    m_rows.clear();
    m_selected.clear();
    CGridRowBuilder::SInput input;
    input.dbi = m_files.GetDataBlockInterface();
    input.projectFolder = m_dir.Path();
    detail::CQuietHooks hooks;
    CGridRowBuilder::SResult result = CGridRowBuilder::Build(input, hooks);
    for (auto &row : result.rows)
        m_rows.push_back(*row);
    m_selected.assign(m_rows.size(), false);
    Select(selected);
}

inline void CEditProject::Select(const std::vector<std::string> &lines) {
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_selected[i] = std::find(lines.begin(), lines.end(), m_rows[i].lineName) != lines.end();
}

inline const SGridInfo *CEditProject::Row(const std::string &line) const {
    for (const SGridInfo &row : m_rows)
        if (row.lineName == line)
            return &row;
    return nullptr;
}

inline bool CEditProject::ModifyRow(const SGridInfo &row, int index) {
    const SGridInfo &stored = m_rows[index];
    const int selected = static_cast<int>(std::count(m_selected.begin(), m_selected.end(), true));
    return CRowWriteBack(m_files.GetKvdXmlFile(), m_path)
        .ModifyRow(CRowWriteBack::ValuesOf(row, ORQ::UNIT_M), stored.gridName, stored.lineName,
                   selected);
}

inline CEditEngine::SApplyResult CEditProject::Apply() {
    const CEditEngine::SApplyResult result = m_engine.Apply(*this);
    m_engine.Data().ClearRequests();
    m_files.UpdateKvdDataBlockPtr();
    Reload();
    return result;
}

inline void CEditProject::UpdateViewAndGridFromEditDlg() {
    ++applies;
    Apply();
}

inline void CEditProject::ReloadAfterUndo() {
    ++reloadsAfterUndo;
    Reload();
    m_engine.Gather(*this, 1000);
}

inline kvdtest::GridLineLayout XLine(const std::string &name, double y, double from, double to,
                                     double step) {
    kvdtest::GridLineLayout l;
    l.name = name;
    l.positions = {{from, y, 0, "m"}, {to, y, 1, "m"}};
    l.start = from;
    l.final = to;
    l.step = step;
    return l;
}

inline kvdtest::GridLineLayout YLine(const std::string &name, double x, double from, double to,
                                     double step) {
    kvdtest::GridLineLayout l = XLine(name, 0, from, to, step);
    l.positions = {{x, from, 0, "m"}, {x, to, 1, "m"}};
    return l;
}

inline int Count(const std::string &text, const std::string &what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace edittest
