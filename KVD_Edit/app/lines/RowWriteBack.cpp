#include "KVD_Edit/app/lines/RowWriteBack.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "KVD3/KvdSettingsBlock.h"
#include "KVD_Edit/app/document/GpsCommands.h"
#include "KVD_Edit/app/grid/GridRowBuilder.h"
#include "KVD_Edit/app/lines/FiducialImporter.h"
#include "KVD_Edit/app/lines/ImportText.h"
#include "Tamsel/LinePath.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/CLocale.h"
#include "orq_utils/MessageSink.h"
#include "orq_utils/PathName.h"
#include "orq_utils/Str.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

using ORQ::CKvdSettingsBlock_V110;
using ORQ::CMeasure;
using ORQ::CStr;
using ORQ::EUnitType;

namespace {

bool EqualNoCase(const std::string &a, const std::string &b) {
    return CStr::CompareNoCase(a, b) == 0;
}

CStr Fixed3(double value) {
    CStr text;
    text.Format("%.3f", value);
    return text;
}

double Convert(double value, EUnitType from, EUnitType to) {
    if (from == to || !CMeasure::IsDistanceUnit(from) || !CMeasure::IsDistanceUnit(to))
        return value;
    return CMeasure::ConvertTo(value, from, to);
}

CStr Attribute(ORQ::CKVDXmlFile *file, const char *name, bool &present) {
    CStr value(name);
    present = file->GetNodeAttribute(value) != 0;
    return present ? value : CStr();
}

// A file position as the project reader takes it: the leading number, 0 for none or for a
// value that is not finite.
double FilePosition(const std::string &text) {
    const double v = ORQ::AtofC(text.c_str());
    return std::isfinite(v) ? v : 0.0;
}

// The unit a "Position" element's values are read in: metres for a "units" text that begins
// with "m", feet for any other; an element without the attribute is read as metres.
EUnitType PositionElementUnit(ORQ::CKVDXmlFile *file) {
    bool present = false;
    const CStr units = Attribute(file, "units", present);
    if (!present)
        return ORQ::UNIT_M;
    return (!units.empty() && (units[0] == 'm' || units[0] == 'M')) ? ORQ::UNIT_M : ORQ::UNIT_FT;
}

// The unit an "Odometer" element's values are read in: a length unit named by "units", else
// metres.
EUnitType OdometerElementUnit(ORQ::CKVDXmlFile *file) {
    bool present = false;
    const CStr units = Attribute(file, "units", present);
    const EUnitType unit = present ? CMeasure::StringToUnit(units) : ORQ::UNIT_M;
    return CMeasure::IsDistanceUnit(unit) ? unit : ORQ::UNIT_M;
}

// The "Settings" child of the current node, when it loads completely (as the project reader
// takes it); the cursor stays.
std::unique_ptr<CKvdSettingsBlock_V110> ReadSettingsChild(ORQ::CKVDXmlFile *file, CStr &errors) {
    if (!file->GotoChildNode("Settings", 0))
        return nullptr;
    auto block = std::make_unique<CKvdSettingsBlock_V110>();
    const int ok = block->LoadSettings(file, errors);
    file->GotoParentNode();
    return ok ? std::move(block) : nullptr;
}

// The "Position" children of the current node (a data file): how many there are, and which
// come first and last when they are ordered by "normalized_file_pos" (equal ones keeping their
// document order). The cursor stays.
struct SEnds {
    int count = 0;
    int first = 0;
    int last = 0;
};
SEnds PositionEnds(ORQ::CKVDXmlFile *file) {
    SEnds ends;
    if (!file->GotoChildNode("Position", 0))
        return ends;
    double lowest = 0, highest = 0;
    do {
        bool present = false;
        const double at = FilePosition(Attribute(file, "normalized_file_pos", present));
        if (ends.count == 0 || at < lowest) {
            lowest = at;
            ends.first = ends.count;
        }
        if (ends.count == 0 || at >= highest) {
            highest = at;
            ends.last = ends.count;
        }
        ++ends.count;
    } while (file->GotoNextSibling("Position"));
    file->GotoParentNode();
    return ends;
}

// The "FIDComment" children of the current node as one text (their values and comments in
// document order), to tell whether a renewal changed them; the cursor stays.
std::string FidComments(ORQ::CKVDXmlFile *file) {
    std::string all;
    if (!file->GotoChildNode("FIDComment", 0))
        return all;
    do {
        for (const char *name : {"ododist", "units", "fileflag"}) {
            bool present = false;
            all += Attribute(file, name, present);
            all += present ? '\x1f' : '\x1e';
        }
        CStr text;
        file->GetNodeText(text);
        all += text;
        all += '\x1d';
    } while (file->GotoNextSibling("FIDComment"));
    file->GotoParentNode();
    return all;
}

// Removes every child element of the current node with that name; the cursor stays.
void RemoveChildren(ORQ::CKVDXmlFile *file, const char *name) {
    while (file->GotoChildNode(name, 0))
        file->RemoveCurrentNode();
}

// Puts the cursor on the project's "Data" element.
bool GotoDataBlock(ORQ::CKVDXmlFile *file) {
    return file && file->GotoRootNode() && file->GotoChildNode("Data", 0);
}

// Reads the row's header; a header that cannot be read is reported.
bool LoadHeader(const std::string &path, ORQ::Tamsel &hd) {
    if (!hd.Load(path.c_str(), ORQ::ST_FILE) && hd.GetTamsel())
        return true;
    CStr text;
    text.Format(ImportText::kUnableToReadFormat, path.c_str());
    if (!hd.GetLastMessage().empty())
        text += "\n" + hd.GetLastMessage();
    ORQ::ShowMessage(text, ORQ::MB_OK | ORQ::MB_ICONERROR);
    return false;
}

// The trace file of a header whose files were not looked up beforehand: the reader looks for it.
const std::string kNotLookedUp;

// The row's header as the fiducial comments are written from it: its values, and its position
// unit (metres unless a length unit) with the row's step in that unit. The paths and values are
// the caller's, which outlive the record.
struct SLineHeader {
    const std::string *path = nullptr;
    const std::string *traceFilePath = &kNotLookedUp; // the trace file as found, when known
    const ORQ::STamsel *values = nullptr;
    const ORQ::CFileStamp *state = nullptr; // of the file values were read from
    EUnitType unit = ORQ::UNIT_M;
    double step = 0;
};
SLineHeader LineHeader(const std::string &path, const ORQ::Tamsel &read, const SRowValues &row) {
    const ORQ::STamsel &values = *read.GetTamsel();
    SLineHeader header;
    header.path = &path;
    header.values = &values;
    header.state = &read.FileState();
    header.unit = values.m_startPosition.unit;
    if (!CMeasure::IsDistanceUnit(header.unit))
        header.unit = ORQ::UNIT_M;
    header.step = Convert(row.step, row.unit, header.unit);
    return header;
}

// A row's data file name without its extension and leading separators and dots.
std::string RelativeName(const std::string &dataFileName) {
    std::string name = dataFileName;
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    const size_t start = name.find_first_not_of("\\/.");
    return start == std::string::npos ? std::string() : name.substr(start);
}

// Whether the "DataFile" under the cursor is the trace file the row shows; the cursor stays.
bool IsRowsEntry(ORQ::CKVDXmlFile *file, const std::string &rowRelative) {
    bool present = false;
    const CStr name = Attribute(file, "name", present);
    const CStr ext = Attribute(file, "ext", present);
    CStr dirPath;
    if (file->GotoChildNode("FileDirPath", 0)) {
        file->GetNodeText(dirPath);
        file->GotoParentNode();
    }
    const std::string relative = dirPath.empty() ? std::string(name) : dirPath + "\\" + name;
    CStr a = relative, b = rowRelative;
    a.Substitute("/", "\\");
    b.Substitute("/", "\\");
    return EqualNoCase(a, b) &&
           ORQ::CKvdDataBlockInterface_V110::IsGPRData(ext.empty() ? name : ext);
}

// Runs write on every "DataFile" of the line under the cursor, the cursor on that data file and
// put back after each; write is told whether it is the row's own trace file.
template <typename FWrite>
void ForEachDataFile(ORQ::CKVDXmlFile *file, const std::string &rowRelative, FWrite write) {
    if (!file->GotoChildNode("DataFile", 0))
        return;
    do {
        file->PushPosition();
        write(IsRowsEntry(file, rowRelative));
        file->GotoTopPosition();
        file->PopPosition();
    } while (file->GotoNextSibling("DataFile"));
}

// Positions of the data file under the cursor: the line's start and end, the first and the
// last "Position" in the order of their file positions, as the project is read; missing ones
// appended in the header's unit (feet or metres).
void WritePositions(ORQ::CKVDXmlFile *file, const SRowValues &row, EUnitType headerUnit) {
    double first[2] = {row.xMin, row.yMin}, second[2] = {row.xMax, row.yMax};
    if (row.reversed)
        std::swap(first, second);
    int written = 0;
    const SEnds ends = PositionEnds(file);
    const int targets[2] = {ends.first, ends.last};
    for (; written < std::min(ends.count, 2); ++written) {
        if (!file->GotoChildNode("Position", targets[written]))
            break;
        const double *p = written == 0 ? first : second;
        const EUnitType pu = PositionElementUnit(file);
        file->SetNodeAttribute("X", Fixed3(Convert(p[0], row.unit, pu)));
        file->SetNodeAttribute("Y", Fixed3(Convert(p[1], row.unit, pu)));
        file->GotoParentNode();
    }
    for (; written < 2; ++written) {
        const double *p = written == 0 ? first : second;
        const EUnitType pu = headerUnit == ORQ::UNIT_FT ? ORQ::UNIT_FT : ORQ::UNIT_M;
        file->AppendChildNode("Position");
        file->SetNodeAttribute("X", Fixed3(Convert(p[0], row.unit, pu)));
        file->SetNodeAttribute("Y", Fixed3(Convert(p[1], row.unit, pu)));
        file->SetNodeAttribute("Z", "0.00");
        file->SetNodeAttribute("units", CMeasure::UnitToString(pu));
        file->SetNodeAttribute("normalized_file_pos", written == 0 ? "0.0" : "1.0");
        file->GotoParentNode();
    }
}

// The step, start and end of the "Odometer" of the data file under the cursor, when it has
// one (then true); the cursor stays.
bool WriteOdometer(ORQ::CKVDXmlFile *file, const SRowValues &row) {
    if (!file->GotoChildNode("Odometer", 0))
        return false;
    const bool xLine = row.orientation == 2;
    const EUnitType ou = OdometerElementUnit(file);
    const double start = xLine ? row.xMin : row.yMin;
    const double end = xLine ? row.xMax : row.yMax;
    file->SetNodeAttribute("step", Fixed3(Convert(row.step, row.unit, ou)));
    file->SetNodeAttribute("start", Fixed3(Convert(start, row.unit, ou)));
    file->SetNodeAttribute("end", Fixed3(Convert(end, row.unit, ou)));
    file->GotoParentNode();
    return true;
}

bool HasOdometer(ORQ::CKVDXmlFile *file) {
    if (!file->GotoChildNode("Odometer", 0))
        return false;
    file->GotoParentNode();
    return true;
}

// Replaces the "FIDComment" children of the data file under the cursor with those of its trace
// file (an X or Y line only; others are left without); changed, when given, is set when they
// now differ. The trace file is read first: when it cannot be read (nor its header's counts
// used) or does not hold the traces its header gives, the comments stay as they are and the
// result is false. read, when given, tells what reading found.
bool RenewFidComments(ORQ::CKVDXmlFile *file, const SRowValues &row, const SLineHeader &header,
                      bool *changed, SFidFilesRead *read) {
    std::vector<SFiducialMark> marks;
    SFidFilesRead found;
    found.result = CFiducialImporter::ReadMarks(*header.path, marks, header.values,
                                                *header.traceFilePath, &found.fault, header.state);
    if (read)
        *read = found;
    if (found.KeepsComments())
        return false;
    const bool xLine = row.orientation == 2;
    const bool yLine = row.orientation == 3;
    const std::string before = changed ? FidComments(file) : std::string();
    RemoveChildren(file, "FIDComment");
    if (xLine || yLine) {
        double y0 = Convert(xLine ? row.xMin : row.yMin, row.unit, header.unit);
        double y1 = Convert(xLine ? row.xMax : row.yMax, row.unit, header.unit);
        if (row.reversed)
            std::swap(y0, y1);
        const ORQ::STamsel &t = *header.values;
        CFiducialImporter::WriteMarks(file, marks, header.unit, header.step,
                                      t.m_startPosition.value, t.m_finalPosition.value, y0, y1);
    }
    if (changed && FidComments(file) != before)
        *changed = true;
    return true;
}

// What is wrong with a kept row's trace file, as a format of its name.
const char *TraceFileReason(ETraceFileFault fault) {
    switch (fault) {
    case ETraceFileFault::Missing:
        return ImportText::kTraceFileMissingFormat;
    case ETraceFileFault::Short:
        return ImportText::kTraceFileShortFormat;
    case ETraceFileFault::Long:
        return ImportText::kTraceFileLongFormat;
    default:
        return ImportText::kTraceFileUnreadableFormat;
    }
}

// The reason a kept row's line gives in the re-import's message.
std::string KeptReason(const SKeptFiducials &row) {
    std::string shown = row.dataFileName;
    const size_t plus = shown.rfind(" (+)");
    if (plus != std::string::npos && plus > 0 && plus + 4 == shown.size())
        shown.erase(plus);
    const std::string header = ORQ::StemOf(shown) + ".hd";
    CStr text;
    if (row.why.result == CFiducialImporter::kHeaderNotLoaded)
        text.Format(ImportText::kHeaderUnreadableFormat, header.c_str());
    else if (row.why.result == CFiducialImporter::kTraceFileUnreadable ||
             row.why.fault == ETraceFileFault::Long)
        text.Format(TraceFileReason(row.why.fault), shown.c_str());
    else
        text.Format(ImportText::kHeaderEmptyFormat, header.c_str());
    return text;
}

} // namespace

