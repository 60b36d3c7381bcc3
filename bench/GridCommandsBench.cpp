// The grid's commands on large projects as a person gives them, at 1,000 and 10,000 lines that
// carry three fiducials each: a project open in the program (document, frame, grid and the plan
// view in view, its fiducial marks and names drawn), input through the X server (XTest, as a
// mouse and a keyboard give it), and every repaint the command causes counted in, until the
// windows have been still for a while:
// - BM_PlainClick: the pointer onto the row half way down and a plain click there, after a click
//   on the first row: the grid's and the plan view's repaint of a change of the selection.
// - BM_RangeSelect: the pointer onto the row half way down and a shift+click there, after a
//   click on the first row, through the list control's own handling and the program's selection
//   handling.
//   Both against BM_RepaintOnly, one repaint of the same windows (the least any change of the
//   selection costs).
// - BM_DeleteLines: the Del key over the first half of the rows, the reload it asks for
//   included, against BM_ReloadOnly, the reload of the whole grid keeping the selection.
// - BM_EditAllLines: Ctrl+A in the grid, F5, the "Step Size" tab clicked, 0.04 typed and Tab
//   (which applies it to every line), then OK, against BM_ReloadOnly as well.
// The time of an iteration is the processor time the program spent on the command and what it
// caused (painting included); "settle_ms" is the time from the input to the last repaint,
// "paints" the repaints of the grid's rows, "plan_paints" those of the plan view and
// "map_draws" how often the plan view drew its whole map for them. Needs a display
// (xvfb-run -a).

#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/app/document/FocusEntryList.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/edit/EditSetup.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "MedianReporter.h"
#include "tests/support/GridProject.h"
#include "tests/support/TestSupport.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/OpenProject.h"
#include "tests/support/gui/RealInput.h"

#include <benchmark/benchmark.h>
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

#include <wx/app.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The windows' stillness after a command: repaints come in bursts, and a burst the toolkit
// starts a second after the input (its scroll bars fading) still belongs to the command. Steps
// that only prepare one wait less; the last step before a command waits the whole time, so that
// nothing of them falls into the command's.
constexpr int kQuietMs = 1500;
constexpr int kPrepareQuietMs = 200;
constexpr int kLongestMs = 30000;
// Fiducials of every line, drawn in the plan view with their names.
constexpr int kFiducials = 3;

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// Runs the toolkit until nothing is waiting.
void RunUntilIdle() {
    for (int round = 0; round < 1000; ++round) {
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        const bool more = wxTheApp->ProcessIdle();
        if (!more && !wxTheApp->Pending() && !wxTheApp->HasPendingEvents())
            break;
    }
}

// A project of lines lines, open in the program, with a count of the repaints of its windows.
struct SProject {
    explicit SProject(int lines) : lines(lines) {
        path = kvdtest::WriteGridProject(dir.Path(), kvdtest::ManyLines(lines, kFiducials));
        open = kvdtest::gui::OpenProject(path);
        if (!open.doc)
            return;
        frame = dynamic_cast<CChildFrame *>(open.doc->GetFrame());
        grid = frame ? frame->GetGridView() : nullptr;
        list = grid ? grid->GetListCtrl() : nullptr;
        if (!list)
            return;
        for (wxWindow *child : list->GetChildren())
            if (static_cast<const void *>(child) != static_cast<const void *>(list->m_headerWin))
                rows = child;
        std::vector<wxWindow *> watched{list, rows, open.window};
        for (wxWindow *child : list->GetChildren())
            if (child != rows)
                watched.push_back(child);
        for (wxWindow *window : watched)
            if (window)
                window->Bind(wxEVT_PAINT, [this, window](wxPaintEvent &event) {
                    event.Skip();
                    if (window == rows)
                        ++rowPaints;
                    if (window == open.window)
                        ++planPaints;
                    // The paint runs after this handler: its end is seen by the next one, or by
                    // the quiet time after it.
                    lastPaint = Clock::now();
                });
        Settle();
    }
    ~SProject() { kvdtest::gui::CloseProject(open); }
    // Every line in the grid, and the plan view in view beside it.
    bool Ready() const {
        return rows && grid->GetNumRows() == lines && open.window &&
               open.window->IsShownOnScreen() && open.window->GetClientSize().x > 100 &&
               open.window->GetClientSize().y > 100;
    }

