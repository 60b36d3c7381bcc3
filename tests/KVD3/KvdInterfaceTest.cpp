#include "KVD3/KvdInterface.h"
#include "KVD3/KVDXmlFile.h"
#include "KVD3/SiteDefinition.h"

#include "tests/support/ProjectFixture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using ORQ::CKvdInterface;
using ORQ::CKVDXmlFile;
using ORQ::CSiteDefinition;
using ORQ::CStr;

namespace {

const char kLoadErrorsHeader[] =
    "The following errors have occured while attempting to load KVD:\n(creating a new KVD file "
    "and manually importing Lines in\nKVD_Edit may solve this problem)";
const char kVersionWarning[] = "\nWarning: You are attempting to open a KVD file that is not "
                               "support by the current version of the software. ";

std::string Project(const std::string &rootAttributes, const std::string &body) {
    return "<?xml version='1.0'?><ORQ_KVD" + rootAttributes + ">" + body + "</ORQ_KVD>";
}

const char kSite[] = "<SiteDefinition version=\"1.0.0\">"
                     "<CreatedBy name=\"KVD_Edit\" version=\"1\" DIP=\"d\" date=\"2024-03-05\" "
                     "time=\"07:08:09\"/>"
                     "<Operator>John</Operator><SiteName>Field A</SiteName>"
                     "<Comment number=\"2\">second</Comment><!-- a note -->"
                     "<Comment number=\"1\">first</Comment>"
                     "<Job date=\"2012-05-04\" time=\"13:45:10\">Bridge deck</Job>"
                     "<CompanyName/></SiteDefinition>";

CStr NodeName(CKVDXmlFile *file) {
    CStr name;
    file->GetNodeName(name);
    return name;
}

} // namespace

TEST(KvdInterface, ReportsARootVersionOtherThanTheOneItReads) {
    struct Row {
        const char *name;
        const char *root;
        bool warned;
    };
    const Row rows[] = {{"newer", " version=\"1.2.0\"", true},
                        {"older", " version=\"1.0.0\"", true},
                        {"patch differs", " version=\"1.1.1\"", true},
                        {"no version", "", true},
                        {"supported", " version=\"1.1.0\"", false}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        kvdtest::ProjectFixture project(Project(row.root, kSite));
        ASSERT_TRUE(project.Loaded());
        kvdtest::CaptureSink sink;
        std::unique_ptr<CKvdInterface> kvd(CKvdInterface::CreateAndInit(project.File()));
        ASSERT_NE(nullptr, kvd) << "the file is read all the same";
        if (row.warned) {
            ASSERT_EQ(1u, sink.Messages().size());
            EXPECT_EQ(std::string(kLoadErrorsHeader) + kVersionWarning, sink.Messages()[0].text);
        } else {
            EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
        }
        CStr text;
        EXPECT_EQ(1, kvd->GetSiteDefinition()->GetFieldString("Operator", text));
        EXPECT_EQ("John", text);
    }
}

TEST(KvdInterface, NullFileOrNoRootGivesNoInterface) {
    kvdtest::CaptureSink sink;
    EXPECT_EQ(nullptr, CKvdInterface::CreateAndInit(nullptr));
    CKVDXmlFile unloaded;
    EXPECT_EQ(nullptr, CKvdInterface::CreateAndInit(&unloaded));
    EXPECT_TRUE(sink.Messages().empty());
}

TEST(SiteDefinition, FieldsCommentsAndJobDate) {
    kvdtest::ProjectFixture project(Project(" version=\"1.1.0\"", kSite));
    std::unique_ptr<CKvdInterface> kvd(CKvdInterface::CreateAndInit(project.File()));
    ASSERT_NE(nullptr, kvd);
    const CSiteDefinition &site = *kvd->GetSiteDefinition();
    EXPECT_EQ("1.0.0", site.m_Version);

    CStr text = "untouched";
    EXPECT_EQ(0, site.GetFieldString("operator", text)) << "names match with letter case";
    EXPECT_EQ(0, site.GetFieldString("Comment", text));
    EXPECT_EQ(0, site.GetFieldString("CreatedBy", text));
    EXPECT_EQ("untouched", text);
    EXPECT_EQ(1, site.GetFieldString("SiteName", text));
    EXPECT_EQ("Field A", text);
    EXPECT_EQ(1, site.GetFieldString("Job", text));
    EXPECT_EQ("Bridge deck", text) << "the element's text, not its date";
    EXPECT_EQ(1, site.GetFieldString("CompanyName", text));
    EXPECT_EQ("", text) << "an element without text is a field with an empty text";
    EXPECT_EQ(4u, site.m_Fields.size()) << "the XML comment is no field";

    ASSERT_EQ(2u, site.m_Comments.size());
    EXPECT_EQ("first", site.m_Comments[0]);
    EXPECT_EQ("second", site.m_Comments[1]);

    EXPECT_EQ(1, site.m_JobDateValid);
    EXPECT_EQ(ORQ::CDateTime(2012, 5, 4, 13, 45, 10), site.m_JobDate);
    EXPECT_EQ("Job", NodeName(project.File())) << "the cursor is left on the job";
    EXPECT_EQ(0u, project.File()->GetPositionCount());

    // The created-by record comes from the file through the interface.
    ORQ::SCreatedBy records[2];
    project.File()->GotoRootNode();
    project.File()->GotoChildNode("SiteDefinition", 0);
    EXPECT_EQ(1, kvd->GetCreatedByBlock(records, 2));
    EXPECT_EQ("KVD_Edit", records[0].name);
}

