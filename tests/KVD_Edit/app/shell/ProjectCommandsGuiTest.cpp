// The main frame with and without a project: the project's commands are disabled while none is
// open, the cursor's status panes go with the last project, and the Edit menu shows its keys in
// the toolkit's accelerator column.

#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/MainFrame.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "KVD_Edit/planview/PlanViewWindow.h"
#include "tests/support/PlanProject.h"
#include "tests/support/gui/Desktop.h"
#include "tests/support/gui/GuiHarness.h"
#include "tests/support/gui/InputEvents.h"
#include "tests/support/gui/OpenProject.h"
#include "tests/support/gui/RealInput.h"

#include <gtest/gtest.h>

#include <wx/docview.h>
#include <wx/menu.h>
#include <wx/toolbar.h>

using namespace kvdtest;
using namespace kvdtest::gui;
using namespace KVDCmd;

namespace {

std::vector<int> ProjectCommands() {
    std::vector<int> ids(std::begin(kDocumentCommands), std::end(kDocumentCommands));
    ids.insert(ids.end(), std::begin(kProjectFrameCommands), std::end(kProjectFrameCommands));
    return ids;
}

// Lets the toolkit run the update rules of the main frame's toolbar, as it does when idle (what
// a person sees without opening a menu), and of its menus, as it does when one opens.
void UpdateRules(CMainFrame *frame) {
    PumpEvents(300);
    frame->GetMenuBar()->UpdateMenus();
    PumpEvents(50);
}

// Every project command on the toolbar and in the menus is disabled.
void ExpectProjectCommandsDisabled(CMainFrame *frame) {
    UpdateRules(frame);
    wxToolBar *bar = frame->GetToolBar();
    ASSERT_NE(nullptr, bar);
    int tools = 0;
    for (int id : ProjectCommands()) {
        SCOPED_TRACE(id);
        if (bar->FindById(ToWxId(id))) {
            ++tools;
            EXPECT_FALSE(bar->GetToolEnabled(ToWxId(id))) << "toolbar button enabled";
        }
        if (wxMenuItem *item = frame->GetMenuBar()->FindItem(ToWxId(id))) {
            EXPECT_FALSE(item->IsEnabled()) << "menu item enabled";
        }
    }
    EXPECT_EQ(14, tools) << "the toolbar's project buttons: Save to Pan";
    // A submenu of project commands follows their rule: it does not open onto disabled items.
    wxMenuItem *units = frame->GetMenuBar()->FindItem(ToWxId(ID_DISPLAYUNITS_MENU));
    ASSERT_NE(nullptr, units) << "View > Display Units";
    EXPECT_TRUE(units->IsSubMenu());
    EXPECT_FALSE(units->IsEnabled()) << "View > Display Units is enabled";
    // What needs no project stays enabled.
    for (int id : std::initializer_list<int>{ID_FILE_OPEN, ID_FILE_NEW, ID_HELP_FINDER})
        EXPECT_TRUE(bar->GetToolEnabled(ToWxId(id))) << id;
}

void CloseAllProjects() {
    wxDocManager *manager = App().GetDocManager();
    for (wxDocument *doc : manager->GetDocumentsVector())
        doc->Modify(false);
    manager->CloseDocuments(true);
    PumpEvents(100);
}

} // namespace

TEST(ProjectCommandsGui, WithoutAProjectItsCommandsAreDisabled) {
    CMainFrame *frame = App().GetMainFrame();
    CloseAllProjects();
    ASSERT_NO_FATAL_FAILURE(ExpectProjectCommandsDisabled(frame));
    SaveScreenPicture(frame, "ProjectCommands_NoProject");

    // With a project its rules decide; once it is closed they are disabled again.
    TempDir dir;
    SOpenProject project = OpenProject(WritePlanProject(dir.Path(), PlanGridLines()));
    ASSERT_NE(nullptr, project.window);
    UpdateRules(frame);
    for (int id :
         std::initializer_list<int>{ID_IMPORT_LINES, ID_LINE_SETTINGS, ID_ZOOM_AREA, ID_PAN,
                                    ID_DISPLAYUNITS_FEET, ID_LOCAL_WORLD_DEFINITION})
        EXPECT_TRUE(frame->GetToolBar()->GetToolEnabled(ToWxId(id))) << id;
    SaveScreenPicture(frame, "ProjectCommands_Project");
    CloseProject(project);
    ASSERT_NO_FATAL_FAILURE(ExpectProjectCommandsDisabled(frame));
}

