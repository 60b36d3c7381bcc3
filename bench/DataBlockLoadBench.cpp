// Opening a project: reading its data block into the query interface and walking every line
// and data file through the queries, against libxml2 parsing the same file alone.

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "tests/support/ProjectBuilder.h"
#include "tests/support/TestSupport.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <memory>

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

void BM_BareLibxml2Parse(benchmark::State &state) {
    const std::string &path = ProjectPath();
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NOBLANKS);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
}
BENCHMARK(BM_BareLibxml2Parse)->Unit(benchmark::kMillisecond);

// The whole open: load the file, build the query interface, walk every line and file.
void BM_WholeLoad(benchmark::State &state) {
    const std::string &path = ProjectPath();
    for (auto _ : state) {
        ORQ::CKVDXmlFile file;
        file.Initialize(path);
        std::unique_ptr<ORQ::CKvdDataBlockInterface_V110> q(
            static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
                ORQ::CKvdDataBlockInterface::CreateAndInit(&file, 0, nullptr)));
        if (!q || q->GetNumLines(-1, LT_ANY) != kLines) {
            state.SkipWithError("the generated project did not load");
            break;
        }
        benchmark::DoNotOptimize(WalkAll(*q));
    }
}
BENCHMARK(BM_WholeLoad)->Unit(benchmark::kMillisecond);

// Loading the file into the project file object alone.
void BM_ProjectFileLoad(benchmark::State &state) {
    const std::string &path = ProjectPath();
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

} // namespace

BENCHMARK_MAIN();
