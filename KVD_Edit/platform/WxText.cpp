#include "KVD_Edit/platform/WxText.h"

#include "orq_utils/FileSystemName.h"
#include "orq_utils/Str.h"

wxString ToWx(const std::string &text) {
    wxString out;
    out.reserve(text.size());
    for (char c : text)
        out += static_cast<wxUniChar>(ORQ::Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

wxString ToWxQuotingPaths(const std::string &text) {
    return wxString::FromUTF8(ORQ::PathToFileSystemSpelling(text));
}

std::string PathFromWx(const wxString &path) {
    // The toolkit's file-name conversion keeps the bytes of names that are not valid UTF-8;
    // where it cannot convert at all (a library use without the toolkit set up), UTF-8 does.
    const wxCharBuffer bytes = path.fn_str();
    if (bytes.data() && (bytes.length() > 0 || path.empty()))
        return std::string(bytes.data(), bytes.length());
    return path.utf8_string();
}

wxString PathToWx(const std::string &path) {
    const wxString name(path.c_str(), *wxConvFileName);
    return name.empty() && !path.empty() ? ToWxQuotingPaths(path) : name;
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
