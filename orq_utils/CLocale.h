#pragma once

#include "orq_utils/OrqExport.h"

#include <locale.h>

namespace ORQ {

// Numbers are written and read in the "C" locale whatever locale the program runs in (a
// German desktop must not turn "1.5" into "1,5" in a project file). These helpers give that.

// The "C" locale object, made once and kept for the life of the library.
ORQ_UTILS_API locale_t CLocale();

// Switches the calling thread to the "C" locale for its lifetime (printf family, strftime).
class ORQ_UTILS_API CLocaleScope {
public:
    CLocaleScope();
    ~CLocaleScope();
    CLocaleScope(const CLocaleScope &) = delete;
    CLocaleScope &operator=(const CLocaleScope &) = delete;

private:
    locale_t m_previous;
};

// atof in the "C" locale: the leading number of text, 0 when there is none, when it is "nan"
// or when text is null.
ORQ_UTILS_API double AtofC(const char *text);
// atoi without its overflow: the leading integer of text (blanks, a sign, digits), clamped to
// the int range; 0 when there is none or text is null.
ORQ_UTILS_API int AtoiC(const char *text);

} // namespace ORQ
