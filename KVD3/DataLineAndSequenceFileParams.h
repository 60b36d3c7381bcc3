#pragma once

#include "KVD3/Kvd3Export.h"
#include "orq_utils/Str.h"

#include <cstdint>

namespace ORQ {

// The line and sequence numbers that a radar data file carries in its name: the digits after
// the last "C" up to the last "B" give the line, the digits after that "B" the sequence
// (GRIDC12B3.DT1: line 12, sequence 3). The new-file writer groups data files into numbered
// lines with them.
class KVD3_API CDataLineAndSequenceFileParams {
public:
    CDataLineAndSequenceFileParams() = default;
    CDataLineAndSequenceFileParams(const CDataLineAndSequenceFileParams &) = default;
    CDataLineAndSequenceFileParams &operator=(const CDataLineAndSequenceFileParams &) = default;
    virtual ~CDataLineAndSequenceFileParams();

    // Fills the object from a file path (folders separated by "\" or "/"). The numbers are read
    // from trace, header and sensor file names (".DT1", ".HD", ".SEN" in any letter case); a
    // number too large for an int reads as the largest int. When neither number is above 0
    // afterwards (or the name holds none), both become 1. Always returns 1.
    int ParseFileName(CStr path);

    int32_t m_SequenceNumber = 0;
    int32_t m_LineNumber = 0;
    CStr m_FileName;  // without folder and extension, upper-cased
    CStr m_Extension; // with its leading dot, upper-cased; empty when the name has none
};

} // namespace ORQ
