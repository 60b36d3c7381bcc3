#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "tests/KVD_Edit/app/document/DocumentFixtures.h"

#include <gtest/gtest.h>

using kvdtest::CaptureSink;
using kvdtest::TempDir;

TEST(KvdGprDataFiles, LoadsAndReleasesAsOneUnit) {
    CaptureSink sink;
    TempDir dir;
    kvdtest::WriteFile(dir.File("a.kvd"), doctest::TwoSetProject());
    kvdtest::WriteFile(dir.File("noData.kvd"), "<?xml version='1.0'?><ORQ_KVD/>");

    CKvdGprDataFiles holder;
    EXPECT_EQ(holder.GetFilePathName(), "");
    EXPECT_EQ(holder.GetDataBlockInterface(), nullptr);
    EXPECT_EQ(holder.LoadKvdXmlFile(nullptr), 0);

    ASSERT_EQ(holder.LoadKvdXmlFile(dir.File("a.kvd").c_str()), 1) << sink.AllTexts();
    ASSERT_NE(holder.GetDataBlockInterface(), nullptr);
    EXPECT_EQ(holder.GetDataBlockInterface()->GetSetCount(), 2);
    EXPECT_EQ(holder.GetFilePathName(), dir.File("a.kvd"));
    ORQ::CStr name;
    holder.GetKvdXmlFile()->GetNodeName(name);
    EXPECT_EQ(name, "Data");

    // A failed second load leaves nothing of the first.
    EXPECT_EQ(holder.LoadKvdXmlFile(dir.File("noData.kvd").c_str()), 0);
    EXPECT_EQ(holder.GetKvdXmlFile(), nullptr);
    EXPECT_EQ(holder.GetDataBlockInterface(), nullptr);
    EXPECT_EQ(holder.GetFilePathName(), "");

    ASSERT_EQ(holder.LoadKvdXmlFile(dir.File("a.kvd").c_str()), 1);
    // A rebuilt interface makes what was derived from the project out of date, a new file
    // object also what was taken of the old one.
    const unsigned generation = holder.GetGeneration(), files = holder.GetFileGeneration();
    EXPECT_EQ(holder.UpdateKvdDataBlockPtr(), 1);
    EXPECT_NE(holder.GetDataBlockInterface(), nullptr);
    EXPECT_NE(holder.GetGeneration(), generation);
    EXPECT_EQ(holder.GetFileGeneration(), files);
    holder.Close();
    EXPECT_NE(holder.GetFileGeneration(), files);
    EXPECT_EQ(holder.GetKvdXmlFile(), nullptr);
    EXPECT_EQ(holder.UpdateKvdDataBlockPtr(), 0);
}

TEST(KvdGprDataFiles, PathChangesOnlyWithASuccessfulWrite) {
    CaptureSink sink;
    TempDir dir;
    const std::string original = doctest::TwoSetProject();
    kvdtest::WriteFile(dir.File("a.kvd"), original);
    CKvdGprDataFiles holder;
    ASSERT_EQ(holder.LoadKvdXmlFile(dir.File("a.kvd").c_str()), 1);

    // A folder that does not exist: the write fails and the path stays.
    const std::string bad = dir.File("missing/b.kvd");
    EXPECT_NE(holder.SaveKvdXmlFile(bad.c_str()), 0);
    EXPECT_EQ(holder.GetFilePathName(), dir.File("a.kvd"));
    EXPECT_FALSE(kvdtest::FileExists(bad));

    // Null path: written where it came from.
    holder.GetKvdXmlFile()->GotoRootNode();
    holder.GetKvdXmlFile()->SetNodeAttribute("mark", "1");
    EXPECT_EQ(holder.SaveKvdXmlFile(nullptr), 0);
    EXPECT_NE(kvdtest::ReadFile(dir.File("a.kvd")).find("mark=\"1\""), std::string::npos);

    EXPECT_EQ(holder.SaveKvdXmlFile(dir.File("c.kvd").c_str()), 0);
    EXPECT_EQ(holder.GetFilePathName(), dir.File("c.kvd"));
}
