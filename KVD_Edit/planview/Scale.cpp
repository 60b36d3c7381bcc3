#include "KVD_Edit/planview/Scale.h"

#include "KVD_Edit/planview/Legend.h"
#include "orq_utils/Measure.h"
#include "orq_utils/Str.h"

#include <cmath>

namespace {

std::string FormatValue(double v, int decimals) {
    ORQ::CStr s;
    s.Format("%.*f", decimals, v);
    return s;
}

// A label: a value that rounds to zero (a tick reached by adding steps may lie a hair below
// it) reads "0", not "-0".
std::string LabelText(double v, int decimals) {
    std::string s = FormatValue(v, decimals);
    if (s[0] == '-' && s.find_first_not_of("0.", 1) == std::string::npos)
        s.erase(0, 1);
    return s;
}

// Decimals of labels at a step: none for steps of 1 and more.
int DecimalsForStep(double step) {
    int d = static_cast<int>(-std::floor(std::log10(step)));
    return d < 0 ? 0 : d;
}

// Labels never carry more decimals than a double holds.
constexpr int kMaxDecimals = 17;
// Upper bound of ticks in one bar: a step that small draws nothing.
constexpr double kMaxTicks = 100000;

} // namespace

void CScale::Init(const SScaleDef &def, const CPrgFont *font) {
    m_font = font;
    m_def = def;
    if (m_def.title.size() > 7)
        m_def.title.resize(7);
    m_position = def.position;
}

void CScale::SetTitle(const std::string &title) {
    m_def.title = title.substr(0, 7);
}

double CScale::NiceCeil(double x) {
    if (!(x > 0) || !std::isfinite(x))
        return 0;
    double k = std::floor(std::log10(x));
    double p = std::pow(10.0, k);
    double y = x / p;
    double nice;
    if (y <= 1)
        nice = 1;
    else if (y <= 2)
        nice = 2;
    else if (y <= 5)
        nice = 5;
    else
        nice = 10;
    return nice * p;
}

void CScale::GetValueRange(double &low, double &high, const SDrawParam &param) const {
    low = std::max(std::min(param.start, param.end), m_def.min);
    high = std::min(std::max(param.start, param.end), m_def.max);
}

CSize CScale::MarginSize(CPlanDC *dc) const {
    CSize m = dc->HIMETRICtoLP(CSize(m_def.margin * 50, m_def.margin * 50));
    return CSize(std::abs(m.cx), std::abs(m.cy));
}

CSize CScale::GetTickSize(CPlanDC *dc) const {
    int w = dc->GetTextExtent("+").cx;
    return CSize(w, (3 * w) / 2);
}

CSize CScale::GetTickVector(int length, CPlanDC *dc) const {
    POINT a = dc->LPtoDP(PlanRect::Pt(length, length));
    POINT o = dc->LPtoDP(PlanRect::Pt(0, 0));
    int dx = a.x - o.x;
    int dy = a.y - o.y;
    CSize v;
    switch (m_def.position) {
    case 6:
        v = CSize(0, -dy);
        break;
    case 14:
        v = CSize(0, dy);
        break;
    case 24:
        v = CSize(-dx, 0);
        break;
    default:
        v = CSize(dx, 0);
        break;
    }
    // Back to logical units with the signs kept: with y up the device vector's sign already
    // carries the flip, so the result points away from the map on screen in every mapping.
    return dc->DPtoLP(v);
}

CSize CScale::GetMaxTxtSize(CPlanDC *dc, const SDrawParam &param) const {
    if (m_font == nullptr || dc == nullptr)
        return CSize();
    const CPrgFont *previous = dc->SelectFont(m_font);
    double low = 0, high = 0;
    GetValueRange(low, high, param);
    CSize a = dc->GetTextExtent(FormatValue(-std::fabs(low), param.decimals));
    CSize b = dc->GetTextExtent(FormatValue(-std::fabs(high), param.decimals));
    CSize size(std::max(a.cx, b.cx), std::max(a.cy, b.cy));
    CSize tick = GetTickSize(dc);
    if (IsVertical())
        size.cx += tick.cy;
    else
        size.cy += tick.cy;
    if (!m_def.title.empty()) {
        CSize t = dc->GetTextExtent(m_def.title);
        size.cx = std::max(size.cx, t.cx);
        size.cy = std::max(size.cy, t.cy);
    }
    CSize m = MarginSize(dc);
    size.cx += m.cx;
    size.cy += m.cy;
    dc->SelectFont(previous);
    return size;
}

