#include "KVD3/KvdSettingsBlock.h"
#include "KVD3/KVDXmlFile.h"
#include "Tamsel/Tamsel.h"
#include "tests/support/ProjectFixture.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <memory>

using ORQ::CKvdSettingsBlock_V110;
using ORQ::CStr;
using namespace kvdtest;

namespace {

// Loads the first "Settings" under "Data" of a document holding the given element text.
struct SettingsDoc {
    explicit SettingsDoc(const std::string &settings)
        : project("<?xml version='1.0'?><ORQ_KVD version=\"1.1.0\"><Data version=\"1.2.0\">" +
                  settings + "</Data></ORQ_KVD>") {
        EXPECT_TRUE(project.Loaded());
        ORQ::CKVDXmlFile *f = project.File();
        f->GotoRootNode();
        f->GotoChildNode("Data", 0);
        f->GotoChildNode("Settings", 0);
        result = block.LoadSettings(f, errors);
        CStr name;
        f->GetNodeName(name);
        cursor = name;
    }
    ProjectFixture project;
    CKvdSettingsBlock_V110 block;
    CStr errors;
    int result = 0;
    std::string cursor;
};

std::string SettingsText(const SettingsSpec &shape) {
    XmlNode holder("x");
    AddSettings(holder, shape);
    std::string out;
    holder.Write(out);
    return out.substr(3, out.size() - 3 - 4); // without <x> and </x>
}

struct HeaderDoc {
    explicit HeaderDoc(const HeaderSpec &shape)
        : project("<?xml version='1.0'?><ORQ_KVD version=\"1.1.0\"><Data/></ORQ_KVD>") {
        WriteHeader(project.Dir().File("LINE01.hd"), shape);
        EXPECT_FALSE(hd.Load(project.Dir().File("LINE01.hd").c_str(), ORQ::ST_FILE));
        project.File()->GotoRootNode();
        project.File()->GotoChildNode("Data", 0);
    }
    ProjectFixture project;
    ORQ::Tamsel hd;
};

} // namespace

TEST(KvdSettingsBlock, WritesTheElementFromAHeaderExactly) {
    HeaderSpec shape;
    shape.stackingType = "Moving Average";
    HeaderDoc doc(shape);
    ORQ::CKVDXmlFile *f = doc.project.File();
    EXPECT_EQ(1, f->WriteSettingsBlock_V110(doc.hd, 0.0));
    CStr name;
    f->GetNodeName(name);
    EXPECT_EQ("Data", name); // the cursor is back where it was
    EXPECT_EQ(0u, f->GetPositionCount());

    const std::string expected =
        "<Data><Settings version=\"1.2.0\">"
        "<Trace sample_cnt=\"512\" time_zero_cnt=\"20.000000\" interval_ns=\"0.200000\"/>"
        "<OdometerCal ticks_per_m=\"1000.000000\" sensorID=\"NA\"/>"
        "<StepSize units=\"m\">0.050000</StepSize>"
        "<NominalFrequency units=\"Mhz\">250.000000</NominalFrequency>"
        "<Pulse units=\"Vpp\">400.000000</Pulse>"
        "<Antenna><Receiver>"
        "<AntPosition X=\"0\" Y=\"0.500000\" Z=\"0\" units=\"m\" reference=\"relative\"/>"
        "<AntOrientation X=\"NA\" Y=\"NA\" Z=\"NA\" units=\"Perpendicular\" "
        "reference=\"relative\"/>"
        "</Receiver><Transmitter>"
        "<AntPosition X=\"0\" Y=\"-0.500000\" Z=\"0\" units=\"m\" reference=\"relative\"/>"
        "<AntOrientation X=\"NA\" Y=\"NA\" Z=\"NA\" units=\"Perpendicular\" "
        "reference=\"relative\"/>"
        "</Transmitter></Antenna>"
        "<SurveyMode>Reflection</SurveyMode>"
        "<Process operationUID=\"STACK@\" implementation=\"GPR System\" version=\"NA\" DIP=\"NA\" "
        "buffer=\"no\" ID=\"-1\"><Stack type=\"sample\">4</Stack>"
        "<Process operationUID=\"STACK@\" implementation=\"GPR System\" version=\"NA\" DIP=\"NA\" "
        "buffer=\"no\" ID=\"-2\"><Stack type=\"trace\">Moving Average</Stack></Process>"
        "</Process></Settings></Data>";
    const std::string text = doc.project.Text();
    EXPECT_NE(std::string::npos, text.find(expected)) << text;

    // A given step replaces the header's; numbers stay in the "C" locale.
    const char *old = std::setlocale(LC_ALL, "de_DE.UTF-8");
    f->WriteSettingsBlock_V110(doc.hd, 0.125);
    if (old)
        std::setlocale(LC_ALL, "C");
    EXPECT_NE(std::string::npos,
              doc.project.Text().find("<StepSize units=\"m\">0.125000</StepSize>"));
}

