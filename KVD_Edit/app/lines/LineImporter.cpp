#include "KVD_Edit/app/lines/LineImporter.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdSettingsBlock.h"
#include "KVD_Edit/app/lines/FiducialImporter.h"
#include "KVD_Edit/app/lines/ImportText.h"
#include "KVD_Edit/app/lines/NamedChild.h"
#include "KVD_Edit/app/shell/BusyIndicator.h"
#include "Tamsel/LinePath.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/FileSystemName.h"
#include "orq_utils/MessageSink.h"
#include "orq_utils/Str.h"

#include <filesystem>
#include <memory>
#include <system_error>

namespace fs = std::filesystem;
using ORQ::CKvdSettingsBlock_V110;
using ORQ::CMeasure;
using ORQ::CStr;
using ORQ::EUnitType;

const char *const CLineImporter::kFilter =
    "1- X & Y Line files|*x*.dt1;*y*.dt1|2- X Line files|*x*.dt1|3- Y Line files|*y*.dt1|"
    "4- All Files|*.dt1||";

namespace {

const char *const kCurrentVersion = "1.2.0";

CStr Fixed3(double value) {
    CStr text;
    text.Format("%.*f", 3, value);
    return text;
}

// A folder in a form that compares: absolute, normalised, symbolic links resolved as far as the
// folders exist, without a trailing separator.
fs::path Canonical(const std::string &folder) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::absolute(fs::path(folder), ec), ec);
    if (ec)
        p = fs::absolute(fs::path(folder)).lexically_normal();
    std::string text = p.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return fs::path(text);
}

// The position unit of a header as the project file can state it: a unit that is no length
// unit is taken as metres.
EUnitType HeaderUnit(const ORQ::STamsel &t) {
    const EUnitType unit = t.m_startPosition.unit;
    return CMeasure::IsDistanceUnit(unit) ? unit : ORQ::UNIT_M;
}

// Positions are read back as metres or feet only, so any other unit is written as metres.
EUnitType PositionUnit(EUnitType headerUnit) {
    return headerUnit == ORQ::UNIT_FT ? ORQ::UNIT_FT : ORQ::UNIT_M;
}

double Convert(double value, EUnitType from, EUnitType to) {
    if (from == to || !CMeasure::IsDistanceUnit(from) || !CMeasure::IsDistanceUnit(to))
        return value;
    return CMeasure::ConvertTo(value, from, to);
}

// The file-type identifier written for a survey mode: the mode without trailing blanks must
// begin one of the keys, compared with case.
const char *FileTypeUid(const std::string &surveyMode) {
    const std::string mode = CStr::TrimRight(surveyMode, " \t\r\n");
    if (mode.empty())
        return nullptr;
    static const struct {
        const char *key;
        const char *uid;
    } kTypes[] = {{"Reflection", "COR@@@"}, {"CMP", "MCMP@@"}, {"WARR", "MWARR@"}};
    for (const auto &t : kTypes)
        if (std::string(t.key).compare(0, mode.size(), mode) == 0)
            return t.uid;
    return nullptr;
}

bool GotoData(ORQ::CKVDXmlFile *file) {
    return file->GotoRootNode() && file->GotoChildNode("Data", 0);
}

// True when the data block holds a line, directly or in a line set. The cursor stays.
bool HasAnyLine(ORQ::CKVDXmlFile *file) {
    file->PushPosition();
    bool found = false;
    if (GotoData(file)) {
        if (file->GotoChildNode("Line", 0)) {
            found = true;
        } else if (file->GotoChildNode("LineSet", 0)) {
            do {
                if (file->GotoChildNode("Line", 0)) {
                    found = true;
                    break;
                }
            } while (file->GotoNextSibling("LineSet"));
        }
    }
    file->GotoTopPosition();
    file->PopPosition();
    return found;
}