TEST(ProjectCommandsGui, CursorPanesClearWhenTheLastProjectCloses) {
    CMainFrame *frame = App().GetMainFrame();
    CloseAllProjects();
    TempDir dir;
    SOpenProject project = OpenProject(WritePlanProject(dir.Path(), PlanGridLines()));
    ASSERT_NE(nullptr, project.window);
    ASSERT_TRUE(FocusWindow(frame));
    const wxSize size = project.window->GetClientSize();
    RealMove(project.window, wxPoint(size.x / 2 - 5, size.y / 2 - 5));
    RealMove(project.window, wxPoint(size.x / 2, size.y / 2), 150);
    ASSERT_NE("", frame->GetPaneText(1)) << "the cursor's coordinates show while over the plan";

    CloseProject(project);
    EXPECT_EQ("", frame->GetPaneText(1));
    EXPECT_EQ("", frame->GetPaneText(2));
    EXPECT_EQ("", frame->GetStatusBar()->GetStatusText(1));
    EXPECT_EQ(0, frame->GetStatusBar()->GetStatusWidth(1)) << "an empty pane takes no room";
}

// The Edit menu's keys stand in the accelerator column, the labels' words as they were; the
// menu opened with the keyboard, as a person opens it.
TEST(ProjectCommandsGui, EditMenuShowsItsKeysAsAccelerators) {
    CMainFrame *frame = App().GetMainFrame();
    CloseAllProjects();
    TempDir dir;
    SOpenProject project = OpenProject(WritePlanProject(dir.Path(), PlanGridLines()));
    ASSERT_NE(nullptr, project.window);
    ASSERT_NE(nullptr, project.view->GetChildFrame());
    wxMenuBar *menus = project.view->GetChildFrame()->GetMenuBar();
    ASSERT_NE(nullptr, menus);
    struct Row {
        int id;
        const char *label;
        const char *accel;
    };
    for (const Row &row :
         {Row{ID_IMPORT_LINES, "&Import Line(s)...", "Ins"},
          Row{ID_DELETE_LINES, "Delete &Line(s)", "Del"}, Row{ID_EDIT_KVD, "&Edit KVD File", "F5"},
          Row{ID_SELECT_ALL_LINES, "Select &All Lines", "Ctrl+A"},
          Row{ID_DESELECT_ALL_LINES, "&Deselect All Lines", "Ctrl+D"}}) {
        SCOPED_TRACE(row.label);
        wxMenuItem *item = menus->FindItem(ToWxId(row.id));
        ASSERT_NE(nullptr, item);
        EXPECT_EQ(row.label, item->GetItemLabel().BeforeFirst('\t'));
        std::unique_ptr<wxAcceleratorEntry> accel(item->GetAccel());
        ASSERT_NE(nullptr, accel) << "the key is an accelerator, not text in the label";
        wxAcceleratorEntry expected;
        expected.FromString(row.accel);
        EXPECT_EQ(expected.GetKeyCode(), accel->GetKeyCode());
        EXPECT_EQ(expected.GetFlags(), accel->GetFlags());
    }

    // Opened by a click on its title, as a person opens it; the picture is read from the screen
    // with the menu down (the menu is a window of its own over the frame).
    ASSERT_TRUE(FocusWindow(frame));
    wxMenuBar *shown = frame->GetMenuBar();
    ASSERT_NE(nullptr, shown);
    RealClick(shown, wxPoint(60, shown->GetSize().y / 2), 1, false, 600);
    EXPECT_FALSE(
        SaveArtifact(GrabScreen(std::string(), frame->GetScreenRect()), "ProjectCommands_EditMenu")
            .empty());
    RealKey("Escape");
    CloseProject(project);
}
