#include "orq_utils/Unzipper.h"

#include "orq_utils/FileReplacement.h"
#include "orq_utils/ZipShared.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ORQ {

namespace {

FILETIME ToFileTime(time_t t) {
    // Seconds between 1601-01-01 and 1970-01-01, then 100-ns units.
    const uint64_t ticks = (static_cast<uint64_t>(t) + 11644473600ULL) * 10000000ULL;
    return FILETIME{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
}

int32_t ClampSize(zip_uint64_t size) {
    return size > static_cast<zip_uint64_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(size);
}

// Windows attribute bits from what the archive records: Unix mode bits (high half) for
// archives made on Unix, the MS-DOS bits otherwise.
uint32_t EntryAttributes(zip_t *za, zip_uint64_t index, const std::string &name) {
    zip_uint8_t system = ZIP_OPSYS_DEFAULT;
    zip_uint32_t external = 0;
    uint32_t attr = 0;
    if (zip_file_get_external_attributes(za, index, 0, &system, &external) == 0) {
        if (system == ZIP_OPSYS_UNIX) {
            const mode_t mode = external >> 16;
            if (S_ISDIR(mode))
                attr |= ZIP_ATTRIBUTE_DIRECTORY;
            if (mode != 0 && !(mode & S_IWUSR))
                attr |= ZIP_ATTRIBUTE_READONLY;
        } else {
            attr =
                external & (ZIP_ATTRIBUTE_READONLY | ZIP_ATTRIBUTE_HIDDEN | ZIP_ATTRIBUTE_SYSTEM |
                            ZIP_ATTRIBUTE_DIRECTORY | ZIP_ATTRIBUTE_ARCHIVE);
        }
    }
    if (IsFolderName(name))
        attr |= ZIP_ATTRIBUTE_DIRECTORY;
    if (!(attr & ZIP_ATTRIBUTE_DIRECTORY) && system == ZIP_OPSYS_UNIX)
        attr |= ZIP_ATTRIBUTE_ARCHIVE;
    return attr;
}

} // namespace

std::unique_ptr<CUnzipper> CUnzipper::Open(const char *fileName, const char *password,
                                           EZResult &result) {
    if (!fileName || !*fileName) {
        result = ZR_ARGS;
        return nullptr;
    }
    struct stat st {};
    if (::stat(fileName, &st) != 0 || !S_ISREG(st.st_mode)) {
        result = ZR_NOFILE;
        return nullptr;
    }
    if (st.st_size == 0) { // libzip would take an empty file for an empty archive
        result = ZR_CORRUPT;
        return nullptr;
    }
    int error = 0;
    zip_t *za = zip_open(fileName, ZIP_RDONLY, &error);
    if (!za) {
        result = FromLibzip(error, ZR_CORRUPT);
        return nullptr;
    }
    result = ZR_OK;
    return std::make_unique<CUnzipper>(za, password);
}

std::unique_ptr<CUnzipper> CUnzipper::Open(const void *buffer, unsigned int length,
                                           const char *password, EZResult &result) {
    if (!buffer || length == 0) {
        result = ZR_ARGS;
        return nullptr;
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(buffer, length, 0, &error);
    zip_t *za = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!za) {
        result = FromLibzip(&error, ZR_CORRUPT);
        zip_source_free(source);
        zip_error_fini(&error);
        return nullptr;
    }
    zip_error_fini(&error);
    result = ZR_OK;
    return std::make_unique<CUnzipper>(za, password);
}

std::unique_ptr<CUnzipper> CUnzipper::OpenHandle(int fd, const char *password, EZResult &result) {
    if (fd < 0) {
        result = ZR_ARGS;
        return nullptr;
    }
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) {
        result = ZR_DUPHANDLE;
        return nullptr;
    }
    int error = 0;
    zip_t *za = zip_fdopen(copy, 0, &error);
    if (!za) {
        ::close(copy);
        result = FromLibzip(error, ZR_CORRUPT);
        return nullptr;
    }
    result = ZR_OK;
    return std::make_unique<CUnzipper>(za, password);
}

