#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "KVD3/KvdInterface.h"
#include "KVD3/LineOffsetDlg.h"

#include "orq_utils/MessageSink.h"
#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using ORQ::CKVDXmlFile;
using ORQ::CLineOffsetDlg;
using ORQ::CStr;
using ORQ::SCreatedBy;

namespace {

const char kCreateFailed[] = "The KVD file could not be created due to the following error(s):\n";

// The writer's protected steps, for the tests.
class WriterFile : public CKVDXmlFile {
public:
    using CKVDXmlFile::GetSenOdometer;
    using CKVDXmlFile::NewDocument;
    using CKVDXmlFile::WriteSiteDefinition;
};

SCreatedBy Creator() {
    SCreatedBy record;
    record.name = "KVD_Edit";
    record.version = "4.1.1.0";
    record.DIP = "DIP-7";
    record.when = ORQ::CDateTime(2024, 3, 5, 7, 8, 9);
    return record;
}

// Answers the line offset dialog as a person would: counts the questions, records the preset
// shown and enters a text (none: closes the dialog without OK).
class OffsetAnswer {
public:
    explicit OffsetAnswer(const char *text) : m_text(text ? text : "") {
        m_before = CLineOffsetDlg::SetPresenter([this, text](CLineOffsetDlg &dialog) {
            ++m_asked;
            m_preset = dialog.m_LineOffset;
            CStr edit = m_text;
            return text && dialog.DoDataExchange(edit, true) ? ORQ::IDOK : ORQ::IDCANCEL;
        });
    }
    ~OffsetAnswer() { CLineOffsetDlg::SetPresenter(m_before); }
    int Asked() const { return m_asked; }
    double Preset() const { return m_preset; }

private:
    std::string m_text;
    CLineOffsetDlg::Presenter m_before;
    int m_asked = 0;
    double m_preset = 0;
};

// A folder of generated radar lines.
struct Survey {
    kvdtest::TempDir dir;
    std::string Line(const std::string &name, const std::string &unit = "m", double step = 0.05,
                     const std::string &date = "2024/03/05") {
        kvdtest::SRadarLine line;
        line.traces = 20;
        line.samples = 32;
        line.unit = unit;
        line.step = step;
        line.date = date;
        line.synthetic = false;
        EXPECT_TRUE(kvdtest::WriteRadarLine(dir.File(name), line));
        return dir.File(name + ".dt1");
    }
    std::string Sensor(const std::string &name, const std::string &odometer) {
        kvdtest::WriteFile(dir.File(name),
                           "<?xml version='1.0'?><Sensor>" + odometer + "</Sensor>");
        return dir.File(name);
    }
    std::string Project() const { return dir.File("new.kvd"); }
};

// The written project, opened again.
struct Written {
    explicit Written(const std::string &path) {
        loaded = file.Initialize(path) == 1;
        if (loaded)
            file.GetFileHnd()->Serialize(text);
    }
    bool Has(const std::string &piece) const { return text.find(piece) != std::string::npos; }
    size_t Count(const std::string &piece) const {
        size_t n = 0;
        for (size_t pos = text.find(piece); pos != std::string::npos;
             pos = text.find(piece, pos + 1))
            ++n;
        return n;
    }
    // The data block through the editor's reader: it must read without any error.
    std::unique_ptr<ORQ::CKvdDataBlockInterface> Read(CStr &errors) {
        return std::unique_ptr<ORQ::CKvdDataBlockInterface>(
            ORQ::CKvdDataBlockInterface::CreateAndInit(&file, 0, &errors));
    }
    CKVDXmlFile file;
    bool loaded = false;
    std::string text;
};

std::string LinearRef(const char *lateral, const char *units) {
    return std::string("<LinearRef ododist=\"0.0\" refdist=\"0.0\" reflateral=\"") + lateral +
           "\" units=\"" + units + "\"/>";
}

} // namespace

