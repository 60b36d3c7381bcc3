#pragma once

#include "orq_utils/OrqExport.h"
#include "orq_utils/OrqMath.h"

#include <cstdint>
#include <string>

namespace ORQ {

// Unit code. Speeds are composed as (distance code << 16) | time code, e.g. miles per hour
// 0x9000B, metres per second 0x10007; any such value is a valid EUnitType.
enum EUnitType : int32_t {
    UNIT_NONE = 0,
    UNIT_M = 1,
    UNIT_CM = 2,
    UNIT_MM = 3,
    UNIT_KM = 4,
    UNIT_FT = 5,
    UNIT_IN = 6,
    UNIT_S = 7,
    UNIT_NS = 8,
    UNIT_MI = 9,
    UNIT_PS = 10,
    UNIT_H = 11,
    UNIT_M_PER_S = 0x10007,
    UNIT_KM_PER_H = 0x4000B,
    UNIT_MPH = 0x9000B,
};

// A speed unit made of a distance and a time unit.
constexpr EUnitType MakeSpeedUnit(EUnitType distance, EUnitType time) {
    return static_cast<EUnitType>((static_cast<int32_t>(distance) << 16) |
                                  static_cast<int32_t>(time));
}

// One value with its unit. Default: 0 m.
struct ORQ_UTILS_API SMeasure {
    double value;
    EUnitType unit;

    SMeasure(double value = 0, EUnitType unit = UNIT_M) : value(value), unit(unit) {}
    SMeasure(const SMeasure &) = default;
    SMeasure &operator=(const SMeasure &) = default;
    SMeasure &Set(double v, EUnitType u) {
        value = v;
        unit = u;
        return *this;
    }
    SMeasure &Set(const SMeasure &other) { return *this = other; }
    // Value and unit from a text such as "12.5 m" or "3 ft": the leading number (0 when there is
    // none) and the unit named anywhere in the text.
    SMeasure &Set(const std::string &text);
    SMeasure &operator=(const std::string &text) { return Set(text); }
    // Sets the value and resets the unit to metres, whatever it was.
    SMeasure &operator=(double v) { return Set(v, UNIT_M); }

    double Value() const { return value; }
    EUnitType Units() const { return unit; }

    // Converted into unit to, rounded to decimals places unless decimals is -1; 0 in unit to
    // when the units are of different kinds.
    SMeasure Convert(EUnitType to, int decimals) const;
    // The value in unit to, unrounded.
    double operator()(EUnitType to) const;
    double Meters() const { return (*this)(UNIT_M); }
    double Feet() const { return (*this)(UNIT_FT); }
    // "%f %s" of the value and the unit's symbol, e.g. "1.500000 m".
    std::string Show() const;
};

// An X/Y pair sharing one unit. Default: (0, 0) m.
struct ORQ_UTILS_API S2DMeasure {
    double x;
    double y;
    EUnitType unit;

    S2DMeasure(double x = 0, double y = 0, EUnitType unit = UNIT_M) : x(x), y(y), unit(unit) {}
    // Each component converted into unit (unrounded).
    S2DMeasure(const SMeasure &x, const SMeasure &y, EUnitType unit);
    S2DMeasure(const S2DMeasure &) = default;
    S2DMeasure &operator=(const S2DMeasure &) = default;
    S2DMeasure &Set(double nx, double ny, EUnitType u) {
        x = nx;
        y = ny;
        unit = u;
        return *this;
    }
    S2DMeasure &Set(const S2DMeasure &other) { return *this = other; }

    // Set one component and the shared unit; the other component is not converted.
    void SetX(double v, EUnitType u) {
        x = v;
        unit = u;
    }
    void SetY(double v, EUnitType u) {
        y = v;
        unit = u;
    }
    void SetX(const SMeasure &m) { SetX(m.value, m.unit); }
    void SetY(const SMeasure &m) { SetY(m.value, m.unit); }
    void SetX(const std::string &text);
    void SetY(const std::string &text);

    // One component converted into unit to, unrounded.
    double X(EUnitType to) const;
    double Y(EUnitType to) const;

    // Converted into unit to, each component rounded separately unless decimals is -1.
    S2DMeasure Convert(EUnitType to, int decimals) const;
    S2DMeasure operator()(EUnitType to) const { return Convert(to, -1); }

protected:
    double ConvertX(EUnitType to, int decimals) const;
    double ConvertY(EUnitType to, int decimals) const;
};

// An X/Y/Z triple, produced by conversions.
struct ORQ_UTILS_API S3DMeasure {
    double x;
    double y;
    double z;
    EUnitType unit;

    S3DMeasure(double x = 0, double y = 0, double z = 0, EUnitType unit = UNIT_M)
        : x(x), y(y), z(z), unit(unit) {}
};

// A rectangle (left, top, right, bottom) in one unit. Default: all 0 m.
struct ORQ_UTILS_API SRectMeasure {
    double left;
    double top;
    double right;
    double bottom;
    EUnitType unit;

