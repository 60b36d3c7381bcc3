#pragma once

#include "orq_utils/OrqExport.h"
#include "orq_utils/ZipArchive.h"

#include <string>

namespace ORQ {

// One zip archive through the exported interface of ZipArchive.h: each member passes the
// object's handle and keeps the result as its status. An object holds at most one archive
// and closes it once, at Close or when it goes; it can be moved, not copied (two objects never
// share a handle). Opening or creating while an archive is held closes that one first.
class ORQ_UTILS_API CZip {
public:
    CZip() = default;
    ~CZip();
    CZip(const CZip &) = delete;
    CZip &operator=(const CZip &) = delete;
    CZip(CZip &&other) noexcept;
    CZip &operator=(CZip &&other) noexcept;

    // Writing. The creating members also keep their side's result as the status.
    EZResult Create(const char *fileName, const char *password = nullptr);
    EZResult Create(void *buffer, unsigned int length, const char *password = nullptr);
    EZResult CreateHandle(int fd, const char *password = nullptr);
    EZResult Add(const char *name, const char *fileName);
    EZResult Add(const char *name, const void *buffer, unsigned int length);
    EZResult AddHandle(const char *name, int fd, unsigned int length);
    EZResult AddFolder(const char *name);
    EZResult GetMemory(void **buffer, unsigned long *length);

    // Reading. The opening members also keep their side's result as the status.
    EZResult Open(const char *fileName, const char *password = nullptr);
    EZResult Open(const void *buffer, unsigned int length, const char *password = nullptr);
    EZResult OpenHandle(int fd, const char *password = nullptr);
    EZResult GetItemInfo(int index, ZIPENTRY *entry);
    EZResult FindItemInfo(const char *name, bool ignoreCase, int *index, ZIPENTRY *entry);
    EZResult UnzipItem(int index, const char *fileName);
    EZResult UnzipItem(int index, void *buffer, unsigned int length);
    EZResult UnzipItemHandle(int index, int fd);
    EZResult SetUnzipBaseDir(const char *folder);

    // Closes the archive of either side (ZR_ARGS when none is held).
    EZResult Close();
    // The text of the status, from the table of the side last opened or created.
    std::string ErrorMessage() const;
    EZResult Status() const { return m_status; }

private:
    EZResult Keep(EZResult r) { return m_status = r; }
    EZResult Opened(HZIP handle, bool reading);
    void Release();

    HZIP m_handle = nullptr;
    EZResult m_status = ZR_OK;
    bool m_reading = false;
};

} // namespace ORQ
