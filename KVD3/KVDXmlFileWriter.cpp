// The new-file writer of the project file object: a whole project file (head, site definition
// and data block) built from radar line headers and sensor files.

#include "KVD3/DataLineAndSequenceFileParams.h"
#include "KVD3/KVDNodeValue.h"
#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockNumbers.h"
#include "KVD3/LineOffsetDlg.h"
#include "KVD3/SiteDefinition.h"
#include "Tamsel/LinePath.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/MessageSink.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace ORQ {

namespace {

const char kHeadComment[] = "Brenwick Inc. Grid, File information, & Project File";
const char kRootName[] = "ORQ_KVD";
const char kFileVersion[] = "1.1.0";
const char kCreateFailed[] = "The KVD file could not be created due to the following error(s):\n";
const char kCreateWarnings[] = "The KVD file was created with the following warning(s):\n";
const char kSenUnreadable[] = "Cannot read SEN file!";
const char kNotBuilt[] = "\nError: A new document could not be built.";
const double kPresetLineOffset = 0.1; // metres

bool IsExtension(const CStr &extension, const char *what) {
    return CStr::CompareNoCase(extension, what) == 0;
}

// The file name of a path without its folder and extension.
CStr BaseName(const std::string &path) {
    const size_t slash = path.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// The folder of the data files: the one given, else the first path's folder; always ending
// with a separator (a backslash for a folder written with backslashes only) unless empty.
CStr DataFolderOf(const char *given, const std::vector<CStr> &files) {
    CStr folder;
    if (given && *given) {
        folder = given;
    } else {
        const CStr &first = files.front();
        const size_t cut = first.find_last_of("\\/");
        folder = cut == std::string::npos ? CStr() : CStr(first.substr(0, cut + 1));
    }
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') {
        const bool windows =
            folder.find('\\') != std::string::npos && folder.find('/') == std::string::npos;
        folder += windows ? '\\' : '/';
    }
    return folder;
}

// The unit the numbers of a header are written in: its step size's unit, metres when the
// header names no distance unit (as the data block reader assumes then).
EUnitType HeaderUnit(const Tamsel &hd) {
    const EUnitType unit = hd.GetTamsel()->m_stepSize.Units();
    return CMeasure::IsDistanceUnit(unit) ? unit : UNIT_M;
}

// One data file of the list with what the writer reads from it.
struct SDataEntry {
    CDataLineAndSequenceFileParams params;
    CStr path;                      // as given in the list
    CStr name;                      // the base name as on disk (as given when not found)
    std::unique_ptr<Tamsel> header; // a trace file's header, when it loaded
    double senStart = 0.0;          // a sensor file's odometer range
    double senEnd = 0.0;
    CStr senUnit;
    bool IsTrace() const { return IsExtension(params.m_Extension, ".dt1"); }
    bool IsSensor() const { return IsExtension(params.m_Extension, ".sen"); }
};

// The entries of one line number, [begin, end) of the sorted list, and the header whose settings
// its data files take: its own first readable one, else (for sensor files only) the block's.
struct SLineRun {
    size_t begin = 0;
    size_t end = 0;
    const Tamsel *ownHeader = nullptr;
    const Tamsel *settingsHeader = nullptr;
    bool hasDataFiles = false; // trace or sensor files
};

// The entries of the list, sorted by line number and then by sequence number (ties keep their
// order in the list).
std::vector<SDataEntry> SortedEntries(const std::vector<CStr> &files) {
    std::vector<SDataEntry> entries(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        entries[i].path = files[i];
        entries[i].name = BaseName(files[i]);
        entries[i].params.ParseFileName(files[i]);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const SDataEntry &a, const SDataEntry &b) {
        if (a.params.m_LineNumber != b.params.m_LineNumber)
            return a.params.m_LineNumber < b.params.m_LineNumber;
        return a.params.m_SequenceNumber < b.params.m_SequenceNumber;
    });
    return entries;
}

