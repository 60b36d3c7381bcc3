#include "orq_utils/Zipper.h"

#include "orq_utils/ZipShared.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ORQ {

namespace {

bool IsAlreadyCompressed(const std::string &name) {
    static const char *const kCompressed[] = {".z",   ".zip", ".zoo", ".arc",
                                              ".lzh", ".arj", ".gz",  ".tgz"};
    for (const char *ext : kCompressed) {
        const size_t n = std::strlen(ext);
        if (name.size() >= n && SameName(name.substr(name.size() - n), ext, true))
            return true;
    }
    return false;
}

} // namespace

std::unique_ptr<CZipper> CZipper::Create(ETarget target, SPlace place, const char *password,
                                         EZResult &result) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *archive = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t *za = archive ? zip_open_from_source(archive, ZIP_TRUNCATE, &error) : nullptr;
    if (!za) {
        zip_source_free(archive);
        zip_error_fini(&error);
        if (place.fd >= 0)
            ::close(place.fd);
        result = ZR_NOALLOC;
        return nullptr;
    }
    zip_error_fini(&error);
    // Kept beyond the archive's close, to read what it wrote.
    zip_source_keep(archive);
    result = ZR_OK;
    return std::make_unique<CZipper>(target, std::move(place), za, archive, password);
}

CZipper::CZipper(ETarget target, SPlace place, zip_t *za, zip_source_t *archive,
                 const char *password)
    : m_target(target), m_place(std::move(place)), m_za(za), m_archive(archive),
      m_password(password ? password : "") {}

CZipper::~CZipper() {
    if (m_za)
        zip_discard(m_za);
    zip_source_free(m_archive);
    if (m_place.fd >= 0)
        ::close(m_place.fd);
}

EZResult CZipper::BeginAdd(const char *name, bool folder, std::string &clean) const {
    if (!name)
        return ZR_ARGS;
    if (m_finished)
        return ZR_ENDED;
    if (m_failed)
        return ZR_FAILED;
    clean = CleanEntryName(name);
    if (folder && !clean.empty() && !IsFolderName(clean))
        clean += '/';
    return clean.empty() ? ZR_ARGS : ZR_OK;
}

EZResult CZipper::Added(EZResult r) {
    if (r != ZR_OK && r != ZR_ARGS)
        m_failed = true;
    return r;
}

EZResult CZipper::AddSource(const std::string &name, zip_source_t *source, mode_t mode,
                            time_t mtime) {
    const zip_int64_t index = zip_file_add(m_za, name.c_str(), source, ZIP_FL_ENC_GUESS);
    if (index < 0) {
        zip_source_free(source);
        return FromLibzip(zip_get_error(m_za), ZR_FLATE);
    }
    const zip_uint64_t i = static_cast<zip_uint64_t>(index);
    const bool stored = IsAlreadyCompressed(name);
    int failed =
        zip_set_file_compression(m_za, i, stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, stored ? 0 : 8);
    if (!m_password.empty())
        failed |= zip_file_set_encryption(m_za, i, ZIP_EM_TRAD_PKWARE, m_password.c_str());
    failed |= zip_file_set_external_attributes(m_za, i, 0, ZIP_OPSYS_UNIX,
                                               static_cast<zip_uint32_t>(mode) << 16);
    if (mtime != 0)
        failed |= zip_file_set_mtime(m_za, i, mtime, 0);
    if (failed) {
        zip_delete(m_za, i);
        return FromLibzip(zip_get_error(m_za), ZR_FLATE);
    }
    return ZR_OK;
}

EZResult CZipper::AddFile(const char *name, const char *sourceFileName) {
    std::string clean;
    EZResult r = BeginAdd(name, false, clean);
    if (r != ZR_OK)
        return Added(r);
    if (!sourceFileName || !*sourceFileName)
        return ZR_ARGS;
    // The file is read when the archive is finished: it must be readable now, and is named
    // absolutely so that a change of the current folder does not matter.
    struct stat st {};
    const int fd = ::open(sourceFileName, O_RDONLY | O_CLOEXEC);
    const bool readable = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (fd >= 0)
        ::close(fd);
    if (!readable)
        return Added(ZR_NOFILE);
    std::error_code ec;
    const std::string path = std::filesystem::absolute(sourceFileName, ec).string();
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_file_create(path.c_str(), 0, -1, &error);
    if (!source) {
        r = FromLibzip(&error, ZR_NOFILE);
        zip_error_fini(&error);
        return Added(r);
    }
    zip_error_fini(&error);
    return Added(AddSource(clean, source, S_IFREG | (st.st_mode & 07777), st.st_mtime));
}

