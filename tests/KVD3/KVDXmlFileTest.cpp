#include "KVD3/KVDXmlFile.h"

#include "KVD3/KvdDataBlockInterface.h"
#include "tests/support/ProjectBuilder.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using ORQ::CKVDXmlFile;
using ORQ::CStr;

namespace {

const char kProject[] = "<?xml version=\"1.0\"?>\n"
                        "<ORQ_KVD version=\"1.1.0\">\n"
                        "  <Data version=\"1.1.0\">\n"
                        "    <LineSet name=\"A\"><Line name=\"L1\"/><Line name=\"L2\"/></LineSet>\n"
                        "    <Mixed><b/>tail</Mixed>\n"
                        "    <Empty/>\n"
                        "  </Data>\n"
                        "</ORQ_KVD>\n";

struct Fixture {
    kvdtest::TempDir dir;
    std::string path = dir.File("project.kvd");
    CKVDXmlFile file;
    Fixture(const std::string &xml = kProject) {
        kvdtest::WriteFile(path, xml);
        EXPECT_EQ(1, file.Initialize(path));
    }
    std::string Name() {
        CStr n;
        file.GetNodeName(n);
        return n;
    }
    std::string Saved() {
        std::string s;
        EXPECT_TRUE(file.GetFileHnd()->Serialize(s));
        return s;
    }
};

} // namespace

TEST(KVDXmlFileLoad, FailureShowsTheMessageAndKeepsTheOldDocumentAndPath) {
    Fixture f;
    f.file.GotoChildNode("Data", 0);
    f.file.PushPosition();
    kvdtest::WriteFile(f.dir.File("bad.kvd"), "garbage");
    kvdtest::CaptureSink sink;
    EXPECT_EQ(0, f.file.Initialize(f.dir.File("bad.kvd")));
    ASSERT_EQ(1u, sink.Messages().size());
    EXPECT_EQ("Failed to load file:\n" + f.dir.File("bad.kvd") +
                  "\nFile does not appear to be in XML format.\nOperation aborted.",
              sink.Messages()[0].text);
    EXPECT_EQ(unsigned(ORQ::MB_ICONWARNING), sink.Messages()[0].style & ORQ::MB_ICONMASK);
    // Nothing was given up: a later save writes the last good document to the last good path.
    EXPECT_EQ(f.path, f.file.GetFilePathName());
    EXPECT_EQ("Data", f.Name());
    EXPECT_EQ(1u, f.file.GetPositionCount());
    EXPECT_EQ(0, f.file.Save(""));
    EXPECT_NE(std::string::npos, kvdtest::ReadFile(f.path).find("<Line name=\"L2\"/>"));

    // A file refused for its nesting is not called "not XML".
    std::string deep;
    for (int i = 0; i < 400; ++i)
        deep += "<a>";
    for (int i = 0; i < 400; ++i)
        deep += "</a>";
    kvdtest::WriteFile(f.dir.File("deep.kvd"), deep);
    sink.Clear();
    EXPECT_EQ(0, f.file.Initialize(f.dir.File("deep.kvd")));
    ASSERT_EQ(1u, sink.Messages().size());
    EXPECT_EQ("Failed to load file:\n" + f.dir.File("deep.kvd") +
                  "\nIts elements are nested deeper than a project file can be.\nOperation "
                  "aborted.",
              sink.Messages()[0].text);

    // A successful load empties the position stack.
    EXPECT_EQ(1, f.file.Initialize(f.path));
    EXPECT_EQ(0u, f.file.GetPositionCount());
    EXPECT_EQ("ORQ_KVD", f.Name());
}

TEST(KVDXmlFileNavigation, ChildrenByNameAndIndex) {
    Fixture f;
    ASSERT_EQ(1, f.file.GotoChildNode("Data", 0));
    ASSERT_EQ(1, f.file.GotoChildNode("LineSet", 0));
    EXPECT_EQ(1, f.file.GotoChildNode("Line", 1));
    CStr name = "name";
    EXPECT_EQ(1, f.file.GetNodeAttribute(name));
    EXPECT_EQ("L2", name);
    EXPECT_EQ(0, f.file.GotoNextSibling());
    EXPECT_EQ(1, f.file.GotoParentNode());
    // A missing child leaves the cursor where it was.
    EXPECT_EQ(0, f.file.GotoChildNode("Line", 2));
    EXPECT_EQ("LineSet", f.Name());
    EXPECT_EQ(0, f.file.GotoChildNode("Nothing", 0));
    EXPECT_EQ("LineSet", f.Name());
    CStr version = "version";
    EXPECT_EQ(0, f.file.GetNodeAttribute(version));
    EXPECT_EQ("version", version);
    f.file.GotoParentNode();
    ASSERT_EQ(1, f.file.GotoChildNode("Mixed", 0));
    ASSERT_EQ(1, f.file.GotoChildNode("", 5)); // any kind, index unused
    EXPECT_EQ("b", f.Name());
    f.file.GotoParentNode();
    EXPECT_EQ(1, f.file.GotoNextSibling("Empty"));
    EXPECT_EQ(1, f.file.GotoRootNode());
    EXPECT_EQ("ORQ_KVD", f.Name());

    CStr sub = "Line";
    f.file.GotoChildNode("Data", 0);
    EXPECT_EQ(1, f.file.GetSubNodeAttribute(sub = "name", "LineSet", 0));
    EXPECT_EQ("A", sub);
    EXPECT_EQ(0, f.file.GetSubNodeAttribute(sub = "name", "LineSet", 1));
    EXPECT_EQ("name", sub);
    EXPECT_EQ("Data", f.Name());
}

