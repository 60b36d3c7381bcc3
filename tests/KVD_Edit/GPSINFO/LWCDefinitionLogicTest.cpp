#include "KVD_Edit/GPSINFO/LWCDefinitionLogic.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/shell/CommandIds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using Logic = CLWCDefinitionLogic;

// A UTM definition in zone 17T, enabled, with two points.
SLocalWorldDef TwoPointUTM() {
    SLocalWorldDef def;
    def.EnableGPS = 1;
    def.TwoPointDefinition = true;
    def.GlobalKind = 1;
    def.Zone = def.ZoneA = 17;
    def.ZoneLetter = def.ZoneLetterA = 'T';
    def.RefPoint[0] = {0, 0, 5000000, 500000, 17, 'T'};
    def.RefPoint[1] = {100, 0, 5000100, 500000, 17, 'T'};
    return def;
}

SLocalWorldDef OnePointLL(double latitude, double longitude) {
    SLocalWorldDef def;
    def.EnableGPS = 1;
    def.Zone = 17;
    def.RefPoint[0].NorthingOrLatitude = latitude;
    def.RefPoint[0].EastingOrLongitude = longitude;
    return def;
}

bool Refuse(const char *) {
    return false;
}
bool Accept(const char *) {
    return true;
}

} // namespace

TEST(LWCDefinitionLogic, TwoPointFitGivesRotationAndShift) {
    Logic logic(TwoPointUTM(), false);
    logic.Initialise();
    logic.Recompute();
    EXPECT_FALSE(logic.FitFailed());
    EXPECT_NEAR(-90.0, logic.Working().Rotation, 0.01);
    EXPECT_NEAR(500000.0, logic.Working().ShiftX, 0.01);
    EXPECT_NEAR(5000000.0, logic.Working().ShiftY, 0.01);
    // The heading shown lies within [0, 360) however the rotation came out.
    EXPECT_GE(logic.GetHeading(), 0.0);
    EXPECT_LT(logic.GetHeading(), 360.0);
    EXPECT_NEAR(270.0, logic.GetHeading(), 1.0);
}

TEST(LWCDefinitionLogic, HeadingIsReducedIntoAFullTurn) {
    Logic logic(OnePointLL(45, -81), false);
    logic.Initialise();
    logic.SetHeading(450.0);
    EXPECT_NEAR(90.0, logic.GetHeading(), 1e-9);
    logic.SetHeading(360.0);
    EXPECT_NEAR(0.0, logic.GetHeading(), 1e-9);
    // A heading of 0 may give a negative rotation, which stays as it is, while the heading
    // derived back from it is shown within the turn.
    logic.SetHeading(0.0);
    logic.HeadingFromRotation();
    EXPECT_GE(logic.GetHeading(), 0.0);
    EXPECT_LT(logic.GetHeading(), 360.0);
    EXPECT_TRUE(logic.Validate().ok) << logic.Validate().message;
}

TEST(LWCDefinitionLogic, DuplicatePointsAndFailedFitsAreRefused) {
    SLocalWorldDef def = TwoPointUTM();
    def.RefPoint[1].LocalX = 0.0004; // equal at 3 decimals
    Logic logic(def, false);
    Logic::SCheck check = logic.Validate();
    EXPECT_FALSE(check.ok);
    EXPECT_EQ("Duplicate entry, cannot be the same", check.message);
    EXPECT_EQ(Logic::FIELD_P1_LOCAL_X, check.field);

    // Equal world points name the first point's easting.
    def = TwoPointUTM();
    def.RefPoint[1].NorthingOrLatitude = 5000000;
    check = Logic(def, false).Validate();
    EXPECT_EQ("Duplicate entry, cannot be the same", check.message);
    EXPECT_EQ(Logic::FIELD_P1_EAST, check.field);

    // Local points on either side of a rounding step (0.0005 m) differ at 3 decimals, so they
    // pass the duplicate check, but lie 4e-8 m apart, closer than a fit can use: the failed fit
    // leaves rotation and shift as they were and Preview and OK refuse with its message.
    def = TwoPointUTM();
    def.RefPoint[0].LocalX = 0.0005 - 2e-8;
    def.RefPoint[1].LocalX = 0.0005 + 2e-8;
    def.RefPoint[1].LocalY = 0;
    def.Rotation = 12.0;
    def.ShiftX = 7.0;
    Logic close(def, false);
    ASSERT_TRUE(close.Validate().ok) << close.Validate().message;
    close.Recompute();
    EXPECT_TRUE(close.FitFailed());
    EXPECT_DOUBLE_EQ(12.0, close.Working().Rotation);
    EXPECT_DOUBLE_EQ(7.0, close.Working().ShiftX);
    check = close.ValidateForApply();
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(Logic::kFitMessage, check.message);
    // Points moved apart again fit, and apply is allowed.
    close.SetLocalValue(Logic::FIELD_P2_LOCAL_X, 100);
    close.Recompute();
    EXPECT_FALSE(close.FitFailed());
    EXPECT_TRUE(close.ValidateForApply().ok);
    // Switched off, nothing is checked.
    def = TwoPointUTM();
    def.RefPoint[1] = def.RefPoint[0];
    def.EnableGPS = 0;
    EXPECT_TRUE(Logic(def, false).ValidateForApply().ok);
}

