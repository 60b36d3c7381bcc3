#pragma once

#include "KVD_Edit/GPSINFO/GPSInfo.h"
#include "KVD_Edit/planview/KvdGprLines.h"
#include "KVD_Edit/planview/LineDisplayTable.h"
#include "KVD_Edit/planview/PlanDC.h"
#include "KVD_Edit/transform/TransformMatrix2D.h"
#include "Quillon/Quillon.h"
#include "orq_utils/Measure.h"

#include <string>
#include <unordered_map>

// What the renderer tells of a point of the view: its UTM position (zone and letter of the
// project) and its local position in metres.
struct SPlanPointInfo {
    SUTMCoord utm;
    ORQ::S2DMeasure local{0, 0, ORQ::UNIT_M};
};

// The GPS layers of the plan view and the relation between the local grid and the world.
//
// Per paint the view hands over the GPS data, the extents and the selection, lets the renderer
// read the lines' local geometry (UpdateLineGeometry) and fit its local-to-world transform
// (UpdateTransform), and then draws the layers shown (DrawLayer, kinds 0 to 3 of the line
// display table): 0 a marker at every trace's local position, 1 the traces' GPS positions,
// 2 the raw GPS fixes, both joined by lines, and 3 whiskers from each raw fix to its trace's
// local position. Points and markers are placed in device pixels of the drawing context.
//
// The same object turns a point of the view, or a local point, into the coordinate text shown
// beside the cursor, and gives the grid's north heading for the compass. All lengths inside
// are metres; world positions are UTM easting and northing in the project's zone.
//
// A renderer draws for one target. The window's renderer keeps the traces' mapped points in
// the GPS records between paints, fits the project's definition (and stores what the fit
// decides in it) and raises the GPS data's out-of-range state. A page renderer (a printout)
// works on a copy of the definition, keeps nothing in the GPS records and only notes for
// itself that a point was out of range, so printing leaves the window's state as it was.
class CPlanRenderer {
public:
    enum ETarget { TARGET_WINDOW = 0, TARGET_PAGE = 1 };
    // Device pixels beyond the plot area from which a segment is cut to the plot area before
    // it is drawn.
    static constexpr int kClipMargin = 1000;
    // Logical coordinates beyond plus or minus this are not drawn (2^24).
    static constexpr double kDrawableRange = 16777216.0;
    // Step limit of the north search.
    static constexpr int kMaxNorthSteps = 2000;

    explicit CPlanRenderer(ETarget target = TARGET_WINDOW);

    ETarget GetTarget() const { return m_target; }

    // The document's GPS data (not owned; null draws nothing and gives "GPS: N/A").
    void SetGPSInfo(CGPSInfo *gps) { m_gps = gps; }
    CGPSInfo *GetGPSInfo() const { return m_gps; }
    // The document's selection (not owned; null: no line is selected).
    void SetSelection(const ILineSelection *selection) { m_selection = selection; }

    // The lines' extent, the local rectangle the plot area shows (both in any unit), the plot
    // area in logical units and in device pixels. A change makes every cached point stale.
    void SetExtents(const ORQ::SRectMeasure &dataExtent, const ORQ::SRectMeasure &mapExtent,
                    const RECT *plotRect, const RECT *plotRectDevice);

    // Reads the local geometry of every GPS line from the project's lines: start and end point
    // (metres), direction, step and trace count. A line with fewer than two positions, or
    // without a radar file, is left out (its layers are not drawn). True when every GPS line
    // found its geometry.
    bool UpdateLineGeometry(const CLinesSource &source, const ORQ::SMeasure &scale);

    // Fits the local-to-world transform to the project's definition when the GPS data changed
    // (or always with force): from two reference points, by fitting the grid to the raw GPS
    // fixes, or from one point and a heading. Also finds the grid's north heading.
    void UpdateTransform(bool force);

    // Draws one layer (0 to 3); -1 for set, line and trace means all of them. Selected lines
    // take active, the others inactive.
    void DrawLayer(CPlanDC *dc, int set, int line, int trace, int layer,
                   const SLineDisplayEntry *active, const SLineDisplayEntry *inactive);

    // The logical point of a trace from a source (0 local, 1 trace GPS, 2 raw GPS); false when
    // it lies beyond the drawable range (or the line has no geometry for source 0).
    bool GetTracePoint(const CGPSInfo::SLineRecord &line, CGPSInfo::SGPSPoint &record, int source,
                       POINT &point);
    // Whether a logical point lies beyond the drawable range; notes it when it does.
    bool IsOutOfRange(double x, double y);

    // Cuts the segment to the rectangle (device units, top < bottom). False when nothing of it
    // lies inside.
    static bool ClipSegment(int &x0, int &y0, int &x1, int &y1, int left, int right, int top,
                            int bottom);

