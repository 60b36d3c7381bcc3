#pragma once

#include "KVD_Edit/platform/LogFont.h"

#include <string>

class wxFont;

// The program's one font for the plan view's text (scale bars, legend, fiducial comments). The
// application owns it and lends it out. It holds a font record or nothing: a new font holds
// nothing until it is given a record.
class CPrgFont {
public:
    CPrgFont();
    virtual ~CPrgFont();
    CPrgFont(const CPrgFont &) = delete;
    CPrgFont &operator=(const CPrgFont &) = delete;

    // Drops the font held and makes one from the record; 0 (and no font held) without a record.
    int CreateFromLogFont(const SLogFont *record);
    // direction < 0 saves the font held into path (1 when written; 0 without a font or when
    // the file cannot be written, no file made then). Any other direction loads: only a file of
    // at least 60 bytes replaces the font (its first 60 bytes); otherwise 0 and the font held
    // stays.
    int LoadSave(int direction, const std::string &path);
    // The font dialog (screen fonts with effects); on OK the chosen font replaces the one held.
    int PickFont();
    // The record of the system font; non-zero on success.
    static int GetStockLogFont(SLogFont *record);

    bool HasFont() const { return m_held; }
    // The record of the font held; false when there is none.
    bool GetLogFont(SLogFont &out) const;
    // The toolkit font to draw with (not IsOk() without a font).
    wxFont GetWxFont() const;

private:
    SLogFont m_record;
    bool m_held = false;
};