TEST(LWCDefinitionLogic, RangesOfLatitudeLongitudeAndUTM) {
    const char *ll = "Invalid GPS Coordinate\nValid LatLong Values:\n\tLatitude -80.0 to "
                     "84.0\n\tLongitude -180.0 to 180.0\n";
    EXPECT_TRUE(Logic(OnePointLL(84, -81), false).Validate().ok);
    Logic::SCheck check = Logic(OnePointLL(84.5, -81), false).Validate();
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(ll, check.message);
    EXPECT_EQ(Logic::FIELD_P1_NORTH, check.field);
    EXPECT_TRUE(Logic(OnePointLL(10, -180), false).Validate().ok);
    EXPECT_TRUE(Logic(OnePointLL(10, 180), false).Validate().ok);
    check = Logic(OnePointLL(10, 180.5), false).Validate();
    EXPECT_EQ(Logic::FIELD_P1_EAST, check.field);

    SLocalWorldDef def = TwoPointUTM();
    def.RefPoint[1].NorthingOrLatitude = 9329000;
    EXPECT_TRUE(Logic(def, false).Validate().ok);
    def.ZoneLetter = 'M';
    def.RefPoint[1].NorthingOrLatitude = -1;
    check = Logic(def, false).Validate();
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(Logic::kUTMMessage, check.message);
    EXPECT_EQ(Logic::FIELD_P2_NORTH, check.field);
}

TEST(LWCDefinitionLogic, ZoneAndHemisphereChanges) {
    Logic logic(TwoPointUTM(), false);
    logic.Initialise();
    const SLocalWorldDef before = logic.Working();
    for (const char *bad : {"0", "61", "x"}) {
        const Logic::SCheck check = logic.ChangeZone(bad, Accept);
        EXPECT_FALSE(check.ok) << bad;
        EXPECT_EQ("Invalid Zone #, must be between 1 & 60", check.message);
        EXPECT_EQ(17, logic.Working().Zone);
    }
    EXPECT_EQ(before, logic.Working());
    // A far zone cannot carry the points: Cancel keeps the old zone.
    EXPECT_FALSE(logic.ChangeZone("60", Refuse).ok);
    EXPECT_EQ(17, logic.Working().Zone);
    // OK relabels them in the new zone; 60 is a valid zone.
    EXPECT_TRUE(logic.ChangeZone("60", Accept).ok);
    EXPECT_EQ(60, logic.Working().Zone);
    EXPECT_EQ(60, logic.Working().RefPoint[1].Zone);
    // A neighbouring zone converts the points without a question.
    Logic next(TwoPointUTM(), false);
    next.Initialise();
    EXPECT_TRUE(next.ChangeZone("18", nullptr).ok);
    EXPECT_EQ(18, next.Working().RefPoint[0].Zone);
    EXPECT_GT(std::fabs(next.Working().RefPoint[0].EastingOrLongitude - 500000), 1000);

    // "Southern" with 'T' sets 'M', "Northern" with 'M' sets 'N'.
    SLocalWorldDef onePoint = TwoPointUTM();
    onePoint.TwoPointDefinition = false;
    Logic hemisphere(onePoint, false);
    hemisphere.Initialise();
    hemisphere.ChangeHemisphere(true, Accept);
    EXPECT_EQ('M', hemisphere.Working().ZoneLetter);
    hemisphere.ChangeHemisphere(false, Accept);
    EXPECT_EQ('N', hemisphere.Working().ZoneLetter);
    // Cancelling the adjustment puts the letter back.
    SLocalWorldDef unconvertible = TwoPointUTM();
    unconvertible.RefPoint[1].NorthingOrLatitude = std::nan("");
    Logic refused(unconvertible, false);
    refused.Initialise();
    refused.ChangeHemisphere(true, Refuse);
    EXPECT_EQ('T', refused.Working().ZoneLetter);
}

TEST(LWCDefinitionLogic, DisplayModeSwitchConvertsBothPointsOrNeither) {
    // UTM stored, shown as latitude/longitude: typing converts the record.
    Logic logic(TwoPointUTM(), false);
    logic.Initialise();
    ASSERT_TRUE(logic.SetDisplayMode(0).ok);
    EXPECT_NEAR(45.15, logic.FieldValue(Logic::FIELD_P1_NORTH), 0.01);
    EXPECT_NEAR(-81.0, logic.FieldValue(Logic::FIELD_P1_EAST), 0.01);
    ASSERT_TRUE(logic.SetWorldValue(Logic::FIELD_P2_NORTH, 45.2));
    EXPECT_EQ(0, logic.Working().GlobalKind);
    EXPECT_NEAR(-81.0, logic.Working().RefPoint[0].EastingOrLongitude, 0.01);
    EXPECT_DOUBLE_EQ(45.2, logic.Working().RefPoint[1].NorthingOrLatitude);

    // When point 2 does not convert, point 1 keeps its UTM values too.
    SLocalWorldDef def = TwoPointUTM();
    def.TwoPointDefinition = false; // only point 1 is validated
    def.RefPoint[1].NorthingOrLatitude = std::nan("");
    Logic partial(def, false);
    ASSERT_TRUE(partial.SetDisplayMode(0).ok);
    EXPECT_FALSE(partial.SetWorldValue(Logic::FIELD_P1_EAST, -81));
    EXPECT_EQ(1, partial.Working().GlobalKind);
    EXPECT_DOUBLE_EQ(500000, partial.Working().RefPoint[0].EastingOrLongitude);
}

