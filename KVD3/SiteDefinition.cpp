#include "KVD3/SiteDefinition.h"

#include "KVD3/KVDXmlFile.h"
#include "orq_utils/CLocale.h"

namespace ORQ {

CSiteDefinition::~CSiteDefinition() = default;

bool CSiteDefinition::ParseDate(const std::string &text, CDateTime &out) {
    static const char *const formats[] = {"%Y/%m/%d %H:%M:%S", "%Y-%m-%d %H:%M:%S", "%Y/%m/%d",
                                          "%Y-%m-%d"};
    for (const char *format : formats) {
        if (out.Parse(text, format))
            return true;
    }
    return out.ParseDateTime(text);
}

int CSiteDefinition::Load(CKVDXmlFile *file) {
    CStr name;
    if (!file || !file->GetNodeName(name) || name != "SiteDefinition")
        return 0;
    m_Version = "version";
    file->GetNodeAttribute(m_Version);
    if (!file->PushPosition())
        return 0;

    int result = 1;
    if (file->GotoChildNode("", 0)) {
        do {
            // Elements only: text, comments and other nodes have names beginning with '#'.
            if (!file->GetNodeName(name) || name.empty() || name[0] == '#' || name == "Comment" ||
                name == "CreatedBy")
                continue;
            CStr text;
            file->GetNodeText(text);
            if (!m_Fields.emplace(name, text).second)
                result = 0;
        } while (file->GotoNextSibling());
    }

    file->GotoTopPosition();
    if (file->GotoChildNode("Comment", 0)) {
        do {
            CStr number = "number";
            file->GetNodeAttribute(number);
            const int n = AtoiC(number.c_str());
            if (n < 1 || n > kMaxCommentNumber)
                continue;
            if (m_Comments.size() < static_cast<size_t>(n))
                m_Comments.resize(static_cast<size_t>(n));
            CStr text;
            file->GetNodeText(text);
            m_Comments[static_cast<size_t>(n) - 1] = text;
        } while (file->GotoNextSibling("Comment"));
    }

    file->GotoTopPosition();
    if (file->GotoChildNode("Job", 0)) {
        CStr date = "date", time = "time";
        file->GetNodeAttribute(date);
        file->GetNodeAttribute(time);
        const CStr text = date + " " + time;
        m_JobDateValid = ParseDate(text, m_JobDate) ? 1 : 0;
        if (!m_JobDateValid)
            m_JobDateText = text;
    }
    file->PopPosition();
    return result;
}

int CSiteDefinition::GetFieldString(const CStr &name, CStr &text) const {
    const auto found = m_Fields.find(name);
    if (found == m_Fields.end())
        return 0;
    text = found->second;
    return 1;
}

} // namespace ORQ
