// The write-back of a GPS attach to every line of a grid (CGPSDataSample::WriteToLineFiles:
// each line's header and trace file read, their positions merged in, both replaced as one
// group), for grids of 1,000 and 10,000 lines, against the least a durable write-back of the
// same files must do: both files read with plain read() calls and each written beside itself,
// flushed, renamed over itself and its folder flushed. Repetitions of the two interleaved; the
// medians compared.

#include "KVD_Edit/GPSINFO/GPSDataSample.h"
#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "tests/support/GridProject.h"
#include "tests/support/TestSupport.h"

#include "bench/MedianReporter.h"
#include "bench/PlainRead.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A grid of lines, each with its .hd and .dt1 (21 traces), and GPS fixes loaded for every line.
struct Grid {
    explicit Grid(int lines) : lines(lines) {
        kvdtest::WriteGridProject(dir.Path(), kvdtest::ManyLines(lines));
        gps.SetLWCDefinition(&def);
        const std::string fixes = dir.File("fixes.gps");
        kvdtest::WriteFile(fixes, kvdtest::GpsFileText(4, 6));
        for (int i = 0; i < lines; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/LINE%04d", i);
            hd.push_back(dir.Path() + name + ".hd");
            dt1.push_back(dir.Path() + name + ".dt1");
            CGPSDataSample sample;
            sample.AddLine(&gps, 0, i % 2, i, 0.5, kTraces,
                           (name + 1 + std::string(".dt1")).c_str());
            ORQ::CStr errors;
            if (sample.LoadGpsFile(&gps, fixes.c_str(), 0, i, kTraces, errors, false) < 2)
                ok = false;
        }
    }
    static constexpr int kTraces = 21;
    kvdtest::TempDir dir;
    int lines;
    SLocalWorldDef def;
    CGPSInfo gps;
    std::vector<std::string> hd, dt1;
    bool ok = true;
};

Grid &TheGrid(int lines) {
    static std::map<int, std::unique_ptr<Grid>> grids;
    auto &grid = grids[lines];
    if (!grid)
        grid = std::make_unique<Grid>(lines);
    return *grid;
}

void SyncFolder(const std::string &folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The bytes written beside path, flushed, renamed over it, the folder flushed; false on failure.
bool WriteDurably(const std::string &path, const std::string &bytes, const std::string &folder) {
    const std::string temp = path + ".bench";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written =
        ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || ::rename(temp.c_str(), path.c_str()) != 0)
        return false;
    SyncFolder(folder);
    return true;
}

void BM_PlainPairWrites(benchmark::State &state) {
    Grid &grid = TheGrid(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        for (int i = 0; i < grid.lines; ++i) {
            const std::string header = kvdbench::ReadWhole(grid.hd[i]),
                              traces = kvdbench::ReadWhole(grid.dt1[i]);
            if (header.empty() || traces.empty() ||
                !WriteDurably(grid.dt1[i], traces, grid.dir.Path()) ||
                !WriteDurably(grid.hd[i], header, grid.dir.Path())) {
                state.SkipWithError("a plain write failed");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * grid.lines);
}

void BM_GpsWriteBack(benchmark::State &state) {
    Grid &grid = TheGrid(static_cast<int>(state.range(0)));
    if (!grid.ok) {
        state.SkipWithError("the GPS fixes did not load");
        return;
    }
    for (auto _ : state) {
        for (int i = 0; i < grid.lines; ++i) {
            const ORQ::CStr error = CGPSDataSample().WriteToLineFiles(
                &grid.gps, grid.hd[i].c_str(), grid.dt1[i].c_str(), true, 0, i, false, false);
            if (!error.empty()) {
                state.SkipWithError(error.c_str());
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * grid.lines);
}

// One pass over a grid is long already (a pass of the large one takes some 20 s, most of it
// flushing): one pass an iteration, several repetitions.
BENCHMARK(BM_PlainPairWrites)
    ->Arg(1000)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GpsWriteBack)
    ->Arg(1000)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainPairWrites)
    ->Arg(10000)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GpsWriteBack)
    ->Arg(10000)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    std::vector<char *> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    kvdtest::CaptureSink quiet;
    CMedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\nThe GPS write-back of every line against plain durable writes of the pair (ms, "
                "medians):\n");
    std::printf("%8s %10s %12s %8s\n", "lines", "plain", "write-back", "ratio");
    for (int lines : {1000, 10000}) {
        const double plain = reporter.Get("BM_PlainPairWrites", lines);
        const double back = reporter.Get("BM_GpsWriteBack", lines);
        if (plain > 0 && back > 0)
            std::printf("%8d %10.1f %12.1f %8.2f\n", lines, plain, back, back / plain);
    }
    return 0;
}
