#include "orq_utils/cfile.h"

#include <gtest/gtest.h>

#include <cstring>

using ORQ::cfile;

TEST(FileNameSanitize, CleansAndRefuses) {
    struct Row {
        const char *name;
        std::string in;
        bool skip;
        std::string out;
        bool ok;
    };
    const Row rows[] = {
        {"forbidden characters and blanks", "  a<b>c?.txt ", false, "a_b_c_.txt", true},
        {"all nine", "<>:\"/\\|?*", false, "_________", true},
        {"a tab inside", "a\tb", false, "a_b", true},
        {"control characters",
         std::string("a\x01\x1f"
                     "b"),
         false, "a__b", true},
        {"UTF-8 letters stay",
         "Stra\xc3\x9f"
         "e",
         false,
         "Stra\xc3\x9f"
         "e",
         true},
        {"cp1252 letters stay", "M\xfcller \x80", false, "M\xfcller \x80", true},
        {"CON", "CON", false, "CON", false},
        {"com1", "com1", false, "com1", false},
        {"com0", "com0", false, "com0", true},
        {"lpt9", "lpt9", false, "lpt9", false},
        {"Aux", " Aux\n", false, "Aux", false},
        {"con.txt", "con.txt", false, "con.txt", true},
        {"nul skipped", "nul", true, "nul", true},
        {"empty", "", false, "", false},
        {"only blanks", " \t\r\n ", true, "", false},
        {"dot", ".", true, ".", false},
        {"dot dot", " .. ", false, "..", false},
        {"three dots", "...", false, "...", true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string name = row.in;
        EXPECT_EQ(cfile::SanitizeName(name, row.skip), row.ok);
        EXPECT_EQ(name, row.out);
    }
}

TEST(FileNameSplit, PartsAndRoundTrips) {
    struct Row {
        const char *path, *drive, *folder, *name, *extension;
    };
    const Row rows[] = {
        {"D:\\data\\lines\\file01.dt1", "D:", "\\data\\lines", "file01", "dt1"},
        {"file01.dt1", "", "", "file01", "dt1"},
        {"D:\\x\\y.z.dt1", "D:", "\\x", "y.z", "dt1"},
        {"D:\\a\\b\\c.hd", "D:", "\\a\\b", "c", "hd"},
        {"D:\\a\\noext", "D:", "\\a", "noext", ""},
        {".hd", "", "", "", "hd"},
        {"a\\b\\c.x", "", "a\\b", "c", "x"},
        {"D:\\c.x", "D:", "\\", "c", "x"},
        {"\\c.x", "", "\\", "c", "x"},
        {"D:c.x", "D:", "", "c", "x"},
        {"a\\b.d\\c", "", "a\\b.d", "c", ""},
        {"\\\\server\\share\\f.dt1", "", "\\\\server\\share", "f", "dt1"},
        {"D:\\a\\", "D:", "\\a", "", ""},
        {"", "", "", "", ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.path);
        std::string drive = "?", folder = "?", name = "?", extension = "?";
        cfile::fnsplit(row.path, drive, folder, name, extension);
        EXPECT_EQ(drive, row.drive);
        EXPECT_EQ(folder, row.folder);
        EXPECT_EQ(name, row.name);
        EXPECT_EQ(extension, row.extension);
        EXPECT_EQ(cfile::fnmerge(drive, folder, name, extension), row.path) << "joined again";

        char d[cfile::kDriveSize], f[cfile::kPartSize], n[cfile::kPartSize], e[cfile::kPartSize];
        ASSERT_TRUE(cfile::fnsplit(row.path, d, f, n, e));
        EXPECT_STREQ(d, row.drive);
        EXPECT_STREQ(f, row.folder);
        EXPECT_STREQ(n, row.name);
        EXPECT_STREQ(e, row.extension);
        char out[1024];
        ASSERT_TRUE(cfile::fnmerge(out, d, f, n, e));
        EXPECT_STREQ(out, row.path);
    }
}

TEST(FileNameMerge, PartsThatAreMissingOrCarryTheirSeparator) {
    EXPECT_EQ(cfile::fnmerge("D:", "\\a", "b", ".txt"), "D:\\a\\b.txt");
    EXPECT_EQ(cfile::fnmerge("", "a\\", "b", ""), "a\\b");
    EXPECT_EQ(cfile::fnmerge("D", "\\a", "b", "x"), "\\a\\b.x") << "no colon: no drive";
    char out[260];
    ASSERT_TRUE(cfile::fnmerge(out, nullptr, "a\\", "b", nullptr));
    EXPECT_STREQ(out, "a\\b");
    ASSERT_TRUE(cfile::fnmerge(out, nullptr, nullptr, nullptr, nullptr));
    EXPECT_STREQ(out, "");
}

TEST(FileNameSplit, LongPathsAreNotCutSilently) {
    const std::string folder = "\\" + std::string(300, 'f');
    const std::string name(300, 'n');
    const std::string path = "D:" + folder + "\\" + name + ".dt1";
    std::string d, f, n, e;
    cfile::fnsplit(path, d, f, n, e);
    EXPECT_EQ(f, folder);
    EXPECT_EQ(n, name);
    EXPECT_EQ(cfile::fnmerge(d, f, n, e), path);

    char bd[cfile::kDriveSize], bf[cfile::kPartSize], bn[cfile::kPartSize], be[cfile::kPartSize];
    EXPECT_FALSE(cfile::fnsplit(path.c_str(), bd, bf, bn, be)) << "the folder does not fit";
    EXPECT_STREQ(bf, "");
    EXPECT_STREQ(bn, "") << "no part is left half written";

    const std::string fits = "D:\\" + std::string(258, 'f') + "\\" + std::string(259, 'n');
    ASSERT_TRUE(cfile::fnsplit(fits.c_str(), bd, bf, bn, be)) << "parts of 259 characters fit";
    EXPECT_EQ(std::strlen(bn), 259u);

    char small[8];
    std::memset(small, 'x', sizeof(small));
    EXPECT_FALSE(cfile::fnmerge(small, "D:", "\\abc", "defgh", "ij"));
    EXPECT_STREQ(small, "") << "a joined path too long for its buffer is refused";
    char exact[10];
    EXPECT_TRUE(cfile::fnmerge(exact, "D:", "\\a", "bc", "d")) << "nine characters and the end";
    EXPECT_STREQ(exact, "D:\\a\\bc.d");
}