TEST(KvdSettingsBlock, ZeroSamplesWriteNoInfinity) {
    HeaderSpec shape;
    shape.points = 0;
    HeaderDoc doc(shape);
    doc.project.File()->WriteSettingsBlock_V110(doc.hd, 0.0);
    const std::string text = doc.project.Text();
    EXPECT_NE(std::string::npos, text.find("interval_ns=\"0.000000\"")) << text;
    EXPECT_EQ(std::string::npos, text.find("inf"));
    EXPECT_EQ(std::string::npos, text.find("nan"));
    std::unique_ptr<CKvdSettingsBlock_V110> block(
        static_cast<CKvdSettingsBlock_V110 *>(doc.project.File()->LoadSettings110FromHd(doc.hd)));
    ASSERT_TRUE(block);
    EXPECT_EQ(0.0, block->m_SampleInterval);
}

TEST(KvdSettingsBlock, BlockReadBackComparesEqualToTheHeaderBlock) {
    for (const char *units : {"m", "ft"}) {
        for (const char *mode : {"Reflection", "CMP"}) {
            HeaderSpec shape;
            shape.units = units;
            shape.surveyMode = mode;
            shape.timeWindow = 100; // 100 / 512 does not survive six decimals exactly
            shape.separation = 0.333333333;
            HeaderDoc doc(shape);
            ORQ::CKVDXmlFile *f = doc.project.File();
            f->WriteSettingsBlock_V110(doc.hd, 0.0);
            f->GotoChildNode("Settings", 0);
            CKvdSettingsBlock_V110 read;
            CStr errors;
            EXPECT_EQ(1, read.LoadSettings(f, errors));
            EXPECT_EQ("", errors);
            std::unique_ptr<CKvdSettingsBlock_V110> fromHd(
                static_cast<CKvdSettingsBlock_V110 *>(f->LoadSettings110FromHd(doc.hd)));
            ASSERT_TRUE(fromHd);
            EXPECT_EQ(1, fromHd->Compare(&read)) << units << " " << mode;
            EXPECT_EQ(1, read.Compare(fromHd.get()));
            EXPECT_EQ(std::string(mode) == "CMP" ? 1 : 0, read.m_SurveyMode);
            EXPECT_EQ(ORQ::CMeasure::StringToUnit(units), read.m_StepSize.Units());
            EXPECT_NEAR(0.5 * ORQ::CMeasure::ConvertTo(
                                  0.333333333, ORQ::CMeasure::StringToUnit(units), ORQ::UNIT_M),
                        read.m_Receiver.Y, 1e-6);
            ASSERT_EQ(1u, read.m_ProcessList.size());
            EXPECT_EQ("Stack sample=4", read.m_ProcessList.front());

            // A real difference is still seen; the transmitter alone is not compared.
            CKvdSettingsBlock_V110 other(read);
            other.m_Transmitter.Y = 7;
            other.m_ProcessList.clear();
            EXPECT_EQ(1, read.Compare(&other));
            other.m_StepSize =
                ORQ::SMeasure(other.m_StepSize.Value() + 0.001, other.m_StepSize.Units());
            EXPECT_EQ(0, read.Compare(&other));
        }
    }
}

