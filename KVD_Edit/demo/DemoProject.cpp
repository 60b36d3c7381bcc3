#include "KVD_Edit/demo/DemoProject.h"

#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/app/document/GpsCommands.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/document/ProjectLoader.h"
#include "KVD_Edit/app/document/ProjectSaver.h"
#include "KVD_Edit/app/lines/ImportDlgLogic.h"
#include "KVD_Edit/app/lines/LineImporter.h"
#include "KVD_Edit/app/shell/ProgramIdentity.h"
#include "KVD_Edit/demo/GpsFixText.h"
#include "KVD_Edit/demo/RadarLineGenerator.h"
#include "orq_utils/MessageSink.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Collects what the program's code would show a person: while the demo is written nobody is
// there to answer, and any message means the project did not come out as meant.
class CCollectingSink : public ORQ::IMessageSink {
public:
    CCollectingSink() : m_previous(ORQ::SetMessageSink(this)) {}
    ~CCollectingSink() override { ORQ::SetMessageSink(m_previous); }
    CCollectingSink(const CCollectingSink &) = delete;
    CCollectingSink &operator=(const CCollectingSink &) = delete;

    int Show(const std::string &text, const std::string &, unsigned style) override {
        if (!m_texts.empty())
            m_texts += "\n";
        m_texts += text;
        return ORQ::DefaultAnswer(style);
    }
    const std::string &Texts() const { return m_texts; }

private:
    ORQ::IMessageSink *m_previous;
    std::string m_texts;
};

// One import of the demo: the files and the answers a surveyor gives its two dialogs.
struct SImportPass {
    std::vector<std::string> paths;
    int filterIndex = 1; // 1-based, of CLineImporter::kFilter
    ImportDlgLogic::SDialogInput input;
};

// The import's windows answered from a pass, its GPS steps done as the editor's frame does them.
class CDemoImportHost : public IImportHost {
public:
    CDemoImportHost(ORQ::CKVDXmlFile *file, CGPSInfo &gps) : m_file(file), m_gps(gps) {}

    void SetPass(const SImportPass *pass) { m_pass = pass; }

    bool ChooseFiles(const std::string &, const std::string &, std::vector<std::string> &paths,
                     int &filterIndex) override {
        paths = m_pass->paths;
        filterIndex = m_pass->filterIndex;
        return true;
    }
    bool RunImportDialog(int setsSupported, ImportLineType &record, int) override {
        return ImportDlgLogic::Accept(setsSupported, m_pass->input, record);
    }
    void ClearGps() override { m_gps.Clear(); }

    std::string AttachGps(const SImportedLine &line, const std::string &gpsPath) override {
        return m_gpsSteps.AttachGps(m_file, &m_gps, line, gpsPath);
    }
    void WriteGpsFromTraces(const SImportedLine &line, double stepMetres) override {
        CImportGpsSteps::WriteGpsFromTraces(line, stepMetres);
    }

private:
    ORQ::CKVDXmlFile *m_file;
    CGPSInfo &m_gps;
    const SImportPass *m_pass = nullptr;
    CImportGpsSteps m_gpsSteps;
};

kvdgen::SRadarLine RadarLine(const SDemoLine &line, unsigned seed) {
    kvdgen::SRadarLine radar;
    radar.traces = CDemoProject::kTraces;
    radar.samples = CDemoProject::kSamples;
    radar.step = CDemoProject::kStep;
    radar.titles = {std::string("Demo grid, line ") + line.name};
    radar.fiducials = CDemoProject::Fiducials();
    radar.tracePositions = true;
    radar.seed = seed;
    return radar;
}