TEST(NewFileWriter, LinesFromFileNumbersSideBySideAtTheEnteredOffset) {
    Survey survey;
    const std::vector<CStr> files = {survey.Line("GRIDC4B1"), survey.Line("GRIDC2B1"),
                                     survey.Line("gridc4b2"), survey.Line("GRIDC1B1")};
    OffsetAnswer answer("0.5");
    kvdtest::CaptureSink sink;
    CKVDXmlFile file;
    EXPECT_EQ(0, file.CreateNewFile_V110(survey.Project(), Creator(), files, nullptr));
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    EXPECT_EQ(1, answer.Asked());
    EXPECT_EQ(0.1, answer.Preset()) << "the dialog opens on its preset";
    EXPECT_EQ(survey.Project(), file.GetFilePathName());

    Written out(survey.Project());
    ASSERT_TRUE(out.loaded);
    EXPECT_EQ(0u,
              out.text.find("<?xml version='1.0'?>\n<ORQ_KVD version=\"1.1.0\"><!--Brenwick Inc. "
                            "Grid, File information, & Project File--><SiteDefinition>"))
        << out.text;
    EXPECT_TRUE(out.Has("<Data version=\"1.1.0\"><CreatedBy name=\"KVD_Edit\" version=\"4.1.1.0\" "
                        "DIP=\"DIP-7\" date=\"2024-03-05\" time=\"07:08:09\"/><DataDirPath>" +
                        survey.dir.Path() + "/</DataDirPath><Line name=\"Line1\"><Settings"));
    EXPECT_EQ(3u, out.Count("<Line name="));
    EXPECT_TRUE(out.Has(LinearRef("0.000000", "m") + "</Line><Line name=\"Line2\">"));
    EXPECT_TRUE(out.Has(LinearRef("0.500000", "m") + "</Line><Line name=\"Line4\">"));
    EXPECT_TRUE(out.Has(LinearRef("1.500000", "m") + "</Line></Data>"));
    EXPECT_EQ(3u, out.Count("<Settings version=")) << "one per line, none for the block";
    EXPECT_TRUE(out.Has("<DataFile name=\"GRIDC4B1\" seq=\"1\" ext=\"HD+DT1\"><FileType "
                        "UID=\"COR@@@\"/><Odometer start=\"0.000000\" end=\"0.950000\" "
                        "step=\"0.050000\" units=\"m\"/></DataFile>"
                        "<DataFile name=\"gridc4b2\" seq=\"2\" ext=\"HD+DT1\">"))
        << "names as on disk, in sequence order";

    CStr errors;
    auto data = out.Read(errors);
    ASSERT_NE(nullptr, data);
    EXPECT_EQ("", errors);
    ASSERT_EQ(3, data->GetNumLines(-2, LT_ANY));
    const char *names[] = {"Line1", "Line2", "Line4"};
    const double lateral[] = {0.0, 0.5, 1.5};
    for (int i = 0; i < 3; ++i) {
        ORQ::CKvdDataBlockInterface::LineInfo line;
        ASSERT_EQ(1, data->GetLineInfo(i, &line));
        EXPECT_EQ(names[i], line.name);
        EXPECT_NEAR(lateral[i], line.lateralOffset, 1e-9) << names[i];
    }
    ORQ::CKvdDataBlockInterface::ExtensionInfo ext;
    ASSERT_EQ(1, data->GetExtensionInfo(2, "HD+DT1", &ext));
    EXPECT_EQ(2u, ext.numFiles) << "Line4 holds two sequences";
}

TEST(NewFileWriter, OffsetOfFeetHeadersIsStoredInFeet) {
    Survey survey;
    const std::vector<CStr> files = {survey.Line("GRIDC1B1", "ft", 0.1),
                                     survey.Line("GRIDC2B1", "ft", 0.1),
                                     survey.Line("GRIDC4B1", "ft", 0.1)};
    OffsetAnswer answer("0.5");
    CKVDXmlFile file;
    EXPECT_EQ(0, file.CreateNewFile_V110(survey.Project(), Creator(), files, nullptr));
    Written out(survey.Project());
    EXPECT_TRUE(out.Has(LinearRef("0.000000", "ft")));
    EXPECT_TRUE(out.Has(LinearRef("1.640420", "ft"))) << "0.5 m";
    EXPECT_TRUE(out.Has(LinearRef("4.921260", "ft"))) << "1.5 m";
    EXPECT_TRUE(out.Has("step=\"0.100000\" units=\"ft\""));
    CStr errors;
    auto data = out.Read(errors);
    ASSERT_NE(nullptr, data);
    EXPECT_EQ("", errors);
    ORQ::CKvdDataBlockInterface::LineInfo line;
    ASSERT_EQ(1, data->GetLineInfo(1, &line));
    EXPECT_NEAR(0.5, line.lateralOffset, 1e-6) << "read back in metres";
}

