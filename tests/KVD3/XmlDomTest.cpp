#include "KVD3/XmlDom.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace {

struct DomDeleter {
    void operator()(CXmlDom *d) const { XmlDom_ReleaseHandle(d); }
};
using DomPtr = std::unique_ptr<CXmlDom, DomDeleter>;

DomPtr Load(const kvdtest::TempDir &dir, const std::string &bytes, const char *name = "p.kvd") {
    kvdtest::WriteFile(dir.File(name), bytes);
    DomPtr dom(XmlDom_GetHandle());
    EXPECT_EQ(1, XmlDom_LoadFile(dom.get(), dir.File(name).c_str()));
    return dom;
}

std::string Name(CXmlDom *d) {
    std::string s;
    d->GetNodeName(s);
    return s;
}

std::string Saved(CXmlDom *d) {
    std::string s;
    EXPECT_TRUE(d->Serialize(s));
    return s;
}

const char kProject[] =
    "<?xml version=\"1.0\"?>\n"
    "<ORQ_KVD version=\"1.1.0\">\n"
    "  <!--Brenwick Inc. Grid-->\n"
    "  <Data z=\"3\" a=\"1\" m=\"2\">\n"
    "    <LineSet name=\"X lines\"><Line seq=\"0\">  L 1 &amp; &lt;2&gt; </Line>"
    "<Line seq=\"1\">L2</Line></LineSet>\n"
    "    <Note>a <b>bold</b> tail</Note>\n"
    "  </Data>\n"
    "</ORQ_KVD>\n";

} // namespace

TEST(XmlDomLoad, DropsBlankTextKeepsRealTextAndAttributeOrder) {
    kvdtest::TempDir dir;
    DomPtr d = Load(dir, kProject);
    EXPECT_EQ("<?xml version=\"1.0\"?>\n"
              "<ORQ_KVD version=\"1.1.0\"><!--Brenwick Inc. Grid--><Data z=\"3\" a=\"1\" m=\"2\">"
              "<LineSet name=\"X lines\"><Line seq=\"0\">  L 1 &amp; &lt;2&gt; </Line>"
              "<Line seq=\"1\">L2</Line></LineSet><Note>a <b>bold</b> tail</Note></Data>"
              "</ORQ_KVD>\n",
              Saved(d.get()));
    // Saving and loading again gives the same bytes.
    ASSERT_EQ(0, XmlDom_SaveFile(d.get(), nullptr));
    DomPtr again = Load(dir, kvdtest::ReadFile(dir.File("p.kvd")), "q.kvd");
    EXPECT_EQ(Saved(d.get()), Saved(again.get()));

    ASSERT_EQ(1, d->MoveToFirstChildNode("Data"));
    ASSERT_EQ(1, d->MoveToFirstChildNode("LineSet"));
    ASSERT_EQ(1, d->MoveToFirstChildNode("Line"));
    std::string text;
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ("  L 1 & <2> ", text);
}

TEST(XmlDomLoad, NodeNamesAsTheDomReportsThem) {
    kvdtest::TempDir dir;
    DomPtr d = Load(dir, kProject);
    EXPECT_EQ("ORQ_KVD", Name(d.get()));
    ASSERT_EQ(1, d->MoveToFirstChildNode(nullptr));
    EXPECT_EQ("#comment", Name(d.get()));
    ASSERT_EQ(1, d->MoveToParentNode(nullptr));
    ASSERT_EQ(1, d->MoveToParentNode(nullptr));
    EXPECT_EQ("#document", Name(d.get()));
    EXPECT_EQ(0, d->MoveToParentNode(nullptr));
    ASSERT_EQ(1, d->MoveToFirstChildNode(nullptr));
    EXPECT_EQ("xml", Name(d.get()));
    ASSERT_EQ(1, d->MoveToNextSiblingNode(nullptr));
    EXPECT_EQ("ORQ_KVD", Name(d.get()));
    // Named moves look at elements only: the comment is skipped.
    ASSERT_EQ(1, d->MoveToFirstChildNode("Data"));
    ASSERT_EQ(1, d->MoveToFirstChildNode("Note"));
    ASSERT_EQ(1, d->MoveToFirstChildNode(nullptr));
    EXPECT_EQ("#text", Name(d.get()));
    short c, a, t;
    d->GetNodeInfo(c, a, t);
    EXPECT_EQ(0, c);
    EXPECT_EQ(0, a);
    EXPECT_EQ(1, t);
    EXPECT_EQ(1, d->MoveToParentNode("ORQ_KVD"));
    EXPECT_EQ("ORQ_KVD", Name(d.get()));
    EXPECT_EQ(0, d->MoveToParentNode("Nothing"));
    EXPECT_EQ("ORQ_KVD", Name(d.get()));
}

