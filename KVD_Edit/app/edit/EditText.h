#pragma once

// Texts of the editing dialog and its pages.
namespace EditText {

constexpr const char *kCaption = "Editing";
constexpr const char *kTabNames[] = {"Name",   "Orientation", "Position",
                                     "Length", "Step Size",   "Line Spacing"};

constexpr const char *kInvalidNumber =
    "Invalid character encountered.\nNumerical value expected.\nResetting value.";
constexpr const char *kStepZero = "Step size cannot be 0. resetting";
constexpr const char *kStepNegative = "Step size must be greater than 0. resetting";
constexpr const char *kLengthZero = "Length cannot be 0. resetting";
constexpr const char *kLengthNegative = "Length must be greater than 0. resetting";
constexpr const char *kEmptyName = "Line name cannot be empty. resetting";
constexpr const char *kErrorSaving = "Error Saving";
constexpr const char *kNoSnapshotFormat =
    "Unable to save a snapshot of the project in %s.\nThe lines cannot be edited.";
constexpr const char *kLocalWorldHint =
    "Local XY-World Relationship may need updating as changes to Lines have been made.";

constexpr const char *kInterchangeYTip = "Press to Interchange Y";
constexpr const char *kInterchangeXTip = "Press to Interchange X";
constexpr const char *kReverse = "Start <->End";
constexpr const char *kSwapXY = "X<->Y";

constexpr const char *kMoveAsGroup = "Move as Group";
constexpr const char *kMoveLines = "Move Line(s)";
constexpr const char *kStretch = "Stretch/ Compress Line(s)";
constexpr const char *kPositionLabels[] = {"Xmin", "Xmax", "Ymin", "Ymax"};

// Where the dialog's placement is kept in the INI file.
constexpr const char *kPlacementSection = "GENERAL";
constexpr const char *kPlacementKey = "Edit_Win_Size";

} // namespace EditText