TEST(NewFileWriter, EachLineTakesItsUnitAndSettingsFromItsOwnHeaders) {
    Survey survey;
    // Line 2's only header is missing: its entry is passed over and the line left out.
    const std::string missing = survey.Line("GRIDC2B1");
    std::remove(survey.dir.File("GRIDC2B1.hd").c_str());
    const std::vector<CStr> files = {survey.Line("GRIDC1B1", "ft", 0.2),
                                     survey.Line("GRIDC1B2", "m", 0.3), missing,
                                     survey.Line("GRIDC3B1", "m", 0.05)};
    OffsetAnswer answer(nullptr); // closed without OK: the preset 0.1 m
    kvdtest::CaptureSink sink;
    CKVDXmlFile file;
    EXPECT_EQ(0, file.CreateNewFile_V110(survey.Project(), Creator(), files, nullptr));
    ASSERT_EQ(1u, sink.Messages().size());
    EXPECT_EQ("The KVD file was created with the following warning(s):\n\nWarning: Line2 was not "
              "written: no radar line header of its data files could be read.",
              sink.Messages()[0].text);

    Written out(survey.Project());
    EXPECT_FALSE(out.Has("<Line name=\"Line2\"")) << "a line with nothing in it is not written";
    EXPECT_TRUE(out.Has("<StepSize units=\"ft\">0.200000</StepSize>"))
        << "Line1's settings from its first header";
    EXPECT_FALSE(out.Has(">0.300000</StepSize>"));
    EXPECT_TRUE(out.Has(LinearRef("0.000000", "ft") + "</Line><Line name=\"Line3\">"))
        << "Line1 in the unit of its own first header";
    EXPECT_TRUE(out.Has(LinearRef("0.200000", "m") + "</Line></Data>"))
        << "Line3: (3 - 1) x 0.1 m, not in the unit of the header read last";
    CStr errors;
    EXPECT_NE(nullptr, out.Read(errors));
    EXPECT_EQ("", errors);
}

TEST(NewFileWriter, OneLineNumberAsksNothingAndMissingHeadersArePassedOver) {
    Survey survey;
    const std::vector<CStr> files = {
        survey.Line("GRIDC1B1", "m", 0.05), survey.dir.File("GRIDC1B2.DT1"),
        survey.Line("GRIDC1B3", "m", 0.1), survey.dir.File("GRIDC1B1.GPS")};
    OffsetAnswer answer("5");
    kvdtest::CaptureSink sink;
    CKVDXmlFile file;
    EXPECT_EQ(
        0, file.CreateNewFile_V110(survey.Project(), Creator(), files, survey.dir.Path().c_str()));
    EXPECT_EQ(0, answer.Asked());
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    Written out(survey.Project());
    EXPECT_TRUE(out.Has("<DataDirPath>" + survey.dir.Path() + "/</DataDirPath>"))
        << "the separator is added to a folder given without one";
    EXPECT_TRUE(out.Has("<DataFile name=\"GRIDC1B1\" seq=\"1\""));
    EXPECT_TRUE(out.Has("<DataFile name=\"GRIDC1B3\" seq=\"2\""));
    EXPECT_EQ(2u, out.Count("<DataFile "));
    EXPECT_TRUE(out.Has("<StepSize units=\"m\">0.050000</StepSize>"));
    EXPECT_TRUE(out.Has(LinearRef("0.000000", "m") + "</Line></Data>"));
}

