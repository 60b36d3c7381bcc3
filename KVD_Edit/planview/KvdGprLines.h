#pragma once

#include "KVD_Edit/planview/LinePos.h"
#include "KVD_Edit/planview/PlanDC.h"

#include <memory>
#include <string>
#include <vector>

class CPrgFont;

// A stored position of a data file: X, Y, Z, the position along the file (0 to 1) and the unit.
struct SLinePosition {
    double x = 0;
    double y = 0;
    double z = 0;
    double normalized_file_pos = 0;
    ORQ::EUnitType units = ORQ::UNIT_M;
};

// A fiducial comment of a data file: its text and odometer distance in metres.
struct SLineFiducial {
    std::string text;
    double ododist = 0;
};

// One data file of a line, as the geometry needs it from the project.
struct SLineFileSource {
    bool found = true;    // the file's entry could be read
    bool isGPR = true;    // a radar trace file (.dt1)
    long long traces = 0; // number of traces of the file
    double odoStep = 0;   // the file's odometer step between traces
    std::vector<SLinePosition> positions;
    std::vector<SLineFiducial> fiducials;
};

// One line of the project with its address and data files. lineType is the line's ELineType:
// 2 runs along X, 3 along Y, 0 neither.
struct SLineSource {
    int set = -1;
    int line = 0;
    int lineType = 0;
    std::vector<SLineFileSource> files;
};

// The lines of a project in the order the plan view numbers them.
using CLinesSource = std::vector<SLineSource>;

// Which lines are selected and the pen they are drawn with (the document's selection list).
class ILineSelection {
public:
    virtual ~ILineSelection() = default;
    virtual bool IsSelected(int set, int line) const = 0;
    virtual SPlanPen GetFocusPen() const = 0;
};

// The radar lines of the open project as polylines in the plan view's logical units: built
// from the lines' stored positions, drawn with the selection pen for selected lines, a
// direction arrow head at the end of each line, fiducial marks and comments; the extent of the
// lines in three ways, which line lies under a point, and the average separation of the grid's
// lines. It also gives positions along the lines to the GPS data.
class CKvdGprLines : public ILinePos {
public:
    struct SKvdDataBlockElementAddress {
        int set = -1;
        int line = -1;
        int file = -1;
    };

    struct FidPos {
        POINT pos{};
        std::string text;
    };

    struct SPolylines {
        std::vector<RECT> rects;   // bounding rectangle per line
        std::vector<POINT> ranges; // per line: index of its first and last point (inclusive)
        std::vector<POINT> points; // all points of all lines, line after line
    };

    struct SLinesData {
        std::vector<std::unique_ptr<FidPos>> fids;
        std::vector<SLinePosition> positions; // per point: the stored position it came from
        std::vector<SKvdDataBlockElementAddress> addresses; // per point
        ORQ::SMeasure scale;
        SPolylines polylines;
        void Clear();
    };

    // Which line extent GetDataBounds reports.
    enum EDataLimitType { LIMIT_ALL = 0, LIMIT_CROSS = 1, LIMIT_COMMON = 2, LIMIT_REFUSED = 3 };

    CKvdGprLines();
    ~CKvdGprLines() override;

    void SetSelection(const ILineSelection *selection) { m_selection = selection; }
    int SetPen(const SPlanPen &pen);
    const SPlanPen &GetPen() const { return m_pen; }
    void SetLineStyle(COLORREF colour, const int *style, const int *width);
    void SetFidDisplay(bool marks, bool comments, const CPrgFont *font);

    // Builds the geometry: every position converted with scale into logical units; markSize
    // widens the line rectangles; lineKind 2 takes every line, 0 only lines along X, 1 only
    // lines along Y.
    void GetLinesData(SLinesData &data, const CLinesSource &source, ORQ::SMeasure scale,
                      int markSize, int lineKind) const;
    // Rebuilds the object's own geometry, fills deviceCopy when given and draws. Returns 0
    // without a source. A caller that numbers the contents of its source (sourceVersion not 0,
    // a new number whenever the source is read again) keeps the geometry of the last draw
    // while source, version, scale, arrow size and line kind are the same: a paint after a
    // scroll only draws.
    int DrawLines(const CLinesSource *source, CPlanDC *dc, ORQ::SMeasure scale,
                  SPolylines *deviceCopy, const ORQ::SMeasure *arrowSize, int lineKind,
                  unsigned sourceVersion = 0);
    void DrawData(const SLinesData &data, CPlanDC *dc, int arrowSize);
    static void DrawArrowHead(CPlanDC *dc, const POINT *tip, const POINT *before, int size);
    // The three corners of an arrow head (tip, base left, base right); false when the last
    // segment has no length.
    static bool ArrowHead(POINT tip, POINT before, int size, POINT corners[3]);
    void ToDevice(SPolylines &deviceCopy, CPlanDC *dc) const;
    // x: the line whose rectangle contains the point and whose centre is nearest on one axis,
    // y: that metric; (-1, -1) when no rectangle contains the point.
    static POINT HitTest(const POINT *point, const SPolylines &deviceCopy);
    // The lines whose device rectangles intersect band (normalised), in line order.
    static std::vector<int> LinesInBand(const RECT &band, const SPolylines &deviceCopy);
    SKvdDataBlockElementAddress GetPointAddress(int line, int offset,
                                                const SLinesData *data = nullptr) const;
    SKvdDataBlockElementAddress GetPointAddressAt(int index,
                                                  const SLinesData *data = nullptr) const;

    static bool GetLineBounds(ORQ::SRectMeasure &rect, const SLineSource &line);
    static bool GetDataBounds(ORQ::SRectMeasure &rect, const CLinesSource &source, int limit);
    static bool GetAvgLineSeparation(ORQ::SMeasure &result, const CLinesSource &source);
    static double GetTraceSpacing(const CLinesSource &source, int file, int line,
                                  ORQ::EUnitType unit);

    bool GetPosAtDistance(double *x, double *y, double *z, unsigned line,
                          const double *distance) override;
    int GetLineCount() override;

    const SLinesData &GetData() const { return m_data; }
    // Per line of the last drawing: 1 where it was drawn as selected.
    const std::vector<char> &DrawnSelection() const { return m_drawnSelection; }

private:
    const ILineSelection *m_selection = nullptr;
    SPlanPen m_pen;
    SLinesData m_data;
    // What m_data was built from, when its source was numbered (see DrawLines).
    struct SDataKey {
        const CLinesSource *source = nullptr;
        unsigned version = 0;
        ORQ::SMeasure scale;
        int markSize = 0;
        int lineKind = 0;
    } m_dataKey;
    const CPrgFont *m_commentFont = nullptr;
    bool m_showMarks = false;
    bool m_showComments = false;
    int m_lineStyle = PS_SOLID;
    int m_lineWidth = 1;
    std::vector<char> m_drawnSelection;
};
