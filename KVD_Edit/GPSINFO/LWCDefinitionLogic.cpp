#include "KVD_Edit/GPSINFO/LWCDefinitionLogic.h"

#include "KVD_Edit/GPSINFO/GPSConfig.h"
#include "KVD_Edit/app/document/DocumentCommands.h"
#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/planview/PlanRenderer.h"
#include "orq_utils/Measure.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

using ORQ::Transform::SPoint2D;
using ORQ::Transform::STransformParams;

namespace {

constexpr double kPi = 3.141592653589793;

ORQ::EUnitType UnitOf(const SLocalWorldDef &def) {
    return static_cast<ORQ::EUnitType>(def.Unit);
}

double ToMetres(const SLocalWorldDef &def, double value) {
    return ORQ::CMeasure::ConvertTo(value, UnitOf(def), ORQ::UNIT_M);
}

SPoint2D LocalMetres(const SLocalWorldDef &def, int i) {
    return {ToMetres(def, def.RefPoint[i].LocalX), ToMetres(def, def.RefPoint[i].LocalY)};
}

SUTMCoord PointUTM(const SLocalWorldDef::SRefPoint &p) {
    SUTMCoord utm;
    utm.northing = p.NorthingOrLatitude;
    utm.easting = p.EastingOrLongitude;
    utm.zone = p.Zone;
    utm.letter = p.ZoneLetter;
    return utm;
}

// Into [0, 360).
double ReduceHeading(double heading) {
    if (!std::isfinite(heading))
        return 0.0;
    double h = std::fmod(heading, 360.0);
    if (h < 0)
        h += 360.0;
    return h >= 360.0 ? 0.0 : h;
}

std::string Format12(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.12f", value);
    return text;
}

} // namespace

const char *const CLWCDefinitionLogic::kUTMMessage =
    "Invalid UTM:\nThe UTM Easting is limited to neighboring zones: \n -1,000,000 to 2,000,000. "
    "\nThe allowed UTM Northing value is function of Hemisphere and \nEasting, and is limited to "
    "an equivalent Latitude of -80 to \n84 degress. \nUTM Northing range for Northern Hemisphere "
    "is roughly : \n-8,882,300 to 9,328,500 \n(or 1,117,700 to 19,328,500 for Southern "
    "Hemisphere), \nwhere roughly is +/-800.";
const char *const CLWCDefinitionLogic::kLatLongMessage =
    "Invalid GPS Coordinate\nValid LatLong Values:\n\tLatitude -80.0 to 84.0\n\tLongitude -180.0 "
    "to 180.0\n";
const char *const CLWCDefinitionLogic::kAdjustMessage =
    "Unable to adjust Reference point to account\nfor the requested UTM Zone change.\n\nPlease "
    "verify your Reference Point(s) are still correct.";
const char *const CLWCDefinitionLogic::kFitMessage =
    "The two reference points are too close together to define the relationship.\nPlease "
    "enter reference points further apart.";

CLWCDefinitionLogic::CLWCDefinitionLogic(const SLocalWorldDef &definition, bool hasGPSData)
    : m_working(definition), m_previewed(definition), m_hasGPSData(hasGPSData),
      m_displayMode(definition.GlobalKind != 0 ? 1 : 0) {
    if (m_working.ZoneA == -1) {
        m_working.ZoneA = m_working.Zone;
        m_working.ZoneLetterA = m_working.ZoneLetter;
    }
}

void CLWCDefinitionLogic::SetConfiguration(const std::string &configuration, bool opening) {
    m_configuration = configuration;
    if (opening)
        m_openingConfiguration = configuration;
    BuildGPSFormatString(configuration, &m_working.Ellipsoid);
}

