#include "KVD_Edit/platform/SystemFont.h"

#include <wx/fontdlg.h>
#include <wx/settings.h>
#include <wx/utils.h>

#include <dlfcn.h>

bool IsToolkitReady() {
    // GTK opens its default display when the application initialises; until then (and in
    // programs without a wxApp) no toolkit call that needs a display may run. The lookup goes
    // through the already loaded GDK library rather than linking it directly.
    using DisplayFn = void *(*)();
    static DisplayFn fn =
        reinterpret_cast<DisplayFn>(dlsym(RTLD_DEFAULT, "gdk_display_get_default"));
    return fn && fn() != nullptr;
}

bool GetSystemFontRecord(SLogFont &out) {
    if (!IsToolkitReady())
        return false;
    return SLogFont::FromWxFont(wxSystemSettings::GetFont(wxSYS_SYSTEM_FONT), out);
}

bool PickFontRecord(SLogFont &out) {
    if (!IsToolkitReady())
        return false;
    wxFontData data;
    data.EnableEffects(true);
    wxFontDialog dlg(nullptr, data);
    if (dlg.ShowModal() != wxID_OK)
        return false;
    return SLogFont::FromWxFont(dlg.GetFontData().GetChosenFont(), out);
}

void WarningBeep() {
    if (IsToolkitReady())
        wxBell();
}
