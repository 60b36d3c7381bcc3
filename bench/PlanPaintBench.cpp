// Painting the plan view of projects of 5,000 and 50,000 lines into an off-screen 1600 x 1000
// image as the program does (the lines read through the query interface once per query
// generation, then layout, scale bars, lines with direction arrows), against stroking the same
// polylines straight onto a graphics context with no layout. And the repaint after a scroll of
// a zoomed-in map of 1,000 and 10,000 lines (the program's paint after a scroll bar step). And
// the paint of 1,000 and 10,000 lines with two fiducials on each of their two files, marks and
// names drawn (the paint of an open, a zoom or a resize).
// Needs a display (xvfb-run -a).

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "KVD_Edit/planview/GraphicsPlanDC.h"
#include "KVD_Edit/planview/PlanScroll.h"
#include "KVD_Edit/planview/PlanViewController.h"
#include "KVD_Edit/planview/PrgFont.h"
#include "tests/support/ProjectBuilder.h"
#include "tests/support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/init.h>

#include <map>
#include <memory>
#include <utility>

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 1000;

// Selects nothing; the pen of selected lines is kept as given.
class CNoSelection : public IPlanSelection {
public:
    bool IsSelected(int, int) const override { return false; }
    SPlanPen GetFocusPen() const override { return m_pen; }
    void SetFocusPen(COLORREF colour, const int *style, const int *width) override {
        m_pen.colour = colour;
        if (style)
            m_pen.style = *style;
        if (width)
            m_pen.width = *width;
    }
    void ClearSelection() override {}
    void AddToSelection(int, int) override {}

private:
    SPlanPen m_pen;
};

struct SProject {
    kvdtest::TempDir dir;
    ORQ::CKVDXmlFile file;
    std::unique_ptr<ORQ::CKvdDataBlockInterface_V110> query;
    CNoSelection selection;
    CPrgFont font;
    SPlanViewDoc doc;
    // The device polylines of one paint, for the bare drawing.
    CKvdGprLines::SPolylines device;

    SProject(int lines, int fidsPerFile) {
        const std::string path = dir.File("survey.kvd");
        kvdtest::WriteFile(path, kvdtest::GeneratedProject(lines, 10, fidsPerFile));
        file.Initialize(path);
        query.reset(static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
            ORQ::CKvdDataBlockInterface::CreateAndInit(&file, 0, nullptr)));
        SLogFont record;
        CPrgFont::GetStockLogFont(&record);
        font.CreateFromLogFont(&record);
        doc.query = query.get();
        // As the document does: the lines of one query interface are read once.
        doc.queryGeneration = 1;
        doc.selection = &selection;
        doc.font = &font;
        doc.showFiducials = fidsPerFile > 0;
        doc.showFiducialText = fidsPerFile > 0;
    }
};

// By lines and fiducials per file.
std::map<std::pair<int, int>, std::unique_ptr<SProject>> &Projects() {
    static std::map<std::pair<int, int>, std::unique_ptr<SProject>> projects;
    return projects;
}

SProject &Project(int lines, int fidsPerFile = 0) {
    auto &p = Projects()[{lines, fidsPerFile}];
    if (!p)
        p = std::make_unique<SProject>(lines, fidsPerFile);
    return *p;
}

int PaintPlan(wxBitmap &bitmap, CPlanViewController &view, SProject &p) {
    wxMemoryDC memory(bitmap);
    memory.SetBackground(*wxWHITE_BRUSH);
    memory.Clear();
    std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(memory));
    CGraphicsPlanDC dc(gc.get(), kWidth, kHeight);
    return view.Paint(&dc, PlanRect::Make(0, 0, kWidth, kHeight), p.doc);
}

