#include "orq_utils/FileSystemName.h"
#include "orq_utils/Str.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "Línea" as the disk spells it (UTF-8) and as the program holds it (code page 1252).
const std::string kLineaUtf8 = "L\xC3\xADnea";
const std::string kLineaCp1252 = "L\xEDnea";

TEST(FileSystemName, DiskNamesBecomeProgramText) {
    struct Row {
        const char *name;
        std::string disk;
        bool storable;
        std::string text;
    };
    const std::vector<Row> rows = {
        {"ascii stays", "LINE01.dt1", true, "LINE01.dt1"},
        {"accented UTF-8 decoded", "X_" + kLineaUtf8 + "1", true, "X_" + kLineaCp1252 + "1"},
        {"capital with umlaut", "GR\xC3\x9CN_Y2", true, "GR\xDCN_Y2"},
        {"euro sign from the code page's upper half",
         "\xE2\x82\xAC"
         "5",
         true,
         "\x80"
         "5"},
        {"raw code page bytes kept", "L\xCDNEA1", true, "L\xCDNEA1"},
        {"a path decodes part by part",
         "/d/Pr\xC3\xBC"
         "f/" +
             kLineaUtf8,
         true,
         "/d/Pr\xFC"
         "f/" +
             kLineaCp1252},
        {"Cyrillic cannot be held", "\xD0\x9B\xD0\xB8\xD0\xBD\xD0\xB8\xD1\x8F", false,
         "\xD0\x9B\xD0\xB8\xD0\xBD\xD0\xB8\xD1\x8F"},
        {"Greek beside Latin cannot be held", "L_\xCE\xB1", false, "L_\xCE\xB1"},
        {"U+0080 has no byte of its own", "\xC2\x80", false, "\xC2\x80"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = "previous";
        EXPECT_EQ(ORQ::FileNameToText(row.disk, text), row.storable);
        EXPECT_EQ(text, row.text);
        EXPECT_EQ(ORQ::FileNameToText(row.disk), row.text);
    }
}

TEST(FileSystemName, ProgramTextRoundTripsThroughTheDiskSpelling) {
    EXPECT_EQ(ORQ::TextToFileName("X_" + kLineaCp1252 + "1"), "X_" + kLineaUtf8 + "1");
    // Every byte, the five the code page leaves undefined included, comes back as it was.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string disk = ORQ::TextToFileName(all);
    EXPECT_TRUE(ORQ::IsValidUtf8(disk));
    std::string back;
    EXPECT_TRUE(ORQ::FileNameToText(disk, back));
    EXPECT_EQ(back, all);
}

TEST(FileSystemName, MixedPathsAreSpelledForTheDisk) {
    // A folder as the disk spells it joined with a line name from a project.
    EXPECT_EQ(ORQ::PathToFileSystemSpelling("/d/Pr\xC3\xBC"
                                            "f/" +
                                            kLineaCp1252 + ".hd"),
              "/d/Pr\xC3\xBC"
              "f/" +
                  kLineaUtf8 + ".hd");
    EXPECT_EQ(ORQ::PathToFileSystemSpelling("plain/ascii"), "plain/ascii");
    // A cut sequence at the end is a code page byte.
    EXPECT_EQ(ORQ::PathToFileSystemSpelling("a\xC3"), "a\xC3\x83");
    EXPECT_FALSE(ORQ::IsValidUtf8("\xC0\xAF")) << "overlong form";
    EXPECT_FALSE(ORQ::IsValidUtf8("\xED\xA0\x80")) << "surrogate";
    EXPECT_FALSE(ORQ::IsValidUtf8("\xF4\x90\x80\x80")) << "beyond U+10FFFF";
    EXPECT_TRUE(ORQ::IsValidUtf8("\xF0\x9F\x98\x80"));
}

TEST(FileSystemName, KeysMatchAcrossCaseAndSpelling) {
    const std::string key = ORQ::FileNameKey("x_" + kLineaCp1252 + "1.dt1");
    EXPECT_EQ(ORQ::FileNameKey("X_" + kLineaUtf8 + "1.DT1"), key) << "UTF-8 on disk";
    EXPECT_EQ(ORQ::FileNameKey("X_L\xCDNEA1.dt1"), key) << "raw code page, capital I acute";
    EXPECT_EQ(ORQ::FileNameKey("X_L\xC3\x8DNEA1.Dt1"), key) << "UTF-8, capital I acute";
    EXPECT_NE(ORQ::FileNameKey("X_Linea1.dt1"), key) << "an accent makes another name";
    EXPECT_EQ(ORQ::FileNameKey("GR\xC3\x9CN"), ORQ::FileNameKey("gr\xFCn"));
}

} // namespace