CRowWriteBack::CRowWriteBack(ORQ::CKVDXmlFile *file, const std::string &projectPath,
                             const CLineNodes *lines)
    : m_file(file), m_lines(lines) {
    const size_t sep = projectPath.find_last_of("/\\");
    m_projectFolder = sep == std::string::npos ? std::string(".") : projectPath.substr(0, sep);
}

CRowWriteBack::~CRowWriteBack() = default;

const CKvdSettingsBlock_V110 *CRowWriteBack::DataBlockSettings() {
    // The data block's "Settings" may follow every line of the project: it is looked for once.
    if (!m_dataSettings) {
        m_dataSettings = std::make_unique<SSettingsRead>();
        m_dataSettings->present = m_file->GotoChildNode("Settings", 0);
        if (m_dataSettings->present)
            m_file->GotoParentNode();
        CStr errors;
        m_dataSettings->block = ReadSettingsChild(m_file, errors);
        m_dataSettings->errors = errors;
    }
    // A block that does not load is told of once: a pass over every row would ask a person to
    // close one box for each line.
    SSettingsRead &read = *m_dataSettings;
    if (read.present && !read.block && !read.errors.empty() && !read.told) {
        read.told = true;
        ORQ::ShowMessage(read.errors, ORQ::MB_OK | ORQ::MB_ICONWARNING);
    }
    return read.block.get();
}