CUnzipper::CUnzipper(zip_t *za, const char *password) : m_za(za) {
    if (password && *password)
        zip_set_default_password(za, password);
}

CUnzipper::~CUnzipper() {
    EndPartial();
    zip_discard(m_za);
}

std::string CUnzipper::EntryName(int index) const {
    const char *raw = zip_get_name(m_za, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_RAW);
    return CleanEntryName(raw ? raw : "");
}

EZResult CUnzipper::Fill(int index, ZIPENTRY *entry) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_za, static_cast<zip_uint64_t>(index), ZIP_FL_ENC_RAW, &st) != 0)
        return ZR_CORRUPT;
    std::memset(entry, 0, sizeof(*entry));
    entry->index = index;
    const std::string name = EntryName(index);
    const size_t n = std::min(name.size(), sizeof(entry->name) - 1);
    std::memcpy(entry->name, name.data(), n);
    entry->attr = EntryAttributes(m_za, static_cast<zip_uint64_t>(index), name);
    if (st.valid & ZIP_STAT_MTIME)
        entry->atime = entry->ctime = entry->mtime = ToFileTime(st.mtime);
    if (st.valid & ZIP_STAT_COMP_SIZE)
        entry->comp_size = ClampSize(st.comp_size);
    if (st.valid & ZIP_STAT_SIZE)
        entry->unc_size = ClampSize(st.size);
    return ZR_OK;
}

EZResult CUnzipper::GetItem(int index, ZIPENTRY *entry) {
    if (!entry)
        return ZR_ARGS;
    if (index == -1) {
        std::memset(entry, 0, sizeof(*entry));
        entry->index = static_cast<int32_t>(Count());
        return ZR_OK;
    }
    if (!InRange(index))
        return ZR_ARGS;
    return Fill(index, entry);
}

EZResult CUnzipper::FindItem(const char *name, bool ignoreCase, int *index, ZIPENTRY *entry) {
    if (!name || !index)
        return ZR_ARGS;
    const std::string wanted = CleanEntryName(name);
    const zip_int64_t count = Count();
    for (zip_int64_t i = 0; i < count && !wanted.empty(); ++i) {
        if (!SameName(EntryName(static_cast<int>(i)), wanted, ignoreCase))
            continue;
        *index = static_cast<int>(i);
        return entry ? Fill(*index, entry) : ZR_OK;
    }
    *index = -1;
    if (entry) {
        std::memset(entry, 0, sizeof(*entry));
        entry->index = -1;
    }
    return ZR_NOTFOUND;
}

