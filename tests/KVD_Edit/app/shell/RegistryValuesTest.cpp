#include "KVD_Edit/app/shell/RegistryValues.h"
#include "KVD_Edit/platform/RegistryStore.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

const char kCompany[] = "Brenwick, Inc.";
const char kKey[] = "SOFTWARE\\Brenwick, Inc.";

// Points the user's, the session's and the machine's stores into a temporary folder.
struct RegistryFixture : ::testing::Test {
    kvdtest::TempDir dir;
    kvdtest::ScopedEnv config{"XDG_CONFIG_HOME", dir.File("config")};
    kvdtest::ScopedEnv runtime{"XDG_RUNTIME_DIR", dir.File("run")};
    kvdtest::ScopedEnv machine{"XDG_CONFIG_DIRS", dir.File("etc")};
};

} // namespace

TEST_F(RegistryFixture, WritingCreatesTheKeyVolatile) {
    const std::string path = "/data/proj/site 1.kvd";
    ASSERT_TRUE(WriteRegString(kCompany, "LAST_SAVE", path, path.size()));
    EXPECT_TRUE(CRegistryStore::CurrentUserVolatile().KeyExists(kKey));
    EXPECT_FALSE(CRegistryStore::CurrentUser().KeyExists(kKey));
    EXPECT_EQ(CRegistryStore::CurrentUserVolatile().GetPath(),
              dir.File("run/Brenwick/Registry.ini"));
    EXPECT_EQ(ReadRegString(kCompany, "LAST_SAVE", 260), path);
    // The byte count limits what is stored; a terminating zero ends it.
    ASSERT_TRUE(WriteRegString(kCompany, "NEW FILE", path, 5));
    EXPECT_EQ(ReadRegString(kCompany, "new file", 260), "/data");
    ASSERT_TRUE(WriteRegString(kCompany, "NEW FILE", std::string("ab\0cd", 5), 99));
    EXPECT_EQ(ReadRegString(kCompany, "NEW FILE", 260), "ab");
}

TEST_F(RegistryFixture, AnExistingPersistentKeyStaysPersistent) {
    CRegistryStore persistent = CRegistryStore::CurrentUser();
    ASSERT_TRUE(persistent.CreateKey(kKey));
    ASSERT_TRUE(WriteRegString(kCompany, "LAST_SAVE", "/p.kvd", 6));
    std::string out;
    ASSERT_TRUE(persistent.GetValue(kKey, "LAST_SAVE", out));
    EXPECT_EQ(out, "/p.kvd");
    EXPECT_FALSE(kvdtest::FileExists(CRegistryStore::CurrentUserVolatile().GetPath()));
}

TEST_F(RegistryFixture, ReadingFallsBackToTheMachineAndAppliesTheLengthRule) {
    CRegistryStore machineStore = CRegistryStore::LocalMachine();
    ASSERT_TRUE(machineStore.CreateKey(kKey));
    ASSERT_TRUE(machineStore.SetValue(kKey, "LAST_SAVE", "abcde"));
    EXPECT_EQ(ReadRegString(kCompany, "LAST_SAVE", 260), "abcde");
    // Five characters and their terminating zero need six.
    EXPECT_EQ(ReadRegString(kCompany, "LAST_SAVE", 6), "abcde");
    EXPECT_EQ(ReadRegString(kCompany, "LAST_SAVE", 5), "");
    // A value too long in an earlier place does not hide a fitting one later.
    ASSERT_TRUE(WriteRegString(kCompany, "LAST_SAVE", "a much longer value", 19));
    EXPECT_EQ(ReadRegString(kCompany, "LAST_SAVE", 10), "abcde");
    EXPECT_EQ(ReadRegString(kCompany, "LAST_SAVE", 260), "a much longer value");
    EXPECT_EQ(ReadRegString(kCompany, "MISSING", 260), "");
    EXPECT_EQ(ReadRegString("Nobody", "LAST_SAVE", 260), "");
}

TEST_F(RegistryFixture, DeletingRemovesTheValueOnce) {
    ASSERT_TRUE(WriteRegString(kCompany, "NEW FILE", "/n.kvd", 6));
    EXPECT_TRUE(DeleteRegValue(kCompany, "NEW FILE"));
    EXPECT_EQ(ReadRegString(kCompany, "NEW FILE", 260), "");
    EXPECT_FALSE(DeleteRegValue(kCompany, "NEW FILE"));
}

TEST_F(RegistryFixture, FailsWhenNoStoreCanBeWritten) {
    kvdtest::WriteFile(dir.File("blocked"), "a file where the folder should be");
    kvdtest::ScopedEnv blockedRun("XDG_RUNTIME_DIR", dir.File("blocked"));
    EXPECT_FALSE(WriteRegString(kCompany, "LAST_SAVE", "/p.kvd", 6));
    EXPECT_FALSE(DeleteRegValue(kCompany, "LAST_SAVE"));
}

TEST(RegistryErrors, LastErrorTextIsTheSystemsText) {
    kvdtest::CaptureSink sink;
    errno = ENOENT;
    const std::string text = GetLastErrorText(false);
    EXPECT_EQ(text, "No such file or directory");
    EXPECT_TRUE(sink.Messages().empty());
    errno = ENOENT;
    GetLastErrorText(true);
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.Messages()[0].caption, "Registry Error");
    EXPECT_EQ(sink.Messages()[0].style, unsigned(ORQ::MB_OK | ORQ::MB_ICONINFORMATION));
}