// The runs of equal line numbers of the sorted entries with the headers that give their
// settings. blockSettingsNeeded: a line's sensor files take the block-wide settings of
// blockHeader because the line has no readable header of its own.
std::vector<SLineRun> GroupLines(const std::vector<SDataEntry> &entries, const Tamsel *blockHeader,
                                 bool &blockSettingsNeeded) {
    std::vector<SLineRun> runs;
    for (size_t i = 0; i < entries.size();) {
        SLineRun run;
        run.begin = i;
        bool sensors = false;
        for (; i < entries.size() &&
               entries[i].params.m_LineNumber == entries[run.begin].params.m_LineNumber;
             ++i) {
            const SDataEntry &entry = entries[i];
            if (!run.ownHeader && entry.header)
                run.ownHeader = entry.header.get();
            sensors = sensors || entry.IsSensor();
            run.hasDataFiles = run.hasDataFiles || entry.IsTrace() || entry.IsSensor();
        }
        run.end = i;
        run.settingsHeader = run.ownHeader;
        if (!run.ownHeader && sensors && blockHeader) {
            run.settingsHeader = blockHeader;
            blockSettingsNeeded = true;
        }
        runs.push_back(run);
    }
    return runs;
}

// A "DataFile" of a trace file with a loaded header, under the current "Line".
void WriteTraceFile(CKVDXmlFile &file, const SDataEntry &entry, int seq) {
    const STamsel &t = *entry.header->GetTamsel();
    file.AppendChildNode("DataFile");
    file.SetNodeAttribute("name", entry.name);
    file.SetNodeAttribute("seq", kvdnum::FormatD(seq));
    file.SetNodeAttribute("ext", "HD+DT1");
    file.AppendChildNode("FileType");
    file.SetNodeAttribute("UID", "COR@@@");
    file.GotoParentNode();
    file.AppendChildNode("Odometer");
    file.SetNodeAttribute("start", kvdnum::FormatF(t.m_startPosition.Value()));
    file.SetNodeAttribute("end", kvdnum::FormatF(t.m_finalPosition.Value()));
    file.SetNodeAttribute("step", kvdnum::FormatF(t.m_stepSize.Value()));
    file.SetNodeAttribute("units", CMeasure::UnitToString(HeaderUnit(*entry.header)));
    file.GotoParentNode();
    file.GotoParentNode();
}

// A "DataFile" of a sensor file, under the current "Line".
void WriteSensorFile(CKVDXmlFile &file, const SDataEntry &entry, int seq) {
    file.AppendChildNode("DataFile");
    file.SetNodeAttribute("name", entry.name);
    file.SetNodeAttribute("seq", kvdnum::FormatD(seq));
    file.SetNodeAttribute("ext", ".SEN");
    file.AppendChildNode("Odometer");
    file.SetNodeAttribute("start", kvdnum::FormatF(entry.senStart));
    file.SetNodeAttribute("end", kvdnum::FormatF(entry.senEnd));
    file.SetNodeAttribute("step", "NA");
    file.SetNodeAttribute("units", entry.senUnit);
    file.GotoParentNode();
    file.GotoParentNode();
}

// One "Line" under the current "Data": its settings, its data files in sequence order and its
// linear reference, lineOffset metres to the side per line number. A line without settings for
// its data files is left out, with a warning when it had any.
void WriteLine(CKVDXmlFile &file, const SLineRun &run, const std::vector<SDataEntry> &entries,
               double lineOffset, CStr &errors) {
    const int lineNumber = entries[run.begin].params.m_LineNumber;
    CStr lineName;
    lineName.Format("Line%d", lineNumber);
    if (!run.settingsHeader) {
        if (run.hasDataFiles)
            errors += "\nWarning: " + lineName +
                      " was not written: no radar line header of its data files could be read.";
        return;
    }
    file.AppendChildNode("Line");
    file.SetNodeAttribute("name", lineName);
    if (run.ownHeader)
        file.WriteSettingsBlock_V110(*run.ownHeader, 0.0);
    int traceSeq = 1, sensorSeq = 1;
    for (size_t i = run.begin; i < run.end; ++i) {
        if (entries[i].IsTrace() && entries[i].header)
            WriteTraceFile(file, entries[i], traceSeq++);
        else if (entries[i].IsSensor())
            WriteSensorFile(file, entries[i], sensorSeq++);
    }
    // The offset is asked in metres and written in the unit of the line's own header.
    const EUnitType unit = HeaderUnit(*run.settingsHeader);
    const double lateral = (static_cast<double>(lineNumber) - 1.0) * lineOffset;
    file.AppendChildNode("LinearRef");
    file.SetNodeAttribute("ododist", "0.0");
    file.SetNodeAttribute("refdist", "0.0");
    file.SetNodeAttribute("reflateral",
                          kvdnum::FormatF(CMeasure::ConvertTo(lateral, UNIT_M, unit)));
    file.SetNodeAttribute("units", CMeasure::UnitToString(unit));
    file.GotoParentNode();
    file.GotoParentNode();
}

} // namespace

