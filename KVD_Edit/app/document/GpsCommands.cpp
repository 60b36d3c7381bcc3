#include "KVD_Edit/app/document/GpsCommands.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/GPSINFO/GPSDataSample.h"
#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/app/grid/GridRowBuilder.h"
#include "KVD_Edit/app/lines/LineImporter.h"
#include "KVD_Edit/app/shell/BusyIndicator.h"
#include "Tamsel/LinePair.h"
#include "Tamsel/LinePath.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/FileGroupReplacement.h"
#include "orq_utils/MessageSink.h"
#include "orq_utils/PathName.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>

using ORQ::CStr;

namespace {

int8_t &StatusOf(SGridInfo &row, int kind) {
    return kind == DFK_GPS ? row.gpsStatus : row.topoStatus;
}

const std::string &FileNameOf(const SGridInfo &row, int kind) {
    return kind == DFK_GPS ? row.gpsFileName : row.topoFileName;
}

bool Exists(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string Lower(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool EqualNoCase(const std::string &a, const std::string &b) {
    return CStr::CompareNoCase(a, b) == 0;
}

void ShowText(const std::string &text) {
    ORQ::ShowMessage(text, ORQ::MB_OK);
}

// The attribute's value, "" when the element has none.
std::string Attribute(ORQ::CKVDXmlFile *file, const char *name) {
    CStr value = name;
    return file->GetNodeAttribute(value) ? std::string(value) : std::string();
}

// Moves from the current node to its child `element` whose "name" equals name without regard
// to case. On a miss the cursor stays and lastCompared holds the name of the last child
// compared (name itself when there was none).
bool GotoNamedChild(ORQ::CKVDXmlFile *file, const char *element, const std::string &name,
                    std::string &lastCompared) {
    lastCompared = name;
    if (!file->GotoChildNode(element, 0))
        return false;
    do {
        lastCompared = Attribute(file, "name");
        if (EqualNoCase(lastCompared, name))
            return true;
    } while (file->GotoNextSibling(element));
    file->GotoParentNode();
    return false;
}

// The file's base name: after the last "\" (or "/"), before the last ".".
std::string BaseName(const std::string &fileName) {
    const size_t slash = fileName.find_last_of("\\/");
    std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// The folder part of a stored name (".\sub\LINE.GPS" -> "sub"); "" when the file lies in the
// project folder itself.
std::string DirPath(const std::string &fileName) {
    if (std::count(fileName.begin(), fileName.end(), '\\') < 2)
        return std::string();
    const std::string folder = fileName.substr(0, fileName.find_last_of('\\'));
    return folder.size() > 2 ? folder.substr(2) : std::string();
}

CStr Fixed(int decimals, double value) {
    CStr text;
    text.Format("%.*f", decimals, value);
    return text;
}

// Appends the entry of a kind from the row under the current "Line" (the cursor comes back).
void AppendEntry(ORQ::CKVDXmlFile *file, const SGridInfo &row, int kind) {
    const std::string &fileName = FileNameOf(row, kind);
    file->AppendChildNode("DataFile");
    file->SetNodeAttribute("name", BaseName(fileName));
    file->SetNodeAttribute("seq", "1");
    file->SetNodeAttribute("ext", DataKindExtension(kind));
    file->AppendChildNode("FileType");
    file->SetNodeAttribute("UID", DataKindFileTypeUid(kind));
    file->GotoParentNode();
    file->AppendChildNode("FileDirPath");
    const std::string dir = DirPath(fileName);
    if (!dir.empty())
        file->SetNodeText(dir);
    file->GotoParentNode();

    // The project reads positions in metres or feet only: any other unit goes as metres.
    const ORQ::EUnitType unit = row.unit;
    const ORQ::EUnitType positionUnit = unit == ORQ::UNIT_FT ? ORQ::UNIT_FT : ORQ::UNIT_M;
    auto position = [&](double v) {
        return unit == positionUnit || !ORQ::CMeasure::IsDistanceUnit(unit)
                   ? v
                   : ORQ::CMeasure::ConvertTo(v, unit, positionUnit);
    };
    const double start[2] = {row.reversed ? row.xMax : row.xMin,
                             row.reversed ? row.yMax : row.yMin};
    const double end[2] = {row.reversed ? row.xMin : row.xMax, row.reversed ? row.yMin : row.yMax};
    for (int k = 0; k < 2; ++k) {
        const double *p = k == 0 ? start : end;
        file->AppendChildNode("Position");
        file->SetNodeAttribute("X", Fixed(3, position(p[0])));
        file->SetNodeAttribute("Y", Fixed(3, position(p[1])));
        file->SetNodeAttribute("Z", "NA");
        file->SetNodeAttribute("units", ORQ::CMeasure::UnitToString(positionUnit));
        file->SetNodeAttribute("normalized_file_pos", k == 0 ? "0.0" : "1.0");
        file->GotoParentNode();
    }

    const bool xLine = row.orientation == 2;
    file->AppendChildNode("Odometer");
    file->SetNodeAttribute("start", Fixed(row.decimals, xLine ? row.xMin : row.yMin));
    file->SetNodeAttribute("end", Fixed(row.decimals, xLine ? row.xMax : row.yMax));
    file->SetNodeAttribute("step", Fixed(6, row.step));
    file->SetNodeAttribute("units", ORQ::CMeasure::UnitToString(unit));
    file->GotoParentNode();
    file->GotoParentNode(); // the line
}

void RestoreCursor(ORQ::CKVDXmlFile *file) {
    file->GotoTopPosition();
    file->PopPosition();
}

// Whether a line's header says that values of the kind lie in its trace headers: positions
// (GPS type 3) or a topography range.
bool HeaderHoldsKind(const ORQ::STamsel &hd, int kind) {
    if (kind == DFK_GPS)
        return hd.m_gpsType == GPS_LATLONG;
    return hd.m_elevation.x != 0 || hd.m_elevation.y != 0;
}

} // namespace

// ---- paths ----------------------------------------------------------------------------------

std::string CGpsCommands::RowFileBase(const SGridInfo &row) {
    std::string name = row.dataFileName;
    const std::string mark = " (+)";
    if (name.size() >= mark.size() &&
        name.compare(name.size() - mark.size(), mark.size(), mark) == 0)
        name.erase(name.size() - mark.size());
    name = name.size() > 2 ? name.substr(2) : std::string();
    const size_t dot = name.find_last_of('.');
    const size_t slash = name.find_last_of("\\/");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        name.erase(dot);
    return name;
}

std::string CGpsCommands::RowFilePath(const std::string &folder, const SGridInfo &row,
                                      const std::string &extension) {
    return ORQ::ResolveLinePath(folder + "/" + RowFileBase(row) + "." + extension);
}

std::string CGpsCommands::ProjectFolder(ORQ::CKVDXmlFile *file) {
    const std::string path = file ? std::string(file->GetFilePathName()) : std::string();
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

// ---- the project file's entries -------------------------------------------------------------

CLineNodes::CLineNodes(ORQ::CKVDXmlFile *file) : m_file(file) {
    if (!file || !file->PushPosition())
        return;
    if (file->GotoRootNode() && file->GotoChildNode("Data", 0)) {
        SSet &free = m_sets[std::string()];
        free.found = true;
        AddLines(free);
        if (file->GotoChildNode("LineSet", 0)) {
            do {
                SSet &set = m_sets[Lower(Attribute(file, "name"))];
                // The first set of a name is the one a walk finds.
                if (!set.found) {
                    set.found = true;
                    AddLines(set);
                }
            } while (file->GotoNextSibling("LineSet"));
        }
    }
    RestoreCursor(file);
}

CLineNodes::~CLineNodes() {
    if (m_file)
        for (void *handle : m_handles)
            m_file->ReleaseNodeHandle(handle);
}

void CLineNodes::AddLines(SSet &set) {
    if (!m_file->GotoChildNode("Line", 0))
        return;
    do {
        BusyTick();
        const auto entry = set.lines.try_emplace(Lower(Attribute(m_file, "name")), nullptr);
        if (!entry.second)
            continue;
        entry.first->second = m_file->GetCurrentNodeHandle();
        if (entry.first->second)
            m_handles.push_back(entry.first->second);
        else
            set.lines.erase(entry.first);
    } while (m_file->GotoNextSibling("Line"));
    m_file->GotoParentNode();
}

bool CLineNodes::Goto(const std::string &set, const std::string &line) const {
    if (!m_file)
        return false;
    auto s = m_sets.find(Lower(set));
    if (s == m_sets.end() || !s->second.found)
        return false;
    auto l = s->second.lines.find(Lower(line));
    if (l == s->second.lines.end() || !m_file->MoveToHandleNode(l->second))
        return false;
    // Still the line of that name, in that set, under "Data"? The line's own handle brings the
    // cursor back to it.
    CStr element;
    if (!EqualNoCase(Attribute(m_file, "name"), line))
        return false;
    bool placed = m_file->GotoParentNode() && m_file->GetNodeName(element);
    if (placed && !set.empty())
        placed = element == "LineSet" && EqualNoCase(Attribute(m_file, "name"), set) &&
                 m_file->GotoParentNode() && m_file->GetNodeName(element);
    placed = placed && element == "Data" && m_file->GotoParentNode();
    return m_file->MoveToHandleNode(l->second) && placed;
}

bool CGpsCommands::EditLineDataFileEntry(ORQ::CKVDXmlFile *file, const SGridInfo &row,
                                         const std::string &oldFileName, int kind, bool remove,
                                         const CLineNodes *lines) {
    if (!file || !file->PushPosition())
        return false;
    std::string compared;
    bool found = lines && lines->File() == file && lines->Goto(row.gridName, row.lineName);
    if (!found) {
        found = file->GotoRootNode() && file->GotoChildNode("Data", 0);
        if (found && !row.gridName.empty())
            found = GotoNamedChild(file, "LineSet", row.gridName, compared);
        if (found)
            found = GotoNamedChild(file, "Line", row.lineName, compared);
    }
    if (!found) {
        ShowText("Entry not found " + compared);
        RestoreCursor(file);
        return false;
    }

    const std::string base = BaseName(oldFileName);
    if (!base.empty()) {
        // The entry is the one whose name and extension both match.
        bool entry = file->GotoChildNode("DataFile", 0);
        while (entry && !(EqualNoCase(Attribute(file, "name"), base) &&
                          EqualNoCase(Attribute(file, "ext"), DataKindExtension(kind))))
            entry = file->GotoNextSibling("DataFile");
        if (!entry) {
            ShowText("Entry not found " + base);
            RestoreCursor(file);
            return false;
        }
        if (!file->RemoveCurrentNode()) {
            ShowText("Unable to delete");
            RestoreCursor(file);
            return false;
        }
        if (remove) {
            RestoreCursor(file);
            return true;
        }
    }
    AppendEntry(file, row, kind);
    RestoreCursor(file);
    return true;
}

// ---- the commands ---------------------------------------------------------------------------

std::vector<SGridInfo *> CGpsCommands::TargetRows(SGridInfo *row) const {
    std::vector<SGridInfo *> rows;
    if (row) {
        rows.push_back(row);
        return rows;
    }
    for (int i = 0; i < m_host.GetNumRows(); ++i)
        if (m_host.IsRowSelected(i))
            if (SGridInfo *info = m_host.GetRowInfo(i))
                rows.push_back(info);
    return rows;
}

const CLineNodes *CGpsCommands::LineNodes(ORQ::CKVDXmlFile *file, size_t rows) {
    if (const CLineNodes *kept = m_host.GetLineNodes())
        return kept;
    // One walk of the project finds the lines of many rows.
    if (rows > 1 && !m_lines)
        m_lines = std::make_unique<CLineNodes>(file);
    return m_lines.get();
}

bool CGpsCommands::AskIncludeAllLines() {
    if (m_host.GetSelectedCount() != 1)
        return false;
    if (ORQ::ShowMessage(kIncludeAllLines, ORQ::MB_YESNO | ORQ::MB_ICONQUESTION) != ORQ::IDYES)
        return false;
    m_host.SelectAllLines();
    return true;
}

bool CGpsCommands::AttachDataFile(int kind, bool reload, SGridInfo *row) {
    if (!row)
        AskIncludeAllLines();
    const std::vector<SGridInfo *> rows = TargetRows(row);
    ORQ::CKVDXmlFile *file = m_host.GetKvdFile();
    if (rows.empty() || !file)
        return false;
    const std::string folder = ProjectFolder(file);
    const CLineNodes *lines = LineNodes(file, rows.size());
    bool attached = false;
    CBusyLevel busy;
    for (SGridInfo *r : rows) {
        BusyTick();
        const std::string remembered = FileNameOf(*r, kind);
        if (StatusOf(*r, kind) != GFS_BESIDE)
            continue;
        const std::string path = RowFilePath(folder, *r, DataKindExtension(kind));
        CStr errors;
        if (!m_host.AttachGPSOrTopoFile(path.c_str(), *r, kind, errors)) {
            // The loader says why; the row shows the failure until the next reload.
            if (!errors.empty())
                ShowText(errors);
            continue;
        }
        if (EditLineDataFileEntry(file, *r, remembered, kind, false, lines)) {
            attached = true;
            MergeDataFile(kind, r, false, false);
        }
    }
    if (attached)
        m_host.SetModifiedFlag();
    if (reload) {
        // The load errors were reported when the project opened; what the attach itself met
        // it said above.
        m_host.UpdateKvdDataBlockPtr();
        m_host.ReloadNoErrors();
    }
    return attached;
}

void CGpsCommands::DetachDataFile(int kind) {
    const std::vector<SGridInfo *> rows = TargetRows(nullptr);
    ORQ::CKVDXmlFile *file = m_host.GetKvdFile();
    if (rows.empty() || !file)
        return;
    const CLineNodes *lines = LineNodes(file, rows.size());
    bool detached = false;
    for (SGridInfo *r : rows) {
        BusyTick();
        const std::string &name = FileNameOf(*r, kind);
        const int status = StatusOf(*r, kind);
        // A GPS file that gave fewer than two fixes is attached all the same.
        const bool attached = status == GFS_LOADED || status == GFS_FAILED ||
                              (kind == DFK_GPS && status == GFS_FEW_FIXES);
        if (!name.empty() && attached && EditLineDataFileEntry(file, *r, name, kind, true, lines))
            detached = true;
    }
    if (detached)
        m_host.SetModifiedFlag();
    m_host.UpdateKvdDataBlockPtr();
    m_host.ReloadNoErrors();
}

void CGpsCommands::MergeDataFile(int kind, SGridInfo *row, bool clear, bool gpsElevation) {
    const std::vector<SGridInfo *> rows = TargetRows(row);
    ORQ::CKVDXmlFile *file = m_host.GetKvdFile();
    CGPSInfo *gps = m_host.GetGPSInfo();
    if (rows.empty() || !file || !gps)
        return;
    const std::string folder = ProjectFolder(file);
    CBusyLevel busy;
    for (SGridInfo *r : rows) {
        BusyTick();
        const bool wanted = kind == DFK_GPS || StatusOf(*r, kind) == GFS_LOADED || clear ||
                            r->hdrGpsType != 0 || (gpsElevation && r->gpsStatus == GFS_LOADED);
        if (!wanted)
            continue;
        const std::string hd = RowFilePath(folder, *r, "hd");
        const std::string dt1 = RowFilePath(folder, *r, "dt1");
        // Topography from the GPS elevations is written as topography: the positions stay.
        const std::string error = CGPSDataSample().WriteToLineFiles(
            gps, hd.c_str(), dt1.c_str(), kind == DFK_GPS, r->setIndex, r->lineIndex, clear,
            gpsElevation, BusyTick);
        if (!error.empty()) {
            ShowText(error);
            break;
        }
    }
    // What was written before a failure shows in the grid all the same.
    if (!row)
        m_host.ReloadNoErrors();
}

namespace {

// Writes the kind's file of the line of hdPath from its trace headers, the header and the trace
// file read as one write left them; kNothingRecovered when the header holds none of the kind.
int RecoverFromLine(const std::string &hdPath, int kind) {
    const std::string hdFile = ORQ::ResolveLinePath(hdPath);
    const std::string dt1File =
        ORQ::ResolveLinePath(hdPath.substr(0, hdPath.size() >= 2 ? hdPath.size() - 2 : 0) + "dt1");
    int result = CGpsCommands::kNothingRecovered;
    const ORQ::ELinePairRead pair =
        ORQ::ReadLinePair(hdFile, dt1File, nullptr, [&](const ORQ::CLinePairCheck &check, int) {
            result = CGpsCommands::kNothingRecovered;
            ORQ::Tamsel header;
            if (header.Load(hdPath.c_str(), ORQ::ST_FILE) || !header.GetTamsel())
                return false;
            const ORQ::STamsel &hd = *header.GetTamsel();
            if (!HeaderHoldsKind(hd, kind))
                return false;
            const ORQ::EUnitType unit = hd.m_stepSize.unit;
            double step = hd.m_stepSize.value;
            if (unit != ORQ::UNIT_M && ORQ::CMeasure::IsDistanceUnit(unit))
                step = ORQ::CMeasure::ConvertTo(step, unit, ORQ::UNIT_M);
            // The writer asks the check before it writes or shows anything: what it did is final.
            // A pair it found changed goes on, and its check finds it changed again: the check
            // keeps the files it saw open, and a write's record goes only after its renames.
            result =
                WriteGpsFileFromTraces(hdPath, hd.m_traces, hd.m_points, step, kind, unit, &check);
            return result == RECOVERY_PAIR_CHANGED;
        });
    if (pair == ORQ::PAIR_READ_BUSY) {
        ORQ::ShowMessage("The line " + ORQ::StemOf(ORQ::LeafOf(hdFile)) + " (" + hdFile +
                             ") was not read: " + ORQ::CFileGroupReplacement::BusyText(hdFile) +
                             ".",
                         ORQ::MB_OK | ORQ::MB_ICONWARNING);
        return RECOVERY_TRACES_UNREADABLE;
    }
    return result;
}

} // namespace

int CGpsCommands::RecoverDataFile(int kind, SGridInfo *row, bool reload) {
    const std::vector<SGridInfo *> rows = TargetRows(row);
    ORQ::CKVDXmlFile *file = m_host.GetKvdFile();
    if (rows.empty() || !file)
        return kNothingRecovered;
    const std::string folder = ProjectFolder(file);
    int result = kNothingRecovered;
    CBusyLevel busy;
    for (SGridInfo *r : rows) {
        BusyTick();
        // An existing file is never replaced, whatever the letter case of its name.
        if (Exists(RowFilePath(folder, *r, DataKindExtension(kind))))
            continue;
        const std::string hdPath = RowFilePath(folder, *r, "hd");
        const int recovered = RecoverFromLine(hdPath, kind);
        if (recovered == kNothingRecovered)
            continue;
        result = recovered;
        if (result == RECOVERY_WRITTEN)
            StatusOf(*r, kind) = GFS_BESIDE;
    }
    if (reload)
        m_host.ReloadNoErrors();
    return result;
}

// ---- loading a file for a row ----------------------------------------------------------------

bool AttachFileToRow(CGPSInfo *gps, const std::string &path, const std::string &folder,
                     SGridInfo &row, int kind, CStr &errors) {
    if (!gps)
        return false;
    const std::string relative = CGridRowBuilder::RelativeName(path, folder);
    CGPSDataSample sample;
    if (kind == DFK_GPS) {
        const int fixes = sample.LoadGpsFile(gps, path.c_str(), row.setIndex, row.lineIndex,
                                             row.numTraces, errors, false);
        if (fixes >= 2) {
            row.gpsFileName = relative;
            return true;
        }
        row.gpsStatus = fixes < 0 ? GFS_FAILED : GFS_FEW_FIXES;
        return false;
    }
    const int loaded =
        sample.LoadTopoFile(gps, path.c_str(), row.setIndex, row.lineIndex, row.numTraces, false);
    if (loaded == 0) {
        row.topoFileName = relative;
        return true;
    }
    // The position reader leaves the reason to its caller.
    errors.AppendFormat(loaded == -1 ? "Unable to open File %s" : "Malformed topography data in %s",
                        path.c_str());
    row.topoStatus = GFS_FAILED;
    return false;
}

// ---- the line import's GPS step -------------------------------------------------------------

std::string AttachImportedGps(ORQ::CKVDXmlFile *file, CGPSInfo *gps, const SGridInfo &row,
                              const std::string &gpsPath, const std::string &hdPath) {
    if (!file || !gps)
        return std::string();
    if (!CGpsCommands::EditLineDataFileEntry(file, row, std::string(), DFK_GPS, false))
        return std::string();
    CGPSDataSample sample;
    sample.AddLine(gps, row.setIndex, row.orientation, row.lineIndex, row.step, row.numTraces,
                   gpsPath.c_str());
    CStr errors;
    const int fixes = sample.LoadGpsFile(gps, gpsPath.c_str(), row.setIndex, row.lineIndex,
                                         row.numTraces, errors, false);
    if (fixes < 2 && !errors.empty())
        ShowText(errors);
    const size_t dot = hdPath.find_last_of('.');
    const std::string dt1 =
        ORQ::ResolveLinePath((dot == std::string::npos ? hdPath : hdPath.substr(0, dot)) + ".dt1");
    return CGPSDataSample().WriteToLineFiles(gps, hdPath.c_str(), dt1.c_str(), true, row.setIndex,
                                             row.lineIndex, false, false, BusyTick);
}

SGridInfo ImportedGridRow(const SImportedLine &line, int setIndex, int lineIndex) {
    SGridInfo row;
    row.gridName = line.gridName;
    row.lineName = line.lineName;
    row.orientation = line.lineType;
    row.unit = line.positionUnit;
    row.decimals = 3;
    row.xMin = std::min(line.x[0], line.x[1]);
    row.xMax = std::max(line.x[0], line.x[1]);
    row.yMin = std::min(line.y[0], line.y[1]);
    row.yMax = std::max(line.y[0], line.y[1]);
    row.reversed = !(line.x[0] == row.xMin && line.y[0] == row.yMin);
    if (const ORQ::STamsel *hd = line.header ? line.header->GetTamsel() : nullptr) {
        row.numTraces = hd->m_traces;
        row.step = hd->m_stepSize.value;
        if (ORQ::CMeasure::IsDistanceUnit(hd->m_stepSize.unit) && hd->m_stepSize.unit != row.unit)
            row.step = ORQ::CMeasure::ConvertTo(row.step, hd->m_stepSize.unit, row.unit);
    }
    row.setIndex = setIndex;
    row.lineIndex = lineIndex;
    return row;
}

std::string CImportGpsSteps::AttachGps(ORQ::CKVDXmlFile *file, CGPSInfo *gps,
                                       const SImportedLine &line, const std::string &gpsPath) {
    SGridInfo row = ImportedGridRow(line, kImportedSet, m_imported++);
    row.gpsFileName = CGridRowBuilder::RelativeName(gpsPath, CGpsCommands::ProjectFolder(file));
    return AttachImportedGps(file, gps, row, gpsPath, line.headerPath);
}

void CImportGpsSteps::WriteGpsFromTraces(const SImportedLine &line, double stepMetres) {
    if (!line.header || !line.header->GetTamsel())
        return;
    const ORQ::STamsel &hd = *line.header->GetTamsel();
    WriteGpsFileFromTraces(line.headerPath, hd.m_traces, hd.m_points, stepMetres, DFK_GPS);
}
