#include "KVD3/KvdDataBlock.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockNumbers.h"
#include "KVD3/VersionRecord.h"
#include "Tamsel/LinePath.h"
#include "Tamsel/Tamsel.h"

#include <algorithm>
#include <cstring>

namespace ORQ {

namespace {

CStr Attr(CKVDXmlFile *file, const char *name) {
    CStr value(name);
    file->GetNodeAttribute(value);
    return value;
}

bool HasAttr(CKVDXmlFile *file, const char *name, CStr &value) {
    value = name;
    return file->GetNodeAttribute(value) != 0;
}

CStr Text(CKVDXmlFile *file) {
    CStr text;
    file->GetNodeText(text);
    return text;
}

// Unit of a distance written with a "units" attribute. A missing attribute or a text that names
// no distance unit would turn every value into 0 (or into seconds); metres are taken instead,
// and the file's problem is reported once per element kind. The warnings name the element's
// owner as what and name ("file LINE01"), put together only when a warning is written.
class CUnitReader {
public:
    CUnitReader(const char *what, const CStr &name, const char *kind)
        : m_what(what), m_name(name), m_kind(kind) {}

    EUnitType Read(CKVDXmlFile *file, CStr &errors) {
        CStr text;
        if (!HasAttr(file, "units", text)) {
            Warn(errors, CStr("\nWarning: <") + m_kind + "> without \"units\" in " + Owner() +
                             ": metres assumed.");
            return UNIT_M;
        }
        const EUnitType unit = CMeasure::StringToUnit(text);
        if (!CMeasure::IsDistanceUnit(unit)) {
            Warn(errors, CStr("\nWarning: Unknown units \"") + text + "\" in <" + m_kind + "> of " +
                             Owner() + ": metres assumed.");
            return UNIT_M;
        }
        return unit;
    }

    // Positions: "m" or "M" first means metres, any other text feet.
    EUnitType ReadPosition(CKVDXmlFile *file, CStr &errors) {
        CStr text;
        if (!HasAttr(file, "units", text)) {
            Warn(errors, CStr("\nWarning: <") + m_kind + "> without \"units\" in " + Owner() +
                             ": metres assumed.");
            return UNIT_M;
        }
        return (!text.empty() && (text[0] == 'm' || text[0] == 'M')) ? UNIT_M : UNIT_FT;
    }

private:
    CStr Owner() const { return CStr(m_what) + m_name; }

    void Warn(CStr &errors, const CStr &text) {
        if (m_warned)
            return;
        m_warned = true;
        errors += text;
    }

