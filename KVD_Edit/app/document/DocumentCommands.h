#pragma once

#include "KVD_Edit/GPSINFO/LocalWorldDef.h"
#include "KVD_Edit/app/grid/GridInfo.h"

// The document's command decisions, without windows: which of its menu items are enabled and
// ticked, what each mode of the local-to-world dialog's hand-over does, and the unit change of
// the local-to-world definition.

// What the GPS and topography commands' rules look at in the selected grid rows.
struct SSelectedRowsState {
    int selected = 0;
    bool gpsBeside = false;    // GPS status 2: a file to attach
    bool gpsAttached = false;  // a GPS file name with status 1, 3 or 5: one to detach
    bool gpsLoaded = false;    // GPS status 1: positions to merge
    bool gpsInHeader = false;  // the header records a GPS type: positions to remove
    bool gpsInTraces = false;  // GPS status 4: a file to recover
    bool topoBeside = false;   // topography status 2
    bool topoAttached = false; // a topography file name with status 1 or 3
    bool topoLoaded = false;   // topography status 1
    bool topoInTraces = false; // topography status 4

    // Takes one selected row into account.
    void Add(const SGridInfo &row);
};

// What the update rules look at.
struct SDocCommandState {
    bool hasFrame = false;         // the document has its child frame
    bool selectingInView = false;  // the local-to-world dialog waits for a click in the view
    bool hasRows = false;          // the grid holds at least one row
    bool fiducialsPresent = false; // the last full reload found a fiducial comment
    bool showFiducials = true;
    bool showFiducialText = true;
    bool gprLayerOn = true; // the first layer of the line display table is shown
    bool zoomAreaMode = false;
    bool panChecked = false;
    bool modified = false;
    bool hasPath = false;              // the holder has a project path
    int unit = 1;                      // display unit: 1 metre, 5 foot
    bool localWorldDialogOpen = false; // the local-to-world dialog exists
    int enableGPS = 2;                 // the definition's "EnableGPS"
    SSelectedRowsState rows;           // the selected grid rows
};

struct SCommandUi {
    bool handled = false; // false: not a command of the document; leave the item alone
    bool enable = true;
    bool setCheck = false; // true: the item's tick follows `check`
    bool check = false;
};

// Whether the rule of a command looks at the selected rows (the GPS and topography commands).
bool IsSelectedRowsCommand(int id);

// The update rule of a document command (ids of KVD_Edit/app/CommandIds.h). Rules that need
// the frame leave the item unchanged (handled false) while there is none.
SCommandUi DecideCommandUi(int id, const SDocCommandState &state);

// What ApplyLocalWorldDefinition does for a mode of the dialog.
struct SLocalWorldApply {
    bool takeWorking = false;    // copy the dialog's working definition into the settings
    bool accept = false;         // OK: reset the GPS display state; store a changed definition
    bool closeDialog = false;    // destroy the dialog
    bool restoreSaved = false;   // put back the definition the dialog started from
    bool reloadAndRedraw = true; // reload the grid, re-apply the unit, redraw
};
// 0 and 1078 preview, 1 OK, 2 Cancel, 1065 compute from GPS (reload and redraw, the dialog
// stays); any other mode only reloads and redraws.
SLocalWorldApply DecideLocalWorldApply(int mode);

// Converts both reference points' local X and Y from the definition's unit into unit and makes
// it the definition's unit. The same unit converts nothing.
void ConvertLocalWorldUnit(SLocalWorldDef &def, int unit);
