#include "KVD_Edit/demo/DemoProject.h"

#include "KVD3/KvdDataBlockInterface.h"
#include "KVD_Edit/GPSINFO/GPSDataSample.h"
#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/document/ProjectLoader.h"
#include "Tamsel/Tamsel.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

namespace fs = std::filesystem;
using kvdtest::FileExists;
using kvdtest::TempDir;

namespace {

struct SRun {
    int status = -1;
    std::string out; // standard output and error
};

// Runs the tool as the run script does, on folder.
SRun RunTool(const std::string &folder) {
    SRun run;
    const std::string command = std::string("'") + KVD_DEMO_TOOL + "' '" + folder + "' 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 512> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Text(const ORQ::CStr &s) {
    return std::string(s.c_str());
}

// What the project loader reads of one line.
struct SLoadedLine {
    std::string name;
    ELineType type = LT_NONE;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    std::vector<std::string> extensions;              // of its data files
    std::vector<std::pair<double, std::string>> fids; // odometer metres, text
};

std::vector<SLoadedLine> LoadLines(CKvdGprDataFiles &holder) {
    std::vector<SLoadedLine> lines;
    ORQ::CKvdDataBlockInterface_V110 *db = holder.GetDataBlockInterface();
    if (!db)
        return lines;
    for (int n = 0;; ++n) {
        ORQ::CKvdDataBlockInterface::SLineInfo info;
        if (db->GetLineInfo(&info, n, LT_ANY, 0, ORQ::CKvdDataBlockInterface::WALK_BY_NAME) != 1)
            break;
        SLoadedLine line;
        line.name = Text(info.name);
        line.type = info.lineType;
        line.xMin = info.xMin;
        line.xMax = info.xMax;
        line.yMin = info.yMin;
        line.yMax = info.yMax;
        for (int f = 0;; ++f) {
            ORQ::CKvdDataBlockInterface::SFileInfo file;
            if (db->GetFileInfo(&file, f, n, LT_ANY, 0,
                                ORQ::CKvdDataBlockInterface::WALK_BY_NAME) != 1)
                break;
            line.extensions.push_back(Text(file.extension));
        }
        ORQ::CKvdDataBlock_V110::CDataFile::SFidComment fid;
        while (db->GetFidComment(&fid, 0, n, 0, static_cast<int>(line.fids.size()), LT_ANY,
                                 ORQ::CKvdDataBlockInterface::WALK_BY_NAME))
            line.fids.push_back({fid.ododist, Text(fid.text)});
        lines.push_back(line);
    }
    return lines;
}

} // namespace

// The tool writes the demo grid through the editor's import and save; the project loader then
// finds every line in its set where the grid puts it, with its fiducials, its radar files
// beside the project and the GPS files attached to the lines that have one.
TEST(DemoProject, ToolWritesAGridTheLoaderOpens) {
    TempDir dir;
    const std::string folder = dir.File("demo");
    const SRun run = RunTool(folder);
    ASSERT_EQ(0, run.status) << run.out;
    const std::string path = CDemoProject::ProjectPath(folder);
    EXPECT_EQ(path + "\n", run.out) << "the tool prints the project's path and nothing else";
    for (const auto &entry : fs::directory_iterator(dir.Path()))
        EXPECT_EQ(folder, entry.path().string()) << "nothing but the project folder is left";

    kvdtest::CaptureSink sink;
    CKvdGprDataFiles holder;
    CMapperSettings settings;
    ASSERT_TRUE(CProjectLoader::Open(holder, settings, path, false)) << sink.AllTexts();
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    ORQ::CKvdDataBlockInterface_V110 *db = holder.GetDataBlockInterface();
    ASSERT_NE(nullptr, db);
    ASSERT_EQ(1, db->GetSetCount());
    ORQ::CKvdDataBlockInterface::SLineSetInfo set;
    db->GetLineSet(&set, 0);
    EXPECT_EQ(CDemoProject::kLineSet, Text(set.name));

    const std::vector<SDemoLine> expected = CDemoProject::Lines();
    ASSERT_EQ(20u, expected.size());
    const std::vector<SLoadedLine> lines = LoadLines(holder);
    ASSERT_EQ(expected.size(), lines.size());
    int gpsLines = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const SDemoLine &want = expected[i];
        const SLoadedLine &line = lines[i];
        SCOPED_TRACE(want.name);
        EXPECT_EQ(want.name, line.name);
        EXPECT_EQ(want.yLine ? LT_YLINE : LT_XLINE, line.type);
        // X lines run along x from 0 to 20 m at y = 1, 3, ... 19; Y lines likewise along y.
        const double across = 1 + 2 * want.number;
        EXPECT_DOUBLE_EQ(want.yLine ? across : 0, line.xMin);
        EXPECT_DOUBLE_EQ(want.yLine ? across : 20, line.xMax);
        EXPECT_DOUBLE_EQ(want.yLine ? 0 : across, line.yMin);
        EXPECT_DOUBLE_EQ(want.yLine ? 20 : across, line.yMax);
        const std::vector<std::pair<double, std::string>> fids = {
            {5, "FID1"}, {10, "FID2"}, {15, "FID3"}};
        EXPECT_EQ(fids, line.fids) << "a fiducial every 5 m, where its trace lies";

        ASSERT_FALSE(line.extensions.empty());
        EXPECT_EQ("HD+DT1", line.extensions[0]);
        const std::string base = folder + "/" + want.name;
        EXPECT_TRUE(FileExists(base + ".hd"));
        EXPECT_TRUE(FileExists(base + ".dt1"));
        EXPECT_EQ(want.gps, FileExists(base + ".GPS"));
        const bool attached = line.extensions.size() == 2 && line.extensions[1] == "GPS";
        EXPECT_EQ(want.gps, attached) << "the GPS file beside the line is attached to it";
        EXPECT_EQ(want.gps ? 2u : 1u, line.extensions.size());
        gpsLines += attached;

        ORQ::Tamsel hd;
        ASSERT_FALSE(hd.Load((base + ".hd").c_str(), ORQ::ST_FILE)) << hd.GetLastMessage();
        ASSERT_NE(nullptr, hd.GetTamsel());
        EXPECT_EQ(CDemoProject::kTraces, hd.GetTamsel()->m_traces);
        EXPECT_EQ(uintmax_t(CDemoProject::kTraces) * (128 + 2 * CDemoProject::kSamples),
                  fs::file_size(base + ".dt1"))
            << "the trace file holds every trace";
    }
    EXPECT_EQ(10, gpsLines);
}

