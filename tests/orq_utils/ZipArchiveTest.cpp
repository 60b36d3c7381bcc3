#include "orq_utils/ZipArchive.h"
#include "tests/orq_utils/ZipTestTools.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using kvdtest::FileExists;
using kvdtest::ReadFile;
using kvdtest::TempDir;
using kvdtest::WriteFile;
using ziptest::Quote;

namespace {

std::string MessageU(EZResult code) {
    char text[256];
    FormatZipMessageU(code, text, sizeof(text));
    return text;
}

std::string MessageZ(EZResult code) {
    char text[256];
    FormatZipMessageZ(code, text, sizeof(text));
    return text;
}

// The whole entry through memory; *result gets the last code.
std::string Unzipped(HZIP hz, int index, EZResult *result = nullptr) {
    ZIPENTRY entry;
    EXPECT_EQ(GetZipItem(hz, index, &entry), ZR_OK);
    std::string data(static_cast<size_t>(entry.unc_size) + 1, '\0');
    const EZResult r = UnzipItem(hz, index, data.data(), static_cast<unsigned>(data.size()));
    if (result)
        *result = r;
    data.resize(static_cast<size_t>(entry.unc_size));
    return data;
}

int Find(HZIP hz, const char *name) {
    int index = -2;
    ZIPENTRY entry;
    FindZipItem(hz, name, false, &index, &entry);
    return index;
}

// The "compression method" line of one entry in zipinfo -v.
std::string MethodOf(const std::string &zipinfo, const std::string &name) {
    const size_t at = zipinfo.find("\n  " + name + "\n");
    if (at == std::string::npos)
        return "entry not listed";
    const std::string key = "compression method:";
    const size_t line = zipinfo.find(key, at);
    const size_t end = zipinfo.find('\n', line);
    std::string method = zipinfo.substr(line + key.size(), end - line - key.size());
    return method.substr(method.find_first_not_of(' '));
}

const std::string kDataName = "data/line1.dt1";

// An archive written by the interface from all three kinds of source, plus a folder.
void WriteSample(HZIP hz, const TempDir &dir) {
    const std::string header = ziptest::Compressible(20000);
    const std::string already = ziptest::Noise(3000);
    WriteFile(dir.File("line1.hd"), header);
    ASSERT_EQ(ZipAdd(hz, "data\\line1.dt1", header.data(), static_cast<unsigned>(header.size())),
              ZR_OK);
    ASSERT_EQ(ZipAdd(hz, "old.ZIP", already.data(), static_cast<unsigned>(already.size())), ZR_OK);
    ASSERT_EQ(ZipAdd(hz, "data/line1.hd", dir.File("line1.hd").c_str()), ZR_OK);
    const int fd = ::open(dir.File("line1.hd").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ZipAddHandle(hz, "handle.txt", fd), ZR_OK);
    ::lseek(fd, 0, SEEK_SET);
    ASSERT_EQ(ZipAddHandle(hz, "part.txt", fd, 100), ZR_OK);
    ::close(fd);
    ASSERT_EQ(ZipAddFolder(hz, "empty"), ZR_OK);
    ASSERT_EQ(ZipAdd(hz, "zero.txt", nullptr, 0), ZR_OK);
}

} // namespace

TEST(ZipMessages, FormatIntoShortBuffersAndNameTheLatestResult) {
    char text[10];
    std::memset(text, 'x', sizeof(text));
    EXPECT_EQ(FormatZipMessageU(ZR_NOTFOUND, text, 10), 29u);
    EXPECT_STREQ(text, "File not ");
    EXPECT_EQ(FormatZipMessageU(ZR_NOTFOUND, nullptr, 0), 29u) << "the length without a buffer";
    EXPECT_EQ(MessageU(ZR_PASSWORD), "Correct password required");
    EXPECT_EQ(MessageZ(ZR_PASSWORD), "unknown zip result code");
    EXPECT_EQ(MessageU(0x1234), "unknown zip result code");
    EXPECT_EQ(MessageZ(ZR_MEMSIZE), "Caller: not enough space allocated for memory zipfile");
    EXPECT_EQ(MessageU(ZR_DUPHANDLE), "Culdn't duplicate handle");

    EXPECT_EQ(OpenZip("/nonexistent/folder/a.zip", nullptr), nullptr);
    EXPECT_EQ(MessageU(ZR_RECENT), "Couldn't create/open file");
    EXPECT_EQ(CloseZipZ(nullptr), ZR_ARGS);
    EXPECT_EQ(MessageZ(ZR_RECENT), "Caller: faulty arguments");
    EXPECT_EQ(MessageU(ZR_RECENT), "Couldn't create/open file") << "each side keeps its own";
}

