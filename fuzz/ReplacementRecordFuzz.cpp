// Intent record of a group replacement: the input is the record's text. A record that reads
// writes back to a text that reads alike, and carrying it out in a scratch folder renames only
// temporaries over their own targets there: no other file of the folder, and nothing outside
// it, changes, and nothing new stays in it (the line's lock, taken meanwhile, included). The
// record is named for the line of its first target, which is carried out exactly when every
// target is a file of that line; otherwise nothing changes at all. The open's tidy of the
// folder afterwards changes nothing either: what a record that stands names stays with it.

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
    // The line's files are a header and a trace file, as the line library gives them.
    const std::vector<std::string> extensions = {"hd", "dt1"};
    const std::string lineFile = line + "/" + (read ? record.renames.front().target : "a.hd");
    const std::string recordPath = ORQ::ReplacementRecordPath(lineFile);
    const std::string recordName = recordPath.substr(recordPath.find_last_of('/') + 1);
    const std::string stem = recordName.substr(1, recordName.rfind(".kvd-intent") - 1);
    const bool ownLine = read && ORQ::CheckReplacementTargets(record, stem, extensions, why);
    kvdfuzz::Check(!read || ownLine || !why.empty(), "a record of other files says why");
    kvdfuzz::WriteBytes(recordPath, text);
    const auto before = Contents(line);
    const ORQ::EPendingReplacement result = ORQ::FinishPendingReplacementOf(lineFile, extensions);
    kvdfuzz::Check(ownLine == (result == ORQ::PENDING_FINISHED),
                   "a record is carried out exactly when it reads and names its line's files");
    kvdfuzz::Check(kvdfuzz::ReadBytes(folder + "/bystander") == "outside",
                   "nothing outside the record's folder changes");
    const auto after = Contents(line);
    if (!ownLine)
        kvdfuzz::Check(after == before, "a record that is not carried out changes nothing");
    std::set<std::string> targets;
    for (const auto &r : record.renames)
        targets.insert(r.target);
    for (const auto &entry : after)
        kvdfuzz::Check(before.count(entry.first) > 0 || targets.count(entry.first) > 0,
                       "carrying out a record leaves nothing new in the folder but its targets");
    for (const auto &[name, bytes] : before) {
        if (temporaries.count(name) || name == recordName)
            continue;
        const auto found = after.find(name);
        const bool target = found != after.end() && found->second == "new " + name;
        kvdfuzz::Check(found != after.end() && (found->second == bytes || target),
                       "only targets of the record change, and only into their temporaries");
    }
    ORQ::TidyReplacementFolder(line, extensions);
    kvdfuzz::Check(Contents(line) == after, "the folder's tidy after the reader changes nothing");
    return 0;
}