// The GPS file of a line: a fix every kGpsEvery traces and at the last, where the grid's
// placement puts the trace.
std::string GpsText(const SDemoLine &line) {
    const kvdgen::SGridPlacement placement;
    std::vector<kvdgen::SGpsFix> fixes;
    for (int t = 1; t <= CDemoProject::kTraces; t += CDemoProject::kGpsEvery) {
        kvdgen::SGpsFix fix;
        fix.trace = t;
        fix.position = (t - 1) * CDemoProject::kStep;
        const double along = fix.position;
        kvdgen::PlacementLatLong(placement, line.yLine ? line.across : along,
                                 line.yLine ? along : line.across, fix.latitude, fix.longitude);
        fixes.push_back(fix);
    }
    return kvdgen::GpsFileText(fixes);
}

bool WriteText(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out.flush());
}

// The line files of the grid in folder and the two imports' passes.
bool WriteLineFiles(const std::string &folder, std::vector<SImportPass> &passes,
                    std::string &error) {
    passes.assign(2, SImportPass());
    unsigned seed = 1;
    for (const SDemoLine &line : CDemoProject::Lines()) {
        const std::string base = folder + "/" + line.name;
        if (!kvdgen::WriteRadarLine(base, RadarLine(line, seed++))) {
            error = "cannot write the radar line " + base + ".hd/.dt1";
            return false;
        }
        if (line.gps && !WriteText(base + ".GPS", GpsText(line))) {
            error = "cannot write the GPS file " + base + ".GPS";
            return false;
        }
        passes[line.yLine ? 1 : 0].paths.push_back(base + ".dt1");
    }
    // X lines from the X filter, moved half a spacing up; Y lines likewise to the right.
    const double half = CDemoProject::kLineSpacing / 2;
    for (int k = 0; k < 2; ++k) {
        SImportPass &pass = passes[size_t(k)];
        pass.filterIndex = k == 0 ? 2 : 3;
        pass.input.selectedType = k == 0 ? ImportLineType::kXLines : ImportLineType::kYLines;
        pass.input.gridText = CDemoProject::kLineSet;
        pass.input.spacingText = ImportDlgLogic::SpacingText(CDemoProject::kLineSpacing);
        pass.input.offsetXText = ImportDlgLogic::OffsetText(k == 0 ? 0 : half);
        pass.input.offsetYText = ImportDlgLogic::OffsetText(k == 0 ? half : 0);
        pass.input.addGps = true;
    }
    return true;
}

// The local-to-world definition of the grid's placement: the grid's origin and the end of its
// first X line, in UTM, with their local coordinates in metres.
void PlaceGridInTheWorld(SLocalWorldDef &lw) {
    const kvdgen::SGridPlacement place;
    const double a = place.rotation * 3.14159265358979323846 / 180;
    const double along = CDemoProject::kGridSize;
    lw.EnableGPS = 2;
    lw.TwoPointDefinition = true;
    lw.FitGrid = false;
    lw.RatioCheckBox = false;
    lw.GlobalKind = 1;
    lw.Zone = 17;
    lw.ZoneLetter = 'T';
    lw.Unit = ORQ::UNIT_M;
    lw.RefPoint[0].LocalX = 0;
    lw.RefPoint[0].LocalY = 0;
    lw.RefPoint[0].EastingOrLongitude = place.easting;
    lw.RefPoint[0].NorthingOrLatitude = place.northing;
    lw.RefPoint[1].LocalX = along;
    lw.RefPoint[1].LocalY = 0;
    lw.RefPoint[1].EastingOrLongitude = place.easting + along * std::cos(a);
    lw.RefPoint[1].NorthingOrLatitude = place.northing + along * std::sin(a);
    for (SLocalWorldDef::SRefPoint &p : lw.RefPoint) {
        p.Zone = 17;
        p.ZoneLetter = 'T';
    }
}