TEST(SiteDefinition, OddCommentsRepeatedFieldsAndUnreadableDates) {
    const std::string site = "<SiteDefinition><Operator>A</Operator><Operator>B</Operator>"
                             "<Comment number=\"0\">zero</Comment>"
                             "<Comment number=\"-4\">negative</Comment>"
                             "<Comment>no number</Comment>"
                             "<Comment number=\"2147483647\">huge</Comment>"
                             "<Comment number=\"99999999999\">beyond int</Comment>"
                             "<Comment number=\"3\">three</Comment>"
                             "<Comment number=\"3\">three again</Comment>"
                             "<Job date=\"last tuesday\">x</Job></SiteDefinition>";
    kvdtest::ProjectFixture project(Project(" version=\"1.1.0\"", site));
    CKVDXmlFile &file = *project.File();
    file.GotoChildNode("SiteDefinition", 0);
    CSiteDefinition definition;
    EXPECT_EQ(0, definition.Load(&file)) << "a repeated field name";
    CStr text;
    definition.GetFieldString("Operator", text);
    EXPECT_EQ("A", text) << "the first text stays";
    ASSERT_EQ(3u, definition.m_Comments.size()) << "only numbers from 1 take places";
    EXPECT_EQ("", definition.m_Comments[0]);
    EXPECT_EQ("three again", definition.m_Comments[2]) << "a later comment replaces";
    EXPECT_EQ(0, definition.m_JobDateValid);
    EXPECT_EQ("last tuesday time", definition.m_JobDateText);

    // Not on a site definition: nothing is read.
    file.GotoRootNode();
    CSiteDefinition other;
    EXPECT_EQ(0, other.Load(&file));
    EXPECT_TRUE(other.m_Fields.empty());
    EXPECT_TRUE(other.m_JobDate.IsValid()) << "as constructed";
}

TEST(SiteDefinition, DatesInTheFormsHeadersAndFilesWrite) {
    struct Row {
        const char *text;
        bool valid;
        ORQ::CDateTime when;
    };
    const Row rows[] = {{"2024/03/05", true, ORQ::CDateTime(2024, 3, 5, 0, 0, 0)},
                        {"2024/03/05 13:45:10", true, ORQ::CDateTime(2024, 3, 5, 13, 45, 10)},
                        {"2012-05-04 13:45:10", true, ORQ::CDateTime(2012, 5, 4, 13, 45, 10)},
                        {"2012-05-04", true, ORQ::CDateTime(2012, 5, 4, 0, 0, 0)},
                        {"2024/02/30", false, ORQ::CDateTime()},
                        {"Tuesday", false, ORQ::CDateTime()},
                        {"", false, ORQ::CDateTime()}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        ORQ::CDateTime when;
        EXPECT_EQ(row.valid, CSiteDefinition::ParseDate(row.text, when));
        if (row.valid)
            EXPECT_EQ(row.when, when);
        else
            EXPECT_EQ("Invalid DateTime", when.Format("%Y-%m-%d"));
    }
}

TEST(KvdInterface, GetBlockMovesToTheRootsChild) {
    kvdtest::ProjectFixture project(Project(" version=\"1.1.0\"", std::string(kSite) + "<Data/>"));
    std::unique_ptr<CKvdInterface> kvd(CKvdInterface::CreateAndInit(project.File()));
    ASSERT_NE(nullptr, kvd);
    EXPECT_EQ(project.File(), kvd->GetBlock("Data"));
    EXPECT_EQ("Data", NodeName(project.File()));
    EXPECT_EQ(nullptr, kvd->GetBlock("Nothing"));
    EXPECT_EQ("ORQ_KVD", NodeName(project.File()));
    EXPECT_EQ(project.File(), kvd->GetBlock(""));
    EXPECT_EQ("SiteDefinition", NodeName(project.File()));
}

TEST(KvdInterface, AProjectWithoutSiteDefinitionHasAnEmptyOne) {
    kvdtest::ProjectFixture project(Project(" version=\"1.1.0\"", "<Data/>"));
    kvdtest::CaptureSink sink;
    std::unique_ptr<CKvdInterface> kvd(CKvdInterface::CreateAndInit(project.File()));
    ASSERT_NE(nullptr, kvd);
    EXPECT_TRUE(kvd->GetSiteDefinition()->m_Fields.empty());
    EXPECT_TRUE(sink.Messages().empty());
}

TEST(KvdInterface, VersionRecordIsCutToTheBuffer) {
    const std::string whole =
        "KVDInterfaceRM\t1.1.0.0\tVersion 1 Release 1\t2005-02-07\tKVD3-KVDINTRFACE";
    ASSERT_EQ(70u, whole.size());
    char big[72];
    std::memset(big, 'x', sizeof big);
    KVDInterface_GetVerStr(big, sizeof big);
    EXPECT_EQ(whole, big);

    char small[16];
    std::memset(small, 'x', sizeof small);
    KVDInterface_GetVerStr(small, 10);
    EXPECT_EQ("KVDInterf", std::string(small)) << "nine characters and the terminator";
    for (size_t i = 10; i < sizeof small; ++i)
        EXPECT_EQ('x', small[i]) << "nothing written past the buffer, byte " << i;
    KVDInterface_GetVerStr(small, 0);
    KVDInterface_GetVerStr(nullptr, 10);
}
