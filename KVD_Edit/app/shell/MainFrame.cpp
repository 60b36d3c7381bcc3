#include "KVD_Edit/app/shell/MainFrame.h"

#include "KVD_Edit/app/shell/CodeLogger.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/platform/SettingsFolder.h"
#include "KVD_Edit/platform/WindowSystem.h"
#include "KVD_Edit/platform/WxText.h"

#include "orq_utils/MessageSink.h"

#include <wx/accel.h>
#include <wx/bmpbndl.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/docview.h>
#include <wx/filefn.h>
#include <wx/filehistory.h>
#include <wx/menu.h>
#include <wx/settings.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

using namespace KVDCmd;

namespace {
constexpr int W(int command) {
    return ToWxId(command);
}
} // namespace

namespace {

// A small toolbar image with a short label: the last resort when a picture is missing.
wxBitmap LabelBitmap(const char *label) {
    wxBitmap bitmap(19, 18, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetPen(*wxGREY_PEN);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(0, 0, 19, 18);
    dc.SetFont(wxFontInfo(7).Family(wxFONTFAMILY_SWISS));
    dc.SetTextForeground(*wxBLACK);
    const wxSize extent = dc.GetTextExtent(label);
    dc.DrawText(label, (19 - extent.x) / 2, (18 - extent.y) / 2);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

// One of our own pictures beside the program (scripts/make_toolbar_images.py draws them):
// "Tool<name>.png" and, for screens at twice the density, "Tool<name>@2x.png".
wxBitmapBundle OwnPicture(const char *name, const char *fallback) {
    const std::string base = GetProgramFolder() + "Tool" + name;
    wxVector<wxBitmap> sizes;
    for (const char *suffix : {".png", "@2x.png"}) {
        const wxString path = wxString::FromUTF8((base + suffix).c_str());
        if (!wxFileExists(path))
            continue;
        wxBitmap bitmap(path, wxBITMAP_TYPE_PNG);
        if (bitmap.IsOk())
            sizes.push_back(bitmap);
    }
    return sizes.empty() ? wxBitmapBundle(LabelBitmap(fallback))
                         : wxBitmapBundle::FromBitmaps(sizes);
}

wxMenu *CreateHelpMenu() {
    auto *help = new wxMenu();
    // F1 and Shift+F1 as the menu's own keys as well: without a project no window of the frame
    // holds the focus, and the frame's key table is then never asked. With a project the
    // focused window hands the key to that table first, which takes it.
    wxMenuItem *topics = help->Append(W(ID_HELP_FINDER), "&Help Topics\tF1");
    topics->AddExtraAccel(wxAcceleratorEntry(wxACCEL_SHIFT, WXK_F1, W(ID_HELP_FINDER)));
    help->Append(W(ID_HELP_CONTACTINFO), "Brenwick &contact information...");
    help->AppendCheckItem(W(ID_HELP_TROUBLESHOOTINGMODE), "&Diagnostic Mode",
                          "Toggle troubleshooting mode. In troubleshooting mode program execution "
                          "is logged to assist in problem resolution.");
    help->Append(W(ID_APP_ABOUT), "&About KVD_View...");
    return help;
}

wxMenu *CreateDisplayUnitsMenu() {
    auto *units = new wxMenu();
    units->AppendCheckItem(W(ID_DISPLAYUNITS_METERS), "&meters");
    units->AppendCheckItem(W(ID_DISPLAYUNITS_FEET), "&feet");
    return units;
}

// Gives the File menu its recent files, between the two separators that stand above Close and
// Exit; called once the menu is complete.
void AddRecentFiles(wxMenu *file, wxDocManager *manager) {
    if (manager && manager->GetFileHistory()) {
        manager->FileHistoryUseMenu(file);
        manager->FileHistoryAddFilesToMenu(file);
    }
}

} // namespace

CMainFrame::CMainFrame() = default;

bool CMainFrame::Create(wxDocManager *manager) {
    if (!wxDocMDIParentFrame::Create(manager, nullptr, wxID_ANY, kProgramTitle, wxDefaultPosition,
                                     wxSize(1000, 700)))
        return false;
    ShowAtOnce();
    SetMenuBar(CreateFrameMenuBar(manager));
    const wxString icon = wxString::FromUTF8((GetProgramFolder() + "KVD_Edit.svg").c_str());
    if (wxFileExists(icon)) {
        const wxBitmapBundle bundle = wxBitmapBundle::FromSVGFile(icon, wxSize(32, 32));
        if (bundle.IsOk())
            SetIcon(bundle.GetIcon(wxSize(32, 32)));
    }
    if (!CreateToolBarWithButtons())
        return false;
    wxStatusBar *status = CreateStatusBar(3);
    if (!status)
        return false;
    const int widths[3] = {-1, 0, 0};
    const int styles[3] = {wxSB_NORMAL, wxSB_FLAT, wxSB_FLAT};
    status->SetStatusWidths(3, widths);
    status->SetStatusStyles(3, styles);
    SetStatusBarPane(0);

    std::vector<wxAcceleratorEntry> keys = AcceleratorEntries();
    SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(keys.size()), keys.data()));

    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnClose, this);
    Bind(wxEVT_IDLE, &CMainFrame::OnIdle, this);
    // The window manager maximises and minimises the frame; its normal placement is kept from
    // what was seen before.
    const auto changed = [this](auto &event) {
        m_placementChanged = true;
        event.Skip();
    };
    m_readTimer.SetOwner(this);
    Bind(wxEVT_TIMER, &CMainFrame::OnReadTimer, this, m_readTimer.GetId());
    Bind(wxEVT_SIZE, changed);
    Bind(wxEVT_MOVE, changed);
    Bind(wxEVT_MAXIMIZE, changed);
    Bind(wxEVT_ICONIZE, changed);
    Bind(wxEVT_MENU_OPEN, &CMainFrame::OnMenuOpen, this);
    Bind(wxEVT_DROP_FILES, &CMainFrame::OnDropFiles, this);
    Bind(wxEVT_MENU, &CMainFrame::OnHelpContactinfo, this, W(ID_HELP_CONTACTINFO));
    Bind(wxEVT_MENU, &CMainFrame::OnRecentFile, this, W(ID_FILE_MRU_FILE1),
         W(ID_FILE_MRU_FILE1) + 3);
    for (int id : std::initializer_list<int>{W(ID_FILE_NEW), W(ID_FILE_OPEN), W(ID_FILE_CLOSE),
                                             W(ID_APP_EXIT), W(ID_APP_ABOUT), W(ID_HELP_FINDER),
                                             W(ID_HELP), W(ID_CONTEXT_HELP), W(ID_DEFAULT_HELP),
                                             W(ID_HELP_TROUBLESHOOTINGMODE), W(ID_VOSTREL),
                                             W(ID_VIEW_TOOLBAR), W(ID_VIEW_STATUS_BAR)})
        Bind(wxEVT_MENU, &CMainFrame::OnCommand, this, id);
    for (int id : std::initializer_list<int>{W(ID_HELP_TROUBLESHOOTINGMODE), W(ID_VIEW_TOOLBAR),
                                             W(ID_VIEW_STATUS_BAR), W(ID_FILE_CLOSE)})
        Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateCommand, this, id);
    for (int id : kDocumentCommands)
        Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateProjectCommand, this, W(id));
    for (int id : kProjectFrameCommands)
        Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateProjectCommand, this, W(id));
    return true;
}