TEST(NewFileWriter, FindsDataFilesInEitherLetterCase) {
    Survey survey;
    survey.Line("gridc1b1");
    survey.Line("GridC2B1");
    survey.Sensor("GRIDC2B2.Sen", "<Odometer start=\"1.5\" end=\"7\" units=\"ft\"/>");
    const std::vector<CStr> files = {survey.dir.File("GRIDC1B1.DT1"),
                                     survey.dir.File("GRIDC2B1.DT1"),
                                     survey.dir.File("gridc2b2.SEN")};
    OffsetAnswer answer("1");
    kvdtest::CaptureSink sink;
    CKVDXmlFile file;
    EXPECT_EQ(0, file.CreateNewFile_V110(survey.Project(), Creator(), files, nullptr));
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    Written out(survey.Project());
    EXPECT_TRUE(out.Has("<DataFile name=\"gridc1b1\" seq=\"1\" ext=\"HD+DT1\">"));
    EXPECT_TRUE(out.Has("<DataFile name=\"GridC2B1\" seq=\"1\" ext=\"HD+DT1\">"));
    EXPECT_TRUE(out.Has("<DataFile name=\"GRIDC2B2\" seq=\"1\" ext=\".SEN\"><Odometer "
                        "start=\"1.500000\" end=\"7.000000\" step=\"NA\" units=\"ft\"/></DataFile>"
                        "<LinearRef"))
        << "the sensor file's numbers put it in line 2";
    EXPECT_TRUE(out.Has("<Job date=\"2024-03-05\" time=\"00:00:00\">Unknown job 2024-03-05 "
                        "00:00:00</Job>"))
        << "the site definition from the first header, found in another letter case";
    CStr errors;
    EXPECT_NE(nullptr, out.Read(errors));
    EXPECT_EQ("", errors);
}

TEST(NewFileWriter, SensorFilesOfALineWithoutHeaderTakeTheBlockSettings) {
    Survey survey;
    const std::vector<CStr> files = {
        survey.Line("GRIDC1B1"),
        survey.Sensor("GRIDC2B1.sen", "<Odometer start=\"0\" end=\"3\" units=\"m\"/>"),
        survey.Sensor("GRIDC2B2.sen", "<Odometer start=\"3\" end=\"5\"/>")};
    OffsetAnswer answer("2");
    kvdtest::CaptureSink sink;
    CKVDXmlFile file;
    EXPECT_EQ(0, file.CreateNewFile_V110(survey.Project(), Creator(), files, nullptr));
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    Written out(survey.Project());
    EXPECT_TRUE(out.Has("</DataDirPath><Settings version="));
    EXPECT_TRUE(out.Has("<DataFile name=\"GRIDC2B2\" seq=\"2\" ext=\".SEN\"><Odometer "
                        "start=\"3.000000\" end=\"5.000000\" step=\"NA\" units=\"m\"/>"))
        << "metres when the sensor file names no unit";
    EXPECT_TRUE(out.Has(LinearRef("2.000000", "m") + "</Line></Data>"));
    CStr errors;
    auto data = out.Read(errors);
    ASSERT_NE(nullptr, data);
    EXPECT_EQ("", errors) << "every data file has settings in force";
    EXPECT_EQ(2, data->GetNumLines(-2, LT_ANY));
}

TEST(NewFileWriter, SensorFilesWithoutAnyHeaderAreLeftOutWithAWarning) {
    Survey survey;
    const std::vector<CStr> files = {
        survey.Sensor("GRIDC1B1.sen", "<Odometer start=\"0\" end=\"3\" units=\"m\"/>")};
    kvdtest::CaptureSink sink;
    CKVDXmlFile file;
    EXPECT_EQ(0, file.CreateNewFile_V110(survey.Project(), Creator(), files, nullptr));
    ASSERT_EQ(1u, sink.Messages().size());
    EXPECT_NE(std::string::npos, sink.Messages()[0].text.find("Line1 was not written"));
    Written out(survey.Project());
    EXPECT_FALSE(out.Has("<SiteDefinition")) << "no trace file, no site definition";
    EXPECT_FALSE(out.Has("<Line "));
    CStr errors;
    EXPECT_NE(nullptr, out.Read(errors));
    EXPECT_EQ("", errors);
}