void CLWCDefinitionLogic::Initialise() {
    SLocalWorldDef &w = m_working;
    if (w.Zone == -1) {
        w.Zone = w.ZoneA;
        w.ZoneLetter = w.ZoneLetterA;
    }
    HeadingFromRotation();
    bool allZero = true;
    for (const auto &p : w.RefPoint)
        allZero = allZero && p.NorthingOrLatitude == 0 && p.EastingOrLongitude == 0;
    if (allZero && !m_hasGPSData) {
        const bool two = w.TwoPointDefinition;
        w.TwoPointDefinition = false;
        Recompute();
        w.TwoPointDefinition = two;
    } else if (!w.TwoPointDefinition) {
        Recompute();
    }
    if (!w.TwoPointDefinition)
        w.RatioCheckBox = true;
    if (w.LastGPSView != -1 && (w.LastGPSView != 0) != (w.GlobalKind != 0))
        SetDisplayMode(w.LastGPSView != 0 ? 1 : 0);
    m_previewed = m_working;
}

void CLWCDefinitionLogic::SetUnit(int unit) {
    ConvertLocalWorldUnit(m_working, unit);
}

SLatLong CLWCDefinitionLogic::PointLL(int i) const {
    SLatLong ll;
    ll.latitude = m_working.RefPoint[i].NorthingOrLatitude;
    ll.longitude = m_working.RefPoint[i].EastingOrLongitude;
    return ll;
}

double CLWCDefinitionLogic::NorthRotationDegrees() const {
    STransformParams params;
    params.shiftX = -m_working.ShiftX;
    params.shiftY = -m_working.ShiftY;
    params.rotation = m_working.Rotation * kPi / 180.0;
    return CPlanRenderer::ComputeNorthRotation(&params, m_working.Zone, m_working.ZoneLetter,
                                               m_working.Ellipsoid) *
           180.0 / kPi;
}

void CLWCDefinitionLogic::HeadingFromRotation() {
    m_heading = ReduceHeading(m_working.Rotation + NorthRotationDegrees());
}

void CLWCDefinitionLogic::RotationFromHeading() {
    m_working.Rotation = m_heading - NorthRotationDegrees();
}

double CLWCDefinitionLogic::FieldValue(EField field) const {
    const SLocalWorldDef &w = m_working;
    switch (field) {
    case FIELD_P1_LOCAL_X:
    case FIELD_P2_LOCAL_X:
        return w.RefPoint[field == FIELD_P2_LOCAL_X].LocalX;
    case FIELD_P1_LOCAL_Y:
    case FIELD_P2_LOCAL_Y:
        return w.RefPoint[field == FIELD_P2_LOCAL_Y].LocalY;
    case FIELD_P1_EAST:
    case FIELD_P1_NORTH:
    case FIELD_P2_EAST:
    case FIELD_P2_NORTH: {
        const int i = field == FIELD_P2_EAST || field == FIELD_P2_NORTH;
        const bool east = field == FIELD_P1_EAST || field == FIELD_P2_EAST;
        const auto &p = w.RefPoint[i];
        double e = p.EastingOrLongitude, n = p.NorthingOrLatitude;
        if (m_displayMode == 0 && w.GlobalKind != 0) {
            SLatLong ll;
            GPS_UTMtoLL(PointUTM(p), ll, w.Ellipsoid);
            e = ll.longitude;
            n = ll.latitude;
        } else if (m_displayMode == 1 && w.GlobalKind == 0) {
            SUTMCoord utm;
            utm.zone = w.Zone;
            utm.letter = w.ZoneLetter;
            GPS_LLtoUTMZone(PointLL(i), utm, w.Ellipsoid);
            e = utm.easting;
            n = utm.northing;
        }
        return east ? e : n;
    }
    case FIELD_HEADING:
        return m_heading;
    case FIELD_ZONE:
        return w.Zone;
    default:
        return 0.0;
    }
}

