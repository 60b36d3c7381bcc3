#pragma once

#include "KVD_Edit/GPSINFO/LocalWorldDef.h"
#include "KVD_Edit/transform/TransformMatrix2D.h"
#include "Quillon/Quillon.h"

#include <functional>
#include <string>

// What the local-to-world dialog does with its working copy of the project's definition, kept
// apart from the window: the reference points, zone and hemisphere, the heading, the
// validation with its messages, the fit of the similarity transform and the pick of a local
// point in the plan view. World values are shown and typed in the display mode (0
// latitude/longitude, 1 UTM); the definition's GlobalKind says in which kind they are stored.
class CLWCDefinitionLogic {
public:
    // The fields of the dialog, for the messages that point at one.
    enum EField {
        FIELD_NONE = -1,
        FIELD_P1_LOCAL_X = 0,
        FIELD_P1_LOCAL_Y,
        FIELD_P2_LOCAL_X,
        FIELD_P2_LOCAL_Y,
        FIELD_P1_EAST, // easting or longitude
        FIELD_P1_NORTH,
        FIELD_P2_EAST,
        FIELD_P2_NORTH,
        FIELD_HEADING,
        FIELD_ZONE,
    };
    static constexpr const char *kDuplicateMessage = "Duplicate entry, cannot be the same";
    static constexpr const char *kZoneMessage = "Invalid Zone #, must be between 1 & 60";
    static const char *const kUTMMessage;
    static const char *const kLatLongMessage;
    static const char *const kAdjustMessage;
    static const char *const kFitMessage;

    // The outcome of a check: ok, or the message to show and the field it concerns.
    struct SCheck {
        bool ok = true;
        std::string message;
        EField field = FIELD_NONE;
    };
    // Asked when the reference points cannot be carried into another zone: true (OK) relabels
    // them, false (Cancel) refuses the change.
    using AskAdjust = std::function<bool(const char *message)>;

    CLWCDefinitionLogic(const SLocalWorldDef &definition, bool hasGPSData);

    // The opening steps of the dialog: the zone pairs completed, the heading derived, the first
    // fit, the display mode of the last session, and the preview state taken.
    void Initialise();

    const SLocalWorldDef &Working() const { return m_working; }
    SLocalWorldDef &Working() { return m_working; }
    bool HasGPSData() const { return m_hasGPSData; }
    int GetDisplayMode() const { return m_displayMode; }
    double GetHeading() const { return m_heading; }
    int GetPickMode() const { return m_pickMode; }
    // True after a two-point fit that could not be made (points too close).
    bool FitFailed() const { return m_fitFailed; }

    // The definition's unit for local values changes; both points are converted.
    void SetUnit(int unit);
    void StorePreviewState() { m_previewed = m_working; }
    bool IsPreviewEnabled() const { return m_working != m_previewed; }

    // The checks of the definition (silent: nothing changes). The duplicate check compares the
    // local points at 3 decimals and the world points at 12.
    SCheck Validate() const;
    // Validate, and for a two-point definition also a fit that can be made: what Preview and OK
    // require.
    SCheck ValidateForApply() const;

    // Refits the transform from the points (two-point) or from point 1 and the heading.
    void Recompute();

    // Display mode 0 latitude/longitude, 1 UTM, when the definition validates.
    SCheck SetDisplayMode(int mode);
    void SetEnableGPS(bool on) { m_working.EnableGPS = on ? 1 : 0; }
    void SetTwoPoint(bool two);
    void SetRatio(bool on) { m_working.RatioCheckBox = on; }

    // A typed value of a field (local or world, in the display mode).
    void SetLocalValue(EField field, double value);
    // False when the stored kind cannot be brought to the display mode (nothing stored).
    bool SetWorldValue(EField field, double value);
    // The heading in degrees, reduced into [0, 360); recomputes.
    void SetHeading(double heading);

    // The values the dialog shows for a field, in the display mode.
    double FieldValue(EField field) const;

    // The zone edit's text: 1 to 60, else kZoneMessage. The points are carried into the new
    // zone; when that is refused the old zone stays and the check names FIELD_ZONE with an
    // empty message.
    SCheck ChangeZone(const std::string &text, const AskAdjust &ask);
    // "Southern" (true) or "Northern"; a refused adjustment puts the letter back.
    void ChangeHemisphere(bool southern, const AskAdjust &ask);

    // Start (which 1 or 2) or stop (0) a pick in the plan view.
    void SetPickMode(int which) { m_pickMode = which; }
    // A point picked in the plan view, local position in metres: false while no pick is under
    // way; else the awaited point takes it, the pick ends and the fit is redone.
    bool PickPoint(double localXMetres, double localYMetres);

    // Compute from GPS, the part before the document refits: UTM display, zone pair 2 from
    // pair 1, recompute, UTM stored.
    void BeginComputeFromGPS();
    // The part after: the project's definition refitted by the renderer (params), the GPS
    // zone and the lines' local extent (right, top in the definition's unit).
    void FinishComputeFromGPS(const SLocalWorldDef &project,
                              const ORQ::Transform::STransformParams &params, int zone, char letter,
                              double right, double top);

    // The working GPS display configuration; the ellipsoid follows it.
    const std::string &GetConfiguration() const { return m_configuration; }
    const std::string &GetOpeningConfiguration() const { return m_openingConfiguration; }
    void SetConfiguration(const std::string &configuration, bool opening);

    // Heading of the local Y axis from the rotation, in [0, 360).
    void HeadingFromRotation();
    // Rotation from the heading (not reduced).
    void RotationFromHeading();

private:
    // Brings the stored kind to the display mode; false when a point does not convert.
    bool BringStoredKindToDisplay();
    bool AdjustPointsToZone(const AskAdjust &ask);
    double NorthRotationDegrees() const;
    SCheck CheckRanges() const;
    SLatLong PointLL(int i) const;

    SLocalWorldDef m_working;
    SLocalWorldDef m_previewed;
    bool m_hasGPSData = false;
    int m_displayMode = 0;
    int m_pickMode = 0;
    double m_heading = 0.0;
    bool m_fitFailed = false;
    std::string m_configuration;
    std::string m_openingConfiguration;
};
