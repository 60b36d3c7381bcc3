// Painting the plan view of a 5,000-line project into an off-screen 1600 x 1000 image (reading
// the lines through the query interface, layout, scale bars, lines with direction arrows),
// against stroking the same polylines straight onto a graphics context with no layout. Needs a
// display (xvfb-run -a).

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "KVD_Edit/planview/GraphicsPlanDC.h"
#include "KVD_Edit/planview/PlanViewController.h"
#include "KVD_Edit/planview/PrgFont.h"
#include "tests/support/ProjectBuilder.h"
#include "tests/support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/init.h>

#include <memory>

namespace {

constexpr int kLines = 5000;
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

    SProject() {
        const std::string path = dir.File("survey.kvd");
        kvdtest::WriteFile(path, kvdtest::GeneratedProject(kLines, 10, 0));
        file.Initialize(path);
        query.reset(static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
            ORQ::CKvdDataBlockInterface::CreateAndInit(&file, 0, nullptr)));
        SLogFont record;
        CPrgFont::GetStockLogFont(&record);
        font.CreateFromLogFont(&record);
        doc.query = query.get();
        doc.selection = &selection;
        doc.font = &font;
    }
};

SProject &Project() {
    static SProject project;
    return project;
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
    SProject &p = Project();
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
    SProject &p = Project();
    wxBitmap bitmap(kWidth, kHeight, 24);
    CPlanViewController view;
    for (auto _ : state) {
        if (PaintPlan(bitmap, view, p) != 1)
            state.SkipWithError("the plan was not drawn");
    }
    state.counters["lines"] = static_cast<double>(view.DeviceLines().ranges.size());
}

BENCHMARK(BM_BarePolylines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanViewPaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv))
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Project().query.reset();
    wxEntryCleanup();
    return 0;
}
