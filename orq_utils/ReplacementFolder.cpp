#include "orq_utils/ReplacementFolder.h"

#include "orq_utils/FolderListing.h"
#include "orq_utils/PathName.h"
#include "orq_utils/SmallFile.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ORQ {

namespace {

void AddName(const std::string &name, SReplacementFiles &files) {
    ++files.names;
    std::string target;
    if (IsTemporaryName(name, &target))
        files.temporaries.emplace_back(name, std::move(target));
    else if (IsReplacementRecordName(name))
        files.records.push_back(name);
    else if (IsReplacementLockName(name))
        files.locks.push_back(name);
}

} // namespace

void SyncFolderOf(const std::string &path) {
    const int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

bool NameLeadsTo(const std::string &path, int fd) {
    struct stat byName {
    }, byFd{};
    return ::lstat(path.c_str(), &byName) == 0 && ::fstat(fd, &byFd) == 0 &&
           byName.st_dev == byFd.st_dev && byName.st_ino == byFd.st_ino;
}

int LockTemporary(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat byFd {};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    // Locked, but perhaps only after its writer put it in place and went: then the name leads
    // elsewhere, or nowhere.
    if (::fstat(fd, &byFd) != 0 || !S_ISREG(byFd.st_mode) || !NameLeadsTo(path, fd)) {
        ::close(fd);
        errno = ENOENT;
        return -1;
    }
    return fd;
}

CLockedFiles::~CLockedFiles() {
    for (int fd : m_fds)
        ::close(fd);
}

bool ReadRecordFile(const std::string &path, SReplacementRecord &record, std::string &why) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    std::string bytes;
    const ESmallFileRead read = ReadSmallFile(fd, kMaxReplacementRecordBytes, bytes);
    const int err = errno;
    ::close(fd);
    switch (read) {
    case SMALL_FILE_READ:
        break;
    case SMALL_FILE_NOT_MEASURED:
    case SMALL_FILE_NOT_A_FILE:
        why = "it is not a file";
        errno = EINVAL;
        return false;
    case SMALL_FILE_TOO_LARGE:
        why = "it is far too large to be one";
        errno = EFBIG;
        return false;
    case SMALL_FILE_UNREADABLE:
        why = std::strerror(err);
        errno = err;
        return false;
    }
    if (ParseReplacementRecord(bytes, record, why))
        return true;
    errno = EBADMSG;
    return false;
}

bool ScanReplacementFiles(const std::string &folder, SReplacementFiles &files) {
    files = SReplacementFiles();
    std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir)
        return false;
    while (const dirent *entry = ::readdir(dir.get()))
        AddName(entry->d_name, files);
    return true;
}

void ListReplacementFiles(const CFolderListing &listing, SReplacementFiles &files) {
    files = SReplacementFiles();
    listing.ForEachEntry([&files](const std::string &name) { AddName(name, files); });
}

} // namespace ORQ
