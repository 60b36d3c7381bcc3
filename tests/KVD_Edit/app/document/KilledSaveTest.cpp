// Project saves stopped by SIGKILL part-way through their writes: the project, the file a Save
// As replaces and an older backup stay byte-identical, and no partial file is left beside them.
#include "tests/support/KilledSave.h"
#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/document/ProjectSaver.h"
#include "tests/KVD_Edit/app/document/DocumentFixtures.h"

#include <gtest/gtest.h>

using kvdtest::FileExists;
using kvdtest::KilledSaveLeavesFolderAsItWas;
using kvdtest::ReadFile;

namespace {

// A project on disk, opened with its settings; hand-back values are kept in memory.
struct Opened {
    explicit Opened(const std::string &text) : path(dir.File("site.kvd")) {
        kvdtest::WriteFile(path, text);
        EXPECT_EQ(holder.LoadKvdXmlFile(path.c_str()), 1) << sink.AllTexts();
        settings.Load(&holder);
        saver.SetHandBack([](const std::string &, const std::string &) {});
    }
    kvdtest::CaptureSink sink;
    kvdtest::TempDir dir;
    std::string path;
    CKvdGprDataFiles holder;
    CMapperSettings settings;
    CProjectSaver saver{holder, settings};
};

} // namespace

TEST(KilledSave, ProjectSaveAndSaveAsLeaveTheOldFiles) {
    Opened o(doctest::AuthoredProject("KVD_Edit", {"KVD_Edit"}));
    const std::string copy = o.dir.File("copy.kvd");
    kvdtest::WriteFile(copy, "the project a Save As replaces");

    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(
        o.dir.Path(), [&] { return o.saver.Save(1); }, 100, "site.kvd"));
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(
        o.dir.Path(), [&] { return o.saver.SaveAs(copy, 1); }, 100, "copy.kvd"));

    const std::string old = ReadFile(o.path);
    ASSERT_TRUE(o.saver.Save(1)) << o.sink.AllTexts();
    EXPECT_NE(ReadFile(o.path), old) << "the same save run to its end writes the project";
}

// The owner check copies a foreign project to its backup name before the save: a copy cut short
// never appears under that name (the next save would take it as the backup and never copy
// again), and an older backup is never touched.
TEST(KilledSave, OwnerCheckCopyNeverAppearsHalfWritten) {
    Opened o(doctest::AuthoredProject("GPR Acquire"));
    const std::string backup = o.dir.File("site_Original.kvd");
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(
        o.dir.Path(), [&] { return o.saver.Save(0); }, 10, "site_Original.kvd"));
    EXPECT_FALSE(FileExists(backup));

    const std::string original = ReadFile(o.path);
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(
        o.dir.Path(), [&] { return CopyFileToFreeName(o.path, backup); }, 10));
    ASSERT_TRUE(CopyFileToFreeName(o.path, backup));
    EXPECT_EQ(ReadFile(backup), original);

    kvdtest::WriteFile(backup, "older backup");
    EXPECT_FALSE(CopyFileToFreeName(o.path, backup)) << "a taken name";
    EXPECT_EQ(ReadFile(backup), "older backup");
    EXPECT_EQ(kvdtest::ReadFolder(o.dir.Path()).size(), 2u) << "no temporary file left";
}
