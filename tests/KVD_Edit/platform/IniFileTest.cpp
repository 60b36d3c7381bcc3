#include "KVD_Edit/platform/IniFile.h"
#include "KVD_Edit/platform/LogFont.h"
#include "KVD_Edit/platform/RegistryStore.h"
#include "KVD_Edit/platform/SettingsFolder.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using kvdtest::ScopedEnv;

TEST(IniFile, FindsSectionsAndKeysWithoutRegardToCaseTrimmedAndUnquoted) {
    kvdtest::TempDir dir;
    const std::string ini = dir.File("a.ini");
    kvdtest::WriteFile(ini, "[General]\r\n  Window Position =  \"1,2,3,4\"  \r\n"
                            "Name='x y'\r\nOdd=\"half\r\n[Other]\r\nn=5\r\n");
    EXPECT_EQ(CIniFile::ReadString(ini, "GENERAL", "window position", "d"), "1,2,3,4");
    EXPECT_EQ(CIniFile::ReadString(ini, "general", "NAME", "d"), "x y");
    EXPECT_EQ(CIniFile::ReadString(ini, "general", "Odd", "d"), "\"half");
    EXPECT_EQ(CIniFile::ReadString(ini, "general", "n", "d"), "d");
    EXPECT_EQ(CIniFile::ReadString(ini, "missing", "n", "d"), "d");
    EXPECT_EQ(CIniFile::ReadString(dir.File("none.ini"), "a", "b", "def"), "def");
}

TEST(IniFile, ReadsIntegersFromTheirLeadingDigits) {
    kvdtest::TempDir dir;
    const std::string ini = dir.File("a.ini");
    kvdtest::WriteFile(ini, "[S]\nA=42abc\nB=abc\nC= -7\nD=99999999999\nE=\n");
    EXPECT_EQ(CIniFile::ReadInt(ini, "s", "a", 1), 42);
    EXPECT_EQ(CIniFile::ReadInt(ini, "s", "b", 1), 0);
    EXPECT_EQ(CIniFile::ReadInt(ini, "s", "c", 1), -7);
    EXPECT_EQ(CIniFile::ReadInt(ini, "s", "d", 1), 2147483647);
    EXPECT_EQ(CIniFile::ReadInt(ini, "s", "e", 1), 0);
    EXPECT_EQ(CIniFile::ReadInt(ini, "s", "missing", 13), 13);
}

TEST(IniFile, WritesThroughKeepingOtherLinesAndLineEnds) {
    kvdtest::TempDir dir;
    const std::string ini = dir.File("a.ini");
    kvdtest::WriteFile(ini, "; kept comment\r\n[One]\r\nKey=old\r\n\r\n[Two]\r\nx=1\r\n");
    ASSERT_TRUE(CIniFile::WriteString(ini, "ONE", "KEY", "new"));
    ASSERT_TRUE(CIniFile::WriteString(ini, "one", "Added", "v"));
    ASSERT_TRUE(CIniFile::WriteString(ini, "Three", "k", "3"));
    EXPECT_EQ(kvdtest::ReadFile(ini), "; kept comment\r\n[One]\r\nKEY=new\r\nAdded=v\r\n\r\n"
                                      "[Two]\r\nx=1\r\n[Three]\r\nk=3\r\n");
    EXPECT_EQ(CIniFile::ReadString(ini, "one", "key", ""), "new");
    ASSERT_TRUE(CIniFile::DeleteKey(ini, "one", "added"));
    EXPECT_FALSE(CIniFile::HasKey(ini, "One", "Added"));
    EXPECT_FALSE(CIniFile::DeleteKey(ini, "one", "added"));
}

// A key written twice by hand: reads take the first; a delete removes both, or the second would
// bring back a value the user deleted. Other sections keep theirs.
TEST(IniFile, DeletingAKeyWrittenTwiceRemovesEveryLineOfIt) {
    kvdtest::TempDir dir;
    const std::string ini = dir.File("a.ini");
    kvdtest::WriteFile(ini, "[S]\nk=1\nother=2\nK = 3\n[T]\nk=4\n");
    EXPECT_EQ(CIniFile::ReadString(ini, "s", "k", ""), "1");
    ASSERT_TRUE(CIniFile::DeleteKey(ini, "S", "k"));
    EXPECT_FALSE(CIniFile::HasKey(ini, "S", "k"));
    EXPECT_EQ(kvdtest::ReadFile(ini), "[S]\nother=2\n[T]\nk=4\n");
}

// A file of mixed line ends (edited on both systems): each line keeps its own end, so a value
// that ends in a CR of its own ("\r\r\n") reads the same after another key was written.
TEST(IniFile, WritingOneKeyKeepsEveryOtherLineEndAsItWas) {
    kvdtest::TempDir dir;
    const std::string ini = dir.File("a.ini");
    kvdtest::WriteFile(ini, "[general]\nloglevel=2\r\nodd = 3\r; note\r\r\n[Other]\nx=1");
    const std::string odd = CIniFile::ReadString(ini, "general", "odd", "");
    EXPECT_EQ(odd, "3\r; note\r");
    ASSERT_TRUE(CIniFile::WriteString(ini, "general", "Added", "v"));
    EXPECT_EQ(CIniFile::ReadString(ini, "general", "odd", ""), odd);
    EXPECT_EQ(kvdtest::ReadFile(ini),
              "[general]\nloglevel=2\r\nodd = 3\r; note\r\r\nAdded=v\n[Other]\nx=1\n");
}

