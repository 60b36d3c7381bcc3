#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/GPSINFO/Array3D.h"
#include "KVD_Edit/GPSINFO/GPSDataSample.h"
#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/GPSINFO/TraceHeaderFields.h"
#include "KVD_Edit/app/document/GpsCommands.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/GridRowBuilder.h"
#include "KVD_Edit/app/grid/GridRowFormatter.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "orq_utils/FileGroupReplacement.h"
#include "tests/KVD_Edit/app/document/DocumentFixtures.h"
#include "tests/support/GridProject.h"
#include "tests/support/KilledSave.h"
#include "tests/support/gui/GuiHarness.h"

#include <gtest/gtest.h>

#include <wx/docview.h>
#include <wx/menu.h>

#include <filesystem>
#include <functional>
#include <memory>

using namespace kvdtest;
using namespace kvdtest::gui;
using doctest::CountText;

namespace {

GridLineLayout Line(const std::string &name, double y, bool gpsBeside) {
    GridLineLayout l;
    l.name = name;
    l.positions = {{0, y, 0, "m"}, {10, y, 1, "m"}};
    l.gpsBeside = gpsBeside;
    l.gpsFixes = 5;
    l.gpsSpacing = 5;
    return l;
}

// A generated project opened by the application, as a user opens one; the GPS question of the
// first load is answered with `answer`.
struct OpenedProject {
    // prepare: changes the written project's folder before the project is opened.
    OpenedProject(std::vector<GridLineLayout> lines, int answer,
                  const std::function<void(const std::string &folder)> &prepare = nullptr) {
        App();
        Sink().Clear();
        GridProjectLayout layout;
        layout.lines = std::move(lines);
        path = WriteGridProject(dir.Path(), layout);
        if (prepare)
            prepare(dir.Path());
        Sink().Answer(answer);
        doc = dynamic_cast<CKVDVDoc *>(App().GetDocManager()->CreateDocument(path, wxDOC_SILENT));
        EXPECT_NE(doc, nullptr) << Sink().AllTexts();
        frame = doc ? dynamic_cast<CChildFrame *>(doc->GetFrame()) : nullptr;
        EXPECT_NE(frame, nullptr);
        grid = frame ? frame->GetGridView() : nullptr;
        EXPECT_TRUE(
            WaitFor([&] { return grid && grid->GetNumRows() == int(layout.lines.size()); }));
        PumpEvents(200); // a reload posted by the load itself
    }
    ~OpenedProject() {
        if (doc) {
            doc->Modify(false);
            doc->Close();
            doc->DeleteAllViews();
            PumpEvents(50);
        }
    }
    int RowOf(const std::string &line) const {
        for (int i = 0; i < grid->GetNumRows(); ++i)
            if (grid->GetRowInfo(i)->lineName == line)
                return i;
        return -1;
    }
    std::string Cell(const std::string &line, int column) const {
        return grid->QueryItemText(RowOf(line), column);
    }
    std::string Xml() const {
        std::string out;
        doc->GetDataFiles()->GetKvdXmlFile()->GetFileHnd()->Serialize(out);
        return out;
    }
    // The menu item of the frame's menu bar after the menus were brought up to date, as they
    // are when the user opens them.
    wxMenuItem *MenuItem(int id) {
        wxMenuBar *bar = frame->GetMenuBar();
        bar->UpdateMenus();
        PumpEvents(20);
        return bar->FindItem(KVDCmd::ToWxId(id));
    }
    void Command(int id) {
        wxCommandEvent event(wxEVT_MENU, KVDCmd::ToWxId(id));
        frame->GetEventHandler()->ProcessEvent(event);
        PumpEvents(100);
    }