const CKvdSettingsBlock_V110 *
CRowWriteBack::LineSettings(const CKvdSettingsBlock_V110 *inForce,
                            std::unique_ptr<CKvdSettingsBlock_V110> &own) {
    if (m_file->PushPosition()) {
        CStr element;
        if (m_file->GotoParentNode() && m_file->GetNodeName(element) && element == "LineSet") {
            // A set's "Settings" may follow all its lines: each set's is looked for once.
            const void *key = m_file->GetCurrentNodeKey();
            auto found = m_setSettings.find(key);
            if (found == m_setSettings.end()) {
                CStr errors;
                found = m_setSettings.emplace(key, ReadSettingsChild(m_file, errors)).first;
            }
            if (found->second)
                inForce = found->second.get();
        }
        m_file->GotoTopPosition();
        m_file->PopPosition();
    }
    CStr errors;
    own = ReadSettingsChild(m_file, errors);
    return own ? own.get() : inForce;
}

SRowValues CRowWriteBack::ValuesOf(const SGridInfo &row, EUnitType unit) {
    SRowValues values;
    values.dataFileName = row.dataFileName;
    values.lineName = row.lineName;
    values.orientation = row.orientation;
    values.xMin = row.xMin;
    values.xMax = row.xMax;
    values.yMin = row.yMin;
    values.yMax = row.yMax;
    values.step = row.step;
    values.reversed = row.reversed;
    values.unit = unit;
    return values;
}

