// A bitmap file save stopped by SIGKILL part-way: the old bitmap stays as it was.
#include "tests/support/KilledSave.h"
#include "KVD_Edit/controls/CeXDib.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

TEST(KilledSave, BitmapSaveLeavesTheOldBitmap) {
    kvdtest::TempDir dir;
    const std::string path = dir.File("face.bmp");
    kvdtest::WriteFile(path, "old bitmap");
    CCeXDib dib;
    dib.Create(64, 64, 24);
    EXPECT_TRUE(kvdtest::KilledSaveLeavesFolderAsItWas(
        dir.Path(), [&] { return dib.SaveBitmapFile(path) == 1; }, 1000, "face.bmp"));
    ASSERT_EQ(dib.SaveBitmapFile(path), 1);
    EXPECT_EQ(kvdtest::ReadFile(path), dib.GetFileBytes());
}