TEST(NewFileWriter, AnUnreadableSensorFileFailsAndKeepsTheHeldDocument) {
    Survey survey;
    const std::string old = "<?xml version='1.0'?>\n<ORQ_KVD version=\"1.1.0\"><Data/></ORQ_KVD>\n";
    kvdtest::WriteFile(survey.dir.File("old.kvd"), old);
    const std::vector<std::pair<std::string, std::string>> sensors = {{"no odometer", "<Other/>"},
                                                                      {"not xml", ""}};
    for (const auto &sensor : sensors) {
        SCOPED_TRACE(sensor.first);
        const std::vector<CStr> files = {survey.Line("GRIDC1B1"),
                                         survey.Sensor("GRIDC2B1.sen", sensor.second)};
        if (sensor.second.empty())
            kvdtest::WriteFile(files[1], "not a sensor file");
        CKVDXmlFile file;
        ASSERT_EQ(1, file.Initialize(survey.dir.File("old.kvd")));
        file.GotoChildNode("Data", 0);
        file.PushPosition();
        kvdtest::CaptureSink sink;
        EXPECT_EQ(CKVDXmlFile::CREATE_FAILED,
                  file.CreateNewFile_V110(survey.Project(), Creator(), files, nullptr));
        ASSERT_FALSE(sink.Messages().empty());
        EXPECT_EQ(std::string(kCreateFailed) + "Cannot read SEN file!",
                  sink.Messages().back().text);
        EXPECT_FALSE(kvdtest::FileExists(survey.Project())) << "nothing saved";
        // The document held before is untouched, with its path and remembered position.
        EXPECT_EQ(survey.dir.File("old.kvd"), file.GetFilePathName());
        std::string text;
        file.GetFileHnd()->Serialize(text);
        EXPECT_EQ(old, text);
        EXPECT_EQ(1u, file.GetPositionCount());
        file.GotoRootNode();
        EXPECT_EQ(1, file.GotoTopPosition());
        CStr name;
        file.GetNodeName(name);
        EXPECT_EQ("Data", name);
    }
}

TEST(NewFileWriter, ASaveFailureIsReturnedAndKeepsTheHeldDocument) {
    Survey survey;
    const std::vector<CStr> files = {survey.Line("GRIDC1B1")};
    kvdtest::WriteFile(survey.dir.File("old.kvd"), "<ORQ_KVD><Data/></ORQ_KVD>");
    CKVDXmlFile file;
    ASSERT_EQ(1, file.Initialize(survey.dir.File("old.kvd")));
    kvdtest::CaptureSink sink;
    const int result = file.CreateNewFile_V110(survey.dir.File("no/such/folder/new.kvd"), Creator(),
                                               files, nullptr);
    EXPECT_TRUE(result == 202 || result == -200) << result;
    EXPECT_TRUE(sink.Messages().empty()) << "a save failure is its code, with no message";
    EXPECT_EQ(survey.dir.File("old.kvd"), file.GetFilePathName());
    EXPECT_EQ(0, file.Save(CStr()));
    EXPECT_EQ("<ORQ_KVD><Data/></ORQ_KVD>\n", kvdtest::ReadFile(survey.dir.File("old.kvd")));
}

TEST(NewFileWriter, AnEmptyListBuildsTheHeadOnlyAndNeverSavesOverTheOldFile) {
    Survey survey;
    kvdtest::WriteFile(survey.dir.File("old.kvd"), "<ORQ_KVD><Data/></ORQ_KVD>");
    for (const std::string &path : {std::string(), survey.Project()}) {
        SCOPED_TRACE(path);
        CKVDXmlFile file;
        ASSERT_EQ(1, file.Initialize(survey.dir.File("old.kvd")));
        EXPECT_EQ(CKVDXmlFile::CREATE_EMPTY_LIST,
                  file.CreateNewFile_V110(path, Creator(), {}, nullptr));
        EXPECT_FALSE(kvdtest::FileExists(survey.Project()));
        std::string text;
        file.GetFileHnd()->Serialize(text);
        EXPECT_EQ("<?xml version='1.0'?>\n<ORQ_KVD version=\"1.1.0\"><!--Brenwick Inc. Grid, File "
                  "information, & Project File--></ORQ_KVD>\n",
                  text);
        EXPECT_EQ(path, file.GetFilePathName()) << "the new document's own path, or none";
        EXPECT_EQ(path.empty() ? 201 : 0, file.Save(CStr()));
        EXPECT_EQ("<ORQ_KVD><Data/></ORQ_KVD>", kvdtest::ReadFile(survey.dir.File("old.kvd")));
        std::remove(survey.Project().c_str());
    }
}