CLWCDefinitionLogic::SCheck CLWCDefinitionLogic::CheckRanges() const {
    const SLocalWorldDef &w = m_working;
    const bool utm = w.GlobalKind != 0;
    SCheck check;
    const int points = w.TwoPointDefinition ? 2 : 1;
    for (int i = 0; i < points; ++i) {
        const auto &p = w.RefPoint[i];
        const EField east = i == 0 ? FIELD_P1_EAST : FIELD_P2_EAST;
        const EField north = i == 0 ? FIELD_P1_NORTH : FIELD_P2_NORTH;
        const double e = p.EastingOrLongitude, n = p.NorthingOrLatitude;
        bool eastBad, northBad;
        if (utm) {
            eastBad = !(e >= -1000000.0 && e <= 2000000.0);
            northBad = w.ZoneLetter >= 'N' ? !(n >= -8882300.0 && n <= 9329500.0)
                                           : !(n >= 0.0 && n <= 19329500.0);
        } else {
            eastBad = !(e >= -180.0 && e <= 180.0);
            northBad = !(n >= -80.0 && n <= 84.0);
        }
        if (eastBad) {
            check.ok = false;
            check.field = east;
        }
        if (northBad) {
            check.ok = false;
            check.field = north;
        }
    }
    if (check.ok) {
        for (int i = 0; i < points && check.ok; ++i) {
            if (utm) {
                SLatLong ll;
                check.ok = GPS_UTMtoLL(PointUTM(w.RefPoint[i]), ll, w.Ellipsoid) != 0;
            } else {
                SUTMCoord out;
                check.ok = GPS_LLtoUTM(PointLL(i), out, w.Ellipsoid) != 0;
            }
        }
    }
    if (!check.ok)
        check.message = utm ? kUTMMessage : kLatLongMessage;
    return check;
}

CLWCDefinitionLogic::SCheck CLWCDefinitionLogic::Validate() const {
    const SLocalWorldDef &w = m_working;
    if (!w.EnableGPS)
        return {};
    if (w.TwoPointDefinition) {
        const auto &a = w.RefPoint[0], &b = w.RefPoint[1];
        if (RoundToDecimals(a.LocalX, 3) == RoundToDecimals(b.LocalX, 3) &&
            RoundToDecimals(a.LocalY, 3) == RoundToDecimals(b.LocalY, 3))
            return {false, kDuplicateMessage, FIELD_P1_LOCAL_X};
        if (Format12(FieldValue(FIELD_P1_EAST)) == Format12(FieldValue(FIELD_P2_EAST)) &&
            Format12(FieldValue(FIELD_P1_NORTH)) == Format12(FieldValue(FIELD_P2_NORTH)))
            return {false, kDuplicateMessage, FIELD_P1_EAST};
    }
    return CheckRanges();
}

CLWCDefinitionLogic::SCheck CLWCDefinitionLogic::ValidateForApply() const {
    SCheck check = Validate();
    if (check.ok && m_working.EnableGPS && m_working.TwoPointDefinition && m_fitFailed)
        return {false, kFitMessage, FIELD_P1_LOCAL_X};
    return check;
}