TEST(KVDXmlFileNavigation, PositionStack) {
    Fixture f;
    f.file.GotoChildNode("Data", 0);
    EXPECT_EQ(0, f.file.GotoTopPosition());
    EXPECT_EQ(0, f.file.PopPosition());
    ASSERT_EQ(1, f.file.PushPosition());
    f.file.GotoChildNode("LineSet", 0);
    f.file.GotoChildNode("Line", 1);
    EXPECT_EQ(1, f.file.GotoTopPosition());
    EXPECT_EQ("Data", f.Name());
    EXPECT_EQ(1u, f.file.GetPositionCount());
    f.file.GotoChildNode("Empty", 0);
    EXPECT_EQ(1, f.file.PopPosition()); // does not move
    EXPECT_EQ("Empty", f.Name());
    EXPECT_EQ(0u, f.file.GetPositionCount());
    EXPECT_EQ(0u, f.file.GetFileHnd()->GetHandleCount());
}

TEST(KVDXmlFileEdit, TextsAndRemoval) {
    Fixture f;
    f.file.GotoChildNode("Data", 0);
    ASSERT_EQ(1, f.file.GotoChildNode("Empty", 0));
    CStr text = "unchanged";
    EXPECT_EQ(0, f.file.GetNodeText(text));
    EXPECT_EQ("unchanged", text);
    EXPECT_EQ(1, f.file.SetNodeText("5"));
    EXPECT_EQ(1, f.file.SetNodeText("6"));
    EXPECT_EQ(1, f.file.GetNodeText(text));
    EXPECT_EQ("6", text);
    ASSERT_EQ(1, f.file.GotoChildNode("", 0));
    EXPECT_EQ("#text", f.Name());
    f.file.GotoParentNode();
    f.file.GotoParentNode();
    // Mixed content whose first child is not the text is left alone.
    EXPECT_EQ(0, f.file.SetSubNodeText("Mixed", "x", 0));
    // An element with element children only gets its text as a new last child.
    EXPECT_EQ(1, f.file.SetSubNodeText("LineSet", "t", 0));
    EXPECT_EQ(0, f.file.SetSubNodeText("Nothing", "t", 0));
    EXPECT_EQ(1, f.file.SetSubNodeAttribute("LineSet", "name", "B", 0));
    EXPECT_EQ("Data", f.Name());

    const std::string longText(300, 'x');
    EXPECT_EQ(1, f.file.SetSubNodeText("Empty", longText, 0));
    CStr read = "Empty";
    EXPECT_EQ(1, f.file.GetSubNodeText(read, 0));
    EXPECT_EQ(longText, read);

    EXPECT_EQ(1, f.file.GotoChildNode("Mixed", 0));
    EXPECT_EQ(1, f.file.RemoveCurrentNode());
    EXPECT_EQ("Data", f.Name());
    EXPECT_EQ(1, f.file.AppendChildNode("New"));
    EXPECT_EQ(1, f.file.SetNodeAttribute("k", "v"));
    EXPECT_EQ(1, f.file.AppendTextChildNode("body"));
    EXPECT_EQ("New", f.Name());
    EXPECT_EQ("<?xml version=\"1.0\"?>\n<ORQ_KVD version=\"1.1.0\"><Data version=\"1.1.0\">"
              "<LineSet name=\"B\"><Line name=\"L1\"/><Line name=\"L2\"/>t</LineSet>"
              "<Empty>" +
                  longText + "</Empty><New k=\"v\">body</New></Data></ORQ_KVD>\n",
              f.Saved());
}