// Keeps the document held before aside while a new one is built in its place: it comes back,
// with its path and positions, unless the new one is kept.
class CKVDXmlFile::CHeldDocument {
public:
    explicit CHeldDocument(CKVDXmlFile &file)
        : m_file(file), m_dom(std::move(file.m_dom)), m_positions(std::move(file.m_positions)),
          m_path(file.m_path) {
        file.m_positions.clear();
    }
    ~CHeldDocument() {
        if (m_kept) {
            if (m_dom)
                for (void *h : m_positions)
                    m_dom->ReleaseNodeHandle(h);
            return;
        }
        m_file.ReleasePositions();
        m_file.m_dom = std::move(m_dom);
        m_file.m_positions = std::move(m_positions);
        m_file.m_path = m_path;
    }
    CHeldDocument(const CHeldDocument &) = delete;
    CHeldDocument &operator=(const CHeldDocument &) = delete;

    // The new document stays; the one held before is released.
    void KeepNew() { m_kept = true; }

private:
    CKVDXmlFile &m_file;
    std::unique_ptr<CXmlDom> m_dom;
    std::deque<void *> m_positions;
    CStr m_path;
    bool m_kept = false;
};

int CKVDXmlFile::CreateNewFile_V110(CStr path, const SCreatedBy &createdBy,
                                    const std::vector<CStr> &files, const char *dataFolder) {
    try {
        CHeldDocument before(*this);
        if (!NewDocument() || !m_dom->InitializeNewXmlFile(kHeadComment, kRootName) ||
            !SetNodeAttribute("version", kFileVersion)) {
            ShowMessage(CStr(kCreateFailed) + kNotBuilt);
            return CREATE_FAILED;
        }
        // The new document never takes over the path of the one it replaces: a later save must
        // not write it over that file.
        m_path = path;
        if (files.empty()) {
            before.KeepNew();
            return CREATE_EMPTY_LIST;
        }

        const CStr folder = DataFolderOf(dataFolder, files);
        const auto firstTrace = std::find_if(files.begin(), files.end(), [](const CStr &file) {
            CDataLineAndSequenceFileParams params;
            params.ParseFileName(file);
            return IsExtension(params.m_Extension, ".dt1");
        });
        if (firstTrace != files.end())
            WriteSiteDefinition(createdBy, folder + BaseName(*firstTrace) + ".hd");

        CStr problems;
        if (!WriteDataBlock_V110(createdBy, files, folder, problems)) {
            ShowMessage(kCreateFailed + problems);
            return CREATE_FAILED;
        }
        const int saved = Save(CStr());
        if (saved != 0)
            return saved;
        before.KeepNew();
        if (!problems.empty())
            ShowMessage(kCreateWarnings + problems, MB_ICONWARNING);
        return saved;
    } catch (...) {
        // Out of memory: the document held before is back (the held copy was unwound).
        ShowMessage(CStr(kCreateFailed) + kNotBuilt);
        return CREATE_FAILED;
    }
}

