#pragma once

// The logic of the decimal spin control: a floating-point value with a minimum, a maximum and a
// step, held as text in a buddy edit. The integer spin position only mirrors the value, with at
// most 32767 positions between minimum and maximum. All numbers are written and read in the C
// locale: the decimal separator is always '.'.

#include <string>

class CNumSpinLogic {
public:
    static constexpr int MaxPositions = 32767;

    // Stores the three; a step of 0 leaves the position count as it was. Returns the count.
    int SetLimitsAndStep(double minimum, double maximum, double step);
    void GetLimitsAndStep(double &minimum, double &maximum, double &step) const;
    int GetPositionCount() const { return m_positions; }

    // Decimals shown; -1 is the free format ("%g").
    void SetPrecision(int decimals) { m_decimals = decimals < -1 ? -1 : decimals; }
    int GetPrecision() const { return m_decimals; }
    void SetTrimTrailingZeros(bool trim) { m_trim = trim; }
    bool GetTrimTrailingZeros() const { return m_trim; }
    // A printf-style format for one double in place of the built-in formatting; an empty or
    // null text goes back to the built-in one. A format that is not exactly one floating
    // conversion (with optional flags, width and precision, and "%%") is refused: false, and
    // the format stays as it was.
    bool SetValueFormat(const char *format);
    const std::string &GetValueFormat() const { return m_format; }
    static bool IsValueFormat(const std::string &format);

    // The buddy's text of a value.
    std::string Format(double value) const;
    // The value of a buddy's text: its leading number; the minimum when the text holds no
    // finite number ("abc", "nan", "inf"), so that the spin never works with a NaN.
    double Parse(const std::string &text) const;
    // The spin position of a value (0 below the minimum, the count above the maximum).
    int PositionOf(double value) const;
    // One arrow step from value: delta steps, wrapping (wrap) or clamping at the limits.
    double Step(double value, int delta, bool wrap) const;

private:
    double m_min = 0.0;
    double m_max = 100.0;
    double m_step = 1.0;
    int m_positions = 100;
    int m_decimals = -1;
    std::string m_format;
    bool m_trim = true;
};
