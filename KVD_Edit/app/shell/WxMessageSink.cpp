#include "KVD_Edit/app/shell/WxMessageSink.h"

#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/app/shell/KVDVAppLogic.h"
#include "KVD_Edit/platform/WxText.h"

#include <wx/app.h>
#include <wx/msgdlg.h>
#include <wx/window.h>

int CWxMessageSink::Show(const std::string &text, const std::string &caption, unsigned style) {
    long flags = 0;
    switch (style & ORQ::MB_BUTTONMASK) {
    case ORQ::MB_OKCANCEL:
        flags = wxOK | wxCANCEL;
        break;
    case ORQ::MB_YESNO:
        flags = wxYES_NO;
        break;
    case ORQ::MB_YESNOCANCEL:
        flags = wxYES_NO | wxCANCEL;
        break;
    default:
        flags = wxOK;
        break;
    }
    switch (style & ORQ::MB_ICONMASK) {
    case ORQ::MB_ICONERROR:
        flags |= wxICON_ERROR;
        break;
    case ORQ::MB_ICONQUESTION:
        flags |= wxICON_QUESTION;
        break;
    case ORQ::MB_ICONWARNING:
        flags |= wxICON_WARNING;
        break;
    case ORQ::MB_ICONINFORMATION:
        flags |= wxICON_INFORMATION;
        break;
    default:
        break;
    }
    if (style & ORQ::MB_DEFBUTTON2)
        flags |= (flags & wxYES_NO) ? wxNO_DEFAULT : wxCANCEL_DEFAULT;
    // Over the window the person works in, centred on it.
    wxWindow *parent = DialogParent();
    // Messages are the system's 8-bit text, but may quote a path as the file system spells it.
    const wxString title = caption.empty() ? wxString(kProgramTitle) : ToWxQuotingPaths(caption);
    switch (wxMessageBox(ToWxQuotingPaths(text), title, flags | wxCENTRE, parent)) {
    case wxOK:
        return ORQ::IDOK;
    case wxYES:
        return ORQ::IDYES;
    case wxNO:
        return ORQ::IDNO;
    case wxCANCEL:
        return ORQ::IDCANCEL;
    default:
        return ORQ::DefaultAnswer(style);
    }
}
