#include "KVD_Edit/app/shell/VersionInfo.h"
#include "KVD_Edit/platform/SettingsFolder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// A resource whose texts match its fixed versions in the "%i, %i, %i, %i" form.
SVersionResource Consistent() {
    SVersionResource r;
    r.fixed.dwFileVersionMS = (1 << 16) | 2;
    r.fixed.dwFileVersionLS = (0 << 16) | 1005;
    r.fixed.dwProductVersionMS = r.fixed.dwFileVersionMS;
    r.fixed.dwProductVersionLS = r.fixed.dwFileVersionLS;
    r.translations.push_back({0x0409, 0x04e4});
    r.stringTables["040904e4"] = {{"FileVersion", "1, 2, 0, 1005"},
                                  {"ProductVersion", "1, 2, 0, 1005"},
                                  {"Software DIP", "DIP"},
                                  {"Comments", "c"}};
    return r;
}

} // namespace

TEST(VersionInfo, TheRunningProgramCarriesItsVersionStrings) {
    CVersionInfo v;
    // The texts are written with dots, which never matches the fixed "%i, %i, %i, %i" form.
    EXPECT_EQ(v.Load(nullptr), 12);
    std::string text;
    ASSERT_EQ(v.GetString(CVersionInfo::KEY_INTERNALNAME, text), 1);
    EXPECT_EQ(text, "KVD_Edit");
    ASSERT_EQ(v.GetString(CVersionInfo::KEY_PRODUCTVERSION, text), 1);
    EXPECT_EQ(text, "4.1.1.0");
    ASSERT_EQ(v.GetString(CVersionInfo::KEY_SOFTWAREDIP, text), 1);
    EXPECT_FALSE(text.empty());
    ASSERT_EQ(v.GetString(CVersionInfo::KEY_PRODUCTNAME, text), 1);
    EXPECT_EQ(text.substr(0, text.find('\r')), "KVD_Edit");
    ASSERT_EQ(v.GetStringValue("FileDescription", text), 1);
    for (int key : std::initializer_list<int>{
             CVersionInfo::KEY_COMMENTS, CVersionInfo::KEY_COMPANYNAME,
             CVersionInfo::KEY_FILEVERSION, CVersionInfo::KEY_LEGALCOPYRIGHT, 7})
        EXPECT_EQ(v.GetString(key, text), 1) << key;
    EXPECT_EQ(v.GetString(2, text), 0);
    EXPECT_EQ(v.GetString(6, text), 0); // no trademarks
    EXPECT_EQ(v.GetString(13, text), 0);
    EXPECT_EQ(v.GetString(-1, text), 0);

    const SProductVersionWords *w = v.GetProductVersionWords();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->major, 4);
    EXPECT_EQ(w->minor, 1);
    EXPECT_EQ(w->third, 1);
    EXPECT_EQ(w->build, 0);
    ASSERT_NE(v.GetFixedInfo(), nullptr);
    EXPECT_EQ(v.GetFixedInfo()->dwFileType, 1u);
    EXPECT_EQ(v.GetFilePath(false, false), GetProgramPath());
    EXPECT_EQ(v.GetFilePath(true, true), "kvd_app_shell_tests");
    uint16_t language = 0, codePage = 0;
    ASSERT_EQ(v.GetTranslation(0, text, &language, &codePage), 1);
    EXPECT_EQ(text, "040904e4");
    EXPECT_EQ(language, 0x0409);
    EXPECT_EQ(codePage, 0x04e4);
    EXPECT_EQ(v.GetTranslation(1, text, nullptr, nullptr), 0);
}

TEST(VersionInfo, AFileWithoutAResourceFailsEveryQuery) {
    kvdtest::TempDir dir;
    kvdtest::WriteFile(dir.File("plain.exe"), "no resource here");
    CVersionInfo v;
    EXPECT_EQ(v.Load(dir.File("plain.exe").c_str()), -1);
    std::string text = "unchanged";
    for (int key = 0; key < CVersionInfo::KEY_COUNT; ++key)
        EXPECT_EQ(v.GetString(key, text), 0);
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(v.GetProductVersionWords(), nullptr);
    EXPECT_EQ(v.GetFixedInfo(), nullptr);
    EXPECT_EQ(v.GetFilePath(true, false), "plain.exe");
}

TEST(VersionInfo, ReportsMissingAndInconsistentTextsAsBits) {
    CVersionInfo v;
    EXPECT_EQ(v.LoadResource("x", nullptr), -1);
    SVersionResource r = Consistent();
    EXPECT_EQ(v.LoadResource("x", &r), 0);
    r.stringTables["040904e4"].erase("Software DIP");
    r.stringTables["040904e4"]["FileVersion"] = "1.2.0.1005";
    r.stringTables["040904e4"]["ProductVersion"] = "1.2.0.1005";
    EXPECT_EQ(v.LoadResource("x", &r), 14);
    r.hasFixedInfo = false;
    EXPECT_EQ(v.LoadResource("x", &r), -1);
    // Without fixed information the strings can still be read.
    std::string text;
    EXPECT_EQ(v.GetString(CVersionInfo::KEY_COMMENTS, text), 1);
}

TEST(VersionInfo, KeepsTheFirstLanguageKeyAcrossLoads) {
    CVersionInfo v;
    SVersionResource r = Consistent();
    ASSERT_EQ(v.LoadResource("a", &r), 0);
    // Another file lists a second translation first; the kept key still matches the second.
    SVersionResource other = Consistent();
    other.translations.insert(other.translations.begin(), {0x0407, 0x04e4});
    EXPECT_EQ(v.LoadResource("b", &other), 0);
    std::string text;
    ASSERT_EQ(v.GetTranslation(1, text, nullptr, nullptr), 1);
    EXPECT_EQ(text, "040904e4");
    // A file with no matching translation sets bit 1 and finds no strings.
    SVersionResource german = Consistent();
    german.translations = {{0x0407, 0x04e4}};
    german.stringTables = {{"040704e4", german.stringTables["040904e4"]}};
    EXPECT_EQ(v.LoadResource("c", &german), 1 | 2 | 4 | 8);
}

TEST(VersionInfo, FilePathCutsTheExtensionOnlyInTheLastComponent) {
    CVersionInfo v;
    v.LoadResource("D:\\a.b\\prog", nullptr);
    EXPECT_EQ(v.GetFilePath(true, true), "prog");
    EXPECT_EQ(v.GetFilePath(false, true), "D:\\a.b\\prog");
    v.LoadResource("D:\\x\\prog.exe", nullptr);
    EXPECT_EQ(v.GetFilePath(true, true), "prog");
    EXPECT_EQ(v.GetFilePath(true, false), "prog.exe");
    v.LoadResource("/opt/kvd.d/KVD_Edit", nullptr);
    EXPECT_EQ(v.GetFilePath(true, true), "KVD_Edit");
}
