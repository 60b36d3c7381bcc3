#include "KVD3/XmlDom.h"

#include "tests/support/OutsideXml.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <time.h>
#include <vector>

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

// Text in UTF-16, little end first, without a byte order mark.
std::string Utf16Le(const std::u16string &text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
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

TEST(XmlDomLoad, FailureSaysWhy) {
    kvdtest::TempDir dir;
    CXmlDom dom;
    kvdtest::WriteFile(dir.File("bad.kvd"), "this is not <xml");
    EXPECT_EQ(0, dom.LoadFile(dir.File("bad.kvd").c_str()));
    EXPECT_EQ("File does not appear to be in XML format.", dom.GetLoadFailure());
    EXPECT_EQ(0, dom.LoadFile(dir.File("missing.kvd").c_str()));
    EXPECT_EQ("The file could not be opened: No such file or directory.", dom.GetLoadFailure());
    // Well-formed, but nested deeper than the parser follows.
    std::string deep;
    for (int i = 0; i < 400; ++i)
        deep += "<a>";
    for (int i = 0; i < 400; ++i)
        deep += "</a>";
    kvdtest::WriteFile(dir.File("deep.kvd"), deep);
    EXPECT_EQ(0, dom.LoadFile(dir.File("deep.kvd").c_str()));
    EXPECT_EQ("Its elements are nested deeper than a project file can be.", dom.GetLoadFailure());
    kvdtest::WriteFile(dir.File("good.kvd"), "<ORQ_KVD/>");
    EXPECT_EQ(1, dom.LoadFile(dir.File("good.kvd").c_str()));
    EXPECT_EQ("", dom.GetLoadFailure());
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
    const std::string old = "<r>old</r>";
    DomPtr d = Load(dir, old);
    ASSERT_EQ(1, d->SetNodeText(std::string(64 * 1024, 'x').c_str()));
    {
        // Writing beyond the file size limit fails.
        kvdtest::ScopedFileSizeLimit limit(16 * 1024);
        EXPECT_EQ(-200, XmlDom_SaveFile(d.get(), nullptr));
    }
    EXPECT_EQ(old, kvdtest::ReadFile(dir.File("p.kvd")));
    int files = 0;
    for (auto &e : std::filesystem::directory_iterator(dir.Path()))
        files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(1, files) << "no temporary file is left";
}

namespace {

// Sets the file's modification time a minute ahead of the clock: a stamp taken now lies within
// that time's tick, so it needs the digest of the bytes, and so does every comparison with it.
void TimeAhead(const std::string &path) {
    const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 60, 5000}};
    ASSERT_EQ(0, ::utimensat(AT_FDCWD, path.c_str(), times, 0)) << path;
}

// Writes bytes over the file in place and gives it back the modification time it had, as a
// write within the same tick of the file system's clock leaves it.
void WriteInTheSameTick(const std::string &path, const std::string &bytes) {
    struct stat st {};
    ASSERT_EQ(0, ::stat(path.c_str(), &st));
    kvdtest::WriteFile(path, bytes);
    const timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    ASSERT_EQ(0, ::utimensat(AT_FDCWD, path.c_str(), times, 0));
}

} // namespace

// A load stamps the file it read: the stamp vouches for the file while nobody writes it, and
// tells another program's write of the same size in the same tick by the bytes of every part of
// the file (its head, the blocks the parser took, what follows the root element), whatever its
// encoding.
TEST(XmlDomStamp, LoadStampsTheBytesItRead) {
    std::string large = "<?xml version=\"1.0\"?>\n<r>";
    for (int i = 0; i < 5000; ++i)
        large += "<t n=\"" + std::to_string(i) + "\">text</t>";
    large += "</r>\n<!--end-->\n";
    struct SCase {
        const char *name;
        std::string bytes;
        size_t at; // the byte another program changes
    };
    const SCase cases[] = {
        {"the declaration", "<?xml version=\"1.0\"?>\n<r>x</r>\n", 2},
        {"a UTF-8 byte order mark", "\xEF\xBB\xBF<r>x</r>", 0},
        {"many blocks, a byte in the middle", large, large.size() / 2},
        {"many blocks, the comment after the root", large, large.size() - 6},
        {"code page 1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><r>\xE9</r>", 46},
        {"UTF-16", Utf16Le(u"<?xml version=\"1.0\"?><r>Caf\u00E9</r>"), 49},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        kvdtest::TempDir dir;
        const std::string path = dir.File("p.kvd");
        kvdtest::WriteFile(path, c.bytes);
        TimeAhead(path);
        DomPtr d(XmlDom_GetHandle());
        ASSERT_EQ(1, XmlDom_LoadFile(d.get(), path.c_str()));
        const ORQ::CFileStamp stamp = d->GetFileStamp();
        ASSERT_TRUE(stamp.NeedsDigest());
        EXPECT_EQ(ORQ::CFileStamp::FILE_UNCHANGED, stamp.Compare(path));
        WriteInTheSameTick(path, c.bytes);
        EXPECT_EQ(ORQ::CFileStamp::FILE_UNCHANGED, stamp.Compare(path)) << "the same bytes";
        std::string changed = c.bytes;
        ASSERT_LT(c.at, changed.size());
        changed[c.at] ^= 0x01;
        WriteInTheSameTick(path, changed);
        EXPECT_EQ(ORQ::CFileStamp::FILE_CHANGED, stamp.Compare(path));
    }
}

