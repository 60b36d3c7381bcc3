// Edit snapshots written while the process is killed: the base snapshot stays as it was and no
// partial restore point appears (an Undo would load it).
#include "tests/support/KilledSave.h"
#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/app/edit/EditSnapshots.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using kvdtest::KilledSaveLeavesFolderAsItWas;

TEST(KilledSave, RestorePointNeverAppearsHalfWritten) {
    kvdtest::TempDir dir;
    kvdtest::ScopedEnv tmp("TMPDIR", dir.Path());
    std::string xml = "<?xml version=\"1.0\"?><ORQ_KVD version=\"1.1.0\"><Data version=\"1.1.0\">";
    for (int i = 0; i < 300; ++i)
        xml += "<Line name=\"L" + std::to_string(i) + "\"/>";
    xml += "</Data></ORQ_KVD>";
    kvdtest::WriteFile(dir.File("site.kvd"), xml);
    ORQ::CKVDXmlFile file;
    ASSERT_EQ(file.Initialize(dir.File("site.kvd")), 1);

    CEditSnapshots snapshots;
    ASSERT_TRUE(snapshots.Open(file));
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(
        dir.Path(), [&] { return snapshots.SaveRestorePoint(file); }, 100, "restore001.xml"));
    ASSERT_TRUE(snapshots.SaveRestorePoint(file)) << "the same write run to its end";
    EXPECT_EQ(kvdtest::ReadFile(snapshots.RestorePointPath(1)),
              kvdtest::ReadFile(snapshots.BasePath()));
}