    // Runs the program until its windows have not been painted for quietMs; the time from
    // start to the last repaint. busyCpu becomes the processor time of the program when it was
    // idle after the last repaint (the waiting for stillness after it is not counted).
    double Settle(int quietMs = kQuietMs, Clock::time_point start = Clock::now()) {
        lastPaint = start;
        Clock::time_point counted = start;
        const Clock::time_point limit = start + std::chrono::milliseconds(kLongestMs);
        for (bool first = true;; first = false) {
            RunUntilIdle();
            // Whatever the last repaint did is done once the program is idle again.
            if (first || lastPaint > counted) {
                counted = lastPaint;
                busyCpu = ProcessCpuSeconds();
            }
            const Clock::time_point now = Clock::now();
            if (now - lastPaint > std::chrono::milliseconds(quietMs) || now > limit)
                break;
            wxMilliSleep(10);
        }
        return std::chrono::duration<double, std::milli>(lastPaint - start).count();
    }

    // The point of the screen in the middle of row's line name, scrolled into view first.
    wxPoint RowOnScreen(int row) {
        list->EnsureVisible(row);
        Settle(kPrepareQuietMs);
        wxRect rect;
        list->GetItemRect(row, rect);
        return list->ClientToScreen(wxPoint(rect.x + 40, rect.y + rect.height / 2));
    }

    // The project as it is on disk again, every line back in the grid.
    void Revert() {
        open.doc->GetDataFiles()->LoadKvdXmlFile(path.c_str());
        open.doc->Modify(false);
        frame->ReloadDOMReportNoErrors();
        Settle();
    }

    kvdtest::TempDir dir;
    int lines;
    std::string path;
    kvdtest::gui::SOpenProject open;
    CChildFrame *frame = nullptr;
    KVDGridView *grid = nullptr;
    wxListCtrl *list = nullptr;
    wxWindow *rows = nullptr; // the list's row area, which takes the mouse
    int rowPaints = 0;
    int planPaints = 0;
    Clock::time_point lastPaint;
    double busyCpu = 0;
};

// The open projects, by size; closed before the program ends.
std::map<int, std::unique_ptr<SProject>> &Projects() {
    static std::map<int, std::unique_ptr<SProject>> projects;
    return projects;
}

SProject *Project(benchmark::State &state) {
    auto &p = Projects()[static_cast<int>(state.range(0))];
    if (!p)
        p = std::make_unique<SProject>(static_cast<int>(state.range(0)));
    // The frames of the projects share the main frame's client area: the one measured is shown.
    if (p->frame) {
        p->frame->Activate();
        p->Settle(kPrepareQuietMs);
    }
    if (!p->Ready()) {
        state.SkipWithError("the project did not open with every line in the grid and the plan "
                            "view in view");
        return nullptr;
    }
    return p.get();
}

// Runs command, then the program until its windows are still, as one timed iteration: the
// processor time of both.
template <typename Command> void TimeCommand(benchmark::State &state, SProject &p, Command cmd) {
    const int paintsBefore = p.rowPaints;
    const int planPaintsBefore = p.planPaints;
    const int mapDrawsBefore = p.open.window->MapDrawCount();
    const double cpuBefore = ProcessCpuSeconds();
    const Clock::time_point start = Clock::now();
    // Under callgrind (--collect-atstart=no) only the commands and what they cause are profiled.
    CALLGRIND_TOGGLE_COLLECT;
    cmd();
    const double settle = p.Settle(kQuietMs, start);
    CALLGRIND_TOGGLE_COLLECT;
    state.SetIterationTime(p.busyCpu - cpuBefore);
    state.counters["settle_ms"] += settle;
    state.counters["paints"] += p.rowPaints - paintsBefore;
    state.counters["plan_paints"] += p.planPaints - planPaintsBefore;
    state.counters["map_draws"] += p.open.window->MapDrawCount() - mapDrawsBefore;
}

void AverageCounters(benchmark::State &state) {
    for (const char *name : {"settle_ms", "paints", "plan_paints", "map_draws"})
        state.counters[name] =
            benchmark::Counter(state.counters[name], benchmark::Counter::kAvgIterations);
}

