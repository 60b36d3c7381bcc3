#include "orq_utils/Measure.h"

#include <gtest/gtest.h>

#include <cfloat>

using namespace ORQ;

namespace {
EUnitType U(int code) {
    return static_cast<EUnitType>(code);
}
} // namespace

TEST(MeasureConversion, FactorsBetweenUnitsOfOneKind) {
    EXPECT_DOUBLE_EQ(CMeasure::ConvertTo(1, UNIT_FT, UNIT_M), 0.3048);
    EXPECT_DOUBLE_EQ(CMeasure::ConvertTo(1, UNIT_M, UNIT_FT), 3.280839895013123);
    EXPECT_DOUBLE_EQ(CMeasure::ConvertTo(1, UNIT_MI, UNIT_KM), 1.609344);
    EXPECT_DOUBLE_EQ(CMeasure::ConvertTo(1, UNIT_H, UNIT_NS), 3.6e12);
    EXPECT_DOUBLE_EQ(CMeasure::ConvertTo(1, UNIT_IN, UNIT_CM), 2.54);
    EXPECT_DOUBLE_EQ(CMeasure::ConvertTo(10, UNIT_M_PER_S, UNIT_MPH), 22.36936292054402);
    EXPECT_DOUBLE_EQ(CMeasure::ConvertTo(1, UNIT_M_PER_S, UNIT_KM_PER_H), 3.6);
    double f = -1;
    EXPECT_TRUE(CMeasure::GetConversionFactor(UNIT_FT, UNIT_M, f));
    EXPECT_DOUBLE_EQ(f, 0.3048);
}

TEST(MeasureConversion, DifferentKindsGiveZeroInTheTargetUnit) {
    double f = -1;
    EXPECT_FALSE(CMeasure::GetConversionFactor(UNIT_M, UNIT_S, f));
    EXPECT_FALSE(CMeasure::GetConversionFactor(UNIT_M, UNIT_NONE, f));
    EXPECT_FALSE(CMeasure::GetConversionFactor(UNIT_M, UNIT_M_PER_S, f));
    EXPECT_FALSE(CMeasure::GetConversionFactor(UNIT_NONE, UNIT_M, f));
    EXPECT_EQ(f, -1);
    const SMeasure five(5, UNIT_M);
    for (EUnitType to : {UNIT_S, UNIT_NONE, UNIT_MPH}) {
        const SMeasure r = CMeasure::ConvertTo(five, to);
        EXPECT_EQ(r.value, 0);
        EXPECT_EQ(r.unit, to);
        EXPECT_EQ(five.Convert(to, 2).value, 0);
        EXPECT_EQ(five(to), 0);
        EXPECT_EQ(Convert(5, UNIT_M, to, -1), 0);
    }
    const S2DMeasure p = S2DMeasure(1, 2, UNIT_M).Convert(UNIT_S, -1);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(p.unit, UNIT_S);
}

TEST(MeasureConversion, AUnitToItselfIsTheIdentity) {
    double f = 0;
    EXPECT_TRUE(CMeasure::GetConversionFactor(UNIT_NONE, UNIT_NONE, f));
    EXPECT_EQ(f, 1.0);
    EXPECT_EQ(CMeasure::ConvertTo(7.25, UNIT_NONE, UNIT_NONE), 7.25);
    EXPECT_EQ(CMeasure::ConvertTo(0.1, UNIT_FT, UNIT_FT), 0.1); // no detour through metres
    EXPECT_EQ(SMeasure(3, UNIT_NONE).Convert(UNIT_NONE, -1).value, 3);
    EXPECT_EQ(SRectMeasure(1, 2, 3, 4, UNIT_NONE).Left(UNIT_NONE, -1), 1);
}