    TempDir dir;
    std::string path;
    CKVDVDoc *doc = nullptr;
    CChildFrame *frame = nullptr;
    KVDGridView *grid = nullptr;
};

// A local-to-world dialog that waits for a point in the plan view.
class CPickingDialog : public ILocalWorldDialog {
public:
    const SLocalWorldDef &GetWorkingDefinition() const override { return m_def; }
    void SetUnit(int) override {}
    void StorePreviewState() override {}
    bool IsSelectingInView() const override { return true; }
    void ShowRestored() override {}
    void DestroyDialog() override {}

private:
    SLocalWorldDef m_def;
};

} // namespace

TEST(GpsCommandsGui, YesToTheGpsQuestionAttachesTheGpsFiles) {
    OpenedProject p({Line("L1", 0, true), Line("L2", 2, true)}, ORQ::IDYES);
    ASSERT_NE(p.grid, nullptr);
    ASSERT_GE(Sink().Messages().size(), 1u);
    EXPECT_EQ(CGridRowBuilder::kGpsQuestion, Sink().Messages()[0].text);
    // Both lines are attached, and the reload the load posted shows them so.
    ASSERT_TRUE(WaitFor([&] { return p.grid->GetRowInfo(0)->gpsStatus == GFS_LOADED; }))
        << Sink().AllTexts();
    EXPECT_EQ(2, CountText(p.Xml(), "<FileType UID=\"GPS@@@\"/>"));
    EXPECT_EQ(".\\L1.dt1 (+)", p.Cell("L1", CGridRowFormatter::COL_GPR_DATA));
    EXPECT_EQ("1", p.Cell("L2", CGridRowFormatter::COL_GPS));
    EXPECT_TRUE(p.doc->IsModified());
    EXPECT_FALSE(p.doc->GetMapperSettings()->AutoImport);
    // The fixes are the project's GPS data, the plan view draws them.
    CGPSInfo *gps = p.doc->GetGPSInfo();
    EXPECT_TRUE(gps->HasGPSData());
    const CGPSInfo::SGPSPoint *fix =
        gps->GetPoint(p.grid->GetRowInfo(0)->setIndex, p.grid->GetRowInfo(0)->lineIndex, 6);
    ASSERT_NE(fix, nullptr);
    EXPECT_EQ(CGPSInfo::KIND_FILLED, fix->source[CGPSInfo::SOURCE_RAW].kind);
    p.frame->Raise();
    SaveScreenshot(p.frame, "gps_attached_on_open");
}

// A No is the project's answer: the open leaves a change to save, the close asks for it, and
// the saved project opens again without the question.
TEST(GpsCommandsGui, NoToTheGpsQuestionIsSavedWithTheProject) {
    // Written by the editor before, so that a save replaces it.
    OpenedProject p({Line("L1", 0, true), Line("L2", 2, true)}, ORQ::IDNO,
                    [](const std::string &folder) { AddCreatedByRecord(folder + "/project.kvd"); });
    ASSERT_NE(p.grid, nullptr);
    ASSERT_EQ(1u, Sink().Messages().size()) << Sink().AllTexts();
    EXPECT_EQ(CGridRowBuilder::kGpsQuestion, Sink().Messages()[0].text);
    EXPECT_EQ("2", p.Cell("L1", CGridRowFormatter::COL_GPS)) << "No attaches nothing";
    EXPECT_TRUE(p.doc->IsModified());
    EXPECT_FALSE(p.doc->GetMapperSettings()->AutoImport);
    // The close asks to save; Yes saves.
    Sink().Clear();
    Sink().Answer(ORQ::IDYES);
    EXPECT_TRUE(p.doc->OnSaveModified()) << Sink().AllTexts();
    ASSERT_EQ(1u, Sink().Messages().size()) << Sink().AllTexts();
    EXPECT_EQ("Save " + p.path + " ?", Sink().Messages()[0].text);
    EXPECT_FALSE(p.doc->IsModified()) << Sink().AllTexts();
    const std::string saved = ReadFile(p.path);
    EXPECT_NE(std::string::npos, saved.find("<AutoImport>N</AutoImport>")) << saved;
    p.doc->Close();
    p.doc->DeleteAllViews();
    p.doc = nullptr;
    PumpEvents(50);

    Sink().Clear();
    auto *again =
        dynamic_cast<CKVDVDoc *>(App().GetDocManager()->CreateDocument(p.path, wxDOC_SILENT));
    ASSERT_NE(again, nullptr) << Sink().AllTexts();
    PumpEvents(200);
    EXPECT_TRUE(Sink().Messages().empty()) << Sink().AllTexts();
    EXPECT_FALSE(again->IsModified());
    again->Close();
    again->DeleteAllViews();
    PumpEvents(50);
}

