#include "KVD_Edit/app/shell/KVDVAppLogic.h"

#include "KVD_Edit/app/shell/Helpers.h"

#include <algorithm>
#include <chrono>
#include <thread>

SCommandLineRequest CutCommandLine(const std::vector<std::string> &args) {
    SCommandLineRequest request;
    if (args.empty() || args[0].empty())
        return request;
    std::string name = args[0];
    const size_t pos = name.find(" CheckGPSImport");
    if (pos != std::string::npos && pos > 0) {
        name.erase(pos);
        request.checkGPSImport = true;
    }
    request.kind = name == "new" ? SCommandLineRequest::New : SCommandLineRequest::Open;
    if (request.kind == SCommandLineRequest::Open)
        request.path = name;
    return request;
}

bool DecideWindowPlacement(const std::string &text, int &left, int &top, int &right, int &bottom) {
    int values[4] = {0, 0, 0, 0};
    int parts = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start) {
            if (parts < 4)
                values[parts] = ParseIntC(text.substr(start, end - start));
            ++parts;
        }
        start = end + 1;
    }
    if (parts != 4 || (values[0] == 0 && values[1] == 0 && values[2] == 0 && values[3] == 0))
        return false;
    left = values[0];
    top = values[1];
    right = values[2];
    bottom = values[3];
    return true;
}

namespace {

// The start of a span of length size placed in [low, high): moved in from either end.
int FitSpan(int start, int size, int low, int high) {
    if (start + size > high)
        start = high - size;
    return start < low ? low : start;
}

} // namespace

SScreenRect FitWindowOnScreen(const SScreenRect &window, const SScreenRect &area, int defaultWidth,
                              int defaultHeight) {
    int width = window.right > window.left ? window.right - window.left : defaultWidth;
    int height = window.bottom > window.top ? window.bottom - window.top : defaultHeight;
    width = std::min(width, area.right - area.left);
    height = std::min(height, area.bottom - area.top);
    SScreenRect fitted;
    fitted.left = FitSpan(window.left, width, area.left, area.right);
    fitted.top = FitSpan(window.top, height, area.top, area.bottom);
    fitted.right = fitted.left + width;
    fitted.bottom = fitted.top + height;
    return fitted;
}

std::string FormatAboutVersion(unsigned major, unsigned minor, unsigned third, unsigned build) {
    std::string text;
    if (major != 1)
        text = FormatC("Version %u", major);
    text += FormatC(" Release %u", minor);
    if (third != 0)
        text += FormatC(".%u", third);
    if (build >= 3000)
        text += FormatC("\nRelease Candidate (Gamma) %u", build - 3000);
    else if (build >= 2000)
        text += FormatC("\nBeta %u", build - 2000);
    else if (build >= 1000)
        text += FormatC("\nAlpha %u", build - 1000);
    else if (build >= 900)
        text += FormatC("\nPre-Alpha Prototype %u", build - 900);
    else if (build >= 1)
        text += FormatC("\nSpecial Build %u", build);
    return text;
}

bool WaitForClockState(CAppClock &clock, int request, int wanted, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (clock.Control(request) != wanted) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