EZResult CUnzipper::OpenEntry(int index, zip_file_t **file) {
    *file = nullptr;
    // An entry encrypted by a method libzip cannot decrypt is refused here: libzip 1.7 would
    // refuse it too, but lose the source layers it built for it (a leak on every such entry).
    zip_stat_t st;
    if (zip_stat_index(m_za, static_cast<zip_uint64_t>(index), 0, &st) == 0 &&
        (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE &&
        !zip_encryption_method_supported(st.encryption_method, 0))
        return ZR_PASSWORD;
    *file = zip_fopen_index(m_za, static_cast<zip_uint64_t>(index), 0);
    return *file ? ZR_OK : FromLibzip(zip_get_error(m_za), ZR_CORRUPT);
}

EZResult CUnzipper::CheckEnd(zip_file_t *file) {
    char extra;
    const zip_int64_t n = zip_fread(file, &extra, 1);
    if (n < 0)
        return FromLibzip(zip_file_get_error(file), ZR_CORRUPT);
    return n == 0 ? ZR_OK : ZR_MISSIZE;
}

EZResult CUnzipper::Copy(int index, const std::function<bool(const char *, size_t)> &sink) {
    zip_file_t *file = nullptr;
    EZResult r = OpenEntry(index, &file);
    if (r != ZR_OK)
        return r;
    std::vector<char> chunk(1 << 16);
    for (;;) {
        const zip_int64_t n = zip_fread(file, chunk.data(), chunk.size());
        if (n < 0) {
            r = FromLibzip(zip_file_get_error(file), ZR_CORRUPT);
            break;
        }
        if (n == 0)
            break;
        if (!sink(chunk.data(), static_cast<size_t>(n))) {
            r = ZR_WRITE;
            break;
        }
    }
    zip_fclose(file);
    return r;
}

std::string CUnzipper::TargetPath(const std::string &target) const {
    if (!target.empty() && target[0] == '/')
        return target;
    const std::string clean = CleanEntryName(target);
    return clean.empty() ? std::string() : m_baseDir + clean;
}

void CUnzipper::EndPartial() {
    if (m_partial)
        zip_fclose(m_partial);
    m_partial = nullptr;
    m_partialIndex = -1;
}

EZResult CUnzipper::UnzipToFile(int index, const char *target) {
    if (!target || !InRange(index))
        return ZR_ARGS;
    if (m_partial && m_partialIndex == index)
        return ZR_PARTIALUNZ;
    EndPartial();
    std::string path = TargetPath(target);
    if (path.empty())
        return ZR_ARGS;
    std::error_code ec;
    if (IsFolderName(EntryName(index))) {
        std::filesystem::create_directories(path, ec);
        return std::filesystem::is_directory(path) ? ZR_OK : ZR_NOFILE;
    }
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, ec);
    CFileReplacement file(path);
    if (!file.Open())
        return ZR_NOFILE;
    const EZResult r =
        Copy(index, [&file](const char *data, size_t size) { return file.Write(data, size); });
    if (r != ZR_OK)
        return r;
    if (!file.Finish() || !file.Commit())
        return ZR_WRITE;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_za, static_cast<zip_uint64_t>(index), 0, &st) == 0 &&
        (st.valid & ZIP_STAT_MTIME)) {
        const struct timespec times[2] = {{st.mtime, 0}, {st.mtime, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    return ZR_OK;
}

EZResult CUnzipper::UnzipToMemory(int index, char *buffer, unsigned int length) {
    if (!buffer || length == 0 || !InRange(index))
        return ZR_ARGS;
    if (m_partial && m_partialIndex != index)
        EndPartial();
    if (!m_partial) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(m_za, static_cast<zip_uint64_t>(index), 0, &st) != 0 ||
            !(st.valid & ZIP_STAT_SIZE))
            return ZR_CORRUPT;
        const EZResult r = OpenEntry(index, &m_partial);
        if (r != ZR_OK)
            return r;
        m_partialIndex = index;
        m_partialDone = 0;
        m_partialSize = st.size;
    }
    const zip_uint64_t want = std::min<zip_uint64_t>(length, m_partialSize - m_partialDone);
    zip_uint64_t got = 0;
    while (got < want) {
        const zip_int64_t n = zip_fread(m_partial, buffer + got, want - got);
        if (n <= 0) {
            const EZResult r =
                n < 0 ? FromLibzip(zip_file_get_error(m_partial), ZR_CORRUPT) : ZR_CORRUPT;
            EndPartial();
            return r;
        }
        got += static_cast<zip_uint64_t>(n);
    }
    m_partialDone += got;
    if (m_partialDone < m_partialSize)
        return ZR_MORE;
    const EZResult r = CheckEnd(m_partial);
    EndPartial();
    return r;
}

EZResult CUnzipper::UnzipToHandle(int index, int fd) {
    if (fd < 0 || !InRange(index))
        return ZR_ARGS;
    if (m_partial && m_partialIndex == index)
        return ZR_PARTIALUNZ;
    EndPartial();
    if (IsFolderName(EntryName(index)))
        return ZR_OK;
    return Copy(index, [fd](const char *data, size_t size) { return WriteAll(fd, data, size); });
}

void CUnzipper::SetBaseDir(const char *folder) {
    m_baseDir = folder ? folder : "";
    if (!m_baseDir.empty() && m_baseDir.back() != '/')
        m_baseDir += '/';
}

} // namespace ORQ
