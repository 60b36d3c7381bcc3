#include "tests/support/gui/OpenProject.h"

#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/planview/KVDVView.h"
#include "tests/support/gui/GuiHarness.h"

namespace kvdtest::gui {

SOpenProject OpenProject(const std::string &path) {
    SOpenProject project;
    if (path.empty())
        return project;
    project.doc = dynamic_cast<CKVDVDoc *>(
        App().GetDocManager()->CreateDocument(wxString::FromUTF8(path), wxDOC_SILENT));
    if (project.doc == nullptr)
        return project;
    PumpEvents(200);
    for (wxView *v : project.doc->GetViewsVector())
        if (auto *plan = dynamic_cast<CKVDVView *>(v))
            project.view = plan;
    if (project.view != nullptr)
        project.window = project.view->GetPlanWindow();
    if (project.window != nullptr)
        WaitFor([&] { return project.window->MapDrawCount() > 0; });
    return project;
}

void CloseProject(SOpenProject &project) {
    if (project.doc == nullptr)
        return;
    project.doc->Modify(false);
    project.doc->Close();
    project.doc->DeleteAllViews();
    PumpEvents(100);
    project = SOpenProject();
}

} // namespace kvdtest::gui
