#include "KVD_Edit/app/CommandIds.h"
#include "KVD_Edit/app/KVDVApp.h"
#include "KVD_Edit/app/KVDVDoc.h"
#include "tests/KVD_Edit/app/DocumentFixtures.h"
#include "tests/support/gui/GuiHarness.h"

#include <gtest/gtest.h>

#include <wx/docview.h>
#include <wx/frame.h>

using namespace kvdtest::gui;

namespace {

// Answers the document's file dialogs with fixed paths.
struct ScriptedDialogs : IDocumentDialogs {
    std::string newPath;
    std::string saveAsPath;
    bool AskNewProjectPath(std::string &path) override {
        path = newPath;
        return !path.empty();
    }
    bool AskSaveAsPath(const std::string &, std::string &path) override {
        path = saveAsPath;
        return !path.empty();
    }
    bool RunLineSettings(wxWindow *, SLineDisplayTable &) override { return false; }
};

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
    EXPECT_EQ(frame->GetTitle().utf8_string(), doc->GetTitle().utf8_string());
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
    CKVDVDoc::SetDialogs(&dialogs);
    EXPECT_TRUE(doc->SaveAs());
    CKVDVDoc::SetDialogs(nullptr);
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
    kvdtest::TempDir dir;
    ScriptedDialogs dialogs;
    dialogs.newPath = dir.File("fresh.kvd");
    CKVDVDoc::SetDialogs(&dialogs);
    Sink().Clear();
    wxDocument *created = App().GetDocManager()->CreateDocument(wxString(), wxDOC_NEW);
    CKVDVDoc::SetDialogs(nullptr);
    // The template ships beside the program; without it the exact message is shown.
    const std::string tpl = App().GetExeDir() + "BlankTemplate.kvd";
    if (!kvdtest::FileExists(tpl)) {
        EXPECT_EQ(created, nullptr);
        ASSERT_FALSE(Sink().Messages().empty());
        EXPECT_EQ(Sink().Messages().back().text,
                  "An error occured while creating new KVD file.\nUnable to load KVD template:\n" +
                      tpl + "\nOperation aborted.\nReinstalling application may fix this problem.");
        return;
    }
    ASSERT_NE(created, nullptr) << Sink().AllTexts();
    EXPECT_NE(kvdtest::ReadFile(dir.File("fresh.kvd")).find("<CreatedBy name=\"KVD_Edit\""),
              std::string::npos);
    EXPECT_FALSE(created->IsModified());
    created->Close();
    created->DeleteAllViews();
}