    SRectMeasure(double left = 0, double top = 0, double right = 0, double bottom = 0,
                 EUnitType unit = UNIT_M)
        : left(left), top(top), right(right), bottom(bottom), unit(unit) {}
    // left/top from a, right/bottom from b converted into a's unit; the unit is a's.
    SRectMeasure(const S2DMeasure &a, const S2DMeasure &b);
    SRectMeasure(const SRectMeasure &) = default;
    SRectMeasure &operator=(const SRectMeasure &) = default;

    // One edge converted into unit to, rounded to decimals unless -1.
    double Left(EUnitType to, int decimals) const;
    double Top(EUnitType to, int decimals) const;
    double Right(EUnitType to, int decimals) const;
    double Bottom(EUnitType to, int decimals) const;

    // Exact comparison of the edges after converting other into this rectangle's unit.
    bool operator!=(const SRectMeasure &other) const;
    bool operator==(const SRectMeasure &other) const { return !(*this != other); }

    // Converts this rectangle in place into unit to and returns a copy of it.
    SRectMeasure Convert(EUnitType to);
};

// A polymorphic holder of one measure, plus the unit services. Default: 0 with no unit.
class ORQ_UTILS_API CMeasure {
public:
    CMeasure() : m_measure(0, UNIT_NONE) {}
    CMeasure(const CMeasure &) = default;
    CMeasure &operator=(const CMeasure &) = default;
    virtual ~CMeasure();

    static bool IsTimeUnit(EUnitType unit);
    static bool IsImperialUnit(EUnitType unit);
    static bool IsDistanceUnit(EUnitType unit);
    static bool IsSpeedUnit(EUnitType unit);
    // A time, distance or speed unit, or none.
    static bool IsValidUnit(EUnitType unit);
    bool IsTimeUnit() const { return IsTimeUnit(m_measure.unit); }
    bool IsImperialUnit() const { return IsImperialUnit(m_measure.unit); }
    bool IsDistanceUnit() const { return IsDistanceUnit(m_measure.unit); }
    bool IsSpeedUnit() const { return IsSpeedUnit(m_measure.unit); }

    // The factor from one unit to another of the same kind; false (factor untouched) when the
    // units are of different kinds or either is none. A unit to itself is always factor 1.
    static bool GetConversionFactor(EUnitType from, EUnitType to, double &factor);
    // Conversions: value times the factor, or 0 (in unit to) when there is none.
    static double ConvertTo(double value, EUnitType from, EUnitType to);
    static SMeasure ConvertTo(const SMeasure &m, EUnitType to);
    static S2DMeasure ConvertTo(const S2DMeasure &m, EUnitType to);

    // The unit named by a symbol or a name ("m", "feet", "Kilometers per Hour", "km/h"); 0 when
    // nothing is recognised.
    static EUnitType StringToUnit(std::string text);
    // The unit's symbol ("m", "ft", "mi/h"); "" for none or an unknown code.
    static std::string UnitToString(EUnitType unit);
    // True when |a - b| < tolerance after converting a into b's unit; false for units of
    // different kinds.
    static bool Equals(const SMeasure &a, const SMeasure &b, double tolerance);

    // Stores the measure when its unit is valid (true); otherwise stores 0 with no unit (false).
    bool SetMeasure(double value, EUnitType unit);
    bool SetMeasure(const SMeasure &m) { return SetMeasure(m.value, m.unit); }
    SMeasure GetMeasure() const { return m_measure; }
    SMeasure ConvertTo(EUnitType to) const { return ConvertTo(m_measure, to); }
    std::string GetUnitSymbol() const { return UnitToString(m_measure.unit); }

private:
    SMeasure m_measure;
};

// value converted between the units, rounded to decimals unless -1; 0 without a factor.
ORQ_UTILS_API double Convert(double value, EUnitType from, EUnitType to, int decimals);

// floor(v + 0.5) as a device or logical coordinate; beyond the 32-bit range it saturates, and
// what is not a number gives 0 (casting such values to int is undefined).
ORQ_UTILS_API int32_t RoundToDevice(double v);

ORQ_UTILS_API SMeasure ConvertMeasureUnits(const SMeasure &m, EUnitType to);
ORQ_UTILS_API S2DMeasure ConvertMeasureUnits(const S2DMeasure &m, EUnitType to);
ORQ_UTILS_API S3DMeasure ConvertMeasureUnits(const S3DMeasure &m, EUnitType to);
ORQ_UTILS_API SRectMeasure ConvertMeasureUnits(const SRectMeasure &m, EUnitType to);
// Device coordinates: multiplied by *scale (when given) and taken to floor(v + 0.5); no unit
// conversion. With a scale measure the pair or rectangle is first converted into the scale's
// unit and multiplied by its value (device units per unit, e.g. pixels per metre).
ORQ_UTILS_API POINT ConvertMeasureUnits(S2DMeasure point, const double *scale);
ORQ_UTILS_API POINT ConvertMeasureUnits(S2DMeasure point, const SMeasure &scale);
ORQ_UTILS_API RECT ConvertMeasureUnits(SRectMeasure rect, const double *scale);
ORQ_UTILS_API RECT ConvertMeasureUnits(SRectMeasure rect, const SMeasure &scale);

} // namespace ORQ
