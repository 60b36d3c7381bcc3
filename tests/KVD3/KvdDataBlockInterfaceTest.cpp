#include "KVD3/KvdDataBlockInterface.h"
#include "KVD3/KVDXmlFile.h"
#include "tests/support/ProjectFixture.h"

#include <gtest/gtest.h>

#include <memory>

using ORQ::CKvdDataBlockInterface;
using ORQ::CKvdDataBlockInterface_V110;
using ORQ::CStr;
using namespace kvdtest;
using SFidComment = ORQ::CKvdDataBlock_V110::CDataFile::SFidComment;

namespace {

const char *const kHeader =
    "The following errors have occured while attempting to load KVD:\n(creating a new KVD file "
    "and manually importing Lines in\nKVD_Edit may solve this problem)";

struct Opened {
    explicit Opened(const std::string &text, int show = 1) : project(text) {
        EXPECT_TRUE(project.Loaded());
        iface.reset(static_cast<CKvdDataBlockInterface_V110 *>(
            CKvdDataBlockInterface::CreateAndInit(project.File(), show, &errors)));
    }
    CaptureSink sink;
    ProjectFixture project;
    std::unique_ptr<CKvdDataBlockInterface_V110> iface;
    CStr errors;
};

std::string Grid() {
    return ReadFile(std::string(KVD_TEST_DATA_DIR) + "/kvd3data/grid.kvd");
}

} // namespace

TEST(KvdDataBlockInterface, WalksSetsAndFreeLinesInBothModes) {
    Opened o(Grid());
    ASSERT_TRUE(o.iface);
    EXPECT_TRUE(o.sink.Messages().empty()) << o.sink.AllTexts();
    const auto &q = *o.iface;
    EXPECT_EQ(3, q.GetSetCount());
    EXPECT_EQ(8, q.GetNumLines(-1, LT_ANY));
    EXPECT_EQ(5, q.GetNumLines(0, LT_ANY));
    EXPECT_EQ(1, q.GetNumLines(1, LT_ANY));
    EXPECT_EQ(0, q.GetNumLines(2, LT_ANY));
    EXPECT_EQ(2, q.GetNumLines(-2, LT_ANY));
    EXPECT_EQ(q.GetNumLines(-1, LT_ANY), q.GetNumLines(0, LT_ANY) + q.GetNumLines(1, LT_ANY) +
                                             q.GetNumLines(2, LT_ANY) + q.GetNumLines(-2, LT_ANY));
    EXPECT_EQ(4, q.GetNumLines(-1, LT_XLINE));
    EXPECT_EQ(0, q.GetNumLines(3, LT_ANY));
    EXPECT_EQ(0, q.GetNumLines(-1, static_cast<ELineType>(7)));

    auto walk = [&](int set, ELineType type, int mode) {
        std::vector<std::string> names;
        ORQ::CKvdDataBlockInterface::SLineInfo info;
        for (int n = 0; q.GetLineInfo(&info, n, type, set, mode) == 1; ++n)
            names.push_back(info.name + "@" + std::to_string(info.setIndex) + ":" +
                            std::to_string(info.lineIndex));
        return names;
    };
    EXPECT_EQ((std::vector<std::string>{"Diag@0:0", "X5@0:1", "X10@0:2", "Y0@0:3", "Y20@0:4",
                                        "B1@1:0", "FREE1@-2:0", "FREE2@-2:1"}),
              walk(-1, LT_ANY, 1));
    EXPECT_EQ((std::vector<std::string>{"Diag@0:0", "X10@0:1", "X5@0:2", "Y0@0:3", "Y20@0:4",
                                        "B1@1:0", "FREE2@-2:0", "FREE1@-2:1"}),
              walk(-1, LT_ANY, 2));
    EXPECT_EQ((std::vector<std::string>{"X5@0:1", "X10@0:2", "B1@1:0", "FREE1@-2:0"}),
              walk(-1, LT_XLINE, 1));
    EXPECT_EQ((std::vector<std::string>{"FREE2@-2:1"}), walk(-2, LT_YLINE, 1));

    ORQ::CKvdDataBlockInterface::SLineInfo info;
    ASSERT_EQ(1, q.GetLineInfo(&info, 2, LT_ANY, 0, 1));
    EXPECT_EQ("X10", info.name);
    EXPECT_EQ(LT_XLINE, info.lineType);
    EXPECT_DOUBLE_EQ(0, info.xMin);
    EXPECT_DOUBLE_EQ(30, info.xMax);
    EXPECT_DOUBLE_EQ(10.005, info.yMax);
    EXPECT_DOUBLE_EQ(2, info.numPositions);
    EXPECT_EQ('N', info.editFlag);

    ORQ::CKvdDataBlockInterface::SLineSetInfo set;
    set.values[3] = 42;
    EXPECT_EQ(0, q.GetLineSet(&set, 1));
    EXPECT_EQ("B", set.name);
    EXPECT_EQ(1, set.index);
    EXPECT_DOUBLE_EQ(42, set.values[3]);
    EXPECT_DOUBLE_EQ(1.0, set.values[6]);
    EXPECT_EQ("D:\\Surveys\\Site 7\\", q.GetDataDir());

    // The virtual walk takes its first lists with mode 1.
    EXPECT_EQ(1, q.GetLine(&info, 1, 0, LT_ANY, 1));
    EXPECT_EQ("X10", info.name);
    EXPECT_EQ(1, q.GetLine(&info, 1, 0, LT_ANY, 0));
    EXPECT_EQ("X5", info.name);
    EXPECT_EQ(0, q.GetLine(&info, -1, 0, LT_ANY, 1));
}

