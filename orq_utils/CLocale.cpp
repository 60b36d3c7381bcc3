#include "orq_utils/CLocale.h"

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
    return strtod_l(text, nullptr, CLocale());
}

} // namespace ORQ
