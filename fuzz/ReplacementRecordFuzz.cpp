// Intent record of a group replacement: the input is the record's text. A record that reads
// writes back to a text that reads alike, and carrying it out in a scratch folder renames only
// temporaries over their own targets there: no other file of the folder, and nothing outside
// it, changes.

#include "fuzz/FuzzSupport.h"
#include "orq_utils/FileGroupReplacement.h"
#include "orq_utils/ReplacementRecord.h"

#include <filesystem>
#include <map>
#include <set>

namespace {

// The names in folder, with their bytes.
std::map<std::string, std::string> Contents(const std::string &folder) {
    std::map<std::string, std::string> files;
    for (const auto &e : std::filesystem::directory_iterator(folder))
        files[e.path().filename().string()] = kvdfuzz::ReadBytes(e.path().string());
    return files;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvdfuzz::Quiet();
    const std::string text(reinterpret_cast<const char *>(data), size);
    ORQ::SReplacementRecord record;
    std::string why;
    const bool read = ORQ::ParseReplacementRecord(text, record, why);
    kvdfuzz::Check(read || !why.empty(), "a refused record says why");
    if (read) {
        kvdfuzz::Check(ORQ::FormatReplacementRecord(record) == text,
                       "a record that reads is exactly what the writer writes");
        for (const auto &r : record.renames)
            kvdfuzz::Check(ORQ::IsTemporaryName(r.temporary, r.target),
                           "a record renames only temporaries of their own targets");
    }

    // Carried out in a folder that holds a bystander and, for a read record, its temporaries.
    const std::string folder = kvdfuzz::Scratch("group");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder + "/line");
    kvdfuzz::WriteBytes(folder + "/bystander", "outside");
    const std::string line = folder + "/line";
    kvdfuzz::WriteBytes(line + "/keep.hd", "keep");
    std::set<std::string> temporaries;
    for (const auto &r : record.renames) {
        kvdfuzz::WriteBytes(line + "/" + r.temporary, "new " + r.target);
        temporaries.insert(r.temporary);
    }
    kvdfuzz::WriteBytes(ORQ::ReplacementRecordPath(line + "/a.hd"), text);
    const auto before = Contents(line);
    const ORQ::EPendingReplacement result = ORQ::FinishPendingReplacementOf(line + "/a.hd");
    kvdfuzz::Check(read == (result == ORQ::PENDING_FINISHED),
                   "a record is carried out exactly when it reads");
    kvdfuzz::Check(kvdfuzz::ReadBytes(folder + "/bystander") == "outside",
                   "nothing outside the record's folder changes");
    const auto after = Contents(line);
    for (const auto &[name, bytes] : before) {
        if (temporaries.count(name) || name == ".a.kvd-intent")
            continue;
        const auto found = after.find(name);
        const bool target = found != after.end() && found->second == "new " + name;
        kvdfuzz::Check(found != after.end() && (found->second == bytes || target),
                       "only targets of the record change, and only into their temporaries");
    }
    return 0;
}