void CMainFrame::ShowAtOnce() {
    // Under a window manager the toolkit holds back a new window's first showing until the
    // manager reports its decoration sizes, and meanwhile lays the window out at its
    // placeholder size of 2 x 1 pixels: every notebook, toolbar and menu bar in it is then
    // allocated less than its minimum, and GTK prints a critical or a warning for each. Shown
    // at once, the window is laid out at its own size from the start; the decoration sizes
    // arrive afterwards (RestorePlacement then gives the stored outer size again).
    WindowSystem::ShowAtOnce(this);
}

bool CMainFrame::DecorationsKnown() const {
    return WindowSystem::FrameSizesKnown(this);
}

void CMainFrame::RestorePlacement(const wxRect &outer) {
    SetSize(outer);
    // Shown at once, a new frame learns its decorations' sizes from the window manager only
    // after it is on the screen, and the toolkit meanwhile takes an outer size for the inside
    // of the frame: the frame would come up larger by the decorations at every start.
    m_pendingOuterSize = DecorationsKnown() ? wxDefaultSize : outer.GetSize();
    // The toolkit tells of a size it was asked for only when it differs from the one it took.
    m_placementChanged = true;
}

void CMainFrame::DoGiveHelp(const wxString &text, bool show) {
    // The status bar draws a new text at once, and the whole frame with it. A project's window
    // just added to the frame (File > New from the toolbar: the pointer is back over the button
    // when the file dialog goes) has no size until the toolkit's next layout, and drawn before it
    // its tab would be drawn with a negative one. The help text waits for the events pending,
    // which come after that layout.
    CallAfter([this, text, show] { wxDocMDIParentFrame::DoGiveHelp(text, show); });
}

