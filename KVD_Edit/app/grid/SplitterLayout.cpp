#include "KVD_Edit/app/grid/SplitterLayout.h"

#include "KVD_Edit/app/shell/Helpers.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

SSplitterLayout SSplitterLayout::Parse(const std::string &text) {
    // Integers separated by commas and blanks; anything else ends the scan.
    std::vector<long> numbers;
    const char *p = text.c_str();
    while (*p && numbers.size() < 5) {
        while (*p == ' ' || *p == '\t')
            ++p;
        char *end = nullptr;
        errno = 0;
        long value = std::strtol(p, &end, 10);
        if (end == p || errno == ERANGE)
            break;
        numbers.push_back(value);
        p = end;
        while (*p == ' ' || *p == '\t')
            ++p;
        if (*p != ',')
            break;
        ++p;
    }
    SSplitterLayout layout;
    if (numbers.size() < 5)
        return layout;
    const long limit = 100000;
    for (size_t i = 2; i < 5; ++i)
        if (numbers[i] < 0 || numbers[i] > limit)
            return layout;
    layout.leftWidth = static_cast<int>(numbers[2]);
    layout.rightWidth = static_cast<int>(numbers[3]);
    layout.rowHeight = static_cast<int>(numbers[4]);
    return layout;
}

std::string SSplitterLayout::Format(int leftWidth, int rightWidth, int rowHeight) {
    return FormatC("0, 0, %d, %d, %d", leftWidth, rightWidth, rowHeight);
}

void SSplitterLayout::FitToFrame(int frameWidth) {
    if (rightWidth < kMinRightWidth || frameWidth - kMinRightWidth < leftWidth) {
        if (rightWidth < kMinRightWidth)
            leftWidth -= kMinRightWidth - rightWidth;
        else
            leftWidth = frameWidth - kMinRightWidth;
        rightWidth = kMinRightWidth;
    }
    // Whatever the stored layout says, the right pane keeps its minimum width.
    if (leftWidth > frameWidth - kMinRightWidth)
        leftWidth = frameWidth - kMinRightWidth;
    if (leftWidth < 0)
        leftWidth = 0;
}