TEST(MeasureConversion, RoundsUnlessDecimalsIsMinusOne) {
    const SMeasure m(1, UNIT_M);
    const SMeasure r = m.Convert(UNIT_FT, 2);
    EXPECT_EQ(r.value, 3.28);
    EXPECT_EQ(r.unit, UNIT_FT);
    EXPECT_DOUBLE_EQ(m.Convert(UNIT_FT, -1).value, 1 / 0.3048);
    EXPECT_EQ(m.Convert(UNIT_M, -2).value, 0); // negative decimals other than -1 round too
    EXPECT_EQ(Convert(2.345, UNIT_M, UNIT_M, 2), 2.35);
    EXPECT_DOUBLE_EQ(m.Meters(), 1);
    EXPECT_DOUBLE_EQ(SMeasure(0.3048, UNIT_M).Feet(), 1);

    const S2DMeasure p(1, 2, UNIT_M);
    const S2DMeasure q = p.Convert(UNIT_FT, 1);
    EXPECT_EQ(q.x, 3.3);
    EXPECT_EQ(q.y, 6.6);
    EXPECT_DOUBLE_EQ(p(UNIT_CM).y, 200);
    EXPECT_DOUBLE_EQ(p.X(UNIT_MM), 1000);
    EXPECT_DOUBLE_EQ(p.Y(UNIT_KM), 0.002);
}

TEST(MeasureValues, DefaultsAndAssignment) {
    EXPECT_EQ(SMeasure().unit, UNIT_M);
    EXPECT_EQ(S2DMeasure().unit, UNIT_M);
    EXPECT_EQ(SRectMeasure().unit, UNIT_M);
    SMeasure m(4, UNIT_FT);
    m = 2.5;
    EXPECT_EQ(m.Value(), 2.5);
    EXPECT_EQ(m.Units(), UNIT_M);
    m = std::string("12.5 m");
    EXPECT_EQ(m.value, 12.5);
    EXPECT_EQ(m.unit, UNIT_M);
    m.Set(std::string("3 ft"));
    EXPECT_EQ(m.value, 3);
    EXPECT_EQ(m.unit, UNIT_FT);
    m.Set(std::string("feet"));
    EXPECT_EQ(m.value, 0);
    EXPECT_EQ(m.unit, UNIT_FT);
    EXPECT_EQ(m.Set(1, UNIT_S).unit, UNIT_S);
}

TEST(MeasureValues, PairComponentsShareOneUnit) {
    S2DMeasure p(1, 2, UNIT_M);
    p.SetX(3, UNIT_FT); // the other component is not converted
    EXPECT_EQ(p.y, 2);
    EXPECT_EQ(p.unit, UNIT_FT);
    p.SetY(std::string("7 in"));
    EXPECT_EQ(p.y, 7);
    EXPECT_EQ(p.unit, UNIT_IN);
    const S2DMeasure q(SMeasure(1, UNIT_M), SMeasure(1, UNIT_FT), UNIT_CM);
    EXPECT_DOUBLE_EQ(q.x, 100);
    EXPECT_DOUBLE_EQ(q.y, 30.48);
}

TEST(MeasureShow, SixDecimalsBlankAndSymbol) {
    EXPECT_EQ(SMeasure(1.5, UNIT_M).Show(), "1.500000 m");
    EXPECT_EQ(SMeasure(2, UNIT_NONE).Show(), "2.000000 ");
    EXPECT_EQ(SMeasure(-0.25, UNIT_MPH).Show(), "-0.250000 mi/h");
}

