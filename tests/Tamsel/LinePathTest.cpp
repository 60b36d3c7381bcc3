#include "Tamsel/LinePath.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

// A project's names in code page 1252 and the same names as a Linux disk spells them.
const std::string kSubText = "Pr\xFC"
                             "fung"; // "Prüfung"
const std::string kSubDisk = "Pr\xC3\xBC"
                             "fung";
const std::string kLineText = "X_L\xEDnea1"; // "X_Línea1"
const std::string kLineDisk = "X_L\xC3\xADnea1";

TEST(LinePath, ProjectNamesFindFilesOfEitherSpelling) {
    kvdtest::TempDir dir;
    mkdir(dir.File(kSubDisk).c_str(), 0755);
    kvdtest::WriteFile(dir.File(kSubDisk + "/" + kLineDisk + ".hd"), "utf8");
    // Raw code page names, as a Windows copy that kept the bytes leaves them.
    kvdtest::WriteFile(dir.File("GR\xDCN_Y2.hd"), "raw");
    kvdtest::WriteFile(dir.File("L\xC3\xAFne_3.dt1"), "utf8 i diaeresis");

    struct Row {
        const char *name;
        std::string asked;
        std::string found;
    };
    const std::vector<Row> rows = {
        {"code page names below a UTF-8 folder",
         dir.Path() + "/" + kSubText + "\\" + kLineText + ".hd",
         dir.File(kSubDisk + "/" + kLineDisk + ".hd")},
        {"the disk's own spelling", dir.File(kSubDisk + "/" + kLineDisk + ".hd"),
         dir.File(kSubDisk + "/" + kLineDisk + ".hd")},
        {"another letter case of an accented capital",
         dir.Path() + "\\PR\xDC"
                      "FUNG\\x_l\xCDNEA1.HD",
         dir.File(kSubDisk + "/" + kLineDisk + ".hd")},
        {"raw code page bytes on disk", dir.File("GR\xDCN_Y2.hd"), dir.File("GR\xDCN_Y2.hd")},
        {"raw bytes found by the UTF-8 spelling asked", dir.File("GR\xC3\x9CN_Y2.hd"),
         dir.File("GR\xDCN_Y2.hd")},
        {"raw bytes in another case", dir.File("gr\xFCn_y2.HD"), dir.File("GR\xDCN_Y2.hd")},
        {"i with diaeresis", dir.File("L\xEFne_3.DT1"), dir.File("L\xC3\xAFne_3.dt1")},
        {"a new file is named in UTF-8 beside the others",
         dir.Path() + "/" + kSubText + "\\" + kLineText + ".GPS",
         dir.File(kSubDisk + "/" + kLineDisk + ".GPS")},
        {"below a missing folder too", dir.Path() + "/nowhere\\" + kLineText + ".GPS",
         dir.File("nowhere/" + kLineDisk + ".GPS")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ORQ::ResolveLinePath(row.asked), row.found);
    }
}

TEST(LinePath, TheUtf8SpellingIsPreferredWhereBothExist) {
    kvdtest::TempDir dir;
    kvdtest::WriteFile(dir.File(kLineDisk + ".hd"), "utf8");
    kvdtest::WriteFile(dir.File(kLineText + ".hd"), "raw");
    EXPECT_EQ(ORQ::ResolveLinePath(dir.File(kLineText + ".hd")), dir.File(kLineDisk + ".hd"));
    EXPECT_EQ(ORQ::ResolveLinePath(dir.File(kLineDisk + ".hd")), dir.File(kLineDisk + ".hd"));
}

} // namespace
