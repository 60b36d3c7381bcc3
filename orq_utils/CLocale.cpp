#include "orq_utils/CLocale.h"

#include <climits>
#include <cmath>
#include <cstdlib>

namespace ORQ {

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

CLocaleScope::CLocaleScope() : m_previous(uselocale(CLocale())) {}

CLocaleScope::~CLocaleScope() {
    uselocale(m_previous);
}

double AtofC(const char *text) {
    if (!text)
        return 0.0;
    // "nan" is no number a survey records; let through, it would pass every later check of a
    // value (all comparisons with it are false) and compare unequal to itself after a save.
    const double v = strtod_l(text, nullptr, CLocale());
    return std::isnan(v) ? 0.0 : v;
}

int AtoiC(const char *text) {
    if (!text)
        return 0;
    const long long v = std::strtoll(text, nullptr, 10);
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

} // namespace ORQ
