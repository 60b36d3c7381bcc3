// The whole open of a grid project as a surveyor sees it: the document loaded, the frame shown,
// the grid filled, the fiducials imported, the plan drawn and the program idle again, for
// projects of 1,000 and 10,000 lines with real .hd and .dt1 files; against the bare libxml2
// parse of the project file plus a plain read of every header. After the timings the peak
// resident memory of each case is measured in a fresh process of its own (this program started
// again for one case), and the open's peak is compared with the baseline's. Needs a display
// (xvfb-run -a).
//
// The same open is also timed with the busy dialog's ticks and without them (the dialog shown
// but never drawn again during the work), repetitions of the two interleaved, and the cost of
// the ticks printed per size.

#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/BusyDlg.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "MedianReporter.h"
#include "PlainRead.h"
#include "tests/support/GridProject.h"
#include "tests/support/TestSupport.h"
#include "tests/support/gui/GuiHarness.h"

#include <benchmark/benchmark.h>

#include <libxml/parser.h>
#include <wx/app.h>
#include <wx/docview.h>
#include <wx/frame.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

extern char **environ;

namespace {

struct Project {
    explicit Project(int lines) : lines(lines) {
        path = kvdtest::WriteGridProject(dir.Path(), kvdtest::ManyLines(lines));
        headers = HeaderPaths(dir.Path(), lines);
    }
    static std::vector<std::string> HeaderPaths(const std::string &folder, int lines) {
        std::vector<std::string> paths;
        for (int i = 0; i < lines; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/LINE%04d.hd", i);
            paths.push_back(folder + name);
        }
        return paths;
    }
    kvdtest::TempDir dir;
    int lines;
    std::string path;
    std::vector<std::string> headers;
};

Project &TheProject(int lines) {
    static std::map<int, std::unique_ptr<Project>> projects;
    auto &p = projects[lines];
    if (!p)
        p = std::make_unique<Project>(lines);
    return *p;
}

// Runs the toolkit until nothing is waiting, then paints what is still to be painted.
void RunUntilIdle(wxWindow *frame) {
    for (int round = 0; round < 1000; ++round) {
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        const bool more = wxTheApp->ProcessIdle();
        if (!more && !wxTheApp->Pending() && !wxTheApp->HasPendingEvents())
            break;
    }
    if (frame)
        frame->Update();
}

// The trace count a header's text gives on its "NUMBER OF TRACES" line; 0 without one.
int TracesOf(const std::string &text) {
    const size_t at = text.find("NUMBER OF TRACES");
    const size_t equals = at == std::string::npos ? at : text.find('=', at);
    return equals == std::string::npos ? 0 : std::atoi(text.c_str() + equals + 1);
}

// The baseline's work: the parse and every header, each read with a plain read() and nothing
// of the program's own code, so that the open is measured against the least any open must do.
// The number of traces.
int BareParseAndHeaders(const std::string &path, const std::vector<std::string> &headers) {
    xmlDocPtr doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET);
    int traces = 0;
    for (const std::string &hd : headers)
        traces += TracesOf(kvdbench::ReadWhole(hd));
    xmlFreeDoc(doc);
    return doc ? traces : -1;
}

// The open's work: the document opened and the program idle with the grid filled. The
// document, or null when the project did not open as it should.
CKVDVDoc *OpenUntilIdle(const std::string &path, int lines) {
    CKVDVApp &app = kvdtest::gui::App();
    wxDocument *opened = app.GetDocManager()->CreateDocument(path, wxDOC_SILENT);
    auto *doc = opened ? dynamic_cast<CKVDVDoc *>(opened) : nullptr;
    if (!doc)
        return nullptr;
    RunUntilIdle(doc->GetFrame());
    auto *frame = dynamic_cast<CChildFrame *>(doc->GetFrame());
    if (!frame || !frame->GetGridView() || frame->GetGridView()->GetNumRows() != lines)
        return nullptr;
    return doc;
}

