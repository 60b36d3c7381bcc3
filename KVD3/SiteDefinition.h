#pragma once

#include "KVD3/Kvd3Export.h"
#include "orq_utils/DateTime.h"
#include "orq_utils/Str.h"

#include <map>
#include <vector>

namespace ORQ {

class CKVDXmlFile;

// The "SiteDefinition" block of a project file: where and for whom the survey was made, as a
// table of named texts (operator, company, site, job, ...), the job's date and time and the
// numbered comments.
class KVD3_API CSiteDefinition {
public:
    // Comments numbered above this are skipped: the table holds one place per number.
    static constexpr int kMaxCommentNumber = 10000;

    CSiteDefinition() = default;
    CSiteDefinition(const CSiteDefinition &) = default;
    CSiteDefinition &operator=(const CSiteDefinition &) = default;
    virtual ~CSiteDefinition();

    // Reads the "SiteDefinition" element the file's cursor stands on into this object; the
    // cursor is left inside the block (on its "Job" when it has one). 0 when the current node is
    // not a "SiteDefinition" (nothing read) or when a field name occurs twice (the first text
    // kept, the rest still read); else 1. Comments without a number from 1 to
    // kMaxCommentNumber are skipped.
    int Load(CKVDXmlFile *file);

    // 1 and the field's text when the table holds that name (exact, letter case counts); 0 and
    // text untouched otherwise. "Comment" and "CreatedBy" are no fields.
    int GetFieldString(const CStr &name, CStr &text) const;

    // Reads a date and time as radar line headers and project files write them ("2024/03/05",
    // "2024-03-05", each optionally followed by " HH:MM:SS"); false (and out invalid) when the
    // text is none of these.
    static bool ParseDate(const std::string &text, CDateTime &out);

    CStr m_Version;                // the block's "version" attribute as last read
    CStr m_JobDateText;            // the job's date and time text when it could not be read
    int m_JobDateValid = 0;        // 1 when the job's date and time were read
    CDateTime m_JobDate;           // 1899-12-30 00:00:00 and valid until a job date is read
    std::vector<CStr> m_Comments;  // comment n at place n - 1; places without one are empty
    std::map<CStr, CStr> m_Fields; // element name to element text
};

} // namespace ORQ
