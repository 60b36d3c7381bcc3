#pragma once

#include <string>

// The window title of a project: "(" unit symbol ") " file name "  [" folder and separator "]",
// e.g. "(ft) site.kvd  [/data/surveys/]" or, for a project written on Windows,
// "(m) site.kvd  [D:\surveys\]". Without a project: "(m)   [/]". Both "/" and "\" separate
// folders; the folder keeps the separator the path used.
std::string BuildDocumentTitle(int unit, const std::string &path);