// The "Settings" child of the current node read into a block; null when there is none or it
// lacks required elements (errors then holds the loader's text).
std::unique_ptr<CKvdSettingsBlock_V110> ReadSettingsChild(ORQ::CKVDXmlFile *file, CStr &errors,
                                                          bool &present) {
    present = false;
    if (!file->GotoChildNode("Settings", 0))
        return nullptr;
    present = true;
    auto block = std::make_unique<CKvdSettingsBlock_V110>();
    const int ok = block->LoadSettings(file, errors);
    file->GotoParentNode();
    return ok ? std::move(block) : nullptr;
}

// A line name not yet used by a "Line" child of the current node.
std::string FreeLineName(ORQ::CKVDXmlFile *file, const std::string &base) {
    std::string name = base;
    for (int changes = 0;; ++changes) {
        if (!GotoNamedChild(file, "Line", name))
            return name;
        file->GotoParentNode();
        name = LineNumbering::NextFreeName(name, changes);
    }
}

void ShowErrors(const std::string &errors) {
    if (errors.empty())
        return;
    std::string text = errors;
    if (text.size() > 300)
        text = text.substr(0, 300) + "...";
    ORQ::ShowMessage(text, ORQ::MB_OK | ORQ::MB_ICONWARNING);
}

} // namespace

CLineImporter::CLineImporter(ORQ::CKVDXmlFile *file, const std::string &projectPath)
    : m_file(file) {
    const size_t sep = projectPath.find_last_of("/\\");
    m_projectFolder = sep == std::string::npos ? std::string(".") : projectPath.substr(0, sep);
    if (m_projectFolder.empty())
        m_projectFolder = "/";
}

bool CLineImporter::SubFolderOf(const std::vector<std::string> &paths,
                                std::string &subFolder) const {
    if (paths.empty())
        return false;
    const fs::path project = Canonical(m_projectFolder);
    fs::path chosen;
    for (const std::string &path : paths) {
        const fs::path folder = Canonical(fs::path(path).parent_path().string());
        if (chosen.empty())
            chosen = folder;
        else if (folder != chosen)
            return false;
    }
    // The chosen folder must be the project folder or lie below it, part by part (a sibling
    // whose name begins with the project folder's name is elsewhere).
    auto c = chosen.begin();
    for (auto p = project.begin(); p != project.end(); ++p, ++c)
        if (c == chosen.end() || *c != *p)
            return false;
    std::string onDisk;
    for (; c != chosen.end(); ++c) {
        if (c->empty())
            continue;
        if (!onDisk.empty())
            onDisk += "\\";
        onDisk += c->string();
    }
    subFolder = ORQ::FileNameToText(onDisk);
    return true;
}

std::vector<std::string>
CLineImporter::UnstorableNames(const std::vector<std::string> &paths) const {
    const fs::path project = Canonical(m_projectFolder);
    std::vector<std::string> refused;
    std::string text;
    for (const std::string &path : paths) {
        // The folders above the project folder are never stored; the rest of the path is.
        const fs::path folder = Canonical(fs::path(path).parent_path().string());
        const fs::path below = folder.lexically_relative(project);
        const std::string stored = below.string() + "/" + LineNumbering::BaseName(path);
        if (!ORQ::FileNameToText(stored, text))
            refused.push_back(path);
    }
    return refused;
}

std::string CLineImporter::FilePath(const std::string &subFolder, const std::string &baseName,
                                    const std::string &extension) const {
    std::string path = m_projectFolder + "/";
    if (!subFolder.empty())
        path += subFolder + "\\";
    return ORQ::ResolveLinePath(path + baseName + extension);
}