std::string CRowWriteBack::HeaderPath(const std::string &dataFileName) const {
    return ORQ::ResolveLinePath(m_projectFolder + "/" + RelativeName(dataFileName) + ".hd");
}

bool CRowWriteBack::ModifyRow(const SRowValues &row, const std::string &oldGridName,
                              const std::string &oldLineName, int selectedCount) {
    if (!GotoDataBlock(m_file))
        return false;
    // Settings in force for the line: the innermost complete block of the data block, the set
    // and the line.
    const CKvdSettingsBlock_V110 *inForce = DataBlockSettings();
    const std::string headerPath = HeaderPath(row.dataFileName);
    ORQ::Tamsel hd;
    if (!LoadHeader(headerPath, hd))
        return false;
    const SLineHeader header = LineHeader(headerPath, hd, row);
    std::unique_ptr<CKvdSettingsBlock_V110> fromHeader(CKvdSettingsBlock_V110::FromHeader(hd));
    if (fromHeader)
        fromHeader->m_StepSize.value = Convert(row.step, row.unit, fromHeader->m_StepSize.unit);
    if (!GotoLine(oldGridName, oldLineName, row.lineName))
        return false;
    std::unique_ptr<CKvdSettingsBlock_V110> lineSettings;
    inForce = LineSettings(inForce, lineSettings);

    // The cursor is on the line. From here on the file changes.
    if (selectedCount == 1)
        m_file->SetNodeAttribute("name", row.lineName);
    ForEachDataFile(m_file, RelativeName(row.dataFileName), [&](bool rowsEntry) {
        WritePositions(m_file, row, header.unit);
        if (WriteOdometer(m_file, row) && rowsEntry)
            RenewFidComments(m_file, row, header, nullptr, nullptr);
        if (rowsEntry) {
            RemoveChildren(m_file, "Settings");
            if (fromHeader && (!inForce || !inForce->Compare(fromHeader.get())))
                m_file->WriteSettingsBlock_V110(hd, header.step);
        }
    });
    return true;
}