void BM_RepaintOnly(benchmark::State &state) {
    SProject *p = Project(state);
    if (!p)
        return;
    for (auto _ : state)
        TimeCommand(state, *p, [p] { p->frame->Refresh(); });
    AverageCounters(state);
}

// A click on the first row, and the pointer aside on the main frame's top edge, off the grid;
// returns the screen point of the row half way down.
wxPoint FromFirstRow(SProject &p, wxUIActionSimulator &input) {
    input.MouseMove(p.RowOnScreen(0));
    input.MouseClick();
    p.Settle(kPrepareQuietMs);
    const wxPoint at = p.RowOnScreen(p.lines / 2 - 1);
    input.MouseMove(kvdtest::gui::App().GetMainFrame()->GetScreenPosition() + wxPoint(60, 4));
    p.Settle();
    return at;
}

void BM_PlainClick(benchmark::State &state) {
    SProject *p = Project(state);
    if (!p)
        return;
    wxUIActionSimulator input;
    kvdtest::gui::FocusWindow(kvdtest::gui::App().GetMainFrame());
    for (auto _ : state) {
        const wxPoint at = FromFirstRow(*p, input);
        TimeCommand(state, *p, [&input, at] {
            input.MouseMove(at);
            input.MouseClick();
        });
        const CFocusEntryList *focus = p->open.doc->GetFocusList();
        if (p->grid->GetSelectedCount() != 1 || !focus || focus->GetEntries().size() != 1) {
            state.SkipWithError("the click did not select one line in the document");
            break;
        }
    }
    AverageCounters(state);
}

void BM_RangeSelect(benchmark::State &state) {
    SProject *p = Project(state);
    if (!p)
        return;
    const int half = p->lines / 2;
    wxUIActionSimulator input;
    kvdtest::gui::FocusWindow(kvdtest::gui::App().GetMainFrame());
    for (auto _ : state) {
        const wxPoint at = FromFirstRow(*p, input);
        // The pointer comes onto the row and clicks there, as a person's hand does.
        TimeCommand(state, *p, [&input, at] {
            input.MouseMove(at);
            input.KeyDown(WXK_SHIFT);
            input.MouseClick();
            input.KeyUp(WXK_SHIFT);
        });
        const CFocusEntryList *focus = p->open.doc->GetFocusList();
        if (p->grid->GetSelectedCount() != half || !focus ||
            focus->GetEntries().size() != static_cast<size_t>(half)) {
            state.SkipWithError("the shift+click did not select the range in the document");
            break;
        }
    }
    AverageCounters(state);
    state.SetItemsProcessed(state.iterations() * half);
}

