#include "KVD_Edit/demo/DemoProject.h"

#include "KVD3/KvdDataBlockInterface.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/document/ProjectLoader.h"
#include "Tamsel/Tamsel.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>

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
