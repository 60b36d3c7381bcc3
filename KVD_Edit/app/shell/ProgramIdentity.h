#pragma once

#include "KVD3/KVDXmlFile.h"

#include <string>

// How the program names itself in the created-by and modified-by records it writes: its
// internal name, product version and "Software DIP" text.
struct SProgramIdentity {
    std::string name;
    std::string version;
    std::string DIP;
};

// The running program's identity (the version strings compiled into it).
SProgramIdentity GetProgramIdentity();

// A created-by or modified-by record of this program, stamped with the current local time.
ORQ::SCreatedBy MakeCreatedBy(const SProgramIdentity &identity, const std::string &comment);
