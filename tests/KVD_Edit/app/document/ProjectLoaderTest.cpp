#include "KVD_Edit/app/document/ProjectLoader.h"
#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/shell/INIAccess.h"
#include "tests/KVD_Edit/app/document/DocumentFixtures.h"

#include <gtest/gtest.h>

#include <regex>

namespace {
const SProgramIdentity kId{"KVD_Edit", "4.1.1.0", "DIP 1-0093-4110"};
}

TEST(ProjectLoader, NewProjectFromTheTemplate) {
    kvdtest::CaptureSink sink;
    kvdtest::TempDir dir;
    INIAccess ini;
    ini.Initialize(dir.File("KVDGridView.ini"), false);
    const std::string config =
        "1,1,2,5,1,7,1,1,2,\", \",\"Lat: \",\"Long: \",\"E: \",\"N: \",\"Z: \"";
    ini.WriteIni("GENERAL", "GPSConfiguration", config);

    CKvdGprDataFiles holder;
    CMapperSettings settings;
    const std::string path = dir.File("new.kvd");
    ASSERT_TRUE(CProjectLoader::CreateFromTemplate(holder, settings, doctest::TemplatePath(), path,
                                                   &ini, kId))
        << sink.AllTexts();
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    EXPECT_EQ(holder.GetFilePathName(), path);
    EXPECT_EQ(settings.GPSConfiguration, config);
    EXPECT_EQ(settings.LocalWorld.Ellipsoid, 7);
    const std::string text = kvdtest::ReadFile(path);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(
        text, m,
        std::regex("<Data version=\"1.2.0\"><CreatedBy name=\"KVD_Edit\" version=\"4.1.1.0\" "
                   "DIP=\"DIP 1-0093-4110\" date=\"\\d{4}-\\d{2}-\\d{2}\" "
                   "time=\"\\d{2}:\\d{2}:\\d{2}\"/>")))
        << text;
    // The template stays as shipped.
    EXPECT_EQ(kvdtest::ReadFile(doctest::TemplatePath()).find("CreatedBy"), std::string::npos);
}

TEST(ProjectLoader, NewProjectFailures) {
    kvdtest::CaptureSink sink;
    kvdtest::TempDir dir;
    CKvdGprDataFiles holder;
    CMapperSettings settings;
    const std::string missing = dir.File("BlankTemplate.kvd");
    EXPECT_FALSE(CProjectLoader::CreateFromTemplate(holder, settings, missing, dir.File("n.kvd"),
                                                    nullptr, kId));
    ASSERT_FALSE(sink.Messages().empty());
    EXPECT_EQ(sink.Messages().back().text,
              "An error occured while creating new KVD file.\nUnable to load KVD template:\n" +
                  missing + "\nOperation aborted.\nReinstalling application may fix this problem.");

    sink.Clear();
    const std::string bad = dir.File("no/such/n.kvd");
    EXPECT_FALSE(CProjectLoader::CreateFromTemplate(holder, settings, doctest::TemplatePath(), bad,
                                                    nullptr, kId));
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.Messages()[0].text,
              "An error occured while creating new KVD file.\nUnable to create KVD file:\n" + bad +
                  "\nOperation aborted.\n");
    EXPECT_EQ(holder.GetKvdXmlFile(), nullptr);
}

TEST(ProjectLoader, OpenReadsSettingsAndReportsFailures) {
    kvdtest::CaptureSink sink;
    kvdtest::TempDir dir;
    kvdtest::WriteFile(dir.File("text.kvd"), "this is not XML");
    CKvdGprDataFiles holder;
    CMapperSettings settings;
    EXPECT_FALSE(CProjectLoader::Open(holder, settings, dir.File("text.kvd"), false));
    ASSERT_EQ(sink.Messages().size(), 2u) << sink.AllTexts();
    EXPECT_EQ(sink.Messages()[0].text, "Failed to load file:\n" + dir.File("text.kvd") +
                                           "\nFile does not appear to be in XML format.\n"
                                           "Operation aborted.");
    EXPECT_EQ(sink.Messages()[1].text,
              "Creating a new KVD file and importing lines manually\nmay resolve this problem.");
    EXPECT_EQ(sink.Messages()[1].style, unsigned(ORQ::MB_OK | ORQ::MB_ICONINFORMATION));
    EXPECT_EQ(holder.GetKvdXmlFile(), nullptr);

    sink.Clear();
    kvdtest::WriteFile(dir.File("p.kvd"), doctest::AuthoredProject("KVD_Edit"));
    ASSERT_TRUE(CProjectLoader::Open(holder, settings, dir.File("p.kvd"), false));
    EXPECT_EQ(settings.LocalWorld.EnableGPS, 2);
    ASSERT_TRUE(CProjectLoader::Open(holder, settings, dir.File("p.kvd"), true));
    EXPECT_EQ(settings.LocalWorld.EnableGPS, 3);
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
}
