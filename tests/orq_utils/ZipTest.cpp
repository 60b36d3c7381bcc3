#include "orq_utils/Zip.h"
#include "tests/orq_utils/ZipTestTools.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <type_traits>

using kvdtest::ReadFile;
using kvdtest::TempDir;
using kvdtest::WriteFile;
using ORQ::CZip;

TEST(CZipObject, WritesAndReadsAnArchive) {
    TempDir dir;
    const std::string text = ziptest::Compressible(4000);
    WriteFile(dir.File("line.hd"), text);
    {
        CZip zip;
        ASSERT_EQ(zip.Create(dir.File("a.zip").c_str(), "pw"), ZR_OK);
        EXPECT_EQ(zip.Add("lines\\line.hd", dir.File("line.hd").c_str()), ZR_OK);
        EXPECT_EQ(zip.Add("note.txt", "note", 4), ZR_OK);
        EXPECT_EQ(zip.AddFolder("gps"), ZR_OK);
        EXPECT_EQ(zip.Status(), ZR_OK);
    } // closed when it goes
    std::string out;
    EXPECT_EQ(ziptest::Run("unzip -tq -P pw " + ziptest::Quote(dir.File("a.zip")), &out), 0) << out;

    CZip zip;
    ASSERT_EQ(zip.Open(dir.File("a.zip").c_str(), "pw"), ZR_OK);
    ZIPENTRY entry;
    int index = -1;
    ASSERT_EQ(zip.FindItemInfo("LINES/LINE.HD", true, &index, &entry), ZR_OK);
    EXPECT_STREQ(entry.name, "lines/line.hd");
    ASSERT_EQ(zip.SetUnzipBaseDir(dir.File("out").c_str()), ZR_OK);
    ASSERT_EQ(zip.UnzipItem(index, entry.name), ZR_OK);
    EXPECT_EQ(ReadFile(dir.File("out/lines/line.hd")), text);
    char note[8] = {};
    ASSERT_EQ(zip.FindItemInfo("note.txt", false, &index, nullptr), ZR_OK);
    EXPECT_EQ(zip.UnzipItem(index, note, sizeof(note)), ZR_OK);
    EXPECT_STREQ(note, "note");
    EXPECT_EQ(zip.GetItemInfo(-1, &entry), ZR_OK);
    EXPECT_EQ(entry.index, 3);
    EXPECT_EQ(zip.Close(), ZR_OK);
}

TEST(CZipObject, MovesAndClosesItsHandleOnce) {
    static_assert(!std::is_copy_constructible_v<CZip>, "two objects must not close one handle");
    static_assert(!std::is_copy_assignable_v<CZip>);
    char buffer[4096];
    CZip first;
    ASSERT_EQ(first.Create(buffer, sizeof(buffer)), ZR_OK);
    EXPECT_EQ(first.Add("a.txt", "a", 1), ZR_OK);
    CZip second = std::move(first);
    EXPECT_EQ(first.Add("b.txt", "b", 1), ZR_ARGS) << "the handle went with the move";
    EXPECT_EQ(second.Add("b.txt", "b", 1), ZR_OK);
    CZip third;
    third = std::move(second);
    void *memory = nullptr;
    unsigned long length = 0;
    ASSERT_EQ(third.GetMemory(&memory, &length), ZR_OK);
    EXPECT_EQ(memory, buffer);
    EXPECT_EQ(third.Close(), ZR_OK);
    EXPECT_EQ(third.Close(), ZR_ARGS) << "closed once; the second close finds no handle";

    CZip reader;
    ASSERT_EQ(reader.Open(buffer, static_cast<unsigned>(length)), ZR_OK);
    ZIPENTRY entry;
    EXPECT_EQ(reader.GetItemInfo(-1, &entry), ZR_OK);
    EXPECT_EQ(entry.index, 2);
    ASSERT_EQ(reader.Open(buffer, static_cast<unsigned>(length)), ZR_OK)
        << "opening again closes the archive held";
}

TEST(CZipObject, StatusAndMessagesComeFromItsOwnSide) {
    TempDir dir;
    CZip missing;
    EXPECT_EQ(missing.Open(dir.File("none.zip").c_str()), ZR_NOFILE)
        << "a failed open is the object's status, not an earlier success";
    EXPECT_EQ(missing.Status(), ZR_NOFILE);
    EXPECT_EQ(missing.ErrorMessage(), "Couldn't create/open file");

    {
        CZip writer;
        ASSERT_EQ(writer.Create(dir.File("p.zip").c_str(), "secret"), ZR_OK);
        ASSERT_EQ(writer.Add("x.txt", "x", 1), ZR_OK);
        ASSERT_EQ(writer.Close(), ZR_OK);
        EXPECT_EQ(writer.ErrorMessage(), "Success");
    }
    CZip reader;
    ASSERT_EQ(reader.Open(dir.File("p.zip").c_str()), ZR_OK);
    char data[4];
    EXPECT_EQ(reader.UnzipItem(0, data, sizeof(data)), ZR_PASSWORD);
    EXPECT_EQ(reader.ErrorMessage(), "Correct password required")
        << "the reading side's table, which knows this code";

    CZip writer;
    EXPECT_EQ(writer.Create(dir.File("no/folder/x.zip").c_str()), ZR_NOFILE);
    EXPECT_EQ(writer.Add("x.txt", "x", 1), ZR_ARGS);
    EXPECT_EQ(writer.ErrorMessage(), "Caller: faulty arguments");
}