TEST(ZipMessages, LatestResultsAreKeptPerThread) {
    EXPECT_EQ(CloseZipU(nullptr), ZR_ARGS);
    std::thread other([] { OpenZip("/nonexistent/a.zip", nullptr); });
    other.join();
    EXPECT_EQ(MessageU(ZR_RECENT), "Caller: faulty arguments");
}

TEST(ZipEntryRecord, KeepsItsByteLayout) {
    static_assert(sizeof(ZIPENTRY) == 300, "other programs read 300 bytes");
    EXPECT_EQ(offsetof(ZIPENTRY, index), 0u);
    EXPECT_EQ(offsetof(ZIPENTRY, name), 4u);
    EXPECT_EQ(offsetof(ZIPENTRY, attr), 264u);
    EXPECT_EQ(offsetof(ZIPENTRY, atime), 268u);
    EXPECT_EQ(offsetof(ZIPENTRY, ctime), 276u);
    EXPECT_EQ(offsetof(ZIPENTRY, mtime), 284u);
    EXPECT_EQ(offsetof(ZIPENTRY, comp_size), 292u);
    EXPECT_EQ(offsetof(ZIPENTRY, unc_size), 296u);
}

TEST(ZipHandles, NullAndMixedHandlesAreRefused) {
    TempDir dir;
    HZIP writer = CreateZip(dir.File("a.zip").c_str(), nullptr);
    ASSERT_NE(writer, nullptr);
    EXPECT_TRUE(IsZipHandleZ(writer));
    EXPECT_FALSE(IsZipHandleU(writer));
    ZIPENTRY entry;
    EXPECT_EQ(GetZipItem(writer, -1, &entry), ZR_ZMODE);
    EXPECT_EQ(CloseZipU(writer), ZR_ZMODE);
    ASSERT_EQ(ZipAdd(writer, "a.txt", "abc", 3), ZR_OK);
    ASSERT_EQ(CloseZipZ(writer), ZR_OK);

    HZIP reader = OpenZip(dir.File("a.zip").c_str(), nullptr);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(ZipAdd(reader, "b.txt", "abc", 3), ZR_ZMODE);
    EXPECT_EQ(CloseZipZ(reader), ZR_ZMODE);
    EXPECT_EQ(CloseZipU(reader), ZR_OK);

    EXPECT_EQ(CloseZipU(nullptr), ZR_ARGS);
    EXPECT_EQ(GetZipItem(nullptr, 0, &entry), ZR_ARGS);
    EXPECT_FALSE(IsZipHandleU(nullptr));
    void *memory = &entry;
    unsigned long length = 99;
    EXPECT_EQ(ZipGetMemory(nullptr, &memory, &length), ZR_ARGS);
    EXPECT_EQ(memory, nullptr);
    EXPECT_EQ(length, 0u);
}

