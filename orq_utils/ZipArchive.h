#pragma once

#include "orq_utils/OrqExport.h"

#include <cstdint>

// The exported zip-archive interface (PKZIP files, deflate and traditional PKWARE encryption,
// over libzip). An archive lives in a file named by path, in an open file descriptor, or in
// memory; entries come from and go to the same three kinds of place. Every operation returns
// an EZResult code and stores it as its side's latest result (one per side and per thread);
// nothing raises an exception.
//
// Entry names are cleaned on the way in and out: backslashes become '/', a drive prefix and
// leading slashes go, and so does every "." and ".." component, so no name reaches outside the
// folder it is unzipped into. A folder entry keeps its trailing '/'.

// An open archive: from OpenZip* (reading) or CreateZip* (writing) until its close; closing
// frees it, and the value must not be used again.
struct HZIP__;
typedef HZIP__ *HZIP;

typedef uint32_t EZResult;

enum : EZResult {
    ZR_OK = 0,
    ZR_DUPHANDLE = 0x100,    // "Culdn't duplicate handle"
    ZR_NOFILE = 0x200,       // the archive, source or target file could not be created or opened
    ZR_NOALLOC = 0x300,      // out of memory
    ZR_WRITE = 0x400,        // writing a file failed
    ZR_NOTFOUND = 0x500,     // no entry of that name
    ZR_MORE = 0x600,         // a memory unzip has more data for the next call
    ZR_CORRUPT = 0x700,      // not a zip archive, or an entry's data fail their CRC
    ZR_READ = 0x800,         // reading a file failed
    ZR_PASSWORD = 0x1000,    // the entry is enciphered and the password is missing or wrong
    ZR_MISSIZE = 0x6000,     // an entry's data are longer than its recorded size
    ZR_ARGS = 0x10000,       // a null handle, null pointer, bad index or empty name
    ZR_NOTMEMORY = 0x20000,  // ZipGetMemory of an archive not created in memory
    ZR_MEMSIZE = 0x30000,    // the archive does not fit its memory buffer
    ZR_FAILED = 0x40000,     // an earlier addition failed
    ZR_ENDED = 0x50000,      // ZipGetMemory has ended the additions
    ZR_PARTIALUNZ = 0x70000, // the entry is partly unzipped into memory
    ZR_ZMODE = 0x80000,      // a reading handle given to the writing side, or the other way
    ZR_NOTINITED = 0x1000000,
    ZR_SEEK = 0x2000000,
    ZR_NOCHANGE = 0x4000000,
    ZR_FLATE = 0x5000000,
};

// Given to a message formatter, this code stands for the latest result of its side.
constexpr EZResult ZR_RECENT = 1;

// Windows file time: 100-nanosecond intervals since 1601-01-01 UTC.
struct FILETIME {
    uint32_t dwLowDateTime;
    uint32_t dwHighDateTime;
};

// Attribute bits of ZIPENTRY::attr (the Windows file-attribute bits).
enum : uint32_t {
    ZIP_ATTRIBUTE_READONLY = 0x01,
    ZIP_ATTRIBUTE_HIDDEN = 0x02,
    ZIP_ATTRIBUTE_SYSTEM = 0x04,
    ZIP_ATTRIBUTE_DIRECTORY = 0x10,
    ZIP_ATTRIBUTE_ARCHIVE = 0x20,
};

// One entry as the item queries report it; 300 bytes, laid out as other programs read it.
struct ZIPENTRY {
    int32_t index;  // the entry's index in the archive
    char name[260]; // its cleaned name, null-terminated (longer names are cut at 259 characters)
    uint32_t attr;  // ZIP_ATTRIBUTE_* bits
    FILETIME atime; // last access, creation and last write time
    FILETIME ctime;
    FILETIME mtime;
    int32_t comp_size; // stored size in bytes (an encryption header included)
    int32_t unc_size;  // size of the data in bytes
};

// ---- reading side. password may be null for archives without encryption. A memory archive
// must stay in place until it is closed. File descriptors are duplicated; the caller keeps
// its own.

ORQ_UTILS_API HZIP OpenZip(const char *fileName, const char *password);
ORQ_UTILS_API HZIP OpenZip(const void *buffer, unsigned int length, const char *password);
ORQ_UTILS_API HZIP OpenZipHandle(int fd, const char *password);