TEST(KvdDataBlockInterface, FilesCountsAndFiducials) {
    Opened o(Grid());
    const auto &q = *o.iface;
    // Every line of the walk: file counts and file records address the same line.
    int total = 0;
    for (int n = 0; n < q.GetNumLines(-1, LT_ANY); ++n) {
        ORQ::CKvdDataBlockInterface::SLineInfo line;
        ASSERT_EQ(1, q.GetLineInfo(&line, n, LT_ANY, -1, 1));
        const int files = q.GetFileCount(n, -1, LT_ANY, 1);
        total += files;
        for (int j = 0; j < files; ++j) {
            ORQ::CKvdDataBlockInterface::SFileInfo f;
            ASSERT_EQ(1, q.GetFileInfo(&f, j, n, LT_ANY, -1, 1));
            EXPECT_EQ(line.lineType, f.lineType);
            EXPECT_TRUE(f.settings);
            EXPECT_NE(std::string::npos, f.path.find(line.name)) << f.path;
        }
        ORQ::CKvdDataBlockInterface::SFileInfo none;
        EXPECT_EQ(0, q.GetFileInfo(&none, files, n, LT_ANY, -1, 1));
    }
    EXPECT_EQ(9, total);
    EXPECT_EQ(9, q.GetFileCount(-1, -1, LT_ANY, 1));

    ORQ::CKvdDataBlockInterface::SFileInfo f;
    ASSERT_EQ(1, q.GetFileInfo(&f, 0, 4, LT_ANY, 0, 1)); // Y20, with its folder
    EXPECT_EQ("LINES\\Y20", f.path);
    EXPECT_EQ(".dt1", f.extension);
    EXPECT_EQ(2, f.numPositions);
    ASSERT_TRUE(f.positions);
    EXPECT_DOUBLE_EQ(10, f.positions[1].Y);
    EXPECT_DOUBLE_EQ(0.1, f.odoStep);
    EXPECT_EQ(101u, f.dim2);
    EXPECT_DOUBLE_EQ(0.1, f.settings->m_StepSize.Value());
    ASSERT_EQ(1, q.GetFileInfo(&f, 1, 1, LT_ANY, -2, 2)); // FREE1, second file after the gap
    EXPECT_EQ("FREE1", f.path);
    EXPECT_EQ(0xFFFFFFFFu, f.dim2); // no header beside the project
    // Mode 2 counts lines of every type and gives nothing for a line of another type.
    EXPECT_EQ(0, q.GetFileInfo(&f, 0, 0, LT_YLINE, 0, 2));
    EXPECT_EQ(1, q.GetFileInfo(&f, 0, 1, LT_XLINE, 0, 2));
    // Line -1: files counted over the whole walk.
    ASSERT_EQ(1, q.GetFileInfo(&f, 6, -1, LT_ANY, -1, 1));
    EXPECT_EQ("FREE1B", f.path);

    SFidComment fid;
    EXPECT_TRUE(q.GetFidComment(&fid, 0, 2, 0, 1, LT_ANY, 0));
    EXPECT_EQ("second", fid.text);
    EXPECT_DOUBLE_EQ(6.096, fid.ododist);
    EXPECT_FALSE(q.GetFidComment(&fid, 0, 2, 0, 2, LT_ANY, 0));
    EXPECT_FALSE(q.GetFidComment(&fid, 0, 2, 1, 0, LT_ANY, 0));
    EXPECT_FALSE(q.GetFidComment(&fid, 3, 0, 0, 0, LT_ANY, 0));
    EXPECT_TRUE(q.GetFidComment(&fid, 0, 1, 0, 0, LT_ANY, 2)); // X10 by name

    // The lines outside sets by document order, with their extension lists.
    ORQ::CKvdDataBlockInterface::LineInfo li;
    ASSERT_EQ(1, q.GetLineInfo(1, &li));
    EXPECT_EQ("FREE1", li.name);
    EXPECT_EQ(1u, li.numExtensions);
    EXPECT_EQ(nullptr, li.converter);
    EXPECT_EQ(0, q.GetLineInfo(2, &li));
    ORQ::CKvdDataBlockInterface::ExtensionInfo ei;
    ASSERT_EQ(1, q.GetExtensionInfo(1, CStr(".DT1"), &ei));
    EXPECT_EQ(2u, ei.numFiles);
    EXPECT_EQ(0, q.GetExtensionInfo(1, CStr(".gps"), &ei));
    ORQ::CKvdDataBlockInterface::FileInfo fi;
    ASSERT_EQ(1, q.GetFileInfo(1, CStr(".dt1"), 1, &fi));
    EXPECT_EQ("FREE1", fi.name);
    EXPECT_EQ(0, q.GetFileInfo(1, 0, 2, &fi));
    EXPECT_EQ(0, q.GetFileInfo(5, 0, 0, &fi));
}