CNormalPlacement::EState CMainFrame::PlacementState() const {
    if (IsIconized())
        return CNormalPlacement::MINIMISED;
    return IsMaximized() || IsFullScreen() ? CNormalPlacement::MAXIMISED : CNormalPlacement::NORMAL;
}

void CMainFrame::WatchPlacement() {
    // The window manager may take a while to follow a change, and its last step may come without
    // an event of the toolkit's: the frame read from the window system right after a change may
    // still be the one before. So the frame is read a while after the program had events (at
    // once after a move, size or state change) and then every kReadEveryMs for kFollowMs after
    // the last change, or for as long as it keeps changing: the last reading is the frame as it
    // came to stand. The reading's own timer event asks for no reading.
    if (m_readerWoke) {
        m_readerWoke = false;
        if (!m_placementChanged)
            return;
    }
    if (m_placementChanged) {
        m_lastChange = CNormalPlacement::Clock::now();
        m_readTimer.Stop();
    }
    if (!m_readTimer.IsRunning())
        m_readTimer.StartOnce(m_placementChanged ? 1 : kReadEveryMs);
    m_placementChanged = false;
}

void CMainFrame::OnReadTimer(wxTimerEvent &) {
    m_readerWoke = true;
    if (!IsShown())
        return;
    const SPlacementRect frame = GetWindowPlacement(this).rcNormalPosition;
    const CNormalPlacement::EState state = PlacementState();
    const auto now = CNormalPlacement::Clock::now();
    const bool moving = frame != m_lastFrame || state != m_lastState;
    m_lastFrame = frame;
    m_lastState = state;
    m_normalPlacement.Observe(frame, state, now);
    if (moving || now - m_lastChange < std::chrono::milliseconds(kFollowMs))
        m_readTimer.StartOnce(kReadEveryMs);
}

SWindowPlacement CMainFrame::GetNormalPlacement() const {
    SWindowPlacement placement = GetWindowPlacement(this);
    if (PlacementState() != CNormalPlacement::NORMAL && m_normalPlacement.Known())
        placement.rcNormalPosition = m_normalPlacement.Normal();
    return placement;
}

void CMainFrame::OnIdle(wxIdleEvent &event) {
    // The decorations' sizes come in a property change of the window manager's, which moves the
    // toolkit's outer size without a size event when the inside keeps its size: the stored
    // outer size is given again at the first idle time after they are known, whatever order the
    // manager's and the toolkit's events came in.
    if (m_pendingOuterSize != wxDefaultSize && DecorationsKnown()) {
        const wxSize wanted = m_pendingOuterSize;
        m_pendingOuterSize = wxDefaultSize;
        if (GetSize() != wanted) {
            const SPlacementRect before = GetWindowPlacement(this).rcNormalPosition;
            SetSize(wanted);
            // On a slow machine the manager may maximise the frame before the program reads
            // the corrected one: the size asked for is the normal frame from now on.
            if (PlacementState() == CNormalPlacement::NORMAL)
                m_normalPlacement.Requested({before.left, before.top, before.left + wanted.x,
                                             before.top + wanted.y},
                                            before, CNormalPlacement::Clock::now());
        }
        // Neither the decorations' coming nor a size asked for here comes with a size event.
        m_placementChanged = true;
    }
    WatchPlacement();
    event.Skip();
}