// The steps of Write inside the staging folder.
bool WriteInto(const std::string &folder, const std::string &templatePath, std::string &error) {
    CCollectingSink sink;
    auto failed = [&](const std::string &what) {
        error = what;
        if (!sink.Texts().empty())
            error += ":\n" + sink.Texts();
        return false;
    };

    const std::string path = CDemoProject::ProjectPath(folder);
    CKvdGprDataFiles holder;
    CMapperSettings settings;
    if (!CProjectLoader::CreateFromTemplate(holder, settings, templatePath, path, nullptr,
                                            GetProgramIdentity()))
        return failed("cannot create the project from " + templatePath);

    std::vector<SImportPass> passes;
    if (!WriteLineFiles(folder, passes, error))
        return false;

    CGPSInfo gps;
    gps.SetLWCDefinition(&settings.LocalWorld);
    CDemoImportHost host(holder.GetKvdXmlFile(), gps);
    SImportMemory memory;
    for (const SImportPass &pass : passes) {
        host.SetPass(&pass);
        CLineImporter importer(holder.GetKvdXmlFile(), path);
        const bool written = importer.Import(host, memory);
        if (!written || importer.WrittenLines().size() != pass.paths.size() ||
            !importer.Errors().empty() || !sink.Texts().empty())
            return failed("the line import did not take every line" +
                          (importer.Errors().empty() ? std::string() : ":\n" + importer.Errors()));
        if (holder.UpdateKvdDataBlockPtr() != 1)
            return failed("the project does not read back after the import");
    }

    // Saved as the editor leaves a project a surveyor has set up: the GPS files attached and
    // the fiducials taken by the import, the grid's place in the world given by two reference
    // points where the GPS files put it. The project then opens as it was saved.
    settings.AutoImport = false;
    settings.FiducialsNotImported = false;
    PlaceGridInTheWorld(settings.LocalWorld);

    CProjectSaver saver(holder, settings);
    saver.SetHandBack([](const std::string &, const std::string &) {}); // no other program waits
    if (!saver.Save(1) || !sink.Texts().empty())
        return failed("cannot save the project " + path);
    return true;
}

} // namespace

std::vector<SDemoLine> CDemoProject::Lines() {
    std::vector<SDemoLine> lines;
    for (int y = 0; y < 2; ++y)
        for (int n = 0; n < kLinesPerDirection; ++n) {
            SDemoLine line;
            line.yLine = y == 1;
            line.number = n;
            line.name =
                std::string(line.yLine ? "Y" : "X") + (n < 10 ? "0" : "") + std::to_string(n);
            line.across = kLineSpacing / 2 + n * kLineSpacing;
            line.gps = n % 2 == 0;
            lines.push_back(line);
        }
    return lines;
}

std::vector<std::pair<int, std::string>> CDemoProject::Fiducials() {
    std::vector<std::pair<int, std::string>> fids;
    const int every = static_cast<int>(5 / kStep + 0.5);
    for (int t = every, k = 1; t < kTraces - 1; t += every, ++k)
        fids.push_back({t, "FID" + std::to_string(k)});
    return fids;
}

std::string CDemoProject::ProjectPath(const std::string &folder) {
    return folder + "/" + kProjectName;
}

bool CDemoProject::Write(const std::string &folder, const std::string &templatePath,
                         std::string &error) {
    error.clear();
    std::error_code ec;
    const fs::path target = fs::absolute(fs::path(folder), ec).lexically_normal();
    if (ec || target.filename().empty()) {
        error = "not a folder name: " + folder;
        return false;
    }
    if (fs::exists(target, ec)) {
        error = target.string() + " exists already";
        return false;
    }
    fs::create_directories(target.parent_path(), ec);
    std::string staging = target.string() + ".partial-XXXXXX";
    if (ec || !mkdtemp(staging.data())) {
        error = "cannot create a folder beside " + target.string();
        return false;
    }
    // The folder gets the permissions of any folder made here, not the private ones of a
    // temporary folder.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(staging.c_str(), 0777 & ~mask);
    bool ok = WriteInto(staging, templatePath, error);
    if (ok) {
        fs::rename(staging, target, ec);
        if (ec) {
            error = "cannot rename " + staging + " to " + target.string() + ": " + ec.message();
            ok = false;
        }
    }
    if (!ok)
        fs::remove_all(staging, ec);
    return ok;
}
