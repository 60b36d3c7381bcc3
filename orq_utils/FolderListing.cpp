#include "orq_utils/FolderListing.h"

#include "orq_utils/FileSystemName.h"
#include "orq_utils/PathName.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <ctime>
#include <memory>

namespace ORQ {

namespace {

CFolderListing::EType TypeOfEntry(unsigned char type) {
    switch (type) {
    case DT_REG:
        return CFolderListing::TYPE_FILE;
    case DT_DIR:
        return CFolderListing::TYPE_FOLDER;
    case DT_UNKNOWN:
    case DT_LNK:
        return CFolderListing::TYPE_UNKNOWN;
    default:
        return CFolderListing::TYPE_OTHER;
    }
}

// How many listings hold their folder open, and how many may.
std::atomic<int> g_heldFolders{0};
constexpr int kMostFoldersHeld = 64;

bool IsAscii(const std::string &text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// The extension of a name (ExtensionOf) in lower case, when it is plain ASCII; false when it is
// not.
bool AsciiExtension(const std::string &name, std::string &extension) {
    extension = ExtensionOf(name);
    for (char &c : extension) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80)
            return false;
        c = static_cast<char>(std::tolower(byte));
    }
    return true;
}

// How many entries that listings must not miss writers of this process noted (NoteNewEntry).
std::atomic<unsigned long> g_newEntries{0};

bool IsHidden(const std::string &name) {
    return name[0] == '.' && name != "." && name != "..";
}

} // namespace

bool CFolderListing::Read(const std::string &folder) {
    m_folder = folder.empty() ? "." : folder;
    m_read = false;
    m_hidden = false;
    m_types.clear();
    m_order.clear();
    m_extensions.clear();
    m_allExtensionsKnown = true;
    m_byKey.clear();
    m_keyed = false;
    // Counted before the names are read: an entry noted while they are read counts as noted
    // since.
    m_newEntriesAtReading = g_newEntries;
    m_handle = SFolderHandle();
    const int fd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    m_handle.fd = fd;
    StampFolder(fd);
    // The names are read through a second descriptor of the same folder, which the reading
    // closes; the first stays for measuring and opening its entries.
    const int readFd = ::dup(fd);
    std::unique_ptr<DIR, int (*)(DIR *)> dir(readFd < 0 ? nullptr : ::fdopendir(readFd),
                                             &::closedir);
    if (!dir) {
        if (readFd >= 0)
            ::close(readFd);
        m_handle = SFolderHandle();
        return false;
    }
    // All names first, so that the index is made once at its final size.
    std::vector<std::pair<std::string, char>> entries;
    while (const dirent *entry = ::readdir(dir.get())) {
        entries.emplace_back(entry->d_name, static_cast<char>(TypeOfEntry(entry->d_type)));
        if (IsHidden(entries.back().first))
            m_hidden = true;
    }
    m_types.reserve(entries.size());
    m_order.reserve(entries.size());
    std::string extension;
    for (auto &entry : entries) {
        if (AsciiExtension(entry.first, extension))
            m_extensions.insert(extension);
        else
            m_allExtensionsKnown = false;
        const auto placed = m_types.emplace(std::move(entry.first), entry.second);
        if (placed.second)
            m_order.push_back(&placed.first->first);
    }
    // A load may list many folders at once: only so many listings keep theirs open, the
    // others measure and open by path, so that they never take the descriptors the load needs.
    if (g_heldFolders.fetch_add(1) >= kMostFoldersHeld) {
        g_heldFolders.fetch_sub(1);
        m_handle = SFolderHandle();
    } else {
        m_handle.held = true;
    }
    m_read = true;
    return true;
}

