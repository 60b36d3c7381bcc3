#include "KVD_Edit/app/GridRowBuilder.h"

#include "KVD_Edit/app/Helpers.h"

#include "KVD3/KvdDataBlockInterface.h"
#include "Tamsel/Tamsel.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cctype>
#include <cmath>
#include <memory>

namespace {

std::string Lower(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

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

} // namespace

// CLineFileFinder

const CLineFileFinder::SListing &CLineFileFinder::Listing(const std::string &folder) {
    SListing &listing = m_listings[folder];
    if (listing.listed)
        return listing;
    listing.listed = true;
    std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir)
        return listing;
    while (const dirent *entry = ::readdir(dir.get())) {
        std::string name = entry->d_name;
        // Entries the listing does not type are typed by stat when they are used.
        const char type = entry->d_type == DT_REG ? 'f' : entry->d_type == DT_DIR ? 'd' : '?';
        listing.exact[name] = type;
        listing.byLowerName.emplace(Lower(name), name);
    }
    return listing;
}

std::string CLineFileFinder::Find(const std::string &folder, const std::string &relative) {
    std::string path = WithSlash(folder);
    std::vector<std::string> parts = PathParts(relative);
    if (parts.empty())
        return std::string();
    char type = '?';
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string &part = parts[i];
        std::string dir = path.substr(0, path.size() - 1);
        if (dir.empty())
            dir = "/";
        std::string name = part;
        type = '?';
        if (part != "." && part != "..") {
            const SListing &listing = Listing(dir);
            auto exact = listing.exact.find(part);
            if (exact == listing.exact.end()) {
                auto it = listing.byLowerName.find(Lower(part));
                if (it == listing.byLowerName.end())
                    return std::string();
                name = it->second;
                exact = listing.exact.find(name);
            }
            if (exact != listing.exact.end())
                type = exact->second;
        }
        path += name;
        if (i + 1 < parts.size())
            path += '/';
    }
    if (type == 'f')
        return path;
    return type == '?' && IsRegularFile(path) ? path : std::string();
}

std::string CLineFileFinder::Join(const std::string &folder, const std::string &relative) {
    std::string path = WithSlash(folder);
    std::vector<std::string> parts = PathParts(relative);
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i)
            path += '/';
        path += parts[i];
    }
    return path;
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
    std::string rest = IsInFolder(path, base) ? path.substr(base.size()) : "/" + path;
    for (char &c : rest)
        if (c == '/')
            c = '\\';
    return "." + rest;
}