void CLWCDefinitionLogic::Recompute() {
    SLocalWorldDef &w = m_working;
    if (m_displayMode == 0 && w.GlobalKind == 0) {
        SUTMCoord utm;
        if (GPS_LLtoUTM(PointLL(0), utm, w.Ellipsoid)) {
            w.Zone = utm.zone;
            w.ZoneLetter = static_cast<char>(utm.letter);
            for (auto &p : w.RefPoint) {
                p.Zone = utm.zone;
                p.ZoneLetter = static_cast<char>(utm.letter);
            }
        }
    }
    if (!Validate().ok)
        return;
    if (w.TwoPointDefinition) {
        SPoint2D world[2];
        bool converted = true;
        for (int i = 0; i < 2; ++i) {
            world[i] = {w.RefPoint[i].EastingOrLongitude, w.RefPoint[i].NorthingOrLatitude};
            if (w.GlobalKind == 0) {
                SUTMCoord utm;
                utm.zone = w.Zone;
                utm.letter = w.ZoneLetter;
                converted = converted && GPS_LLtoUTMZone(PointLL(i), utm, w.Ellipsoid);
                world[i] = {utm.easting, utm.northing};
            }
        }
        STransformParams out;
        m_fitFailed = !converted ||
                      !ORQ::Transform::ComputeTwoPointTransform(&out, world[0], LocalMetres(w, 0),
                                                                world[1], LocalMetres(w, 1));
        if (!m_fitFailed) {
            w.Rotation = out.rotation * 180.0 / kPi;
            w.ShiftX = -out.shiftX;
            w.ShiftY = -out.shiftY;
        }
        HeadingFromRotation();
        return;
    }
    m_fitFailed = false;
    RotationFromHeading();
    SPoint2D world{w.RefPoint[0].EastingOrLongitude, w.RefPoint[0].NorthingOrLatitude};
    if (w.GlobalKind == 0) {
        SUTMCoord utm;
        utm.zone = w.Zone;
        utm.letter = w.ZoneLetter;
        if (!GPS_LLtoUTMZone(PointLL(0), utm, w.Ellipsoid))
            return;
        world = {utm.easting, utm.northing};
    }
    STransformParams out;
    if (!ORQ::Transform::ComputeOnePointTransform(&out, world, LocalMetres(w, 0),
                                                  w.Rotation * kPi / 180.0))
        return;
    w.Rotation = out.rotation * 180.0 / kPi;
    w.ShiftX = -out.shiftX;
    w.ShiftY = -out.shiftY;
    ORQ::Transform::CTransformMatrix2D transform(&out);
    const SPoint2D p2 = transform.Transform(LocalMetres(w, 1));
    auto &point2 = w.RefPoint[1];
    if (w.GlobalKind != 0) {
        point2.EastingOrLongitude = p2.x;
        point2.NorthingOrLatitude = p2.y;
    } else {
        SUTMCoord utm;
        utm.easting = p2.x;
        utm.northing = p2.y;
        utm.zone = w.Zone;
        utm.letter = w.ZoneLetter;
        SLatLong ll;
        if (GPS_UTMtoLLEQFix(utm, ll, w.Ellipsoid, 1)) {
            point2.EastingOrLongitude = ll.longitude;
            point2.NorthingOrLatitude = ll.latitude;
        }
    }
}

CLWCDefinitionLogic::SCheck CLWCDefinitionLogic::SetDisplayMode(int mode) {
    SCheck check = Validate();
    if (check.ok)
        m_displayMode = mode != 0 ? 1 : 0;
    return check;
}

void CLWCDefinitionLogic::SetTwoPoint(bool two) {
    m_working.TwoPointDefinition = two;
    if (!two)
        m_working.RatioCheckBox = true;
}

bool CLWCDefinitionLogic::BringStoredKindToDisplay() {
    SLocalWorldDef &w = m_working;
    // Both points are converted into temporaries and committed together, so a point that does
    // not convert never leaves the other in a kind the record does not say.
    SLocalWorldDef::SRefPoint points[2] = {w.RefPoint[0], w.RefPoint[1]};
    if (m_displayMode == 0 && w.GlobalKind != 0) {
        for (auto &p : points) {
            SLatLong ll;
            if (!GPS_UTMtoLLEQFix(PointUTM(p), ll, w.Ellipsoid, 1))
                return false;
            p.EastingOrLongitude = ll.longitude;
            p.NorthingOrLatitude = ll.latitude;
        }
        w.RefPoint[0] = points[0];
        w.RefPoint[1] = points[1];
        w.GlobalKind = 0;
    } else if (m_displayMode == 1 && w.GlobalKind == 0) {
        for (int i = 0; i < 2; ++i) {
            auto &p = points[i];
            p.Zone = w.Zone;
            p.ZoneLetter = w.ZoneLetter;
            SUTMCoord utm;
            utm.zone = w.Zone;
            utm.letter = w.ZoneLetter;
            SLatLong ll;
            ll.latitude = p.NorthingOrLatitude;
            ll.longitude = p.EastingOrLongitude;
            if (GPS_LLtoUTMZone(ll, utm, w.Ellipsoid)) {
                p.EastingOrLongitude = utm.easting;
                p.NorthingOrLatitude = utm.northing;
            } else if (!(i == 1 && !w.TwoPointDefinition)) {
                return false;
            }
        }
        w.RefPoint[0] = points[0];
        w.RefPoint[1] = points[1];
        w.GlobalKind = 1;
    }
    return true;
}

