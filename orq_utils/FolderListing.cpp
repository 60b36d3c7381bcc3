#include "orq_utils/FolderListing.h"

#include "orq_utils/FileGroupReplacement.h"
#include "orq_utils/FileSystemName.h"
#include "orq_utils/ReplacementRecord.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace ORQ {

bool CFolderListing::Read(const std::string &folder) {
    m_folder = folder.empty() ? "." : folder;
    m_read = false;
    m_replacementFiles = false;
    m_types.clear();
    m_order.clear();
    m_byKey.clear();
    m_keyed = false;
    // Counted before the names are read: a record written while they are read counts as
    // written since.
    m_recordsAtReading = ReplacementRecordsWritten();
    std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(m_folder.c_str()), &::closedir);
    if (!dir)
        return false;
    while (const dirent *entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        EType type = TYPE_UNKNOWN;
        switch (entry->d_type) {
        case DT_REG:
            type = TYPE_FILE;
            break;
        case DT_DIR:
            type = TYPE_FOLDER;
            break;
        case DT_UNKNOWN:
        case DT_LNK:
            type = TYPE_UNKNOWN;
            break;
        default:
            type = TYPE_OTHER;
            break;
        }
        if (m_types.emplace(name, static_cast<char>(type)).second)
            m_order.push_back(name);
        if (name[0] == '.' && (IsReplacementRecordName(name) || IsTemporaryName(name)))
            m_replacementFiles = true;
    }
    m_read = true;
    return true;
}

std::string CFolderListing::Find(const std::string &name) const {
    if (name.empty())
        return std::string();
    const std::string spelled = PathToFileSystemSpelling(name);
    if (Has(spelled))
        return spelled;
    const std::string widened = TextToFileName(name);
    if (Has(widened))
        return widened;
    if (Has(name))
        return name;
    if (!m_keyed) {
        m_keyed = true;
        // Of several entries of one key, the first the folder lists.
        for (const std::string &entry : m_order)
            m_byKey.emplace(FileNameKey(entry), entry);
    }
    const auto found = m_byKey.find(FileNameKey(name));
    return found == m_byKey.end() ? std::string() : found->second;
}

CFolderListing::EType CFolderListing::TypeOf(const std::string &entry) const {
    const auto found = m_types.find(entry);
    return found == m_types.end() ? TYPE_NONE : static_cast<EType>(found->second);
}

bool CFolderListing::IsFile(const std::string &entry) const {
    switch (TypeOf(entry)) {
    case TYPE_FILE:
        return true;
    case TYPE_UNKNOWN: {
        struct stat st {};
        return ::stat(PathOf(entry).c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
    default:
        return false;
    }
}

long long CFolderListing::SizeOf(const std::string &entry) const {
    const EType type = TypeOf(entry);
    if (type != TYPE_FILE && type != TYPE_UNKNOWN)
        return -1;
    struct stat st {};
    if (::stat(PathOf(entry).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<long long>(st.st_size);
}

std::string CFolderListing::PathOf(const std::string &entry) const {
    return m_folder == "/" ? "/" + entry : m_folder + "/" + entry;
}

bool CFolderListing::RecordsWrittenSince() const {
    return ReplacementRecordsWritten() != m_recordsAtReading;
}

} // namespace ORQ
