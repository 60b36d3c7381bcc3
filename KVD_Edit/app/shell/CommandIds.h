#pragma once

// Command ids, view update hints and frame ids of the editor. The numbers are the program's own
// command numbers: menus, toolbar buttons, accelerators and posted commands all use them, so a
// command reads the same wherever it is sent from. Every window of the editor takes its ids from
// here; add new ones here too.
//
// wxWidgets takes menu and window ids below 32767 only, so the toolkit carries the numbers from
// 32768 and from 57000 in two ranges of its own: give a command to the toolkit (Append, AddTool,
// Bind, FindItem, wxCommandEvent) as ToWxId(command) and read an event's id back with
// FromWxId(event.GetId()).

namespace KVDCmd {

constexpr int ToWxId(int command) {
    return command >= 57000 && command < 60000   ? command - 57000 + 9000
           : command >= 32768 && command < 33768 ? command - 32768 + 8000
                                                 : command;
}
constexpr int FromWxId(int id) {
    return id >= 9000 && id < 12000  ? id - 9000 + 57000
           : id >= 8000 && id < 9000 ? id - 8000 + 32768
                                     : id;
}

// Framework commands (file, window and help handling of the document framework).
enum : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_DIRECT = 57608,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_MRU_FILE1 = 57616, // the four recent files: 57616 to 57619
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57667,
    ID_CONTEXT_HELP = 57669,
    ID_HELP = 57670,
    ID_DEFAULT_HELP = 57671,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};

// Commands of the editor.
enum : int {
    ID_KVDEDIT_EXIT_OK = 32771,     // edit dialog closed with OK (nothing sends it)
    ID_KVDEDIT_EXIT_CANCEL = 32772, // edit dialog cancelled (nothing sends it)
    ID_RELOAD_NO_ERRORS = 32774,    // reload the grid keeping the selection, no error report
    ID_DISPLAYUNITS_METERS = 32779,
    ID_DISPLAYUNITS_FEET = 32780,
    ID_VOSTREL = 32781, // launch of the feedback program (nothing sends it)
    ID_HELP_CONTACTINFO = 32784,
    ID_IMPORT_LINES = 32785,             // Insert key
    ID_DELETE_LINES = 32786,             // Delete key
    ID_RELOAD_REPORT_ERRORS = 32792,     // reload with error report, posted after opening a project
    ID_HELP_TROUBLESHOOTINGMODE = 32793, // Diagnostic Mode
    ID_REFRESH_EDIT_DLG = 32795,         // refresh the editing dialog when it is open
    ID_EDIT_KVD = 32796,                 // the editing dialog (F5)
    ID_UPDATE_FROM_EDIT_DLG = 32797,
    ID_VIEW_FIDUCIAL_TEXT = 32803,
    ID_SELECT_ALL_LINES = 32805, // Ctrl+A
    ID_VIEW_DISPLAY_FIDUCIALS = 32806,
    ID_IMPORT_FIDUCIALS = 32810,
    ID_ZOOM_OUT = 32814,
    ID_ZOOM_IN = 32815,
    ID_ZOOM_AREA = 32816,
    ID_ZOOM_FIT = 32817,
    ID_PAN = 32818,
    ID_LOCAL_WORLD_DEFINITION = 32837,
    ID_LINE_SETTINGS = 32838,
    ID_EDIT_GPS_ATTACH = 32841,
    ID_EDIT_GPS_DETACH = 32843,
    ID_EDIT_TOPO_ATTACH = 32846,
    ID_EDIT_GPS_RECOVER = 32847,
    ID_EDIT_TOPO_DETACH = 32848,
    ID_EDIT_TOPO_RECOVER = 32849,
    ID_EDIT_TOPO_MERGE = 32850,
    ID_EDIT_GPS_MERGE = 32851,
    ID_EDIT_GPS_REMOVE = 32852,
    ID_EDIT_TOPO_REMOVE = 32853,
    ID_EDIT_TOPO_MERGE_GPS_ELEVATION = 32855,
    ID_EDIT_GPS_FORMAT = 32864,
    ID_DESELECT_ALL_LINES = 32866, // Ctrl+D
    // The View menu's Display Units submenu: a number of our own, so that the submenu takes
    // the enabling rule of its two items.
    ID_DISPLAYUNITS_MENU = 33700,
    ID_SPLASH_CLOSED = 1032, // posted by the timed hint when it closes
};

// The commands the project document handles itself (menu items and toolbar buttons).
inline constexpr int kDocumentCommands[] = {
    ID_FILE_SAVE,
    ID_FILE_SAVE_AS,
    ID_DISPLAYUNITS_MENU,
    ID_DISPLAYUNITS_METERS,
    ID_DISPLAYUNITS_FEET,
    ID_VIEW_FIDUCIAL_TEXT,
    ID_VIEW_DISPLAY_FIDUCIALS,
    ID_ZOOM_FIT,
    ID_ZOOM_AREA,
    ID_ZOOM_IN,
    ID_ZOOM_OUT,
    ID_PAN,
    ID_LOCAL_WORLD_DEFINITION,
    ID_LINE_SETTINGS,
    ID_EDIT_GPS_FORMAT,
    ID_EDIT_GPS_ATTACH,
    ID_EDIT_GPS_DETACH,
    ID_EDIT_GPS_MERGE,
    ID_EDIT_GPS_REMOVE,
    ID_EDIT_GPS_RECOVER,
    ID_EDIT_TOPO_ATTACH,
    ID_EDIT_TOPO_DETACH,
    ID_EDIT_TOPO_MERGE,
    ID_EDIT_TOPO_REMOVE,
    ID_EDIT_TOPO_MERGE_GPS_ELEVATION,
    ID_EDIT_TOPO_RECOVER,
};

// The commands of a project's frame and plan view. With the document's commands these need an
// open project: without one the main frame disables them.
inline constexpr int kProjectFrameCommands[] = {
    ID_IMPORT_LINES,       ID_DELETE_LINES,     ID_EDIT_KVD,   ID_SELECT_ALL_LINES,
    ID_DESELECT_ALL_LINES, ID_IMPORT_FIDUCIALS, ID_FILE_PRINT, ID_FILE_PRINT_DIRECT,
    ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP,
};

// Status-bar panes of the main frame: pane 0 is the message pane.
enum : int {
    ID_INDICATOR_LOCAL = 101, // pane 1: the cursor's local coordinates
    ID_INDICATOR_GPS = 102,   // pane 2: the cursor's GPS coordinates
};

// Hints of the document's UpdateAllViews.
enum : int {
    HINT_LINES_CHANGED = 2,   // lines were imported or deleted
    HINT_DISPLAY_CHANGED = 3, // display unit or fiducial switches changed
    HINT_SELECTION_CHANGED = 7737,
};

// Modes of CKVDVDoc::ApplyLocalWorldDefinition.
enum : int {
    LWC_OK = 1,
    LWC_CANCEL = 2,
    LWC_COMPUTE_FROM_GPS = 1065,
    LWC_PREVIEW = 1078,
};

} // namespace KVDCmd