std::vector<wxAcceleratorEntry> CMainFrame::AcceleratorEntries() {
    return {
        {wxACCEL_NORMAL, WXK_F1, W(ID_HELP)},
        {wxACCEL_SHIFT, WXK_F1, W(ID_CONTEXT_HELP)},
        {wxACCEL_NORMAL, WXK_F5, W(ID_EDIT_KVD)},
        // Printing belongs to the project's plan view; without a project nothing takes it.
        {wxACCEL_CTRL, 'P', W(ID_FILE_PRINT)},
        // The project's frame moves the keyboard between its grid and its plan view.
        {wxACCEL_NORMAL, WXK_F6, W(ID_NEXT_PANE)},
        {wxACCEL_SHIFT, WXK_F6, W(ID_PREV_PANE)},
    };
}

bool CMainFrame::CreateToolBarWithButtons() {
    wxToolBar *bar = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT);
    if (!bar)
        return false;
    AddToolButtons(bar);
    return bar->Realize();
}

void CMainFrame::AddToolButtons(wxToolBar *bar) {
    // Every picture is our own: the desktop theme draws its open, new, help and zoom icons pale
    // at this size, so that enabled they would look disabled.
    bar->SetToolBitmapSize(wxSize(19, 18));
    bar->AddTool(W(ID_FILE_OPEN), "Open", OwnPicture("Open", "Op"), "Open");
    bar->AddTool(W(ID_FILE_NEW), "New", OwnPicture("New", "New"), "New");
    bar->AddTool(W(ID_FILE_SAVE), "Save", OwnPicture("Save", "Sv"), "Save");
    bar->AddSeparator();
    bar->AddTool(W(ID_IMPORT_LINES), "Import lines", OwnPicture("Import", "+"),
                 "Import Lines into KVD");
    bar->AddTool(W(ID_DELETE_LINES), "Delete lines", OwnPicture("Delete", "X"),
                 "Delete currently selected line(s) from the KVD.");
    bar->AddSeparator();
    bar->AddTool(W(ID_EDIT_KVD), "Edit", OwnPicture("Edit", "Ed"),
                 "Edit Current Line or Selected Lines");
    bar->AddTool(W(ID_LOCAL_WORLD_DEFINITION), "Local-Global relationship",
                 OwnPicture("LocalGlobal", "LG"), "Local-Global Coordinates Relationship");
    bar->AddSeparator();
    bar->AddTool(W(ID_DISPLAYUNITS_METERS), "metres", OwnPicture("Metres", "m"),
                 "Display units: meters");
    bar->AddTool(W(ID_DISPLAYUNITS_FEET), "feet", OwnPicture("Feet", "ft"), "Display units: feet");
    bar->AddSeparator();
    bar->AddTool(W(ID_LINE_SETTINGS), "Line settings", OwnPicture("LineSettings", "LS"),
                 "Line Settings");
    bar->AddTool(W(ID_VIEW_DISPLAY_FIDUCIALS), "Display fiducials", OwnPicture("Fiducials", "F"),
                 "Display Fiducials");
    bar->AddSeparator();
    bar->AddTool(W(ID_ZOOM_OUT), "Zoom out", OwnPicture("ZoomOut", "-"), "Zoom Out");
    bar->AddTool(W(ID_ZOOM_IN), "Zoom in", OwnPicture("ZoomIn", "+"), "Zoom In");
    bar->AddTool(W(ID_ZOOM_AREA), "Zoom area", OwnPicture("ZoomArea", "[ ]"), "Zoom: Select Area");
    bar->AddTool(W(ID_ZOOM_FIT), "Fit to window", OwnPicture("ZoomFit", "Fit"),
                 "Zoom: Fit to Window");
    bar->AddTool(W(ID_PAN), "Pan", OwnPicture("Pan", "Pan"), "Pan");
    bar->AddSeparator();
    bar->AddTool(W(ID_HELP_FINDER), "Help Topics", OwnPicture("Help", "?"), "Help Topics");
}

wxMenuBar *CMainFrame::CreateFrameMenuBar(wxDocManager *manager) {
    auto *file = new wxMenu();
    file->Append(W(ID_FILE_NEW), "Create &New KVD for Grid Lines...\tCtrl+N");
    file->Append(W(ID_FILE_OPEN), "&Open...\tCtrl+O");
    file->AppendSeparator();
    file->AppendSeparator();
    file->Append(W(ID_FILE_CLOSE), "&Close");
    file->Append(W(ID_APP_EXIT), "E&xit");
    AddRecentFiles(file, manager);

    auto *view = new wxMenu();
    view->Append(W(ID_DISPLAYUNITS_MENU), "Display &Units", CreateDisplayUnitsMenu());
    view->AppendCheckItem(W(ID_VIEW_TOOLBAR), "&Toolbar");
    view->AppendCheckItem(W(ID_VIEW_STATUS_BAR), "&Status Bar");

    auto *bar = new wxMenuBar();
    bar->Append(file, "&File");
    bar->Append(view, "&View");
    bar->Append(CreateHelpMenu(), "&Help");
    return bar;
}