// A save stamps the file it wrote, in place of the one loaded; a save to another path stamps
// that file. A load or save that fails keeps the stamp of the file before.
TEST(XmlDomStamp, SaveStampsTheFileItWrote) {
    kvdtest::TempDir dir;
    const std::string path = dir.File("p.kvd");
    DomPtr fresh(XmlDom_GetHandle());
    EXPECT_FALSE(fresh->GetFileStamp().IsKnown()) << "nothing loaded or saved";

    DomPtr d = Load(dir, "<r>old</r>");
    const ORQ::CFileStamp loaded = d->GetFileStamp();
    ASSERT_TRUE(loaded.IsKnown());
    EXPECT_EQ(ORQ::CFileStamp::FILE_UNCHANGED, loaded.Compare(path));
    ASSERT_EQ(1, d->SetNodeText("new"));
    ASSERT_EQ(0, XmlDom_SaveFile(d.get(), nullptr));
    EXPECT_EQ(ORQ::CFileStamp::FILE_CHANGED, loaded.Compare(path)) << "replaced by the save";
    EXPECT_EQ(ORQ::CFileStamp::FILE_UNCHANGED, d->GetFileStamp().Compare(path))
        << "the save's own file";

    const std::string copy = dir.File("copy.kvd");
    ASSERT_EQ(0, XmlDom_SaveFile(d.get(), copy.c_str()));
    EXPECT_EQ(ORQ::CFileStamp::FILE_UNCHANGED, d->GetFileStamp().Compare(copy));
    EXPECT_EQ(ORQ::CFileStamp::FILE_CHANGED, d->GetFileStamp().Compare(path));

    {
        kvdtest::ScopedFileSizeLimit limit(4);
        EXPECT_EQ(-200, XmlDom_SaveFile(d.get(), copy.c_str()));
    }
    EXPECT_EQ(ORQ::CFileStamp::FILE_UNCHANGED, d->GetFileStamp().Compare(copy))
        << "a failed save keeps the stamp of the file it left";
    kvdtest::WriteFile(dir.File("bad.kvd"), "no xml");
    EXPECT_EQ(0, XmlDom_LoadFile(d.get(), dir.File("bad.kvd").c_str()));
    EXPECT_EQ(ORQ::CFileStamp::FILE_UNCHANGED, d->GetFileStamp().Compare(copy))
        << "a failed load keeps the stamp of the document's file";

    kvdtest::WriteFile(copy, "<r>another program's</r>");
    EXPECT_EQ(ORQ::CFileStamp::FILE_CHANGED, d->GetFileStamp().Compare(copy));
}

