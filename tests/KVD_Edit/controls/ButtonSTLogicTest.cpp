#include "KVD_Edit/controls/ButtonSTLogic.h"

#include <gtest/gtest.h>

namespace {

TEST(ButtonSTLogic, SettersReturnTheirCodes) {
    CButtonSTLogic button;
    wxColour colour;
    EXPECT_EQ(button.SetFaceColour(BTNST_COLOR_FG_FOCUS, *wxRED), ButtonSTResult::Ok);
    EXPECT_EQ(button.SetFaceColour(6, *wxRED), ButtonSTResult::BadColourIndex);
    EXPECT_EQ(button.SetFaceColour(-1, *wxRED), ButtonSTResult::BadColourIndex);
    EXPECT_EQ(button.GetFaceColour(6, &colour), ButtonSTResult::BadColourIndex);
    EXPECT_EQ(button.GetFaceColour(BTNST_COLOR_FG_FOCUS, &colour), ButtonSTResult::Ok);
    EXPECT_EQ(colour, *wxRED);
    EXPECT_EQ(button.SetImageAlign(4), ButtonSTResult::BadAlignment);
    EXPECT_EQ(button.SetImageAlign(ST_ALIGN_OVERLAP), ButtonSTResult::Ok);
    EXPECT_EQ(button.ShiftFaceColour(0, 300), ButtonSTResult::BadArgument);
    EXPECT_EQ(button.ShiftFaceColour(0, -256), ButtonSTResult::BadArgument);
    EXPECT_EQ(button.ShiftFaceColour(7, 10), ButtonSTResult::BadColourIndex);
    EXPECT_EQ(button.SetPushOffsetStyle(1), ButtonSTResult::Ok);
    EXPECT_EQ(button.m_pushOffset, wxPoint(0, 2));
    EXPECT_EQ(button.SetPushOffsetStyle(2), ButtonSTResult::BadPushOffsetStyle);
    EXPECT_EQ(button.m_pushOffset, wxPoint(0, 2)) << "a refused style changes nothing";
    EXPECT_EQ(ButtonSTResult::LoadFailed, 1);
    EXPECT_EQ(ButtonSTResult::MaskFailed, 2);
}

TEST(ButtonSTLogic, ShiftKeepsTheHue) {
    CButtonSTLogic button;
    button.SetFaceColour(0, wxColour(250, 10, 10));
    ASSERT_EQ(button.ShiftFaceColour(0, 20), ButtonSTResult::Ok);
    EXPECT_EQ(button.Colour(0), wxColour(255, 15, 15)) << "the shift stops at the top";
    button.SetFaceColour(1, wxColour(100, 30, 200));
    button.ShiftFaceColour(1, -50);
    EXPECT_EQ(button.Colour(1), wxColour(70, 0, 170)) << "and at the bottom";
    button.ResetFaceColours(wxColour(1, 2, 3), wxColour(4, 5, 6));
    EXPECT_EQ(button.Colour(BTNST_COLOR_BK_FOCUS), wxColour(1, 2, 3));
    EXPECT_EQ(button.Colour(BTNST_COLOR_FG_IN), wxColour(4, 5, 6));
}

TEST(ButtonSTLogic, TypesChecksAndPressedState) {
    CButtonSTLogic push;
    push.ApplyButtonType(BTNST_PUSHBUTTON);
    push.SetCheck(1);
    EXPECT_EQ(push.GetCheck(), 0) << "a push button stays unchecked";
    EXPECT_FALSE(push.IsPressed(false, false));
    EXPECT_TRUE(push.IsPressed(false, true)) << "a shown menu draws pressed";

    CButtonSTLogic box;
    box.ApplyButtonType(BTNST_AUTOCHECKBOX);
    EXPECT_TRUE(box.m_checkBox);
    box.SetCheck(2);
    EXPECT_EQ(box.GetCheck(), 1);
    EXPECT_TRUE(box.IsPressed(false, false)) << "a checked box draws pressed";
    box.Toggle();
    EXPECT_EQ(box.GetCheck(), 0);

    CButtonSTLogic def;
    def.ApplyButtonType(BTNST_DEFPUSHBUTTON);
    EXPECT_TRUE(def.m_default);
    def.SetButtonStyle(BTNST_PUSHBUTTON);
    EXPECT_FALSE(def.m_default);
}

TEST(ButtonSTLogic, ColoursAndImageOfEachState) {
    CButtonSTLogic b;
    EXPECT_EQ(b.BackgroundIndex(false, false), BTNST_COLOR_BK_OUT);
    EXPECT_EQ(b.BackgroundIndex(false, true), BTNST_COLOR_BK_FOCUS);
    EXPECT_EQ(b.TextIndex(true, true), BTNST_COLOR_FG_IN);
    EXPECT_EQ(b.WhichImage(false, true), 1);
    EXPECT_EQ(b.WhichImage(false, false), 0) << "no normal image: the hover image shows";
    b.m_hover = true;
    EXPECT_EQ(b.BackgroundIndex(false, true), BTNST_COLOR_BK_IN);
    EXPECT_EQ(b.WhichImage(false, true), 0);
    CButtonSTLogic box;
    box.ApplyButtonType(BTNST_CHECKBOX);
    box.m_hover = true;
    EXPECT_EQ(box.WhichImage(false, true), 1) << "a check box shows the hover image when pressed";
}

TEST(ButtonSTLogic, LaysOutImageAndCaption) {
    CButtonSTLogic b;
    const wxRect item(0, 0, 100, 40);
    const wxSize icon(16, 16);
    struct Row {
        const char *name;
        int align;
        bool caption;
        bool pressed;
        wxPoint image;
        wxRect captionRect;
    } rows[] = {
        {"left with caption", ST_ALIGN_HORIZ, true, false, {3, 12}, {19, 0, 81, 40}},
        {"left alone", ST_ALIGN_HORIZ, false, false, {42, 12}, {0, 0, 100, 40}},
        {"above with caption", ST_ALIGN_VERT, true, false, {42, 3}, {0, 16, 100, 24}},
        {"above alone", ST_ALIGN_VERT, false, false, {42, 12}, {0, 0, 100, 40}},
        {"right with caption", ST_ALIGN_HORIZ_RIGHT, true, false, {81, 12}, {3, 0, 78, 40}},
        {"right alone keeps the top", ST_ALIGN_HORIZ_RIGHT, false, false, {42, 0}, item},
        {"overlap", ST_ALIGN_OVERLAP, true, false, {0, 0}, item},
        {"left pressed", ST_ALIGN_HORIZ, true, true, {4, 13}, {19, 0, 81, 40}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        b.SetImageAlign(row.align);
        const SButtonSTLayout layout = b.Layout(item, icon, row.caption, row.pressed);
        EXPECT_EQ(layout.image.GetTopLeft(), row.image);
        EXPECT_EQ(layout.image.GetSize(), icon);
        EXPECT_EQ(layout.caption, row.captionRect);
    }
}

TEST(ButtonSTLogic, GreyAndDarkerCopies) {
    unsigned char rgb[] = {200, 100, 50, 255, 0, 255, 0, 0, 0};
    const wxColour magenta(255, 0, 255);
    unsigned char grey[sizeof rgb];
    std::copy(rgb, rgb + sizeof rgb, grey);
    MakeGreyPixels(grey, 3, &magenta);
    const unsigned char level = static_cast<unsigned char>(0.299 * 200 + 0.587 * 100 + 0.114 * 50);
    EXPECT_EQ(grey[0], level);
    EXPECT_EQ(grey[1], level);
    EXPECT_EQ(grey[3], 255) << "the transparent colour stays";
    EXPECT_EQ(grey[4], 0);

    unsigned char dark[sizeof rgb];
    std::copy(rgb, rgb + sizeof rgb, dark);
    MakeDarkerPixels(dark, 3, nullptr);
    EXPECT_EQ(dark[0], 150);
    EXPECT_EQ(dark[1], 75);
    EXPECT_EQ(dark[2], 37) << "50 - 12.5, integer part";
    EXPECT_EQ(dark[3], 191);
    EXPECT_EQ(dark[6], 0) << "icons keep their black pixels";
}

} // namespace
