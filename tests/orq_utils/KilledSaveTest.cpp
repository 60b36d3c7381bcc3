// Saves stopped by SIGKILL part-way through their writes: the old file stays byte-identical and
// nothing (no temporary, no partial file) is left beside it for the next start to trip over.
#include "tests/support/KilledSave.h"
#include "orq_utils/FileReplacement.h"
#include "orq_utils/ZipArchive.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <string>

using kvdtest::KilledSaveLeavesFolderAsItWas;
using kvdtest::ReadFile;
using kvdtest::TempDir;
using kvdtest::WriteFile;

namespace {

// Bytes that do not compress, so an archive of them is as large as they are.
std::string NoiseBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char &c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

bool WriteArchive(const std::string &path, const std::string &content) {
    HZIP hz = CreateZip(path.c_str(), nullptr);
    if (!hz)
        return false;
    const bool added =
        ZipAdd(hz, "data.bin", content.data(), static_cast<unsigned>(content.size())) == ZR_OK;
    return CloseZipZ(hz) == ZR_OK && added;
}

} // namespace

TEST(KilledSave, ReplacedFileStaysOldAndNothingIsLeftBeside) {
    TempDir dir;
    const std::string path = dir.File("LINE01.DT1");
    WriteFile(path, "old content");
    const std::string bytes = NoiseBytes(200000, 1);
    auto save = [&] { return ORQ::ReplaceFileContent(path, bytes); };
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(dir.Path(), save, 1));
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(dir.Path(), save, 150000));
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(dir.Path(), save, bytes.size()))
        << "killed after the last byte, before the rename";
    ASSERT_TRUE(save()) << "the same save run to its end";
    EXPECT_EQ(ReadFile(path), bytes);
}

TEST(KilledSave, FileCreatedOnlyIfAbsentNeverAppearsHalfWritten) {
    TempDir dir;
    const std::string path = dir.File("line01.GPS");
    const std::string bytes = NoiseBytes(50000, 2);
    auto create = [&] { return ORQ::CreateFileContent(path, bytes); };
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(dir.Path(), create, 1000));
    ASSERT_TRUE(create());
    EXPECT_EQ(ReadFile(path), bytes);

    // A name that is taken keeps its file, whatever the new content.
    errno = 0;
    EXPECT_FALSE(ORQ::CreateFileContent(path, "other"));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(ReadFile(path), bytes);
    EXPECT_EQ(kvdtest::ReadFolder(dir.Path()).size(), 1u) << "no temporary file left";
}

TEST(KilledSave, ZipArchiveStaysOld) {
    TempDir dir;
    const std::string path = dir.File("project.zip");
    ASSERT_TRUE(WriteArchive(path, "the old archive's only entry"));
    const std::string oldArchive = ReadFile(path);
    const std::string content = NoiseBytes(100000, 3);
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(
        dir.Path(), [&] { return WriteArchive(path, content); }, 5000, "project.zip"));
    EXPECT_EQ(ReadFile(path), oldArchive);
    ASSERT_TRUE(WriteArchive(path, content));
    EXPECT_NE(ReadFile(path), oldArchive);
}

TEST(KilledSave, UnzippedFileStaysOld) {
    TempDir dir;
    const std::string archive = dir.File("in.zip");
    const std::string content = NoiseBytes(100000, 4);
    ASSERT_TRUE(WriteArchive(archive, content));
    const std::string target = dir.File("data.bin");
    WriteFile(target, "old data");
    auto unzip = [&] {
        HZIP hz = OpenZip(archive.c_str(), nullptr);
        if (!hz)
            return false;
        const bool ok = UnzipItem(hz, 0, target.c_str()) == ZR_OK;
        return CloseZipU(hz) == ZR_OK && ok;
    };
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(dir.Path(), unzip, 4096, "data.bin"));
    ASSERT_TRUE(unzip());
    EXPECT_EQ(ReadFile(target), content);
}
