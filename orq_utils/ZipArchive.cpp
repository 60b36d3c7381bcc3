#include "orq_utils/ZipArchive.h"

#include "orq_utils/Unzipper.h"
#include "orq_utils/Zipper.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

using ORQ::CUnzipper;
using ORQ::CZipper;

namespace {
enum EHandleKind { kReading = 1, kWriting = 2 };
} // namespace

// A handle: its kind and the reader or the writer behind it.
struct HZIP__ {
    EHandleKind kind;
    std::unique_ptr<CUnzipper> reader;
    std::unique_ptr<CZipper> writer;
};

namespace {

// The latest result of each side, per thread.
thread_local EZResult g_latestU = ZR_OK;
thread_local EZResult g_latestZ = ZR_OK;

EZResult ResultU(EZResult r) {
    g_latestU = r;
    return r;
}

EZResult ResultZ(EZResult r) {
    g_latestZ = r;
    return r;
}

EZResult CheckHandle(HZIP hz, EHandleKind kind) {
    if (!hz)
        return ZR_ARGS;
    return hz->kind == kind ? ZR_OK : ZR_ZMODE;
}

// A handle for the reader opened, or null; either way result becomes the latest result.
HZIP NewReader(std::unique_ptr<CUnzipper> reader, EZResult result) {
    ResultU(result);
    return reader ? new HZIP__{kReading, std::move(reader), nullptr} : nullptr;
}

HZIP NewWriter(std::unique_ptr<CZipper> writer, EZResult result) {
    ResultZ(result);
    return writer ? new HZIP__{kWriting, nullptr, std::move(writer)} : nullptr;
}

const char *MessageText(EZResult code, bool reading) {
    switch (code) {
    case ZR_OK:
        return "Success";
    case ZR_DUPHANDLE:
        return "Culdn't duplicate handle";
    case ZR_NOFILE:
        return "Couldn't create/open file";
    case ZR_NOALLOC:
        return "Failed to allocate memory";
    case ZR_WRITE:
        return "Error writing to file";
    case ZR_NOTFOUND:
        return "File not found in the zipfile";
    case ZR_MORE:
        return "Still more data to unzip";
    case ZR_CORRUPT:
        return "Zipfile is corrupt or not a zipfile";
    case ZR_READ:
        return "Error reading file";
    case ZR_PASSWORD:
        return reading ? "Correct password required" : "unknown zip result code";
    case ZR_MISSIZE:
        return "Zip-bug: the anticipated size turned out wrong";
    case ZR_ARGS:
        return "Caller: faulty arguments";
    case ZR_NOTMEMORY:
        return "Caller: can only get memory of a memory zipfile";
    case ZR_MEMSIZE:
        return "Caller: not enough space allocated for memory zipfile";
    case ZR_FAILED:
        return "Caller: there was a previous error";
    case ZR_ENDED:
        return "Caller: additions to the zip have already been ended";
    case ZR_PARTIALUNZ:
        return "Caller: the file had already been partially unzipped";
    case ZR_ZMODE:
        return "Caller: mixing creation and opening of zip";
    case ZR_NOTINITED:
        return "Zip-bug: internal initialisation not completed";
    case ZR_SEEK:
        return "Zip-bug: trying to seek the unseekable";
    case ZR_NOCHANGE:
        return "Zip-bug: tried to change mind, but not allowed";
    case ZR_FLATE:
        return "Zip-bug: an internal error during flation";
    default:
        return "unknown zip result code";
    }
}

unsigned int FormatMessage(EZResult code, char *buffer, unsigned int size, bool reading) {
    if (code == ZR_RECENT)
        code = reading ? g_latestU : g_latestZ;
    const char *text = MessageText(code, reading);
    const size_t length = std::strlen(text);
    if (buffer && size != 0) {
        const size_t n = std::min<size_t>(size - 1, length);
        std::memcpy(buffer, text, n);
        buffer[n] = '\0';
    }
    return static_cast<unsigned int>(length);
}

} // namespace

namespace ORQ {
EZResult LatestZipResult(bool reading) {
    return reading ? g_latestU : g_latestZ;
}
} // namespace ORQ

// ---- reading side

HZIP OpenZip(const char *fileName, const char *password) {
    EZResult r = ZR_OK;
    auto reader = CUnzipper::Open(fileName, password, r);
    return NewReader(std::move(reader), r);
}

HZIP OpenZip(const void *buffer, unsigned int length, const char *password) {
    EZResult r = ZR_OK;
    auto reader = CUnzipper::Open(buffer, length, password, r);
    return NewReader(std::move(reader), r);
}

HZIP OpenZipHandle(int fd, const char *password) {
    EZResult r = ZR_OK;
    auto reader = CUnzipper::OpenHandle(fd, password, r);
    return NewReader(std::move(reader), r);
}

EZResult GetZipItem(HZIP hz, int index, ZIPENTRY *entry) {
    const EZResult r = CheckHandle(hz, kReading);
    return ResultU(r != ZR_OK ? r : hz->reader->GetItem(index, entry));
}

EZResult FindZipItem(HZIP hz, const char *name, bool ignoreCase, int *index, ZIPENTRY *entry) {
    const EZResult r = CheckHandle(hz, kReading);
    return ResultU(r != ZR_OK ? r : hz->reader->FindItem(name, ignoreCase, index, entry));
}

