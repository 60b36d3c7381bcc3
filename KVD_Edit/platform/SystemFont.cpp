#include "KVD_Edit/platform/SystemFont.h"

#include "KVD_Edit/platform/WindowSystem.h"

#include <wx/fontdlg.h>
#include <wx/settings.h>
#include <wx/utils.h>

bool GetSystemFontRecord(SLogFont &out) {
    if (!WindowSystem::IsDisplayOpen())
        return false;
    return SLogFont::FromWxFont(wxSystemSettings::GetFont(wxSYS_SYSTEM_FONT), out);
}

bool PickFontRecord(SLogFont &out) {
    if (!WindowSystem::IsDisplayOpen())
        return false;
    wxFontData data;
    data.EnableEffects(true);
    wxFontDialog dlg(nullptr, data);
    if (dlg.ShowModal() != wxID_OK)
        return false;
    return SLogFont::FromWxFont(dlg.GetFontData().GetChosenFont(), out);
}

void WarningBeep() {
    if (WindowSystem::IsDisplayOpen())
        wxBell();
}