TEST(ZipWrite, ArchivesPassUnzipAndPythonWithAndWithoutPassword) {
    for (const char *password : {"", "s3cret"}) {
        SCOPED_TRACE(*password ? "with a password" : "without a password");
        TempDir dir;
        const std::string archive = dir.File("out.zip");
        HZIP hz = CreateZip(archive.c_str(), password);
        ASSERT_NE(hz, nullptr);
        WriteSample(hz, dir);
        ASSERT_EQ(CloseZipZ(hz), ZR_OK);

        std::string out;
        const std::string p = *password ? std::string(" -P ") + password : "";
        EXPECT_EQ(ziptest::Run("unzip -tq" + p + " " + Quote(archive), &out), 0) << out;
        EXPECT_EQ(ziptest::PythonTestZip(archive, password, &out), 0) << out;
        EXPECT_EQ(ziptest::Run("unzip -p" + p + " " + Quote(archive) + " " + kDataName, &out), 0);
        EXPECT_EQ(out, ziptest::Compressible(20000));
        ASSERT_EQ(ziptest::Run("zipinfo -v " + Quote(archive), &out), 0) << out;
        EXPECT_EQ(MethodOf(out, kDataName), "deflated");
        EXPECT_EQ(MethodOf(out, "old.ZIP"), "none (stored)") << "already compressed";
        EXPECT_EQ(MethodOf(out, "empty/"), "none (stored)");
        EXPECT_NE(out.find("\n  data/line1.hd\n"), std::string::npos) << "a file's entry";
        EXPECT_EQ(out.find('\\'), std::string::npos) << "stored names use '/'";
        const size_t plain = out.find("file security status:                           not");
        const size_t encrypted = out.find("file security status:                           encr");
        EXPECT_EQ(encrypted != std::string::npos, *password != '\0');
        EXPECT_NE(plain, std::string::npos) << "the folder is not enciphered";
        if (*password) {
            EXPECT_NE(ziptest::Run("unzip -tq -P wrong " + Quote(archive), &out), 0)
                << "the password is really needed";
        }
    }
}

TEST(ZipRead, ArchivesOfTheZipToolReadBack) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("src"));
    std::filesystem::create_directory(dir.File("src/Lines"));
    const std::string text = ziptest::Compressible(50000);
    WriteFile(dir.File("src/Lines/LINE01.DT1"), text);
    WriteFile(dir.File("src/notes.txt"), "hello");
    std::string out;
    ASSERT_EQ(ziptest::Run("cd " + Quote(dir.File("src")) +
                               " && zip -qr ../plain.zip . && zip -qr -P " + "pw ../locked.zip .",
                           &out),
              0)
        << out;

    for (const char *name : {"plain.zip", "locked.zip"}) {
        SCOPED_TRACE(name);
        const bool locked = std::string(name) == "locked.zip";
        HZIP hz = OpenZip(dir.File(name).c_str(), locked ? "pw" : nullptr);
        ASSERT_NE(hz, nullptr);
        ZIPENTRY entry;
        ASSERT_EQ(GetZipItem(hz, -1, &entry), ZR_OK);
        EXPECT_EQ(entry.index, 3) << "Lines/, the line file and the notes";
        EXPECT_STREQ(entry.name, "");
        int index = -2;
        ASSERT_EQ(FindZipItem(hz, "lines\\line01.dt1", true, &index, &entry), ZR_OK);
        EXPECT_STREQ(entry.name, "Lines/LINE01.DT1");
        EXPECT_EQ(entry.index, index);
        EXPECT_EQ(entry.unc_size, 50000);
        EXPECT_LT(entry.comp_size, 50000);
        EXPECT_FALSE(entry.attr & ZIP_ATTRIBUTE_DIRECTORY);
        EXPECT_NE(entry.mtime.dwHighDateTime, 0u) << "a file time";
        EXPECT_EQ(FindZipItem(hz, "lines/line01.dt1", false, &index, &entry), ZR_NOTFOUND);
        EXPECT_EQ(index, -1);
        EXPECT_EQ(entry.index, -1);
        EXPECT_STREQ(entry.name, "");
        ASSERT_EQ(FindZipItem(hz, "Lines/", false, &index, nullptr), ZR_OK);
        ASSERT_EQ(GetZipItem(hz, index, &entry), ZR_OK);
        EXPECT_TRUE(entry.attr & ZIP_ATTRIBUTE_DIRECTORY);

        EZResult r = ZR_FAILED;
        EXPECT_EQ(Unzipped(hz, Find(hz, "Lines/LINE01.DT1"), &r), text);
        EXPECT_EQ(r, ZR_OK);
        EXPECT_EQ(Unzipped(hz, Find(hz, "notes.txt"), &r), "hello");
        ASSERT_EQ(CloseZipU(hz), ZR_OK);
    }

    HZIP nopassword = OpenZip(dir.File("locked.zip").c_str(), nullptr);
    ASSERT_NE(nopassword, nullptr);
    char data[10];
    EXPECT_EQ(UnzipItem(nopassword, Find(nopassword, "notes.txt"), data, sizeof(data)),
              ZR_PASSWORD);
    EXPECT_EQ(MessageU(ZR_RECENT), "Correct password required");
    CloseZipU(nopassword);
    HZIP wrong = OpenZip(dir.File("locked.zip").c_str(), "not it");
    ASSERT_NE(wrong, nullptr);
    EXPECT_NE(UnzipItem(wrong, Find(wrong, "notes.txt"), data, sizeof(data)), ZR_OK)
        << "a wrong password never gives data";
    CloseZipU(wrong);

    WriteFile(dir.File("text.zip"), "not an archive at all, just text");
    EXPECT_EQ(OpenZip(dir.File("text.zip").c_str(), nullptr), nullptr);
    EXPECT_EQ(MessageU(ZR_RECENT), "Zipfile is corrupt or not a zipfile");
    WriteFile(dir.File("empty.zip"), "");
    EXPECT_EQ(OpenZip(dir.File("empty.zip").c_str(), nullptr), nullptr);
    EXPECT_EQ(MessageU(ZR_RECENT), "Zipfile is corrupt or not a zipfile");
}

