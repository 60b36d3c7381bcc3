#include "orq_utils/Measure.h"

#include "orq_utils/CLocale.h"
#include "orq_utils/Str.h"

#include <cctype>
#include <climits>
#include <cmath>

namespace ORQ {

namespace {

// Symbols and factors to the base unit (metre for distances, second for times), by unit code.
struct SUnitRow {
    char symbol[8];
    double factor;
};

const SUnitRow kUnits[12] = {
    {"", 0},        {"m", 1}, {"cm", 0.01}, {"mm", 0.001},    {"km", 1000},  {"ft", 0.3048},
    {"in", 0.0254}, {"s", 1}, {"ns", 1e-9}, {"mi", 1609.344}, {"ps", 1e-12}, {"h", 3600},
};

int32_t DistancePart(EUnitType unit) {
    return static_cast<int32_t>(unit) >> 16;
}
int32_t TimePart(EUnitType unit) {
    return static_cast<int16_t>(static_cast<int32_t>(unit) & 0xFFFF);
}

bool IsDistanceCode(int32_t code) {
    return (code >= 1 && code <= 6) || code == 9;
}
bool IsTimeCode(int32_t code) {
    return code == 7 || code == 8 || code == 10 || code == 11;
}

// The factor between two plain (non-speed) units of one kind.
bool PlainFactor(int32_t from, int32_t to, double &factor) {
    if ((IsDistanceCode(from) && IsDistanceCode(to)) || (IsTimeCode(from) && IsTimeCode(to))) {
        factor = kUnits[from].factor / kUnits[to].factor;
        return true;
    }
    return false;
}

double RoundUnless(double v, int decimals) {
    return decimals == -1 ? v : Round(v, decimals);
}

} // namespace

int32_t RoundToDevice(double v) {
    const double r = std::floor(v + 0.5);
    if (std::isnan(r))
        return 0;
    if (r >= static_cast<double>(INT32_MAX))
        return INT32_MAX;
    if (r <= static_cast<double>(INT32_MIN))
        return INT32_MIN;
    return static_cast<int32_t>(r);
}

// SMeasure

SMeasure &SMeasure::Set(const std::string &text) {
    unit = CMeasure::StringToUnit(text);
    value = AtofC(text.c_str());
    return *this;
}

SMeasure SMeasure::Convert(EUnitType to, int decimals) const {
    return SMeasure(ORQ::Convert(value, unit, to, decimals), to);
}

double SMeasure::operator()(EUnitType to) const {
    return CMeasure::ConvertTo(value, unit, to);
}

std::string SMeasure::Show() const {
    CStr text;
    text.Format("%f %s", value, CMeasure::UnitToString(unit).c_str());
    return text;
}

// S2DMeasure

S2DMeasure::S2DMeasure(const SMeasure &mx, const SMeasure &my, EUnitType u)
    : x(mx(u)), y(my(u)), unit(u) {}

void S2DMeasure::SetX(const std::string &text) {
    SetX(SMeasure().Set(text));
}

void S2DMeasure::SetY(const std::string &text) {
    SetY(SMeasure().Set(text));
}

double S2DMeasure::X(EUnitType to) const {
    return CMeasure::ConvertTo(x, unit, to);
}

double S2DMeasure::Y(EUnitType to) const {
    return CMeasure::ConvertTo(y, unit, to);
}

double S2DMeasure::ConvertX(EUnitType to, int decimals) const {
    return ORQ::Convert(x, unit, to, decimals);
}

double S2DMeasure::ConvertY(EUnitType to, int decimals) const {
    return ORQ::Convert(y, unit, to, decimals);
}

S2DMeasure S2DMeasure::Convert(EUnitType to, int decimals) const {
    return S2DMeasure(ConvertX(to, decimals), ConvertY(to, decimals), to);
}

// SRectMeasure

SRectMeasure::SRectMeasure(const S2DMeasure &a, const S2DMeasure &b)
    : left(a.x), top(a.y), right(b.X(a.unit)), bottom(b.Y(a.unit)), unit(a.unit) {}

double SRectMeasure::Left(EUnitType to, int decimals) const {
    return ORQ::Convert(left, unit, to, decimals);
}

double SRectMeasure::Top(EUnitType to, int decimals) const {
    return ORQ::Convert(top, unit, to, decimals);
}

double SRectMeasure::Right(EUnitType to, int decimals) const {
    return ORQ::Convert(right, unit, to, decimals);
}

double SRectMeasure::Bottom(EUnitType to, int decimals) const {
    return ORQ::Convert(bottom, unit, to, decimals);
}

bool SRectMeasure::operator!=(const SRectMeasure &other) const {
    return other.Left(unit, -1) != left || other.Top(unit, -1) != top ||
           other.Right(unit, -1) != right || other.Bottom(unit, -1) != bottom;
}

SRectMeasure SRectMeasure::Convert(EUnitType to) {
    *this = ConvertMeasureUnits(*this, to);
    return *this;
}

// CMeasure

CMeasure::~CMeasure() = default;

bool CMeasure::IsTimeUnit(EUnitType unit) {
    return IsTimeCode(unit);
}

bool CMeasure::IsImperialUnit(EUnitType unit) {
    return unit == UNIT_FT || unit == UNIT_IN || unit == UNIT_MI;
}

bool CMeasure::IsDistanceUnit(EUnitType unit) {
    return IsDistanceCode(unit);
}

bool CMeasure::IsSpeedUnit(EUnitType unit) {
    return IsDistanceCode(DistancePart(unit)) && IsTimeCode(TimePart(unit));
}

bool CMeasure::IsValidUnit(EUnitType unit) {
    return unit == UNIT_NONE || IsTimeUnit(unit) || IsDistanceUnit(unit) || IsSpeedUnit(unit);
}

bool CMeasure::GetConversionFactor(EUnitType from, EUnitType to, double &factor) {
    // Converting into the same unit never changes a value, whatever the unit.
    if (from == to) {
        factor = 1.0;
        return true;
    }
    if (IsSpeedUnit(from) && IsSpeedUnit(to)) {
        double distance = 0, time = 0;
        if (PlainFactor(DistancePart(from), DistancePart(to), distance) &&
            PlainFactor(TimePart(from), TimePart(to), time)) {
            factor = distance / time;
            return true;
        }
        return false;
    }
    return PlainFactor(from, to, factor);
}

double CMeasure::ConvertTo(double value, EUnitType from, EUnitType to) {
    double factor = 0;
    return GetConversionFactor(from, to, factor) ? value * factor : 0.0;
}

SMeasure CMeasure::ConvertTo(const SMeasure &m, EUnitType to) {
    return SMeasure(ConvertTo(m.value, m.unit, to), to);
}

S2DMeasure CMeasure::ConvertTo(const S2DMeasure &m, EUnitType to) {
    return S2DMeasure(ConvertTo(m.x, m.unit, to), ConvertTo(m.y, m.unit, to), to);
}

EUnitType CMeasure::StringToUnit(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto has = [&text](const char *part) { return text.find(part) != std::string::npos; };
    const auto speed = [](const std::string &distance, const std::string &time) {
        const EUnitType d = StringToUnit(distance);
        const EUnitType t = StringToUnit(time);
        return IsDistanceUnit(d) && IsTimeUnit(t) ? MakeSpeedUnit(d, t) : UNIT_NONE;
    };

    const size_t slash = text.find('/');
    if (slash != std::string::npos)
        return speed(text.substr(0, slash), text.substr(slash + 1));
    const size_t per = text.find(" per ");
    if (per != std::string::npos)
        return speed(text.substr(0, per), text.substr(per + 4));

    static const struct {
        const char *text;
        EUnitType unit;
    } kNames[] = {
        {"millimeter", UNIT_MM},
        {"centimeter", UNIT_CM},
        {"kilometer", UNIT_KM},
        {"millimetre", UNIT_MM},
        {"centimetre", UNIT_CM},
        {"kilometre", UNIT_KM},
        {"nanosec", UNIT_NS},
        {"picosec", UNIT_PS},
        {"hour", UNIT_H},
        {"mph", UNIT_MPH},
        // Short forms; the order decides ("inches" is inches, not hours).
        {"ps", UNIT_PS},
        {"mm", UNIT_MM},
        {"cm", UNIT_CM},
        {"km", UNIT_KM},
        {"mi", UNIT_MI},
        {"in", UNIT_IN},
        {"ns", UNIT_NS},
        {"h", UNIT_H},
        {"m", UNIT_M},
        {"f", UNIT_FT},
        {"s", UNIT_S},
    };
    for (const auto &name : kNames) {
        if (has(name.text))
            return name.unit;
    }
    return UNIT_NONE;
}

std::string CMeasure::UnitToString(EUnitType unit) {
    if (IsSpeedUnit(unit))
        return std::string(kUnits[DistancePart(unit)].symbol) + "/" + kUnits[TimePart(unit)].symbol;
    if (IsTimeUnit(unit) || IsDistanceUnit(unit))
        return kUnits[unit].symbol;
    return std::string();
}

bool CMeasure::Equals(const SMeasure &a, const SMeasure &b, double tolerance) {
    double factor = 0;
    if (!GetConversionFactor(a.unit, b.unit, factor))
        return false;
    return tolerance > std::fabs(a.value * factor - b.value);
}

bool CMeasure::SetMeasure(double value, EUnitType unit) {
    if (IsValidUnit(unit)) {
        m_measure.Set(value, unit);
        return true;
    }
    m_measure.Set(0, UNIT_NONE);
    return false;
}

// Free conversions

double Convert(double value, EUnitType from, EUnitType to, int decimals) {
    return RoundUnless(CMeasure::ConvertTo(value, from, to), decimals);
}

SMeasure ConvertMeasureUnits(const SMeasure &m, EUnitType to) {
    return CMeasure::ConvertTo(m, to);
}

S2DMeasure ConvertMeasureUnits(const S2DMeasure &m, EUnitType to) {
    return CMeasure::ConvertTo(m, to);
}

S3DMeasure ConvertMeasureUnits(const S3DMeasure &m, EUnitType to) {
    return S3DMeasure(CMeasure::ConvertTo(m.x, m.unit, to), CMeasure::ConvertTo(m.y, m.unit, to),
                      CMeasure::ConvertTo(m.z, m.unit, to), to);
}

SRectMeasure ConvertMeasureUnits(const SRectMeasure &m, EUnitType to) {
    return SRectMeasure(m.Left(to, -1), m.Top(to, -1), m.Right(to, -1), m.Bottom(to, -1), to);
}

POINT ConvertMeasureUnits(S2DMeasure point, const double *scale) {
    const double f = scale ? *scale : 1.0;
    POINT p;
    p.x = RoundToDevice(point.x * f);
    p.y = RoundToDevice(point.y * f);
    return p;
}

POINT ConvertMeasureUnits(S2DMeasure point, const SMeasure &scale) {
    return ConvertMeasureUnits(ConvertMeasureUnits(point, scale.unit), &scale.value);
}

RECT ConvertMeasureUnits(SRectMeasure rect, const double *scale) {
    const double f = scale ? *scale : 1.0;
    RECT r;
    r.left = RoundToDevice(rect.left * f);
    r.top = RoundToDevice(rect.top * f);
    r.right = RoundToDevice(rect.right * f);
    r.bottom = RoundToDevice(rect.bottom * f);
    return r;
}

RECT ConvertMeasureUnits(SRectMeasure rect, const SMeasure &scale) {
    return ConvertMeasureUnits(ConvertMeasureUnits(rect, scale.unit), &scale.value);
}

} // namespace ORQ