void BM_BareParseAndHeaders(benchmark::State &state) {
    Project &p = TheProject(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(BareParseAndHeaders(p.path, p.headers));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The project of state's size opened once per iteration and closed again outside the timing.
void OpenEachIteration(benchmark::State &state) {
    const int lines = static_cast<int>(state.range(0));
    const Project &p = TheProject(lines);
    for (auto _ : state) {
        CKVDVDoc *doc = OpenUntilIdle(p.path, lines);
        if (!doc) {
            state.SkipWithError("the project did not open with every line in the grid");
            break;
        }
        state.PauseTiming();
        doc->Modify(false);
        doc->Close();
        doc->DeleteAllViews();
        RunUntilIdle(nullptr);
        state.ResumeTiming();
    }
}

void BM_WholeOpen(benchmark::State &state) {
    const int lines = static_cast<int>(state.range(0));
    OpenEachIteration(state);
    state.SetItemsProcessed(state.iterations() * lines);
}

// The busy dialog as the program shows it, with a count of the ticks that drew it; or, without
// ticks, shown and never drawn again until the work ends.
class CCountedDisplay : public IBusyDisplay {
public:
    CCountedDisplay(std::unique_ptr<IBusyDisplay> shown, bool ticks, int &draws)
        : m_shown(std::move(shown)), m_ticks(ticks), m_draws(draws) {}
    bool IsCancelled() override { return m_shown && m_shown->IsCancelled(); }
    void Tick() override {
        if (!m_ticks || !m_shown)
            return;
        ++m_draws;
        m_shown->Tick();
    }

private:
    std::unique_ptr<IBusyDisplay> m_shown;
    bool m_ticks;
    int &m_draws;
};

void OpenTimed(benchmark::State &state, bool ticks) {
    CBusyIndicator &busy = kvdtest::gui::App().GetBusyIndicator();
    int draws = 0;
    busy.SetDisplayFactory([ticks, &draws] {
        return std::make_unique<CCountedDisplay>(CBusyDlg::CreateDisplay(), ticks, draws);
    });
    OpenEachIteration(state);
    busy.SetDisplayFactory(&CBusyDlg::CreateDisplay);
    state.counters["draws/open"] = benchmark::Counter(draws, benchmark::Counter::kAvgIterations);
}

void BM_OpenWithTicks(benchmark::State &state) {
    OpenTimed(state, true);
}

void BM_OpenWithoutTicks(benchmark::State &state) {
    OpenTimed(state, false);
}

// One case in this process, started for it alone: "bare", "open" or "app" (the program started
// and idle, no project) on the project at path with that many lines. 0 when it ran.
int RunCase(const std::string &kind, const std::string &path, int lines) {
    const size_t cut = path.find_last_of('/');
    const std::string folder = cut == std::string::npos ? "." : path.substr(0, cut);
    if (kind == "bare")
        return BareParseAndHeaders(path, Project::HeaderPaths(folder, lines)) >= 0 ? 0 : 1;
    if (kind == "app") {
        kvdtest::gui::App();
        RunUntilIdle(nullptr);
        return 0;
    }
    if (kind == "open")
        return OpenUntilIdle(path, lines) ? 0 : 1;
    return 2;
}

// The high-water mark of this process's resident memory in KiB (the kernel keeps it per
// address space, so a freshly started program begins its own), 0 when unknown.
long PeakKiB() {
    FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0;
    char line[256];
    long kib = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1)
            break;
    std::fclose(status);
    return kib;
}

// Starts this program again for one case and returns the peak resident memory of that process
// in MiB, or a negative value when the case failed.
double PeakOfCase(const char *self, const std::string &kind, const Project &p) {
    const std::string lines = std::to_string(p.lines);
    const std::string out = p.dir.File("peak-" + kind + ".txt");
    const char *argv[] = {self,          "--case",    kind.c_str(), p.path.c_str(),
                          lines.c_str(), out.c_str(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, self, nullptr, nullptr, const_cast<char *const *>(argv), environ) != 0)
        return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    long kib = 0;
    if (FILE *f = std::fopen(out.c_str(), "r")) {
        if (std::fscanf(f, "%ld", &kib) != 1)
            kib = 0;
        std::fclose(f);
    }
    return kib > 0 ? kib / 1024.0 : -1;
}

} // namespace