wxMenuBar *CMainFrame::CreateDocumentMenuBar(wxDocManager *manager) {
    auto *file = new wxMenu();
    file->Append(W(ID_FILE_NEW), "Create &New KVD for Grid Lines...\tCtrl+N");
    file->Append(W(ID_FILE_OPEN), "&Open...\tCtrl+O");
    file->Append(W(ID_FILE_CLOSE), "&Close");
    file->Append(W(ID_FILE_SAVE), "&Save KVD\tCtrl+S");
    file->Append(W(ID_FILE_SAVE_AS), "Save KVD &As...");
    file->AppendSeparator();
    file->AppendSeparator();
    file->Append(W(ID_APP_EXIT), "E&xit");
    AddRecentFiles(file, manager);

    // The keys after the tab are the frame's accelerators: they reach the command from every
    // window of the project's frame (the grid and the plan view post the same commands for
    // the keys they are given first).
    auto *edit = new wxMenu();
    edit->Append(W(ID_IMPORT_LINES), "&Import Line(s)...\tIns", "Import Lines into KVD");
    edit->Append(W(ID_DELETE_LINES), "Delete &Line(s)\tDel",
                 "Delete currently selected line(s) from the KVD file.");
    edit->AppendSeparator();
    edit->Append(W(ID_EDIT_KVD), "&Edit KVD File\tF5", "Edit current line or selected lines");
    edit->Append(W(ID_SELECT_ALL_LINES), "Select &All Lines\tCtrl+A",
                 "Select or press Ctrl A to select all Lines");
    edit->Append(W(ID_DESELECT_ALL_LINES), "&Deselect All Lines\tCtrl+D",
                 "Deselect or press Ctrl D to deselect all Lines");
    edit->Append(W(ID_IMPORT_FIDUCIALS), "Re-import &Fiducials",
                 "Update edited fiducial text into the KVD File");
    edit->AppendSeparator();
    edit->Append(W(ID_LOCAL_WORLD_DEFINITION), "&Local-Global Coordinates Relationship");
    auto *gps = new wxMenu();
    gps->Append(W(ID_EDIT_GPS_ATTACH), "&Attach to Line");
    gps->Append(W(ID_EDIT_GPS_DETACH), "&Detach from Line");
    gps->Append(W(ID_EDIT_GPS_MERGE), "&Merge to Line");
    gps->Append(W(ID_EDIT_GPS_REMOVE), "R&emove from Line");
    gps->Append(W(ID_EDIT_GPS_RECOVER), "&Recover");
    edit->AppendSubMenu(gps, "GPS Data");
    auto *topo = new wxMenu();
    topo->Append(W(ID_EDIT_TOPO_ATTACH), "&Attach to line");
    topo->Append(W(ID_EDIT_TOPO_DETACH), "&Detach from line");
    topo->Append(W(ID_EDIT_TOPO_MERGE), "&Merge to Line");
    topo->Append(W(ID_EDIT_TOPO_REMOVE), "R&emove from Line");
    topo->Append(W(ID_EDIT_TOPO_MERGE_GPS_ELEVATION), "Merge &GPS Elevation to line");
    topo->Append(W(ID_EDIT_TOPO_RECOVER), "&Recover");
    edit->AppendSubMenu(topo, "Topo Data");
    edit->Append(W(ID_EDIT_GPS_FORMAT), "GPS Format");

    auto *view = new wxMenu();
    view->Append(W(ID_DISPLAYUNITS_MENU), "Display &Units", CreateDisplayUnitsMenu());
    view->AppendCheckItem(W(ID_VIEW_DISPLAY_FIDUCIALS), "Display Fiducials");
    view->AppendCheckItem(W(ID_VIEW_FIDUCIAL_TEXT), "Fiducial With Text");
    auto *zoom = new wxMenu();
    zoom->Append(W(ID_ZOOM_FIT), "&Fit to Window");
    zoom->AppendCheckItem(W(ID_ZOOM_AREA), "Select &Area");
    zoom->Append(W(ID_ZOOM_IN), "&In");
    zoom->Append(W(ID_ZOOM_OUT), "&Out");
    view->AppendSubMenu(zoom, "&Zoom");
    view->AppendCheckItem(W(ID_PAN), "&Pan");
    view->Append(W(ID_LINE_SETTINGS), "Line &Settings");
    view->AppendSeparator();
    view->AppendCheckItem(W(ID_VIEW_TOOLBAR), "&Toolbar");
    view->AppendCheckItem(W(ID_VIEW_STATUS_BAR), "&Status Bar");

    auto *bar = new wxMenuBar();
    bar->Append(file, "&File");
    bar->Append(edit, "&Edit");
    bar->Append(view, "&View");
    bar->Append(CreateHelpMenu(), "&Help");
    return bar;
}