TEST(KvdDataBlockInterface, AddressesAndBadArguments) {
    Opened o(Grid());
    const auto &q = *o.iface;
    int line = 6;
    int set = -1;
    ELineType type = LT_ANY;
    ASSERT_EQ(1, q.GetLineAddress(&line, &type, &set, 1));
    EXPECT_EQ(-2, set);
    EXPECT_EQ(0, line);
    EXPECT_EQ(LT_XLINE, type);
    line = 1;
    set = -1;
    ASSERT_EQ(1, q.GetLineAddress(&line, nullptr, &set, 2));
    EXPECT_EQ(0, set);
    EXPECT_EQ(1, line);
    line = 9;
    set = -1;
    EXPECT_EQ(0, q.GetLineAddress(&line, nullptr, &set, 2));

    int file = 6;
    int passed = 0;
    set = -1;
    type = LT_ANY;
    EXPECT_EQ(7, q.GetFileAddress(&file, &passed, &type, &set, 1));
    EXPECT_EQ(-2, set);
    EXPECT_EQ(0, passed);
    EXPECT_EQ(0, file);
    file = 0;
    passed = 1; // pass over the first line of every list
    set = -1;
    EXPECT_EQ(1, q.GetFileAddress(&file, &passed, nullptr, &set, 2));
    EXPECT_EQ(0, set);
    EXPECT_EQ(1, passed);
    file = 99;
    EXPECT_EQ(0, q.GetFileAddress(&file, nullptr, nullptr, nullptr, 1));

    ORQ::CKvdDataBlockInterface::SLineInfo info;
    ORQ::CKvdDataBlockInterface::SFileInfo f;
    EXPECT_EQ(-1, q.GetLineInfo(&info, -1, LT_ANY, -1, 1));
    EXPECT_EQ(-1, q.GetLineInfo(&info, 0, static_cast<ELineType>(4), -1, 1));
    EXPECT_EQ(-1, q.GetLineInfo(&info, 0, LT_ANY, -3, 1));
    EXPECT_EQ(-1, q.GetLineInfo(&info, 0, LT_ANY, 4, 1));
    EXPECT_EQ(-1, q.GetLineInfo(&info, 0, LT_ANY, -1, 3));
    EXPECT_EQ(-1, q.GetLineInfo(nullptr, 0, LT_ANY, -1, 1));
    EXPECT_EQ(0, q.GetLineInfo(&info, 0, LT_ANY, 3, 1)); // the set count itself finds nothing
    EXPECT_EQ(-1, q.GetFileInfo(&f, -1, 0, LT_ANY, -1, 1));
    EXPECT_EQ(-1, q.GetFileInfo(&f, 0, -2, LT_ANY, -1, 1));
    EXPECT_EQ(-1, q.GetFileInfo(&f, 0, 0, LT_ANY, -1, 0));
    EXPECT_EQ(0, q.GetFileInfo(&f, 0, 0, LT_ANY, 3, 1));
    EXPECT_EQ(-1, q.GetFileCount(-2, -1, LT_ANY, 1));
    EXPECT_EQ(-1, q.GetFileCount(0, 5, LT_ANY, 1));
    EXPECT_EQ(0, q.GetFileCount(0, 3, LT_ANY, 1));
    EXPECT_EQ(0, q.GetFileCount(20, -1, LT_ANY, 1));
    line = -1;
    EXPECT_EQ(-1, q.GetLineAddress(&line, nullptr, nullptr, 1));
    EXPECT_EQ(-1, q.GetLineAddress(nullptr, nullptr, nullptr, 1));
    line = 0;
    set = 7;
    EXPECT_EQ(-1, q.GetLineAddress(&line, nullptr, &set, 1));
    set = 3;
    EXPECT_EQ(0, q.GetLineAddress(&line, nullptr, &set, 1));
    file = -1;
    EXPECT_EQ(-1, q.GetFileAddress(&file, nullptr, nullptr, nullptr, 1));

    EXPECT_TRUE(CKvdDataBlockInterface_V110::IsGPRData("LINE01.dt1"));
    EXPECT_TRUE(q.IsGPRData("HD+DT1"));
    EXPECT_FALSE(q.IsGPRData("line01.hd"));

    ORQ::CKvdDataBlockInterface::LineInfo a, b;
    b.lateralOffset = 1;
    EXPECT_EQ(1, CKvdDataBlockInterface::CompareLines(a, b));
    EXPECT_EQ(0, CKvdDataBlockInterface::CompareLines(b, a));

    char buf[100];
    KVDDataBlockInterfaceRM_GetVerStr(buf, sizeof buf);
    EXPECT_EQ(0, std::string(buf).find(
                     "KVDDataBlockInterfaceRM\t1.1.0.0\tVersion 1 Release 1\t2005-02-07\t"));
}