bool CRowWriteBack::RewriteFiducials(const SRowValues &row, const std::string &gridName,
                                     const std::string &lineName, bool *changed,
                                     const SRowHeader *header, SFidFilesRead *read) {
    if (changed)
        *changed = false;
    if (read)
        *read = SFidFilesRead();
    if (!GotoDataBlock(m_file))
        return false;
    // The comments need only the header's values and the trace file, which the caller may have
    // read and found already; the header is read here only when it was not. One that cannot be
    // read is told to the caller, which names every such line once.
    std::string ownPath;
    std::unique_ptr<ORQ::Tamsel> hd;
    if (!header) {
        ownPath = HeaderPath(row.dataFileName);
        hd = std::make_unique<ORQ::Tamsel>();
        if (hd->Load(ownPath.c_str(), ORQ::ST_FILE) || !hd->GetTamsel()) {
            if (read)
                read->result = CFiducialImporter::kHeaderNotLoaded;
            return false;
        }
    }
    const std::string &headerPath = header ? header->HeaderPath() : ownPath;
    SLineHeader values = LineHeader(headerPath, header ? *header->header : *hd, row);
    if (header)
        values.traceFilePath = &header->traceFilePath;
    if (!GotoLine(gridName, lineName, lineName))
        return false;
    bool kept = false;
    ForEachDataFile(m_file, RelativeName(row.dataFileName), [&](bool rowsEntry) {
        if (HasOdometer(m_file) && rowsEntry &&
            !RenewFidComments(m_file, row, values, changed, read))
            kept = true;
    });
    return !kept;
}

