#include "KVD_Edit/controls/NumSpinLogic.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

TEST(NumSpinFormat, DecimalsTrimAndExponent) {
    CNumSpinLogic spin;
    spin.SetPrecision(3);
    EXPECT_EQ(spin.Format(2.5), "2.5");
    EXPECT_EQ(spin.Format(2.0), "2");
    EXPECT_EQ(spin.Format(100.0), "100");
    EXPECT_EQ(spin.Format(1e-20), "1e-20") << "the mantissa is trimmed, the exponent kept";
    EXPECT_EQ(spin.Format(1.25e-20), "1.25e-20");
    spin.SetTrimTrailingZeros(false);
    EXPECT_EQ(spin.Format(2.5), "2.500");
    spin.SetPrecision(0);
    EXPECT_EQ(spin.Format(5.0), "5");
    spin.SetPrecision(-1);
    EXPECT_EQ(spin.Format(0.1), "0.1");
    EXPECT_EQ(spin.Format(2.5e7), "2.5e+07") << "free format is exactly %g";
}

TEST(NumSpinFormat, WrittenAndReadWithAPoint) {
    // A desktop in a comma locale must still see and type '.'.
    const char *old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "no de_DE locale installed";
    CNumSpinLogic spin;
    spin.SetPrecision(2);
    EXPECT_EQ(spin.Format(2.25), "2.25");
    EXPECT_DOUBLE_EQ(spin.Parse("2.25"), 2.25);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NumSpinFormat, AcceptsOnlyOneFloatingConversion) {
    CNumSpinLogic spin;
    EXPECT_TRUE(spin.SetValueFormat("%.2f m"));
    EXPECT_EQ(spin.Format(1.234), "1.23 m");
    EXPECT_TRUE(spin.SetValueFormat("%08.3lf%%"));
    for (const char *bad : {"%s", "%d", "%f %f", "no conversion", "%*f", "%n", "%.2f%s", "%"}) {
        EXPECT_FALSE(spin.SetValueFormat(bad)) << bad;
        EXPECT_EQ(spin.GetValueFormat(), "%08.3lf%%") << "a refused format changes nothing";
    }
    EXPECT_TRUE(spin.SetValueFormat(nullptr));
    EXPECT_EQ(spin.Format(2.5), "2.5");
}

TEST(NumSpinParse, NoFiniteNumberReadsAsTheMinimum) {
    CNumSpinLogic spin;
    spin.SetLimitsAndStep(1, 20, 1);
    EXPECT_DOUBLE_EQ(spin.Parse("7"), 7.0);
    EXPECT_DOUBLE_EQ(spin.Parse(" 7.5abc"), 7.5) << "the leading number counts";
    for (const char *text : {"abc", "", "nan", "inf", "-inf", "1e999"})
        EXPECT_DOUBLE_EQ(spin.Parse(text), 1.0) << text;
}

TEST(NumSpinRange, PositionCountIsCapped) {
    CNumSpinLogic spin;
    EXPECT_EQ(spin.GetPositionCount(), 100);
    EXPECT_EQ(spin.SetLimitsAndStep(0, 100, 0.001), 32767);
    EXPECT_EQ(spin.SetLimitsAndStep(0, 1e300, 1e-300), 32767) << "capped before converting";
    EXPECT_EQ(spin.SetLimitsAndStep(1, 20, 1), 19);
    EXPECT_EQ(spin.SetLimitsAndStep(1, 20, 0), 19) << "a step of 0 keeps the count";
    double lo = 0, hi = 0, step = 0;
    spin.GetLimitsAndStep(lo, hi, step);
    EXPECT_EQ(step, 0.0);
    spin.SetLimitsAndStep(1, 20, 1);
    EXPECT_EQ(spin.PositionOf(0.5), 0);
    EXPECT_EQ(spin.PositionOf(25.0), 19);
    EXPECT_EQ(spin.PositionOf(10.4), 9);
    EXPECT_EQ(spin.PositionOf(10.6), 10);
    spin.SetLimitsAndStep(3, 3, 1);
    EXPECT_EQ(spin.PositionOf(3), 0);
}

TEST(NumSpinStep, WrapsOrClampsAtTheLimits) {
    CNumSpinLogic spin;
    spin.SetLimitsAndStep(1, 20, 1);
    EXPECT_DOUBLE_EQ(spin.Step(5, 1, false), 6);
    EXPECT_DOUBLE_EQ(spin.Step(20, 1, false), 20);
    EXPECT_DOUBLE_EQ(spin.Step(20, 1, true), 1);
    EXPECT_DOUBLE_EQ(spin.Step(1, -1, false), 1);
    EXPECT_DOUBLE_EQ(spin.Step(1, -1, true), 20);
    EXPECT_DOUBLE_EQ(spin.Step(19 + 1e-12, 1, false), 20 + 1e-12) << "within the tolerance";
}

} // namespace
