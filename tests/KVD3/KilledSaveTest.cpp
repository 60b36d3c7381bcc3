// Project file saves stopped by SIGKILL part-way through their writes: the project (and the
// file a save to another path replaces) stays byte-identical, nothing is left beside it.
#include "tests/support/KilledSave.h"
#include "KVD3/KVDXmlFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using kvdtest::KilledSaveLeavesFolderAsItWas;
using kvdtest::ReadFile;

TEST(KilledSave, ProjectFileSaveLeavesTheOldFile) {
    kvdtest::TempDir dir;
    const std::string path = dir.File("site.kvd");
    std::string xml =
        "<?xml version=\"1.0\"?>\n<ORQ_KVD version=\"1.1.0\"><Data version=\"1.1.0\">";
    for (int i = 0; i < 300; ++i)
        xml += "<Line name=\"L" + std::to_string(i) + "\"/>";
    xml += "</Data></ORQ_KVD>\n";
    kvdtest::WriteFile(path, xml);
    const std::string other = dir.File("other.kvd");
    kvdtest::WriteFile(other, "the file a save to another path replaces");
    ORQ::CKVDXmlFile file;
    ASSERT_EQ(file.Initialize(path), 1);
    file.GotoChildNode("Data", 0);
    file.SetNodeAttribute("version", "1.2.0");

    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(
        dir.Path(), [&] { return file.Save("") == 0; }, 100, "site.kvd"));
    EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(
        dir.Path(), [&] { return file.Save(other) == 0; }, 100, "other.kvd"));
    ASSERT_EQ(file.Save(""), 0) << "the same save run to its end";
    EXPECT_NE(ReadFile(path).find("<Data version=\"1.2.0\">"), std::string::npos);
}