TEST(XmlDomLoad, FailureLeavesCursorAndPrintsNothing) {
    kvdtest::TempDir dir;
    DomPtr d = Load(dir, kProject);
    d->MoveToFirstChildNode("Data");
    kvdtest::WriteFile(dir.File("bad.kvd"), "this is not <xml");
    testing::internal::CaptureStderr();
    EXPECT_EQ(0, XmlDom_LoadFile(d.get(), dir.File("bad.kvd").c_str()));
    EXPECT_EQ(0, XmlDom_LoadFile(d.get(), dir.File("missing.kvd").c_str()));
    kvdtest::WriteFile(dir.File("empty.kvd"), "");
    EXPECT_EQ(0, XmlDom_LoadFile(d.get(), dir.File("empty.kvd").c_str()));
    EXPECT_EQ(0, XmlDom_LoadFile(d.get(), dir.Path().c_str()));
    EXPECT_EQ("", testing::internal::GetCapturedStderr());
    EXPECT_EQ("Data", Name(d.get()));
}

TEST(XmlDomLoad, EntitiesAreNotExpanded) {
    kvdtest::TempDir dir;
    kvdtest::WriteFile(dir.File("secret.txt"), "SECRET");
    const std::string xml = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x SYSTEM \"" +
                            dir.File("secret.txt") + "\">]><r>&x;</r>";
    DomPtr d = Load(dir, xml);
    EXPECT_EQ(std::string::npos, Saved(d.get()).find("SECRET"));
    std::string text;
    EXPECT_FALSE(d->GetNodeText(text));
}

TEST(XmlDomText, GettersCopyOnlyWhenTheTextFits) {
    kvdtest::TempDir dir;
    const std::string longName(300, 'N');
    DomPtr d = Load(dir, "<" + longName + "><e><f/>text</e><g/></" + longName + ">");
    char buffer[256];
    std::memset(buffer, 'x', sizeof buffer);
    int size = sizeof buffer;
    EXPECT_EQ(0, XmlDom_GetNodeName(d.get(), buffer, &size));
    EXPECT_EQ(301, size);
    EXPECT_EQ('x', buffer[0]);

    ASSERT_EQ(1, d->MoveToFirstChildNode("e"));
    size = sizeof buffer;
    EXPECT_EQ(0, XmlDom_GetNodeText(d.get(), buffer, &size)); // first child is an element
    EXPECT_EQ(0, size);
    size = 2;
    EXPECT_EQ(1, XmlDom_GetNodeName(d.get(), buffer, &size));
    EXPECT_STREQ("e", buffer);

    std::strcpy(buffer, "missing");
    size = sizeof buffer;
    EXPECT_EQ(0, XmlDom_GetNodeAttributeText(d.get(), buffer, &size));
    EXPECT_EQ(0, size);
    EXPECT_STREQ("missing", buffer);

    ASSERT_EQ(1, d->MoveToNextSiblingNode("g"));
    EXPECT_EQ(0, XmlDom_SetNodeText(d.get(), "5")); // no text child to replace
}

