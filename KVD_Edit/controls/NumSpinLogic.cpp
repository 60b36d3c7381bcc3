#include "KVD_Edit/controls/NumSpinLogic.h"

#include "orq_utils/CLocale.h"
#include "orq_utils/Str.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// Removes trailing zeros and then a trailing decimal point.
void TrimZeros(std::string &text) {
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
}

} // namespace

int CNumSpinLogic::SetLimitsAndStep(double minimum, double maximum, double step) {
    m_min = minimum;
    m_max = maximum;
    m_step = step;
    if (step == 0.0)
        return m_positions;
    // Capped while still a double: a tiny step must not overflow the conversion to int.
    double count = std::fabs((maximum - minimum) / step);
    if (!(count <= MaxPositions)) // also NaN
        count = MaxPositions;
    m_positions = static_cast<int>(count);
    return m_positions;
}

void CNumSpinLogic::GetLimitsAndStep(double &minimum, double &maximum, double &step) const {
    minimum = m_min;
    maximum = m_max;
    step = m_step;
}

bool CNumSpinLogic::IsValueFormat(const std::string &format) {
    int conversions = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        ++i;
        if (i < format.size() && format[i] == '%')
            continue;
        while (i < format.size() && std::strchr("-+ #0", format[i]))
            ++i;
        while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])))
            ++i;
        if (i < format.size() && format[i] == '.') {
            ++i;
            while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])))
                ++i;
        }
        if (i < format.size() && format[i] == 'l')
            ++i; // "%lf" is a double too
        if (i >= format.size() || !std::strchr("eEfFgGaA", format[i]))
            return false;
        ++conversions;
    }
    return conversions == 1;
}

bool CNumSpinLogic::SetValueFormat(const char *format) {
    if (!format || !*format) {
        m_format.clear();
        return true;
    }
    if (!IsValueFormat(format))
        return false;
    m_format = format;
    return true;
}

std::string CNumSpinLogic::Format(double value) const {
    ORQ::CStr text;
    if (!m_format.empty()) {
        ORQ::CStr::Format(text, m_format.c_str(), value);
        return text;
    }
    if (m_decimals < 0) {
        text.Format("%g", value);
        return text;
    }
    ORQ::CStr probe;
    probe.Format("%g", value);
    const bool exponent = probe.find('e') != std::string::npos;
    text.Format(exponent ? "%.*e" : "%.*f", m_decimals, value);
    if (!m_trim || text.find('.') == std::string::npos)
        return text; // 100 keeps its zeros
    if (!exponent) {
        TrimZeros(text);
        return text;
    }
    const size_t e = text.find('e');
    std::string mantissa = text.substr(0, e);
    TrimZeros(mantissa);
    return mantissa + text.substr(e);
}

double CNumSpinLogic::Parse(const std::string &text) const {
    char *end = nullptr;
    const double value = strtod_l(text.c_str(), &end, ORQ::CLocale());
    if (end == text.c_str() || !std::isfinite(value))
        return m_min;
    return value;
}

int CNumSpinLogic::PositionOf(double value) const {
    if (m_max == m_min)
        return 0;
    if (value < m_min)
        return 0;
    if (value > m_max)
        return m_positions;
    const double pos = m_positions * (value - m_min) / (m_max - m_min) + 0.5;
    return static_cast<int>(std::clamp(pos, 0.0, static_cast<double>(m_positions)));
}

double CNumSpinLogic::Step(double value, int delta, bool wrap) const {
    value += m_step * delta;
    if (delta < 0) {
        const double tolerance = std::max(1e-9, std::fabs(1e-9 * std::max(value, m_min)));
        if (m_min - value > tolerance)
            value = wrap ? m_max : m_min;
    } else {
        const double tolerance = std::max(1e-9, std::fabs(1e-9 * std::max(value, m_max)));
        if (value - m_max > tolerance)
            value = wrap ? m_min : m_max;
    }
    return value;
}