void CScale::AutoScale(SDrawParam &param, CPlanDC *dc, const RECT *frame) {
    m_param = param;
    CSize size = GetMaxTxtSize(dc, param);
    RECT r = PlanRect::Normalized(param.rect);
    double room = IsVertical() ? PlanRect::Height(r) : PlanRect::Width(r);
    double need = IsVertical() ? size.cy : size.cx;
    double step = room > 0 ? std::fabs(param.end - param.start) * need / room : 0;
    step = NiceCeil(step);
    // A range without extent (one line, one value) has no step: no ticks and no decimals.
    int decimals = step > 0 ? std::min(DecimalsForStep(step), kMaxDecimals) : 0;

    if (m_param.decimals < decimals) {
        param.step = step;
        param.decimals = decimals;
        AutoScale(param, dc, frame);
        return;
    }
    param.step = step;
    param.decimals = decimals;
    m_param = param;
    if (frame != nullptr && ReserveSpace(&r, frame, dc, true) > 0)
        param.rect = r;
}

POINT CScale::ValueToPoint(double value, const SDrawParam &param) const {
    const RECT &r = param.rect;
    if (IsVertical()) {
        const int y =
            ORQ::RoundToDevice(PlanInterpolate(value, param.start, param.end, r.top, r.bottom));
        return PlanRect::Pt(m_def.position == 24 ? r.left : r.right, y);
    }
    const int x =
        ORQ::RoundToDevice(PlanInterpolate(value, param.start, param.end, r.left, r.right));
    return PlanRect::Pt(x, m_def.position == 6 ? r.top : r.bottom);
}

CScale::SDrawParam CScale::SetDrawParam(const SDrawParam *param) {
    SDrawParam old = m_param;
    if (param != nullptr)
        m_param = *param;
    return old;
}

POINT CScale::DrawTick(double value, CPlanDC *dc, const SDrawParam &param, CSize vector,
                       std::vector<POINT> *segments, bool line) const {
    POINT base = ValueToPoint(value, param);
    POINT tip = PlanRect::Pt(base.x + vector.cx, base.y + vector.cy);
    if (line) {
        dc->MoveTo(tip);
        dc->LineTo(base);
    }
    if (segments != nullptr) {
        POINT opposite = base;
        switch (m_def.position) {
        case 6:
            opposite.y = param.rect.bottom;
            break;
        case 14:
            opposite.y = param.rect.top;
            break;
        case 24:
            opposite.x = param.rect.right;
            break;
        default:
            opposite.x = param.rect.left;
            break;
        }
        segments->push_back(base);
        segments->push_back(opposite);
    }
    return tip;
}

UINT CScale::OuterAlignment(int position) {
    switch (position) {
    case 0:
        return 10;
    case 2:
        return 8;
    case 6:
        return 14;
    case 8:
        return 2;
    case 10:
        return 0;
    case 14:
        return 6;
    case 24:
        return 26;
    case 26:
        return 24;
    default:
        return 30;
    }
}

int CScale::Draw(CPlanDC *dc, std::vector<POINT> *segments, const SDrawParam *param, int mode) {
    if (m_font == nullptr || dc == nullptr)
        return 0;
    const SDrawParam &p = param != nullptr ? *param : m_param;
    const CPrgFont *previousFont = dc->SelectFont(m_font);
    UINT previousAlign = dc->SetTextAlign(OuterAlignment(m_def.position));

    double low = 0, high = 0;
    GetValueRange(low, high, p);
    int result = -1;
    const double step = p.step;
    if (step > 0.0001 && std::isfinite(step) && (high - low) / step < kMaxTicks) {
        high += step / 20;
        STickRun run;
        result = DrawMajorTicks(dc, segments, p, mode, low, high, run);
        // Minor ticks need the spacing of two major ticks to size themselves.
        if (run.majors >= 2 && mode != 0)
            DrawMinorTicks(dc, p, low, high, run);
    }
    DrawTitle(dc, p);

    dc->SetTextAlign(previousAlign);
    dc->SelectFont(previousFont);
    return result != 0 ? 1 : 0;
}