TEST(GpsCommandsGui, AttachMenuItemFollowsTheSelectionAndNoAttachesOnlyTheSelectedLine) {
    // No to the question: both GPS files stay beside their lines, not attached.
    OpenedProject p({Line("L1", 0, true), Line("L2", 2, true), Line("L3", 4, false)}, ORQ::IDNO);
    ASSERT_NE(p.grid, nullptr);
    EXPECT_EQ(GFS_BESIDE, p.grid->GetRowInfo(p.RowOf("L1"))->gpsStatus);
    EXPECT_EQ(0, CountText(p.Xml(), "GPS@@@"));

    // Without a status-2 row selected the item is off; with one it is on.
    wxMenuItem *attach = p.MenuItem(KVDCmd::ID_EDIT_GPS_ATTACH);
    ASSERT_NE(attach, nullptr);
    EXPECT_FALSE(attach->IsEnabled());
    p.grid->SelectRow(p.RowOf("L3"), true);
    EXPECT_FALSE(p.MenuItem(KVDCmd::ID_EDIT_GPS_ATTACH)->IsEnabled());
    p.grid->SelectRow(p.RowOf("L3"), false);
    p.grid->SelectRow(p.RowOf("L1"), true);
    EXPECT_TRUE(p.MenuItem(KVDCmd::ID_EDIT_GPS_ATTACH)->IsEnabled());
    EXPECT_FALSE(p.MenuItem(KVDCmd::ID_EDIT_GPS_DETACH)->IsEnabled());
    EXPECT_FALSE(p.MenuItem(KVDCmd::ID_EDIT_GPS_MERGE)->IsEnabled());

    // While the local-to-world dialog waits for a point, neither the menu nor the GPS cell
    // attaches anything.
    CKVDVDoc::SetLocalWorldDialogFactory(
        [](CKVDVDoc &, wxWindow *, SLocalWorldDef &, bool) -> std::unique_ptr<ILocalWorldDialog> {
            return std::make_unique<CPickingDialog>();
        });
    p.Command(KVDCmd::ID_LOCAL_WORLD_DEFINITION);
    ASSERT_TRUE(p.doc->IsSelectingInView());
    EXPECT_FALSE(p.MenuItem(KVDCmd::ID_EDIT_GPS_ATTACH)->IsEnabled());
    Sink().Clear();
    p.grid->OnCellCommand(CGridInput::CLICK_LEFT, p.RowOf("L1"), CGridRowFormatter::COL_GPS);
    PumpEvents(50);
    EXPECT_TRUE(Sink().Messages().empty()) << Sink().AllTexts();
    EXPECT_EQ(0, CountText(p.Xml(), "GPS@@@"));
    p.doc->ApplyLocalWorldDefinition(KVDCmd::LWC_CANCEL);
    CKVDVDoc::SetLocalWorldDialogFactory(nullptr);
    ASSERT_FALSE(p.doc->IsSelectingInView());

    // The project's first GPS switches GPS on.
    p.doc->GetMapperSettings()->LocalWorld.EnableGPS = 0;
    Sink().Clear();
    Sink().Answer(ORQ::IDNO); // "Do you wish to include all lines?"
    p.Command(KVDCmd::ID_EDIT_GPS_ATTACH);
    EXPECT_EQ(1, p.doc->GetMapperSettings()->LocalWorld.EnableGPS);
    ASSERT_GE(Sink().Messages().size(), 1u);
    EXPECT_EQ(CGpsCommands::kIncludeAllLines, Sink().Messages()[0].text);
    ASSERT_TRUE(WaitFor([&] { return p.grid->GetNumRows() == 3 && p.RowOf("L1") >= 0; }));
    EXPECT_EQ(GFS_LOADED, p.grid->GetRowInfo(p.RowOf("L1"))->gpsStatus) << Sink().AllTexts();
    EXPECT_EQ(GFS_BESIDE, p.grid->GetRowInfo(p.RowOf("L2"))->gpsStatus);
    EXPECT_EQ(1, CountText(p.Xml(), "GPS@@@"));
    EXPECT_TRUE(p.doc->IsModified());
    // The selection survived the reload: the attached line can now be merged and detached.
    EXPECT_TRUE(p.grid->IsRowSelected(p.RowOf("L1")));
    EXPECT_TRUE(p.MenuItem(KVDCmd::ID_EDIT_GPS_DETACH)->IsEnabled());
    EXPECT_TRUE(p.MenuItem(KVDCmd::ID_EDIT_GPS_MERGE)->IsEnabled());
    EXPECT_FALSE(p.MenuItem(KVDCmd::ID_EDIT_GPS_ATTACH)->IsEnabled());
    SaveScreenshot(p.frame, "gps_attached_one_line");

    // A click on the GPS cell of the attached line detaches it again.
    p.grid->OnCellCommand(CGridInput::CLICK_LEFT, p.RowOf("L1"), CGridRowFormatter::COL_GPS);
    PumpEvents(100);
    EXPECT_EQ(0, CountText(p.Xml(), "GPS@@@"));
    EXPECT_EQ(GFS_BESIDE, p.grid->GetRowInfo(p.RowOf("L1"))->gpsStatus);
}

