#pragma once

// The writing side of the zip interface over libzip (inside orq_utils only).

#include "orq_utils/FileReplacement.h"
#include "orq_utils/ZipArchive.h"

#include <zip.h>

#include <ctime>
#include <memory>
#include <string>
#include <sys/types.h>

namespace ORQ {

// The archive is built by libzip in a buffer of its own and written out when it is finished:
// into the file (replaced atomically), into the caller's memory (when it fits), or at the
// descriptor's position.
class CZipper {
public:
    enum ETarget { kFile, kMemory, kHandle };
    // Where the finished archive goes: one of the three, as the target kind says.
    struct SPlace {
        std::unique_ptr<CFileReplacement> file;
        char *memory = nullptr;
        unsigned int capacity = 0;
        int fd = -1; // our own duplicate, closed with the writer
    };

    // A writer for the place given; null, with the reason in result, when libzip cannot set up
    // an archive (a descriptor of the place is closed then).
    static std::unique_ptr<CZipper> Create(ETarget target, SPlace place, const char *password,
                                           EZResult &result);

    CZipper(ETarget target, SPlace place, zip_t *za, zip_source_t *archive, const char *password);
    ~CZipper();
    CZipper(const CZipper &) = delete;
    CZipper &operator=(const CZipper &) = delete;

    EZResult AddFile(const char *name, const char *sourceFileName);
    EZResult AddData(const char *name, const void *data, size_t size, time_t mtime, mode_t mode);
    EZResult AddHandle(const char *name, int fd, const unsigned int *length);
    EZResult AddFolder(const char *name);
    EZResult GetMemory(void **buffer, unsigned long *length);
    EZResult Close();

private:
    // Checks common to every addition; gives the cleaned name.
    EZResult BeginAdd(const char *name, bool folder, std::string &clean) const;
    // Adds source (taken over) under name with its compression, encryption and attributes.
    EZResult AddSource(const std::string &name, zip_source_t *source, mode_t mode, time_t mtime);
    // A result of an addition; a failure other than bad arguments ends further additions.
    EZResult Added(EZResult r);
    // Writes the archive to its target, once.
    EZResult Finish();
    EZResult ArchiveBytes(std::string &bytes);

    ETarget m_target;
    SPlace m_place;
    zip_t *m_za;
    zip_source_t *m_archive;
    std::string m_password;
    bool m_failed = false;
    bool m_finished = false;
    EZResult m_finishResult = ZR_OK;
    unsigned long m_memoryLength = 0;
};

} // namespace ORQ