TEST(XmlDomEdit, AttributesKeepTheirPlaceAndFailuresAreResults) {
    kvdtest::TempDir dir;
    DomPtr d = Load(dir, "<r b=\"1\" a=\"2\" c=\"3\">t</r>");
    EXPECT_EQ(1, XmlDom_SetNodeAttributeText(d.get(), "a", "new \"v\" & <w>"));
    EXPECT_EQ(1, XmlDom_SetNodeAttributeText(d.get(), "d", "4"));
    EXPECT_EQ(1, XmlDom_SetNodeAttributeText(d.get(), "b", nullptr));
    EXPECT_EQ(0, XmlDom_SetNodeAttributeText(d.get(), "bad name", "x"));
    EXPECT_EQ("<r a=\"new &quot;v&quot; &amp; &lt;w>\" c=\"3\" d=\"4\">t</r>\n", Saved(d.get()));
    char buffer[64] = "a";
    int size = sizeof buffer;
    EXPECT_EQ(1, XmlDom_GetNodeAttributeText(d.get(), buffer, &size));
    EXPECT_STREQ("new \"v\" & <w>", buffer);

    // Operations the DOM refuses report failure instead of throwing.
    ASSERT_EQ(1, d->MoveToFirstChildNode(nullptr));
    EXPECT_EQ(0, XmlDom_SetNodeAttributeText(d.get(), "x", "1"));
    EXPECT_EQ(0, XmlDom_AppendChildNode(d.get(), "child"));
    d->MoveToRootNode();
    d->MoveToParentNode(nullptr);
    EXPECT_EQ(0, XmlDom_RemoveCurrentNode(d.get()));
    EXPECT_EQ(0, XmlDom_AppendChildNode(d.get(), "second_root"));
    EXPECT_EQ(0, XmlDom_AppendChildNode(nullptr, "x"));
}

TEST(XmlDomEdit, NewHeadAndAppends) {
    DomPtr d(XmlDom_GetHandle());
    EXPECT_EQ(1, XmlDom_InitializeNewXmlFile(d.get(), "Brenwick Inc. Grid", "ORQ_KVD"));
    EXPECT_EQ(0, XmlDom_InitializeNewXmlFile(d.get(), nullptr, "Other"));
    EXPECT_EQ(1, XmlDom_AppendChildNode(d.get(), "Data"));
    EXPECT_EQ(1, XmlDom_AppendTextChildNode(d.get(), "x<y"));
    EXPECT_EQ(1, XmlDom_AppendComment(d.get(), "a--b-"));
    EXPECT_EQ("Data", Name(d.get()));
    EXPECT_EQ(1, XmlDom_SetNodeText(d.get(), "5 & 6"));
    EXPECT_EQ("<?xml version='1.0'?>\n<ORQ_KVD><!--Brenwick Inc. Grid--><Data>5 &amp; 6"
              "<!--a- -b- --></Data></ORQ_KVD>\n",
              Saved(d.get()));
}

TEST(XmlDomHandles, RemovedNodesStayAliveWhileHandlesReferToThem) {
    kvdtest::TempDir dir;
    DomPtr d = Load(dir, "<r><a><b/></a><c/></r>");
    d->MoveToFirstChildNode("a");
    d->MoveToFirstChildNode("b");
    void *hb = XmlDom_GetCurrentNodeHandle(d.get());
    d->MoveToParentNode(nullptr);
    EXPECT_EQ(1, XmlDom_RemoveCurrentNode(d.get()));
    EXPECT_EQ("r", Name(d.get()));
    EXPECT_EQ("<r><c/></r>\n", Saved(d.get()));
    ASSERT_EQ(1, XmlDom_MoveToHandleNode(d.get(), hb));
    EXPECT_EQ("b", Name(d.get()));
    EXPECT_EQ(1, XmlDom_MoveToParentNode(d.get(), nullptr));
    EXPECT_EQ("a", Name(d.get()));
    EXPECT_EQ(0, XmlDom_MoveToParentNode(d.get(), nullptr));

    // A load replaces the document; the old one lives on behind the handle.
    kvdtest::WriteFile(dir.File("other.kvd"), "<other/>");
    ASSERT_EQ(1, XmlDom_LoadFile(d.get(), dir.File("other.kvd").c_str()));
    ASSERT_EQ(1, XmlDom_MoveToHandleNode(d.get(), hb));
    EXPECT_EQ("b", Name(d.get()));

    XmlDom_ReleaseNodeHandle(d.get(), hb);
    XmlDom_ReleaseNodeHandle(d.get(), hb);
    EXPECT_EQ(0, XmlDom_MoveToHandleNode(d.get(), hb));
    EXPECT_EQ(0u, d->GetHandleCount());
}