TEST(IniFile, KeepsLongAndEightBitValuesWhole) {
    kvdtest::TempDir dir;
    const std::string ini = dir.File("a.ini");
    const std::string longValue(5000, 'x');
    const std::string latin1 = "Caf\xe9 \xb5m";
    ASSERT_TRUE(CIniFile::WriteString(ini, "S", "long", longValue));
    ASSERT_TRUE(CIniFile::WriteString(ini, "S", "latin", latin1));
    EXPECT_EQ(CIniFile::ReadString(ini, "s", "long", ""), longValue);
    EXPECT_EQ(CIniFile::ReadString(ini, "s", "latin", ""), latin1);
}

TEST(IniFile, RefusesWritesThatWouldBreakTheFileOrHaveNoFolder) {
    kvdtest::TempDir dir;
    const std::string ini = dir.File("a.ini");
    EXPECT_FALSE(CIniFile::WriteString(ini, "S", "k", "two\nlines"));
    EXPECT_FALSE(kvdtest::FileExists(ini));
    EXPECT_FALSE(CIniFile::WriteString(dir.File("missing/a.ini"), "S", "k", "v"));
    EXPECT_EQ(CIniFile::ReadString(dir.File("missing/a.ini"), "S", "k", "def"), "def");
}

TEST(SettingsFolder, FollowsTheXdgFoldersAndCreatesTheSettingsFolder) {
    kvdtest::TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir.File("cfg"));
    ScopedEnv runtime("XDG_RUNTIME_DIR", dir.File("run"));
    ScopedEnv machine("XDG_CONFIG_DIRS", dir.File("etc") + ":/other");
    EXPECT_EQ(GetSettingsFolderPath("KVD_Edit"), dir.File("cfg") + "/Brenwick/KVD_Edit");
    EXPECT_EQ(GetRuntimeFolderPath(), dir.File("run") + "/Brenwick");
    EXPECT_EQ(GetMachineFolderPath(), dir.File("etc") + "/Brenwick");
    kvdtest::CaptureSink sink;
    std::string folder;
    ASSERT_TRUE(MakeSettingsFolder("KVD_Edit", &folder));
    EXPECT_EQ(folder, dir.File("cfg") + "/Brenwick/KVD_Edit");
    struct stat st;
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_TRUE(sink.Messages().empty());
}

TEST(SettingsFolder, WarnsOnceWhenTheFolderCannotBeMade) {
    kvdtest::TempDir dir;
    kvdtest::WriteFile(dir.File("blocker"), "a file where a folder should be");
    ScopedEnv config("XDG_CONFIG_HOME", dir.File("blocker"));
    kvdtest::CaptureSink sink;
    std::string folder;
    EXPECT_FALSE(MakeSettingsFolder("KVD_Edit", &folder));
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_NE(sink.Messages()[0].text.find(folder), std::string::npos);
    EXPECT_EQ(sink.Messages()[0].style & ORQ::MB_ICONMASK, unsigned(ORQ::MB_ICONWARNING));
}

TEST(SettingsFolder, FallsBackWhenXdgVariablesAreMissing) {
    ScopedEnv home("HOME", "/home/someone");
    ScopedEnv config("XDG_CONFIG_HOME", "");
    ScopedEnv runtime("XDG_RUNTIME_DIR", "relative/not/allowed");
    EXPECT_EQ(GetUserConfigHome(), "/home/someone/.config");
    EXPECT_EQ(GetRuntimeFolderPath(), "/home/someone/.config/Brenwick");
    EXPECT_FALSE(GetProgramPath().empty());
    EXPECT_EQ(GetProgramBaseName(), "kvd_platform_tests");
}

TEST(AppProfile, KeepsIntegersAndTextsPerSection) {
    kvdtest::TempDir dir;
    CAppProfile profile(CAppProfile::PathIn(dir.Path()));
    EXPECT_EQ(profile.GetPath(), dir.File("Profile.ini"));
    EXPECT_EQ(profile.GetProfileInt("APPCLK", "Ver(4.1.1.0)", 0), 0);
    ASSERT_TRUE(profile.WriteProfileInt("APPCLK", "Ver(4.1.1.0)", 3600));
    ASSERT_TRUE(profile.WriteProfileString("Recent File List", "File1", " /a b/p.kvd "));
    EXPECT_EQ(profile.GetProfileInt("appclk", "ver(4.1.1.0)", 0), 3600);
    EXPECT_EQ(profile.GetProfileString("Recent File List", "File1", ""), " /a b/p.kvd ");
    EXPECT_EQ(profile.GetProfileString("Recent File List", "File2", "none"), "none");
}

TEST(RegistryStore, ValuesNeedTheirKeyAndKeepTheirBlanks) {
    kvdtest::TempDir dir;
    CRegistryStore store(dir.File("sub/Registry.ini"));
    EXPECT_FALSE(store.SetValue("SOFTWARE\\X", "v", "1"));
    ASSERT_TRUE(store.CreateKey("SOFTWARE\\X"));
    EXPECT_TRUE(store.KeyExists("software\\x"));
    ASSERT_TRUE(store.SetValue("SOFTWARE\\X", "v", " \"quoted\" "));
    std::string out;
    ASSERT_TRUE(store.GetValue("software\\x", "V", out));
    EXPECT_EQ(out, " \"quoted\" ");
    EXPECT_FALSE(store.SetValue("SOFTWARE\\X", "v", "two\nlines"));
    ASSERT_TRUE(store.DeleteValue("SOFTWARE\\X", "v"));
    EXPECT_FALSE(store.GetValue("SOFTWARE\\X", "v", out));
    EXPECT_TRUE(store.KeyExists("SOFTWARE\\X"));
}
