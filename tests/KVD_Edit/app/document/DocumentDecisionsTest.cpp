#include "KVD_Edit/app/document/DocumentCommands.h"
#include "KVD_Edit/app/document/DocumentTitle.h"
#include "KVD_Edit/app/shell/CommandIds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(DocumentTitle, UnitNameAndFolder) {
    EXPECT_EQ(BuildDocumentTitle(5, "D:\\surveys\\site.kvd"), "(ft) site.kvd  [D:\\surveys\\]");
    EXPECT_EQ(BuildDocumentTitle(1, "/data/site 7/grid.kvd"), "(m) grid.kvd  [/data/site 7/]");
    EXPECT_EQ(BuildDocumentTitle(1, ""), "(m)   [/]");
}

TEST(DocumentCommands, UpdateRules) {
    SDocCommandState s;
    s.hasFrame = true;
    s.hasPath = true;
    EXPECT_FALSE(DecideCommandUi(KVDCmd::ID_FILE_SAVE, s).enable); // nothing changed
    s.modified = true;
    EXPECT_TRUE(DecideCommandUi(KVDCmd::ID_FILE_SAVE, s).enable);
    EXPECT_TRUE(DecideCommandUi(KVDCmd::ID_FILE_SAVE_AS, s).enable);
    s.selectingInView = true;
    EXPECT_FALSE(DecideCommandUi(KVDCmd::ID_FILE_SAVE, s).enable);
    EXPECT_FALSE(DecideCommandUi(KVDCmd::ID_FILE_SAVE_AS, s).enable);
    EXPECT_FALSE(DecideCommandUi(KVDCmd::ID_DISPLAYUNITS_FEET, s).enable);
    // The definition command stays open while the dialog selects in the view.
    s.hasRows = true;
    EXPECT_TRUE(DecideCommandUi(KVDCmd::ID_LOCAL_WORLD_DEFINITION, s).enable);
    EXPECT_FALSE(DecideCommandUi(KVDCmd::ID_ZOOM_FIT, s).enable);
    s.selectingInView = false;
    EXPECT_TRUE(DecideCommandUi(KVDCmd::ID_ZOOM_FIT, s).enable);

    s.unit = 5;
    EXPECT_FALSE(DecideCommandUi(KVDCmd::ID_DISPLAYUNITS_METERS, s).check);
    EXPECT_TRUE(DecideCommandUi(KVDCmd::ID_DISPLAYUNITS_FEET, s).check);

    // Fiducial text: disabled and unticked without fiducials, hidden fiducials or layer off.
    s.fiducialsPresent = true;
    SCommandUi ui = DecideCommandUi(KVDCmd::ID_VIEW_FIDUCIAL_TEXT, s);
    EXPECT_TRUE(ui.enable && ui.setCheck && ui.check);
    for (bool SDocCommandState::*flag :
         {&SDocCommandState::fiducialsPresent, &SDocCommandState::showFiducials,
          &SDocCommandState::gprLayerOn}) {
        SDocCommandState t = s;
        t.*flag = false;
        ui = DecideCommandUi(KVDCmd::ID_VIEW_FIDUCIAL_TEXT, t);
        EXPECT_FALSE(ui.enable);
        EXPECT_FALSE(ui.check);
    }
    s.selectingInView = true;
    ui = DecideCommandUi(KVDCmd::ID_VIEW_FIDUCIAL_TEXT, s);
    EXPECT_FALSE(ui.enable);
    EXPECT_TRUE(ui.check);

    // Without a frame the view commands leave their items alone.
    s.hasFrame = false;
    EXPECT_FALSE(DecideCommandUi(KVDCmd::ID_PAN, s).handled);
    EXPECT_TRUE(DecideCommandUi(KVDCmd::ID_LINE_SETTINGS, s).enable);
    EXPECT_FALSE(DecideCommandUi(KVDCmd::ID_IMPORT_LINES, s).handled);
}

