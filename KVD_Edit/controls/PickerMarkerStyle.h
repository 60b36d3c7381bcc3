#pragma once

#include "KVD_Edit/controls/GenericPicker.h"
#include "KVD_Edit/controls/PickerCells.h"

// The marker-style picker: square, circle, diamond, no marker (0 to 3).
class CPickerMarkerStyle : public CGenericPicker {
public:
    CPickerMarkerStyle() : CGenericPicker(std::make_unique<CMarkerStyleCells>()) {}
    CPickerMarkerStyle(wxWindow *parent, wxWindowID id, const wxPoint &pos = wxDefaultPosition,
                       const wxSize &size = wxDefaultSize)
        : CPickerMarkerStyle() {
        Create(parent, id, pos, size);
    }
    int GetMarkerStyle() const { return CMarkerStyleCells::ToMarkerStyle(GetValue()); }
    void SetMarkerStyle(int value) { SetValue(CMarkerStyleCells::FromMarkerStyle(value)); }
};
