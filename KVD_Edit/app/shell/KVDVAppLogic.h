#pragma once

#include "KVD_Edit/app/shell/AppClock.h"

#include <string>
#include <vector>

// The application's plain decisions of start-up and its commands, testable without windows.

// The program's short title (window titles, dialog captions, the settings folder's owner).
inline constexpr const char *kProgramTitle = "KVD_Edit";
// The maker, as the settings folders and the contact box name it.
inline constexpr const char *kMakerName = "Brenwick";

// What the command line asks for: the first argument is a project path or the word "new"; a
// " CheckGPSImport" inside that argument (after the path) switches the GPS import to automatic.
struct SCommandLineRequest {
    enum EKind { None, Open, New };
    EKind kind = None;
    std::string path;
    bool checkGPSImport = false;
};
// args are the arguments after the program's name; only the first one counts.
SCommandLineRequest CutCommandLine(const std::vector<std::string> &args);

// The stored "Window Position" as the main window's normal rectangle: exactly four
// comma-separated integers (empty parts skipped), not all 0. False leaves the window where the
// toolkit put it.
bool DecideWindowPlacement(const std::string &text, int &left, int &top, int &right, int &bottom);

// A rectangle of the screen in pixels: left/top inclusive, right/bottom exclusive.
struct SScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
// The window's outer rectangle brought onto area (the screen's work area): a window wider or
// taller than the area takes the area's width or height, one that reaches past an edge moves in
// until it lies fully inside; one that fits is kept as it is. A rectangle without width or
// height keeps its corner and takes defaultSize's width or height first.
SScreenRect FitWindowOnScreen(const SScreenRect &window, const SScreenRect &area, int defaultWidth,
                              int defaultHeight);

// The About box's version line from the product version words, e.g. "Version 4 Release 1.1".
std::string FormatAboutVersion(unsigned major, unsigned minor, unsigned third, unsigned build);

// Asks the clock with request every 10 ms until it reports the wanted run state, at most
// timeoutMs long; false when it did not get there in time.
bool WaitForClockState(CAppClock &clock, int request, int wanted, int timeoutMs);

// The diagnostic logger level that Help > Diagnostic Mode switches to: 2 from 1, else 1.
inline int NextDiagnosticLevel(int level) {
    return level == 1 ? 2 : 1;
}
