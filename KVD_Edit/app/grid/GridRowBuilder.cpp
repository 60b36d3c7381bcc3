#include "KVD_Edit/app/grid/GridRowBuilder.h"

#include "KVD_Edit/app/grid/GridSelection.h"
#include "KVD_Edit/app/shell/BusyIndicator.h"
#include "KVD_Edit/app/shell/Helpers.h"

#include "KVD3/KvdDataBlockInterface.h"
#include "Tamsel/DT1File.h"
#include "Tamsel/LinePair.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/FileGroupReplacement.h"
#include "orq_utils/FileReplacement.h"
#include "orq_utils/FileSystemName.h"
#include "orq_utils/PathName.h"
#include "orq_utils/ReplacementSweep.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <set>

namespace {

// The grid lists the lines in the type-ordered walk.
constexpr int kByType = ORQ::CKvdDataBlockInterface::WALK_BY_TYPE;

std::string Upper(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The parts of a relative path written with "\" or "/".
std::vector<std::string> PathParts(const std::string &relative) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : relative) {
        if (c == '\\' || c == '/') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

std::string WithSlash(const std::string &folder) {
    if (folder.empty())
        return "./";
    char last = folder.back();
    return last == '/' || last == '\\' ? folder : folder + "/";
}

bool IsRegularFile(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A length of the row converted between units; a unit that is unknown leaves the value as it
// is rather than making it 0.
double ConvertLength(double value, ORQ::EUnitType from, ORQ::EUnitType to) {
    double factor = 0;
    if (from == to || !ORQ::CMeasure::GetConversionFactor(from, to, factor))
        return value;
    return value * factor;
}

double Round3(double value) {
    return RoundToDecimals(value, 3);
}

// The positions of a line's radar data files. The GPS and topography entries of a line repeat
// its two end points; they do not make the line's recorded positions differ from its header.
double RadarPositions(ORQ::CKvdDataBlockInterface_V110 *dbi, int line, int fileCount,
                      const ORQ::CKvdDataBlockInterface::SLineInfo &li) {
    if (fileCount < 2)
        return li.numPositions;
    double positions = 0;
    for (int k = 0; k < fileCount; ++k) {
        ORQ::CKvdDataBlockInterface::SFileInfo entry;
        if (dbi->GetFileInfo(&entry, k, line, LT_ANY, -1, kByType) == 1 &&
            ORQ::CKvdDataBlockInterface_V110::IsGPRData(entry.extension))
            positions += entry.numPositions;
    }
    return positions;
}

// One row of the grid: one data file of one line, built in the steps the grid shows it in.
// Each step adds what it finds out to the row, and problems to the result's error text.
class CGridRowBuild {
public:
    using Interface = ORQ::CKvdDataBlockInterface_V110;

    CGridRowBuild(const CGridRowBuilder::SInput &input, IGridLoadHooks &hooks,
                  CLineFileFinder &finder, CGridRowBuilder::SResult &result, int line, int file,
                  int fileCount)
        : m_input(input), m_hooks(hooks), m_finder(finder), m_result(result),
          m_folder(input.projectFolder), m_dbi(input.dbi), m_line(line), m_file(file),
          m_fileCount(fileCount), m_row(std::make_unique<SGridInfo>()) {
        if (line != 0 || file != 0)
            m_row->unit = result.displayUnit;
    }

    // Reads the file's and the line's records, the line's set and the step in force; false
    // when the project holds no such file.
    bool ReadEntry();
    // Reads the .hd header of a radar data file: the trace count, the unit, and the edit flag
    // from the header's positions against the project's.
    void ReadHeader();
    // A header step that differs from the step in force marks the row edited (only when there
    // is a header to compare with).
    void CompareStepInForce();
    // The line's names, orientation, extents, length and step, in the row's unit.
    void FillLine();
    // Notes fiducials, names the row's data file and registers the line with the GPS data.
    void RegisterLine();
    // Loads the GPS and topography files the project attaches to the line.
    void LoadAttachedFiles();
    // GPS and topography files beside the trace file, or in its headers.
    void FindFilesBeside();

    bool IsRadarFile() const { return m_isRadar && !m_isGpsEntry; }
    // The folder of the header found for the row (empty when none was).
    const std::string &HeaderFolder() const { return m_headerFolder; }
    std::unique_ptr<SGridInfo> TakeRow() { return std::move(m_row); }

private:
    // A row whose header cannot be read shows what the project records, in the unit of its
    // step in force, with no trace count and the flag '?'.
    void MarkUnknown();
    // The header's step, trace count and unit; the first row's sets the display unit.
    void TakeHeader(const ORQ::STamsel &hd);
    // A header whose trace count its trace file does not hold (holds whole traces, -1 when not
    // measured) is reported. One claiming more is damaged: the line's trace count is bounded by
    // the file, its GPS and topography not loaded (one point per claimed trace could take all
    // memory). One claiming fewer describes only the start of the file.
    void BoundTraces(const ORQ::STamsel &hd, long long holds);
    // What the load leaves out of a line whose header claims more traces than its trace file
    // holds, as the end of the message that reports it: the GPS where the line has GPS (a GPS
    // file the project attaches or that lies beside the trace file, or positions in the trace
    // headers), and a topography file the project attaches.
    std::string NotLoadedText(const ORQ::STamsel &hd);
    // The header a load earlier in the operation read for the row, taken as it is; false when
    // there is none.
    bool TakeKnownHeader();
    // Reads a line's header and measures its trace file again, as one write left them; false
    // (with the reason in the errors when a writer kept the line) when the header does not load.
    bool ReadPairAgain(const std::string &hdPath, const std::string &dt1Path, ORQ::Tamsel &header,
                       long long &holds);
    // A line with just its two end points recorded is unchanged, reversed or edited by how they
    // stand against the header's start and final positions.
    void FlagFromPositions(const ORQ::STamsel &hd);
    void LoadTopoFile(const ORQ::CKvdDataBlockInterface::SFileInfo &entry);
    void LoadGpsFile(const ORQ::CKvdDataBlockInterface::SFileInfo &entry);
    // The path of the row's file of that extension as messages show it.
    std::string Shown(const char *extension) const {
        return CLineFileFinder::Join(m_folder, m_relative + extension);
    }
    // folder/relative as found, or as written where it is not there.
    std::string FoundOrJoined(const std::string &relative) {
        const std::string found = m_finder.Find(m_folder, relative);
        return found.empty() ? CLineFileFinder::Join(m_folder, relative) : found;
    }

    const CGridRowBuilder::SInput &m_input;
    IGridLoadHooks &m_hooks;
    CLineFileFinder &m_finder;
    CGridRowBuilder::SResult &m_result;
    const std::string &m_folder;
    Interface *m_dbi;
    const int m_line;
    const int m_file;
    const int m_fileCount;
    std::unique_ptr<SGridInfo> m_row;

    ORQ::CKvdDataBlockInterface::SFileInfo m_fi;
    ORQ::CKvdDataBlockInterface::SLineInfo m_li;
    std::string m_relative;
    bool m_isRadar = false;
    bool m_isGpsEntry = false;
    // The step in force for the file, with its unit.
    double m_settingsStep = 0;
    ORQ::EUnitType m_settingsUnit = ORQ::UNIT_NONE;

    std::shared_ptr<const ORQ::Tamsel> m_header; // null until loaded
    bool m_headerLoaded = false;
    std::string m_headerFolder;
    std::string m_dt1Path;      // the trace file as found
    long long m_dt1Traces = -1; // the whole traces it holds, -1 when not measured
    bool m_tracesBeyondFile = false;
    char m_flag = SGridInfo::kUnknown;
    double m_headerStep = 0;
};

bool CGridRowBuild::ReadEntry() {
    if (m_dbi->GetFileInfo(&m_fi, m_file, m_line, LT_ANY, -1, kByType) != 1 ||
        m_dbi->GetLineInfo(&m_li, m_line, LT_ANY, -1, kByType) != 1)
        return false;
    if (m_li.setIndex >= 0) {
        ORQ::CKvdDataBlockInterface::SLineSetInfo set;
        m_dbi->GetLineSet(&set, m_li.setIndex);
        m_row->gridName = set.name;
    }
    m_relative = m_fi.path;
    m_row->dataFileName = ".\\" + m_relative + ".dt1";
    if (m_fileCount > 1)
        m_row->dataFileName += " (+)";
    m_isRadar = Interface::IsGPRData(m_fi.extension);
    m_isGpsEntry = Upper(m_fi.extension).find("GPS") != std::string::npos;
    if (m_fi.settings) {
        m_settingsStep = m_fi.settings->m_StepSize.value;
        m_settingsUnit = m_fi.settings->m_StepSize.unit;
    }
    return true;
}

void CGridRowBuild::MarkUnknown() {
    m_row->unit = m_settingsUnit != ORQ::UNIT_NONE ? m_settingsUnit
                  : m_row->unit != ORQ::UNIT_NONE  ? m_row->unit
                                                   : ORQ::UNIT_M;
    m_row->decimals = m_row->unit == ORQ::UNIT_M ? 3 : 2;
    m_row->numTraces = 0;
    m_flag = SGridInfo::kUnknown;
}

bool CGridRowBuild::TakeKnownHeader() {
    const RowHeaders *known = m_input.knownHeaders;
    const auto found = known ? known->find(m_row->dataFileName) : RowHeaders::const_iterator();
    if (!known || found == known->end() || !found->second.header ||
        !found->second.header->GetTamsel())
        return false;
    const SRowHeader &taken = found->second;
    m_header = taken.header;
    m_headerLoaded = true;
    m_headerFolder = ORQ::FolderOf(taken.HeaderPath());
    m_dt1Path = taken.traceFilePath;
    const ORQ::STamsel &hd = taken.Values();
    TakeHeader(hd);
    BoundTraces(hd, taken.traceCapacity);
    FlagFromPositions(hd);
    return true;
}

void CGridRowBuild::ReadHeader() {
    if (!IsRadarFile() || TakeKnownHeader())
        return;
    std::string &errors = m_result.errors;
    const std::string &dt1Path = m_dt1Path = m_finder.Find(m_folder, m_relative + ".dt1");
    if (dt1Path.empty()) {
        errors += FormatC("Error Loading %s\n", Shown(".dt1").c_str());
        MarkUnknown();
        return;
    }
    const std::string hdPath = m_finder.Find(m_folder, m_relative + ".hd");
    if (!hdPath.empty())
        m_headerFolder = ORQ::FolderOf(hdPath);
    // Found through the folder's listing, which also tells whether the line has a replacement
    // to finish before it is read.
    auto header = std::make_shared<ORQ::Tamsel>();
    m_headerLoaded = !hdPath.empty() &&
                     !header->Load(hdPath.c_str(), ORQ::ST_FILE, m_finder.Listing(m_headerFolder));
    if (!m_headerLoaded) {
        errors += FormatC("Error Loading %s\n", Shown(".hd").c_str());
        // A header that is there but cannot be read says why.
        if (!hdPath.empty() && !header->GetLastMessage().empty())
            errors += header->GetLastMessage() + "\n";
        MarkUnknown();
        return;
    }
    long long holds = CDT1File::TraceCapacity(dt1Path, header->GetTamsel()->m_points,
                                              m_finder.Listing(ORQ::FolderOf(dt1Path)));
    // The pair is one write's when nothing in its folders got a new name since they were listed
    // (one look at each folder); else it is read again as a single line is.
    const ORQ::CFolderListing &hdFolder = m_finder.Listing(m_headerFolder);
    const ORQ::CFolderListing &dt1Folder = m_finder.Listing(ORQ::FolderOf(dt1Path));
    if (!hdFolder.UnchangedSinceReading() ||
        (&dt1Folder != &hdFolder && !dt1Folder.UnchangedSinceReading())) {
        auto again = std::make_shared<ORQ::Tamsel>();
        if (!ReadPairAgain(hdPath, dt1Path, *again, holds)) {
            errors += FormatC("Error Loading %s\n", Shown(".hd").c_str());
            if (!again->GetLastMessage().empty())
                errors += again->GetLastMessage() + "\n";
            MarkUnknown();
            return;
        }
        header = std::move(again);
    }
    m_header = std::move(header);
    const ORQ::STamsel &hd = *m_header->GetTamsel();
    TakeHeader(hd);
    BoundTraces(hd, holds);
    FlagFromPositions(hd);
}

bool CGridRowBuild::ReadPairAgain(const std::string &hdPath, const std::string &dt1Path,
                                  ORQ::Tamsel &header, long long &holds) {
    const ORQ::ELinePairRead pair =
        ORQ::ReadLinePair(hdPath, dt1Path, nullptr, [&](const ORQ::CLinePairCheck &, int) {
            if (header.Load(hdPath.c_str(), ORQ::ST_FILE) || !header.GetTamsel())
                return false;
            holds = CDT1File::TraceCapacity(dt1Path.c_str(), header.GetTamsel()->m_points);
            return true;
        });
    if (pair == ORQ::PAIR_READ_BUSY) {
        header.GprClear();
        m_result.errors += "The line's files " + hdPath + " and " + dt1Path +
                           " were not read: " + ORQ::CFileGroupReplacement::BusyText(hdPath) +
                           ".\n";
    }
    return pair == ORQ::PAIR_READ_WHOLE;
}

void CGridRowBuild::BoundTraces(const ORQ::STamsel &hd, long long holds) {
    m_dt1Traces = holds;
    if (holds < 0 || hd.m_traces == holds)
        return;
    const std::string hdShown = Shown(".hd");
    if (hd.m_traces < holds) {
        // A header without traces or samples is reported as such already.
        if (hd.m_traces > 0 && hd.m_points > 0)
            m_result.errors += FormatC("%s claims %d traces, its trace file holds %lld.\n",
                                       hdShown.c_str(), hd.m_traces, holds);
        return;
    }
    m_result.errors += FormatC("%s claims %d traces, its trace file holds %lld%s.\n",
                               hdShown.c_str(), hd.m_traces, holds, NotLoadedText(hd).c_str());
    m_row->numTraces = static_cast<int>(holds);
    m_tracesBeyondFile = true;
}

std::string CGridRowBuild::NotLoadedText(const ORQ::STamsel &hd) {
    bool gps = hd.m_gpsType == GPS_LATLONG || !m_finder.Find(m_folder, m_relative + ".GPS").empty();
    bool topo = false;
    for (int k = 0; m_fileCount > 1 && k < m_fileCount; ++k) {
        ORQ::CKvdDataBlockInterface::SFileInfo entry;
        if (m_dbi->GetFileInfo(&entry, k, m_line, LT_ANY, -1, kByType) != 1 ||
            Interface::IsGPRData(entry.extension))
            continue;
        const std::string extension = Upper(entry.extension);
        topo = topo || extension.find("CTP") != std::string::npos;
        gps = gps || (extension.find("CTP") == std::string::npos &&
                      extension.find("GPS") != std::string::npos);
    }
    if (gps && topo)
        return "; the line's GPS and topography are not loaded";
    if (gps)
        return "; the line's GPS is not loaded";
    if (topo)
        return "; the line's topography is not loaded";
    return std::string();
}

void CGridRowBuild::TakeHeader(const ORQ::STamsel &hd) {
    std::string &errors = m_result.errors;
    m_headerStep = hd.m_stepSize.value;
    if (m_headerStep == 0)
        errors += FormatC("Error Loading STEP SIZE from %s\n", Shown(".hd").c_str());
    if (hd.m_traces == 0)
        errors +=
            FormatC("Unknown 'Number of Traces' Exist in %s,\nskipping", Shown(".hd").c_str());
    if (hd.m_traces < 1)
        errors += FormatC("No traces Exist in %s,\nskipping", Shown(".hd").c_str());
    m_row->numTraces = hd.m_traces;
    m_row->hdrGpsType = hd.m_gpsType;
    ORQ::EUnitType unit = hd.m_startPosition.unit;
    if (unit == ORQ::UNIT_NONE)
        unit = hd.m_stepSize.unit;
    if (unit != ORQ::UNIT_NONE) {
        m_row->unit = unit;
        m_result.frameUnit = unit;
    }
    if (m_line == 0 && m_file == 0 && m_input.reportErrors && unit != ORQ::UNIT_NONE) {
        m_result.displayUnit = unit;
        m_hooks.SetDisplayUnit(unit);
    }
    m_row->decimals = 3;
}

void CGridRowBuild::FlagFromPositions(const ORQ::STamsel &hd) {
    m_flag = m_li.editFlag;
    if (RadarPositions(m_dbi, m_line, m_fileCount, m_li) != 2 || !m_fi.positions ||
        m_fi.numPositions < 2)
        return;
    m_flag = SGridInfo::kUnchanged;
    const double start = Round3(hd.m_startPosition.value);
    const double final = Round3(hd.m_finalPosition.value);
    const auto &p0 = m_fi.positions[0];
    const auto &p1 = m_fi.positions[1];
    double a0 = 0, a1 = 0;
    if (m_li.lineType == LT_XLINE) {
        a0 = Round3(p0.X);
        a1 = Round3(p1.X);
    } else if (m_li.lineType == LT_YLINE) {
        a0 = Round3(p0.Y);
        a1 = Round3(p1.Y);
    } else {
        return;
    }
    if (start == a1 && final == a0)
        m_flag = SGridInfo::kReversed;
    if (m_flag == SGridInfo::kUnchanged && (start != a0 || final != a1))
        m_flag = SGridInfo::kEdited;
}

void CGridRowBuild::CompareStepInForce() {
    if (!m_headerLoaded || !m_fi.settings)
        return;
    const double inForce =
        ConvertLength(m_settingsStep, m_settingsUnit, m_header->GetTamsel()->m_stepSize.unit);
    if (std::fabs(m_headerStep) != std::fabs(inForce))
        m_flag = SGridInfo::kEdited;
    else if (m_flag == SGridInfo::kUnchanged && m_headerStep == -inForce)
        m_flag = SGridInfo::kReversed;
}

void CGridRowBuild::FillLine() {
    SGridInfo &row = *m_row;
    const double step = m_fi.settings ? ConvertLength(m_settingsStep, m_settingsUnit, row.unit)
                                      : ConvertLength(m_headerStep, m_result.frameUnit, row.unit);
    row.editFlag = m_flag;
    row.setIndex = m_li.setIndex;
    row.lineIndex = m_li.lineIndex;
    if (m_fi.positions && m_fi.numPositions > 0)
        row.reversed = !(m_fi.positions[0].X == m_li.xMin && m_fi.positions[0].Y == m_li.yMin);
    row.lineName = m_li.name;
    row.orientation = std::abs(static_cast<int>(m_li.lineType));
    // Extents are recorded in the positions' unit; a loaded header's unit stands for it.
    ORQ::EUnitType from = m_result.frameUnit;
    if (!m_headerLoaded && m_fi.positions && m_fi.numPositions > 0)
        from = m_fi.positions[0].units;
    row.xMin = ConvertLength(m_li.xMin, from, row.unit);
    row.xMax = ConvertLength(m_li.xMax, from, row.unit);
    row.yMin = ConvertLength(m_li.yMin, from, row.unit);
    row.yMax = ConvertLength(m_li.yMax, from, row.unit);
    row.length = ConvertLength((m_li.xMax - m_li.xMin) + (m_li.yMax - m_li.yMin), from, row.unit);
    row.step = step;
}

void CGridRowBuild::RegisterLine() {
    ORQ::CKvdDataBlock_V110::CDataFile::SFidComment fid;
    if (m_dbi->GetFidComment(&fid, m_li.setIndex, m_li.lineIndex, m_file, 0, LT_ANY, 0))
        m_result.fiducialsPresent = true;
    if (m_headerLoaded)
        m_result.headers.emplace(m_row->dataFileName, SRowHeader{m_header, m_dt1Path, m_dt1Traces});
    m_hooks.AddLine(m_li.setIndex, m_li.lineType, m_li.lineIndex, m_fi.odoStep,
                    static_cast<int>(m_fi.dim2), m_relative);
}

void CGridRowBuild::LoadAttachedFiles() {
    m_row->gpsStatus = GFS_NONE;
    m_row->topoStatus = GFS_NONE;
    if (m_fileCount < 2 || !m_isRadar)
        return;
    for (int k = 0; k < m_fileCount; ++k) {
        ORQ::CKvdDataBlockInterface::SFileInfo entry;
        if (m_dbi->GetFileInfo(&entry, k, m_line, LT_ANY, -1, kByType) != 1)
            continue;
        if (Interface::IsGPRData(entry.extension))
            continue;
        if (Upper(entry.extension).find("CTP") != std::string::npos)
            LoadTopoFile(entry);
        else if (Upper(entry.extension).find("GPS") != std::string::npos)
            LoadGpsFile(entry);
    }
}

// An attached topography file: loaded, or failed.
void CGridRowBuild::LoadTopoFile(const ORQ::CKvdDataBlockInterface::SFileInfo &entry) {
    const std::string topoPath = std::string(entry.path) + ".CTP";
    if (m_tracesBeyondFile) {
        m_row->topoStatus = GFS_FAILED;
        m_row->topoFileName = ".\\" + topoPath;
        return;
    }
    const int loaded = m_hooks.LoadTopoFile(FoundOrJoined(topoPath), m_li.setIndex, m_li.lineIndex,
                                            m_row->numTraces);
    m_row->topoStatus = loaded == 0 ? GFS_LOADED : GFS_FAILED;
    m_row->topoFileName = ".\\" + topoPath;
}

void CGridRowBuild::LoadGpsFile(const ORQ::CKvdDataBlockInterface::SFileInfo &entry) {
    const std::string entryPath = std::string(entry.path) + ".GPS";
    if (m_tracesBeyondFile) {
        m_row->gpsStatus = GFS_FAILED;
        m_row->gpsFileName = ".\\" + entryPath;
        return;
    }
    std::string loadErrors;
    const int fixes = m_hooks.LoadGpsFile(FoundOrJoined(entryPath), m_li.setIndex, m_li.lineIndex,
                                          m_row->numTraces, loadErrors);
    m_row->gpsStatus = fixes >= 2 ? GFS_LOADED : fixes >= 0 ? GFS_FEW_FIXES : GFS_FAILED;
    if (!loadErrors.empty())
        m_result.errors += loadErrors + "\n";
    m_row->gpsFileName = ".\\" + entryPath;
}

void CGridRowBuild::FindFilesBeside() {
    if (m_tracesBeyondFile)
        return;
    SGridInfo &row = *m_row;
    const ORQ::STamsel *hd = m_headerLoaded ? m_header->GetTamsel() : nullptr;
    // The GPS file beside the trace file; the line's GPS is loaded from it only when it exists
    // (an empty path keeps what the GPS data already holds for the line).
    const std::string gpsFound = m_finder.Find(m_folder, m_relative + ".GPS");
    if (row.gpsStatus == GFS_NONE || row.gpsStatus == GFS_FAILED) {
        if (!gpsFound.empty()) {
            row.gpsStatus = GFS_BESIDE;
            if (m_hooks.AskImportGps() && m_hooks.AttachGps(row))
                m_result.gpsAttached = true;
        } else if (hd && hd->m_gpsType == GPS_LATLONG) {
            if (m_hooks.AskImportGps()) {
                m_hooks.RecoverGps(row);
                if (row.gpsStatus == GFS_BESIDE && m_hooks.AttachGps(row))
                    m_result.gpsAttached = true;
            } else {
                row.gpsStatus = GFS_IN_TRACES;
            }
        }
    }
    // Topography as the GPS: a file beside the trace file can be attached, elevations in the
    // line's headers can be recovered into one.
    if (row.topoStatus == GFS_NONE || row.topoStatus == GFS_FAILED) {
        if (!m_finder.Find(m_folder, m_relative + ".CTP").empty())
            row.topoStatus = GFS_BESIDE;
        else if (hd && (hd->m_elevation.x != 0 || hd->m_elevation.y != 0))
            row.topoStatus = GFS_IN_TRACES;
    }
    if (hd &&
        (row.gpsStatus == GFS_NONE || row.gpsStatus == GFS_BESIDE || row.gpsStatus == GFS_FAILED))
        m_hooks.LoadLineGps(gpsFound, *m_header, m_dt1Path, m_dt1Traces, m_li.setIndex,
                            m_li.lineIndex, m_fi.odoStep, static_cast<int>(m_fi.dim2));
}

} // namespace

// CLineFileFinder

const ORQ::CFolderListing &CLineFileFinder::Listing(const std::string &folder) {
    // A load asks of the same folder line after line.
    if (m_last && m_lastFolder == folder)
        return *m_last;
    auto found = m_listings.find(folder);
    if (found == m_listings.end())
        found = m_listings.emplace(folder, ORQ::CFolderListing(folder)).first;
    m_lastFolder = folder;
    m_last = &found->second;
    return found->second;
}

std::string CLineFileFinder::Find(const std::string &folder, const std::string &relative) {
    using ORQ::CFolderListing;
    std::string path = WithSlash(folder);
    const CFolderListing *last = nullptr;
    CFolderListing::EType type = CFolderListing::TYPE_NONE;
    bool any = false;
    for (size_t begin = 0; begin < relative.size();) {
        size_t end = relative.find_first_of("\\/", begin);
        if (end == std::string::npos)
            end = relative.size();
        if (end > begin) {
            const std::string part = relative.substr(begin, end - begin);
            if (any)
                path += '/';
            any = true;
            last = nullptr;
            if (part == "." || part == "..") {
                path += part;
            } else {
                last = &Listing(path.size() > 1 ? path.substr(0, path.size() - 1) : "/");
                const std::string name = last->Find(part, &type);
                if (name.empty())
                    return std::string();
                path += name;
            }
        }
        begin = end + 1;
    }
    if (!any)
        return std::string();
    if (!last)
        return IsRegularFile(path) ? path : std::string();
    switch (type) {
    case CFolderListing::TYPE_FILE:
        return path;
    case CFolderListing::TYPE_UNKNOWN:
        return IsRegularFile(path) ? path : std::string();
    default:
        return std::string();
    }
}

std::string CLineFileFinder::Join(const std::string &folder, const std::string &relative) {
    std::string path = WithSlash(folder);
    std::vector<std::string> parts = PathParts(relative);
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i)
            path += '/';
        path += ORQ::PathToFileSystemSpelling(parts[i]);
    }
    return path;
}