EZResult CZipper::AddData(const char *name, const void *data, size_t size, time_t mtime,
                          mode_t mode) {
    std::string clean;
    const EZResult r = BeginAdd(name, false, clean);
    if (r != ZR_OK)
        return Added(r);
    if (!data && size > 0)
        return ZR_ARGS;
    // A copy: the caller's memory may go as soon as this returns.
    void *copy = size > 0 ? std::malloc(size) : nullptr;
    if (size > 0 && !copy)
        return Added(ZR_NOALLOC);
    if (size > 0)
        std::memcpy(copy, data, size);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(copy, size, 1, &error);
    if (!source) {
        std::free(copy);
        zip_error_fini(&error);
        return Added(ZR_NOALLOC);
    }
    zip_error_fini(&error);
    return Added(AddSource(clean, source, mode, mtime));
}

EZResult CZipper::AddHandle(const char *name, int fd, const unsigned int *length) {
    std::string clean;
    EZResult r = BeginAdd(name, false, clean);
    if (r != ZR_OK)
        return Added(r);
    if (fd < 0)
        return ZR_ARGS;
    std::string data;
    if (length) {
        data.resize(*length);
        const ssize_t n = ReadFull(fd, data.data(), data.size());
        if (n != static_cast<ssize_t>(data.size()))
            return Added(ZR_READ);
    } else {
        std::vector<char> chunk(1 << 16);
        for (;;) {
            const ssize_t n = ReadFull(fd, chunk.data(), chunk.size());
            if (n < 0)
                return Added(ZR_READ);
            data.append(chunk.data(), static_cast<size_t>(n));
            if (static_cast<size_t>(n) < chunk.size())
                break;
        }
    }
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    return AddData(name, data.data(), data.size(), regular ? st.st_mtime : std::time(nullptr),
                   regular ? (S_IFREG | (st.st_mode & 07777)) : (S_IFREG | 0644));
}

EZResult CZipper::AddFolder(const char *name) {
    std::string clean;
    const EZResult r = BeginAdd(name, true, clean);
    if (r != ZR_OK)
        return Added(r);
    const zip_int64_t index = zip_dir_add(m_za, clean.c_str(), ZIP_FL_ENC_GUESS);
    if (index < 0)
        return Added(FromLibzip(zip_get_error(m_za), ZR_FLATE));
    zip_file_set_external_attributes(m_za, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                     static_cast<zip_uint32_t>(S_IFDIR | 0755) << 16);
    return ZR_OK;
}

EZResult CZipper::ArchiveBytes(std::string &bytes) {
    // libzip writes nothing for an archive without entries; a zip file still needs its
    // end-of-directory record.
    static const char kEmptyArchive[22] = {'P', 'K', 5, 6};
    if (zip_get_num_entries(m_za, 0) == 0) {
        zip_discard(m_za);
        m_za = nullptr;
        bytes.assign(kEmptyArchive, sizeof(kEmptyArchive));
        return ZR_OK;
    }
    if (zip_close(m_za) != 0) {
        const EZResult r = FromLibzip(zip_get_error(m_za), ZR_FLATE);
        zip_discard(m_za);
        m_za = nullptr;
        return r;
    }
    m_za = nullptr;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(m_archive, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
        zip_source_open(m_archive) != 0)
        return ZR_FLATE;
    bytes.resize(st.size);
    const zip_int64_t n = zip_source_read(m_archive, bytes.data(), bytes.size());
    zip_source_close(m_archive);
    return n == static_cast<zip_int64_t>(bytes.size()) ? ZR_OK : ZR_FLATE;
}

EZResult CZipper::Finish() {
    if (m_finished)
        return m_finishResult;
    m_finished = true;
    std::string bytes;
    EZResult r = ArchiveBytes(bytes);
    if (r == ZR_OK) {
        switch (m_target) {
        case kFile:
            if (!m_place.file->Write(bytes.data(), bytes.size()) || !m_place.file->Finish() ||
                !m_place.file->Commit())
                r = ZR_WRITE;
            break;
        case kMemory:
            if (bytes.size() > m_place.capacity) {
                r = ZR_MEMSIZE;
            } else {
                std::memcpy(m_place.memory, bytes.data(), bytes.size());
                m_memoryLength = bytes.size();
            }
            break;
        case kHandle:
            if (!WriteAll(m_place.fd, bytes.data(), bytes.size()))
                r = ZR_WRITE;
            break;
        }
    }
    m_finishResult = r;
    return r;
}

EZResult CZipper::GetMemory(void **buffer, unsigned long *length) {
    if (m_target != kMemory)
        return ZR_NOTMEMORY;
    const EZResult r = Finish();
    if (r != ZR_OK)
        return r;
    if (buffer)
        *buffer = m_place.memory;
    if (length)
        *length = m_memoryLength;
    return ZR_OK;
}

EZResult CZipper::Close() {
    return Finish();
}

} // namespace ORQ