TEST(KvdSettingsBlock, HeaderNotLoadedWritesNothing) {
    ProjectFixture project("<?xml version='1.0'?><ORQ_KVD><Data/></ORQ_KVD>");
    ORQ::Tamsel hd;
    project.File()->GotoRootNode();
    project.File()->GotoChildNode("Data", 0);
    EXPECT_EQ(0, project.File()->WriteSettingsBlock_V110(hd, 0.0));
    EXPECT_EQ(nullptr, project.File()->LoadSettings110FromHd(hd));
    EXPECT_EQ(std::string::npos, project.Text().find("Settings"));
}

TEST(KvdSettingsBlock, ReadsEveryFieldAndUnit) {
    SettingsDoc doc(
        "<Settings version=\"1.3.0\"><Trace sample_cnt=\"1024\" time_zero_cnt=\"31\" "
        "interval_ns=\"0.1\"/><StepSize units=\"feet\">0.25</StepSize>"
        "<NominalFrequency units=\"Hz\">400000000</NominalFrequency><Pulse units=\"V\">1000</Pulse>"
        "<OdometerCal ticks_per_m=\"512.5\" sensorID=\"7\"/><Antenna><Receiver>"
        "<AntPosition X=\"50\" Y=\"10\" Z=\"NA\" units=\"cm\" reference=\"relative\"/>"
        "<AntOrientation X=\"1\" Y=\"2\" Z=\"3\" units=\"-Parallel\" reference=\"relative\"/>"
        "</Receiver><Transmitter><AntPosition X=\"50\" Y=\"1\" Z=\"2\" units=\"cm\" "
        "reference=\"file\"/>"
        "<AntOrientation X=\"10\" Y=\"20\" Z=\"30\" units=\"Spherical\" reference=\"absolute\"/>"
        "</Transmitter></Antenna><SurveyMode>Trans. - ZOP</SurveyMode>"
        "<Process operationUID=\"GAIN@@\"><Process operationUID=\"STACK@\"/></Process></Settings>");
    EXPECT_EQ(1, doc.result);
    EXPECT_EQ("Settings", doc.cursor);
    EXPECT_EQ("\nWarning: KVD Settings block is of a newer version than this program."
              "\nError: <Pulse> must be in units of \"Vpp\".",
              doc.errors);
    const CKvdSettingsBlock_V110 &b = doc.block;
    EXPECT_EQ(1024u, b.m_SampleCnt);
    EXPECT_DOUBLE_EQ(31, b.m_TimeZero);
    EXPECT_DOUBLE_EQ(0.1, b.m_SampleInterval);
    EXPECT_DOUBLE_EQ(0.25, b.m_StepSize.Value());
    EXPECT_EQ(ORQ::UNIT_FT, b.m_StepSize.Units());
    EXPECT_DOUBLE_EQ(400, b.m_NominalFrequency);
    EXPECT_DOUBLE_EQ(1000, b.m_Pulse);
    EXPECT_DOUBLE_EQ(512.5, b.m_OdometerCal);
    EXPECT_EQ(7, b.m_SensorID);
    EXPECT_EQ(CKvdSettingsBlock_V110::SURVEY_TRANS_ZOP, b.m_SurveyMode);
    EXPECT_DOUBLE_EQ(0.5, b.m_Receiver.X);
    EXPECT_DOUBLE_EQ(0.1, b.m_Receiver.Y);
    EXPECT_DOUBLE_EQ(0, b.m_Receiver.Z);
    EXPECT_EQ(CKvdSettingsBlock_V110::ORIENT_PARALLEL, b.m_Receiver.OrientationKind);
    EXPECT_DOUBLE_EQ(270, b.m_Receiver.Orientation[0]);
    EXPECT_DOUBLE_EQ(90, b.m_Receiver.Orientation[1]);
    EXPECT_DOUBLE_EQ(0, b.m_Receiver.Orientation[2]);
    EXPECT_EQ(1, b.m_Receiver.Reversed);
    EXPECT_EQ(CKvdSettingsBlock_V110::REF_FILE, b.m_Transmitter.PositionReference);
    EXPECT_DOUBLE_EQ(50, b.m_Transmitter.X); // a file reference stays unconverted
    EXPECT_EQ(CKvdSettingsBlock_V110::ORIENT_SPHERICAL, b.m_Transmitter.OrientationKind);
    EXPECT_DOUBLE_EQ(20, b.m_Transmitter.Orientation[1]);
    ASSERT_EQ(2u, b.m_ProcessList.size());
    EXPECT_EQ("GAIN@@", b.m_ProcessList.front());
    EXPECT_EQ("Stack type=Stack", b.m_ProcessList.back());
}