TEST(MeasureUnitNames, ParsesSymbolsNamesAndSpeeds) {
    const struct {
        const char *text;
        int unit;
    } cases[] = {
        {"feet", 5},
        {"foot", 5},
        {"ft", 5},
        {"inches", 6},
        {"meters", 1},
        {"metres", 1},
        {"ms", 1},
        {"seconds", 7},
        {"mile", 9},
        {"miles", 9},
        {"km/h", 0x4000B},
        {"m per s", 0x10007},
        {"m/ft", 0},
        {"nanoseconds", 8},
        {"12.5 m", 1},
        {"ns", 8},
        {"", 0},
        {"mph", 0x9000B},
        {"Kilometers per Hour", 0x4000B},
        {"Millimetre", 3},
        {"CENTIMETER", 2},
        {"ps", 10},
        {"hour", 11},
        {"xyz", 0},
        {"m/", 0},
        {"/s", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CMeasure::StringToUnit(c.text), c.unit) << c.text;
}

TEST(MeasureUnitNames, SymbolsOfEveryUnit) {
    const char *symbols[] = {"", "m", "cm", "mm", "km", "ft", "in", "s", "ns", "mi", "ps", "h"};
    for (int code = 0; code < 12; ++code)
        EXPECT_EQ(CMeasure::UnitToString(U(code)), symbols[code]) << code;
    EXPECT_EQ(CMeasure::UnitToString(UNIT_MPH), "mi/h");
    EXPECT_EQ(CMeasure::UnitToString(UNIT_M_PER_S), "m/s");
    EXPECT_EQ(CMeasure::UnitToString(U(12)), "");
    EXPECT_EQ(CMeasure::UnitToString(U(-1)), "");
    EXPECT_EQ(CMeasure::UnitToString(U(0x20000)), "");
    // Every symbol parses back to its unit.
    for (int code = 1; code < 12; ++code)
        EXPECT_EQ(CMeasure::StringToUnit(CMeasure::UnitToString(U(code))), code) << code;
}

TEST(MeasureKinds, ClassifiesUnits) {
    EXPECT_TRUE(CMeasure::IsDistanceUnit(UNIT_MI));
    EXPECT_FALSE(CMeasure::IsDistanceUnit(UNIT_S));
    EXPECT_TRUE(CMeasure::IsTimeUnit(UNIT_PS));
    EXPECT_FALSE(CMeasure::IsTimeUnit(UNIT_MI));
    EXPECT_TRUE(CMeasure::IsImperialUnit(UNIT_IN));
    EXPECT_FALSE(CMeasure::IsImperialUnit(UNIT_M));
    EXPECT_TRUE(CMeasure::IsSpeedUnit(UNIT_MPH));
    EXPECT_FALSE(CMeasure::IsSpeedUnit(U(0x20000)));
    EXPECT_FALSE(CMeasure::IsSpeedUnit(U(0x70007)));
    EXPECT_TRUE(CMeasure::IsValidUnit(UNIT_NONE));
    EXPECT_FALSE(CMeasure::IsValidUnit(U(12)));
    EXPECT_EQ(MakeSpeedUnit(UNIT_MI, UNIT_H), UNIT_MPH);
}

TEST(MeasureHolder, RefusesInvalidUnits) {
    CMeasure m;
    EXPECT_EQ(m.GetMeasure().value, 0);
    EXPECT_EQ(m.GetMeasure().unit, UNIT_NONE);
    EXPECT_TRUE(m.SetMeasure(2, UNIT_FT));
    EXPECT_TRUE(m.IsDistanceUnit());
    EXPECT_TRUE(m.IsImperialUnit());
    EXPECT_EQ(m.GetUnitSymbol(), "ft");
    EXPECT_DOUBLE_EQ(m.ConvertTo(UNIT_M).value, 0.6096);
    EXPECT_FALSE(m.SetMeasure(3, U(0x20000)));
    EXPECT_EQ(m.GetMeasure().value, 0);
    EXPECT_EQ(m.GetMeasure().unit, UNIT_NONE);
    EXPECT_TRUE(m.SetMeasure(SMeasure(3, UNIT_NONE)));
    EXPECT_EQ(m.GetMeasure().value, 3);
    CMeasure copy(m);
    EXPECT_EQ(copy.GetMeasure().value, 3);
}

TEST(MeasureEquals, ToleranceAndUnitKinds) {
    EXPECT_TRUE(CMeasure::Equals(SMeasure(1, UNIT_M), SMeasure(100, UNIT_CM), 1e-9));
    EXPECT_FALSE(CMeasure::Equals(SMeasure(1, UNIT_M), SMeasure(1, UNIT_S), 2));
    EXPECT_FALSE(CMeasure::Equals(SMeasure(1, UNIT_M), SMeasure(1, UNIT_NONE), 10));
    EXPECT_FALSE(CMeasure::Equals(SMeasure(1, UNIT_M), SMeasure(1, UNIT_M), 0));
    EXPECT_TRUE(CMeasure::Equals(SMeasure(1, UNIT_NONE), SMeasure(1.5, UNIT_NONE), 0.6));
    EXPECT_FALSE(CMeasure::Equals(SMeasure(1, UNIT_M), SMeasure(1.5, UNIT_M), 0.5));
}

TEST(MeasureRect, EdgesConversionAndComparison) {
    const SRectMeasure r(S2DMeasure(1, 2, UNIT_M), S2DMeasure(300, 400, UNIT_CM));
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.top, 2);
    EXPECT_DOUBLE_EQ(r.right, 3);
    EXPECT_DOUBLE_EQ(r.bottom, 4);
    EXPECT_EQ(r.unit, UNIT_M);
    EXPECT_EQ(r.Left(UNIT_CM, -1), 100);
    EXPECT_EQ(SRectMeasure(0, 0, 1, 1, UNIT_M).Right(UNIT_FT, 3), 3.281);
    EXPECT_EQ(r.Bottom(UNIT_S, -1), 0);

    const SRectMeasure m(1, 2, 3, 4, UNIT_M);
    const SRectMeasure cm(100, 200, 300, 400, UNIT_CM);
    EXPECT_TRUE(m == cm);
    EXPECT_FALSE(m != cm);
    const SRectMeasure inexact(0.1, 0, 0, 0, UNIT_FT);
    const SRectMeasure metres(0.1 * 0.3048 + 1e-12, 0, 0, 0, UNIT_M);
    EXPECT_TRUE(metres != inexact);

    SRectMeasure c(1, 2, 3, 4, UNIT_M);
    const SRectMeasure copy = c.Convert(UNIT_MM);
    EXPECT_EQ(c.unit, UNIT_MM);
    EXPECT_DOUBLE_EQ(c.right, 3000);
    EXPECT_DOUBLE_EQ(copy.bottom, 4000);
}

