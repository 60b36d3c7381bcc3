#include "KVD_Edit/controls/OwnerDrawListBox.h"
#include "KVD_Edit/controls/xSkinButton.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/InputEvents.h"

#include <wx/dcmemory.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace kvdtest::gui;

// A skin of one colour.
wxBitmap Plain(const wxSize &size, const wxColour &colour) {
    wxBitmap bitmap(size, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(colour));
    dc.Clear();
    return bitmap;
}

// A mask with a black ellipse on white: the button is round.
wxBitmap RoundMask(const wxSize &size) {
    wxBitmap bitmap(size, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.SetPen(*wxBLACK_PEN);
    dc.DrawEllipse(0, 0, size.x, size.y);
    return bitmap;
}

wxColour At(const wxImage &image, int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

class SkinControlsGui : public testing::Test {
protected:
    void SetUp() override {
        App();
        m_frame = std::make_unique<CTestFrame>("skins", wxSize(420, 300));
        m_frame->Get()->Bind(wxEVT_BUTTON,
                             [this](wxCommandEvent &e) { m_pressed.push_back(e.GetId()); });
    }
    void TearDown() override { m_frame.reset(); }

    std::unique_ptr<CTestFrame> m_frame;
    std::vector<int> m_pressed;
};

TEST_F(SkinControlsGui, RoundSkinDrawsThroughItsMaskAndTakesClicksInside) {
    const wxSize size(60, 40);
    auto *button = new CxSkinButton(m_frame->Get(), 401, "", wxPoint(20, 20), size);
    button->LoadSkins(Plain(size, *wxRED), Plain(size, *wxBLUE), Plain(size, *wxGREEN), wxBitmap(),
                      wxBitmap(), RoundMask(size), SKIN_DRAW_NORMAL);
    PumpEvents(50);
    EXPECT_EQ(button->GetSize(), size) << "draw mode 0 takes the mask's size";
    ASSERT_TRUE(button->HasShape());
    const wxImage face = Render(size, [button](wxDC &dc) { button->DrawFace(dc); });
    EXPECT_EQ(At(face, 30, 20), *wxRED) << "inside the mask: the skin";
    EXPECT_EQ(At(face, 1, 1), *wxWHITE) << "outside the mask: what lies beneath";
    SaveScreenPicture(m_frame->Get(), "skinned button");

    Mouse(button, wxEVT_LEFT_DOWN, wxPoint(1, 1));
    Mouse(button, wxEVT_LEFT_UP, wxPoint(1, 1));
    EXPECT_TRUE(m_pressed.empty()) << "a click outside the shape does not press it";
    Mouse(button, wxEVT_LEFT_DOWN, wxPoint(30, 20));
    const wxImage pressed = Render(size, [button](wxDC &dc) { button->DrawFace(dc); });
    EXPECT_EQ(At(pressed, 30, 20), *wxBLUE) << "held: the pressed skin";
    Mouse(button, wxEVT_LEFT_UP, wxPoint(30, 20));
    EXPECT_EQ(m_pressed, std::vector<int>{401});

    button->LoadSkins(Plain(size, *wxRED));
    EXPECT_FALSE(button->HasShape()) << "skins without a mask make the button rectangular";
    Mouse(button, wxEVT_LEFT_DOWN, wxPoint(1, 1));
    Mouse(button, wxEVT_LEFT_UP, wxPoint(1, 1));
    EXPECT_EQ(m_pressed.size(), 2u);
}

TEST_F(SkinControlsGui, RadioSkinsOfAGroupUncheckEachOther) {
    const wxSize size(30, 20);
    wxWindow *parent = m_frame->Get();
    auto *a = new CxSkinButton(parent, 411, "A", wxPoint(10, 100), size,
                               SKIN_BS_AUTORADIOBUTTON | wxRB_GROUP);
    auto *b = new CxSkinButton(parent, 412, "B", wxPoint(50, 100), size, SKIN_BS_AUTORADIOBUTTON);
    auto *c = new CxSkinButton(parent, 413, "C", wxPoint(90, 100), size, SKIN_BS_AUTORADIOBUTTON);
    auto *other = new CxSkinButton(parent, 414, "D", wxPoint(130, 100), size,
                                   SKIN_BS_AUTORADIOBUTTON | wxRB_GROUP);
    for (CxSkinButton *button : {a, b, c, other})
        button->LoadSkins(Plain(size, *wxLIGHT_GREY), Plain(size, *wxBLACK));
    other->SetCheck(1);
    a->SetCheck(1);
    PumpEvents(50);
    PressKey(b, WXK_SPACE);
    PumpEvents(50);
    EXPECT_EQ(b->GetCheck(), 1);
    EXPECT_EQ(a->GetCheck(), 0) << "unchecked by the posted message";
    EXPECT_EQ(c->GetCheck(), 0);
    EXPECT_EQ(other->GetCheck(), 1) << "another group is left alone";
    auto *push = new CxSkinButton(parent, 415, "P", wxPoint(170, 100), size);
    push->SetCheck(1);
    EXPECT_EQ(push->GetCheck(), 0);
    SaveScreenPicture(m_frame->Get(), "radio skins");
}

TEST_F(SkinControlsGui, FileListShowsDroppedFilesWithIcons) {
    kvdtest::TempDir dir;
    for (const char *name : {"LINE01.DT1", "LINE02.DT1", "notes.txt"})
        kvdtest::WriteFile(dir.File(name), "x");
    auto *list = new COwnerDrawListBox(m_frame->Get(), 420, wxPoint(10, 140), wxSize(300, 140));
    list->SetLayoutMode(1);
    list->SetIconPosition(0);
    wxArrayString files;
    files.Add(dir.File("notes.txt"));
    files.Add(dir.File("LINE01.DT1"));
    files.Add(dir.File("LINE02.DT1"));
    list->DropFiles(files);
    ASSERT_EQ(list->GetItemCount(), 1u) << "only the first dropped file";
    EXPECT_EQ(list->GetSelection(), 0);
    const SFileListItem *item = list->GetLogic().GetItem(0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text, "notes");
    EXPECT_TRUE(item->icon.IsOk());
    files.Clear();
    files.Add(dir.File("LINE01.DT1"));
    list->DropFiles(files);
    EXPECT_EQ(list->GetItemCount(), 2u);
    EXPECT_EQ(list->GetSelection(), 1) << "the last item is selected";
    list->SetFocus();
    PumpEvents(100);
    SaveScreenPicture(m_frame->Get(), "file list box");
    EXPECT_EQ(list->FreeItemData(), 2u);
    list->Refresh();
    list->Update();
    PumpEvents(50); // drawing freed items reads nothing
}

} // namespace
