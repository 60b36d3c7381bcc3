#include "KVD3/LineOffsetDlg.h"

#include "orq_utils/CLocale.h"
#include "orq_utils/MessageSink.h"

#include <cmath>
#include <cstdlib>

namespace ORQ {

namespace {

// The program's dialog; used on the UI thread only.
CLineOffsetDlg::Presenter &InstalledPresenter() {
    static CLineOffsetDlg::Presenter presenter;
    return presenter;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A decimal number with nothing but blanks around it; hexadecimal, infinite and NaN texts are
// no numbers here.
bool ReadNumber(const CStr &text, double &value) {
    for (char c : text) {
        const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' ||
                             c == 'e' || c == 'E' || IsBlank(c);
        if (!allowed)
            return false;
    }
    const char *begin = text.c_str();
    char *end = nullptr;
    const double read = strtod_l(begin, &end, CLocale());
    if (end == begin || !std::isfinite(read))
        return false;
    while (IsBlank(*end))
        ++end;
    if (*end != '\0')
        return false;
    value = read;
    return true;
}

} // namespace

CLineOffsetDlg::CLineOffsetDlg() = default;

CLineOffsetDlg::~CLineOffsetDlg() = default;

int CLineOffsetDlg::DoModal() {
    // A copy: the presenter may install another one while it runs.
    const Presenter presenter = InstalledPresenter();
    if (!presenter)
        return IDCANCEL;
    return presenter(*this) == IDOK ? IDOK : IDCANCEL;
}

int CLineOffsetDlg::DoDataExchange(CStr &editText, bool saveAndValidate) {
    if (!saveAndValidate) {
        editText.Format("%.*g", 15, m_LineOffset);
        return 1;
    }
    double value = 0.0;
    if (!ReadNumber(editText, value)) {
        ShowMessage(kNotANumber, MB_ICONWARNING);
        return 0;
    }
    if (value < kMinOffset || value > kMaxOffset) {
        ShowMessage(kOutOfRange, MB_ICONWARNING);
        return 0;
    }
    // "-0" is an offset of 0, not one written "-0.000000".
    m_LineOffset = value == 0.0 ? 0.0 : value;
    return 1;
}

CLineOffsetDlg::Presenter CLineOffsetDlg::SetPresenter(Presenter presenter) {
    Presenter previous = std::move(InstalledPresenter());
    InstalledPresenter() = std::move(presenter);
    return previous;
}

} // namespace ORQ
