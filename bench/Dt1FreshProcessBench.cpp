// A trace file load as the editor's first load of a line sees it: in a fresh process, whose
// memory for the file is new. Every measurement runs in a process of its own (this program
// started again for one case), which times itself and reports through a pipe.
//
// 1. CDT1File::Load of files of 20 MB, 200 MB and 1 GB against a plain read() of the same file
//    into a fresh malloc'd buffer (the baseline, which a load should never be slower than).
// 2. The two ways a load can get its memory, at sizes from 256 KiB to 256 MiB, to place the size
// from
//    which the trace block takes mapped memory with huge pages rather than plain heap pages:
//    "heap" mallocs the block and reads into it; "mapped" maps anonymous memory, asks for huge
//    pages, and populates each 2 MiB piece just before reading into it.
//
// The files live in /tmp and stay in the page cache: the figures are the memory side of a load,
// not the disk's. The 1 GB case needs about 2 GiB of free memory.

#include "Tamsel/DT1File.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include "bench/MedianReporter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <map>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/mman.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int kSamples = 1024;
constexpr int64_t kTraceBytes = (kSamples + 64) * 2;

struct STraceFile {
    std::string path;
    int traces = 0;
    int64_t bytes = 0;
};

std::unique_ptr<kvdtest::TempDir> g_dir;
std::map<int, STraceFile> g_files; // by size in MB

bool MakeFile(int megabytes) {
    STraceFile f;
    f.traces = static_cast<int>(int64_t(megabytes) * 1000 * 1000 / kTraceBytes);
    f.bytes = f.traces * kTraceBytes;
    f.path = g_dir->File("FRESH" + std::to_string(megabytes) + ".dt1");
    kvdtest::SRadarLine line;
    line.traces = f.traces;
    line.samples = kSamples;
    line.synthetic = false;
    line.fiducials = {{10, "Start"}, {f.traces / 2, "Fence"}};
    if (!kvdtest::WriteRadarTraceFile(f.path, line))
        return false;
    g_files[megabytes] = f;
    return true;
}

std::string g_self; // this program

// Starts this program again for one case (kind, file, bytes, traces) and returns the seconds it
// reported, or a negative value when it failed.
double InChild(const std::string &kind, const std::string &path, int64_t bytes, int traces) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    const std::string b = std::to_string(bytes), t = std::to_string(traces);
    const char *argv[] = {g_self.c_str(), "--case",  kind.c_str(), path.c_str(),
                          b.c_str(),      t.c_str(), nullptr};
    pid_t child = 0;
    const int spawned = posix_spawn(&child, g_self.c_str(), &actions, nullptr,
                                    const_cast<char *const *>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    double seconds = -1;
    if (spawned == 0) {
        char text[64] = {};
        const ssize_t n = ::read(pipeEnds[0], text, sizeof text - 1);
        if (n > 0)
            seconds = std::atof(text);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            seconds = -1;
    }
    ::close(pipeEnds[0]);
    return seconds;
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Reads bytes of the file at path into buffer; true when all arrived.
bool ReadInto(const std::string &path, char *buffer, int64_t bytes, int64_t piece,
              const std::function<void(char *, int64_t)> &beforePiece) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int64_t done = 0;
    while (done < bytes) {
        const int64_t n = std::min(piece, bytes - done);
        if (beforePiece)
            beforePiece(buffer + done, n);
        const ssize_t got = ::read(fd, buffer + done, static_cast<size_t>(n));
        if (got <= 0)
            break;
        done += got;
    }
    ::close(fd);
    return done == bytes;
}

// The baseline: malloc and one read() loop over the whole file.
double FreshRead(const std::string &path, int64_t bytes) {
    const auto start = std::chrono::steady_clock::now();
    char *buffer = static_cast<char *>(std::malloc(static_cast<size_t>(bytes)));
    if (!buffer || !ReadInto(path, buffer, bytes, bytes, nullptr))
        return -1;
    const double seconds = Since(start);
    benchmark::DoNotOptimize(buffer[bytes - 1]);
    std::free(buffer);
    return seconds;
}

double MappedRead(const std::string &path, int64_t bytes) {
    const auto start = std::chrono::steady_clock::now();
    const size_t size = static_cast<size_t>(bytes);
    void *p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return -1;
#ifdef MADV_HUGEPAGE
    ::madvise(p, size, MADV_HUGEPAGE);
#endif
    const uintptr_t pageMask = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE)) - 1;
    auto populate = [pageMask](char *at, int64_t n) {
#ifdef MADV_POPULATE_WRITE
        const uintptr_t from = reinterpret_cast<uintptr_t>(at) & ~pageMask;
        const uintptr_t to = reinterpret_cast<uintptr_t>(at + n);
        ::madvise(reinterpret_cast<void *>(from), to - from, MADV_POPULATE_WRITE);
#else
        (void)at, (void)n, (void)pageMask;
#endif
    };
    char *buffer = static_cast<char *>(p);
    if (!ReadInto(path, buffer, bytes, 2 * 1024 * 1024, populate))
        return -1;
    const double seconds = Since(start);
    benchmark::DoNotOptimize(buffer[bytes - 1]);
    ::munmap(p, size);
    return seconds;
}

