#pragma once

#include "KVD_Edit/controls/GenericPicker.h"
#include "KVD_Edit/controls/PickerCells.h"

// The line-style picker: rows 0 to 5 are the pen styles solid, dash, dot, dash-dot,
// dash-dot-dot and no line.
class CPickerLineStyle : public CGenericPicker {
public:
    CPickerLineStyle() : CGenericPicker(std::make_unique<CLineStyleCells>()) {}
    CPickerLineStyle(wxWindow *parent, wxWindowID id, const wxPoint &pos = wxDefaultPosition,
                     const wxSize &size = wxDefaultSize)
        : CPickerLineStyle() {
        Create(parent, id, pos, size);
    }
    int GetLineStyle() const { return CLineStyleCells::ToLineStyle(GetValue()); }
    void SetLineStyle(int value) { SetValue(CLineStyleCells::FromLineStyle(value)); }
};