bool CLineImporter::Import(IImportHost &host, SImportMemory &memory) {
    m_written.clear();
    m_errors.clear();
    host.ClearGps();

    std::vector<std::string> paths;
    int filterIndex = 0;
    if (!host.ChooseFiles(m_projectFolder, kFilter, paths, filterIndex) || paths.empty())
        return false;

    std::string subFolder;
    if (!SubFolderOf(paths, subFolder)) {
        ORQ::ShowMessage(ImportText::kOutsideProject);
        return false;
    }
    const std::vector<std::string> refused = UnstorableNames(paths);
    if (!refused.empty()) {
        CStr text;
        for (const std::string &path : refused)
            text.AppendFormat(ImportText::kUnstorableNameFormat, path.c_str());
        ORQ::ShowMessage(text + ImportText::kNothingImported, ORQ::MB_OK | ORQ::MB_ICONWARNING);
        return false;
    }

    if (!m_file || !GotoData(m_file)) {
        ORQ::ShowMessage(ImportText::kNoDataBlock, ORQ::MB_OK | ORQ::MB_ICONERROR);
        return false;
    }
    CStr version("version");
    const bool current = m_file->GetNodeAttribute(version) && version == kCurrentVersion;

    ImportLineType record;
    std::vector<SFileListEntry> files;
    for (const std::string &path : paths)
        files.push_back(SFileListEntry{ORQ::FileNameToText(LineNumbering::BaseName(path)), -1});
    record.lineType =
        LineNumbering::HintsXAndY(files) ? ImportLineType::kXAndYLines : ImportLineType::kNone;
    LineNumbering::Sort(files);

    const SNumberingCheck check = LineNumbering::Check(files);
    if (check.Mixed() && ORQ::ShowMessage(ImportText::kMixedNumbering,
                                          ORQ::MB_YESNO | ORQ::MB_ICONQUESTION) != ORQ::IDYES)
        return false;
    if (check.NoneNumbered())
        ORQ::ShowMessage(ImportText::kAlphabetical, ORQ::MB_OK | ORQ::MB_ICONINFORMATION);
    LineNumbering::Assign(files);

    bool anyHeader = false;
    for (const SFileListEntry &f : files) {
        ORQ::Tamsel hd;
        if (!hd.Load(FilePath(subFolder, f.name, ".hd").c_str(), ORQ::ST_FILE) && hd.GetTamsel()) {
            anyHeader = true;
            record.unit = HeaderUnit(*hd.GetTamsel());
        }
    }
    if (!anyHeader) {
        ORQ::ShowMessage(ImportText::kNoStepSize, ORQ::MB_OK | ORQ::MB_ICONERROR);
        return false;
    }

    record.spacing = files.size() == 1 ? -1 : memory.spacing;
    record.offsetX = memory.offsetX;
    record.offsetY = memory.offsetY;
    if (!host.RunImportDialog(current ? 1 : 0, record, filterIndex - 1))
        return false;

    host.ClearAutoImport();
    memory.offsetX = record.offsetX;
    memory.offsetY = record.offsetY;
    if (files.size() > 1)
        memory.spacing = record.spacing;

    host.BeginWait();
    WriteAll(host, record, files, subFolder);
    host.EndWait();
    ShowErrors(m_errors);
    return !m_written.empty();
}

namespace {

// Asks once per import whether files of another survey mode than reflection are added; true
// when this file is added.
bool AcceptSurveyMode(const ORQ::STamsel &t, const std::string &headerPath, int &answer) {
    CStr mode = CStr::Trim(t.m_surveyMode, " \t\r\n");
    mode.ToUpper();
    if (mode.find("REFLECTION") != std::string::npos)
        return true;
    if (answer == 0) {
        CStr question;
        question.Format(ImportText::kSurveyModeFormat, headerPath.c_str(), mode.c_str());
        answer = ORQ::ShowMessage(question, ORQ::MB_YESNO | ORQ::MB_ICONQUESTION);
    }
    return answer == ORQ::IDYES;
}

} // namespace

std::unique_ptr<CKvdSettingsBlock_V110> CLineImporter::ReadDataSettings() {
    CStr errors;
    bool present = false;
    std::unique_ptr<CKvdSettingsBlock_V110> settings = ReadSettingsChild(m_file, errors, present);
    if (present && !settings && !errors.empty())
        ORQ::ShowMessage(errors, ORQ::MB_OK | ORQ::MB_ICONWARNING);
    return settings;
}

