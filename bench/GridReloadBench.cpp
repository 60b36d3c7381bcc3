// Reloading the line grid of a project of 1,000 lines (rebuilding every row, which reads each
// line's .hd again and registers the line with the GPS data), against reading the same 1,000
// headers with Tamsel::Load alone.

#include "KVD_Edit/GPSINFO/GPSDataSample.h"
#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/app/grid/GridRowBuilder.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "Tamsel/Tamsel.h"
#include "tests/support/GridProject.h"
#include "tests/support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kLines = 1000;

struct Project {
    Project() {
        path = kvdtest::WriteGridProject(dir.Path(), kvdtest::ManyLines(kLines));
        file.Initialize(path);
        dbi.reset(static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
            ORQ::CKvdDataBlockInterface::CreateAndInit(&file, 0, nullptr)));
        for (int i = 0; i < kLines; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/LINE%04d.hd", i);
            headers.push_back(dir.Path() + name);
        }
    }
    kvdtest::TempDir dir;
    std::string path;
    ORQ::CKVDXmlFile file;
    std::unique_ptr<ORQ::CKvdDataBlockInterface_V110> dbi;
    std::vector<std::string> headers;
};

Project &TheProject() {
    static Project project;
    return project;
}

// The frame's answers, without windows: the document's GPS data through CGPSDataSample.
struct GpsHooks : IGridLoadHooks {
    void AddLine(int set, int type, int line, double step, int traces,
                 const std::string &path) override {
        CGPSDataSample().AddLine(&gps, set, type, line, step, traces, path.c_str());
    }
    int LoadGpsFile(const std::string &path, int set, int line, int traces,
                    std::string &errors) override {
        ORQ::CStr text;
        int r = CGPSDataSample().LoadGpsFile(&gps, path.c_str(), set, line, traces, text, false);
        errors = text;
        return r;
    }
    void LoadLineGps(const std::string &gpsPath, const ORQ::Tamsel &header,
                     const std::string &traceFile, long long traceCapacity, int set, int line,
                     double, int traces) override {
        CGPSDataSample().LoadLineGps(&gps, gpsPath.c_str(), &header, set, line, traces, nullptr,
                                     &traceFile, traceCapacity);
    }
    bool AskImportGps() override { return false; }
    bool AttachGps(SGridInfo &) override { return false; }
    void RecoverGps(SGridInfo &) override {}
    void SetDisplayUnit(ORQ::EUnitType) override {}
    CGPSInfo gps;
};

// The same answers without the GPS data, to tell the row building from the GPS registration.
struct NoGpsHooks : IGridLoadHooks {
    void AddLine(int, int, int, double, int, const std::string &) override {}
    int LoadGpsFile(const std::string &, int, int, int, std::string &) override { return -1; }
    void LoadLineGps(const std::string &, const ORQ::Tamsel &, const std::string &, long long, int,
                     int, double, int) override {}
    bool AskImportGps() override { return false; }
    bool AttachGps(SGridInfo &) override { return false; }
    void RecoverGps(SGridInfo &) override {}
    void SetDisplayUnit(ORQ::EUnitType) override {}
};

void BM_TamselLoadHeaders(benchmark::State &state) {
    Project &p = TheProject();
    for (auto _ : state) {
        int traces = 0;
        for (const std::string &hd : p.headers) {
            ORQ::Tamsel header;
            if (!header.Load(hd.c_str(), ORQ::ST_FILE))
                traces += header.GetTamsel()->m_traces;
        }
        benchmark::DoNotOptimize(traces);
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

template <typename Hooks> void BM_GridReload(benchmark::State &state) {
    Project &p = TheProject();
    kvdtest::CaptureSink sink;
    for (auto _ : state) {
        Hooks hooks;
        CGridRowBuilder::SInput in;
        in.dbi = p.dbi.get();
        in.projectFolder = p.dir.Path();
        auto result = CGridRowBuilder::Build(in, hooks);
        if (result.rows.size() != static_cast<size_t>(kLines) || !result.errors.empty())
            state.SkipWithError("the reload did not build every row cleanly");
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}

} // namespace

BENCHMARK(BM_TamselLoadHeaders)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_GridReload, GpsHooks)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_GridReload, NoGpsHooks)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
