// Where a path's folder, name and extension begin: the one splitter the file replacement, the
// folder listing and the line grid share.
#include "orq_utils/PathName.h"

#include <gtest/gtest.h>

TEST(PathName, SplitsFolderNameStemAndExtension) {
    const struct {
        const char *name;
        const char *path;
        const char *folder;
        const char *leaf;
        const char *stem;
        const char *extension;
    } rows[] = {
        {"line file", "/data/grid/LINE01.dt1", "/data/grid", "LINE01.dt1", "LINE01", "dt1"},
        {"file at the root", "/a.hd", "/", "a.hd", "a", "hd"},
        {"bare name", "a.hd", ".", "a.hd", "a", "hd"},
        {"relative path", "grid/a.hd", "grid", "a.hd", "a", "hd"},
        {"only the last dot splits", "/x/y.z.dt1", "/x", "y.z.dt1", "y.z", "dt1"},
        {"no extension", "/x/README", "/x", "README", "README", ""},
        {"ends in a dot", "/x/a.", "/x", "a.", "a", ""},
        {"hidden file has no extension", "/x/.hd", "/x", ".hd", ".hd", ""},
        {"hidden file with an extension", "/x/.a.hd", "/x", ".a.hd", ".a", "hd"},
        {"dot in a folder only", "/x.d/name", "/x.d", "name", "name", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ORQ::FolderOf(row.path), row.folder);
        EXPECT_EQ(ORQ::LeafOf(row.path), row.leaf);
        EXPECT_EQ(ORQ::StemOf(ORQ::LeafOf(row.path)), row.stem);
        EXPECT_EQ(ORQ::ExtensionOf(ORQ::LeafOf(row.path)), row.extension);
    }
}

TEST(PathName, JoinGivesBackWhatFolderAndLeafSplit) {
    for (const char *path : {"/data/grid/LINE01.dt1", "/a.hd", "grid/a.hd"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(ORQ::JoinPath(ORQ::FolderOf(path), ORQ::LeafOf(path)), path);
    }
    EXPECT_EQ(ORQ::JoinPath(".", "a.hd"), "./a.hd");
}