int CKVDXmlFile::WriteDataBlock_V110(const SCreatedBy &createdBy, const std::vector<CStr> &files,
                                     CStr dataFolder, CStr &errors) {
    if (files.empty())
        return 1;

    // Every data file is read before anything is written: a sensor file that cannot be read
    // ends the writing, and which lines have settings of their own is known before the block's
    // are written. Names are looked up in either letter case and written as they are on disk.
    std::vector<SDataEntry> entries = SortedEntries(files);
    const Tamsel *blockHeader = nullptr; // the first readable header of all
    for (SDataEntry &entry : entries) {
        const CStr base = dataFolder + BaseName(entry.path);
        if (entry.IsTrace()) {
            auto header = std::make_unique<Tamsel>();
            if (!header->Load((base + ".hd").c_str(), ST_FILE) && header->GetTamsel()) {
                entry.name = BaseName(header->FilePathName());
                entry.header = std::move(header);
            }
            if (!blockHeader && entry.header)
                blockHeader = entry.header.get();
        } else if (entry.IsSensor()) {
            const std::string sensorPath = ResolveLinePath(base + entry.params.m_Extension);
            entry.name = BaseName(sensorPath);
            if (!GetSenOdometer(sensorPath, entry.senStart, entry.senEnd, entry.senUnit)) {
                errors += kSenUnreadable;
                return 0;
            }
        }
    }
    bool blockSettingsNeeded = false;
    const std::vector<SLineRun> runs = GroupLines(entries, blockHeader, blockSettingsNeeded);

    double lineOffset = 0.0; // metres
    if (entries.front().params.m_LineNumber != entries.back().params.m_LineNumber) {
        CLineOffsetDlg dialog;
        dialog.m_LineOffset = kPresetLineOffset;
        dialog.DoModal();
        lineOffset = dialog.m_LineOffset;
    }

    AppendChildNode("Data");
    SetNodeAttribute("version", kFileVersion);
    AppendCreatedByBlock(createdBy);
    AppendChildNode("DataDirPath");
    SetNodeText(dataFolder);
    GotoParentNode();
    if (blockSettingsNeeded)
        WriteSettingsBlock_V110(*blockHeader, 0.0);
    for (const SLineRun &run : runs)
        WriteLine(*this, run, entries, lineOffset, errors);
    GotoParentNode();
    return 1;
}

int CKVDXmlFile::GetSenOdometer(CStr path, double &start, double &end, CStr &unit) {
    CKVDXmlFile sensor;
    if (!sensor.Initialize(ResolveLinePath(path)) || !sensor.GotoRootNode() ||
        !sensor.GotoChildNode("Odometer", 0))
        return 0;
    CKVDNodeValue::Get(start, &sensor, "start", nullptr);
    CKVDNodeValue::Get(end, &sensor, "end", nullptr);
    // Values beyond the double range read as 0, as the data block reader reads them.
    start = std::isfinite(start) ? start : 0.0;
    end = std::isfinite(end) ? end : 0.0;
    unit = "m";
    CStr text;
    if (CKVDNodeValue::Get(text, &sensor, "units", nullptr))
        unit = text;
    return 1;
}

int CKVDXmlFile::WriteSiteDefinition(const SCreatedBy &createdBy, CStr headerPath) {
    Tamsel header;
    header.Load(headerPath.c_str(), ST_FILE);
    CDateTime when;
    when.SetStatus(CDateTime::invalid);
    if (const STamsel *t = header.GetTamsel())
        CSiteDefinition::ParseDate(t->m_date, when);

    AppendChildNode("SiteDefinition");
    AppendCreatedByBlock(createdBy);
    for (const char *field : {"Operator", "CompanyName", "SiteName"}) {
        AppendChildNode(field);
        SetNodeText("NA");
        GotoParentNode();
    }
    AppendChildNode("Job");
    SetNodeText("Unknown job " + when.Format("%Y-%m-%d %H:%M:%S"));
    SetNodeAttribute("date", when.Format("%Y-%m-%d"));
    SetNodeAttribute("time", when.Format("%H:%M:%S"));
    GotoParentNode();
    GotoParentNode();
    return 1;
}

} // namespace ORQ