EZResult UnzipItem(HZIP hz, int index, const char *targetFileName) {
    const EZResult r = CheckHandle(hz, kReading);
    return ResultU(r != ZR_OK ? r : hz->reader->UnzipToFile(index, targetFileName));
}

EZResult UnzipItem(HZIP hz, int index, void *buffer, unsigned int length) {
    const EZResult r = CheckHandle(hz, kReading);
    return ResultU(
        r != ZR_OK ? r : hz->reader->UnzipToMemory(index, static_cast<char *>(buffer), length));
}

EZResult UnzipItemHandle(HZIP hz, int index, int fd) {
    const EZResult r = CheckHandle(hz, kReading);
    return ResultU(r != ZR_OK ? r : hz->reader->UnzipToHandle(index, fd));
}

EZResult SetUnzipBaseDir(HZIP hz, const char *folder) {
    const EZResult r = CheckHandle(hz, kReading);
    if (r == ZR_OK)
        hz->reader->SetBaseDir(folder);
    return ResultU(r);
}

EZResult CloseZipU(HZIP hz) {
    const EZResult r = CheckHandle(hz, kReading);
    if (r == ZR_OK)
        delete hz;
    return ResultU(r);
}

bool IsZipHandleU(HZIP hz) {
    return hz && hz->kind == kReading;
}

unsigned int FormatZipMessageU(EZResult code, char *buffer, unsigned int size) {
    return FormatMessage(code, buffer, size, true);
}

// ---- writing side

HZIP CreateZip(const char *fileName, const char *password) {
    if (!fileName || !*fileName)
        return NewWriter(nullptr, ZR_ARGS);
    CZipper::SPlace place;
    place.file = std::make_unique<ORQ::CFileReplacement>(fileName);
    if (!place.file->Open())
        return NewWriter(nullptr, ZR_NOFILE);
    EZResult r = ZR_OK;
    auto writer = CZipper::Create(CZipper::kFile, std::move(place), password, r);
    return NewWriter(std::move(writer), r);
}

HZIP CreateZip(void *buffer, unsigned int length, const char *password) {
    if (!buffer || length == 0)
        return NewWriter(nullptr, ZR_ARGS);
    CZipper::SPlace place;
    place.memory = static_cast<char *>(buffer);
    place.capacity = length;
    EZResult r = ZR_OK;
    auto writer = CZipper::Create(CZipper::kMemory, std::move(place), password, r);
    return NewWriter(std::move(writer), r);
}

HZIP CreateZipHandle(int fd, const char *password) {
    if (fd < 0)
        return NewWriter(nullptr, ZR_ARGS);
    CZipper::SPlace place;
    place.fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (place.fd < 0)
        return NewWriter(nullptr, ZR_DUPHANDLE);
    EZResult r = ZR_OK;
    auto writer = CZipper::Create(CZipper::kHandle, std::move(place), password, r);
    return NewWriter(std::move(writer), r);
}

EZResult ZipAdd(HZIP hz, const char *name, const char *sourceFileName) {
    const EZResult r = CheckHandle(hz, kWriting);
    return ResultZ(r != ZR_OK ? r : hz->writer->AddFile(name, sourceFileName));
}

EZResult ZipAdd(HZIP hz, const char *name, const void *buffer, unsigned int length) {
    const EZResult r = CheckHandle(hz, kWriting);
    return ResultZ(
        r != ZR_OK ? r
                   : hz->writer->AddData(name, buffer, length, std::time(nullptr), S_IFREG | 0644));
}

EZResult ZipAddHandle(HZIP hz, const char *name, int fd) {
    const EZResult r = CheckHandle(hz, kWriting);
    return ResultZ(r != ZR_OK ? r : hz->writer->AddHandle(name, fd, nullptr));
}

EZResult ZipAddHandle(HZIP hz, const char *name, int fd, unsigned int length) {
    const EZResult r = CheckHandle(hz, kWriting);
    return ResultZ(r != ZR_OK ? r : hz->writer->AddHandle(name, fd, &length));
}

EZResult ZipAddFolder(HZIP hz, const char *name) {
    const EZResult r = CheckHandle(hz, kWriting);
    return ResultZ(r != ZR_OK ? r : hz->writer->AddFolder(name));
}

EZResult ZipGetMemory(HZIP hz, void **buffer, unsigned long *length) {
    const EZResult r = CheckHandle(hz, kWriting);
    if (r != ZR_OK) {
        if (!hz) {
            if (buffer)
                *buffer = nullptr;
            if (length)
                *length = 0;
        }
        return ResultZ(r);
    }
    return ResultZ(hz->writer->GetMemory(buffer, length));
}

EZResult CloseZipZ(HZIP hz) {
    EZResult r = CheckHandle(hz, kWriting);
    if (r == ZR_OK) {
        r = hz->writer->Close();
        delete hz;
    }
    return ResultZ(r);
}

bool IsZipHandleZ(HZIP hz) {
    return hz && hz->kind == kWriting;
}

unsigned int FormatZipMessageZ(EZResult code, char *buffer, unsigned int size) {
    return FormatMessage(code, buffer, size, false);
}