// The interface speaks the system's code page both ways, whatever the file's encoding.
TEST(XmlDomEncoding, InterfaceTextIsTheCodePageInAndOut) {
    kvdtest::TempDir dir;
    DomPtr d = Load(dir, "<r n=\"Gr\xC3\xBCn \xE2\x82\xAC\"><L\xC3\xA4nge \xC3\xB8=\"1\">"
                         "\xE2\x80\x9C"
                         "S\xC3\xBC"
                         "d\xE2\x80\x9D</L\xC3\xA4nge></r>");
    std::string text;
    ASSERT_TRUE(d->GetNodeAttributeText("n", text));
    EXPECT_EQ("Gr\xFCn \x80", text);
    ASSERT_EQ(1, d->MoveToFirstChildNode("L\xE4nge")) << "element names are code page text too";
    EXPECT_EQ("L\xE4nge", Name(d.get()));
    ASSERT_TRUE(d->GetNodeAttributeText("\xF8", text));
    EXPECT_EQ("1", text);
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ("\x93S\xFC"
              "d\x94",
              text);
    char buffer[16] = "\xF8";
    int size = sizeof buffer;
    EXPECT_EQ(1, XmlDom_GetNodeAttributeText(d.get(), buffer, &size));
    EXPECT_STREQ("1", buffer);

    // Text handed in is code page text even where its bytes would make UTF-8.
    ASSERT_EQ(1, d->SetNodeText("\xC3\xA9 \x80"));
    ASSERT_EQ(1, d->SetNodeAttributeText("\xF8", "\xE9"));
    d->MoveToRootNode();
    ASSERT_EQ(1, d->AppendChildNode("Stra\xDF"
                                    "e"));
    ASSERT_EQ(1, d->AppendTextChildNode("\x9C"));
    ASSERT_EQ(1, d->AppendComment("\xA9"));
    EXPECT_EQ("<r n=\"Gr\xC3\xBCn \xE2\x82\xAC\"><L\xC3\xA4nge \xC3\xB8=\"\xC3\xA9\">"
              "\xC3\x83\xC2\xA9 \xE2\x82\xAC</L\xC3\xA4nge><Stra\xC3\x9F"
              "e>\xC5\x93<!--\xC2\xA9-->"
              "</Stra\xC3\x9F"
              "e></r>\n",
              Saved(d.get()));
    d->MoveToRootNode();
    EXPECT_EQ(1, d->MoveToFirstChildNode("Stra\xDF"
                                         "e"));
    EXPECT_EQ(1, d->MoveToParentNode("r"));

    DomPtr fresh(XmlDom_GetHandle());
    EXPECT_EQ(1, XmlDom_InitializeNewXmlFile(fresh.get(), "\xA9 Brenwick", "Gr\xFCn"));
    EXPECT_EQ("<?xml version='1.0'?>\n<Gr\xC3\xBCn><!--\xC2\xA9 Brenwick--></Gr\xC3\xBCn>\n",
              Saved(fresh.get()));
}

// A character the code page lacks reads as '?'; a caller that writes back what it read keeps
// it, one that writes something else replaces it.
TEST(XmlDomEncoding, CharactersTheCodePageLacksSurviveBeingWrittenBack) {
    kvdtest::TempDir dir;
    DomPtr d = Load(dir, "<r n=\"\xCE\xA9-1\" m=\"a\">\xE2\x88\x9A 2</r>");
    std::string text;
    ASSERT_TRUE(d->GetNodeAttributeText("n", text));
    EXPECT_EQ("?-1", text);
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ("? 2", text);
    EXPECT_EQ(1, d->SetNodeAttributeText("n", "?-1"));
    EXPECT_EQ(1, d->SetNodeText("? 2"));
    EXPECT_EQ(1, d->SetNodeAttributeText("m", "a"));
    EXPECT_EQ("<r n=\"\xCE\xA9-1\" m=\"a\">\xE2\x88\x9A 2</r>\n", Saved(d.get()));
    EXPECT_EQ(1, d->SetNodeAttributeText("n", "?-2"));
    EXPECT_EQ(1, d->SetNodeText("? 3"));
    EXPECT_EQ("<r n=\"?-2\" m=\"a\">? 3</r>\n", Saved(d.get()));
}

TEST(XmlDomEncoding, Cp1252FilesRoundTripByteForByte) {
    kvdtest::TempDir dir;
    const std::string bytes = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n"
                              "<r n=\"Caf\xE9\">\x80 5 \x93q\x94 &#937;</r>\n";
    DomPtr d = Load(dir, bytes);
    std::string text, attr;
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ("\x80 5 \x93q\x94 ?", text);
    ASSERT_TRUE(d->GetNodeAttributeText("n", attr));
    EXPECT_EQ("Caf\xE9", attr);
    ASSERT_EQ(0, XmlDom_SaveFile(d.get(), nullptr));
    EXPECT_EQ(bytes, kvdtest::ReadFile(dir.File("p.kvd")))
        << "a character the code page lacks stays a character reference";
    // The five bytes the code page leaves undefined are no characters to outside readers: they
    // are written as references.
    ASSERT_EQ(1, d->SetNodeText("\x81\x8D\x8F\x90\x9D \x9F"));
    EXPECT_NE(std::string::npos,
              Saved(d.get()).find("<r n=\"Caf\xE9\">&#129;&#141;&#143;&#144;&#157; \x9F</r>"));
}