TEST(KVDXmlFileSave, CodesPathsAndAtomicReplace) {
    CKVDXmlFile unloaded;
    EXPECT_EQ(201, unloaded.Save(""));
    EXPECT_EQ(0, unloaded.GotoRootNode());
    EXPECT_EQ(0, unloaded.PushPosition());

    Fixture f;
    EXPECT_EQ(0, f.file.Save(""));
    const std::string saved = kvdtest::ReadFile(f.path);
    const std::string bad = f.dir.File("missing/x.kvd");
    EXPECT_EQ(202, f.file.Save(bad));
    EXPECT_EQ(bad, f.file.GetFilePathName());
    EXPECT_EQ(saved, kvdtest::ReadFile(f.path));

    f.file.SetFilePathName(f.dir.File("other.kvd"));
    EXPECT_EQ(0, f.file.Save(""));
    EXPECT_EQ(saved, kvdtest::ReadFile(f.dir.File("other.kvd")));
}

TEST(KVDXmlFileVersion, RecordIsBoundedAndTerminated) {
    char buffer[64];
    KVDXmlFile_GetVerStr(buffer, sizeof buffer);
    EXPECT_EQ(
        0, std::string(buffer).rfind("KVDXmlFile\t1.1.1.0\tVersion 1 Release 1\t2005-10-14\t", 0));
    char small[5] = {'x', 'x', 'x', 'x', 'x'};
    KVDXmlFile_GetVerStr(small, 4);
    EXPECT_STREQ("KVD", small);
    EXPECT_EQ('x', small[4]);
    KVDXmlFile_GetVerStr(small, 0);
    KVDXmlFile_GetVerStr(small, -3);
    EXPECT_EQ('x', small[4]);
}

TEST(KVDXmlFileLoad, ProjectWrittenOnWindowsKeepsItsCodePage) {
    const std::string fixture = std::string(KVD_TEST_DATA_DIR) + "/KVD3/Windows1252Project.kvd";
    kvdtest::TempDir dir;
    const std::string copy = dir.File("copy.kvd");
    kvdtest::WriteFile(copy, kvdtest::ReadFile(fixture));
    CKVDXmlFile file;
    ASSERT_EQ(1, file.Initialize(copy));
    CStr text = "SiteName";
    file.GotoChildNode("SiteDefinition", 0);
    ASSERT_EQ(1, file.GetSubNodeText(text, 0));
    EXPECT_EQ("Stra\xDF"
              "e \x93Nord\x94 \x80 5",
              text);
    file.GotoRootNode();
    file.GotoChildNode("Data", 0);
    ORQ::SCreatedBy records[2];
    ASSERT_EQ(1, file.GetCreatedByBlock(records, 2));
    EXPECT_EQ("\xA9 DIP", records[0].DIP);
    EXPECT_EQ(ORQ::CDateTime(2023, 11, 2, 16, 45, 3), records[0].when);

    ASSERT_EQ(0, file.Save(""));
    const std::string saved = kvdtest::ReadFile(copy);
    EXPECT_EQ(0u, saved.rfind("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<ORQ_KVD", 0));
    EXPECT_NE(std::string::npos, saved.find("<Operator>Ren\xE9"
                                            "e M\xFCller</Operator>"));
    EXPECT_NE(std::string::npos, saved.find("DIP=\"\xA9 DIP\""));
    CKVDXmlFile again;
    ASSERT_EQ(1, again.Initialize(copy));
    again.GotoChildNode("SiteDefinition", 0);
    CStr reread = "SiteName";
    ASSERT_EQ(1, again.GetSubNodeText(reread, 0));
    EXPECT_EQ(text, reread);
}

TEST(KVDXmlFileProgress, LongLoadDataBlockReadAndSaveCallTheHookAllAlong) {
    // A program keeps its windows alive through the hook: a large project must call it all
    // through the load, the data block read and the save, not once at the end.
    constexpr int kLines = 2000;
    kvdtest::TempDir dir;
    const std::string path = dir.File("large.kvd");
    kvdtest::WriteFile(path, kvdtest::GeneratedProject(kLines, 4, 2));
    CKVDXmlFile file;
    int calls = 0;
    file.SetProgress([&calls] { ++calls; });

    ASSERT_EQ(1, file.Initialize(path));
    EXPECT_GE(calls, kLines / 100) << "the load calls the hook at least every 100 lines' worth";

    calls = 0;
    std::unique_ptr<ORQ::CKvdDataBlockInterface> block(
        ORQ::CKvdDataBlockInterface::CreateAndInit(&file, 0, nullptr));
    ASSERT_NE(nullptr, block);
    EXPECT_GE(calls, kLines) << "the data block read calls the hook for every line";

    // The save writes block by block; the file is still the whole document.
    std::string expected;
    ASSERT_TRUE(file.GetFileHnd()->Serialize(expected));
    ASSERT_GT(expected.size(), size_t(4) << 16) << "the project spans several written blocks";
    calls = 0;
    ASSERT_EQ(0, file.Save(""));
    EXPECT_GE(calls, kLines / 100) << "the save calls the hook at least every 100 lines' worth";
    EXPECT_EQ(expected, kvdtest::ReadFile(path));
}