    // The point of the view (device pixels) as local and world position. With text, the
    // coordinate text: "GPS: Disabled" (GPS switched off while GPS data are loaded), "GPS: N/A"
    // (switched off, or no GPS data object), "GPS: Invalid, Out of Bounds" (no valid world
    // position), else the position written with format (left unchanged without a format).
    SPlanPointInfo ViewPointToStatusText(POINT devicePoint, std::string *text,
                                         const char *format) const;
    // The same for a local point in any unit.
    SPlanPointInfo LocalPointToStatusText(const ORQ::S2DMeasure &local, std::string *text,
                                          const char *format) const;

    // Grid rotation (degrees, counter-clockwise from world to local) and the north heading: the
    // rotation plus the meridian convergence at the grid's origin. The compass turns by the
    // negated heading.
    double GetRotation() const { return m_rotation; }
    double GetNorthHeading() const { return m_northHeading; }
    const ORQ::Transform::STransformParams &GetParams() const { return m_params; }
    // The lines' extent last set (SetExtents).
    const ORQ::SRectMeasure &GetDataExtent() const { return m_dataExtent; }
    // Local metres to UTM (Transform) and back (InverseTransform).
    const ORQ::Transform::CTransformMatrix2D &GetTransform() const { return m_transform; }

    // The angle (radians) by which a north-south line through the local origin of params (its
    // rotation taken as 0) must turn to lie on a meridian in the zone. 0 when the positions do
    // not convert or the search does not settle within kMaxNorthSteps.
    static double ComputeNorthRotation(const ORQ::Transform::STransformParams *params, int zone,
                                       int zoneLetter, int ellipsoid);
    // The rotation (degrees) that lays the lines' trace positions best onto the raw GPS fixes.
    double FitGridRotation() const;

    // Whether a layer met a point beyond the drawable range since the last call (pages).
    bool TakeOutOfRange();
    // Whether a layer met a trace number beyond its line's trace count since the GPS data were
    // last loaded, not yet taken; "Error, Invalid trace number" is shown once for it.
    bool TakeInvalidTraceReport();

private:
    // The local geometry of a GPS line.
    struct SLineGeometry {
        double startX = 0, startY = 0, endX = 0, endY = 0; // metres
        int traces = 0;                                    // N
    };
    // The running state of one line's chain of segments.
    struct SChain {
        bool first = true;
        bool previousMarked = false;
        POINT previous{};
    };

    const SLineGeometry *Geometry(const CGPSInfo::SLineRecord &line) const;
    // The definition's GPS state, an automatic one (2) decided by whether there are GPS data.
    int EnableState() const;
    SLocalWorldDef *Definition();
    void FitTwoPoints();
    void FitGridToGps(SLocalWorldDef &def);
    double GridRotationCost(double degrees) const;
    double SearchRotation(double low, double high, double step) const;
    ORQ::Transform::SPoint2D LocalOfTrace(const SLineGeometry &g, int trace) const;
    SPlanPointInfo BuildPointInfo(const double local[2], std::string *text,
                                  const char *format) const;

    void DrawLocalMarkers(CPlanDC *dc, const CGPSInfo::SLineRecord &line,
                          const SLineDisplayEntry &style);
    void DrawTracePoint(CPlanDC *dc, const CGPSInfo::SLineRecord &line, CGPSInfo::SGPSPoint &record,
                        int layer, SChain &chain, const SLineDisplayEntry &style);
    void DrawSegment(CPlanDC *dc, POINT from, POINT to, const SLineDisplayEntry &style);
    static void DrawMarker(CPlanDC *dc, POINT at, const SLineDisplayEntry &style);

    ETarget m_target;
    const ILineSelection *m_selection = nullptr;
    bool m_recompute[CGPSInfo::SOURCE_COUNT] = {true, true, true};
    ORQ::SRectMeasure m_dataExtent{0, 0, 0, 0, ORQ::UNIT_M};
    ORQ::SRectMeasure m_mapExtent{0, 0, 0, 0, ORQ::UNIT_M};
    RECT m_plot{};
    RECT m_plotDevice{};
    CGPSInfo *m_gps = nullptr;
    ORQ::Transform::STransformParams m_params;
    ORQ::Transform::CTransformMatrix2D m_transform;
    double m_rotation = 0;
    double m_northHeading = 0;
    RECT m_clip{};
    // The page's own copy of the definition it fits.
    SLocalWorldDef m_pageDefinition;
    std::unordered_map<const CGPSInfo::SLineRecord *, SLineGeometry> m_geometry;
    bool m_outOfRange = false;
    bool m_invalidTrace = false;
    bool m_invalidTraceReported = false;
};
