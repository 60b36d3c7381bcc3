#include "KVD_Edit/app/lines/ImportDlgLogic.h"

#include "KVD_Edit/app/shell/Helpers.h"
#include "orq_utils/MessageSink.h"
#include "orq_utils/Str.h"

#include <cmath>

namespace ImportDlgLogic {

namespace {

// A number typed into the dialog; text that is no finite number reads as 0.
double TypedNumber(const std::string &text) {
    const double value = ParseDoubleC(text);
    return std::isfinite(value) ? value : 0.0;
}

} // namespace

std::vector<std::string> GridNameChoices(const std::vector<std::string> &rowGridNames) {
    std::vector<std::string> choices;
    for (const std::string &name : rowGridNames) {
        if (name.empty())
            continue;
        bool known = false;
        for (const std::string &c : choices)
            known = known || ORQ::CStr::CompareNoCase(c, name) == 0;
        if (!known)
            choices.push_back(name);
    }
    return choices;
}

int PreselectedType(int preselect) {
    switch (preselect) {
    case 3:
        return ImportLineType::kNone;
    case 0:
        return ImportLineType::kXAndYLines;
    case 1:
        return ImportLineType::kXLines;
    default:
        return ImportLineType::kYLines;
    }
}

std::string SpacingGroupLabel(ORQ::EUnitType unit) {
    return std::string("Line Spacing (") + (unit == ORQ::UNIT_FT ? "ft)" : "m)");
}

std::string OffsetGroupLabel(ORQ::EUnitType unit) {
    return std::string("Offset from current origin (") + (unit == ORQ::UNIT_FT ? "ft)" : "m)");
}

std::string SpacingText(double spacing) {
    return FormatC("%.8f", spacing);
}

std::string OffsetText(double offset) {
    return FormatC("%.3f", offset);
}

bool Accept(int setsSupported, const SDialogInput &input, ImportLineType &record) {
    if (input.selectedType == ImportLineType::kNone) {
        ORQ::ShowMessage(kNoLineType);
        return false;
    }
    record.lineType = input.selectedType;
    record.reverse = input.reverse;
    ORQ::CStr name = ORQ::CStr::Trim(input.gridText, " \t\r\n");
    name.ToUpper();
    record.gridName = name;
    if (setsSupported == 0 && !name.empty()) {
        ORQ::ShowMessage(kNeedNewerVersion);
        return false;
    }
    if (name.empty()) {
        ORQ::ShowMessage(kNoGridName);
        return false;
    }
    if (record.spacing != -1) {
        record.spacing = TypedNumber(input.spacingText);
        if (record.spacing == 0 &&
            ORQ::ShowMessage(kNoSpacing, ORQ::MB_YESNO | ORQ::MB_ICONQUESTION) != ORQ::IDYES)
            return false;
    }
    record.offsetX = TypedNumber(input.offsetXText);
    record.offsetY = TypedNumber(input.offsetYText);
    record.addGps = input.addGps;
    return true;
}

} // namespace ImportDlgLogic