    const char *m_what;
    const CStr &m_name; // outlives the reader
    const char *m_kind;
    bool m_warned = false;
};

// The folder part of a path written either way, without the last separator.
CStr FolderOf(const CStr &path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? CStr() : CStr(path.substr(0, cut));
}

bool EqualNoCase(const CStr &a, const char *b) {
    return CStr::CompareNoCase(a, b) == 0;
}

// A "Position" element; a "Z" of "NA" is 0.
CKvdDataBlock_V110::CDataFile::SPosition ReadPosition(CKVDXmlFile *file, CUnitReader &units,
                                                      CStr &errors) {
    CKvdDataBlock_V110::CDataFile::SPosition pos;
    pos.X = kvdnum::Double(Attr(file, "X"));
    pos.Y = kvdnum::Double(Attr(file, "Y"));
    const CStr z = Attr(file, "Z");
    pos.Z = z.find("NA") != std::string::npos ? 0.0 : kvdnum::Double(z);
    pos.normalized_file_pos = kvdnum::Double(Attr(file, "normalized_file_pos"));
    pos.units = units.ReadPosition(file, errors);
    return pos;
}

// A "FIDComment" element, its distance in metres.
CKvdDataBlock_V110::CDataFile::SFidComment ReadFidComment(CKVDXmlFile *file, CUnitReader &units,
                                                          CStr &errors) {
    CKvdDataBlock_V110::CDataFile::SFidComment fid;
    const EUnitType unit = units.Read(file, errors);
    fid.ododist = CMeasure::ConvertTo(kvdnum::Double(Attr(file, "ododist")), unit, UNIT_M);
    const CStr flag = Attr(file, "fileflag");
    fid.fileflag = flag.empty() ? 0 : flag[0];
    fid.text = Text(file);
    return fid;
}

// The sample and trace counts of a data file without a "DataSampleCnt" element come from the
// line's radar header, beside the project file. Only counts that were actually read are written
// into the document (as that element of the current data file); others stay as they are.
void CountsFromHeader(CKVDXmlFile *file, const CStr &dirPath, const CStr &name, uint32_t &dim1,
                      uint32_t &dim2) {
    CStr path = FolderOf(file->GetFilePathName());
    if (!dirPath.empty())
        path += "\\" + dirPath;
    path += "\\" + name + ".hd";
    Tamsel header;
    if (header.Load(ResolveLinePath(path).c_str(), ST_FILE) || !header.GetTamsel())
        return;
    dim1 = static_cast<uint32_t>(header.GetTamsel()->m_points);
    dim2 = static_cast<uint32_t>(header.GetTamsel()->m_traces);
    if (file->AppendChildNode("DataSampleCnt")) {
        file->SetNodeAttribute("dim0", "2");
        file->SetNodeAttribute("dim1", kvdnum::FormatD(static_cast<int>(dim1)));
        file->SetNodeAttribute("dim2", kvdnum::FormatD(static_cast<int>(dim2)));
        file->SetNodeAttribute("dim3", "NA");
        file->GotoParentNode();
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// CDataFile

CKvdDataBlock_V110::CDataFile::~CDataFile() = default;

int CKvdDataBlock_V110::CDataFile::ReadFileBlock(CKVDXmlFile *file, CStr &errors) {
    bool hasSettings = false;
    return ReadFileBlock(file, errors, hasSettings);
}

int CKvdDataBlock_V110::CDataFile::ReadFileBlock(CKVDXmlFile *file, CStr &errors,
                                                 bool &hasSettings) {
    hasSettings = false;
    m_Name = Attr(file, "name");
    m_Extension = Attr(file, "ext");
    m_Seq = kvdnum::Int(Attr(file, "seq"));

    CUnitReader positionUnits("file ", m_Name, "Position");
    CUnitReader fidUnits("file ", m_Name, "FIDComment");
    CUnitReader odoUnits("file ", m_Name, "Odometer");
    bool haveFileType = false, haveDirPath = false, haveSampleCnt = false, haveOdometer = false;

    // One pass over the children; "first" elements take only the first of their name.
    if (file->GotoChildNode("", 0)) {
        do {
            CStr name;
            if (!file->GetNodeName(name)) {
                hasSettings = true;
                continue;
            }
            if (name == "Position") {
                m_Positions.push_back(ReadPosition(file, positionUnits, errors));
            } else if (name == "FIDComment") {
                m_FidComments.push_back(ReadFidComment(file, fidUnits, errors));
            } else if (name == "SensorID") {
                m_SensorIDs.push_back(kvdnum::Int(Text(file)));
            } else if (name == "FileType" && !haveFileType) {
                haveFileType = true;
                CStr uid;
                if (HasAttr(file, "UID", uid))
                    m_FileTypeUID = Str2UID(uid.c_str());
            } else if (name == "FileDirPath" && !haveDirPath) {
                haveDirPath = true;
                m_FileDirPath = Text(file);
            } else if (name == "DataSampleCnt" && !haveSampleCnt) {
                haveSampleCnt = true;
                m_Dim0 = kvdnum::UInt(Attr(file, "dim0"));
                m_Dim1 = kvdnum::UInt(Attr(file, "dim1"));
                m_Dim2 = kvdnum::UInt(Attr(file, "dim2"));
            } else if (name == "Odometer" && !haveOdometer) {
                haveOdometer = true;
                const EUnitType unit = odoUnits.Read(file, errors);
                m_OdoStart = CMeasure::ConvertTo(kvdnum::Double(Attr(file, "start")), unit, UNIT_M);
                m_OdoEnd = CMeasure::ConvertTo(kvdnum::Double(Attr(file, "end")), unit, UNIT_M);
                m_OdoStep = CMeasure::ConvertTo(kvdnum::Double(Attr(file, "step")), unit, UNIT_M);
            } else if (name == "Settings") {
                hasSettings = true;
            }
        } while (file->GotoNextSibling());
        file->GotoParentNode();
    }

    if (!haveSampleCnt) {
        m_Dim0 = 2;
        m_Dim1 = m_Dim2 = 0xFFFFFFFFu;
        CountsFromHeader(file, m_FileDirPath, m_Name, m_Dim1, m_Dim2);
    }

    std::stable_sort(m_Positions.begin(), m_Positions.end(),
                     [](const SPosition &a, const SPosition &b) {
                         return a.normalized_file_pos < b.normalized_file_pos;
                     });
    std::stable_sort(
        m_FidComments.begin(), m_FidComments.end(),
        [](const SFidComment &a, const SFidComment &b) { return a.ododist < b.ododist; });

    if (!haveOdometer) {
        errors += "\nError: Missing element: <Odometer>";
        return 0;
    }
    return 1;
}

int CKvdDataBlock_V110::CDataFile::operator==(const CDataFile &other) const {
    return m_OdoEnd == other.m_OdoEnd && m_OdoStart == other.m_OdoStart &&
                   m_OdoStep == other.m_OdoStep && m_Seq == other.m_Seq &&
                   m_FileTypeUID == other.m_FileTypeUID && m_pSettings == other.m_pSettings &&
                   m_FileDirPath == other.m_FileDirPath && m_Name == other.m_Name
               ? 1
               : 0;
}

// ---------------------------------------------------------------------------------------------
// CExtension

namespace {

using SPlacedFile = CKvdDataBlock_V110::CExtension::SPlacedFile;

// The first stored file at or after place.
std::vector<SPlacedFile>::const_iterator FirstFrom(const std::vector<SPlacedFile> &files,
                                                   size_t place) {
    return std::lower_bound(files.begin(), files.end(), place,
                            [](const SPlacedFile &f, size_t p) { return f.place < p; });
}

} // namespace

int CKvdDataBlock_V110::CExtension::AddFile(std::unique_ptr<CDataFile> &file) {
    if (!file || file->m_Seq < 1)
        return -1;
    const size_t place = static_cast<size_t>(file->m_Seq) - 1;
    const auto at = FirstFrom(m_Files, place);
    if (at != m_Files.end() && at->place == place)
        return -1;
    m_Files.insert(at, SPlacedFile{place, std::move(file)});
    return static_cast<int>(place);
}

int CKvdDataBlock_V110::CExtension::RemoveFile(int place) {
    if (place >= 0 && static_cast<size_t>(place) < PlaceCount()) {
        // The place goes, with its file if it holds one; every later place moves down one.
        auto at =
            m_Files.begin() + (FirstFrom(m_Files, static_cast<size_t>(place)) - m_Files.cbegin());
        if (at->place == static_cast<size_t>(place))
            at = m_Files.erase(at);
        for (; at != m_Files.end(); ++at)
            --at->place;
    }
    return static_cast<int>(PlaceCount()) - 1;
}

int CKvdDataBlock_V110::CExtension::FileCount() const {
    return static_cast<int>(m_Files.size());
}

const CKvdDataBlock_V110::CDataFile *CKvdDataBlock_V110::CExtension::GetFile(int n) const {
    if (n < 0 || static_cast<size_t>(n) >= m_Files.size())
        return nullptr;
    return m_Files[static_cast<size_t>(n)].file.get();
}

const CKvdDataBlock_V110::CDataFile *
CKvdDataBlock_V110::CExtension::FileAtPlace(size_t place) const {
    const auto at = FirstFrom(m_Files, place);
    return at != m_Files.end() && at->place == place ? at->file.get() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// CLine

CKvdDataBlock_V110::CLine::~CLine() = default;

int CKvdDataBlock_V110::CLine::ReadLineBlock(CKVDXmlFile *file, CStr &errors) {
    m_Name = Attr(file, "name");
    if (!file->GotoChildNode("LinearRef", 0))
        return 1;
    CUnitReader units("line ", m_Name, "LinearRef");
    do {
        SLinearRef ref;
        const double odo = kvdnum::Double(Attr(file, "ododist"));
        const double dist = kvdnum::Double(Attr(file, "refdist"));
        const double lateral = kvdnum::Double(Attr(file, "reflateral"));
        ref.units = units.Read(file, errors);
        ref.ododist = CMeasure::ConvertTo(odo, ref.units, UNIT_M);
        ref.refdist = CMeasure::ConvertTo(dist, ref.units, UNIT_M);
        ref.reflateral = CMeasure::ConvertTo(lateral, ref.units, UNIT_M);
        m_LinearRefs.push_back(ref);
    } while (file->GotoNextSibling("LinearRef"));
    file->GotoParentNode();

    std::stable_sort(
        m_LinearRefs.begin(), m_LinearRefs.end(),
        [](const SLinearRef &a, const SLinearRef &b) { return a.ododist < b.ododist; });

    // Each reference keeps its own odometer distance: the table pairs them as written, in the
    // order of the reference distance that lookups search.
    std::vector<SLinearRef> byRef(m_LinearRefs);
    std::stable_sort(byRef.begin(), byRef.end(), [](const SLinearRef &a, const SLinearRef &b) {
        return a.refdist < b.refdist;
    });
    std::vector<double> refs, odos;
    for (const SLinearRef &r : byRef) {
        refs.push_back(r.refdist);
        odos.push_back(r.ododist);
    }
    m_pConverter = std::make_unique<CReferenceConverter>();
    m_pConverter->InitializeRef2OdoTable(refs.data(), odos.data(), static_cast<int>(refs.size()));
    const double zero = 0.0;
    m_pConverter->InitializeUser2RefTable(&zero, &zero, 1);
    if (!m_pConverter->GetRef2OdoTable().IsMonotonic())
        errors += "\nWarning: The linear references of line " + m_Name +
                  " do not grow with both the odometer and the reference distance.";
    return 1;
}

int CKvdDataBlock_V110::CLine::GetExtension(const CStr &ext) const {
    for (size_t i = 0; i < m_Extensions.size(); ++i) {
        if (CStr::CompareNoCase(m_Extensions[i]->m_Name, ext) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int CKvdDataBlock_V110::CLine::AddFile(std::unique_ptr<CDataFile> &file) {
    if (!file || file->m_Seq < 1)
        return -1;

    // A ".hd" and a ".dt1" entry of the same file become one "HD+DT1" file.
    int partnerList = -1;
    int partnerPlace = -1;
    CStr ext = file->m_Extension;
    const char *partner = EqualNoCase(ext, ".dt1")  ? ".hd"
                          : EqualNoCase(ext, ".hd") ? ".dt1"
                                                    : nullptr;
    if (partner) {
        partnerList = GetExtension(partner);
        if (partnerList >= 0) {
            for (const auto &placed : m_Extensions[partnerList]->m_Files) {
                if (*placed.file == *file) {
                    partnerPlace = static_cast<int>(placed.place);
                    ext = "HD+DT1";
                    break;
                }
            }
        }
    }

    int list = GetExtension(ext);
    if (list >= 0) {
        // Refuse before anything changes, so that a refused file loses nothing else.
        const size_t place = static_cast<size_t>(file->m_Seq) - 1;
        if (m_Extensions[list]->FileAtPlace(place))
            return -1;
    }
    if (partnerPlace >= 0) {
        m_Extensions[partnerList]->RemoveFile(partnerPlace);
        file->m_Extension = ext;
    }
    if (list < 0) {
        m_Extensions.push_back(std::make_unique<CExtension>(ext));
        list = static_cast<int>(m_Extensions.size()) - 1;
    }
    return m_Extensions[list]->AddFile(file) < 0 ? -1 : list;
}

void CKvdDataBlock_V110::CLine::ClearEmptyExtLists() {
    m_Extensions.erase(
        std::remove_if(m_Extensions.begin(), m_Extensions.end(),
                       [](const std::unique_ptr<CExtension> &e) { return e->m_Files.empty(); }),
        m_Extensions.end());
}

int CKvdDataBlock_V110::CLine::FileCount() const {
    int n = 0;
    for (const auto &e : m_Extensions)
        n += e->FileCount();
    return n;
}

const CKvdDataBlock_V110::CDataFile *CKvdDataBlock_V110::CLine::GetFile(int n) const {
    if (n < 0)
        return nullptr;
    for (const auto &e : m_Extensions) {
        for (const auto &placed : e->m_Files) {
            if (n-- == 0)
                return placed.file.get();
        }
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// CKvdDataBlock_V110

CKvdDataBlock_V110::CKvdDataBlock_V110() = default;

CKvdDataBlock_V110::~CKvdDataBlock_V110() = default;

int CKvdDataBlock_V110::ReadKvdDataBlock(CKVDXmlFile *file, CStr &errors) {
    if (!file)
        return 0;
    CStr name;
    if (!file->GetNodeName(name) || name != "Data")
        return 0;
    if (file->GotoChildNode("DataDirPath", 0)) {
        m_DataDir = Text(file);
        file->GotoParentNode();
    } else {
        const CStr path = file->GetFilePathName();
        const size_t cut = path.find_last_of("\\/");
        m_DataDir = cut == std::string::npos ? CStr() : CStr(path.substr(0, cut + 1));
    }
    return LoadDataLines(file, errors);
}

int CKvdDataBlock_V110::LoadDataLines(CKVDXmlFile *file, CStr &errors) {
    // Settings in force: the innermost block read on the way down.
    std::vector<const CKvdSettingsBlock_V110 *> stack;
    auto readSettings = [&]() -> bool {
        if (!m_pSettingsFactory || !file->GotoChildNode("Settings", 0))
            return false;
        CKvdSettingsBlock_V110 *block = m_pSettingsFactory(file, errors);
        file->GotoParentNode();
        if (!block) {
            errors += "\nWarning: <Settings> could not be correctly loaded.";
            return false;
        }
        m_SettingsBlocks.emplace_back(block);
        stack.push_back(block);
        return true;
    };

    auto readLine = [&](std::vector<std::unique_ptr<CLine>> &lines) {
        file->ReportProgress();
        const bool linePushed = readSettings();
        lines.push_back(std::make_unique<CLine>());
        CLine &line = *lines.back();
        line.ReadLineBlock(file, errors);
        if (file->GotoChildNode("DataFile", 0)) {
            do {
                // The file's own settings come first in errors, as they are in force for it;
                // they are looked for only when the one pass over its children met them.
                auto dataFile = std::make_unique<CDataFile>();
                CStr fileErrors;
                bool hasSettings = false;
                dataFile->ReadFileBlock(file, fileErrors, hasSettings);
                const bool filePushed = hasSettings && readSettings();
                errors += fileErrors;
                if (stack.empty()) {
                    // Without settings the file cannot be used; the rest still loads.
                    errors +=
                        "\nError: Cannot find corresponding settings for file " + dataFile->m_Name;
                    continue;
                }
                dataFile->m_pSettings = stack.back();
                if (filePushed)
                    stack.pop_back();
                if (line.AddFile(dataFile) < 0)
                    errors += "\nError: Invalid file sequence in line: " + line.m_Name;
            } while (file->GotoNextSibling("DataFile"));
            file->GotoParentNode();
        }
        if (linePushed)
            stack.pop_back();
        line.ClearEmptyExtLists();
    };

    readSettings();

    if (file->GotoChildNode("LineSet", 0)) {
        do {
            m_Sets.push_back(std::make_unique<CSetLines>());
            CSetLines &set = *m_Sets.back();
            set.m_Name = Attr(file, "name");
            // Settings of a line set apply to its lines unless they carry their own.
            const bool setPushed = readSettings();
            if (file->GotoChildNode("Line", 0)) {
                do {
                    readLine(set.m_LinesByName);
                } while (file->GotoNextSibling("Line"));
                file->GotoParentNode();
            }
            if (setPushed)
                stack.pop_back();
        } while (file->GotoNextSibling("LineSet"));
        file->GotoParentNode();
    }

    if (file->GotoChildNode("Line", 0)) {
        do {
            readLine(m_FreeLines);
        } while (file->GotoNextSibling("Line"));
        file->GotoParentNode();
    }

    file->ReportProgress();
    PopulateLineStartandEnd();
    file->ReportProgress();
    OrderLines();
    return 1;
}

bool CKvdDataBlock_V110::CheckStepSizeTolerance(double a, double b, EUnitType unit) const {
    const double t = CMeasure::ConvertTo(m_StepSizeTolerance, UNIT_M, unit);
    return (a > b && b > a - t) || (b > a && a + t > b) || a == b;
}

void CKvdDataBlock_V110::PopulateLineStartandEnd() {
    for (auto &set : m_Sets) {
        for (auto &line : set->m_LinesByName)
            PopulateLine(*line);
    }
    for (auto &line : m_FreeLines)
        PopulateLine(*line);
}

void CKvdDataBlock_V110::PopulateLine(CLine &line) const {
    line.m_LineType = LT_NONE;
    line.m_XMin = line.m_YMin = line.m_XMax = line.m_YMax = 0.0;
    line.m_TotalPositions = 0.0;
    line.m_EditFlag = 'N';

    // Files in visiting order: extension list by list, place by place; empty places skipped.
    std::vector<const CDataFile *> files;
    for (const auto &ext : line.m_Extensions) {
        for (const auto &placed : ext->m_Files)
            files.push_back(placed.file.get());
    }
    const CDataFile::SPosition *first = nullptr;
    for (const CDataFile *f : files) {
        line.m_TotalPositions += static_cast<double>(f->m_Positions.size());
        if (!first && !f->m_Positions.empty())
            first = &f->m_Positions.front();
    }
    // A line without positions has no direction and no extent.
    if (!first)
        return;

    auto differs = [this](double v, double ref, EUnitType unit) {
        const double t = CMeasure::ConvertTo(m_StepSizeTolerance, UNIT_M, unit);
        return (v > ref && ref <= v - t) || (v < ref && v + t <= ref);
    };
    bool xVaries = false, yVaries = false;
    line.m_XMin = line.m_XMax = first->X;
    line.m_YMin = line.m_YMax = first->Y;
    for (const CDataFile *f : files) {
        for (const CDataFile::SPosition &p : f->m_Positions) {
            xVaries = xVaries || differs(p.X, first->X, p.units);
            yVaries = yVaries || differs(p.Y, first->Y, p.units);
            line.m_XMin = std::min(line.m_XMin, p.X);
            line.m_XMax = std::max(line.m_XMax, p.X);
            line.m_YMin = std::min(line.m_YMin, p.Y);
            line.m_YMax = std::max(line.m_YMax, p.Y);
        }
    }
    line.m_LineType = !xVaries ? LT_YLINE : !yVaries ? LT_XLINE : LT_NONE;

    // A line runs backwards when the coordinate along it falls within one of its files.
    if (line.m_LineType == LT_XLINE || line.m_LineType == LT_YLINE) {
        const bool alongX = line.m_LineType == LT_XLINE;
        for (const CDataFile *f : files) {
            for (size_t i = 1; i < f->m_Positions.size(); ++i) {
                const auto &a = f->m_Positions[i - 1];
                const auto &b = f->m_Positions[i];
                if (alongX ? b.X < a.X : b.Y < a.Y)
                    line.m_EditFlag = 'R';
            }
        }
    }
    if (line.m_TotalPositions > 2.0)
        line.m_EditFlag = 'Y';
}

void CKvdDataBlock_V110::OrderLines() {
    // Names compare byte by byte, letter case counting; equal names keep their file order.
    std::stable_sort(m_Sets.begin(), m_Sets.end(),
                     [](const std::unique_ptr<CSetLines> &a, const std::unique_ptr<CSetLines> &b) {
                         return a->m_Name.compare(b->m_Name) < 0;
                     });
    auto byType = [](const std::vector<std::unique_ptr<CLine>> &source, std::vector<CLine *> &out) {
        out.clear();
        for (int type = 0; type <= 3; ++type) {
            const size_t begin = out.size();
            for (const auto &line : source) {
                if (line->m_LineType == type)
                    out.push_back(line.get());
            }
            // X lines from bottom to top, the others from left to right.
            const bool xLine = type == LT_XLINE;
            std::stable_sort(
                out.begin() + begin, out.end(), [xLine](const CLine *a, const CLine *b) {
                    const double a1 = xLine ? a->m_YMin : a->m_XMin;
                    const double b1 = xLine ? b->m_YMin : b->m_XMin;
                    if (a1 != b1)
                        return a1 < b1;
                    return (xLine ? a->m_XMin : a->m_YMin) < (xLine ? b->m_XMin : b->m_YMin);
                });
        }
    };
    for (auto &set : m_Sets) {
        std::stable_sort(set->m_LinesByName.begin(), set->m_LinesByName.end(),
                         [](const std::unique_ptr<CLine> &a, const std::unique_ptr<CLine> &b) {
                             return a->m_Name.compare(b->m_Name) < 0;
                         });
        byType(set->m_LinesByName, set->m_LinesByType);
    }
    byType(m_FreeLines, m_FreeLinesByType);
}

} // namespace ORQ

void KVDDataBlock_GetVerStr(char *buffer, int length) {
    static const char record[] = "KVDDataBlock\t1.1.1.0\tVersion 1 Release 1\t2005-10-14\t"
                                 "KVD3-DB-0110";
    ORQ::CopyVersionRecord(record, buffer, length);
}
