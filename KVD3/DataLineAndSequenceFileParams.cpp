#include "KVD3/DataLineAndSequenceFileParams.h"

#include "orq_utils/CLocale.h"

namespace ORQ {

CDataLineAndSequenceFileParams::~CDataLineAndSequenceFileParams() = default;

int CDataLineAndSequenceFileParams::ParseFileName(CStr path) {
    const size_t slash = path.find_last_of("\\/");
    const CStr file = slash == std::string::npos ? path : CStr(path.substr(slash + 1));
    const size_t dot = file.find_last_of('.');
    m_FileName = dot == std::string::npos ? file : CStr(file.substr(0, dot));
    m_Extension = dot == std::string::npos ? CStr() : CStr(file.substr(dot));
    m_FileName.ToUpper();
    m_Extension.ToUpper();
    m_LineNumber = m_SequenceNumber = 0;

    if (m_Extension == ".DT1" || m_Extension == ".HD" || m_Extension == ".SEN") {
        const size_t b = m_FileName.find_last_of('B');
        const size_t c = m_FileName.find_last_of('C');
        if (b != std::string::npos && c != std::string::npos) {
            const CStr line = b > c ? CStr(m_FileName.substr(c + 1, b - c - 1)) : CStr();
            m_LineNumber = AtoiC(line.c_str());
            m_SequenceNumber = AtoiC(m_FileName.c_str() + b + 1);
        }
    }
    if (m_LineNumber <= 0 && m_SequenceNumber <= 0)
        m_LineNumber = m_SequenceNumber = 1;
    return 1;
}

} // namespace ORQ