void CMainFrame::ApplyAboutLabel(wxMenuBar *menuBar) {
    if (menuBar && menuBar->FindItem(W(ID_APP_ABOUT)))
        menuBar->SetLabel(W(ID_APP_ABOUT), wxString("&About ") + kProgramTitle);
}

void CMainFrame::SetStatusText(int pane, const char *text) {
    if (pane < 0 || pane > 2)
        return;
    m_paneText[pane] = text ? text : "";
    wxStatusBar *status = GetStatusBar();
    if (!status)
        return;
    if (pane > 0) {
        int width = 0;
        if (!m_paneText[pane].empty()) {
            // Measured in the status bar's own font.
            width = status->GetTextExtent(ToWx(m_paneText[pane])).x + 2 * status->GetBorderX() + 8;
            // The last pane shares its room with the frame's size grip (as wide as the bar is
            // high), which would otherwise cut the end of the world-coordinate text.
            if (pane == 2)
                width += status->GetSize().GetHeight();
        }
        int widths[3] = {-1, 0, 0};
        int styles[3] = {wxSB_NORMAL, wxSB_FLAT, wxSB_FLAT};
        for (int i = 1; i < 3; ++i) {
            const int w =
                i == pane ? width : (m_paneText[i].empty() ? 0 : status->GetStatusWidth(i));
            widths[i] = w;
            styles[i] = w != 0 ? wxSB_NORMAL : wxSB_FLAT;
        }
        // The status bar redraws a pane whose text changes; a pane without room has a negative
        // inside (its borders), which the drawing library reports as a fault. The text is set
        // while the pane has room: before it shrinks to nothing, after it grows.
        const wxString shown = ToWx(m_paneText[pane]);
        const bool hadRoom = status->GetStatusWidth(pane) != 0;
        if (width == 0 && hadRoom)
            wxFrame::SetStatusText(shown, pane);
        status->SetStatusWidths(3, widths);
        status->SetStatusStyles(3, styles);
        if (width != 0)
            wxFrame::SetStatusText(shown, pane);
    } else if (!m_paneText[0].empty()) {
        wxFrame::SetStatusText(ToWx(m_paneText[0]), 0);
    }
}

std::string CMainFrame::GetPaneText(int pane) const {
    return pane >= 0 && pane <= 2 ? m_paneText[pane] : std::string();
}

std::string CMainFrame::GetContactText() {
    return "Brenwick, Inc.\n"
           "1450 Quarry Lane\n"
           "Kingston, Ontario, Canada\n"
           "K7L 0A1\n"
           "Attn: Customer Service\n"
           "\n"
           "support@brenwick.example    www.brenwick.example\n"
           "Tel: 613-555-0142, Toll free: 1-800-555-0142, International: +1-613-555-0142\n"
           "Fax: 613-555-0143";
}

void CMainFrame::OnClose(wxCloseEvent &event) {
    KVD_LOG_CALL();
    // The frame as the toolkit knows it now: the last timed reading may be older than the
    // manager's last change.
    if (IsShown())
        m_normalPlacement.Observe(GetWindowPlacement(this).rcNormalPosition, PlacementState(),
                                  CNormalPlacement::Clock::now());
    if (CKVDVApp *app = GetKVDVApp())
        app->GetINIAccess().WriteIni("GENERAL", "Window Position",
                                     FormatPlacement(GetNormalPlacement()));
    {
        // The documents close here, each asking to save, while the program knows a close is
        // under way: a termination request meanwhile leaves the answer to the person.
        const CKVDVApp::CCloseUnderWay closing;
        if (wxDocManager *manager = GetDocumentManager();
            manager && !manager->CloseDocuments(!event.CanVeto())) {
            event.Veto();
            return;
        }
    }
    event.Skip(); // the document frame's close finds no document left; then the window goes
}