void CLWCDefinitionLogic::SetLocalValue(EField field, double value) {
    auto &points = m_working.RefPoint;
    switch (field) {
    case FIELD_P1_LOCAL_X:
        points[0].LocalX = value;
        break;
    case FIELD_P1_LOCAL_Y:
        points[0].LocalY = value;
        break;
    case FIELD_P2_LOCAL_X:
        points[1].LocalX = value;
        break;
    case FIELD_P2_LOCAL_Y:
        points[1].LocalY = value;
        break;
    default:
        break;
    }
}

bool CLWCDefinitionLogic::SetWorldValue(EField field, double value) {
    if (!BringStoredKindToDisplay())
        return false;
    SLocalWorldDef &w = m_working;
    const int i = field == FIELD_P2_EAST || field == FIELD_P2_NORTH;
    if (field == FIELD_P1_EAST || field == FIELD_P2_EAST)
        w.RefPoint[i].EastingOrLongitude = value;
    else if (field == FIELD_P1_NORTH || field == FIELD_P2_NORTH)
        w.RefPoint[i].NorthingOrLatitude = value;
    else
        return false;
    if (i == 0 && w.GlobalKind == 0) {
        SUTMCoord utm;
        if (GPS_LLtoUTM(PointLL(0), utm, w.Ellipsoid) &&
            (utm.zone != w.Zone || utm.letter != w.ZoneLetter)) {
            w.Zone = utm.zone;
            w.ZoneLetter = static_cast<char>(utm.letter);
        }
    }
    return true;
}

void CLWCDefinitionLogic::SetHeading(double heading) {
    m_heading = ReduceHeading(heading);
    Recompute();
}

bool CLWCDefinitionLogic::AdjustPointsToZone(const AskAdjust &ask) {
    SLocalWorldDef &w = m_working;
    if (w.GlobalKind == 0 && !BringStoredKindToDisplay())
        return false;
    bool failed = false;
    if (w.GlobalKind != 0) {
        for (int i = 0; i < 2 && !failed; ++i) {
            const auto &p = w.RefPoint[i];
            SLatLong ll;
            if (!GPS_UTMtoLLEQFix(PointUTM(p), ll, w.Ellipsoid, 1)) {
                failed = i == 1 && w.TwoPointDefinition;
                continue;
            }
            if (p.Zone == w.Zone && p.ZoneLetter == w.ZoneLetter)
                continue;
            SUTMCoord utm;
            utm.zone = w.Zone;
            utm.letter = w.ZoneLetter;
            SLatLong back;
            const bool ok = GPS_LLtoUTMZone(ll, utm, w.Ellipsoid) && utm.zone == w.Zone &&
                            GPS_UTMtoLL(utm, back, w.Ellipsoid) &&
                            RoundToDecimals(back.latitude, 5) == RoundToDecimals(ll.latitude, 5) &&
                            RoundToDecimals(back.longitude, 5) == RoundToDecimals(ll.longitude, 5);
            failed = !ok;
        }
    }
    if (failed) {
        if (!ask || !ask(kAdjustMessage))
            return false;
        if (w.GlobalKind != 0) {
            for (auto &p : w.RefPoint) {
                p.Zone = w.Zone;
                p.ZoneLetter = w.ZoneLetter;
            }
        }
        return true;
    }
    if (w.GlobalKind != 0) {
        for (auto &p : w.RefPoint) {
            SLatLong ll;
            if ((p.Zone == w.Zone && p.ZoneLetter == w.ZoneLetter) ||
                !GPS_UTMtoLLEQFix(PointUTM(p), ll, w.Ellipsoid, 1))
                continue;
            p.Zone = w.Zone;
            p.ZoneLetter = w.ZoneLetter;
            SUTMCoord utm;
            utm.zone = w.Zone;
            utm.letter = w.ZoneLetter;
            if (GPS_LLtoUTMZone(ll, utm, w.Ellipsoid)) {
                p.EastingOrLongitude = utm.easting;
                p.NorthingOrLatitude = utm.northing;
            }
        }
    }
    return true;
}

