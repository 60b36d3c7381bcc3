#include "KVD_Edit/app/document/DocumentCommands.h"

#include "KVD_Edit/app/shell/CommandIds.h"
#include "orq_utils/Measure.h"

void SSelectedRowsState::Add(const SGridInfo &row) {
    ++selected;
    gpsBeside = gpsBeside || row.gpsStatus == GFS_BESIDE;
    gpsAttached = gpsAttached || (!row.gpsFileName.empty() &&
                                  (row.gpsStatus == GFS_LOADED || row.gpsStatus == GFS_FAILED ||
                                   row.gpsStatus == GFS_FEW_FIXES));
    gpsLoaded = gpsLoaded || row.gpsStatus == GFS_LOADED;
    gpsInHeader = gpsInHeader || row.hdrGpsType != 0;
    gpsInTraces = gpsInTraces || row.gpsStatus == GFS_IN_TRACES;
    topoBeside = topoBeside || row.topoStatus == GFS_BESIDE;
    topoAttached = topoAttached || (!row.topoFileName.empty() &&
                                    (row.topoStatus == GFS_LOADED || row.topoStatus == GFS_FAILED));
    topoLoaded = topoLoaded || row.topoStatus == GFS_LOADED;
    topoInTraces = topoInTraces || row.topoStatus == GFS_IN_TRACES;
}

namespace {

// The rules of the GPS and topography commands on the selected rows; false for other ids.
bool DecideRowCommand(int id, const SSelectedRowsState &r, bool &enable) {
    switch (id) {
    case KVDCmd::ID_EDIT_GPS_ATTACH:
        enable = r.gpsBeside;
        break;
    case KVDCmd::ID_EDIT_GPS_DETACH:
        enable = r.gpsAttached;
        break;
    case KVDCmd::ID_EDIT_GPS_MERGE:
    case KVDCmd::ID_EDIT_TOPO_MERGE_GPS_ELEVATION:
        enable = r.gpsLoaded;
        break;
    case KVDCmd::ID_EDIT_GPS_REMOVE:
        enable = r.gpsInHeader;
        break;
    case KVDCmd::ID_EDIT_GPS_RECOVER:
        enable = r.gpsInTraces;
        break;
    case KVDCmd::ID_EDIT_TOPO_ATTACH:
        enable = r.topoBeside;
        break;
    case KVDCmd::ID_EDIT_TOPO_DETACH:
        enable = r.topoAttached;
        break;
    case KVDCmd::ID_EDIT_TOPO_MERGE:
        enable = r.topoLoaded;
        break;
    case KVDCmd::ID_EDIT_TOPO_REMOVE:
        enable = r.selected > 0;
        break;
    case KVDCmd::ID_EDIT_TOPO_RECOVER:
        enable = r.topoInTraces;
        break;
    default:
        return false;
    }
    return true;
}

} // namespace

bool IsSelectedRowsCommand(int id) {
    bool enable = false;
    return DecideRowCommand(id, SSelectedRowsState(), enable);
}

SCommandUi DecideCommandUi(int id, const SDocCommandState &s) {
    SCommandUi ui;
    ui.handled = true;
    if (DecideRowCommand(id, s.rows, ui.enable)) {
        ui.enable = ui.enable && !s.selectingInView;
        return ui;
    }
    const bool viewable = !s.selectingInView && s.hasRows;
    switch (id) {
    case KVDCmd::ID_FILE_SAVE:
        ui.enable = !s.selectingInView && s.hasPath && s.modified;
        break;
    case KVDCmd::ID_FILE_SAVE_AS:
        ui.enable = !s.selectingInView && s.hasPath;
        break;
    case KVDCmd::ID_DISPLAYUNITS_MENU:
        ui.enable = !s.selectingInView;
        break;
    case KVDCmd::ID_DISPLAYUNITS_METERS:
    case KVDCmd::ID_DISPLAYUNITS_FEET:
        ui.enable = !s.selectingInView;
        ui.setCheck = true;
        ui.check = s.unit == (id == KVDCmd::ID_DISPLAYUNITS_METERS ? 1 : 5);
        break;
    case KVDCmd::ID_VIEW_FIDUCIAL_TEXT:
        ui.enable = s.fiducialsPresent && s.showFiducials && !s.selectingInView && s.gprLayerOn;
        ui.setCheck = true;
        ui.check = s.showFiducialText && s.fiducialsPresent && s.showFiducials && s.gprLayerOn;
        break;
    case KVDCmd::ID_VIEW_DISPLAY_FIDUCIALS:
        ui.enable = s.fiducialsPresent && !s.selectingInView && s.gprLayerOn;
        ui.setCheck = true;
        ui.check = s.showFiducials && s.gprLayerOn;
        break;
    case KVDCmd::ID_ZOOM_FIT:
    case KVDCmd::ID_ZOOM_IN:
    case KVDCmd::ID_ZOOM_OUT:
        if (!s.hasFrame)
            return SCommandUi{};
        ui.enable = viewable;
        break;
    case KVDCmd::ID_ZOOM_AREA:
        if (!s.hasFrame)
            return SCommandUi{};
        ui.enable = viewable;
        ui.setCheck = true;
        ui.check = s.zoomAreaMode;
        break;
    case KVDCmd::ID_PAN:
        if (!s.hasFrame)
            return SCommandUi{};
        ui.enable = viewable;
        ui.setCheck = true;
        ui.check = s.panChecked;
        break;
    case KVDCmd::ID_LOCAL_WORLD_DEFINITION:
        if (!s.hasFrame)
            return SCommandUi{};
        ui.enable = s.hasRows;
        break;
    case KVDCmd::ID_LINE_SETTINGS:
        ui.enable = true;
        break;
    case KVDCmd::ID_EDIT_KVD:
        // The editing dialog works on the selected rows, and not while a point is picked.
        ui.enable = s.rows.selected > 0 && !s.selectingInView;
        break;
    case KVDCmd::ID_EDIT_GPS_FORMAT:
        ui.enable = !s.localWorldDialogOpen && s.enableGPS != 0;
        break;
    default:
        return SCommandUi{};
    }
    return ui;
}

SLocalWorldApply DecideLocalWorldApply(int mode) {
    SLocalWorldApply a;
    switch (mode) {
    case 0:
    case KVDCmd::LWC_PREVIEW:
        a.takeWorking = true;
        break;
    case KVDCmd::LWC_OK:
        a.takeWorking = true;
        a.accept = true;
        a.closeDialog = true;
        break;
    case KVDCmd::LWC_CANCEL:
        a.closeDialog = true;
        a.restoreSaved = true;
        break;
    default: // KVDCmd::LWC_COMPUTE_FROM_GPS and anything else: the dialog stays as it is
        break;
    }
    return a;
}

void ConvertLocalWorldUnit(SLocalWorldDef &def, int unit) {
    const auto from = static_cast<ORQ::EUnitType>(def.Unit);
    const auto to = static_cast<ORQ::EUnitType>(unit);
    if (from != to) {
        for (auto &p : def.RefPoint) {
            p.LocalX = ORQ::CMeasure::ConvertTo(p.LocalX, from, to);
            p.LocalY = ORQ::CMeasure::ConvertTo(p.LocalY, from, to);
        }
    }
    def.Unit = unit;
}