TEST(ZipRead, EntryNamesCannotLeaveTheBaseFolder) {
    TempDir dir;
    const std::string archive = dir.File("evil.zip");
    std::string out;
    ASSERT_EQ(
        ziptest::Run("python3 -c " +
                         Quote("import sys, zipfile\n"
                               "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
                               "for n in ['../evil', '/abs/x', 'a/./../../b', 'C:\\\\w\\\\c.txt',"
                               " '../../../../tmp/deep']:\n"
                               "    z.writestr(zipfile.ZipInfo(n), n)\n") +
                         " " + Quote(archive),
                     &out),
        0)
        << out;
    std::filesystem::create_directory(dir.File("base"));
    HZIP hz = OpenZip(archive.c_str(), nullptr);
    ASSERT_NE(hz, nullptr);
    ASSERT_EQ(SetUnzipBaseDir(hz, dir.File("base").c_str()), ZR_OK);
    const char *expected[] = {"evil", "abs/x", "a/b", "w/c.txt", "tmp/deep"};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(expected[i]);
        ZIPENTRY entry;
        ASSERT_EQ(GetZipItem(hz, i, &entry), ZR_OK);
        EXPECT_STREQ(entry.name, expected[i]);
        ASSERT_EQ(UnzipItem(hz, i, entry.name), ZR_OK);
        EXPECT_TRUE(FileExists(dir.File("base/") + expected[i]));
    }
    ASSERT_EQ(UnzipItem(hz, 0, "../../escape"), ZR_OK) << "a target of the caller is cleaned too";
    EXPECT_TRUE(FileExists(dir.File("base/escape")));
    EXPECT_FALSE(FileExists(dir.File("evil")));
    EXPECT_FALSE(FileExists(dir.File("escape")));
    EXPECT_FALSE(FileExists(std::filesystem::path(dir.Path()).parent_path() / "escape"));
    EXPECT_EQ(ReadFile(dir.File("base/evil")), "../evil");

    ASSERT_EQ(UnzipItem(hz, 1, dir.File("absolute.txt").c_str()), ZR_OK)
        << "an absolute target is the caller's own choice";
    EXPECT_EQ(ReadFile(dir.File("absolute.txt")), "/abs/x");
    EXPECT_EQ(UnzipItem(hz, 1, ".."), ZR_ARGS) << "nothing is left of that name";
    EXPECT_EQ(UnzipItem(hz, 7, "x"), ZR_ARGS);
    CloseZipU(hz);
}

