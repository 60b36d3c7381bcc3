// Writes the generated seeds of the fuzz corpora into <corpus folder>/<target>/gen-*: radar
// lines, grid projects, GPS and topography files and zip archives, all from our own generators.
// The hand-written seeds beside them are kept in the tree as they are.

#include "orq_utils/ZipArchive.h"
#include "tests/support/GridProject.h"
#include "tests/support/ProjectBuilder.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

std::string g_root;

void Seed(const std::string &target, const std::string &name, const std::string &bytes) {
    const std::string folder = g_root + "/" + target;
    mkdir(folder.c_str(), 0755);
    kvdtest::WriteFile(folder + "/gen-" + name, bytes);
}

std::string Le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[i] = char((v >> (8 * i)) & 0xff);
    return s;
}

std::vector<std::pair<std::string, kvdtest::SRadarLine>> Lines() {
    kvdtest::SRadarLine plain;
    plain.traces = 6;
    plain.samples = 16;
    plain.fiducials = {{1, "FID 1"}, {4, "a comment of twenty-eight ch"}};
    plain.skipTraces = {3};
    kvdtest::SRadarLine gps = plain;
    gps.gpsType = 3;
    gps.crlf = false;
    gps.titles = {"GPS line", "second title"};
    kvdtest::SRadarLine utm = plain;
    utm.gpsType = 2;
    utm.unit = "ft";
    utm.extraHeaderLines = {"GAIN = 1 2 3", "SOME OTHER KEY = value"};
    return {{"plain", plain}, {"latlong", gps}, {"utm", utm}};
}

std::string ZipOf(const char *password) {
    std::vector<char> buffer(1 << 16);
    HZIP zip = CreateZip(buffer.data(), unsigned(buffer.size()), password);
    const std::string text = "line 1\r\nline 2\r\n";
    ZipAdd(zip, "LINE01.HD", text.data(), unsigned(text.size()));
    ZipAdd(zip, "sub\\LINE01.GPS", text.data(), unsigned(text.size()));
    ZipAddFolder(zip, "empty/");
    void *memory = nullptr;
    unsigned long length = 0;
    ZipGetMemory(zip, &memory, &length);
    std::string bytes(static_cast<const char *>(memory), length);
    CloseZipZ(zip);
    return bytes;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds CORPUS_FOLDER\n");
        return 2;
    }
    g_root = argv[1];
    for (const auto &[name, line] : Lines()) {
        Seed("HeaderFuzz", name + ".hd", kvdtest::RadarHeaderText(line));
        Seed("TraceFileFuzz", name + ".dt1",
             Le32(uint32_t(line.traces)) + Le32(uint32_t(line.samples)) +
                 kvdtest::RadarTraceBytes(line));
    }

    kvdtest::TempDir dir;
    kvdtest::GridProjectLayout grid = kvdtest::ManyLines(4);
    grid.lines[0].fidComment = "FID";
    grid.lines[1].set = "";
    const std::string gridPath = kvdtest::WriteGridProject(dir.Path(), grid);
    const std::string gridText = kvdtest::ReadFile(gridPath);
    const std::string generated = kvdtest::GeneratedProject(3, 4, 2);
    for (const char *target : {"ProjectFuzz", "SiteDefinitionFuzz"}) {
        Seed(target, "grid.kvd", gridText);
        Seed(target, "generated.kvd", generated);
    }

    Seed("GpsFileFuzz", "fixes.GPS", std::string(1, '\0') + Le32(20) + kvdtest::GpsFileText(5, 4));
    Seed("GpsFileFuzz", "fixes-trace-layer.GPS",
         std::string(1, '\2') + Le32(8) + kvdtest::GpsFileText(3, 3));
    Seed("GpsFileFuzz", "topo.CTP", std::string(1, '\1') + Le32(12) + kvdtest::TopoFileText(12));

    Seed("ZipFuzz", "plain.zip", ZipOf(nullptr));
    Seed("ZipFuzz", "password.zip", ZipOf("secret"));
    return 0;
}