void CLineImporter::PrepareDataBlock(const ORQ::Tamsel &hd,
                                     const CKvdSettingsBlock_V110 &fileSettings,
                                     std::unique_ptr<CKvdSettingsBlock_V110> &dataSettings,
                                     bool &replaceDataSettings) {
    // The data block takes the version that knows line sets with its first line.
    GotoData(m_file);
    CStr version("version");
    if (!m_file->GetNodeAttribute(version) || version != kCurrentVersion)
        m_file->SetNodeAttribute("version", kCurrentVersion);
    if (replaceDataSettings) {
        if (m_file->GotoChildNode("Settings", 0))
            m_file->RemoveCurrentNode();
        m_file->WriteSettingsBlock_V110(hd, 0);
        dataSettings = std::make_unique<CKvdSettingsBlock_V110>(fileSettings);
        replaceDataSettings = false;
    }
}

const CKvdSettingsBlock_V110 *
CLineImporter::EnterLineSet(const std::string &gridName, const ORQ::Tamsel &hd,
                            const CKvdSettingsBlock_V110 &fileSettings,
                            const CKvdSettingsBlock_V110 *dataSettings,
                            std::unique_ptr<CKvdSettingsBlock_V110> &setSettings) {
    setSettings.reset();
    if (gridName.empty())
        return dataSettings;
    const bool anySet = m_file->GotoChildNode("LineSet", 0);
    if (anySet)
        m_file->GotoParentNode();
    if (!GotoNamedChild(m_file, "LineSet", gridName)) {
        m_file->AppendChildNode("LineSet");
        m_file->SetNodeAttribute("name", gridName);
        // The first line set carries the settings of its files where they differ from the
        // data block's.
        if (!anySet && (!dataSettings || !fileSettings.Compare(dataSettings)))
            m_file->WriteSettingsBlock_V110(hd, 0);
    }
    CStr errors;
    bool present = false;
    setSettings = ReadSettingsChild(m_file, errors, present);
    return setSettings ? setSettings.get() : dataSettings;
}

void CLineImporter::WriteDataFile(const ImportLineType &record, const SFileListEntry &f,
                                  const std::string &subFolder, const ORQ::STamsel &t,
                                  SImportedLine &line) {
    m_file->AppendChildNode("DataFile");
    m_file->SetNodeAttribute("name", f.name);
    m_file->SetNodeAttribute("seq", "1");
    m_file->SetNodeAttribute("ext", "HD+DT1");
    m_file->AppendChildNode("FileType");
    if (const char *uid = FileTypeUid(t.m_surveyMode))
        m_file->SetNodeAttribute("UID", uid);
    m_file->GotoParentNode();
    m_file->AppendChildNode("FileDirPath");
    if (!subFolder.empty())
        m_file->SetNodeText(subFolder);
    m_file->GotoParentNode();

    // Positions: along the line from the header, across it from the number and the spacing
    // factor, both moved by the offsets.
    const EUnitType hu = HeaderUnit(t);
    const EUnitType pu = PositionUnit(hu);
    const bool yLine = record.lineType == ImportLineType::kYLines ||
                       (record.lineType == ImportLineType::kXAndYLines &&
                        f.name.find_first_of("Yy") != std::string::npos);
    double along[2] = {t.m_startPosition.value, t.m_finalPosition.value};
    if (record.reverse)
        std::swap(along[0], along[1]);
    const double ox = Convert(record.offsetX, record.unit, pu);
    const double oy = Convert(record.offsetY, record.unit, pu);
    const bool single = record.spacing == -1;
    const double across =
        single ? 0.0 : Convert(static_cast<double>(f.number) * record.spacing, record.unit, pu);
    for (int k = 0; k < 2; ++k) {
        const double a = Convert(along[k], hu, pu);
        line.x[k] = yLine ? ox + across : a + ox;
        line.y[k] = yLine ? a + oy : oy + across;
        m_file->AppendChildNode("Position");
        m_file->SetNodeAttribute("X", Fixed3(line.x[k]));
        m_file->SetNodeAttribute("Y", Fixed3(line.y[k]));
        m_file->SetNodeAttribute("Z", "0.00");
        m_file->SetNodeAttribute("units", CMeasure::UnitToString(pu));
        m_file->SetNodeAttribute("normalized_file_pos", k == 0 ? "0.0" : "1.0");
        m_file->GotoParentNode();
    }
    line.lineType = yLine ? 3 : 2;
    line.positionUnit = pu;

    m_file->AppendChildNode("Odometer");
    m_file->SetNodeAttribute("start", Fixed3(t.m_startPosition.value));
    m_file->SetNodeAttribute("end", Fixed3(t.m_finalPosition.value));
    m_file->SetNodeAttribute("step", Fixed3(t.m_stepSize.value));
    m_file->SetNodeAttribute("units", CMeasure::UnitToString(hu));
    m_file->GotoParentNode();

    const double x0 = t.m_startPosition.value, x1 = t.m_finalPosition.value;
    CFiducialImporter::UpdateFidDetails(m_file, line.headerPath, hu, t.m_stepSize.value, x0, x1,
                                        record.reverse ? x1 : x0, record.reverse ? x0 : x1);
}