// The rows from 0 up to half of them selected in the list and in the document, as a range
// selection leaves them, and the keyboard in the grid.
void SelectFirstHalf(SProject &p) {
    p.list->SetItemState(-1, 0, wxLIST_STATE_SELECTED);
    for (int i = 0; i < p.lines / 2; ++i)
        p.list->SetItemState(i, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    p.list->SetItemState(0, wxLIST_STATE_FOCUSED, wxLIST_STATE_FOCUSED);
    p.grid->OnNMClick(false);
    kvdtest::gui::FocusWindow(kvdtest::gui::App().GetMainFrame());
    p.rows->SetFocus();
    p.Settle();
}

void BM_ReloadOnly(benchmark::State &state) {
    SProject *p = Project(state);
    if (!p)
        return;
    SelectFirstHalf(*p);
    for (auto _ : state)
        TimeCommand(state, *p, [p] { p->frame->ReloadDOMReportNoErrors(); });
    if (p->grid->GetNumRows() != p->lines)
        state.SkipWithError("the reload lost rows");
    AverageCounters(state);
    state.SetItemsProcessed(state.iterations() * p->lines);
}

void BM_DeleteLines(benchmark::State &state) {
    SProject *p = Project(state);
    if (!p)
        return;
    const int half = p->lines / 2;
    wxUIActionSimulator input;
    for (auto _ : state) {
        SelectFirstHalf(*p);
        TimeCommand(state, *p, [&input] { input.Char(WXK_DELETE); });
        const bool deleted = p->grid->GetNumRows() == p->lines - half;
        p->Revert();
        if (!deleted) {
            state.SkipWithError("the deletion did not leave the other half of the lines");
            break;
        }
    }
    AverageCounters(state);
    state.SetItemsProcessed(state.iterations() * half);
}

// Drives the modal editing dialog from a timer, as a person does, one step a tick once the step
// before has shown: clicks the "Step Size" tab once the dialog is on the screen, clicks into its
// field if the keyboard did not go there, types the step and Tab, then clicks OK once the edit
// was applied. A click that shows nothing within a while is made again; a dialog that waits at
// one step for a minute of ticks is cancelled (the ticks stop while the program works, so a slow
// apply is not mistaken for a stall).
class CEditAllDriver : public wxEvtHandler {
public:
    explicit CEditAllDriver(const std::string &step) : m_timer(this), m_step(step) {
        Bind(wxEVT_TIMER, &CEditAllDriver::OnTimer, this);
        m_timer.Start(50);
    }
    bool Applied() const { return m_applied; }
    // Where the driver stopped, for the message of a failed iteration.
    std::string Where() const {
        static const char *const names[] = {"waiting for the dialog", "at the tab", "at the field",
                                            "at OK"};
        return std::string(m_gaveUp ? "cancelled " : "") + names[m_state];
    }

private:
    enum EState { DIALOG, TAB, FIELD, OK };
    static constexpr int kRetryMs = 1000;
    static constexpr int kGiveUpTicks = 1200;

    static CEditSetup *Dialog() {
        for (wxWindow *window : wxTopLevelWindows)
            if (auto *dialog = dynamic_cast<CEditSetup *>(window))
                if (dialog->IsModal() && dialog->IsShownOnScreen())
                    return dialog;
        return nullptr;
    }
    void ClickAt(const wxPoint &screen) {
        m_input.MouseMove(screen);
        m_input.MouseClick();
    }
    void Enter(EState state) {
        m_state = state;
        m_since = Clock::now();
        m_ticks = 0;
    }
    bool Waited(int ms) const { return Clock::now() - m_since > std::chrono::milliseconds(ms); }
    void OnTimer(wxTimerEvent &) {
        // The simulator's input may run the toolkit, and this timer with it.
        if (m_busy)
            return;
        m_busy = true;
        Step();
        m_busy = false;
    }
    void Step() {
        CEditSetup *dialog = Dialog();
        if (!dialog) {
            // The dialog closed after OK: nothing more to do, and no ticks in the time after.
            if (m_state == OK)
                m_timer.Stop();
            return;
        }
        if (!m_started) {
            m_started = true;
            Enter(DIALOG);
        }
        wxNotebook *book = dialog->GetNotebook();
        wxTextCtrl *field = dialog->GetField(TAB_STEP);
        if (++m_ticks > kGiveUpTicks) {
            m_timer.Stop();
            m_gaveUp = true;
            dialog->CloseCancel();
            return;
        }
        switch (m_state) {
        case DIALOG:
            for (int x = 4; x < book->GetClientSize().x; x += 4)
                if (book->HitTest(wxPoint(x, 10)) == TAB_STEP) {
                    ClickAt(book->ClientToScreen(wxPoint(x, 10)));
                    Enter(TAB);
                    break;
                }
            break;
        case TAB:
            if (book->GetSelection() != TAB_STEP) {
                if (Waited(kRetryMs))
                    Enter(DIALOG);
            } else if (wxWindow::FindFocus() == field) {
                Enter(FIELD);
                m_input.Char('A', wxMOD_CONTROL);
                m_input.Text(m_step.c_str());
                m_input.Char(WXK_TAB);
            } else if (Waited(kRetryMs) && field->IsShownOnScreen()) {
                // The keyboard stayed on the tab: a person clicks into the field.
                ClickAt(field->GetScreenRect().GetPosition() + wxPoint(8, field->GetSize().y / 2));
                m_since = Clock::now();
            }
            break;
        case FIELD:
            if (dialog->GetLogic().IsUndoEnabled()) {
                m_applied = true;
                if (wxWindow *ok = dialog->FindWindow(wxID_OK))
                    ClickAt(ok->GetScreenRect().GetPosition() + ok->GetSize() / 2);
                Enter(OK);
            }
            break;
        case OK:
            // A click on OK that did not close the dialog is made again.
            if (Waited(kRetryMs))
                if (wxWindow *ok = dialog->FindWindow(wxID_OK)) {
                    ClickAt(ok->GetScreenRect().GetPosition() + ok->GetSize() / 2);
                    m_since = Clock::now();
                }
            break;
        default:
            break;
        }
    }

    wxTimer m_timer;
    wxUIActionSimulator m_input;
    bool m_busy = false;
    std::string m_step;
    int m_state = DIALOG;
    bool m_started = false;
    int m_ticks = 0;
    Clock::time_point m_since;
    bool m_applied = false;
    bool m_gaveUp = false;
};

void BM_EditAllLines(benchmark::State &state) {
    SProject *p = Project(state);
    if (!p)
        return;
    for (auto _ : state) {
        // A click on the first row puts the keyboard in the grid.
        wxUIActionSimulator input;
        kvdtest::gui::FocusWindow(kvdtest::gui::App().GetMainFrame());
        input.MouseMove(p->RowOnScreen(0));
        input.MouseClick();
        p->Settle();
        CEditAllDriver driver("0.04");
        TimeCommand(state, *p, [&input] {
            input.Char('A', wxMOD_CONTROL);
            input.Char(WXK_F5);
        });
        // Every line's odometer took the new step.
        std::string xml;
        p->open.doc->GetDataFiles()->GetKvdXmlFile()->GetFileHnd()->Serialize(xml);
        int written = 0;
        for (size_t at = xml.find("step=\"0.040\""); at != std::string::npos;
             at = xml.find("step=\"0.040\"", at + 1))
            ++written;
        const bool stepped = driver.Applied() && written == p->lines;
        p->Revert();
        if (!stepped) {
            const std::string why = "the edit did not give every line the new step (" +
                                    std::to_string(written) + " of " + std::to_string(p->lines) +
                                    ", the dialog " + driver.Where() + ")";
            state.SkipWithError(why.c_str());
            break;
        }
    }
    AverageCounters(state);
    state.SetItemsProcessed(state.iterations() * p->lines);
}

// Both sizes, several repetitions each (their median is compared), timed by the processor time
// an iteration measured.
void Sizes(benchmark::internal::Benchmark *b) {
    b->Arg(1000)->Arg(10000)->Repetitions(5)->UseManualTime()->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_RepaintOnly)->Apply(Sizes)->Iterations(3);
BENCHMARK(BM_PlainClick)->Apply(Sizes)->Iterations(3);
BENCHMARK(BM_RangeSelect)->Apply(Sizes)->Iterations(3);
BENCHMARK(BM_ReloadOnly)->Apply(Sizes)->Iterations(2);
BENCHMARK(BM_DeleteLines)->Apply(Sizes)->Iterations(2);
BENCHMARK(BM_EditAllLines)->Apply(Sizes)->Iterations(1);

int main(int argc, char **argv) {
    // Repetitions of the commands and their baselines run in turn, not one side first.
    std::vector<char *> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    // The program's start-up is not part of a command.
    kvdtest::gui::App();
    RunUntilIdle();
    CMedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    Projects().clear();

    std::printf("\nThe grid's commands against their baselines (processor time, medians, ms):\n");
    std::printf("%-15s %8s %10s %10s %8s\n", "command", "lines", "baseline", "command", "ratio");
    const struct {
        const char *command;
        const char *baseline;
    } pairs[] = {{"BM_PlainClick", "BM_RepaintOnly"},
                 {"BM_RangeSelect", "BM_RepaintOnly"},
                 {"BM_DeleteLines", "BM_ReloadOnly"},
                 {"BM_EditAllLines", "BM_ReloadOnly"}};
    for (const auto &pair : pairs)
        for (int lines : {1000, 10000}) {
            const double base = reporter.Get(pair.baseline, lines);
            const double command = reporter.Get(pair.command, lines);
            if (base > 0 && command > 0)
                std::printf("%-15s %8d %10.1f %10.1f %8.2f\n", pair.command + 3, lines, base,
                            command, command / base);
        }
    std::printf("\nGrowth from 1,000 to 10,000 lines:\n");
    for (const auto &pair : pairs) {
        const double small = reporter.Get(pair.command, 1000);
        const double large = reporter.Get(pair.command, 10000);
        if (small > 0 && large > 0)
            std::printf("%-15s %8.2fx\n", pair.command + 3, large / small);
    }
    return 0;
}