// Index -1 puts the number of entries into entry->index and clears the rest of the record.
ORQ_UTILS_API EZResult GetZipItem(HZIP hz, int index, ZIPENTRY *entry);
// Looks an entry up by its cleaned name (the name given is cleaned the same way). Not found:
// ZR_NOTFOUND, *index -1 and the record cleared with index -1. entry may be null.
ORQ_UTILS_API EZResult FindZipItem(HZIP hz, const char *name, bool ignoreCase, int *index,
                                   ZIPENTRY *entry);
// Unzips into a file, replaced atomically: nothing is left behind when the data fail their
// CRC. A relative target is cleaned like an entry name and placed under the base folder; an
// absolute one is taken as given. Missing folders are created; a folder entry creates the
// folder. The file gets the entry's last write time.
ORQ_UTILS_API EZResult UnzipItem(HZIP hz, int index, const char *targetFileName);
// Unzips into memory, length bytes per call: ZR_MORE while data remain for further calls with
// the same index (the caller knows the size from GetZipItem), ZR_OK with the last part.
ORQ_UTILS_API EZResult UnzipItem(HZIP hz, int index, void *buffer, unsigned int length);
// Writes the entry's data at the descriptor's position.
ORQ_UTILS_API EZResult UnzipItemHandle(HZIP hz, int index, int fd);
// The folder for the relative targets of later unzipping ("" or null: the current folder).
ORQ_UTILS_API EZResult SetUnzipBaseDir(HZIP hz, const char *folder);
ORQ_UTILS_API EZResult CloseZipU(HZIP hz);
ORQ_UTILS_API bool IsZipHandleU(HZIP hz);
// Writes the code's text into buffer (at most size - 1 characters and a terminator) and
// returns the text's full length.
ORQ_UTILS_API unsigned int FormatZipMessageU(EZResult code, char *buffer, unsigned int size);

// ---- writing side. Entries are deflated at level 8, except names ending in .Z, .zip, .zoo,
// .arc, .lzh, .arj, .gz or .tgz (already compressed), which are stored. With a password every
// entry but folders is enciphered with traditional PKWARE encryption. Data from memory and
// descriptors are taken at the call; source files are read when the archive is finished, so
// they must stay in place until then. A file archive is written at its close (atomically);
// a memory archive fills at most the length given and is written by ZipGetMemory or the close,
// which give ZR_MEMSIZE, with the buffer beyond that length untouched, when it does not fit.

ORQ_UTILS_API HZIP CreateZip(const char *fileName, const char *password);
ORQ_UTILS_API HZIP CreateZip(void *buffer, unsigned int length, const char *password);
ORQ_UTILS_API HZIP CreateZipHandle(int fd, const char *password);

// A name already in the archive gives ZR_ARGS. After a failed addition (other than ZR_ARGS)
// further additions give ZR_FAILED.
ORQ_UTILS_API EZResult ZipAdd(HZIP hz, const char *name, const char *sourceFileName);
ORQ_UTILS_API EZResult ZipAdd(HZIP hz, const char *name, const void *buffer, unsigned int length);
// The descriptor's data from its position to its end, or length bytes of them.
ORQ_UTILS_API EZResult ZipAddHandle(HZIP hz, const char *name, int fd);
ORQ_UTILS_API EZResult ZipAddHandle(HZIP hz, const char *name, int fd, unsigned int length);
ORQ_UTILS_API EZResult ZipAddFolder(HZIP hz, const char *name);
// Ends the additions, writes the archive into its memory and gives that memory and the
// archive's length; ZR_NOTMEMORY for an archive not created in memory.
ORQ_UTILS_API EZResult ZipGetMemory(HZIP hz, void **buffer, unsigned long *length);
// Finishes the archive and frees the handle (also when finishing fails).
ORQ_UTILS_API EZResult CloseZipZ(HZIP hz);
ORQ_UTILS_API bool IsZipHandleZ(HZIP hz);
// As FormatZipMessageU; this side has no text for ZR_PASSWORD.
ORQ_UTILS_API unsigned int FormatZipMessageZ(EZResult code, char *buffer, unsigned int size);
