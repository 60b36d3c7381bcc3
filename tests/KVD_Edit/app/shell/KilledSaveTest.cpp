// The code log stopped by SIGKILL while it is rewritten: the last whole log stays as it was.
#include "tests/support/KilledSave.h"
#include "KVD_Edit/app/shell/CodeLogger.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

TEST(KilledSave, CodeLogRewriteLeavesTheLastWholeLog) {
    kvdtest::TempDir dir;
    const std::string log = dir.File("KVD_Edit (100).log");
    CCodeLogger logger("", log, nullptr, 154);
    logger.LogCall("/src/a.cpp", 1, "void A()", "A", nullptr);
    ASSERT_TRUE(logger.WriteLog());
    const std::string old = kvdtest::ReadFile(log);
    for (unsigned line = 2; line < 200; ++line)
        logger.LogCall("/src/b.cpp", line, "void B()", "B", "a custom text");
    EXPECT_TRUE(kvdtest::KilledSaveLeavesFolderAsItWas(
        dir.Path(), [&] { return logger.WriteLog(); }, 500, ".log"));
    EXPECT_EQ(kvdtest::ReadFile(log), old);
    ASSERT_TRUE(logger.WriteLog());
    EXPECT_GT(kvdtest::ReadFile(log).size(), old.size());
}
