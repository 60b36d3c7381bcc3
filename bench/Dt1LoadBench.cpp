// Loading a whole trace file through CDT1File::Load against reading the same file with plain
// read() calls, in one run: the load should reach at least half of the raw read throughput.

#include "Tamsel/DT1File.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include "bench/MedianReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <memory>
#include <unistd.h>

namespace {

// About 200 MB: 96,000 traces of 1,024 samples (2,176 bytes each).
constexpr int kTraces = 96000;
constexpr int kSamples = 1024;
constexpr int64_t kBytes = int64_t(kTraces) * (kSamples + 64) * 2;

std::unique_ptr<kvdtest::TempDir> g_dir;
std::string g_path;

bool MakeFile() {
    g_dir = std::make_unique<kvdtest::TempDir>();
    g_path = g_dir->File("BENCH.dt1");
    kvdtest::SRadarLine line;
    line.traces = kTraces;
    line.samples = kSamples;
    line.synthetic = false;
    line.fiducials = {{100, "Start"}, {50000, "Fence"}};
    return kvdtest::WriteRadarTraceFile(g_path, line);
}

// Plain read() of the whole file into a buffer.
int64_t ReadAll(char *buffer) {
    const int fd = ::open(g_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int64_t done = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer + done, static_cast<size_t>(kBytes - done));
        if (n <= 0)
            break;
        done += n;
    }
    ::close(fd);
    return done;
}

// Baseline: into one buffer allocated (and touched) before timing.
void RawReadReusedBuffer(benchmark::State &state) {
    std::unique_ptr<char[]> buffer(new char[kBytes]);
    ReadAll(buffer.get());
    for (auto _ : state) {
        if (ReadAll(buffer.get()) != kBytes)
            state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer[kBytes - 1]);
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

// Baseline that, like a load, gets fresh memory each time.
void RawReadFreshBuffer(benchmark::State &state) {
    for (auto _ : state) {
        std::unique_ptr<char, decltype(&std::free)> buffer(static_cast<char *>(std::malloc(kBytes)),
                                                           &std::free);
        if (ReadAll(buffer.get()) != kBytes)
            state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer.get()[kBytes - 1]);
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

void Dt1Load(benchmark::State &state) {
    for (auto _ : state) {
        CDT1File file;
        if (file.Load(g_path.c_str(), kTraces, kSamples) != 0)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(file.GetFiducialCount());
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}

// Medians of several repetitions: the figures are compared with each other, on a machine that
// may be doing other work at the same time.
BENCHMARK(RawReadReusedBuffer)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.5)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(RawReadFreshBuffer)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(Dt1Load)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.5)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (!MakeFile()) {
        std::fprintf(stderr, "cannot write the benchmark's trace file\n");
        return 1;
    }
    CMedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double raw = reporter.Get("RawReadReusedBuffer");
    const double fresh = reporter.Get("RawReadFreshBuffer");
    const double load = reporter.Get("Dt1Load");
    if (raw > 0 && load > 0) {
        const double mb = kBytes / 1e6;
        std::printf("\nfile %.1f MB\n", mb);
        std::printf("raw read (reused buffer) %8.1f MB/s\n", mb / (raw / 1e3));
        if (fresh > 0)
            std::printf("raw read (fresh buffer)  %8.1f MB/s\n", mb / (fresh / 1e3));
        std::printf("CDT1File::Load           %8.1f MB/s\n", mb / (load / 1e3));
        std::printf("load / raw read (reused buffer) = %.2f (goal: at least 0.50)\n", raw / load);
        if (fresh > 0)
            std::printf("load / raw read (fresh buffer)  = %.2f\n", fresh / load);
    }
    g_dir.reset();
    benchmark::Shutdown();
    return 0;
}