bool CGridRowBuilder::SameSelectionKey(const std::string &a, const std::string &b) {
    return a.size() == b.size() && ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

CGridRowBuilder::SResult CGridRowBuilder::Build(const SInput &input, IGridLoadHooks &hooks) {
    using ORQ::CKvdDataBlockInterface;
    using Interface = ORQ::CKvdDataBlockInterface_V110;

    SResult result;
    result.frameUnit = input.frameUnit;
    result.displayUnit = input.displayUnit;
    Interface *dbi = input.dbi;
    if (!dbi)
        return result;

    dbi->SetStepSizeTolerance(input.stepTolerance);
    CLineFileFinder finder;
    const std::string &folder = input.projectFolder;
    std::string &errors = result.errors;

    const int lineCount = dbi->GetNumLines(-1, LT_ANY);
    for (int i = 0; i < lineCount; ++i) {
        const int fileCount = dbi->GetFileCount(i, -1, LT_ANY, 1);
        for (int j = 0; j < fileCount; ++j) {
            auto row = std::make_unique<SGridInfo>();
            if (i != 0 || j != 0)
                row->unit = result.displayUnit;

            CKvdDataBlockInterface::SFileInfo fi;
            CKvdDataBlockInterface::SLineInfo li;
            if (dbi->GetFileInfo(&fi, j, i, LT_ANY, -1, 1) != 1 ||
                dbi->GetLineInfo(&li, i, LT_ANY, -1, 1) != 1)
                continue;

            if (li.setIndex >= 0) {
                CKvdDataBlockInterface::SLineSetInfo set;
                dbi->GetLineSet(&set, li.setIndex);
                row->gridName = set.name;
            }

            const std::string relative = fi.path;
            const bool isRadar = Interface::IsGPRData(fi.extension);
            const bool isGpsEntry = Upper(fi.extension).find("GPS") != std::string::npos;

            // The step in force for the file, with its unit.
            double settingsStep = 0;
            ORQ::EUnitType settingsUnit = ORQ::UNIT_NONE;
            if (fi.settings) {
                settingsStep = fi.settings->m_StepSize.value;
                settingsUnit = fi.settings->m_StepSize.unit;
            }

            const std::string hdShown = CLineFileFinder::Join(folder, relative + ".hd");
            const std::string dt1Shown = CLineFileFinder::Join(folder, relative + ".dt1");
            const std::string dt1Path =
                isRadar && !isGpsEntry ? finder.Find(folder, relative + ".dt1") : std::string();

            ORQ::Tamsel header;
            bool headerLoaded = false;
            char flag = SGridInfo::kUnknown;
            double headerStep = 0;

            // A row whose header cannot be read shows what the project records, in the unit of
            // its step in force, with no trace count and the flag '?'.
            auto markUnknown = [&]() {
                row->unit = settingsUnit != ORQ::UNIT_NONE ? settingsUnit
                            : row->unit != ORQ::UNIT_NONE  ? row->unit
                                                           : ORQ::UNIT_M;
                row->decimals = row->unit == ORQ::UNIT_M ? 3 : 2;
                row->numTraces = 0;
                flag = SGridInfo::kUnknown;
            };

            if (isRadar && !isGpsEntry && dt1Path.empty()) {
                errors += FormatC("Error Loading %s\n", dt1Shown.c_str());
                markUnknown();
            } else if (isRadar && !isGpsEntry) {
                const std::string hdPath = finder.Find(folder, relative + ".hd");
                headerLoaded = !hdPath.empty() && !header.Load(hdPath.c_str(), ORQ::ST_FILE);
                if (!headerLoaded) {
                    errors += FormatC("Error Loading %s\n", hdShown.c_str());
                    markUnknown();
                } else {
                    const ORQ::STamsel &hd = *header.GetTamsel();
                    headerStep = hd.m_stepSize.value;
                    if (headerStep == 0)
                        errors += FormatC("Error Loading STEP SIZE from %s\n", hdShown.c_str());
                    if (hd.m_traces == 0)
                        errors += FormatC("Unknown 'Number of Traces' Exist in %s,\nskipping",
                                          hdShown.c_str());
                    if (hd.m_traces < 1)
                        errors += FormatC("No traces Exist in %s,\nskipping", hdShown.c_str());
                    row->numTraces = hd.m_traces;
                    row->hdrGpsType = hd.m_gpsType;
                    ORQ::EUnitType unit = hd.m_startPosition.unit;
                    if (unit == ORQ::UNIT_NONE)
                        unit = hd.m_stepSize.unit;
                    if (unit != ORQ::UNIT_NONE) {
                        row->unit = unit;
                        result.frameUnit = unit;
                    }
                    if (i == 0 && j == 0 && input.reportErrors && unit != ORQ::UNIT_NONE) {
                        result.displayUnit = unit;
                        hooks.SetDisplayUnit(unit);
                    }
                    row->decimals = 3;

                    flag = li.editFlag;
                    if (li.numPositions == 2 && fi.positions && fi.numPositions >= 2) {
                        flag = SGridInfo::kUnchanged;
                        const double start = Round3(hd.m_startPosition.value);
                        const double final = Round3(hd.m_finalPosition.value);
                        const auto &p0 = fi.positions[0];
                        const auto &p1 = fi.positions[1];
                        double a0 = 0, a1 = 0;
                        bool along = true;
                        if (li.lineType == LT_XLINE) {
                            a0 = Round3(p0.X);
                            a1 = Round3(p1.X);
                        } else if (li.lineType == LT_YLINE) {
                            a0 = Round3(p0.Y);
                            a1 = Round3(p1.Y);
                        } else {
                            along = false;
                        }
                        if (along && start == a1 && final == a0)
                            flag = SGridInfo::kReversed;
                        if (along && flag == SGridInfo::kUnchanged && (start != a0 || final != a1))
                            flag = SGridInfo::kEdited;
                    }
                }
            }

            // A header step that differs from the step in force marks the row edited (only
            // when there is a header to compare with).
            if (headerLoaded && fi.settings) {
                const double inForce =
                    ConvertLength(settingsStep, settingsUnit, header.GetTamsel()->m_stepSize.unit);
                if (std::fabs(headerStep) != std::fabs(inForce))
                    flag = SGridInfo::kEdited;
                else if (flag == SGridInfo::kUnchanged && headerStep == -inForce)
                    flag = SGridInfo::kReversed;
            }
            const double step = fi.settings
                                    ? ConvertLength(settingsStep, settingsUnit, row->unit)
                                    : ConvertLength(headerStep, result.frameUnit, row->unit);

            row->editFlag = flag;
            row->setIndex = li.setIndex;
            row->lineIndex = li.lineIndex;
            if (fi.positions && fi.numPositions > 0)
                row->reversed = !(fi.positions[0].X == li.xMin && fi.positions[0].Y == li.yMin);
            row->lineName = li.name;
            row->orientation = std::abs(static_cast<int>(li.lineType));
            // Extents are recorded in the positions' unit; a loaded header's unit stands for it.
            ORQ::EUnitType from = result.frameUnit;
            if (!headerLoaded && fi.positions && fi.numPositions > 0)
                from = fi.positions[0].units;
            row->xMin = ConvertLength(li.xMin, from, row->unit);
            row->xMax = ConvertLength(li.xMax, from, row->unit);
            row->yMin = ConvertLength(li.yMin, from, row->unit);
            row->yMax = ConvertLength(li.yMax, from, row->unit);
            row->length = ConvertLength((li.xMax - li.xMin) + (li.yMax - li.yMin), from, row->unit);
            row->step = step;

            ORQ::CKvdDataBlock_V110::CDataFile::SFidComment fid;
            if (dbi->GetFidComment(&fid, li.setIndex, li.lineIndex, j, 0, LT_ANY, 0))
                result.fiducialsPresent = true;

            row->dataFileName = ".\\" + relative + ".dt1";
            if (fileCount > 1)
                row->dataFileName += " (+)";
            hooks.AddLine(li.setIndex, li.lineType, li.lineIndex, fi.odoStep,
                          static_cast<int>(fi.dim2), relative);

            row->gpsStatus = GFS_NONE;
            row->topoStatus = GFS_NONE;
            if (fileCount > 1 && isRadar) {
                for (int k = 0; k < fileCount; ++k) {
                    CKvdDataBlockInterface::SFileInfo entry;
                    if (dbi->GetFileInfo(&entry, k, i, LT_ANY, -1, 1) != 1)
                        continue;
                    if (Interface::IsGPRData(entry.extension) ||
                        Upper(entry.extension).find("GPS") == std::string::npos)
                        continue;
                    const std::string entryPath = std::string(entry.path) + ".GPS";
                    std::string found = finder.Find(folder, entryPath);
                    std::string loadErrors;
                    const int fixes = hooks.LoadGpsFile(
                        found.empty() ? CLineFileFinder::Join(folder, entryPath) : found,
                        li.setIndex, li.lineIndex, row->numTraces, loadErrors);
                    row->gpsStatus = fixes >= 2   ? GFS_LOADED
                                     : fixes >= 0 ? GFS_FEW_FIXES
                                                  : GFS_FAILED;
                    if (!loadErrors.empty())
                        errors += loadErrors + "\n";
                    row->gpsFileName = ".\\" + entryPath;
                }
            }

            if (isGpsEntry || !isRadar)
                continue;

            // The GPS file beside the trace file; the line's GPS is loaded from it only when it
            // exists (an empty path keeps what the GPS data already holds for the line).
            const std::string gpsFound = finder.Find(folder, relative + ".GPS");
            if (row->gpsStatus == GFS_NONE || row->gpsStatus == GFS_FAILED) {
                if (!gpsFound.empty()) {
                    row->gpsStatus = GFS_BESIDE;
                    if (hooks.AskImportGps() && hooks.AttachGps(*row))
                        result.gpsAttached = true;
                } else if (headerLoaded && header.GetTamsel()->m_gpsType == GPS_LATLONG) {
                    if (hooks.AskImportGps()) {
                        hooks.RecoverGps(*row);
                        if (row->gpsStatus == GFS_BESIDE && hooks.AttachGps(*row))
                            result.gpsAttached = true;
                    } else {
                        row->gpsStatus = GFS_IN_TRACES;
                    }
                }
            }
            if (headerLoaded && (row->gpsStatus == GFS_NONE || row->gpsStatus == GFS_BESIDE ||
                                 row->gpsStatus == GFS_FAILED))
                hooks.LoadLineGps(gpsFound, header, li.setIndex, li.lineIndex, fi.odoStep,
                                  static_cast<int>(fi.dim2));

            result.rows.push_back(std::move(row));
        }
    }
    return result;
}