TEST(KvdSettingsBlock, MissingElementsAreReportedOneByOne) {
    for (const char *element : {"Trace", "StepSize", "NominalFrequency", "Pulse", "OdometerCal",
                                "Antenna", "SurveyMode"}) {
        SettingsSpec shape;
        shape.omit = {element};
        SettingsDoc doc(SettingsText(shape));
        EXPECT_EQ(0, doc.result) << element;
        EXPECT_EQ(std::string("\nError: Missing element in <Settings> block: <") + element + ">",
                  doc.errors);
        EXPECT_EQ("Settings", doc.cursor);
    }
    // A block missing only "Trace" still reads the rest.
    SettingsSpec shape;
    shape.omit = {"Trace"};
    SettingsDoc doc(SettingsText(shape));
    EXPECT_DOUBLE_EQ(0.05, doc.block.m_StepSize.Value());
    EXPECT_DOUBLE_EQ(250, doc.block.m_NominalFrequency);
    EXPECT_DOUBLE_EQ(400, doc.block.m_Pulse);
    EXPECT_DOUBLE_EQ(0.5, doc.block.m_Receiver.Y);

    // An antenna without its parts and garbage numbers: no crash, cursor back, zeros.
    SettingsDoc bare(
        "<Settings><Trace sample_cnt=\"lots\" interval_ns=\"1e999\"/><StepSize>x</StepSize>"
        "<NominalFrequency units=\"MHz\">nan</NominalFrequency><Pulse units=\"Vpp\">12"
        "</Pulse><OdometerCal/><Antenna><Receiver/></Antenna><SurveyMode/></Settings>");
    EXPECT_EQ(1, bare.result);
    EXPECT_EQ("", bare.errors);
    EXPECT_EQ("Settings", bare.cursor);
    EXPECT_EQ(0u, bare.block.m_SampleCnt);
    EXPECT_EQ(0.0, bare.block.m_SampleInterval);
    EXPECT_EQ(0.0, bare.block.m_NominalFrequency);
    EXPECT_DOUBLE_EQ(12, bare.block.m_Pulse);
}

TEST(KvdSettingsBlock, CopyIdentityAndSeparation) {
    CKvdSettingsBlock_V110 a, b;
    a.m_SampleCnt = 5;
    a.m_Receiver.Y = 0.5;
    a.m_Transmitter.Y = -0.5;
    a.m_ProcessList.push_back("x");
    b = &a;
    EXPECT_EQ(5u, b.m_SampleCnt);
    EXPECT_DOUBLE_EQ(0.5, b.m_Receiver.Y);
    EXPECT_DOUBLE_EQ(0, b.m_Transmitter.Y);
    EXPECT_TRUE(b.m_ProcessList.empty());
    EXPECT_EQ(1, a != &b);
    EXPECT_EQ(0, a != &a);
    EXPECT_DOUBLE_EQ(1.0, CKvdSettingsBlock_V110::AntennaSeparation(a.m_Receiver, a.m_Transmitter));

    char buf[80];
    KVDSettingsBlock_GetVerStr(buf, 20);
    EXPECT_EQ("KVDSettingsBlock\t1.", std::string(buf));
}