TEST(ZipRead, ACorruptEntryIsReportedAndLeavesNoFile) {
    TempDir dir;
    const std::string archive = dir.File("c.zip");
    const std::string stored = ziptest::Compressible(5000);
    HZIP hz = CreateZip(archive.c_str(), nullptr);
    ASSERT_NE(hz, nullptr);
    ASSERT_EQ(ZipAdd(hz, "keep.gz", stored.data(), static_cast<unsigned>(stored.size())), ZR_OK);
    ASSERT_EQ(ZipAdd(hz, "good.txt", "good", 4), ZR_OK);
    ASSERT_EQ(CloseZipZ(hz), ZR_OK);

    std::string bytes = ReadFile(archive);
    const size_t at = bytes.find(stored.substr(0, 200));
    ASSERT_NE(at, std::string::npos) << "stored data lie in the archive as they are";
    bytes[at + 1000] ^= 0x01;
    WriteFile(archive, bytes);

    hz = OpenZip(archive.c_str(), nullptr);
    ASSERT_NE(hz, nullptr);
    const int bad = Find(hz, "keep.gz");
    EZResult r = ZR_OK;
    Unzipped(hz, bad, &r);
    EXPECT_EQ(r, ZR_CORRUPT);
    EXPECT_EQ(UnzipItem(hz, bad, dir.File("keep.gz").c_str()), ZR_CORRUPT);
    EXPECT_FALSE(FileExists(dir.File("keep.gz"))) << "no half-checked file is left";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1)
        << "nor a temporary one";
    const int fd = ::open(dir.File("out.bin").c_str(), O_CREAT | O_WRONLY, 0644);
    EXPECT_EQ(UnzipItemHandle(hz, bad, fd), ZR_CORRUPT);
    ::close(fd);
    EXPECT_EQ(Unzipped(hz, Find(hz, "good.txt"), &r), "good");
    EXPECT_EQ(r, ZR_OK) << "the other entry is sound";
    CloseZipU(hz);
}

TEST(ZipMemory, WritesIntoItsBufferAndReadsBackInParts) {
    std::vector<char> buffer(100000, '\0');
    HZIP hz = CreateZip(buffer.data(), static_cast<unsigned>(buffer.size()), "pw");
    ASSERT_NE(hz, nullptr);
    const std::string text = ziptest::Compressible(30000);
    ASSERT_EQ(ZipAdd(hz, "a.txt", text.data(), static_cast<unsigned>(text.size())), ZR_OK);
    void *memory = nullptr;
    unsigned long length = 0;
    ASSERT_EQ(ZipGetMemory(hz, &memory, &length), ZR_OK);
    EXPECT_EQ(memory, buffer.data());
    EXPECT_GT(length, 22u);
    EXPECT_LT(length, text.size());
    EXPECT_EQ(ZipAdd(hz, "b.txt", "b", 1), ZR_ENDED);
    EXPECT_EQ(ZipGetMemory(hz, &memory, &length), ZR_OK) << "the same archive again";
    EXPECT_EQ(CloseZipZ(hz), ZR_OK);

    HZIP reader = OpenZip(buffer.data(), static_cast<unsigned>(length), "pw");
    ASSERT_NE(reader, nullptr);
    std::string back;
    char part[7000];
    EZResult r;
    int calls = 0;
    do {
        r = UnzipItem(reader, 0, part, sizeof(part));
        ASSERT_TRUE(r == ZR_OK || r == ZR_MORE) << MessageU(r);
        back.append(part, std::min(sizeof(part), text.size() - back.size()));
        ++calls;
    } while (r == ZR_MORE);
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(back, text);
    EXPECT_EQ(UnzipItem(reader, 0, part, sizeof(part)), ZR_MORE) << "a fresh start";
    EXPECT_EQ(UnzipItem(reader, 0, "/dev/null"), ZR_PARTIALUNZ);
    CloseZipU(reader);

    TempDir dir;
    HZIP file = CreateZip(dir.File("f.zip").c_str(), nullptr);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ZipGetMemory(file, &memory, &length), ZR_NOTMEMORY);
    CloseZipZ(file);
}

