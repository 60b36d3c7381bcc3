#pragma once

// What the desktop tests of the editor program share: where the program started with a settings
// folder of its own keeps its INI file, the form it stores a placement in, and the demo project
// as the run script makes it (for test programs built with KVD_DEMO_TOOL, the demo tool's path).

#include <wx/gdicmn.h>

#include <cstdio>
#include <string>

namespace kvdtest::gui {

// The settings folder of the program under configHome ($XDG_CONFIG_HOME), and its INI file.
inline std::string SettingsFolder(const std::string &configHome) {
    return configHome + "/Brenwick/KVD_Edit";
}
inline std::string IniIn(const std::string &configHome) {
    return SettingsFolder(configHome) + "/KVDGridView.ini";
}

// A frame as "left,top,right,bottom", the form the program stores.
inline std::string AsPlacement(const wxRect &frame) {
    return std::to_string(frame.x) + "," + std::to_string(frame.y) + "," +
           std::to_string(frame.x + frame.width) + "," + std::to_string(frame.y + frame.height);
}

#ifdef KVD_DEMO_TOOL
// The demo project as the run script makes it, written into folder; empty when the tool failed.
inline std::string WriteDemo(const std::string &folder) {
    const std::string command = std::string("'") + KVD_DEMO_TOOL + "' '" + folder + "'";
    std::string out;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        size_t n = 0;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        if (pclose(pipe) != 0)
            out.clear();
    }
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

// The demo project written into folder with one line's trace file gone, so that its open lists a
// load error; empty when the tool failed or the file was not there.
inline std::string WriteDemoWithoutATraceFile(const std::string &folder) {
    const std::string project = WriteDemo(folder);
    if (project.empty() || std::remove((folder + "/X03.dt1").c_str()) != 0)
        return std::string();
    return project;
}
#endif

} // namespace kvdtest::gui
