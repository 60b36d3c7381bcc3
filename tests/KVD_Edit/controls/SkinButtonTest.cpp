#include "KVD_Edit/controls/SkinButtonLogic.h"

#include <gtest/gtest.h>

namespace {

TEST(SkinMaskRegion, NonWhitePixelsMakeTheShape) {
    // Top row black-white-black, bottom row black-black-white.
    const unsigned char rgb[] = {0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255};
    const CMaskRegion region = CMaskRegion::FromRgb(rgb, 3, 2);
    for (const wxPoint p : {wxPoint(0, 0), wxPoint(2, 0), wxPoint(0, 1), wxPoint(1, 1)})
        EXPECT_TRUE(region.Contains(p)) << p.x << "," << p.y;
    EXPECT_FALSE(region.Contains(wxPoint(1, 0)));
    EXPECT_FALSE(region.Contains(wxPoint(2, 1)));
    EXPECT_FALSE(region.Contains(wxPoint(3, 0)));
    ASSERT_EQ(region.GetRuns().size(), 3u);
    EXPECT_EQ(region.GetRuns()[0], wxRect(0, 1, 2, 1)) << "scanned from the bottom row";
    EXPECT_EQ(region.GetRuns()[2], wxRect(2, 0, 1, 1)) << "a run ends with its row's last pixel";

    const unsigned char white[] = {255, 255, 255, 255, 255, 255};
    EXPECT_TRUE(CMaskRegion::FromRgb(white, 2, 1).IsEmpty()) << "an all-white mask has no shape";
}

TEST(SkinButtonLogic, ArgumentsAndKinds) {
    EXPECT_EQ(CSkinButtonLogic::ClampDrawMode(-1), SKIN_DRAW_NORMAL);
    EXPECT_EQ(CSkinButtonLogic::ClampDrawMode(0), SKIN_DRAW_NORMAL);
    EXPECT_EQ(CSkinButtonLogic::ClampDrawMode(1), SKIN_DRAW_STRETCH);
    EXPECT_EQ(CSkinButtonLogic::ClampDrawMode(5), SKIN_DRAW_TILE);
    EXPECT_EQ(CSkinButtonLogic::ClampMargin(-4), 0);
    EXPECT_EQ(CSkinButtonLogic::ClampMargin(3), 3);
    EXPECT_EQ(CSkinButtonLogic::KindOfStyle(0), SKIN_PUSHBUTTON);
    EXPECT_EQ(CSkinButtonLogic::KindOfStyle(SKIN_BS_AUTOCHECKBOX), SKIN_CHECKBOX);
    EXPECT_EQ(CSkinButtonLogic::KindOfStyle(SKIN_BS_AUTORADIOBUTTON), SKIN_RADIOBUTTON);
    EXPECT_EQ(CSkinButtonLogic::KindOfStyle(1), SKIN_PUSHBUTTON);
}

TEST(SkinButtonLogic, ChecksByKind) {
    CSkinButtonLogic push;
    EXPECT_FALSE(push.SetCheck(1));
    EXPECT_EQ(push.GetCheck(), 0) << "a push button stays unchecked";
    EXPECT_FALSE(push.Clicked());

    CSkinButtonLogic box;
    box.SetKind(SKIN_CHECKBOX);
    EXPECT_FALSE(box.Clicked());
    EXPECT_EQ(box.GetCheck(), 1);
    box.Clicked();
    EXPECT_EQ(box.GetCheck(), 0);

    CSkinButtonLogic radio;
    radio.SetKind(SKIN_RADIOBUTTON);
    EXPECT_TRUE(radio.Clicked()) << "checking a radio tells its group";
    EXPECT_TRUE(radio.Clicked()) << "a radio stays checked";
    EXPECT_EQ(radio.GetCheck(), 1);
    EXPECT_FALSE(radio.SetCheck(0));
}

TEST(SkinButtonLogic, RadioGroupTellsOnlySkinButtons) {
    // group A: skin, plain radio, skin, skin; group B: skin, skin.
    const std::vector<SGroupMember> siblings = {{true, true},  {false, false}, {true, false},
                                                {true, false}, {true, true},   {true, false}};
    EXPECT_EQ(RadioGroupOthers(siblings, 2), (std::vector<size_t>{0, 3}));
    EXPECT_EQ(RadioGroupOthers(siblings, 0), (std::vector<size_t>{2, 3}));
    EXPECT_EQ(RadioGroupOthers(siblings, 5), (std::vector<size_t>{4}));
    EXPECT_TRUE(RadioGroupOthers(siblings, 9).empty());
}

TEST(SkinButtonLogic, SkinOfEachState) {
    auto all = [](int) { return true; };
    auto only = [](std::initializer_list<int> skins) {
        std::vector<int> v(skins);
        return [v](int s) { return std::find(v.begin(), v.end(), s) != v.end(); };
    };
    EXPECT_EQ(CSkinButtonLogic::WhichSkin(true, true, true, true, all), SKIN_DISABLED);
    EXPECT_EQ(CSkinButtonLogic::WhichSkin(false, true, true, true, all), SKIN_PRESSED);
    EXPECT_EQ(CSkinButtonLogic::WhichSkin(false, false, true, true, all), SKIN_HOVER);
    EXPECT_EQ(CSkinButtonLogic::WhichSkin(false, false, false, true, all), SKIN_FOCUS);
    EXPECT_EQ(CSkinButtonLogic::WhichSkin(false, false, true, true, only({SKIN_NORMAL})),
              SKIN_NORMAL);
    EXPECT_EQ(CSkinButtonLogic::WhichSkin(false, false, true, true, only({SKIN_HOVER})), SKIN_NONE)
        << "without a normal skin: the face colour";
}

TEST(SkinTiling, CoversTheRectangleAndStopsForEmptySkins) {
    const std::vector<wxPoint> tiles = TileOrigins(wxSize(10, 8), wxRect(0, 0, 25, 16));
    EXPECT_EQ(tiles, (std::vector<wxPoint>{{0, 0}, {10, 0}, {20, 0}, {0, 8}, {10, 8}, {20, 8}}));
    EXPECT_TRUE(TileOrigins(wxSize(0, 8), wxRect(0, 0, 25, 16)).empty()) << "no endless loop";
    EXPECT_TRUE(TileOrigins(wxSize(8, 0), wxRect(0, 0, 25, 16)).empty());
}

} // namespace