std::string CRowWriteBack::KeptFiducialsMessage(const std::vector<SKeptFiducials> &rows) {
    if (rows.empty())
        return std::string();
    std::string text = ImportText::kFiducialsKept;
    const size_t shown = std::min(rows.size(), kKeptLinesShown);
    for (size_t i = 0; i < shown; ++i) {
        CStr line;
        line.Format(ImportText::kKeptLineFormat, rows[i].lineName.c_str(),
                    KeptReason(rows[i]).c_str());
        text += "\n" + line;
    }
    if (rows.size() > shown) {
        CStr more;
        more.Format(ImportText::kMoreKeptFormat, static_cast<int>(rows.size() - shown));
        text += "\n" + more;
    }
    return text;
}

bool CRowWriteBack::GotoLine(const std::string &setName, const std::string &lineName,
                             const std::string &newName) {
    const bool renaming = !EqualNoCase(lineName, newName);
    CStr text;
    switch (FindLine(setName, lineName, newName, renaming)) {
    case EFind::Found:
        return true;
    case EFind::NoSet:
        text.Format(ImportText::kInvalidSetFormat, setName.c_str());
        break;
    case EFind::NoLine:
        text.Format(ImportText::kInvalidLineFormat, lineName.c_str());
        break;
    case EFind::NameUsed:
        text.Format(ImportText::kLineUsedFormat, newName.c_str());
        break;
    }
    ORQ::ShowMessage(text, ORQ::MB_OK | ORQ::MB_ICONERROR);
    return false;
}

CRowWriteBack::EFind CRowWriteBack::FindLine(const std::string &setName,
                                             const std::string &lineName,
                                             const std::string &newName, bool renaming) {
    // The index knows the first line of a name; whether a new name is taken needs the walk. A
    // line the index cannot place leaves the cursor anywhere: the walk starts from "Data" again.
    if (m_lines && !renaming && m_lines->File() == m_file && !lineName.empty()) {
        if (m_lines->Goto(setName, lineName))
            return EFind::Found;
        GotoDataBlock(m_file);
    }

    if (!setName.empty() && m_file->GotoChildNode("LineSet", 0)) {
        bool found = false;
        do {
            CStr name("name");
            if (m_file->GetNodeAttribute(name) && EqualNoCase(name, setName)) {
                found = true;
                break;
            }
        } while (m_file->GotoNextSibling("LineSet"));
        if (!found)
            return EFind::NoSet;
    }

    bool found = false, used = false;
    if (!lineName.empty() && m_file->GotoChildNode("Line", 0)) {
        do {
            CStr name("name");
            if (!m_file->GetNodeAttribute(name))
                continue;
            if (!found && EqualNoCase(name, lineName)) {
                found = true;
                m_file->PushPosition();
                if (!renaming)
                    break;
            } else if (renaming && EqualNoCase(name, newName)) {
                used = true;
            }
        } while (m_file->GotoNextSibling("Line"));
        if (found) {
            m_file->GotoTopPosition();
            m_file->PopPosition();
        } else {
            m_file->GotoParentNode();
        }
    }
    if (!found)
        return EFind::NoLine;
    return used ? EFind::NameUsed : EFind::Found;
}
