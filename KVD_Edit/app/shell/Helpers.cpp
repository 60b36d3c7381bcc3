#include "KVD_Edit/app/shell/Helpers.h"

#include "KVD_Edit/app/shell/INIAccess.h"
#include "KVD_Edit/platform/IniFile.h"
#include "KVD_Edit/platform/SettingsFolder.h"
#include "KVD_Edit/platform/WindowSystem.h"
#include "KVD_Edit/platform/WxText.h"
#include "orq_utils/CLocale.h"
#include "orq_utils/MessageSink.h"
#include "orq_utils/Str.h"

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/clipbrd.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/dialog.h>
#include <wx/docmdi.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <sys/time.h>

namespace {

// The comma-separated integers of a text, empty pieces skipped, at most max of them.
std::vector<int> CommaInts(const std::string &text, size_t max) {
    std::vector<std::string> pieces;
    SplitList(text, ",", pieces);
    std::vector<int> values;
    for (const auto &p : pieces) {
        if (values.size() >= max)
            break;
        values.push_back(ParseIntC(p));
    }
    return values;
}

} // namespace

std::string FormatC(const char *format, ...) {
    va_list args;
    va_start(args, format);
    ORQ::CStr out;
    out.vFormat(format, args);
    va_end(args);
    return out;
}

double ParseDoubleC(const std::string &text) {
    return ORQ::AtofC(text.c_str());
}

int ParseIntC(const std::string &text) {
    return ORQ::AtoiC(text.c_str());
}

double RoundToDecimals(const double *x, int n) {
    if (n == 0)
        return std::floor(*x + 0.5);
    // The scale is taken in single precision, as the stored values were always rounded that
    // way; it is exact up to 9 decimals.
    const float scale = std::pow(10.0f, static_cast<float>(n + 1));
    double t = *x * static_cast<double>(scale);
    t = *x < 0 ? t - 5 : t + 5;
    return std::trunc(t / 10) / std::pow(10.0, n);
}

float RoundToDecimalsF(const float *x, int n) {
    if (n == 0)
        return std::floor(*x + 0.5f);
    const float scale = std::pow(10.0f, static_cast<float>(n + 1));
    float t = *x * scale;
    t = *x < 0 ? t - 5 : t + 5;
    return std::trunc(t / 10) / std::pow(10.0f, static_cast<float>(n));
}

std::string FormatFixed3(double value) {
    return FormatC("%.3f", value);
}

std::string FormatWithUnit(double x, int decimals, const char *unit) {
    if (decimals < 0)
        decimals = 15;
    const double scale = std::pow(10.0, decimals);
    const double v = std::floor(x * scale + 0.5) / scale;
    std::string s = FormatC("%0.*f", decimals, v);
    if (unit) {
        s += " ";
        s += unit;
    }
    return s;
}

double ConvertUnits(double value, ORQ::EUnitType from, ORQ::EUnitType to) {
    ORQ::CMeasure measure;
    measure.SetMeasure(value, from);
    return measure.ConvertTo(to).value;
}

ColourRef ParseColour(const std::string &text) {
    std::vector<int> v = CommaInts(text, 3);
    v.resize(3, 0);
    return MakeColourRef(v[0], v[1], v[2]);
}

bool ParsePlacement(const std::string &text, SWindowPlacement &placement) {
    std::vector<int> v = CommaInts(text, 4);
    if (v.size() < 3)
        return false;
    SPlacementRect &r = placement.rcNormalPosition;
    r.left = v[0];
    r.top = v[1];
    r.right = v[2];
    if (v.size() > 3)
        r.bottom = v[3];
    return true;
}

SWindowPlacement GetWindowPlacement(const wxWindow *window) {
    SWindowPlacement p;
    if (!window)
        return p;
    // The frame the window system shows: the toolkit's own position of a top-level window can
    // stand where its inside begins, and a placement stored from it would creep by the frame at
    // every start.
    wxRect r;
    if (!WindowSystem::FrameOnScreen(window, r))
        r = window->GetScreenRect();
    p.rcNormalPosition = {r.x, r.y, r.x + r.width, r.y + r.height};
    return p;
}

