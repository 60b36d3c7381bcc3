#pragma once

// The window-test harness. A GUI test binary gets one application object (the editor's own
// CKVDVApp), created once when the binary starts; its start-up (OnInit) runs at the first call
// of App(), so a test may prepare settings files first. The process gets private settings
// folders, and every message the program shows goes to a capturing sink that answers from a
// script.

#include "tests/support/TestSupport.h"

#include <functional>
#include <string>

class CKVDVApp;
class wxWindow;
class wxDialog;
class wxImage;
class wxPoint;

namespace kvdtest::gui {

// The application, started (OnInit run) on first use. A failed start-up fails the test.
CKVDVApp &App();
// Whether App() has started the application.
bool AppStarted();
// Ends the application as the program does when its main loop ends (closes the windows, runs
// OnExit). Later calls of App() fail; use it in the last test of a process only.
void ShutDownApp();

// The folders this process uses in place of the user's: $XDG_CONFIG_HOME and $XDG_RUNTIME_DIR.
std::string ConfigHome();
std::string RuntimeDir();
// Removes those folders now, for a process that ends with _exit (no destructor removes them
// then). Nothing may write settings afterwards.
void RemovePrivateFolders();

// The sink that receives every message of the program. Queue answers with Sink().Answer(...).
CaptureSink &Sink();

// Processes waiting events for about ms milliseconds (at least one round).
void PumpEvents(int ms = 50);
// Pumps events until cond() holds or timeoutMs passed; returns cond().
bool WaitFor(const std::function<bool()> &cond, int timeoutMs = 3000);

// Answers the next modal dialog: when one is shown, inspect(dialog) runs and the dialog ends
// with retCode, unless inspect ended it (by pressing one of its buttons). Call before the code
// that shows the dialog; lasts for one dialog.
void AnswerNextModal(std::function<void(wxDialog *)> inspect, int retCode);
// Whether the last AnswerNextModal was used up by a dialog.
bool ModalAnswered();

// Presses the button id of a dialog as a click does (the button's command event); fails the
// test when the dialog has no such button.
void PressButton(wxDialog &dialog, int id);
// Runs a dialog modally through show() (ShowModal, or the dialog's DoModal) with act() running
// inside its modal loop; a dialog still open after act ends with wxID_CANCEL, so that a failed
// step never hangs the test. Returns show()'s result.
int RunModal(wxDialog &dialog, const std::function<int()> &show, std::function<void()> act);

// The folder of the tests' pictures: $KVD_ARTIFACTS, or the build's artifacts folder; made when
// missing.
std::string ArtifactsFolder();
// Saves image as <name>.png in that folder (characters other than letters, digits, '-' and '_'
// become '_') and returns the file's path; empty when nothing could be saved.
std::string SaveArtifact(const wxImage &image, const std::string &name);
// The pixels in which two pictures differ, and the first of them; -1 when their sizes differ.
int PixelDifferences(const wxImage &a, const wxImage &b, wxPoint &first);

// Saves a PNG of the window as it shows on screen under $KVD_ARTIFACTS (or the build's
// artifacts folder) and returns the file's path; empty when nothing could be saved.
std::string SaveScreenshot(wxWindow *window, const std::string &name);

} // namespace kvdtest::gui