// ISO-8859-1 lacks the code page's characters 0x80 to 0x9F: a file that declares it is written
// in it, with references for the rest. Bytes 0x80 to 0x9F in such a file are read as the code
// page's characters, as files written on Windows mean them.
TEST(XmlDomEncoding, Iso88591FilesAreWrittenInIso88591) {
    kvdtest::TempDir dir;
    const std::string bytes = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                              "<r n=\"&#8364; 5\">Caf\xE9 &#339;</r>\n";
    DomPtr d = Load(dir, bytes);
    std::string text;
    ASSERT_TRUE(d->GetNodeAttributeText("n", text));
    EXPECT_EQ("\x80 5", text);
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ("Caf\xE9 \x9C", text);
    ASSERT_EQ(0, XmlDom_SaveFile(d.get(), nullptr));
    EXPECT_EQ(bytes, kvdtest::ReadFile(dir.File("p.kvd")))
        << "a load and save keeps the euro sign a reference";

    ASSERT_EQ(1, d->SetNodeText("\x80\x9C\x84\x96\x81 \xFF"));
    ASSERT_EQ(1, d->SetNodeAttributeText("n", "\x85"));
    EXPECT_NE(std::string::npos,
              Saved(d.get()).find("<r n=\"&#8230;\">&#8364;&#339;&#8222;&#8211;&#129; \xFF</r>"));

    d = Load(dir, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><r>\x80</r>", "w.kvd");
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ("\x80", text);
    ASSERT_EQ(0, XmlDom_SaveFile(d.get(), nullptr));
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<r>&#8364;</r>\n",
              kvdtest::ReadFile(dir.File("w.kvd")));

    d = Load(dir, "<?xml version=\"1.0\" encoding=\"US-ASCII\"?><r>\xE9</r>", "a.kvd");
    ASSERT_EQ(0, XmlDom_SaveFile(d.get(), nullptr));
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"US-ASCII\"?>\n<r>&#233;</r>\n",
              kvdtest::ReadFile(dir.File("a.kvd")));
}

// Encodings the library does not know itself are written through iconv, with references for
// what they lack, instead of failing the save.
TEST(XmlDomEncoding, OtherEncodingsTakeReferencesForWhatTheyLack) {
    kvdtest::TempDir dir;
    DomPtr d = Load(dir, "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><r>\xF4\xC5</r>");
    std::string text;
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ("??", text) << "Cyrillic letters are not in the code page";
    ASSERT_EQ(1, d->SetNodeAttributeText("n", "caf\xE9 \x80"));
    ASSERT_EQ(0, XmlDom_SaveFile(d.get(), nullptr));
    EXPECT_EQ(
        "<?xml version=\"1.0\" encoding=\"KOI8-R\"?>\n<r n=\"caf&#233; &#8364;\">\xF4\xC5</r>\n",
        kvdtest::ReadFile(dir.File("p.kvd")));
}

TEST(XmlDomEncoding, StrayCp1252BytesInUtf8FilesAreRead) {
    kvdtest::TempDir dir;
    DomPtr d = Load(dir, "<r>Caf\xE9 \xC3\xA9</r>");
    std::string text;
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ("Caf\xE9 \xE9", text);
    // Written back as UTF-8 characters, never as references.
    EXPECT_EQ("<r>Caf\xC3\xA9 \xC3\xA9</r>\n", Saved(d.get()));
    // Control characters cannot be kept in XML.
    ASSERT_EQ(1, d->SetNodeText("\xB0"
                                "C\x01"));
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ("\xB0"
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
    // as the code page's character and written back as the same byte (the five undefined
    // bytes as references).
    std::string all, allWritten;
    for (int c = 0x20; c < 0x100; ++c) {
        if (c == '<' || c == '&' || c == '>')
            continue;
        all += static_cast<char>(c);
        if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D)
            allWritten += "&#" + std::to_string(c) + ";";
        else
            allWritten += static_cast<char>(c);
    }
    const std::string head =
        "<?xml version=\"1.0\"" + std::string(70000, ' ') + "encoding=\"windows-1252\"?>\n<r>";
    std::string cp1252 = head, cp1252Written = head;
    for (int i = 0; i < 1000; ++i) {
        cp1252 += "<t>" + all.substr(i % 7) + "\xC3\xA9</t>";
        cp1252Written += "<t>" + allWritten.substr(i % 7) + "\xC3\xA9</t>";
    }
    cp1252 += "</r>\n";
    cp1252Written += "</r>\n";
    d = Load(dir, cp1252, "w.kvd");
    ASSERT_EQ(1, d->MoveToFirstChildNode("t"));
    std::string text;
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ(all + "\xC3\xA9", text) << "the bytes C3 A9 are two letters here, not one sequence";
    ASSERT_EQ(0, XmlDom_SaveFile(d.get(), nullptr));
    EXPECT_TRUE(kvdtest::ReadFile(dir.File("w.kvd")) == cp1252Written);
}

