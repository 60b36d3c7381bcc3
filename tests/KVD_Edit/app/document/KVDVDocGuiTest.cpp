#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/GPSINFO/DlgGPSConfig.h"
#include "KVD_Edit/app/document/KVDVDoc.h"
#include "KVD_Edit/app/document/ProjectSaver.h"
#include "KVD_Edit/app/grid/ChildFrame.h"
#include "KVD_Edit/app/grid/KVDGridView.h"
#include "KVD_Edit/app/shell/CommandIds.h"
#include "KVD_Edit/app/shell/KVDVApp.h"
#include "KVD_Edit/app/shell/RegistryValues.h"
#include "tests/KVD_Edit/app/document/DocumentDialogsScript.h"
#include "tests/support/GridProject.h"
#include "tests/support/gui/GuiHarness.h"

#include <gtest/gtest.h>

#include <wx/docview.h>
#include <wx/filefn.h>
#include <wx/frame.h>

#include <cstdio>
#include <memory>
#include <vector>

using namespace kvdtest::gui;
using doctest::ScopedDialogs;
using doctest::ScriptedDialogs;

namespace {

size_t OpenDocuments() {
    return App().GetDocManager()->GetDocumentsVector().size();
}

// A fixture project opened through the document manager, closed without saving at the end.
struct OpenedDoc {
    explicit OpenedDoc(const std::string &folder = "") {
        App();
        Sink().Clear();
        std::string where = dir.Path();
        if (!folder.empty()) {
            where += "/" + folder;
            wxMkdir(wxString::FromUTF8(where));
        }
        path = where + "/site.kvd";
        kvdtest::WriteFile(path, doctest::AuthoredProject("GPR Acquire"));
        doc = dynamic_cast<CKVDVDoc *>(App().GetDocManager()->CreateDocument(path, wxDOC_SILENT));
        PumpEvents(100);
    }
    ~OpenedDoc() {
        if (doc && !closed) {
            doc->Modify(false);
            doc->Close();
            doc->DeleteAllViews();
            PumpEvents(50);
        }
    }
    void Command(int id) {
        wxCommandEvent event(wxEVT_MENU, KVDCmd::ToWxId(id));
        doc->ProcessEvent(event);
    }
    // Whether the project in memory holds the editor's settings block.
    bool HasSettingsBlock() {
        ORQ::CKVDXmlFile *file = doc->GetDataFiles()->GetKvdXmlFile();
        if (!file || !file->PushPosition())
            return false;
        const bool found = file->GotoRootNode() && file->GotoChildNode("Lurra_Mapper_Settings", 0);
        file->GotoTopPosition();
        file->PopPosition();
        return found;
    }

