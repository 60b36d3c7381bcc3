#include "KVD_Edit/app/shell/SplashDlg.h"
#include "tests/support/gui/GuiHarness.h"

#include <wx/frame.h>
#include <wx/panel.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// The sources' resources folder, beside the tests folder.
std::string ResourcesFolder() {
    return KVD_SOURCE_DIR "/resources";
}

class SplashDlgGui : public testing::Test {
protected:
    void SetUp() override {
        kvdtest::gui::App();
        CBDialog::SetBitmapResourceFolder(ResourcesFolder());
        m_owner = new wxFrame(nullptr, wxID_ANY, "owner", wxPoint(10, 10), wxSize(300, 200));
        m_panel = new wxPanel(m_owner);
        m_owner->Show();
        kvdtest::gui::PumpEvents();
    }
    void TearDown() override {
        m_slot.Reset();
        m_owner->Destroy();
        kvdtest::gui::PumpEvents();
        CBDialog::SetBitmapResourceFolder("");
    }
    void SendToPanel(wxEventType type) {
        if (type == wxEVT_KEY_DOWN) {
            wxKeyEvent key(type);
            key.SetEventObject(m_panel);
            m_panel->GetEventHandler()->ProcessEvent(key);
        } else {
            wxMouseEvent mouse(type);
            mouse.SetEventObject(m_panel);
            m_panel->GetEventHandler()->ProcessEvent(mouse);
        }
    }

    wxFrame *m_owner = nullptr;
    wxPanel *m_panel = nullptr;
    CHintSlot m_slot;
};

TEST_F(SplashDlgGui, ShowsThePictureCentredAndClosesOnAKeyInTheOwner) {
    CSplashDlg *hint = m_slot.Show(m_owner, CSplashDlg::kLocalXYHint);
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->IsShown());
    EXPECT_TRUE(hint->HasBitmap());
    EXPECT_EQ(hint->GetBitmap().GetWidth(), 152);
    EXPECT_EQ(hint->GetBitmap().GetHeight(), 81);
    EXPECT_EQ(hint->GetSize(), wxSize(152, 81));
    EXPECT_TRUE(hint->HasFlag(wxSTAY_ON_TOP));
    kvdtest::gui::PumpEvents(100);
    EXPECT_FALSE(kvdtest::gui::SaveScreenshot(hint, "SplashDlg_hint221").empty());

    // A key pressed in the owner closes the hint and goes no further.
    bool reached = false;
    m_panel->Bind(wxEVT_KEY_DOWN, [&](wxKeyEvent &) { reached = true; });
    bool closedCommand = false;
    m_owner->Bind(
        wxEVT_MENU, [&](wxCommandEvent &) { closedCommand = true; }, CSplashDlg::kClosedCommand);
    SendToPanel(wxEVT_KEY_DOWN);
    EXPECT_FALSE(reached);
    EXPECT_TRUE(hint->IsClosed());
    EXPECT_FALSE(hint->IsShown());
    kvdtest::gui::PumpEvents();
    EXPECT_TRUE(closedCommand);

    // Closed: keys pass through.
    SendToPanel(wxEVT_KEY_DOWN);
    EXPECT_TRUE(reached);
}

TEST_F(SplashDlgGui, AClickClosesItAndANewHintReplacesTheOld) {
    CSplashDlg *first = m_slot.Show(m_owner, CSplashDlg::kLocalXYHint);
    ASSERT_NE(first, nullptr);
    CSplashDlg *second = m_slot.Show(m_owner, CSplashDlg::kWhiskersHint);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(m_slot.Get(), second);
    EXPECT_EQ(second->GetBitmap().GetWidth(), 174);
    kvdtest::gui::PumpEvents();
    SendToPanel(wxEVT_LEFT_DOWN);
    EXPECT_TRUE(second->IsClosed());
}

TEST_F(SplashDlgGui, AHintWithoutItsPictureIsNotShown) {
    const size_t before = wxTopLevelWindows.size();
    EXPECT_EQ(m_slot.Show(m_owner, 999), nullptr);
    EXPECT_EQ(m_slot.Get(), nullptr);
    EXPECT_EQ(wxTopLevelWindows.size(), before);

    CSplashDlg hint;
    EXPECT_FALSE(hint.SetBitmapMode(5));
    EXPECT_EQ(hint.GetBitmapMode(), 0);
    EXPECT_EQ(hint.SetBitmap(999, 3), 1);
    EXPECT_EQ(hint.GetBitmapMode(), 3);
    EXPECT_FALSE(hint.Create(CSplashDlg::kDialogId, m_owner));
}

} // namespace
