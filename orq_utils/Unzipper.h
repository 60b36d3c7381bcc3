#pragma once

// The reading side of the zip interface over libzip (inside orq_utils only).

#include "orq_utils/ZipArchive.h"

#include <zip.h>

#include <functional>
#include <memory>
#include <string>

namespace ORQ {

// One archive opened for reading: entry records, look-up by name, and unzipping into a file,
// memory or a descriptor with the CRC checked.
class CUnzipper {
public:
    // Opens an archive for reading; null, with the reason in result, when that fails.
    static std::unique_ptr<CUnzipper> Open(const char *fileName, const char *password,
                                           EZResult &result);
    static std::unique_ptr<CUnzipper> Open(const void *buffer, unsigned int length,
                                           const char *password, EZResult &result);
    static std::unique_ptr<CUnzipper> OpenHandle(int fd, const char *password, EZResult &result);

    CUnzipper(zip_t *za, const char *password);
    ~CUnzipper();
    CUnzipper(const CUnzipper &) = delete;
    CUnzipper &operator=(const CUnzipper &) = delete;

    EZResult GetItem(int index, ZIPENTRY *entry);
    EZResult FindItem(const char *name, bool ignoreCase, int *index, ZIPENTRY *entry);
    EZResult UnzipToFile(int index, const char *target);
    EZResult UnzipToMemory(int index, char *buffer, unsigned int length);
    EZResult UnzipToHandle(int index, int fd);
    void SetBaseDir(const char *folder);

private:
    zip_int64_t Count() const { return zip_get_num_entries(m_za, 0); }
    bool InRange(int index) const { return index >= 0 && index < Count(); }
    std::string EntryName(int index) const;
    EZResult Fill(int index, ZIPENTRY *entry);
    // Streams the entry's data to sink (false: writing failed); the CRC is checked at the end.
    EZResult Copy(int index, const std::function<bool(const char *, size_t)> &sink);
    EZResult OpenEntry(int index, zip_file_t **file);
    // Reads the end of an entry whose data were all read, which makes libzip check the CRC.
    static EZResult CheckEnd(zip_file_t *file);
    std::string TargetPath(const std::string &target) const;
    void EndPartial();

    zip_t *m_za;
    std::string m_baseDir;
    // A memory unzip in progress.
    zip_file_t *m_partial = nullptr;
    int m_partialIndex = -1;
    zip_uint64_t m_partialDone = 0;
    zip_uint64_t m_partialSize = 0;
};

} // namespace ORQ
