#pragma once

#include <string>

// The child frame's splitter layout as the INI file keeps it under "GENERAL"/
// "Grid_Window_Location": "0, 0, <left width>, <right width>, <row height>" (the first two
// numbers are not used).
struct SSplitterLayout {
    static constexpr const char *kSection = "GENERAL";
    static constexpr const char *kKey = "Grid_Window_Location";
    static constexpr const char *kDefaultText = "0, 0, 400, 150, 100";
    // The right pane is never narrower than this; both panes and the row at least kMinPane.
    static constexpr int kMinRightWidth = 100;
    static constexpr int kMinPane = 50;

    int leftWidth = 400;
    int rightWidth = 150;
    int rowHeight = 100;

    // Reads the stored text. A text with fewer than five numbers, or with a negative width or
    // height, gives the defaults.
    static SSplitterLayout Parse(const std::string &text);
    // The text stored when the frame closes.
    static std::string Format(int leftWidth, int rightWidth, int rowHeight);

    // Keeps the right pane at least kMinRightWidth wide in a frame frameWidth wide: a narrower
    // right pane takes the missing width from the left one; a left pane wider than the frame
    // allows shrinks to frameWidth - kMinRightWidth. The left pane never goes below 0, nor
    // beyond frameWidth - kMinRightWidth.
    void FitToFrame(int frameWidth);
};