TEST(KvdDataBlockInterface, RebuildsLeaveCursorAndStackAlone) {
    Opened o(Grid());
    ORQ::CKVDXmlFile *f = o.project.File();
    f->GotoRootNode();
    f->GotoChildNode("Data", 0);
    f->GotoChildNode("LineSet", 1);
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<CKvdDataBlockInterface> again(
            CKvdDataBlockInterface::CreateAndInit(f, 1, nullptr));
        ASSERT_TRUE(again);
    }
    EXPECT_EQ(0u, f->GetPositionCount());
    CStr name("name");
    f->GetNodeAttribute(name);
    EXPECT_EQ("A", name);
}

TEST(KvdDataBlockInterface, ReportsOnceThroughTheMessageSink) {
    // No "Data": null, one message, the text handed back.
    {
        Opened o("<?xml version='1.0'?><ORQ_KVD version=\"1.1.0\"/>");
        EXPECT_FALSE(o.iface);
        EXPECT_EQ("\nError: No Datablock found!", o.errors);
        ASSERT_EQ(1u, o.sink.Messages().size());
        EXPECT_EQ(std::string(kHeader) + "\nError: No Datablock found!", o.sink.Messages()[0].text);
        EXPECT_EQ(ORQ::MB_OK | ORQ::MB_ICONWARNING, o.sink.Messages()[0].style);
    }
    // An old version loads with the warning; show 0 keeps quiet.
    {
        XmlNode data = DataNode("1.0.0");
        AddSettings(data);
        AddDataFile(data.Add("Line").Attr("name", "L"), "L", ".dt1", 1, {{0, 0, 0}, {0, 5, 1}});
        Opened o(ProjectText(data), 0);
        EXPECT_TRUE(o.iface);
        EXPECT_TRUE(o.sink.Messages().empty());
        EXPECT_EQ(
            "\nWarning: The KVD Data block you are attempting to open is not supportedby the "
            "current version of the software.\nInvalid Version.  We only support 1.10 to 1.20.",
            o.errors);
    }
    {
        XmlNode data = DataNode("1.1.0");
        AddSettings(data);
        Opened o(ProjectText(data));
        EXPECT_TRUE(o.iface);
        EXPECT_EQ("", o.errors);
        EXPECT_TRUE(o.sink.Messages().empty());
        EXPECT_EQ(0, o.iface->GetNumLines(-1, LT_ANY));
    }
}