double Dt1Load(const STraceFile &f) {
    const auto start = std::chrono::steady_clock::now();
    CDT1File file;
    if (file.Load(f.path.c_str(), f.traces, kSamples) != 0)
        return -1;
    const double seconds = Since(start);
    benchmark::DoNotOptimize(file.GetFiducialCount());
    return seconds;
}

void Measure(benchmark::State &state, const std::string &kind, const STraceFile &f, int64_t bytes) {
    for (auto _ : state) {
        const double seconds = InChild(kind, f.path, bytes, f.traces);
        if (seconds < 0) {
            state.SkipWithError("the measuring process failed");
            break;
        }
        state.SetIterationTime(seconds);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

// One case in this process: the seconds it took, negative when it failed.
double RunCase(const std::string &kind, const std::string &path, int64_t bytes, int traces) {
    if (kind == "read")
        return FreshRead(path, bytes);
    if (kind == "mapped")
        return MappedRead(path, bytes);
    if (kind == "load") {
        STraceFile f;
        f.path = path;
        f.traces = traces;
        f.bytes = bytes;
        return Dt1Load(f);
    }
    return -1;
}

void BM_FreshRead(benchmark::State &state) {
    const STraceFile &f = g_files.at(static_cast<int>(state.range(0)));
    Measure(state, "read", f, f.bytes);
}

void BM_Dt1Load(benchmark::State &state) {
    const STraceFile &f = g_files.at(static_cast<int>(state.range(0)));
    Measure(state, "load", f, f.bytes);
}

// The first range(0) KiB of the largest file, into heap memory or into mapped huge pages.
void BM_HeapPages(benchmark::State &state) {
    Measure(state, "read", g_files.rbegin()->second, state.range(0) * 1024);
}

void BM_MappedHugePages(benchmark::State &state) {
    Measure(state, "mapped", g_files.rbegin()->second, state.range(0) * 1024);
}

// Medians over repetitions of one fresh process each: the machine may be busy with other work.
void Sizes(benchmark::internal::Benchmark *b) {
    b->Arg(20)->Arg(200)->Arg(1000);
}
void ThresholdSizes(benchmark::internal::Benchmark *b) {
    for (int kib : {256, 512, 1024, 2048, 4096, 8192, 16384, 65536, 262144})
        b->Arg(kib);
}

// One process per run: a single iteration each, nine runs, their median.
void FreshRuns(benchmark::internal::Benchmark *b) {
    b->UseManualTime()->Iterations(1)->Repetitions(9)->ReportAggregatesOnly(true);
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_FreshRead)->Apply(Sizes)->Apply(FreshRuns);
BENCHMARK(BM_Dt1Load)->Apply(Sizes)->Apply(FreshRuns);
BENCHMARK(BM_HeapPages)->Apply(ThresholdSizes)->Apply(FreshRuns);
BENCHMARK(BM_MappedHugePages)->Apply(ThresholdSizes)->Apply(FreshRuns);

} // namespace

int main(int argc, char **argv) {
    if (argc == 6 && std::strcmp(argv[1], "--case") == 0) {
        const double seconds =
            RunCase(argv[2], argv[3], std::atoll(argv[4]), static_cast<int>(std::atol(argv[5])));
        std::printf("%.9f\n", seconds);
        return seconds < 0 ? 1 : 0;
    }
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return 1;
    g_self = self;
    benchmark::Initialize(&argc, argv);
    g_dir = std::make_unique<kvdtest::TempDir>();
    for (int mb : {20, 200, 1000})
        if (!MakeFile(mb)) {
            std::fprintf(stderr, "cannot write the benchmark's trace files\n");
            return 1;
        }
    CMedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf(
        "\nCDT1File::Load against read() into a fresh buffer (median ms, fresh process):\n");
    for (int mb : {20, 200, 1000}) {
        const double read = reporter.Get("BM_FreshRead", mb);
        const double load = reporter.Get("BM_Dt1Load", mb);
        if (read > 0 && load > 0)
            std::printf("%5d MB: read %8.2f  load %8.2f  load/read %.2f (goal: at most 1.00)\n", mb,
                        read, load, load / read);
    }
    std::printf("\nHeap pages against mapped huge pages (median ms, fresh process):\n");
    for (int kib : {256, 512, 1024, 2048, 4096, 8192, 16384, 65536, 262144}) {
        const double heap = reporter.Get("BM_HeapPages", kib);
        const double mapped = reporter.Get("BM_MappedHugePages", kib);
        if (heap > 0 && mapped > 0)
            std::printf("%7d KiB: heap %8.2f  mapped %8.2f  mapped/heap %.2f\n", kib, heap, mapped,
                        mapped / heap);
    }
    g_files.clear();
    g_dir.reset();
    benchmark::Shutdown();
    return 0;
}
