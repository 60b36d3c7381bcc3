#pragma once

#include "KVD_Edit/controls/GenericPicker.h"
#include "KVD_Edit/controls/PickerCells.h"

// The fill-style picker: -1 no fill, -2 solid, 0 to 52 hatch styles.
class CPickerFillStyle : public CGenericPicker {
public:
    CPickerFillStyle() : CGenericPicker(std::make_unique<CFillStyleCells>()) {}
    CPickerFillStyle(wxWindow *parent, wxWindowID id, const wxPoint &pos = wxDefaultPosition,
                     const wxSize &size = wxDefaultSize)
        : CPickerFillStyle() {
        Create(parent, id, pos, size);
    }
    int GetFillStyle() const { return CFillStyleCells::ToFillStyle(GetValue()); }
    void SetFillStyle(int value) { SetValue(CFillStyleCells::FromFillStyle(value)); }
};
