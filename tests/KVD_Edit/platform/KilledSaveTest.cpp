// Settings writers stopped by SIGKILL part-way through their writes: the INI file, the
// registry and profile stores and the font file stay byte-identical, nothing is left beside.
#include "tests/support/KilledSave.h"
#include "KVD_Edit/platform/IniFile.h"
#include "KVD_Edit/platform/LogFont.h"
#include "KVD_Edit/platform/RegistryStore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using kvdtest::KilledSaveLeavesFolderAsItWas;
using kvdtest::ReadFile;

namespace {

// An INI text long enough to be cut part-way.
std::string LongIni() {
    std::string text;
    for (int s = 0; s < 20; ++s) {
        text += "[SECTION" + std::to_string(s) + "]\r\n";
        for (int k = 0; k < 10; ++k)
            text += "KEY" + std::to_string(k) + "=value " + std::to_string(s * 10 + k) + "\r\n";
    }
    return text;
}

} // namespace

TEST(KilledSave, SettingsWritersLeaveTheirOldFiles) {
    kvdtest::TempDir dir;
    const std::string ini = dir.File("KVD_Edit.ini");
    kvdtest::WriteFile(ini, LongIni());
    CRegistryStore registry(dir.File("registry.ini"));
    ASSERT_TRUE(registry.CreateKey("Software\\Brenwick, Inc.\\KVD_Edit"));
    ASSERT_TRUE(registry.CreateKey("Software\\Brenwick, Inc.\\KVD_Edit\\Recent"));
    ASSERT_TRUE(registry.SetValue("Software\\Brenwick, Inc.\\KVD_Edit", "first", "1"));
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(registry.SetValue("Software\\Brenwick, Inc.\\KVD_Edit\\Recent",
                                      "File" + std::to_string(i), "/some/project.kvd"));
    CAppProfile profile(dir.File("profile.ini"));
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(profile.WriteProfileInt("Settings", "Value" + std::to_string(i), i));
    SLogFont font;
    font.lfHeight = -12;
    font.lfFaceName = "Sans";
    ASSERT_TRUE(WriteLogFontFile(dir.File("Font.dat"), font));

    struct Row {
        const char *name;
        const char *file;
        std::function<bool()> save;
    };
    SLogFont bold = font;
    bold.lfWeight = 700;
    const Row rows[] = {
        {"INI value", "KVD_Edit.ini",
         [&] { return CIniFile::WriteString(ini, "SECTION3", "KEY4", "new"); }},
        {"registry value", "registry.ini",
         [&] { return registry.SetValue("Software\\Brenwick, Inc.\\KVD_Edit", "first", "2"); }},
        {"profile value", "profile.ini",
         [&] { return profile.WriteProfileString("Settings", "Value7", "seven"); }},
        {"font file", "Font.dat", [&] { return WriteLogFontFile(dir.File("Font.dat"), bold); }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(KilledSaveLeavesFolderAsItWas(dir.Path(), row.save, 20, row.file));
        const std::string old = ReadFile(dir.File(row.file));
        ASSERT_TRUE(row.save()) << "the same write run to its end";
        EXPECT_NE(ReadFile(dir.File(row.file)), old);
    }
}

// A child writes INI values over and over and is killed at random moments: the file always
// reads whole, and the next write leaves no temporary beside it.
TEST(KilledSave, IniWritesKilledAtRandomLeaveAWholeFileAndNoTemporaries) {
    kvdtest::TempDir dir;
    const std::string ini = dir.File("KVDGridView.ini");
    kvdtest::WriteFile(ini, LongIni());
    auto loop = [&] {
        for (int i = 0;; ++i)
            CIniFile::WriteString(ini, "SECTION19", "KEY9", "value " + std::to_string(i));
    };
    auto check = [&](int kill) -> std::string {
        if (CIniFile::ReadString(ini, "SECTION19", "KEY8", "") != "value 198")
            return "the file is not whole";
        if (!CIniFile::WriteString(ini, "SECTION0", "KEY0", "after kill " + std::to_string(kill)))
            return "the next write failed";
        return kvdtest::DescribeLeftovers(dir.Path());
    };
    const kvdtest::SRandomKills run = kvdtest::KillAtRandomMoments(loop, check, 120, 8000, 55);
    EXPECT_TRUE(run.failures.empty()) << testing::PrintToString(run.failures);
    EXPECT_GE(run.kills, 100);
}
