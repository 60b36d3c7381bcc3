#include "KVD3/KVDXmlFile.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using ORQ::CDateTime;
using ORQ::CKVDXmlFile;
using ORQ::CStr;
using ORQ::SCreatedBy;

namespace {

struct Project {
    kvdtest::TempDir dir;
    CKVDXmlFile file;
    explicit Project(const std::string &xml) {
        kvdtest::WriteFile(dir.File("p.kvd"), xml);
        EXPECT_EQ(1, file.Initialize(dir.File("p.kvd")));
    }
    std::string Saved() {
        std::string s;
        EXPECT_TRUE(file.GetFileHnd()->Serialize(s));
        return s;
    }
    std::string Name() {
        CStr n;
        file.GetNodeName(n);
        return n;
    }
};

SCreatedBy Record(const char *name, int day, const char *comment) {
    SCreatedBy r;
    r.name = name;
    r.version = "4.1.1.0";
    r.DIP = "DIP-7";
    r.when = CDateTime(2024, 3, day, 7, 8, 9);
    r.comment = comment;
    return r;
}

} // namespace

TEST(AuthorshipRecords, AppendWritesAttributesInOrderAndLeavesTheCursor) {
    Project p("<ORQ_KVD><Data/></ORQ_KVD>");
    p.file.GotoChildNode("Data", 0);
    EXPECT_EQ(0, p.file.AppendModifiedByBlock(Record("KVD_Edit", 6, "early")));
    EXPECT_EQ(1, p.file.AppendCreatedByBlock(Record("KVD_Edit", 5, "not written")));
    EXPECT_EQ(0, p.file.AppendCreatedByBlock(Record("Other", 5, "")));
    EXPECT_EQ(1, p.file.AppendModifiedByBlock(Record("KVD_Edit", 6, "Imported lines")));
    EXPECT_EQ("Data", p.Name());
    EXPECT_EQ(0u, p.file.GetPositionCount());
    // With the cursor on the CreatedBy element itself the record goes there too.
    ASSERT_EQ(1, p.file.GotoChildNode("CreatedBy", 0));
    EXPECT_EQ(1, p.file.AppendModifiedByBlock(Record("Viewer", 7, "a & b")));
    EXPECT_EQ("CreatedBy", p.Name());
    EXPECT_EQ("<ORQ_KVD><Data><CreatedBy name=\"KVD_Edit\" version=\"4.1.1.0\" DIP=\"DIP-7\" "
              "date=\"2024-03-05\" time=\"07:08:09\">"
              "<ModifiedBy name=\"KVD_Edit\" version=\"4.1.1.0\" DIP=\"DIP-7\" "
              "date=\"2024-03-06\" time=\"07:08:09\" comment=\"Imported lines\"/>"
              "<ModifiedBy name=\"Viewer\" version=\"4.1.1.0\" DIP=\"DIP-7\" "
              "date=\"2024-03-07\" time=\"07:08:09\" comment=\"a &amp; b\"/>"
              "</CreatedBy></Data></ORQ_KVD>\n",
              p.Saved());
}

