#pragma once

#include "KVD_Edit/app/grid/GridInfo.h"

#include <string>

// The position values of the edit, in the order of the entered-field flags.
enum EPositionField : int {
    PF_XMIN = 0,
    PF_XMAX = 1,
    PF_YMIN = 2,
    PF_YMAX = 3,
    PF_COUNT = 4,
};

// The edit request of the editing dialog, kept by the child frame: what was selected when the
// Edit command ran, how a position edit moves the lines, and the one-shot requests that the
// dialog's pages set and the next apply carries out. Every length is in the display unit.
struct SEditData {
    SGridInfo *workRow = nullptr; // the frame's combined row of the selection
    int selectedCount = 0;        // selected grid rows when the command ran
    int tolerance = 1000;         // "SETTINGS"/"TOLERANCE" of the INI file; stored only
    bool setNamesDiffer = false;  // the selected rows are not all of one grid (set)
    int xLineCount = 0;           // selected rows with orientation "X"
    int yLineCount = 0;           // selected rows with orientation "Y"
    // Position edit: non-zero moves every selected line by the change of Xmin and Ymin;
    // keepLength makes a moved line end drag the other end along. The Position page always
    // presents "Move as Group", so these start that way.
    int moveAsGroup = 1;
    bool keepLength = true;
    // Requests of the next apply.
    bool interchangeX = false;     // reverse the order of the selected X lines
    bool interchangeY = false;     // reverse the order of the selected Y lines
    bool reverseDirection = false; // flip start and end of every selected line
    bool swapXY = false;           // exchange X and Y of every selected line
    bool spacingChanged = false;   // re-space the selected lines with lineSpacing
    double lineSpacing = 0;        // spacing between neighbouring selected lines
    // Which position value was entered last (at most one set).
    bool enteredField[PF_COUNT] = {false, false, false, false};

    // Clears the five requests and the entered-field flags (after an apply).
    void ClearRequests() {
        interchangeX = interchangeY = reverseDirection = swapXY = spacingChanged = false;
        ClearEnteredFields();
    }
    void ClearEnteredFields() {
        for (bool &f : enteredField)
            f = false;
    }
    // The first set entered-field flag in the order given; -1 when none is set.
    int FirstEntered(const int (&order)[PF_COUNT]) const {
        for (int field : order)
            if (enteredField[field])
                return field;
        return -1;
    }
};

// The result of checking what was typed into a field.
struct SFieldCheck {
    bool valid = true;
    std::string message;   // shown when not valid
    std::string resetText; // the field's text when not valid
};