// UTF-16 is recognised from the first bytes without a byte order mark too, whatever characters
// follow.
TEST(XmlDomEncoding, Utf16WithoutByteOrderMark) {
    kvdtest::TempDir dir;
    DomPtr d = Load(dir, Utf16Le(u"<?xml version=\"1.0\"?><r>Caf\u00E9 \u20AC</r>"));
    std::string text;
    ASSERT_TRUE(d->GetNodeText(text));
    EXPECT_EQ("Caf\xE9 \x80", text);
}

// Every file the library saves is read by outside parsers with the names the library reads.
TEST(XmlDomEncoding, OutsideParsersReadWhatTheLibraryWrites) {
    struct Row {
        const char *name;
        std::string head; // the file's first bytes before the root element
        bool utf16;
    };
    const Row rows[] = {
        {"windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>", false},
        {"ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", false},
        {"UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", false},
        {"UTF-8 with byte order mark", "\xEF\xBB\xBF<?xml version=\"1.0\"?>", false},
        {"no declaration", "", false},
        {"US-ASCII", "<?xml version=\"1.0\" encoding=\"US-ASCII\"?>", false},
        {"UTF-16", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>", true},
    };
    // Every character of the code page, in names of lines.
    std::vector<std::string> names = {"GR\xDCN \x80",
                                      "S\xFC"
                                      "d",
                                      "L\xE4",
                                      "\x84"
                                      "a\x93\x96",
                                      "&<>\"'"};
    std::string every;
    for (int c = 0x20; c < 0x100; ++c)
        every += static_cast<char>(c);
    names.push_back(every);
    kvdtest::TempDir dir;
    std::vector<std::string> paths;
    std::vector<std::vector<std::string>> ownNames;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = "p" + std::to_string(paths.size()) + ".kvd";
        const std::u16string head(row.head.begin(), row.head.end());
        DomPtr d = Load(dir,
                        row.utf16 ? "\xFF\xFE" + Utf16Le(head + u"<ORQ_KVD><Data/></ORQ_KVD>")
                                  : row.head + "<ORQ_KVD><Data/></ORQ_KVD>",
                        file.c_str());
        ASSERT_EQ(1, d->MoveToFirstChildNode("Data"));
        for (const std::string &name : names) {
            ASSERT_EQ(1, d->AppendChildNode("Line"));
            ASSERT_EQ(1, d->SetNodeAttributeText("name", name.c_str()));
            ASSERT_EQ(1, d->MoveToParentNode(nullptr));
        }
        ASSERT_EQ(0, XmlDom_SaveFile(d.get(), nullptr));
        paths.push_back(dir.File(file));

        DomPtr again(XmlDom_GetHandle());
        ASSERT_EQ(1, XmlDom_LoadFile(again.get(), paths.back().c_str()));
        ownNames.emplace_back();
        ASSERT_EQ(1, again->MoveToFirstChildNode("Data"));
        for (int ok = again->MoveToFirstChildNode("Line"); ok;
             ok = again->MoveToNextSiblingNode("Line")) {
            std::string value;
            ASSERT_TRUE(again->GetNodeAttributeText("name", value));
            ownNames.back().push_back(value);
        }
    }
    std::string messages;
    EXPECT_TRUE(kvdtest::XmllintAccepts(paths, messages)) << messages;
    std::vector<std::vector<std::string>> outside;
    ASSERT_TRUE(kvdtest::ElementTreeValues(paths, "Line", "name", outside, messages)) << messages;
    for (size_t r = 0; r < paths.size(); ++r) {
        SCOPED_TRACE(rows[r].name);
        ASSERT_EQ(names.size(), ownNames[r].size());
        ASSERT_EQ(names.size(), outside[r].size());
        for (size_t i = 0; i < names.size(); ++i) {
            // The undefined code page bytes and characters beyond ASCII and Latin-1 are
            // written as references, so each reader sees the very character handed in.
            EXPECT_EQ(names[i], ownNames[r][i]) << i;
            EXPECT_EQ(kvdtest::Cp1252AsUtf8(names[i]), outside[r][i]) << i;
        }
    }
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