CLWCDefinitionLogic::SCheck CLWCDefinitionLogic::ChangeZone(const std::string &text,
                                                            const AskAdjust &ask) {
    const int zone = std::atoi(text.c_str());
    if (zone < 1 || zone > 60)
        return {false, kZoneMessage, FIELD_ZONE};
    SLocalWorldDef &w = m_working;
    if (zone == w.Zone)
        return {};
    if (w.GlobalKind == 0)
        BringStoredKindToDisplay();
    const int old = w.Zone;
    w.Zone = zone;
    if (!AdjustPointsToZone(ask)) {
        w.Zone = old;
        return {false, "", FIELD_ZONE};
    }
    SCheck check = Validate();
    if (check.ok)
        Recompute();
    return check;
}

void CLWCDefinitionLogic::ChangeHemisphere(bool southern, const AskAdjust &ask) {
    SLocalWorldDef &w = m_working;
    const char old = w.ZoneLetter;
    if (southern && w.ZoneLetter >= 'N')
        w.ZoneLetter = 'M';
    else if (!southern && w.ZoneLetter < 'N')
        w.ZoneLetter = 'N';
    if (!AdjustPointsToZone(ask))
        w.ZoneLetter = old;
    Recompute();
}

bool CLWCDefinitionLogic::PickPoint(double localXMetres, double localYMetres) {
    if (m_pickMode == 0)
        return false;
    auto &p = m_working.RefPoint[m_pickMode == 2 ? 1 : 0];
    p.LocalX = ORQ::CMeasure::ConvertTo(localXMetres, ORQ::UNIT_M, UnitOf(m_working));
    p.LocalY = ORQ::CMeasure::ConvertTo(localYMetres, ORQ::UNIT_M, UnitOf(m_working));
    m_pickMode = 0;
    Recompute();
    return true;
}

void CLWCDefinitionLogic::BeginComputeFromGPS() {
    m_displayMode = 1;
    m_working.Zone = m_working.ZoneA;
    m_working.ZoneLetter = m_working.ZoneLetterA;
    Recompute();
    m_working.GlobalKind = 1;
}

void CLWCDefinitionLogic::FinishComputeFromGPS(const SLocalWorldDef &project,
                                               const STransformParams &params, int zone,
                                               char letter, double right, double top) {
    SLocalWorldDef &w = m_working;
    const int ellipsoid = w.Ellipsoid;
    w = project;
    w.Ellipsoid = ellipsoid;
    w.Zone = w.ZoneA;
    w.ZoneLetter = w.ZoneLetterA;
    w.Rotation = params.rotation * 180.0 / kPi;
    w.ShiftX = -params.shiftX;
    w.ShiftY = -params.shiftY;
    w.RefPoint[0].LocalX = 0;
    w.RefPoint[0].LocalY = 0;
    w.RefPoint[1].LocalX = right;
    w.RefPoint[1].LocalY = top;
    ORQ::Transform::CTransformMatrix2D transform(&params);
    for (int i = 0; i < 2; ++i) {
        auto &p = w.RefPoint[i];
        p.Zone = zone;
        p.ZoneLetter = letter;
        const SPoint2D world = transform.Transform(LocalMetres(w, i));
        p.EastingOrLongitude = world.x;
        p.NorthingOrLatitude = world.y;
        if (w.GlobalKind == 0) {
            SLatLong ll;
            GPS_UTMtoLLEQFix(PointUTM(p), ll, w.Ellipsoid, 1);
            p.EastingOrLongitude = ll.longitude;
            p.NorthingOrLatitude = ll.latitude;
        }
    }
    HeadingFromRotation();
    w.FitGrid = false;
}
