#include "KVD_Edit/app/CommandIds.h"
#include "KVD_Edit/app/DocumentCommands.h"
#include "KVD_Edit/app/DocumentTitle.h"

#include <gtest/gtest.h>

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