void CMainFrame::OnMenuOpen(wxMenuEvent &event) {
    ApplyAboutLabel(GetMenuBar());
    event.Skip();
}

void CMainFrame::OnHelpContactinfo(wxCommandEvent &) {
    KVD_LOG_CALL();
    ORQ::ShowMessage(GetContactText(), ORQ::MB_OK | ORQ::MB_ICONINFORMATION, kContactCaption);
}

void CMainFrame::OnDropFiles(wxDropFilesEvent &event) {
    CKVDVApp *app = GetKVDVApp();
    if (!app)
        return;
    for (int i = 0; i < event.GetNumberOfFiles(); ++i)
        app->OpenDocumentFile(PathFromWx(event.GetFiles()[i]));
}

void CMainFrame::OnRecentFile(wxCommandEvent &event) {
    if (CKVDVApp *app = GetKVDVApp())
        app->OnOpenRecentFile(static_cast<size_t>(FromWxId(event.GetId()) - ID_FILE_MRU_FILE1));
}

void CMainFrame::OnCommand(wxCommandEvent &event) {
    CKVDVApp *app = GetKVDVApp();
    switch (FromWxId(event.GetId())) {
    case ID_VIEW_TOOLBAR:
        if (wxToolBar *bar = GetToolBar()) {
            bar->Show(!bar->IsShown());
            SendSizeEvent();
        }
        return;
    case ID_VIEW_STATUS_BAR:
        if (wxStatusBar *status = GetStatusBar()) {
            status->Show(!status->IsShown());
            SendSizeEvent();
        }
        return;
    case ID_APP_EXIT:
        Close();
        return;
    case ID_FILE_CLOSE:
        if (wxDocument *doc = GetDocumentManager()->GetCurrentDocument())
            GetDocumentManager()->CloseDocument(doc);
        return;
    default:
        break;
    }
    if (!app)
        return;
    switch (FromWxId(event.GetId())) {
    case ID_FILE_NEW:
        app->OnFileNew();
        break;
    case ID_FILE_OPEN:
        app->OnFileOpen();
        break;
    case ID_APP_ABOUT:
        app->OnAppAbout();
        break;
    case ID_HELP_FINDER:
    case ID_HELP:
    case ID_CONTEXT_HELP:
    case ID_DEFAULT_HELP:
        app->OnHelpFinder();
        break;
    case ID_HELP_TROUBLESHOOTINGMODE:
        app->OnHelpTroubleshootingmode();
        break;
    case ID_VOSTREL:
        app->OnVostrel();
        break;
    default:
        break;
    }
}

// A project's commands reach the main frame when no project's frame took them: without an open
// project every one of them is disabled (and none is ticked); with one they are left as its
// own rules set them.
void CMainFrame::OnUpdateProjectCommand(wxUpdateUIEvent &event) {
    wxDocManager *manager = GetDocumentManager();
    if (manager && manager->GetCurrentDocument()) {
        event.Skip();
        return;
    }
    event.Enable(false);
    if (event.IsCheckable())
        event.Check(false);
}

void CMainFrame::OnUpdateCommand(wxUpdateUIEvent &event) {
    switch (FromWxId(event.GetId())) {
    case ID_HELP_TROUBLESHOOTINGMODE: {
        CKVDVApp *app = GetKVDVApp();
        event.Check(app && app->IsDiagnosticModeChecked());
        break;
    }
    case ID_VIEW_TOOLBAR:
        event.Check(GetToolBar() && GetToolBar()->IsShown());
        break;
    case ID_VIEW_STATUS_BAR:
        event.Check(GetStatusBar() && GetStatusBar()->IsShown());
        break;
    case ID_FILE_CLOSE:
        event.Enable(GetDocumentManager() && GetDocumentManager()->GetCurrentDocument());
        break;
    default:
        break;
    }
}