TEST(NewFileWriter, SiteDefinitionFromTheFirstHeaderReadsBack) {
    Survey survey;
    survey.Line("GRIDC1B1", "m", 0.05, "2023/06/14");
    WriterFile file;
    ASSERT_EQ(1, file.NewDocument());
    ASSERT_EQ(1, file.GetFileHnd()->InitializeNewXmlFile(nullptr, "ORQ_KVD"));
    file.SetNodeAttribute("version", "1.1.0");
    EXPECT_EQ(1, file.WriteSiteDefinition(Creator(), survey.dir.File("GRIDC1B1.hd")));
    CStr name;
    file.GetNodeName(name);
    EXPECT_EQ("ORQ_KVD", name) << "the cursor back where it started";
    std::string text;
    file.GetFileHnd()->Serialize(text);
    EXPECT_NE(std::string::npos,
              text.find("<SiteDefinition><CreatedBy name=\"KVD_Edit\" version=\"4.1.1.0\" "
                        "DIP=\"DIP-7\" date=\"2024-03-05\" time=\"07:08:09\"/>"
                        "<Operator>NA</Operator><CompanyName>NA</CompanyName><SiteName>NA"
                        "</SiteName><Job date=\"2023-06-14\" time=\"00:00:00\">Unknown job "
                        "2023-06-14 00:00:00</Job></SiteDefinition>"))
        << text;

    kvdtest::CaptureSink sink;
    std::unique_ptr<ORQ::CKvdInterface> kvd(ORQ::CKvdInterface::CreateAndInit(&file));
    ASSERT_NE(nullptr, kvd);
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    const ORQ::CSiteDefinition &site = *kvd->GetSiteDefinition();
    for (const char *field : {"Operator", "CompanyName", "SiteName"}) {
        CStr value;
        EXPECT_EQ(1, site.GetFieldString(field, value)) << field;
        EXPECT_EQ("NA", value) << field;
    }
    EXPECT_EQ(1, site.m_JobDateValid);
    EXPECT_EQ(ORQ::CDateTime(2023, 6, 14, 0, 0, 0), site.m_JobDate);
    ORQ::SCreatedBy record;
    file.GotoRootNode();
    file.GotoChildNode("SiteDefinition", 0);
    ASSERT_EQ(1, kvd->GetCreatedByBlock(&record, 1));
    EXPECT_EQ("DIP-7", record.DIP);

    // A header that does not load gives the invalid-date text in all three places.
    file.GotoRootNode();
    file.WriteSiteDefinition(Creator(), survey.dir.File("missing.hd"));
    file.GetFileHnd()->Serialize(text);
    EXPECT_NE(std::string::npos, text.find("<Job date=\"Invalid DateTime\" time=\"Invalid "
                                           "DateTime\">Unknown job Invalid DateTime</Job>"));
}

TEST(NewFileWriter, SensorOdometerRange) {
    Survey survey;
    double start = -1, end = -1;
    CStr unit;
    kvdtest::CaptureSink sink;
    EXPECT_EQ(1, WriterFile::GetSenOdometer(
                     survey.Sensor("a.sen", "<Odometer start=\"2.5\" end=\"NA\" units=\"ft\"/>"),
                     start, end, unit));
    EXPECT_EQ(2.5, start);
    EXPECT_EQ(0.0, end) << "a text without a number reads as 0";
    EXPECT_EQ("ft", unit);
    EXPECT_EQ(1, WriterFile::GetSenOdometer(
                     survey.Sensor("c.sen", "<Odometer start=\"1e999\" end=\"nan\"/>"), start, end,
                     unit));
    EXPECT_EQ(0.0, start) << "beyond the double range";
    EXPECT_EQ(0.0, end);
    EXPECT_EQ("m", unit) << "no units: metres";
    EXPECT_EQ(0, WriterFile::GetSenOdometer(survey.Sensor("b.sen", "<Other/>"), start, end, unit));
    EXPECT_TRUE(sink.Messages().empty());
    EXPECT_EQ(0, WriterFile::GetSenOdometer(survey.dir.File("none.sen"), start, end, unit));
    EXPECT_EQ(1u, sink.Messages().size()) << "the load failure is shown";
}