void BM_BarePolylines(benchmark::State &state) {
    SProject &p = Project(static_cast<int>(state.range(0)));
    if (p.device.points.empty()) {
        wxBitmap once(kWidth, kHeight, 24);
        CPlanViewController view;
        PaintPlan(once, view, p);
        p.device = view.DeviceLines();
    }
    wxBitmap bitmap(kWidth, kHeight, 24);
    for (auto _ : state) {
        wxMemoryDC memory(bitmap);
        memory.SetBackground(*wxWHITE_BRUSH);
        memory.Clear();
        std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(memory));
        gc->SetPen(gc->CreatePen(wxGraphicsPenInfo(*wxBLACK, 1)));
        for (const POINT &range : p.device.ranges) {
            if (range.y <= range.x)
                continue;
            wxGraphicsPath path = gc->CreatePath();
            path.MoveToPoint(p.device.points[range.x].x + 0.5, p.device.points[range.x].y + 0.5);
            for (int i = range.x + 1; i <= range.y; ++i)
                path.AddLineToPoint(p.device.points[i].x + 0.5, p.device.points[i].y + 0.5);
            gc->StrokePath(path);
        }
    }
    state.counters["lines"] = static_cast<double>(p.device.ranges.size());
}

void BM_PlanViewPaint(benchmark::State &state) {
    SProject &p = Project(static_cast<int>(state.range(0)));
    wxBitmap bitmap(kWidth, kHeight, 24);
    CPlanViewController view;
    // The first paint reads the lines (part of the project's open); the program's later paints
    // draw what it read.
    PaintPlan(bitmap, view, p);
    for (auto _ : state) {
        if (PaintPlan(bitmap, view, p) != 1)
            state.SkipWithError("the plan was not drawn");
    }
    state.counters["lines"] = static_cast<double>(view.DeviceLines().ranges.size());
}

void BM_PlanViewPaintFiducials(benchmark::State &state) {
    SProject &p = Project(static_cast<int>(state.range(0)), 2);
    wxBitmap bitmap(kWidth, kHeight, 24);
    CPlanViewController view;
    PaintPlan(bitmap, view, p);
    for (auto _ : state) {
        if (PaintPlan(bitmap, view, p) != 1)
            state.SkipWithError("the plan was not drawn");
    }
    state.counters["lines"] = static_cast<double>(view.DeviceLines().ranges.size());
    state.counters["fiducials"] = static_cast<double>(view.Lines().GetData().fids.size());
}

// Zoomed in twice, then one vertical scroll bar page per paint, down to the bottom and back up.
void BM_RepaintAfterScroll(benchmark::State &state) {
    SProject &p = Project(static_cast<int>(state.range(0)));
    wxBitmap bitmap(kWidth, kHeight, 24);
    CPlanViewController view;
    if (PaintPlan(bitmap, view, p) != 1 || !view.ZoomIn(p.doc) || PaintPlan(bitmap, view, p) != 1 ||
        !view.ZoomIn(p.doc) || PaintPlan(bitmap, view, p) != 1) {
        state.SkipWithError("the plan was not drawn");
        return;
    }
    int code = CPlanScroll::SB_PAGEDOWN;
    int64_t moved = 0;
    for (auto _ : state) {
        SPlanScrollInfo info;
        view.GetScrollInfo(CPlanScroll::BAR_VERT, info);
        if (!view.OnScroll(CPlanScroll::BAR_VERT, code, info, p.doc)) {
            code = code == CPlanScroll::SB_PAGEDOWN ? CPlanScroll::SB_PAGEUP
                                                    : CPlanScroll::SB_PAGEDOWN;
            view.GetScrollInfo(CPlanScroll::BAR_VERT, info);
            if (!view.OnScroll(CPlanScroll::BAR_VERT, code, info, p.doc)) {
                state.SkipWithError("the map does not scroll");
                break;
            }
        }
        ++moved;
        if (PaintPlan(bitmap, view, p) != 1)
            state.SkipWithError("the plan was not drawn");
    }
    state.counters["scrolls"] = static_cast<double>(moved);
    state.counters["lines"] = static_cast<double>(view.DeviceLines().ranges.size());
}

BENCHMARK(BM_BarePolylines)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanViewPaint)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanViewPaintFiducials)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintAfterScroll)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv))
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Projects().clear();
    wxEntryCleanup();
    return 0;
}
