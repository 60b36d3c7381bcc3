#include "KVD_Edit/app/shell/SplashDlg.h"

#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/platform/SettingsFolder.h"

#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/eventfilter.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/log.h>

#include <sys/stat.h>

namespace {

std::string &ResourceFolder() {
    static std::string folder;
    return folder;
}

bool FileExists(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// CBDialog

CBDialog::CBDialog() {
    Bind(wxEVT_PAINT, &CBDialog::OnPaint, this);
}

CBDialog::~CBDialog() = default;

bool CBDialog::SetBitmapMode(int mode) {
    if (mode < 0 || mode > 3)
        return false;
    m_mode = mode;
    return true;
}

std::string CBDialog::BitmapResourcePath(unsigned id) {
    std::string folder = ResourceFolder().empty() ? GetProgramFolder() : ResourceFolder();
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder + "Hint" + std::to_string(id) + ".png";
}

void CBDialog::SetBitmapResourceFolder(const std::string &folder) {
    ResourceFolder() = folder;
}

int CBDialog::LoadBitmapResource(unsigned id) {
    return LoadBitmapFile(BitmapResourcePath(id));
}

int CBDialog::LoadBitmapFile(const std::string &path) {
    m_bitmap = wxBitmap();
    if (!FileExists(path))
        return 1;
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxLogNull quiet; // a broken file is reported by the result
    wxImage image;
    if (!image.LoadFile(wxString::FromUTF8(path.c_str())) || !image.IsOk())
        return 1;
    m_bitmap = wxBitmap(image);
    return m_bitmap.IsOk() ? 0 : 1;
}

void CBDialog::SetBitmapFile(const std::string &path, int mode) {
    SetBitmapMode(mode);
    if (FileExists(path))
        LoadBitmapFile(path);
}

void CBDialog::OnPaint(wxPaintEvent &) {
    wxPaintDC dc(this);
    if (!m_bitmap.IsOk())
        return;
    const wxSize client = GetClientSize();
    const int w = m_bitmap.GetWidth(), h = m_bitmap.GetHeight();
    switch (m_mode) {
    case 0:
        for (int y = 0; y < client.y; y += h)
            for (int x = 0; x < client.x; x += w)
                dc.DrawBitmap(m_bitmap, x, y);
        break;
    case 2:
        dc.DrawBitmap(
            wxBitmap(m_bitmap.ConvertToImage().Scale(std::max(1, client.x), std::max(1, client.y))),
            0, 0);
        break;
    default:
        dc.DrawBitmap(m_bitmap, w < client.x ? (client.x - w) / 2 : 0,
                      h < client.y ? (client.y - h) / 2 : 0);
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// CSplashDlg

// Sees every event of the program while the hint is open, so that a press in the owner's
// windows closes the hint before anything else handles it.
class CSplashDlg::CInputFilter : public wxEventFilter {
public:
    explicit CInputFilter(CSplashDlg *hint) : m_hint(hint) { wxEvtHandler::AddFilter(this); }
    ~CInputFilter() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent &event) override {
        return m_hint->CloseOnUserInput(event) ? Event_Processed : Event_Skip;
    }

private:
    CSplashDlg *m_hint;
};

CSplashDlg::CSplashDlg(wxWindow *parent) : m_timer(this), m_owner(parent) {
    Bind(wxEVT_TIMER, &CSplashDlg::OnTimer, this);
}

CSplashDlg::~CSplashDlg() {
    m_filter.reset();
    m_timer.Stop();
}

int CSplashDlg::SetBitmap(unsigned id, int mode) {
    SetBitmapMode(mode);
    return LoadBitmapResource(id);
}

SHintRect CSplashDlg::PlaceWindow(int mode, const SHintRect &d, int bw, int bh, bool hasBitmap) {
    SHintRect r = d;
    if (mode == 1) {
        r.left = d.right / 4;
        r.right = d.right - d.right / 4;
        r.top = d.top + (d.bottom - d.top) / 4;
        r.bottom = d.bottom - r.top;
    } else if ((mode == 2 || mode == 3) && hasBitmap) {
        const int cx = mode == 2 ? (d.right - d.left) / 2 : d.left + (d.right - d.left) / 2;
        const int cy = mode == 2 ? (d.bottom - d.top) / 2 : d.top + (d.bottom - d.top) / 2;
        r.left = cx - bw / 2;
        r.top = cy - bh / 2;
        r.right = r.left + bw;
        r.bottom = r.top + bh;
    }
    return r;
}

bool CSplashDlg::Create(int dialogId, wxWindow *owner) {
    KVD_LOG_CALL();
    if (m_created || !HasBitmap())
        return false;
    m_owner = owner;
    if (!wxDialog::Create(owner, dialogId, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                          wxBORDER_SIMPLE | wxSTAY_ON_TOP | wxFRAME_NO_TASKBAR))
        return false;
    m_created = true;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_KEY_DOWN, &CSplashDlg::OnInput, this);
    Bind(wxEVT_LEFT_DOWN, &CSplashDlg::OnInput, this);

    const wxRect screen = wxDisplay(0u).GetGeometry();
    const SHintRect desktop{screen.x, screen.y, screen.x + screen.width, screen.y + screen.height};
    const SHintRect r = PlaceWindow(GetBitmapMode(), desktop, m_bitmap.GetWidth(),
                                    m_bitmap.GetHeight(), HasBitmap());
    SetSize(r.left, r.top, r.right - r.left, r.bottom - r.top);
    m_filter = std::make_unique<CInputFilter>(this);
    Show();
    Raise();
    Refresh();
    m_timer.StartOnce(kShowMilliseconds);
    return true;
}

bool CSplashDlg::IsOwnersEvent(const wxEvent &event) const {
    auto *window = dynamic_cast<wxWindow *>(event.GetEventObject());
    if (!window)
        return false;
    wxWindow *top = wxGetTopLevelParent(window);
    return top == this || (m_owner && top == wxGetTopLevelParent(m_owner));
}

bool CSplashDlg::CloseOnUserInput(const wxEvent &event) {
    if (!IsOpen())
        return false;
    const wxEventType type = event.GetEventType();
    const bool press = type == wxEVT_KEY_DOWN || type == wxEVT_LEFT_DOWN ||
                       type == wxEVT_RIGHT_DOWN || type == wxEVT_MIDDLE_DOWN ||
                       type == wxEVT_AUX1_DOWN || type == wxEVT_AUX2_DOWN;
    if (!press || !IsOwnersEvent(event))
        return false;
    OnCancel();
    return true;
}

void CSplashDlg::OnInput(wxEvent &event) {
    if (!CloseOnUserInput(event))
        event.Skip();
}

void CSplashDlg::OnTimer(wxTimerEvent &) {
    OnCancel();
}

void CSplashDlg::OnCancel() {
    KVD_LOG_CALL();
    m_timer.Stop();
    if (m_closed)
        return;
    m_closed = 1;
    // The filter goes later: this may run inside its own FilterEvent.
    CallAfter([this] { m_filter.reset(); });
    if (m_owner) {
        wxCommandEvent closed(wxEVT_MENU, kClosedCommand);
        wxPostEvent(m_owner, closed);
    }
    Hide();
}

// ---------------------------------------------------------------------------------------------
// CHintSlot

CHintSlot::~CHintSlot() {
    Reset();
}

void CHintSlot::Reset() {
    if (CSplashDlg *hint = m_hint.get()) {
        hint->OnCancel();
        hint->Destroy();
    }
    m_hint = nullptr;
}

CSplashDlg *CHintSlot::Show(wxWindow *owner, unsigned id, int mode) {
    Reset();
    auto *hint = new CSplashDlg(nullptr);
    hint->SetBitmap(id, mode);
    if (!hint->Create(CSplashDlg::kDialogId, owner)) {
        delete hint; // never created as a window
        return nullptr;
    }
    m_hint = hint;
    return hint;
}