// A header claiming two thousand million traces beside a trace file of three, with a GPS file
// attached: the project opens and says so, the line's trace count is what its file holds, and
// its GPS (one point per claimed trace) is not loaded. The files are kept with the fuzz
// reproducers.
TEST(GpsCommandsGui, AHeaderClaimingMoreTracesThanItsFileHoldsOpensWithoutItsGps) {
    GridLineLayout damaged = Line("L1", 0, false);
    damaged.gpsEntry = true;
    auto copyReproducer = [](const std::string &folder) {
        for (const char *ext : {".hd", ".dt1", ".GPS"})
            std::filesystem::copy_file(
                std::string(KVD_TEST_DATA_DIR) + "/fuzz/header-claims-2000000000-traces" + ext,
                folder + "/L1" + ext, std::filesystem::copy_options::overwrite_existing);
    };
    OpenedProject p({damaged, Line("L2", 2, false)}, ORQ::IDNO, copyReproducer);
    ASSERT_NE(p.grid, nullptr) << Sink().AllTexts();
    EXPECT_NE(Sink().AllTexts().find("L1.hd claims 2000000000 traces, its trace file holds 3"),
              std::string::npos)
        << Sink().AllTexts();
    const SGridInfo *row = p.grid->GetRowInfo(p.RowOf("L1"));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->numTraces, 3);
    EXPECT_NE(row->gpsStatus, GFS_LOADED);
    EXPECT_FALSE(p.doc->GetGPSInfo()->HasGPSData()) << "no fix of the GPS file was loaded";
    EXPECT_NE(p.RowOf("L2"), -1) << "the other line opens as usual";
}