void CLineImporter::AddGps(IImportHost &host, const ImportLineType &record,
                           const SImportedLine &line, const ORQ::STamsel &t) {
    const std::string gpsPath = FilePath(line.subFolder, line.baseName, ".GPS");
    std::error_code ec;
    if (fs::is_regular_file(gpsPath, ec)) {
        if (record.addGps)
            m_errors += host.AttachGps(line, gpsPath);
    } else if (t.m_gpsType == GPS_LATLONG) {
        host.WriteGpsFromTraces(line, Convert(t.m_stepSize.value, HeaderUnit(t), ORQ::UNIT_M));
    }
}

bool CLineImporter::WriteAll(IImportHost &host, const ImportLineType &record,
                             const std::vector<SFileListEntry> &files,
                             const std::string &subFolder) {
    // The settings in force across the data block. While the project holds no line at all, the
    // first file's settings become them.
    if (!GotoData(m_file))
        return false;
    bool replaceDataSettings = !HasAnyLine(m_file);
    std::unique_ptr<CKvdSettingsBlock_V110> dataSettings = ReadDataSettings();

    int surveyAnswer = 0; // not asked yet
    for (const SFileListEntry &f : files) {
        BusyTick();
        const std::string headerPath = FilePath(subFolder, f.name, ".hd");
        auto hd = std::make_unique<ORQ::Tamsel>();
        const bool failed = hd->Load(headerPath.c_str(), ORQ::ST_FILE);
        if (failed || !hd->GetTamsel()) {
            CStr line;
            line.Format("LoadHDFile err=%d, skipping entry \n'%s.dt1'\n", failed ? 1 : 0,
                        f.name.c_str());
            m_errors += line;
            if (!hd->GetLastMessage().empty())
                m_errors += hd->GetLastMessage() + "\n";
            continue;
        }
        const ORQ::STamsel &t = *hd->GetTamsel();

        if (!AcceptSurveyMode(t, headerPath, surveyAnswer))
            continue;
        std::unique_ptr<CKvdSettingsBlock_V110> fileSettings(
            CKvdSettingsBlock_V110::FromHeader(*hd));

        // From here on the line is written.
        PrepareDataBlock(*hd, *fileSettings, dataSettings, replaceDataSettings);
        std::unique_ptr<CKvdSettingsBlock_V110> setSettings;
        const CKvdSettingsBlock_V110 *inForce =
            EnterLineSet(record.gridName, *hd, *fileSettings, dataSettings.get(), setSettings);

        const std::string lineName = FreeLineName(m_file, f.name);
        m_file->AppendChildNode("Line");
        m_file->SetNodeAttribute("name", lineName);
        if (!inForce || !fileSettings->Compare(inForce))
            m_file->WriteSettingsBlock_V110(*hd, 0);

        SImportedLine line;
        line.gridName = record.gridName;
        line.lineName = lineName;
        line.baseName = f.name;
        line.subFolder = subFolder;
        line.headerPath = headerPath;
        line.header = hd.get();
        WriteDataFile(record, f, subFolder, t, line);
        m_file->GotoParentNode(); // the line

        AddGps(host, record, line, t);
        m_written.push_back(lineName);
    }
    return !m_written.empty();
}
