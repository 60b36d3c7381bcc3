// Opening a project: reading its data block into the query interface and walking every line
// and data file through the queries, against libxml2 parsing the same file alone. The goal is a
// whole load of at most three times the bare parse; BM_LoadToParseRatio reports the ratio.
//
// The allocator is told to keep freed memory (see main): each load frees the tree of the one
// before, about 80 MB for this file, and whether glibc hands that back to the system at the
// free depends on where the last blocks happen to lie. A loop that gives it back pays for
// faulting every page in again on the next load, a loop that keeps it does not, and that
// accident would decide the comparison rather than the work each loop does. With the memory
// kept, baseline and load run under the same conditions.

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "tests/support/ProjectBuilder.h"
#include "tests/support/TestSupport.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

constexpr int kLines = 2000;

const std::string &ProjectPath() {
    static kvdtest::TempDir dir;
    static const std::string path = [] {
        const std::string p = dir.File("survey.kvd");
        kvdtest::WriteFile(p, kvdtest::GeneratedProject(kLines, 10, 3));
        return p;
    }();
    return path;
}

// What the editor asks of every line and data file when it fills its grid.
double WalkAll(const ORQ::CKvdDataBlockInterface_V110 &q) {
    double sum = 0;
    const int lines = q.GetNumLines(-1, LT_ANY);
    for (int i = 0; i < lines; ++i) {
        ORQ::CKvdDataBlockInterface::SLineInfo line;
        q.GetLineInfo(&line, i, LT_ANY, -1, 1);
        sum += line.xMax - line.xMin;
        const int files = q.GetFileCount(i, -1, LT_ANY, 1);
        for (int j = 0; j < files; ++j) {
            ORQ::CKvdDataBlockInterface::SFileInfo file;
            q.GetFileInfo(&file, j, i, LT_ANY, -1, 1);
            for (int p = 0; p < file.numPositions; ++p)
                sum += file.positions[p].X;
            ORQ::CKvdDataBlock_V110::CDataFile::SFidComment fid;
            for (int c = 0; q.GetFidComment(&fid, line.setIndex, line.lineIndex, j, c, LT_ANY, 0);
                 ++c)
                sum += fid.ododist;
        }
    }
    return sum;
}

// The baseline: libxml2 reading the same file with default options, and freeing the tree.
bool BareParse(const std::string &path) {
    xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, 0);
    benchmark::DoNotOptimize(doc);
    const bool ok = doc != nullptr;
    xmlFreeDoc(doc);
    return ok;
}

// The whole open: load the file, build the query interface, walk every line and file; then
// everything is freed, as the baseline frees its tree.
bool WholeLoad(const std::string &path) {
    ORQ::CKVDXmlFile file;
    file.Initialize(path);
    std::unique_ptr<ORQ::CKvdDataBlockInterface_V110> q(
        static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
            ORQ::CKvdDataBlockInterface::CreateAndInit(&file, 0, nullptr)));
    if (!q || q->GetNumLines(-1, LT_ANY) != kLines)
        return false;
    benchmark::DoNotOptimize(WalkAll(*q));
    return true;
}

void BM_BareLibxml2Parse(benchmark::State &state) {
    const std::string &path = ProjectPath();
    BareParse(path);
    for (auto _ : state) {
        if (!BareParse(path)) {
            state.SkipWithError("libxml2 could not parse the generated project");
            break;
        }
    }
}
BENCHMARK(BM_BareLibxml2Parse)->Unit(benchmark::kMillisecond);

void BM_WholeLoad(benchmark::State &state) {
    const std::string &path = ProjectPath();
    WholeLoad(path);
    for (auto _ : state) {
        if (!WholeLoad(path)) {
            state.SkipWithError("the generated project did not load");
            break;
        }
    }
}
BENCHMARK(BM_WholeLoad)->Unit(benchmark::kMillisecond);

// Loading the file into the project file object alone.
void BM_ProjectFileLoad(benchmark::State &state) {
    const std::string &path = ProjectPath();
    {
        ORQ::CKVDXmlFile warm;
        warm.Initialize(path);
    }
    for (auto _ : state) {
        ORQ::CKVDXmlFile file;
        benchmark::DoNotOptimize(file.Initialize(path));
    }
}
BENCHMARK(BM_ProjectFileLoad)->Unit(benchmark::kMillisecond);

// The data block alone on an already loaded file: CreateAndInit plus the walk.
void BM_CreateAndInitAndWalk(benchmark::State &state) {
    ORQ::CKVDXmlFile file;
    file.Initialize(ProjectPath());
    for (auto _ : state) {
        std::unique_ptr<ORQ::CKvdDataBlockInterface_V110> q(
            static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
                ORQ::CKvdDataBlockInterface::CreateAndInit(&file, 0, nullptr)));
        benchmark::DoNotOptimize(WalkAll(*q));
    }
}
BENCHMARK(BM_CreateAndInitAndWalk)->Unit(benchmark::kMillisecond);

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The bare parse and the whole load one after the other in every iteration, so that both meet
// the same load on the machine; the time reported is the whole load's. Counters: the median of
// each in milliseconds and their ratio (the goal is at most 3).
void BM_LoadToParseRatio(benchmark::State &state) {
    using Clock = std::chrono::steady_clock;
    const std::string &path = ProjectPath();
    BareParse(path);
    WholeLoad(path);
    std::vector<double> bare, load;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const bool parsed = BareParse(path);
        const auto t1 = Clock::now();
        const bool loaded = WholeLoad(path);
        const auto t2 = Clock::now();
        if (!parsed || !loaded) {
            state.SkipWithError("the generated project did not load");
            break;
        }
        bare.push_back(std::chrono::duration<double>(t1 - t0).count());
        load.push_back(std::chrono::duration<double>(t2 - t1).count());
        state.SetIterationTime(load.back());
    }
    const double bareMedian = Median(bare);
    const double loadMedian = Median(load);
    state.counters["bare_ms"] = bareMedian * 1e3;
    state.counters["load_ms"] = loadMedian * 1e3;
    state.counters["ratio"] = bareMedian > 0 ? loadMedian / bareMedian : 0;
}
BENCHMARK(BM_LoadToParseRatio)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace

int main(int argc, char **argv) {
    // Freed memory stays with the process (see the note at the top); setting the threshold also
    // stops glibc from moving it as blocks come and go.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