std::string CFolderListing::Find(const std::string &name, EType *type) const {
    auto answer = [this, type](const std::string &entry) {
        if (type)
            *type = TypeOf(entry);
        return entry;
    };
    if (type)
        *type = TYPE_NONE;
    if (name.empty())
        return std::string();
    // A line's files are asked for by extension (its GPS or topography file beside it): where no
    // entry has the extension in any letter case, none is that file.
    std::string extension;
    if (m_allExtensionsKnown && AsciiExtension(name, extension) &&
        m_extensions.count(extension) == 0)
        return std::string();
    // Every spelling of a plain ASCII name is the name itself.
    if (IsAscii(name)) {
        const auto found = m_types.find(name);
        if (found != m_types.end()) {
            if (type)
                *type = static_cast<EType>(found->second);
            return name;
        }
    } else {
        const std::string spelled = PathToFileSystemSpelling(name);
        if (Has(spelled))
            return answer(spelled);
        const std::string widened = TextToFileName(name);
        if (Has(widened))
            return answer(widened);
        if (Has(name))
            return answer(name);
    }
    if (!m_keyed) {
        m_keyed = true;
        // Of several entries of one key, the first the folder lists.
        m_byKey.reserve(m_order.size());
        for (const std::string *entry : m_order)
            m_byKey.emplace(FileNameKey(*entry), entry);
    }
    const auto found = m_byKey.find(FileNameKey(name));
    return found == m_byKey.end() ? std::string() : answer(*found->second);
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
        return StatEntry(entry, &st) == 0 && S_ISREG(st.st_mode);
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
    if (StatEntry(entry, &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<long long>(st.st_size);
}

std::string CFolderListing::EntryOf(const std::string &path) const {
    const size_t slash = path.find_last_of('/');
    if (!m_read || slash == std::string::npos || slash + 1 == path.size() ||
        path.compare(0, slash, m_folder) != 0 || m_folder.size() != slash)
        return std::string();
    return path.substr(slash + 1);
}

namespace {

bool Before(const struct timespec &a, const struct timespec &b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}
bool Same(const struct timespec &a, const struct timespec &b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

void CFolderListing::StampFolder(int fd) {
    struct stat st {};
    m_stampTells = false;
    if (::fstat(fd, &st) != 0)
        return;
    m_folderMtime = st.st_mtim;
    m_folderCtime = st.st_ctim;
    // A change gets the time of the clock's tick it falls in (or a finer one): one after this
    // moment alters times that lie before the tick now running.
    struct timespec now {};
    m_stampTells = ::clock_gettime(CLOCK_REALTIME_COARSE, &now) == 0 &&
                   Before(m_folderMtime, now) && Before(m_folderCtime, now);
}

bool CFolderListing::UnchangedSinceReading() const {
    if (!m_read || !m_stampTells)
        return false;
    struct stat st {};
    const int looked = m_handle.fd >= 0 ? ::fstat(m_handle.fd, &st) : ::stat(m_folder.c_str(), &st);
    return looked == 0 && Same(st.st_mtim, m_folderMtime) && Same(st.st_ctim, m_folderCtime);
}

int CFolderListing::StatEntry(const std::string &entry, struct stat *st) const {
    if (m_handle.fd >= 0)
        return ::fstatat(m_handle.fd, entry.c_str(), st, 0);
    return ::stat(PathOf(entry).c_str(), st);
}

int CFolderListing::Open(const std::string &entry, int flags) const {
    if (m_handle.fd >= 0)
        return ::openat(m_handle.fd, entry.c_str(), flags | O_CLOEXEC);
    return ::open(PathOf(entry).c_str(), flags | O_CLOEXEC);
}

CFolderListing::SFolderHandle &
CFolderListing::SFolderHandle::operator=(SFolderHandle &&other) noexcept {
    if (this != &other) {
        Close();
        fd = other.fd;
        held = other.held;
        other.fd = -1;
        other.held = false;
    }
    return *this;
}

void CFolderListing::SFolderHandle::Close() {
    if (fd >= 0)
        ::close(fd);
    if (held)
        g_heldFolders.fetch_sub(1);
    fd = -1;
    held = false;
}

std::string CFolderListing::PathOf(const std::string &entry) const {
    return JoinPath(m_folder, entry);
}

void CFolderListing::NoteNewEntry() {
    ++g_newEntries;
}

bool CFolderListing::MayLackNewEntries() const {
    return g_newEntries != m_newEntriesAtReading;
}

} // namespace ORQ
