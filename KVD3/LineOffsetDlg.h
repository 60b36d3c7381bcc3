#pragma once

#include "KVD3/Kvd3Export.h"
#include "orq_utils/Str.h"

#include <functional>

namespace ORQ {

// "Enter Line Offset": the distance between neighbouring lines that the new-file writer asks
// for when the data files span more than one line number. The library opens no window itself:
// the program installs a presenter that shows its own dialog over this record (edit control
// IDC_LINE_OFFSET, the unit "m" beside it, an OK button and no Cancel button). Without a
// presenter nothing is asked and the preset stays.
class KVD3_API CLineOffsetDlg {
public:
    enum : int { IDD = 5000, IDC_LINE_OFFSET = 5000 };
    // The accepted range of the offset, metres, both ends included.
    static constexpr double kMinOffset = 0.0;
    static constexpr double kMaxOffset = 1000.0;
    // The framework's messages for an edit that holds no number or one out of range.
    static constexpr const char *kNotANumber = "Please enter a number.";
    static constexpr const char *kOutOfRange = "Please enter a number between 0 and 1000.";

    // Shows the dialog over the record and returns IDOK when it was closed with OK (the offset
    // then holds the accepted value) or IDCANCEL when it was closed any other way (the offset
    // unchanged).
    using Presenter = std::function<int(CLineOffsetDlg &)>;

    CLineOffsetDlg();
    virtual ~CLineOffsetDlg();

    // IDOK or IDCANCEL as the presenter reports; IDCANCEL, asking nothing, without one.
    int DoModal();

    // Exchanges the edit control's text with the offset. Without saveAndValidate the text
    // becomes the offset as the edit shows it (up to 15 significant digits, "0.1"). With it the
    // text is read in the "C" locale (blanks around the number allowed) and must lie between
    // kMinOffset and kMaxOffset: 1 and the offset set, or 0 after the framework's message was
    // shown through the message sink (the offset unchanged).
    int DoDataExchange(CStr &editText, bool saveAndValidate);

    // Installs the presenter (empty: none) and returns the one installed before.
    static Presenter SetPresenter(Presenter presenter);

    double m_LineOffset = 0.1; // metres
};

} // namespace ORQ