TEST(AuthorshipRecords, ReadBackWithCapacityAndMissingAttributes) {
    // Dates are read in their fixed format whatever the user's locale.
    const char *previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    std::setlocale(LC_ALL, "de_DE.UTF-8");

    Project p(
        "<r><CreatedBy name=\"KVD_Edit\" version=\"4.1\" date=\"2024-03-05\" time=\"07:08:09\">"
        "<ModifiedBy name=\"M1\" version=\"1\" DIP=\"d1\" date=\"2024-03-06\" time=\"10:00:00\" "
        "comment=\"c1\"/><Other/>"
        "<ModifiedBy name=\"M2\" version=\"2\" DIP=\"d2\" date=\"bad\" time=\"x\"/>"
        "<ModifiedBy name=\"M3\"/><ModifiedBy name=\"M4\"/><ModifiedBy name=\"M5\"/>"
        "</CreatedBy></r>");
    SCreatedBy records[6];
    records[0].comment = "kept";
    EXPECT_EQ(0, p.file.GetCreatedByBlock(records, 0));
    EXPECT_EQ(0, p.file.GetCreatedByBlock(nullptr, 3));
    EXPECT_EQ(3, p.file.GetCreatedByBlock(records, 3));
    EXPECT_EQ("r", p.Name());
    EXPECT_EQ("KVD_Edit", records[0].name);
    EXPECT_EQ("DIP", records[0].DIP); // missing: the attribute's name
    EXPECT_EQ("kept", records[0].comment);
    EXPECT_TRUE(records[0].when.IsValid());
    EXPECT_EQ(CDateTime(2024, 3, 5, 7, 8, 9), records[0].when);
    EXPECT_EQ("c1", records[1].comment);
    EXPECT_EQ(CDateTime(2024, 3, 6, 10, 0, 0), records[1].when);
    EXPECT_EQ("M2", records[2].name);
    EXPECT_EQ("comment", records[2].comment);
    EXPECT_FALSE(records[2].when.IsValid());
    EXPECT_EQ(6, p.file.GetCreatedByBlock(records, 6));
    EXPECT_EQ("M5", records[5].name);

    p.file.GotoChildNode("CreatedBy", 0);
    EXPECT_EQ(6, p.file.GetCreatedByBlock(records, 6));
    EXPECT_EQ("CreatedBy", p.Name());
    p.file.GotoChildNode("Other", 0);
    EXPECT_EQ(0, p.file.GetCreatedByBlock(records, 6));
    EXPECT_EQ(0u, p.file.GetPositionCount());
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(BlockVersions, CompareAndConvert) {
    Project p("<r version=\"1.2.0\"><old version=\"0.9.9\"/><none/></r>");
    CStr v = "1.1.0";
    int overall = 9, major = 9, minor = 9, patch = 9;
    ASSERT_EQ(1, p.file.NodeVersionCompatibility(v, overall, major, minor, patch));
    EXPECT_EQ("1.2.0", v);
    EXPECT_EQ(0, major);
    EXPECT_EQ(1, minor);
    EXPECT_EQ(0, patch);
    EXPECT_EQ(1, overall);
    p.file.GotoChildNode("old", 0);
    v = "1.1.0";
    ASSERT_EQ(1, p.file.NodeVersionCompatibility(v, overall, major, minor, patch));
    EXPECT_EQ(-1, overall);
    EXPECT_EQ(1, minor);
    p.file.GotoNextSibling("none");
    v = "1.1.0";
    overall = 9;
    EXPECT_EQ(0, p.file.NodeVersionCompatibility(v, overall, major, minor, patch));
    EXPECT_EQ("1.1.0", v);
    EXPECT_EQ(9, overall);

    CKVDXmlFile::SVersion ver;
    CKVDXmlFile::KVDVersionToNum("1.10.2", ver);
    EXPECT_EQ(1, ver.major);
    EXPECT_EQ(10, ver.minor);
    EXPECT_EQ(2, ver.patch);
    EXPECT_EQ("1.10.2", ver.text);
    CKVDXmlFile::KVDVersionToNum("3", ver);
    EXPECT_EQ(3, ver.major);
    EXPECT_EQ(0, ver.minor);
    CKVDXmlFile::KVDVersionToNum("2.x.7b", ver);
    EXPECT_EQ(0, ver.minor);
    EXPECT_EQ(7, ver.patch);
    EXPECT_EQ("2.0.7", CKVDXmlFile::KVDVersionToStr(ver));
    EXPECT_EQ("1.1.0", CKVDXmlFile::KVDVersionToStr(CKVDXmlFile().GetVersion()));
}

TEST(ProcessAndComponent, ReadRecords) {
    Project p("<r><Process operationUID=\"COR\" implementation=\"impl\" version=\"1\" DIP=\"d\" "
              "ID=\"70000\"><buffer>yes</buffer></Process>"
              "<Process operationUID=\"COR\" implementation=\"i\" version=\"1\" DIP=\"d\" "
              "buffer=\"maybe\" ID=\"1\"/>"
              "<Component name=\"GPR\" SN=\"42\"><Sensor ID=\"12\" status=\"on\"/></Component>"
              "<Component typeUID=\"ANT\"><Sensor status=\"On\"/></Component><Component/></r>");
    CKVDXmlFile::SProcess process;
    EXPECT_EQ(0, p.file.GetProcess(&process)); // not a Process
    p.file.GotoChildNode("Process", 0);
    ASSERT_EQ(1, p.file.GetProcess(&process));
    EXPECT_EQ(static_cast<int>(ORQ::Str2UID("COR")), process.operationId);
    EXPECT_EQ("impl", process.implementation);
    EXPECT_EQ(1, process.buffer);
    EXPECT_EQ(static_cast<short>(70000), process.ID);
    EXPECT_EQ("Process", p.Name());
    p.file.GotoNextSibling("Process");
    EXPECT_EQ(0, p.file.GetProcess(&process));

    CKVDXmlFile::SComponent c;
    p.file.GotoNextSibling("Component");
    ASSERT_EQ(1, p.file.GetComponent(&c));
    EXPECT_EQ("GPR", c.name);
    EXPECT_EQ("42", c.SN);
    EXPECT_EQ("version", c.version);
    EXPECT_EQ(static_cast<int>(ORQ::Str2UID("typeUID")), c.typeId);
    EXPECT_EQ(1, c.sensorStatus);
    EXPECT_EQ(12, c.sensorID);
    EXPECT_EQ("Component", p.Name());
    p.file.GotoNextSibling("Component");
    ASSERT_EQ(1, p.file.GetComponent(&c));
    EXPECT_EQ(static_cast<int>(ORQ::Str2UID("ANT")), c.typeId);
    EXPECT_EQ(-1, c.sensorStatus);
    p.file.GotoNextSibling("Component");
    ASSERT_EQ(1, p.file.GetComponent(&c));
    EXPECT_EQ(0, c.sensorStatus);
    EXPECT_EQ(0, c.sensorID);
}