TEST(DocumentCommands, GpsAndTopographyRulesFollowTheSelectedRows) {
    using namespace KVDCmd;
    auto rowWith = [](void (*set)(SGridInfo &)) {
        SGridInfo r;
        set(r);
        return r;
    };
    struct Case {
        const char *name;
        SGridInfo row;
        std::vector<int> enabled; // every other row command stays disabled
    } cases[] = {
        {"nothing known", SGridInfo(), {ID_EDIT_TOPO_REMOVE}},
        {"GPS beside",
         rowWith([](SGridInfo &r) { r.gpsStatus = GFS_BESIDE; }),
         {ID_EDIT_GPS_ATTACH, ID_EDIT_TOPO_REMOVE}},
        {"GPS attached",
         rowWith([](SGridInfo &r) {
             r.gpsStatus = GFS_LOADED;
             r.gpsFileName = ".\\L.GPS";
             r.hdrGpsType = 3;
         }),
         {ID_EDIT_GPS_DETACH, ID_EDIT_GPS_MERGE, ID_EDIT_GPS_REMOVE,
          ID_EDIT_TOPO_MERGE_GPS_ELEVATION, ID_EDIT_TOPO_REMOVE}},
        {"GPS of too few fixes",
         rowWith([](SGridInfo &r) {
             r.gpsStatus = GFS_FEW_FIXES;
             r.gpsFileName = ".\\L.GPS";
         }),
         {ID_EDIT_GPS_DETACH, ID_EDIT_TOPO_REMOVE}},
        {"GPS status without a file name",
         rowWith([](SGridInfo &r) { r.gpsStatus = GFS_FAILED; }),
         {ID_EDIT_TOPO_REMOVE}},
        {"GPS in the traces",
         rowWith([](SGridInfo &r) { r.gpsStatus = GFS_IN_TRACES; }),
         {ID_EDIT_GPS_RECOVER, ID_EDIT_TOPO_REMOVE}},
        {"topography beside",
         rowWith([](SGridInfo &r) { r.topoStatus = GFS_BESIDE; }),
         {ID_EDIT_TOPO_ATTACH, ID_EDIT_TOPO_REMOVE}},
        {"topography failed",
         rowWith([](SGridInfo &r) {
             r.topoStatus = GFS_FAILED;
             r.topoFileName = ".\\L.CTP";
         }),
         {ID_EDIT_TOPO_DETACH, ID_EDIT_TOPO_REMOVE}},
        {"topography attached",
         rowWith([](SGridInfo &r) {
             r.topoStatus = GFS_LOADED;
             r.topoFileName = ".\\L.CTP";
         }),
         {ID_EDIT_TOPO_DETACH, ID_EDIT_TOPO_MERGE, ID_EDIT_TOPO_REMOVE}},
        {"topography in the traces",
         rowWith([](SGridInfo &r) { r.topoStatus = GFS_IN_TRACES; }),
         {ID_EDIT_TOPO_RECOVER, ID_EDIT_TOPO_REMOVE}},
    };
    const int commands[] = {ID_EDIT_GPS_ATTACH,  ID_EDIT_GPS_DETACH,
                            ID_EDIT_GPS_MERGE,   ID_EDIT_GPS_REMOVE,
                            ID_EDIT_GPS_RECOVER, ID_EDIT_TOPO_ATTACH,
                            ID_EDIT_TOPO_DETACH, ID_EDIT_TOPO_MERGE,
                            ID_EDIT_TOPO_REMOVE, ID_EDIT_TOPO_MERGE_GPS_ELEVATION,
                            ID_EDIT_TOPO_RECOVER};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SDocCommandState s;
        s.rows.Add(SGridInfo()); // a plain row beside it changes nothing
        s.rows.Add(c.row);
        for (int id : commands) {
            SCOPED_TRACE(id);
            EXPECT_TRUE(IsSelectedRowsCommand(id));
            const bool wanted =
                std::find(c.enabled.begin(), c.enabled.end(), id) != c.enabled.end();
            EXPECT_EQ(wanted, DecideCommandUi(id, s).enable);
            // Nothing while the local-to-world dialog waits for a point.
            s.selectingInView = true;
            EXPECT_FALSE(DecideCommandUi(id, s).enable);
            s.selectingInView = false;
        }
    }
    // Without a selected row every one of them is off; GPS Format ignores the selection.
    SDocCommandState none;
    for (int id : commands)
        EXPECT_FALSE(DecideCommandUi(id, none).enable) << id;
    EXPECT_FALSE(IsSelectedRowsCommand(ID_EDIT_GPS_FORMAT));
    EXPECT_TRUE(DecideCommandUi(ID_EDIT_GPS_FORMAT, none).enable);
}

TEST(DocumentCommands, EditNeedsASelectedRowAndNoPointPick) {
    SDocCommandState s;
    s.hasFrame = s.hasRows = true;
    EXPECT_FALSE(DecideCommandUi(KVDCmd::ID_EDIT_KVD, s).enable) << "rows, none selected";
    s.rows.selected = 2;
    EXPECT_TRUE(DecideCommandUi(KVDCmd::ID_EDIT_KVD, s).enable);
    s.selectingInView = true;
    EXPECT_FALSE(DecideCommandUi(KVDCmd::ID_EDIT_KVD, s).enable) << "waiting for a point pick";
}

TEST(DocumentCommands, LocalWorldModes) {
    for (int preview : {0, int(KVDCmd::LWC_PREVIEW)}) {
        SLocalWorldApply a = DecideLocalWorldApply(preview);
        EXPECT_TRUE(a.takeWorking);
        EXPECT_FALSE(a.closeDialog || a.accept || a.restoreSaved);
        EXPECT_TRUE(a.reloadAndRedraw);
    }
    SLocalWorldApply ok = DecideLocalWorldApply(KVDCmd::LWC_OK);
    EXPECT_TRUE(ok.takeWorking && ok.accept && ok.closeDialog && !ok.restoreSaved);
    SLocalWorldApply cancel = DecideLocalWorldApply(KVDCmd::LWC_CANCEL);
    EXPECT_TRUE(cancel.closeDialog && cancel.restoreSaved && !cancel.takeWorking);
    SLocalWorldApply gps = DecideLocalWorldApply(KVDCmd::LWC_COMPUTE_FROM_GPS);
    EXPECT_FALSE(gps.takeWorking || gps.closeDialog || gps.accept || gps.restoreSaved);
    EXPECT_TRUE(gps.reloadAndRedraw);
}

TEST(DocumentCommands, UnitChangeConvertsBothReferencePoints) {
    SLocalWorldDef def;
    def.RefPoint[0].LocalX = 3.048;
    def.RefPoint[1].LocalY = -30.48;
    def.RefPoint[0].NorthingOrLatitude = 10;
    ConvertLocalWorldUnit(def, 5);
    EXPECT_EQ(def.Unit, 5);
    EXPECT_NEAR(def.RefPoint[0].LocalX, 10.0, 1e-9);
    EXPECT_NEAR(def.RefPoint[1].LocalY, -100.0, 1e-9);
    EXPECT_EQ(def.RefPoint[0].NorthingOrLatitude, 10); // world side untouched
    ConvertLocalWorldUnit(def, 5);
    EXPECT_NEAR(def.RefPoint[0].LocalX, 10.0, 1e-9);
    ConvertLocalWorldUnit(def, 1);
    EXPECT_NEAR(def.RefPoint[0].LocalX, 3.048, 1e-9);
}
