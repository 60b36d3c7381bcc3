#pragma once

#include "KVD_Edit/app/lines/ImportLineType.h"

#include <string>
#include <vector>

// The decisions of the import parameters dialog, free of any window: the grid names offered,
// the line type preselected by the file dialog's filter, the texts shown and the checks of OK.
namespace ImportDlgLogic {

// Control texts and messages.
constexpr const char *kCaption = "Import Line Parameters";
constexpr const char *kNoLineType = "You must select a line type";
constexpr const char *kNeedNewerVersion =
    "Unable to Add to the KVD file, newer version required.\nIf you would like to use the "
    "file, do a 'Save As' and this will upgrade it to\nversion 1.2.0 and you will be able to "
    "import accordingly.";
constexpr const char *kNoSpacing = "Are you sure you want no Line Spacing?";
constexpr const char *kNoGridName = "You must enter a Grid name.";

// The grid names of the rows, each once (equal without regard to case; the first spelling
// kept), empty names left out, in row order.
std::vector<std::string> GridNameChoices(const std::vector<std::string> &rowGridNames);

// The line type the file dialog's filter (index - 1) selects: 0 X and Y, 1 X, 2 Y; 3 (all files)
// selects none (-1).
int PreselectedType(int preselect);

// "Line Spacing (m)" / "(ft)" and "Offset from current origin (m)" / "(ft)".
std::string SpacingGroupLabel(ORQ::EUnitType unit);
std::string OffsetGroupLabel(ORQ::EUnitType unit);
std::string SpacingText(double spacing); // "%.8f"
std::string OffsetText(double offset);   // "%.3f"

// What the dialog holds when OK is pressed.
struct SDialogInput {
    int selectedType = ImportLineType::kNone;
    bool reverse = false;
    std::string gridText;
    std::string spacingText;
    std::string offsetXText;
    std::string offsetYText;
    bool addGps = true;
};

// The checks of OK: shows the refusal or asks the no-spacing question through the message
// sink and writes the record's fields as they pass. True when the dialog may close with OK.
bool Accept(int setsSupported, const SDialogInput &input, ImportLineType &record);

} // namespace ImportDlgLogic