// The GPS file of a line says, above each fix, the trace it belongs to and how many metres
// along the line that trace lies: trace n at (n - 1) steps. The fixes the reader takes from it
// lie as far apart on the ground as those positions say.
TEST(DemoProject, GpsFilesGiveTheMetresOfTheirTraces) {
    TempDir dir;
    const std::string folder = dir.File("demo");
    const SRun run = RunTool(folder);
    ASSERT_EQ(0, run.status) << run.out;
    const std::vector<SDemoLine> lines = CDemoProject::Lines();
    auto withGps =
        std::find_if(lines.begin(), lines.end(), [](const SDemoLine &l) { return l.gps; });
    ASSERT_NE(lines.end(), withGps);
    const std::string path = folder + "/" + withGps->name + ".GPS";

    std::map<int, double> positions; // trace -> metres, as the file states them
    std::istringstream text(kvdtest::ReadFile(path));
    for (std::string row; std::getline(text, row);) {
        if (row.rfind("Trace #", 0) != 0)
            continue;
        const size_t at = row.find(" at position ");
        ASSERT_NE(std::string::npos, at) << row;
        positions[std::atoi(row.c_str() + 7)] = std::strtod(row.c_str() + at + 13, nullptr);
    }
    ASSERT_EQ(size_t((CDemoProject::kTraces - 1) / CDemoProject::kGpsEvery + 1), positions.size());
    for (const auto &[trace, metres] : positions)
        EXPECT_NEAR((trace - 1) * CDemoProject::kStep, metres, 5e-7) << "trace " << trace;
    EXPECT_NEAR(1.0, positions.at(1 + CDemoProject::kGpsEvery), 5e-7);
    EXPECT_NEAR(CDemoProject::kGridSize, positions.at(CDemoProject::kTraces), 5e-7)
        << "the last trace lies at the end of the line";

    SLocalWorldDef def;
    CGPSInfo gps;
    gps.SetLWCDefinition(&def);
    ORQ::CStr errors;
    EXPECT_EQ(int(positions.size()),
              CGPSDataSample().LoadGpsFile(&gps, path.c_str(), 0, 0, CDemoProject::kTraces, errors,
                                           false))
        << errors.c_str();
    const CGPSInfo::SPointSource &first = gps.GetPoint(0, 0, 1)->source[CGPSInfo::SOURCE_RAW];
    for (const auto &[trace, metres] : positions) {
        const CGPSInfo::SPointSource &fix = gps.GetPoint(0, 0, trace)->source[CGPSInfo::SOURCE_RAW];
        ASSERT_EQ(CGPSInfo::KIND_FILLED, fix.kind) << "trace " << trace;
        // The grid's scale in UTM differs from 1 by less than 0.05 % here.
        EXPECT_NEAR(metres, std::hypot(fix.easting - first.easting, fix.northing - first.northing),
                    1e-3 + metres * 5e-4)
            << "trace " << trace;
    }
}

// A second run finds the project and leaves it as it is; a folder it cannot use ends the run
// with a message and a failure status, and leaves nothing half-written behind.
TEST(DemoProject, ToolReusesTheProjectAndReportsWhatItCannotMake) {
    TempDir dir;
    const std::string folder = dir.File("demo");
    ASSERT_EQ(0, RunTool(folder).status);
    const std::string path = CDemoProject::ProjectPath(folder);
    const std::string bytes = kvdtest::ReadFile(path);
    const auto written = fs::last_write_time(path);
    const SRun again = RunTool(folder);
    EXPECT_EQ(0, again.status) << again.out;
    EXPECT_EQ(path + "\n", again.out);
    EXPECT_EQ(bytes, kvdtest::ReadFile(path));
    EXPECT_EQ(written, fs::last_write_time(path)) << "the project is not written again";

    struct SCase {
        const char *name;
        std::string folder;
    };
    kvdtest::WriteFile(dir.File("plain"), "not a folder");
    fs::create_directory(dir.File("other"));
    kvdtest::WriteFile(dir.File("other/notes.txt"), "someone's notes");
    const SCase cases[] = {
        {"below a plain file", dir.File("plain/demo")},
        {"a folder without the project", dir.File("other")},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        const SRun run = RunTool(c.folder);
        EXPECT_EQ(1, run.status) << run.out;
        EXPECT_NE(std::string::npos, run.out.find("the demo project could not be made")) << run.out;
        EXPECT_FALSE(FileExists(CDemoProject::ProjectPath(c.folder)));
    }
    EXPECT_EQ("someone's notes", kvdtest::ReadFile(dir.File("other/notes.txt")));
    int entries = 0;
    for (const auto &entry : fs::directory_iterator(dir.Path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(3, entries) << "no staging folder is left beside the project folders";
    EXPECT_EQ(2, RunTool("").status) << "a call without a folder is refused";
}