TEST(LWCDefinitionLogic, PickPreviewAndUnit) {
    Logic logic(TwoPointUTM(), false);
    logic.Initialise();
    EXPECT_FALSE(logic.IsPreviewEnabled());
    EXPECT_FALSE(logic.PickPoint(3, 4)) << "no pick under way";
    logic.SetPickMode(2);
    ASSERT_TRUE(logic.PickPoint(0, 100));
    EXPECT_EQ(0, logic.GetPickMode());
    EXPECT_DOUBLE_EQ(100, logic.Working().RefPoint[1].LocalY);
    EXPECT_NEAR(0.0, logic.Working().Rotation, 0.01) << "refitted with the picked point";
    EXPECT_TRUE(logic.IsPreviewEnabled());
    logic.StorePreviewState();
    EXPECT_FALSE(logic.IsPreviewEnabled());

    // A pick in feet: the picked metres are stored in the definition's unit.
    logic.SetUnit(5);
    EXPECT_NEAR(100 / 0.3048, logic.Working().RefPoint[1].LocalY, 1e-6);
    logic.SetPickMode(1);
    logic.PickPoint(0.3048, 0);
    EXPECT_NEAR(1.0, logic.Working().RefPoint[0].LocalX, 1e-9);
    // The fit works in metres: point 1 lies 0.3048 m beside the Y axis.
    EXPECT_NEAR(std::atan2(0.3048, 100) * 180 / 3.141592653589793,
                std::fabs(logic.Working().Rotation), 1e-6);
}

namespace {

// The dialog as the document drives it, over the dialog's own logic and without a window.
class CLogicDialog : public ILocalWorldDialog {
public:
    CLogicDialog(const SLocalWorldDef &definition, bool hasGPSData, bool *destroyed)
        : logic(definition, hasGPSData), m_destroyed(destroyed) {
        logic.Initialise();
    }
    const SLocalWorldDef &GetWorkingDefinition() const override { return logic.Working(); }
    void SetUnit(int unit) override { logic.SetUnit(unit); }
    void StorePreviewState() override { logic.StorePreviewState(); }
    bool IsSelectingInView() const override { return logic.GetPickMode() != 0; }
    void ShowRestored() override {}
    void DestroyDialog() override { *m_destroyed = true; }

    CLWCDefinitionLogic logic;

private:
    bool *m_destroyed;
};

} // namespace

// Cancel after a Preview gives back the definition the document kept when the dialog opened,
// not the previewed one, and leaves the project unmodified.
TEST(LWCDefinitionLogic, PreviewThenCancelGivesBackTheOpeningDefinition) {
    CKVDVDoc doc;
    SLocalWorldDef &project = doc.GetMapperSettings()->LocalWorld;
    project = TwoPointUTM();
    const SLocalWorldDef opening = project;
    CLogicDialog *dialog = nullptr;
    bool destroyed = false;
    CKVDVDoc::SetLocalWorldDialogFactory(
        [&](CKVDVDoc &, wxWindow *, SLocalWorldDef &definition, bool hasGPSData) {
            auto made = std::make_unique<CLogicDialog>(definition, hasGPSData, &destroyed);
            dialog = made.get();
            return std::unique_ptr<ILocalWorldDialog>(std::move(made));
        });
    doc.OnLocalWorldDefinition();
    ASSERT_NE(nullptr, dialog);

    // A picked second point turns the grid; Preview hands the definition to the project.
    dialog->logic.SetPickMode(2);
    ASSERT_TRUE(dialog->logic.PickPoint(0, 100));
    EXPECT_TRUE(dialog->logic.IsPreviewEnabled());
    dialog->logic.RotationFromHeading();
    doc.ApplyLocalWorldDefinition(KVDCmd::LWC_PREVIEW);
    dialog->logic.StorePreviewState();
    const SLocalWorldDef previewed = project;
    EXPECT_EQ(dialog->logic.Working(), previewed);
    EXPECT_NE(opening, previewed);
    EXPECT_NEAR(0.0, std::remainder(previewed.Rotation, 360.0), 0.01);
    EXPECT_FALSE(destroyed) << "Preview keeps the dialog open";

    // A further change, then Cancel: the opening definition is back, the dialog gone.
    dialog->logic.SetLocalValue(Logic::FIELD_P2_LOCAL_X, 50);
    dialog->logic.Recompute();
    doc.ApplyLocalWorldDefinition(KVDCmd::LWC_CANCEL);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(opening, project);
    EXPECT_FALSE(doc.IsModified());
    CKVDVDoc::SetLocalWorldDialogFactory(nullptr);
}