void SetWindowPlacement(wxWindow *window, const SWindowPlacement &placement) {
    if (!window)
        return;
    const SPlacementRect &r = placement.rcNormalPosition;
    window->SetSize(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

std::string FormatPlacement(const SWindowPlacement &placement) {
    const SPlacementRect &r = placement.rcNormalPosition;
    return FormatC("%d,%d,%d,%d", r.left, r.top, r.right, r.bottom);
}

bool SaveWindowPlacement(const wxWindow *window, INIAccess &ini, const std::string &section,
                         const std::string &key) {
    if (!window)
        return false;
    return ini.WriteIni(section, key, FormatPlacement(GetWindowPlacement(window)));
}

void SplitPath(const std::string &path, std::string *folder, std::string *name) {
    const size_t sep = path.find_last_of("/\\");
    if (folder)
        *folder = sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
    if (name)
        *name = sep == std::string::npos ? path : path.substr(sep + 1);
}

void SplitList(const std::string &text, const std::string &delimiters,
               std::vector<std::string> &tokens) {
    tokens.clear();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(delimiters, start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            tokens.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

int TrimTrailingZeros(std::string &text) {
    while (text.size() > 1) {
        const char c = text.back();
        if (c != '0')
            return static_cast<unsigned char>(c);
        text.pop_back();
    }
    return 0;
}

bool IsYes(const std::string &text) {
    return text == "Y" || text == "y";
}

SNumericEditCheck CheckNumericText(const std::string &text, bool allowNegative, double min,
                                   double max, int decimals) {
    SNumericEditCheck r;
    r.text = text;
    bool dot = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        bool ok =
            (c >= '0' && c <= '9') || (c == '.' && !dot) || (c == '-' && i == 0 && allowNegative);
        if (c == '.')
            dot = true;
        if (!ok) {
            r.valid = false;
            r.changed = true;
            r.text = text.substr(0, i);
            r.caret = i;
            return r;
        }
    }
    if (text.empty() || (min == -1 && max == -1))
        return r;
    double value = ParseDoubleC(text);
    const double rv = RoundToDecimals(value, decimals);
    const double rmin = RoundToDecimals(min, decimals);
    const double rmax = RoundToDecimals(max, decimals);
    if (rmin <= rv && rv <= rmax)
        return r;
    value = rv < rmin ? min : max;
    r.valid = false;
    r.changed = true;
    r.selectAll = true;
    r.text = FormatC("%.*f", decimals, value);
    r.message = FormatC("Valid values are %.*f to %.*f", decimals, min, decimals, max);
    return r;
}

bool ValidateNumericEdit(wxTextCtrl *edit, bool allowNegative, double min, double max,
                         int decimals) {
    if (!edit)
        return false;
    const SNumericEditCheck r =
        CheckNumericText(FromWx(edit->GetValue()), allowNegative, min, max, decimals);
    if (r.valid)
        return true;
    if (!r.message.empty())
        ORQ::ShowMessage(r.message, ORQ::MB_OK);
    if (r.changed)
        edit->ChangeValue(ToWx(r.text));
    if (r.selectAll) {
        edit->SetSelection(-1, -1);
        edit->ShowPosition(edit->GetLastPosition());
    } else {
        edit->SetSelection(static_cast<long>(r.caret), static_cast<long>(r.caret));
        edit->ShowPosition(static_cast<long>(r.caret));
    }
    return false;
}

void EnableKeepingTheKeyboard(wxWindow *control, bool enable) {
    if (!control || control->IsThisEnabled() == enable)
        return;
    if (!enable && control->HasFocus())
        control->Navigate();
    control->Enable(enable);
}

bool IsCtrlKeyDown() {
    return wxGetKeyState(WXK_CONTROL);
}

bool IsShiftKeyDown() {
    return wxGetKeyState(WXK_SHIFT);
}

wxDocMDIParentFrame *GetMainFrame() {
    if (!wxTheApp)
        return nullptr;
    return dynamic_cast<wxDocMDIParentFrame *>(wxTheApp->GetTopWindow());
}

wxWindow *DialogParent() {
    // A modal dialog takes all input while it runs: the newest one shown is in front.
    wxWindow *modal = nullptr;
    for (wxWindow *window : wxTopLevelWindows)
        if (auto *dialog = dynamic_cast<wxDialog *>(window))
            if (dialog->IsModal() && dialog->IsShown() && !dialog->IsBeingDeleted())
                modal = dialog;
    if (modal)
        return modal;
    // The active window is the one with the keyboard focus; a hidden or closing window would
    // give the box no place to stand.
    wxWindow *active = wxGetTopLevelParent(wxGetActiveWindow());
    if (active && active->IsShown() && !active->IsBeingDeleted())
        return active;
    wxWindow *top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    if (top && top->IsShown() && !top->IsBeingDeleted())
        return top;
    wxWindow *frame = GetMainFrame();
    return frame && frame->IsShown() ? frame : nullptr;
}

wxDocument *GetActiveDoc() {
    wxDocMDIParentFrame *frame = GetMainFrame();
    if (!frame)
        return nullptr;
    auto *child = dynamic_cast<wxDocMDIChildFrame *>(frame->GetActiveChild());
    return child ? child->GetDocument() : nullptr;
}

bool IsImageFile(const std::string &path) {
    wxLogNull quiet;
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxInitAllImageHandlers();
    wxImage image;
    return image.LoadFile(wxString(path.c_str(), *wxConvFileName)) && image.IsOk();
}

void CopyClientToClipboard(wxWindow *window, int rightMargin, int bottomMargin) {
    if (!window)
        return;
    window->Refresh();
    window->Update();
    const wxSize client = window->GetClientSize();
    const int w = client.x - rightMargin;
    const int h = client.y - bottomMargin;
    if (w <= 0 || h <= 0)
        return;
    wxBitmap bitmap(w, h);
    {
        wxClientDC source(window);
        wxMemoryDC memory(bitmap);
        memory.Blit(0, 0, w, h, &source, 0, 0);
    }
    if (wxTheClipboard->Open()) {
        wxTheClipboard->Clear();
        wxTheClipboard->SetData(new wxBitmapDataObject(bitmap));
        wxTheClipboard->Close();
    }
}

std::string DebugTrace(const std::string &text, bool write) {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm utc{};
    const time_t secs = tv.tv_sec;
    gmtime_r(&secs, &utc);
    const std::string line =
        text + FormatC(" %d:%d:%d\n", utc.tm_min, utc.tm_sec, static_cast<int>(tv.tv_usec / 1000));
    if (write) {
        if (FILE *f = std::fopen((GetProgramFolder() + "DEBUG.LOG").c_str(), "ab")) {
            std::fwrite(line.data(), 1, line.size(), f);
            std::fclose(f);
        }
    }
    return line;
}