// CCarriedHeaders

void CCarriedHeaders::Keep(RowHeaders &&headers, unsigned long filesWrittenAtRead) {
    m_headers = std::move(headers);
    m_filesWrittenAt = filesWrittenAtRead;
}

RowHeaders CCarriedHeaders::TakeInSameOperation() {
    RowHeaders taken;
    taken.swap(m_headers);
    if (ORQ::FileReplacementsBegun() != m_filesWrittenAt)
        taken.clear();
    return taken;
}

void CCarriedHeaders::Forget() {
    m_headers.clear();
}

// CGridRowBuilder

std::string CGridRowBuilder::CutErrors(const std::string &errors) {
    if (errors.size() <= kErrorTextLimit)
        return errors;
    return errors.substr(0, kErrorTextLimit) + "...";
}

std::string CGridRowBuilder::SelectionKey(const SGridInfo &row) {
    std::string file = row.dataFileName;
    size_t plus = file.find(" (+)");
    if (plus != std::string::npos && plus > 0)
        file.erase(plus, 4);
    return row.gridName + "," + file;
}

bool CGridRowBuilder::IsInFolder(const std::string &path, const std::string &folder) {
    std::string base = folder;
    while (base.size() > 1 && (base.back() == '/' || base.back() == '\\'))
        base.pop_back();
    return path.size() > base.size() + 1 && path.compare(0, base.size(), base) == 0 &&
           (path[base.size()] == '/' || path[base.size()] == '\\');
}