// Several opens of the large project each, not one: the first open of a run finds the line
// files colder than the rest.
BENCHMARK(BM_BareParseAndHeaders)->Arg(1000)->Arg(10000)->MinTime(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeOpen)->Arg(1000)->Arg(10000)->MinTime(5)->Unit(benchmark::kMillisecond);
// Several repetitions each, interleaved (see main), so that a slow moment of the machine falls
// on both sides alike; the medians are compared.
BENCHMARK(BM_OpenWithTicks)->Arg(1000)->MinTime(1)->Repetitions(9)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenWithoutTicks)
    ->Arg(1000)
    ->MinTime(1)
    ->Repetitions(9)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenWithTicks)
    ->Arg(10000)
    ->Iterations(2)
    ->Repetitions(9)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenWithoutTicks)
    ->Arg(10000)
    ->Iterations(2)
    ->Repetitions(9)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    if (argc == 6 && std::strcmp(argv[1], "--case") == 0) {
        const int result = RunCase(argv[2], argv[3], std::atoi(argv[4]));
        if (FILE *out = std::fopen(argv[5], "w")) {
            std::fprintf(out, "%ld\n", PeakKiB());
            std::fclose(out);
        }
        std::fflush(nullptr);
        // The peak is what the case reached; tearing the program down adds nothing to learn.
        // No destructor runs after _exit: the settings folders the case made go now.
        kvdtest::gui::RemovePrivateFolders();
        _exit(result);
    }
    // The repetitions of the open with and without ticks run in turn, not one side first.
    std::vector<char *> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    // The program's start-up is not part of an open.
    kvdtest::gui::App();
    RunUntilIdle(nullptr);
    CMedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nThe whole open against the bare parse and header reads (ms):\n");
    std::printf("%8s %10s %10s %8s\n", "lines", "bare", "open", "ratio");
    for (int lines : {1000, 10000}) {
        const double bare = reporter.Get("BM_BareParseAndHeaders", lines);
        const double open = reporter.Get("BM_WholeOpen", lines);
        if (bare > 0 && open > 0)
            std::printf("%8d %10.1f %10.1f %8.2f\n", lines, bare, open, open / bare);
    }

    std::printf("\nBusy dialog ticks during the open (medians, ms):\n");
    std::printf("%8s %14s %14s %10s\n", "lines", "without ticks", "with ticks", "cost");
    for (int lines : {1000, 10000}) {
        const double without = reporter.Get("BM_OpenWithoutTicks", lines);
        const double with = reporter.Get("BM_OpenWithTicks", lines);
        if (without > 0 && with > 0)
            std::printf("%8d %14.1f %14.1f %9.2f%%\n", lines, without, with,
                        100.0 * (with - without) / without);
    }

    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return 1;
    std::printf("\nPeak resident memory, one fresh process per case (MiB):\n");
    std::printf("%8s %10s %10s %10s %12s\n", "lines", "app idle", "baseline", "open", "open/base");
    for (int lines : {1000, 10000}) {
        const Project &p = TheProject(lines);
        const double app = PeakOfCase(self, "app", p);
        const double bare = PeakOfCase(self, "bare", p);
        const double open = PeakOfCase(self, "open", p);
        std::printf("%8d %10.1f %10.1f %10.1f %12.2f\n", lines, app, bare, open,
                    bare > 0 && open > 0 ? open / bare : 0.0);
    }
    return 0;
}
