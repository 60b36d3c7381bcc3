#pragma once

#include "KVD_Edit/controls/GenericPicker.h"
#include "KVD_Edit/controls/PickerCells.h"

// The line-width picker: widths 0 to 9.5 in steps of 0.5.
class CPickerLineWidth : public CGenericPicker {
public:
    CPickerLineWidth() : CGenericPicker(std::make_unique<CLineWidthCells>()) {}
    CPickerLineWidth(wxWindow *parent, wxWindowID id, const wxPoint &pos = wxDefaultPosition,
                     const wxSize &size = wxDefaultSize)
        : CPickerLineWidth() {
        Create(parent, id, pos, size);
    }
    float GetLineWidth() const { return CLineWidthCells::ToLineWidth(GetValue()); }
    void SetLineWidth(float value) { SetValue(CLineWidthCells::FromLineWidth(value)); }
};
