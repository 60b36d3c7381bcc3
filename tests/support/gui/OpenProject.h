#pragma once

// A project opened by the editor itself, as File Open opens it, for window tests that drive the
// document, its frame and its plan view.

#include <string>

class CKVDVDoc;
class CKVDVView;
class CPlanViewWindow;

namespace kvdtest::gui {

struct SOpenProject {
    CKVDVDoc *doc = nullptr;
    CKVDVView *view = nullptr;         // the plan view
    CPlanViewWindow *window = nullptr; // the plan view's window, in the frame's right pane
};

// Opens the project file through the application's document manager, lets the reload the open
// posts run and waits until the plan view has drawn its map once. The members stay null where
// the open failed (the test's own assertions say so). Questions of the reload (such as the GPS
// import) are answered from the sink's queue.
SOpenProject OpenProject(const std::string &path);

// Closes the project without the save question and lets the frame go.
void CloseProject(SOpenProject &project);

} // namespace kvdtest::gui