TEST(MeasureUnitsFree, ConvertsEveryMeasureType) {
    EXPECT_DOUBLE_EQ(ConvertMeasureUnits(SMeasure(1, UNIT_FT), UNIT_IN).value, 12);
    const S3DMeasure t = ConvertMeasureUnits(S3DMeasure(1, 2, 3, UNIT_KM), UNIT_M);
    EXPECT_DOUBLE_EQ(t.z, 3000);
    EXPECT_EQ(t.unit, UNIT_M);
    const SRectMeasure r = ConvertMeasureUnits(SRectMeasure(1, 1, 2, 2, UNIT_M), UNIT_NS);
    EXPECT_EQ(r.right, 0);
    EXPECT_EQ(r.unit, UNIT_NS);
}

TEST(MeasureUnitsFree, DevicePointsAndRectsRoundHalfUp) {
    const POINT p = ConvertMeasureUnits(S2DMeasure(1.25, -1.25, UNIT_M), SMeasure(100, UNIT_M));
    EXPECT_EQ(p.x, 125);
    EXPECT_EQ(p.y, -125);
    const double half = 1;
    const POINT q = ConvertMeasureUnits(S2DMeasure(0.5, -0.5, UNIT_M), &half);
    EXPECT_EQ(q.x, 1);
    EXPECT_EQ(q.y, 0);
    const POINT unscaled = ConvertMeasureUnits(S2DMeasure(2.4, 2.6, UNIT_M), nullptr);
    EXPECT_EQ(unscaled.x, 2);
    EXPECT_EQ(unscaled.y, 3);
    // The pair is converted into the scale's unit first: 1 ft at 10 px per cm.
    const POINT ft = ConvertMeasureUnits(S2DMeasure(1, 0, UNIT_FT), SMeasure(10, UNIT_CM));
    EXPECT_EQ(ft.x, 305);
    const RECT r = ConvertMeasureUnits(SRectMeasure(0, 1, 2, 3, UNIT_M), SMeasure(2, UNIT_CM));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 200);
    EXPECT_EQ(r.right, 400);
    EXPECT_EQ(r.bottom, 600);
    const double big = 1e300;
    const RECT huge = ConvertMeasureUnits(SRectMeasure(1, -1, 0, 0, UNIT_M), &big);
    EXPECT_EQ(huge.left, INT32_MAX);
    EXPECT_EQ(huge.top, INT32_MIN);
}
