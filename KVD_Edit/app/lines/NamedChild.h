#pragma once

#include <string>

namespace ORQ {
class CKVDXmlFile;
}

// Moves from the current node of file to its first child `element` (a "LineSet" or a "Line")
// whose "name" attribute equals name without regard to case; a child without the attribute
// never matches. False when there is none, the cursor then staying where it was.
bool GotoNamedChild(ORQ::CKVDXmlFile *file, const char *element, const std::string &name);