std::string CGridRowBuilder::RelativeName(const std::string &path, const std::string &folder) {
    std::string base = folder;
    while (base.size() > 1 && (base.back() == '/' || base.back() == '\\'))
        base.pop_back();
    // The name is stored in the project: the program's text of it.
    std::string rest =
        ORQ::FileNameToText(IsInFolder(path, base) ? path.substr(base.size()) : "/" + path);
    for (char &c : rest)
        if (c == '/')
            c = '\\';
    return "." + rest;
}

bool CGridRowBuilder::SameSelectionKey(const std::string &a, const std::string &b) {
    return a.size() == b.size() && CGridSelection::Fold(a) == CGridSelection::Fold(b);
}

CGridRowBuilder::SResult CGridRowBuilder::Build(const SInput &input, IGridLoadHooks &hooks) {
    SResult result;
    result.frameUnit = input.frameUnit;
    result.displayUnit = input.displayUnit;
    ORQ::CKvdDataBlockInterface_V110 *dbi = input.dbi;
    if (!dbi)
        return result;

    dbi->SetStepSizeTolerance(input.stepTolerance);
    result.filesWrittenAtRead = ORQ::FileReplacementsBegun();
    CLineFileFinder finder;
    std::set<std::string> lineFolders;
    const int lineCount = dbi->GetNumLines(-1, LT_ANY);
    result.headers.reserve(static_cast<size_t>(std::max(lineCount, 0)));
    for (int i = 0; i < lineCount; ++i) {
        const int fileCount = dbi->GetFileCount(i, -1, LT_ANY, kByType);
        for (int j = 0; j < fileCount; ++j) {
            BusyTick();
            CGridRowBuild build(input, hooks, finder, result, i, j, fileCount);
            if (!build.ReadEntry())
                continue;
            build.ReadHeader();
            if (!build.HeaderFolder().empty())
                lineFolders.insert(build.HeaderFolder());
            build.CompareStepInForce();
            build.FillLine();
            build.RegisterLine();
            build.LoadAttachedFiles();
            // GPS and topography entries of a line, and files that are not radar data, have no
            // row of their own.
            if (!build.IsRadarFile())
                continue;
            build.FindFilesBeside();
            result.rows.push_back(build.TakeRow());
        }
    }
    // Temporary files that killed writes of line files left behind go, once per folder (each
    // line's own pending replacement was finished when its header was read).
    for (const std::string &folder : lineFolders)
        ORQ::TidyReplacementFolder(finder.Listing(folder), ORQ::kLineFileExtensions);
    if (ORQ::FileReplacementsBegun() != result.filesWrittenAtRead)
        result.headers.clear();
    return result;
}
