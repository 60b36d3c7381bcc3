#include "KVD_Edit/app/CommandIds.h"
#include "KVD_Edit/app/KVDVApp.h"
#include "KVD_Edit/app/KVDVDoc.h"
#include "tests/KVD_Edit/app/DocumentDialogsScript.h"
#include "tests/support/gui/GuiHarness.h"

#include <gtest/gtest.h>

#include <wx/docview.h>
#include <wx/frame.h>

using namespace kvdtest::gui;
using doctest::ScopedDialogs;
using doctest::ScriptedDialogs;

namespace {

size_t OpenDocuments() {
    return App().GetDocManager()->GetDocumentsVector().size();
}

} // namespace

TEST(KVDVDocGui, OpensAFixtureAndSavesIt) {
    App();
    kvdtest::TempDir dir;
    const std::string path = dir.File("site.kvd");
    kvdtest::WriteFile(path, doctest::AuthoredProject("GPR Acquire"));
    const size_t before = OpenDocuments();

    wxDocument *opened = App().GetDocManager()->CreateDocument(path, wxDOC_SILENT);
    ASSERT_NE(opened, nullptr) << Sink().AllTexts();
    auto *doc = wxDynamicCast(opened, CKVDVDoc);
    ASSERT_NE(doc, nullptr);
    PumpEvents(200);
    EXPECT_EQ(OpenDocuments(), before + 1);
    EXPECT_EQ(doc->GetTitle().utf8_string(), "(m) site.kvd  [" + dir.Path() + "/]");
    auto *frame = dynamic_cast<wxFrame *>(doc->GetFrame());
    ASSERT_NE(frame, nullptr);
    // The frame shows the document's title (with the toolkit's mark of unsaved changes: the
    // reload after opening sets the flag when the grid is fitted).
    EXPECT_EQ(frame->GetTitle().utf8_string().rfind(doc->GetTitle().utf8_string(), 0), 0u)
        << frame->GetTitle().utf8_string();
    SaveScreenshot(frame, "kvdvdoc_opened");

    // Feet through the menu command: title and modified state follow.
    wxCommandEvent feet(wxEVT_MENU, KVDCmd::ToWxId(KVDCmd::ID_DISPLAYUNITS_FEET));
    doc->ProcessEvent(feet);
    EXPECT_EQ(doc->GetUnits(), 5);
    EXPECT_EQ(doc->GetTitle().utf8_string(), "(ft) site.kvd  [" + dir.Path() + "/]");

    // Save: the foreign original is kept, the project gets our record.
    doc->Modify(true);
    ASSERT_TRUE(doc->Save());
    EXPECT_FALSE(doc->IsModified());
    EXPECT_TRUE(kvdtest::FileExists(dir.File("site_Original.kvd")));
    const std::string saved = kvdtest::ReadFile(path);
    EXPECT_NE(saved.find("<ModifiedBy name=\"KVD_Edit\""), std::string::npos);
    EXPECT_NE(saved.find("<Lurra_Mapper_Settings>"), std::string::npos);

    // Save As through the framework's command goes our way, never the stream serialisation.
    ScriptedDialogs dialogs;
    dialogs.saveAsPath = dir.File("copy.kvd");
    {
        ScopedDialogs scripted(dialogs);
        EXPECT_TRUE(doc->SaveAs());
    }
    EXPECT_NE(kvdtest::ReadFile(dir.File("copy.kvd")).find("<Data version=\"1.2.0\">"),
              std::string::npos);
    EXPECT_EQ(doc->GetFilename().utf8_string(), dir.File("copy.kvd"));

    // Close with a change: No discards and closes.
    doc->Modify(true);
    Sink().Answer(ORQ::IDNO);
    EXPECT_TRUE(doc->Close());
    EXPECT_EQ(Sink().Messages().back().text, "Save " + dir.File("copy.kvd") + " ?");
    doc->DeleteAllViews();
    PumpEvents(100);
    EXPECT_EQ(OpenDocuments(), before);
}

TEST(KVDVDocGui, NonXmlFileLeavesNoDocument) {
    App();
    kvdtest::TempDir dir;
    const std::string path = dir.File("notes.kvd");
    kvdtest::WriteFile(path, "plain text, not a project");
    const size_t before = OpenDocuments();
    Sink().Clear();
    EXPECT_EQ(App().GetDocManager()->CreateDocument(path, wxDOC_SILENT), nullptr);
    PumpEvents(100);
    EXPECT_EQ(OpenDocuments(), before);
    ASSERT_GE(Sink().Messages().size(), 2u);
    EXPECT_NE(Sink().Messages()[0].text.find("File does not appear to be in XML format."),
              std::string::npos);
    EXPECT_EQ(Sink().Messages().back().text,
              "Creating a new KVD file and importing lines manually\nmay resolve this problem.");
}

TEST(KVDVDocGui, NewProjectFromTheTemplate) {
    App();
    ASSERT_TRUE(doctest::InstallTemplate(App().GetExeDir()));
    kvdtest::TempDir dir;
    ScriptedDialogs dialogs;
    dialogs.newPath = dir.File("fresh.kvd");
    Sink().Clear();
    const size_t before = OpenDocuments();
    wxDocument *created = nullptr;
    {
        ScopedDialogs scripted(dialogs);
        created = App().GetDocManager()->CreateDocument(wxString(), wxDOC_NEW);
    }
    ASSERT_NE(created, nullptr) << Sink().AllTexts();
    auto *doc = wxDynamicCast(created, CKVDVDoc);
    ASSERT_NE(doc, nullptr);
    const std::string text = kvdtest::ReadFile(dir.File("fresh.kvd"));
    EXPECT_NE(text.find("<CreatedBy name=\"KVD_Edit\""), std::string::npos);
    for (const char *attribute : {" version=\"", " DIP=\"", " date=\"", " time=\""})
        EXPECT_NE(text.find(attribute, text.find("<CreatedBy ")), std::string::npos) << attribute;
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->GetUnits(), ORQ::UNIT_M);
    EXPECT_EQ(doc->GetFilename().utf8_string(), dir.File("fresh.kvd"));
    EXPECT_EQ(doc->GetTitle().utf8_string(), "(m) fresh.kvd  [" + dir.Path() + "/]");
    // The GPS data works on the settings record's own definition.
    EXPECT_EQ(doc->GetGPSInfo()->GetLWCData(), &doc->GetMapperSettings()->LocalWorld);
    EXPECT_TRUE(doc->Close());
    doc->DeleteAllViews();
    PumpEvents(50);
    EXPECT_EQ(OpenDocuments(), before);

    // Cancelling the name leaves no document behind.
    dialogs.newPath.clear();
    {
        ScopedDialogs scripted(dialogs);
        EXPECT_EQ(App().GetDocManager()->CreateDocument(wxString(), wxDOC_NEW), nullptr);
    }
    PumpEvents(50);
    EXPECT_EQ(OpenDocuments(), before);
}
