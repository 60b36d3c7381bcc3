#include "orq_utils/ReplacementRecord.h"

#include "orq_utils/FileSystemName.h"
#include "orq_utils/PathName.h"

#include <set>

namespace ORQ {

namespace {

const char kFirstLine[] = "kvd group replacement 1";
const char kRename[] = "rename";
const char kEnd[] = "end";
const size_t kTempSuffixLength = 8;

bool IsTempLetter(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
}

// The lines of text, each ended by "\n"; false when the last one has no line end.
bool SplitLines(const std::string &text, std::vector<std::string> &lines) {
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        if (end == std::string::npos)
            return false;
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return true;
}

// A record's name: "." and its line's name, then this; a line's lock the same with its own.
const char kRecordSuffix[] = ".kvd-intent";
const size_t kRecordSuffixLength = sizeof kRecordSuffix - 1;
const char kLockSuffix[] = ".kvd-lock";
const size_t kLockSuffixLength = sizeof kLockSuffix - 1;

// Whether leaf is "." followed by a line's name and suffix.
bool IsLineNameWith(const std::string &leaf, const char *suffix, size_t length) {
    return leaf.size() > 1 + length && leaf[0] == '.' &&
           leaf.compare(leaf.size() - length, length, suffix) == 0;
}

std::string LowerAscii(std::string text) {
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

} // namespace

std::string ReplacementRecordPath(const std::string &path) {
    return JoinPath(FolderOf(path), "." + ReplacementLineOf(LeafOf(path)) + kRecordSuffix);
}

bool IsReplacementRecordName(const std::string &leaf) {
    return IsLineNameWith(leaf, kRecordSuffix, kRecordSuffixLength);
}

std::string ReplacementRecordLine(const std::string &recordLeaf) {
    return recordLeaf.substr(1, recordLeaf.size() - 1 - kRecordSuffixLength);
}

std::string ReplacementLockPath(const std::string &path) {
    return JoinPath(FolderOf(path), "." + ReplacementLineOf(LeafOf(path)) + kLockSuffix);
}

bool IsReplacementLockName(const std::string &leaf) {
    return IsLineNameWith(leaf, kLockSuffix, kLockSuffixLength);
}

std::string ReplacementLineOf(const std::string &leaf) {
    if (IsReplacementRecordName(leaf))
        return ReplacementRecordLine(leaf);
    if (IsReplacementLockName(leaf))
        return leaf.substr(1, leaf.size() - 1 - kLockSuffixLength);
    return LowerAscii(StemOf(leaf));
}

bool IsReplacementTarget(const std::string &name) {
    if (name.empty() || name.size() > 255 || name == "." || name == "..")
        return false;
    return name.find_first_of(std::string("/\t\r\n\0", 5)) == std::string::npos;
}

bool IsTemporaryName(const std::string &name, std::string *target) {
    // "." + target + ".tmp" + 8 letters: the shortest is ".x.tmp" and 8.
    const size_t tail = 4 + kTempSuffixLength;
    if (name.size() < 2 + tail || name[0] != '.')
        return false;
    const size_t tmp = name.size() - tail;
    if (name.compare(tmp, 4, ".tmp") != 0)
        return false;
    for (size_t i = tmp + 4; i < name.size(); ++i)
        if (!IsTempLetter(name[i]))
            return false;
    const std::string inner = name.substr(1, tmp - 1);
    if (!IsReplacementTarget(inner))
        return false;
    if (target)
        *target = inner;
    return true;
}

bool IsTemporaryName(const std::string &name, const std::string &target) {
    std::string inner;
    return IsTemporaryName(name, &inner) && inner == target;
}

std::string FormatReplacementRecord(const SReplacementRecord &record) {
    if (record.renames.empty() || record.renames.size() > kMaxReplacementRecordRenames)
        return std::string();
    std::string text = std::string(kFirstLine) + "\n";
    for (const auto &r : record.renames) {
        if (!IsReplacementTarget(r.target) || !IsTemporaryName(r.temporary, r.target))
            return std::string();
        text += std::string(kRename) + "\t" + r.temporary + "\t" + r.target + "\n";
    }
    text += std::string(kEnd) + "\n";
    return text.size() <= kMaxReplacementRecordBytes ? text : std::string();
}

bool ParseReplacementRecord(const std::string &text, SReplacementRecord &record, std::string &why) {
    record.renames.clear();
    auto fail = [&](const std::string &reason) {
        record.renames.clear();
        why = reason;
        return false;
    };
    if (text.size() > kMaxReplacementRecordBytes)
        return fail("it is far too large to be one");
    std::vector<std::string> lines;
    if (!SplitLines(text, lines))
        return fail("it ends part-way through a line");
    if (lines.empty() || lines.front() != kFirstLine)
        return fail("it does not begin as a replacement record");
    if (lines.size() < 3 || lines.back() != kEnd)
        return fail("it does not end as a replacement record");

    std::set<std::string> targets, temporaries;
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::string &line = lines[i];
        const size_t tab1 = line.find('\t');
        const size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos || line.compare(0, tab1, kRename) != 0)
            return fail("line " + std::to_string(i + 1) + " is not a rename");
        SReplacementRecord::SRename r;
        r.temporary = line.substr(tab1 + 1, tab2 - tab1 - 1);
        r.target = line.substr(tab2 + 1);
        if (!IsReplacementTarget(r.target))
            return fail("line " + std::to_string(i + 1) + " names no file of its folder");
        if (!IsTemporaryName(r.temporary, r.target))
            return fail("line " + std::to_string(i + 1) +
                        " renames a file that is not a temporary file of its target");
        if (!targets.insert(r.target).second || !temporaries.insert(r.temporary).second)
            return fail("it names " + r.target + " twice");
        if (record.renames.size() >= kMaxReplacementRecordRenames)
            return fail("it names too many files");
        record.renames.push_back(r);
    }
    why.clear();
    return true;
}

bool CheckReplacementTargets(const SReplacementRecord &record, const std::string &stem,
                             const std::vector<std::string> &extensions, std::string &why) {
    std::string own;
    std::set<std::string> keys;
    for (const std::string &extension : extensions) {
        if (extension.empty())
            continue;
        own += (own.empty() ? "" : " and ") + stem + "." + extension;
        keys.insert(FileNameKey(stem + "." + extension));
    }
    std::set<std::string> named;
    for (const auto &r : record.renames) {
        const std::string key = FileNameKey(r.target);
        if (!keys.count(key)) {
            why = "it names " + r.target + ", which is not a file of the line " + stem +
                  (own.empty() ? std::string() : " (only " + own + " are)");
            return false;
        }
        if (!named.insert(key).second) {
            why = "it names the file " + r.target + " of the line " + stem + " twice";
            return false;
        }
    }
    why.clear();
    return true;
}

} // namespace ORQ
