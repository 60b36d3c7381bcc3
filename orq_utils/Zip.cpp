#include "orq_utils/Zip.h"

#include <utility>

namespace ORQ {

// The latest result of a side (ZipArchive.cpp; inside the library only).
EZResult LatestZipResult(bool reading);

namespace {
// The message buffer of ErrorMessage, terminator included.
constexpr unsigned int kMessageSize = 511;
} // namespace

CZip::~CZip() {
    Release();
}

CZip::CZip(CZip &&other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_status(other.m_status),
      m_reading(other.m_reading) {}

CZip &CZip::operator=(CZip &&other) noexcept {
    if (this != &other) {
        Release();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_status = other.m_status;
        m_reading = other.m_reading;
    }
    return *this;
}

void CZip::Release() {
    if (m_handle)
        Close();
}

EZResult CZip::Opened(HZIP handle, bool reading) {
    m_handle = handle;
    m_reading = reading;
    return Keep(LatestZipResult(reading));
}

EZResult CZip::Create(const char *fileName, const char *password) {
    Release();
    return Opened(CreateZip(fileName, password), false);
}

EZResult CZip::Create(void *buffer, unsigned int length, const char *password) {
    Release();
    return Opened(CreateZip(buffer, length, password), false);
}

EZResult CZip::CreateHandle(int fd, const char *password) {
    Release();
    return Opened(CreateZipHandle(fd, password), false);
}

EZResult CZip::Add(const char *name, const char *fileName) {
    return Keep(ZipAdd(m_handle, name, fileName));
}

EZResult CZip::Add(const char *name, const void *buffer, unsigned int length) {
    return Keep(ZipAdd(m_handle, name, buffer, length));
}

EZResult CZip::AddHandle(const char *name, int fd, unsigned int length) {
    return Keep(ZipAddHandle(m_handle, name, fd, length));
}

EZResult CZip::AddFolder(const char *name) {
    return Keep(ZipAddFolder(m_handle, name));
}

EZResult CZip::GetMemory(void **buffer, unsigned long *length) {
    return Keep(ZipGetMemory(m_handle, buffer, length));
}

EZResult CZip::Open(const char *fileName, const char *password) {
    Release();
    return Opened(OpenZip(fileName, password), true);
}

EZResult CZip::Open(const void *buffer, unsigned int length, const char *password) {
    Release();
    return Opened(OpenZip(buffer, length, password), true);
}

EZResult CZip::OpenHandle(int fd, const char *password) {
    Release();
    return Opened(OpenZipHandle(fd, password), true);
}

EZResult CZip::GetItemInfo(int index, ZIPENTRY *entry) {
    return Keep(GetZipItem(m_handle, index, entry));
}

EZResult CZip::FindItemInfo(const char *name, bool ignoreCase, int *index, ZIPENTRY *entry) {
    return Keep(FindZipItem(m_handle, name, ignoreCase, index, entry));
}

EZResult CZip::UnzipItem(int index, const char *fileName) {
    return Keep(::UnzipItem(m_handle, index, fileName));
}

EZResult CZip::UnzipItem(int index, void *buffer, unsigned int length) {
    return Keep(::UnzipItem(m_handle, index, buffer, length));
}

EZResult CZip::UnzipItemHandle(int index, int fd) {
    return Keep(::UnzipItemHandle(m_handle, index, fd));
}

EZResult CZip::SetUnzipBaseDir(const char *folder) {
    return Keep(::SetUnzipBaseDir(m_handle, folder));
}

EZResult CZip::Close() {
    const HZIP handle = std::exchange(m_handle, nullptr);
    return Keep(IsZipHandleU(handle) ? CloseZipU(handle) : CloseZipZ(handle));
}

std::string CZip::ErrorMessage() const {
    char text[kMessageSize];
    if (m_reading)
        FormatZipMessageU(m_status, text, kMessageSize);
    else
        FormatZipMessageZ(m_status, text, kMessageSize);
    return text;
}

} // namespace ORQ
