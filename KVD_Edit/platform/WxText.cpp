#include "KVD_Edit/platform/WxText.h"

#include "orq_utils/Str.h"

wxString ToWx(const std::string &text) {
    wxString out;
    out.reserve(text.size());
    for (char c : text)
        out += static_cast<wxUniChar>(ORQ::Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

wxString ToWxQuotingPaths(const std::string &text) {
    const wxString utf8 = wxString::FromUTF8(text.c_str());
    return utf8.empty() && !text.empty() ? ToWx(text) : utf8;
}

std::string FromWx(const wxString &text) {
    std::string out;
    out.reserve(text.length());
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it) {
        unsigned char byte;
        out += ORQ::UnicodeToCp1252(static_cast<uint32_t>((*it).GetValue()), byte)
                   ? static_cast<char>(byte)
                   : '?';
    }
    return out;
}