TEST(ZipMemory, AnArchiveBeyondItsCapacityIsRefusedWithoutOverrun) {
    const size_t capacity = 200;
    std::vector<char> buffer(capacity + 64, '\x5a');
    HZIP hz = CreateZip(buffer.data(), capacity, nullptr);
    ASSERT_NE(hz, nullptr);
    const std::string noise = ziptest::Noise(1000);
    ASSERT_EQ(ZipAdd(hz, "n.bin", noise.data(), static_cast<unsigned>(noise.size())), ZR_OK);
    void *memory = nullptr;
    unsigned long length = 0;
    EXPECT_EQ(ZipGetMemory(hz, &memory, &length), ZR_MEMSIZE);
    EXPECT_EQ(CloseZipZ(hz), ZR_MEMSIZE) << "the archive was never written";
    for (size_t i = capacity; i < buffer.size(); ++i)
        ASSERT_EQ(buffer[i], '\x5a') << "byte " << i << " beyond the capacity";
    EXPECT_EQ(CreateZip(nullptr, 100, nullptr), nullptr);
    EXPECT_EQ(CreateZip(buffer.data(), 0, nullptr), nullptr);
}

TEST(ZipHandle, WritesAndReadsThroughDescriptors) {
    TempDir dir;
    const int out = ::open(dir.File("h.zip").c_str(), O_CREAT | O_RDWR | O_TRUNC, 0644);
    ASSERT_GE(out, 0);
    ASSERT_EQ(::write(out, "PREFIX", 6), 6);
    HZIP hz = CreateZipHandle(out, nullptr);
    ASSERT_NE(hz, nullptr);
    ASSERT_EQ(ZipAdd(hz, "x.txt", "xyz", 3), ZR_OK);
    ASSERT_EQ(CloseZipZ(hz), ZR_OK);
    ::close(out);
    const std::string bytes = ReadFile(dir.File("h.zip"));
    ASSERT_EQ(bytes.substr(0, 6), "PREFIX") << "written at the descriptor's position";
    WriteFile(dir.File("h.zip"), bytes.substr(6));

    const int in = ::open(dir.File("h.zip").c_str(), O_RDONLY);
    hz = OpenZipHandle(in, nullptr);
    ::close(in); // the interface keeps a copy of its own
    ASSERT_NE(hz, nullptr);
    const int target = ::open(dir.File("x.txt").c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    EXPECT_EQ(UnzipItemHandle(hz, 0, target), ZR_OK);
    ::close(target);
    EXPECT_EQ(ReadFile(dir.File("x.txt")), "xyz");
    EXPECT_EQ(UnzipItemHandle(hz, 0, -1), ZR_ARGS);
    CloseZipU(hz);
    EXPECT_EQ(OpenZipHandle(-1, nullptr), nullptr);
}

TEST(ZipWrite, AdditionsAfterAFailureOrOfABadNameAreRefused) {
    TempDir dir;
    HZIP hz = CreateZip(dir.File("f.zip").c_str(), nullptr);
    ASSERT_NE(hz, nullptr);
    EXPECT_EQ(ZipAdd(hz, "", "x", 1), ZR_ARGS);
    EXPECT_EQ(ZipAdd(hz, "../..", "x", 1), ZR_ARGS) << "nothing is left of the name";
    EXPECT_EQ(ZipAdd(hz, nullptr, "x", 1), ZR_ARGS);
    ASSERT_EQ(ZipAdd(hz, "../sub/./a.txt", "x", 1), ZR_OK);
    EXPECT_EQ(ZipAdd(hz, "sub\\a.txt", "y", 1), ZR_ARGS) << "the same cleaned name twice";
    ASSERT_EQ(ZipAdd(hz, "b.txt", "y", 1), ZR_OK) << "bad arguments do not end the additions";
    EXPECT_EQ(ZipAdd(hz, "c.txt", dir.File("missing").c_str()), ZR_NOFILE);
    EXPECT_EQ(ZipAdd(hz, "d.txt", "z", 1), ZR_FAILED);
    EXPECT_EQ(ZipAddFolder(hz, "e"), ZR_FAILED);
    ASSERT_EQ(CloseZipZ(hz), ZR_OK) << "what was added before is kept";

    hz = OpenZip(dir.File("f.zip").c_str(), nullptr);
    ASSERT_NE(hz, nullptr);
    ZIPENTRY entry;
    GetZipItem(hz, -1, &entry);
    EXPECT_EQ(entry.index, 2);
    EXPECT_EQ(Unzipped(hz, Find(hz, "sub/a.txt")), "x");
    CloseZipU(hz);

    EXPECT_EQ(CreateZip(dir.File("no/such/folder/a.zip").c_str(), nullptr), nullptr);
    EXPECT_EQ(MessageZ(ZR_RECENT), "Couldn't create/open file");
}

TEST(ZipWrite, AnArchiveWithoutEntriesIsStillAZipFile) {
    TempDir dir;
    HZIP hz = CreateZip(dir.File("e.zip").c_str(), nullptr);
    ASSERT_NE(hz, nullptr);
    ASSERT_EQ(CloseZipZ(hz), ZR_OK);
    std::string out;
    EXPECT_EQ(ziptest::PythonTestZip(dir.File("e.zip"), "", &out), 0) << out;
    hz = OpenZip(dir.File("e.zip").c_str(), nullptr);
    ASSERT_NE(hz, nullptr);
    ZIPENTRY entry;
    EXPECT_EQ(GetZipItem(hz, -1, &entry), ZR_OK);
    EXPECT_EQ(entry.index, 0);
    EXPECT_EQ(GetZipItem(hz, 0, &entry), ZR_ARGS);
    CloseZipU(hz);
}

TEST(ZipRead, FoldersUnzipAsFoldersAndFilesKeepTheirTime) {
    TempDir dir;
    WriteFile(dir.File("old.hd"), "recorded long ago");
    const struct timespec times[2] = {{978350400, 0}, {978350400, 0}}; // 2001-01-01 12:00 UTC
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.File("old.hd").c_str(), times, 0), 0);
    HZIP hz = CreateZip(dir.File("d.zip").c_str(), nullptr);
    ASSERT_NE(hz, nullptr);
    WriteSample(hz, dir);
    ASSERT_EQ(ZipAdd(hz, "data/old.hd", dir.File("old.hd").c_str()), ZR_OK);
    ASSERT_EQ(CloseZipZ(hz), ZR_OK);

    hz = OpenZip(dir.File("d.zip").c_str(), nullptr);
    ASSERT_NE(hz, nullptr);
    ASSERT_EQ(SetUnzipBaseDir(hz, dir.File("out").c_str()), ZR_OK);
    ZIPENTRY entry;
    int index = -1;
    ASSERT_EQ(FindZipItem(hz, "empty/", false, &index, &entry), ZR_OK);
    EXPECT_TRUE(entry.attr & ZIP_ATTRIBUTE_DIRECTORY);
    ASSERT_EQ(UnzipItem(hz, index, entry.name), ZR_OK);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("out/empty")));

    ASSERT_EQ(FindZipItem(hz, "data/old.hd", false, &index, &entry), ZR_OK);
    const uint64_t ticks = (uint64_t(entry.mtime.dwHighDateTime) << 32) | entry.mtime.dwLowDateTime;
    EXPECT_NEAR(double(ticks / 10000000 - 11644473600ULL), 978350400.0, 2.0)
        << "the entry's time as a Windows file time (zip times have 2-second steps)";
    ASSERT_EQ(UnzipItem(hz, index, entry.name), ZR_OK);
    EXPECT_EQ(ReadFile(dir.File("out/data/old.hd")), "recorded long ago");
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("out/data/old.hd").c_str(), &st), 0);
    EXPECT_NEAR(double(st.st_mtime), 978350400.0, 2.0) << "the file gets the entry's time";

    EXPECT_EQ(Unzipped(hz, Find(hz, "part.txt")), ziptest::Compressible(100));
    EXPECT_EQ(Unzipped(hz, Find(hz, "handle.txt")), ziptest::Compressible(20000));
    EXPECT_EQ(Unzipped(hz, Find(hz, "zero.txt")), "");
    CloseZipU(hz);
}