    kvdtest::TempDir dir;
    std::string path;
    CKVDVDoc *doc = nullptr;
    bool closed = false;
};

// Records the hint of every update the document sends to its views.
class CHintRecorder : public wxView {
public:
    void OnDraw(wxDC *) override {}
    void OnUpdate(wxView *, wxObject *hint) override { hints.push_back(CViewHint::Of(hint)); }
    std::vector<int> hints;
};

// The local-to-world dialog as the document sees it.
struct SDialogLog {
    SLocalWorldDef working;
    bool hasGPSData = false;
    bool selecting = false;
    int unit = 0;
    int restored = 0;
    int created = 0;
    bool destroyed = false;
};

class CFakeLocalWorldDialog : public ILocalWorldDialog {
public:
    explicit CFakeLocalWorldDialog(SDialogLog &log) : m_log(log) {}
    const SLocalWorldDef &GetWorkingDefinition() const override { return m_log.working; }
    void SetUnit(int unit) override { m_log.unit = unit; }
    void StorePreviewState() override {}
    bool IsSelectingInView() const override { return m_log.selecting; }
    void ShowRestored() override { ++m_log.restored; }
    void DestroyDialog() override { m_log.destroyed = true; }

private:
    SDialogLog &m_log;
};

void InstallFakeDialog(SDialogLog &log) {
    CKVDVDoc::SetLocalWorldDialogFactory(
        [&log](CKVDVDoc &, wxWindow *, SLocalWorldDef &def, bool hasGPSData) {
            ++log.created;
            log.destroyed = false;
            log.working = def;
            log.hasGPSData = hasGPSData;
            return std::make_unique<CFakeLocalWorldDialog>(log);
        });
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
    auto *doc = dynamic_cast<CKVDVDoc *>(opened);
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
    EXPECT_EQ(ReadRegString(kHandBackCompany, "LAST_SAVE", 4096), dir.File("copy.kvd"));

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
    auto *doc = dynamic_cast<CKVDVDoc *>(created);
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

TEST(KVDVDocGui, LocalWorldDialogModes) {
    OpenedDoc o;
    ASSERT_NE(o.doc, nullptr) << Sink().AllTexts();
    SDialogLog log;
    InstallFakeDialog(log);
    CMapperSettings &settings = *o.doc->GetMapperSettings();
    CGPSInfo &gps = *o.doc->GetGPSInfo();
    ASSERT_EQ(gps.GetLWCData(), &settings.LocalWorld);
    gps.SetHasGPSData(true);
    const SLocalWorldDef original = settings.LocalWorld;

    o.Command(KVDCmd::ID_LOCAL_WORLD_DEFINITION);
    ASSERT_EQ(log.created, 1);
    EXPECT_TRUE(log.hasGPSData);
    EXPECT_EQ(log.unit, 1);
    // A second request brings the open dialog back instead of making another.
    o.Command(KVDCmd::ID_LOCAL_WORLD_DEFINITION);
    EXPECT_EQ(log.created, 1);
    EXPECT_EQ(log.restored, 1);

    // While the dialog waits for a pick in the view, the unit commands are disabled.
    log.selecting = true;
    EXPECT_TRUE(o.doc->IsSelectingInView());
    wxUpdateUIEvent update(KVDCmd::ToWxId(KVDCmd::ID_DISPLAYUNITS_FEET));
    o.doc->ProcessEvent(update);
    EXPECT_FALSE(update.GetEnabled());
    log.selecting = false;

    // Both preview numbers take the working definition; the dialog stays.
    log.working.ShiftX = 12.5;
    o.doc->ApplyLocalWorldDefinition(0);
    EXPECT_EQ(settings.LocalWorld.ShiftX, 12.5);
    log.working.Rotation = 0.25;
    o.doc->ApplyLocalWorldDefinition(KVDCmd::LWC_PREVIEW);
    EXPECT_EQ(settings.LocalWorld.Rotation, 0.25);
    EXPECT_FALSE(log.destroyed);
    // Compute from GPS redraws and keeps the dialog.
    o.doc->ApplyLocalWorldDefinition(KVDCmd::LWC_COMPUTE_FROM_GPS);
    EXPECT_FALSE(log.destroyed);
    EXPECT_TRUE(o.doc->IsSelectingInView() == false);

    // Cancel puts back exactly what the dialog started from.
    o.doc->ApplyLocalWorldDefinition(KVDCmd::LWC_CANCEL);
    EXPECT_TRUE(log.destroyed);
    EXPECT_TRUE(settings.LocalWorld == original);
    // Nothing happens without a dialog.
    o.doc->ApplyLocalWorldDefinition(KVDCmd::LWC_OK);
    EXPECT_TRUE(settings.LocalWorld == original);

    // OK without a change: no modified flag, no settings block, but the GPS hint may show again.
    // (Without grid fitting, so that the reload that follows sets no flag of its own.)
    settings.LocalWorld.FitGrid = false;
    o.doc->Modify(false);
    gps.SetDisplayState(2);
    o.Command(KVDCmd::ID_LOCAL_WORLD_DEFINITION);
    o.doc->ApplyLocalWorldDefinition(KVDCmd::LWC_OK);
    EXPECT_TRUE(log.destroyed);
    EXPECT_EQ(gps.GetDisplayState(), 0);
    EXPECT_FALSE(o.doc->IsModified());
    EXPECT_FALSE(o.HasSettingsBlock());

    // OK with a change stores it, marks the document and writes the settings block.
    o.Command(KVDCmd::ID_LOCAL_WORLD_DEFINITION);
    log.working.ShiftY = -3;
    o.doc->ApplyLocalWorldDefinition(KVDCmd::LWC_OK);
    EXPECT_EQ(settings.LocalWorld.ShiftY, -3);
    EXPECT_TRUE(o.doc->IsModified());
    EXPECT_TRUE(o.HasSettingsBlock());
    CKVDVDoc::SetLocalWorldDialogFactory(nullptr);
}

TEST(KVDVDocGui, DisplayCommandsConvertAndTellTheViews) {
    OpenedDoc o;
    ASSERT_NE(o.doc, nullptr) << Sink().AllTexts();
    auto *recorder = new CHintRecorder();
    recorder->SetDocument(o.doc);
    SLocalWorldDef &def = o.doc->GetMapperSettings()->LocalWorld;
    def.RefPoint[0].LocalX = 3.048;
    def.RefPoint[1].LocalY = 30.48;

    o.Command(KVDCmd::ID_DISPLAYUNITS_FEET);
    EXPECT_EQ(o.doc->GetUnits(), ORQ::UNIT_FT);
    EXPECT_EQ(def.Unit, ORQ::UNIT_FT);
    EXPECT_NEAR(def.RefPoint[0].LocalX, 10.0, 1e-9);
    EXPECT_NEAR(def.RefPoint[1].LocalY, 100.0, 1e-9);
    // The unit already shown converts nothing.
    o.Command(KVDCmd::ID_DISPLAYUNITS_FEET);
    EXPECT_NEAR(def.RefPoint[0].LocalX, 10.0, 1e-9);
    o.Command(KVDCmd::ID_DISPLAYUNITS_METERS);
    EXPECT_NEAR(def.RefPoint[0].LocalX, 3.048, 1e-9);
    EXPECT_EQ(o.doc->GetTitle().utf8_string().rfind("(m) site.kvd  [", 0), 0u);

    // Fiducial switches: hidden fiducials also hide their text.
    o.doc->SetFiducialsPresent(true);
    EXPECT_TRUE(o.doc->GetShowFiducialText());
    o.Command(KVDCmd::ID_VIEW_DISPLAY_FIDUCIALS);
    EXPECT_FALSE(o.doc->GetShowFiducials());
    EXPECT_FALSE(o.doc->GetShowFiducialText());
    o.Command(KVDCmd::ID_VIEW_DISPLAY_FIDUCIALS);
    o.Command(KVDCmd::ID_VIEW_FIDUCIAL_TEXT);
    EXPECT_TRUE(o.doc->GetShowFiducials());
    EXPECT_FALSE(o.doc->GetShowFiducialText());
    EXPECT_EQ(recorder->hints, std::vector<int>(6, KVDCmd::HINT_DISPLAY_CHANGED));

    // The selection tells the views with its own hint.
    recorder->hints.clear();
    o.doc->GetFocusList()->AddFocusEntry(0, 0, nullptr, true);
    EXPECT_EQ(recorder->hints, std::vector<int>{KVDCmd::HINT_SELECTION_CHANGED});
    o.doc->RemoveView(recorder);
    delete recorder;
}

TEST(KVDVDocGui, FailedSaveAtTheClosePromptKeepsTheDocumentOpen) {
    OpenedDoc o("f");
    ASSERT_NE(o.doc, nullptr) << Sink().AllTexts();
    const std::string original = kvdtest::ReadFile(o.path);
    const size_t open = OpenDocuments();
    o.doc->Modify(true);
    // The project's folder goes away: the save cannot be written.
    ASSERT_EQ(std::rename(o.dir.File("f").c_str(), o.dir.File("g").c_str()), 0);
    Sink().Answer(ORQ::IDYES);
    EXPECT_FALSE(o.doc->Close());
    PumpEvents(50);
    EXPECT_EQ(OpenDocuments(), open);
    EXPECT_TRUE(o.doc->IsModified());
    ASSERT_EQ(std::rename(o.dir.File("g").c_str(), o.dir.File("f").c_str()), 0);
    EXPECT_EQ(kvdtest::ReadFile(o.path), original);

    // The framework's generic save writes nothing over the project.
    wxDocument *base = o.doc;
    EXPECT_FALSE(base->OnSaveDocument(wxString::FromUTF8(o.dir.File("generic.kvd"))));
    EXPECT_FALSE(kvdtest::FileExists(o.dir.File("generic.kvd")));

    // Cancel keeps it open too; then Yes with a working save closes it.
    Sink().Answer(ORQ::IDCANCEL);
    EXPECT_FALSE(o.doc->Close());
    Sink().Answer(ORQ::IDYES);
    EXPECT_TRUE(o.doc->Close());
    EXPECT_FALSE(o.doc->IsModified());
    EXPECT_TRUE(kvdtest::FileExists(o.dir.File("f/site_Original.kvd")));
    o.doc->DeleteAllViews();
    o.closed = true;
    PumpEvents(50);
}

// Yes to the close's "Save ... ?" saves as Save does: when another program wrote the project
// since it was opened, it asks first, and No keeps the document open and modified with the
// other's file as it was; Yes to both writes and closes.
TEST(KVDVDocGui, TheClosePromptsSaveAsksBeforeWritingOverAnotherProgramsWrite) {
    OpenedDoc o;
    ASSERT_NE(o.doc, nullptr) << Sink().AllTexts();
    const size_t open = OpenDocuments();
    o.doc->Modify(true);
    const std::string other = doctest::AuthoredProject("GPR Acquire", {"Another program"});
    kvdtest::WriteFile(o.path, other);
    Sink().Clear();
    const std::string question = o.path + kMsgChangedOnDisk;
    Sink().Answer(ORQ::IDYES);
    Sink().Answer(ORQ::IDNO);
    EXPECT_FALSE(o.doc->Close());
    PumpEvents(50);
    ASSERT_EQ(Sink().Messages().size(), 2u) << Sink().AllTexts();
    EXPECT_EQ(Sink().Messages()[0].text, "Save " + o.path + " ?");
    EXPECT_EQ(Sink().Messages()[1].text, question);
    EXPECT_EQ(OpenDocuments(), open);
    EXPECT_TRUE(o.doc->IsModified());
    EXPECT_EQ(kvdtest::ReadFile(o.path), other);

    Sink().Clear();
    Sink().Answer(ORQ::IDYES);
    Sink().Answer(ORQ::IDYES);
    EXPECT_TRUE(o.doc->Close());
    ASSERT_EQ(Sink().Messages().size(), 2u) << Sink().AllTexts();
    EXPECT_EQ(Sink().Messages()[1].text, question);
    EXPECT_FALSE(o.doc->IsModified());
    EXPECT_NE(kvdtest::ReadFile(o.path).find("<ModifiedBy name=\"KVD_Edit\""), std::string::npos);
    o.doc->DeleteAllViews();
    o.closed = true;
    PumpEvents(50);
}

TEST(KVDVDocGui, OpenPostsTheReloadThatFillsTheGrid) {
    App();
    Sink().Clear();
    kvdtest::TempDir dir;
    kvdtest::GridProjectLayout layout;
    layout.lines.resize(2);
    layout.lines[1].name = "L2";
    const std::string path = kvdtest::WriteGridProject(dir.Path(), layout);
    auto *doc = dynamic_cast<CKVDVDoc *>(App().GetDocManager()->CreateDocument(path, wxDOC_SILENT));
    ASSERT_NE(doc, nullptr) << Sink().AllTexts();
    auto *frame = dynamic_cast<CChildFrame *>(doc->GetFrame());
    ASSERT_NE(frame, nullptr);
    // The rows come with the posted reload, after the open has returned.
    EXPECT_EQ(frame->GetNumRows(), 0);
    EXPECT_TRUE(WaitFor([&] { return frame->GetNumRows() == 2; }));
    EXPECT_NE(doc->GetDataFiles()->GetDataBlockInterface(), nullptr);
    SaveScreenshot(frame, "kvdvdoc_open_rows");
    doc->Modify(false);
    EXPECT_TRUE(doc->Close());
    doc->DeleteAllViews();
    PumpEvents(50);
}

TEST(KVDVDocGui, OnlyTheCommandLineWordNewHandsTheNewPathBack) {
    App();
    ASSERT_TRUE(doctest::InstallTemplate(App().GetExeDir()));
    kvdtest::TempDir dir;
    ScriptedDialogs dialogs;
    ScopedDialogs scripted(dialogs);
    std::vector<std::string> saved;
    for (int i = 0; i < wxTheApp->argc; ++i)
        saved.push_back(wxTheApp->argv[i].utf8_string());
    auto createWith = [&](const char *argument, const std::string &name) {
        char program[] = "KVD_Edit";
        std::string word = argument;
        char *args[] = {program, word.data(), nullptr};
        wxTheApp->argc = 2;
        wxTheApp->argv.Init(2, args);
        DeleteRegValue(kHandBackCompany, "NEW FILE");
        dialogs.newPath = dir.File(name);
        wxDocument *doc = App().GetDocManager()->CreateDocument(wxString(), wxDOC_NEW);
        EXPECT_NE(doc, nullptr) << Sink().AllTexts();
        if (doc) {
            doc->Close();
            doc->DeleteAllViews();
        }
        return ReadRegString(kHandBackCompany, "NEW FILE", 4096);
    };
    EXPECT_EQ(createWith("new", "a.kvd"), dir.File("a.kvd"));
    EXPECT_EQ(createWith("New", "b.kvd"), "");
    EXPECT_EQ(createWith("new CheckGPSImport", "c.kvd"), "");
    std::vector<char *> restore;
    for (std::string &arg : saved)
        restore.push_back(arg.data());
    restore.push_back(nullptr);
    wxTheApp->argc = int(saved.size());
    wxTheApp->argv.Init(wxTheApp->argc, restore.data());
    PumpEvents(50);
}

TEST(KVDVDocGui, GpsFormatHandsTheEllipsoidToTheGPSData) {
    OpenedDoc o;
    ASSERT_NE(o.doc, nullptr) << Sink().AllTexts();
    CMapperSettings &settings = *o.doc->GetMapperSettings();
    CGPSInfo &gps = *o.doc->GetGPSInfo();
    EXPECT_EQ(gps.GetEllipsoid(), 23);
    const std::string clarke = R"(1,1,2,5,1,5,1,1,2,", ","Lat: ","Long: ","E: ","N: ","Z: ")";

    // Cancel changes nothing.
    o.doc->Modify(false);
    AnswerNextModal([](wxDialog *) {}, wxID_CANCEL);
    o.Command(KVDCmd::ID_EDIT_GPS_FORMAT);
    EXPECT_TRUE(ModalAnswered());
    EXPECT_FALSE(o.doc->IsModified());

    // OK with another ellipsoid: the settings, the format and the GPS data's conversions follow.
    gps.SetUpdateState(false);
    AnswerNextModal(
        [&](wxDialog *dialog) {
            auto *format = dynamic_cast<DlgGPSConfig *>(dialog);
            ASSERT_NE(format, nullptr);
            format->SetConfiguration(clarke);
        },
        wxID_OK);
    o.Command(KVDCmd::ID_EDIT_GPS_FORMAT);
    EXPECT_TRUE(ModalAnswered());
    EXPECT_EQ(settings.GPSConfiguration, clarke);
    EXPECT_EQ(settings.LocalWorld.Ellipsoid, 5);
    EXPECT_EQ(gps.GetEllipsoid(), 5);
    EXPECT_TRUE(gps.GetUpdateState());
    EXPECT_TRUE(o.doc->IsModified());

    // Not offered while the definition has GPS switched off.
    settings.LocalWorld.EnableGPS = 0;
    wxUpdateUIEvent update(KVDCmd::ToWxId(KVDCmd::ID_EDIT_GPS_FORMAT));
    o.doc->ProcessEvent(update);
    EXPECT_FALSE(update.GetEnabled());

    // The configuration goes to the user's settings when the project closes.
    o.doc->Modify(false);
    EXPECT_TRUE(o.doc->Close());
    o.doc->DeleteAllViews();
    o.closed = true;
    EXPECT_EQ(App().GetINIAccess().ReadIni("GENERAL", "GPSConfiguration", std::string()), clarke);
}
