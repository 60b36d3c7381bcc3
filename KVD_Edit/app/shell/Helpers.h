#pragma once

#include "orq_utils/Measure.h"

#include <cstdint>
#include <string>
#include <vector>

class INIAccess;
class wxDocMDIParentFrame;
class wxDocument;
class wxTextCtrl;
class wxWindow;

// The shared helper functions of the editor: rounding and number formatting, parsing of colour
// triples, window placements, lists and paths, numeric edit validation, window placement
// storage, keyboard state, image probing and the active document. They hold no state.
// Numbers are formatted and parsed in the C locale whatever the program's locale is.

// printf-style formatting in the C locale.
std::string FormatC(const char *format, ...) __attribute__((format(printf, 1, 2)));
// The decimal value of a text as atof reads it, in the C locale (no number: 0).
double ParseDoubleC(const std::string &text);
// The integer of a text as atoi reads it (leading blanks, sign, digits; clamped to int).
int ParseIntC(const std::string &text);

// x rounded half away from zero at the n-th decimal; n = 0 gives floor(x + 0.5).
double RoundToDecimals(const double *x, int n);
inline double RoundToDecimals(double x, int n) {
    return RoundToDecimals(&x, n);
}
// The same rule in single precision.
float RoundToDecimalsF(const float *x, int n);

// "%.3f" of the value.
std::string FormatFixed3(double value);
// x rounded to the decimals (below 0: 15) and written with them; with a unit text, a blank and
// the unit follow.
std::string FormatWithUnit(double x, int decimals, const char *unit);

// The value converted from one unit to another of the same kind (0 when they differ in kind).
double ConvertUnits(double value, ORQ::EUnitType from, ORQ::EUnitType to);

// A colour value (red + 256 * green + 65536 * blue, the Windows COLORREF layout).
using ColourRef = uint32_t;
inline ColourRef MakeColourRef(int r, int g, int b) {
    return static_cast<ColourRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline int ColourRed(ColourRef c) {
    return static_cast<int>(c & 0xFF);
}
inline int ColourGreen(ColourRef c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
inline int ColourBlue(ColourRef c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
// "r,g,b" to a colour; each piece read with atoi and cut to its low 8 bits, missing pieces 0.
ColourRef ParseColour(const std::string &text);

// A window's placement: the rectangle of its normal (not maximised, not minimised) position,
// in screen pixels, left/top inclusive and right/bottom exclusive.
struct SPlacementRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};
inline bool operator==(const SPlacementRect &a, const SPlacementRect &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const SPlacementRect &a, const SPlacementRect &b) {
    return !(a == b);
}
struct SWindowPlacement {
    SPlacementRect rcNormalPosition;
};
// Reads up to four comma-separated integers into left, top, right and bottom of the normal
// rectangle; true when at least three were read (a missing fourth leaves bottom unchanged).
bool ParsePlacement(const std::string &text, SWindowPlacement &placement);
inline bool ParseRectString(const std::string &text, SWindowPlacement &placement) {
    return ParsePlacement(text, placement);
}
// The placement of a top-level window, and setting it back (moves and sizes the window).
SWindowPlacement GetWindowPlacement(const wxWindow *window);
void SetWindowPlacement(wxWindow *window, const SWindowPlacement &placement);
// "%d,%d,%d,%d" of the normal rectangle.
std::string FormatPlacement(const SWindowPlacement &placement);
// Writes the window's normal rectangle as "%d,%d,%d,%d" under section/key of the INI file.
bool SaveWindowPlacement(const wxWindow *window, INIAccess &ini, const std::string &section,
                         const std::string &key);

// Splits a path into its folder (ending in the separator, "/" or "\", as the path has it;
// empty when there is none) and its last component. Either output may be null.
void SplitPath(const std::string &path, std::string *folder, std::string *name);
// Every non-empty token of text split at any of the delimiter characters.
void SplitList(const std::string &text, const std::string &delimiters,
               std::vector<std::string> &tokens);
// Removes trailing '0' characters (never the first character); returns the character where it
// stopped, or 0 when it reached the first character.
int TrimTrailingZeros(std::string &text);
// True when the text is "Y" or "y".
bool IsYes(const std::string &text);

// What the numeric edit check decides for a field's text.
struct SNumericEditCheck {
    bool valid = true;      // the text may stay as it is
    bool changed = false;   // the field's text must become text
    std::string text;       // the (corrected) text
    bool selectAll = false; // select the whole text (range correction)
    size_t caret = 0;       // else put the caret here (invalid character cut)
    std::string message;    // shown once with an OK button when not empty
};
// The check of ValidateNumericEdit as a pure function: digits, "." once and a leading "-" (when
// allowed) pass; the text is cut before the first other character; with a range (not both -1)
// the value is compared after rounding to the decimals and set to min or max when outside.
SNumericEditCheck CheckNumericText(const std::string &text, bool allowNegative, double min,
                                   double max, int decimals);
// Runs the check on an edit control, corrects its text and shows the range message.
bool ValidateNumericEdit(wxTextCtrl *edit, bool allowNegative, double min, double max,
                         int decimals);

// Enables or disables a control. A control that holds the keyboard focus hands it on to the
// next one, as Tab does, before it is disabled: the toolkit would leave the focus on no control
// at all, and no key would then reach the window, Escape and Tab included.
void EnableKeepingTheKeyboard(wxWindow *control, bool enable);

// State of the Ctrl and Shift keys now.
bool IsCtrlKeyDown();
bool IsShiftKeyDown();
// The main frame of the application (null when there is none) and the document of its active
// child frame (null when there is no main frame or no active child).
wxDocMDIParentFrame *GetMainFrame();
wxDocument *GetActiveDoc();
// The parent of a message box or dialog about to open, which the toolkit centres it on: the
// newest modal dialog while one runs, else the active top-level window (a modeless dialog or the
// main frame), else the main frame while it shows; null when no window shows.
wxWindow *DialogParent();
// True when the file loads as an image.
bool IsImageFile(const std::string &path);
// Copies the window's client area, less the margins at its right and bottom, to the clipboard
// as a bitmap.
void CopyClientToClipboard(wxWindow *window, int rightMargin, int bottomMargin);
// Forms "<text> <minute>:<second>:<millisecond>\n" of the current UTC time and, when write is
// set, appends it to "DEBUG.LOG" in the program folder. Returns the line.
std::string DebugTrace(const std::string &text, bool write);
