#include "KVD_Edit/controls/ShadeButtonST.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/InputEvents.h"

#include <wx/artprov.h>
#include <wx/menu.h>
#include <wx/tooltip.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace kvdtest::gui;

class ShadeButtonGui : public testing::Test {
protected:
    void SetUp() override {
        App();
        m_frame = std::make_unique<CTestFrame>("buttons", wxSize(360, 160));
        m_frame->Get()->SetBackgroundColour(wxColour(255, 255, 255));
        m_frame->Get()->Bind(wxEVT_BUTTON,
                             [this](wxCommandEvent &e) { m_pressed.push_back(e.GetId()); });
        PumpEvents(50);
    }
    void TearDown() override { m_frame.reset(); }

    std::unique_ptr<CTestFrame> m_frame;
    std::vector<int> m_pressed;
};

TEST_F(ShadeButtonGui, DrawsItsShadedFaceAndFiresOnSpace) {
    auto *button = new CShadeButtonST(m_frame->Get(), 1039, "", wxPoint(20, 20), wxSize(120, 40));
    button->SetFaceIcons(wxArtProvider::GetBitmap(wxART_GO_BACK, wxART_BUTTON, wxSize(16, 16)));
    button->BuildShadedFaces(ShadeStyle::Cylinder, 8, 20, 5, wxColour(0x37, 0x37, 0xFF));
    button->SetTipText("Press to Interchange Y", true);
    ASSERT_FALSE(button->GetNormalFace().IsEmpty());
    EXPECT_EQ(button->GetNormalFace().GetWidth(), 120);
    PumpEvents(100);
    const wxImage face = Render(button->GetSize(), [button](wxDC &dc) { button->DrawFace(dc); });
    const wxColour background = m_frame->Get()->GetBackgroundColour();
    int differing = 0;
    for (const wxPoint &p : {wxPoint(10, 5), wxPoint(100, 30), wxPoint(60, 8), wxPoint(30, 35)})
        differing += wxColour(face.GetRed(p.x, p.y), face.GetGreen(p.x, p.y),
                              face.GetBlue(p.x, p.y)) != background
                         ? 1
                         : 0;
    EXPECT_EQ(differing, 4) << "the face is painted over the whole button";
    SaveScreenPicture(m_frame->Get(), "shaded button");

    button->SetFocus();
    KeyDown(button, WXK_SPACE);
    EXPECT_TRUE(m_pressed.empty()) << "Space presses on release";
    KeyUp(button, WXK_SPACE);
    EXPECT_EQ(m_pressed, std::vector<int>{1039});
    PressKey(button, WXK_RETURN);
    EXPECT_EQ(m_pressed.size(), 2u);
    ASSERT_NE(button->GetToolTip(), nullptr);
    EXPECT_EQ(button->GetToolTip()->GetTip(), "Press to Interchange Y");
}

TEST_F(ShadeButtonGui, ClicksPressInsideOnly) {
    auto *button = new CButtonST(m_frame->Get(), 301, "Go", wxPoint(20, 20), wxSize(100, 30));
    Mouse(button, wxEVT_LEFT_DOWN, wxPoint(10, 10));
    Mouse(button, wxEVT_LEFT_UP, wxPoint(10, 10));
    EXPECT_EQ(m_pressed, std::vector<int>{301});
    Mouse(button, wxEVT_LEFT_DOWN, wxPoint(10, 10));
    Mouse(button, wxEVT_MOTION, wxPoint(200, 10));
    Mouse(button, wxEVT_LEFT_UP, wxPoint(200, 10));
    EXPECT_EQ(m_pressed.size(), 1u) << "released outside: no press";
    PumpEvents(50);
    EXPECT_FALSE(button->HasCapture());
}

TEST_F(ShadeButtonGui, CheckBoxModeTogglesAndImagesFail) {
    auto *box = new CButtonST(m_frame->Get(), 302, "Check", wxPoint(20, 60), wxSize(100, 30),
                              BTNST_AUTOCHECKBOX);
    Mouse(box, wxEVT_LEFT_DOWN, wxPoint(5, 5));
    Mouse(box, wxEVT_LEFT_UP, wxPoint(5, 5));
    EXPECT_EQ(box->GetCheck(), 1);
    Mouse(box, wxEVT_LEFT_DCLICK, wxPoint(5, 5));
    Mouse(box, wxEVT_LEFT_UP, wxPoint(5, 5));
    EXPECT_EQ(box->GetCheck(), 0) << "a double click is a second press";
    const wxBitmap icon = wxArtProvider::GetBitmap(wxART_INFORMATION, wxART_BUTTON, wxSize(16, 16));
    EXPECT_EQ(box->SetFaceIcons(icon, wxBitmap()), ButtonSTResult::LoadFailed);
    EXPECT_EQ(box->SetFaceIcons(icon, CButtonST::GreyNormalImage), ButtonSTResult::Ok);
    EXPECT_EQ(box->SetBackgroundDC(nullptr), ButtonSTResult::BadArgument);
    SaveScreenPicture(m_frame->Get(), "check box button");
}

TEST_F(ShadeButtonGui, ZeroSizedFacesBuildNothing) {
    auto *button = new CShadeButtonST(m_frame->Get(), 303, "", wxPoint(0, 0), wxSize(0, 0));
    button->SetSize(0, 0);
    button->BuildShadedFaces(ShadeStyle::Cylinder);
    EXPECT_TRUE(button->GetNormalFace().IsEmpty());
    button->SetSize(30, 1);
    button->BuildShadedFaces(ShadeStyle::Cylinder);
    EXPECT_EQ(button->GetNormalFace().GetHeight(), 1);
    PumpEvents(50);
}

} // namespace