// A GPS write-back stopped after each step of its group replacement, as a kill would stop it:
// opening the project finds the line's header and trace file together (the new pair once the
// intent record exists, the old one before) and leaves no record or temporary file behind.
TEST(GpsCommandsGui, AWriteBackStoppedPartWayOpensAsAWholePair) {
    using Group = ORQ::CFileGroupReplacement;
    const struct {
        Group::EStep step;
        bool merged;
    } rows[] = {
        {Group::STEP_TEMPORARIES, false}, {Group::STEP_RECORD, true}, {Group::STEP_RENAMES, true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.step);
        auto stoppedMerge = [&](const std::string &folder) {
            SLocalWorldDef def;
            CGPSInfo gps;
            gps.SetLWCDefinition(&def);
            CGPSDataSample sample;
            kvdtest::WriteFile(folder + "/fixes.txt", GpsFileText(5, 5));
            ORQ::CStr errors;
            sample.LoadGpsFile(&gps, (folder + "/fixes.txt").c_str(), 0, 0, 21, errors, false);
            Group::SetStopAfter(row.step);
            const ORQ::CStr error =
                sample.WriteToLineFiles(&gps, (folder + "/L1.hd").c_str(),
                                        (folder + "/L1.dt1").c_str(), true, 0, 0, false, false);
            Group::SetStopAfter(Group::STEP_NONE);
            EXPECT_FALSE(error.empty());
            EXPECT_FALSE(kvdtest::ReplacementLeftovers(folder).empty());
        };
        OpenedProject p({Line("L1", 0, false)}, ORQ::IDNO, stoppedMerge);
        ASSERT_NE(p.grid, nullptr) << Sink().AllTexts();
        const SGridInfo *info = p.grid->GetRowInfo(p.RowOf("L1"));
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->hdrGpsType, row.merged ? GPS_LATLONG : GPS_NONE);
        CArray3D block;
        ASSERT_EQ(block.ReadDt1(p.dir.File("L1.dt1").c_str(), 21, 16), 0);
        ASSERT_TRUE(block.Seek(-64, 0, 0));
        EXPECT_EQ(TraceHeaderField::Get<double>(block.Element(), TraceHeaderField::kLongitude) != 0,
                  row.merged);
        EXPECT_EQ(kvdtest::DescribeLeftovers(p.dir.Path()), "");
    }
}

// A damaged intent record of one line, found as the project opens: one message names the record
// and the line and says what to do; the line's own leftovers stay with the record, while the
// other line's are tidied as usual.
TEST(GpsCommandsGui, ADamagedRecordOfALineIsReportedOnceAtOpenWithWhatToDo) {
    auto damage = [](const std::string &folder) {
        kvdtest::WriteFile(folder + "/.l2.kvd-intent",
                           "kvd group replacement 1\nrename\t.L2.hd.tmpabcdefgh\tL2.h");
        kvdtest::WriteFile(folder + "/.L2.hd.tmpabcdefgh", "perhaps the new header");
        kvdtest::WriteFile(folder + "/.L1.hd.tmpabcdefgh", "left by a killed write");
    };
    OpenedProject p({Line("L1", 0, false), Line("L2", 2, false)}, ORQ::IDNO, damage);
    ASSERT_NE(p.grid, nullptr) << Sink().AllTexts();
    const std::string record = p.dir.File(".l2.kvd-intent");
    std::vector<std::string> naming;
    for (const auto &m : Sink().Messages())
        if (m.text.find(record) != std::string::npos)
            naming.push_back(m.text);
    ASSERT_EQ(naming.size(), 1u) << Sink().AllTexts();
    for (const char *part :
         {"The line L2 is held back", "last GPS or topography change may be incomplete",
          "Deleting the record lets the line be written again"})
        EXPECT_NE(naming[0].find(part), std::string::npos) << part << " in:\n" << naming[0];
    EXPECT_NE(p.RowOf("L1"), -1);
    EXPECT_NE(p.RowOf("L2"), -1);
    EXPECT_TRUE(kvdtest::FileExists(record));
    EXPECT_TRUE(kvdtest::FileExists(p.dir.File(".L2.hd.tmpabcdefgh")));
    EXPECT_FALSE(kvdtest::FileExists(p.dir.File(".L1.hd.tmpabcdefgh")))
        << "the other line is not held back";
}