int CScale::DrawMajorTicks(CPlanDC *dc, std::vector<POINT> *segments, const SDrawParam &p, int mode,
                           double low, double high, STickRun &run) const {
    const CSize major = GetTickVector(GetTickSize(dc).cy, dc);
    const CSize m = MarginSize(dc);
    const RECT marginRect = PlanRect::Make(m.cx, m.cy, m.cx, m.cy);
    const double step = p.step;
    const bool line = mode != 0;
    int result = -1;
    double v = step * std::trunc(low / step);
    if (low > v)
        v += step;
    bool haveLast = false;
    RECT lastLabel{};
    RECT lastMargin{};
    UINT align = dc->GetTextAlign();
    for (; high > v; v += step) {
        run.previousTip = run.currentTip;
        run.currentTip = DrawTick(v, dc, p, major, segments, line);
        ++run.majors;
        std::string label = LabelText(v, p.decimals);
        if (mode == 1) {
            dc->TextOut(run.currentTip.x, run.currentTip.y, label);
            continue;
        }
        RECT labelRect = GetTextPosEstimate(dc, run.currentTip, label.c_str(), nullptr, &align);
        RECT labelMargin =
            GetTextPosEstimate(dc, run.currentTip, label.c_str(), &marginRect, &align);
        bool hidden = false;
        if (!haveLast) {
            result = 1;
        } else {
            result = PlanRect::Intersects(PlanRect::Normalized(labelMargin),
                                          PlanRect::Normalized(lastMargin))
                         ? 0
                         : 1;
            hidden = PlanRect::Intersects(PlanRect::Normalized(labelRect),
                                          PlanRect::Normalized(lastLabel));
        }
        // Mode 0 draws nothing but follows the labels as if they were drawn.
        if (!hidden) {
            if (mode != 0)
                dc->TextOut(run.currentTip.x, run.currentTip.y, label);
            lastLabel = labelRect;
            lastMargin = labelMargin;
            haveLast = true;
        }
    }
    return result;
}

void CScale::DrawMinorTicks(CPlanDC *dc, const SDrawParam &p, double low, double high,
                            const STickRun &run) const {
    const CSize tick = GetTickSize(dc);
    const CSize minor = GetTickVector(tick.cx, dc);
    const double step = p.step;
    int dx = run.currentTip.x - run.previousTip.x;
    int dy = run.currentTip.y - run.previousTip.y;
    double distance = std::abs(dx) > std::abs(dy) ? std::abs(dx) : std::abs(dy);
    if (distance <= 0 || tick.cx <= 0)
        return;
    double minorStep = step * tick.cx / distance;
    minorStep = step / NiceCeil(step / minorStep);
    if (step / minorStep > 10)
        minorStep = step / 10;
    if (minorStep > 0.0001 && (high - low) / minorStep < kMaxTicks) {
        double mv = minorStep * std::trunc(low / minorStep);
        if (low > mv)
            mv += minorStep;
        do {
            DrawTick(mv, dc, p, minor, nullptr, true);
            mv += minorStep;
        } while (high >= mv);
    }
}

void CScale::DrawTitle(CPlanDC *dc, const SDrawParam &p) const {
    if (m_def.title.empty())
        return;
    dc->SetTextAlign(m_def.titleAlign);
    const RECT *anchorRect = p.frame != nullptr ? p.frame : &p.rect;
    POINT anchor =
        CLegend::GetAnchorPoint(static_cast<EScreenPosition>(m_def.titleAlign), anchorRect);
    dc->TextOut(anchor.x, anchor.y, " " + m_def.title + " ");
}

int CScale::Draw(CPlanDC *dc) {
    return Draw(dc, nullptr, nullptr, -1) != 0 ? 0 : -1;
}

CSize CScale::GetSize(CPlanDC *dc) {
    CSize s = GetMaxTxtSize(dc, m_param);
    double span = std::fabs(m_param.end - m_param.start);
    if (m_param.step > 0 && std::isfinite(span / m_param.step) && span / m_param.step < kMaxTicks) {
        int n = static_cast<int>(span / m_param.step) + 1;
        if (n > 1) {
            if (IsVertical())
                s.cy *= n;
            else
                s.cx *= n;
        }
    }
    return s;
}
