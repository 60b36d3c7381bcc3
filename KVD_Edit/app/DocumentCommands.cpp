#include "KVD_Edit/app/DocumentCommands.h"

#include "KVD_Edit/app/CommandIds.h"
#include "orq_utils/Measure.h"

SCommandUi DecideCommandUi(int id, const SDocCommandState &s) {
    SCommandUi ui;
    ui.handled = true;
    const bool viewable = !s.selectingInView && s.hasRows;
    switch (id) {
    case KVDCmd::ID_FILE_SAVE:
        ui.enable = !s.selectingInView && s.hasPath && s.modified;
        break;
    case KVDCmd::ID_FILE_SAVE_AS:
        ui.enable = !s.selectingInView && s.hasPath;
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