TEST(XmlDomSave, ResultCodes) {
    kvdtest::TempDir dir;
    DomPtr fresh(XmlDom_GetHandle());
    EXPECT_EQ(201, XmlDom_SaveFile(fresh.get(), ""));
    EXPECT_EQ(201, XmlDom_SaveFile(fresh.get(), nullptr));
    EXPECT_EQ(202, XmlDom_SaveFile(fresh.get(), dir.File("no/such/folder/x.kvd").c_str()));
    EXPECT_FALSE(kvdtest::FileExists(dir.File("no")));
    EXPECT_EQ(202, XmlDom_SaveFile(fresh.get(), dir.Path().c_str())); // a folder

    DomPtr d = Load(dir, "<r/>");
    EXPECT_EQ(0, XmlDom_SaveFile(d.get(), dir.File("copy.kvd").c_str()));
    EXPECT_EQ("<r/>\n", kvdtest::ReadFile(dir.File("copy.kvd")));

    // The replaced file keeps its permissions.
    namespace fs = std::filesystem;
    fs::permissions(dir.File("p.kvd"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(0, XmlDom_SaveFile(d.get(), nullptr));
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
              fs::status(dir.File("p.kvd")).permissions());
}

TEST(XmlDomSave, FailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    kvdtest::TempDir dir;
    // A character that the file's declared encoding cannot hold makes the write fail.
    const std::string old = "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><r>old</r>";
    DomPtr d = Load(dir, old);
    ASSERT_EQ(1, d->SetNodeText("caf\xC3\xA9"));
    EXPECT_EQ(-200, XmlDom_SaveFile(d.get(), nullptr));
    EXPECT_EQ(old, kvdtest::ReadFile(dir.File("p.kvd")));
    int files = 0;
    for (auto &e : std::filesystem::directory_iterator(dir.Path()))
        files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(1, files);
}

TEST(XmlDomEncoding, Cp1252FilesRoundTripByteForByte) {
    kvdtest::TempDir dir;
    const std::string bytes = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n"
                              "<r n=\"Caf\xE9\">\x80 5 \x93q\x94</r>\n";
    DomPtr d = Load(dir, bytes);
    std::string text, attr;
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ("\xE2\x82\xAC 5 \xE2\x80\x9Cq\xE2\x80\x9D", text);
    ASSERT_TRUE(d->GetNodeAttributeText("n", attr));
    EXPECT_EQ("Caf\xC3\xA9", attr);
    ASSERT_EQ(0, XmlDom_SaveFile(d.get(), nullptr));
    EXPECT_EQ(bytes, kvdtest::ReadFile(dir.File("p.kvd")));
    // A character the code page lacks is kept as a character reference.
    ASSERT_EQ(1, d->SetNodeText("\xCE\xA9"));
    EXPECT_NE(std::string::npos, Saved(d.get()).find("<r n=\"Caf\xE9\">&#937;</r>"));
}

TEST(XmlDomEncoding, StrayCp1252BytesInUtf8FilesAreRead) {
    kvdtest::TempDir dir;
    DomPtr d = Load(dir, "<r>Caf\xE9 \xC3\xA9</r>");
    std::string text;
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ("Caf\xC3\xA9 \xC3\xA9", text);
    // Written back as UTF-8 characters, never as references.
    EXPECT_EQ("<r>Caf\xC3\xA9 \xC3\xA9</r>\n", Saved(d.get()));
    // 8-bit text handed in is read the same way; control characters cannot be kept in XML.
    ASSERT_EQ(1, d->SetNodeText("\xB0"
                                "C\x01"));
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ("\xC2\xB0"
              "C?",
              text);
}

// Files far larger than a read: characters that straddle two reads, stray code page 1252
// bytes beside them and blank text everywhere are read as they are in a small file.
TEST(XmlDomEncoding, LargeFilesReadAsAWhole) {
    kvdtest::TempDir dir;
    // Thirteen bytes, repeated a varying number of times: somewhere each kind of sequence is
    // cut by the end of a read at each of its bytes.
    const std::string piece = "a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E\xE9 b";
    const std::string read = "a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E\xC3\xA9 b";
    std::string bytes = "<?xml version=\"1.0\"?>\n<r>\n";
    std::string expected = "<?xml version=\"1.0\"?>\n<r>";
    for (int i = 0; i < 400; ++i) {
        std::string text, textRead;
        for (int k = 0; k <= i % 50; ++k) {
            text += piece;
            textRead += read;
        }
        bytes += "  <t n=\"" + piece + "\">" + text + "</t>\n";
        expected += "<t n=\"" + read + "\">" + textRead + "</t>";
    }
    bytes += "</r>\n";
    expected += "</r>\n";
    ASSERT_GT(bytes.size(), 100000u);
    DomPtr d = Load(dir, bytes);
    EXPECT_EQ(expected, Saved(d.get()));

    // Code page 1252 with the encoding named far into a long declaration: every byte is read
    // as the code page's character and written back as the same byte.
    std::string all;
    for (int c = 0x20; c < 0x100; ++c)
        if (c != '<' && c != '&' && c != '>')
            all += static_cast<char>(c);
    std::string cp1252 =
        "<?xml version=\"1.0\"" + std::string(70000, ' ') + "encoding=\"windows-1252\"?>\n<r>";
    for (int i = 0; i < 1000; ++i)
        cp1252 += "<t>" + all.substr(i % 7) + "\xC3\xA9</t>";
    cp1252 += "</r>\n";
    d = Load(dir, cp1252, "w.kvd");
    ASSERT_EQ(1, d->MoveToFirstChildNode("t"));
    std::string text;
    ASSERT_TRUE(d->GetNodeText(text));
    // The bytes C3 A9 are two letters here, not one UTF-8 sequence.
    EXPECT_EQ("\xC3\x83\xC2\xA9", text.substr(text.size() - 4));
    ASSERT_EQ(0, XmlDom_SaveFile(d.get(), nullptr));
    EXPECT_TRUE(kvdtest::ReadFile(dir.File("w.kvd")) == cp1252);
}

// UTF-16 is recognised from the first bytes without a byte order mark too, whatever characters
// follow.
TEST(XmlDomEncoding, Utf16WithoutByteOrderMark) {
    kvdtest::TempDir dir;
    std::string bytes;
    for (char16_t unit : std::u16string(u"<?xml version=\"1.0\"?><r>Caf\u00E9 \u20AC</r>")) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    DomPtr d = Load(dir, bytes);
    std::string text;
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ("Caf\xC3\xA9 \xE2\x82\xAC", text);
}

TEST(XmlDomVersion, RecordIsAlwaysTerminated) {
    char big[128];
    EXPECT_EQ(0, XmlDom_GetVerStr(big, sizeof big));
    EXPECT_EQ(0, std::strncmp(big, "XMLDOM\t1.1.0.0\tVersion 1 Release 1\t2005-02-07\t", 46));
    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_NE(0, XmlDom_GetVerStr(small, sizeof small));
    EXPECT_STREQ("XMLDOM\t", small);
    EXPECT_EQ(-1, XmlDom_GetVerStr(small, 0));
    EXPECT_EQ(-1, XmlDom_GetVerStr(nullptr, 10));
}
