#include "KVD_Edit/app/document/ProjectSaver.h"
#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "tests/KVD_Edit/app/document/DocumentFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using doctest::CountElements;
using kvdtest::FileExists;
using kvdtest::ReadFile;

namespace {

// A project on disk, opened with its settings, and a saver that records its hand-back values.
struct Opened {
    Opened(const std::string &text, const std::string &name = "site.kvd",
           const std::string &folder = "")
        : path(dir.File(folder.empty() ? name : folder + "/" + name)) {
        if (!folder.empty())
            mkdir(dir.File(folder).c_str(), 0755);
        kvdtest::WriteFile(path, text);
        original = text;
        EXPECT_EQ(holder.LoadKvdXmlFile(path.c_str()), 1) << sink.AllTexts();
        settings.Load(&holder);
        saver.SetHandBack([this](const std::string &name, const std::string &value) {
            handBack.emplace_back(name, value);
        });
    }
    std::string Memory() {
        std::string out;
        holder.GetKvdXmlFile()->GetFileHnd()->Serialize(out);
        return out;
    }
    kvdtest::CaptureSink sink;
    kvdtest::TempDir dir;
    std::string path;
    std::string original;
    CKvdGprDataFiles holder;
    CMapperSettings settings;
    CProjectSaver saver{holder, settings};
    std::vector<std::pair<std::string, std::string>> handBack;
};

} // namespace

TEST(ProjectSaver, ForeignProjectKeepsItsOriginalOnce) {
    Opened o(doctest::AuthoredProject("GPR Acquire"));
    const std::string backup = o.dir.File("site_Original.kvd");
    ASSERT_TRUE(o.saver.Save(0)) << o.sink.AllTexts();
    EXPECT_EQ(ReadFile(backup), o.original);
    const std::string saved = ReadFile(o.path);
    // One record in "Data"; the new settings block has its created-by record only.
    EXPECT_EQ(CountElements(saved, "ModifiedBy"), 1);
    EXPECT_NE(saved.find("<ModifiedBy name=\"KVD_Edit\""), std::string::npos);
    EXPECT_EQ(o.handBack, (decltype(o.handBack){{"LAST_SAVE", o.path}}));

    // Now the file names this program: nothing more is copied.
    kvdtest::WriteFile(backup, "older backup");
    ASSERT_TRUE(o.saver.Save(0));
    EXPECT_EQ(ReadFile(backup), "older backup");
    EXPECT_EQ(o.sink.Messages().size(), 0u);
}

TEST(ProjectSaver, OwnerCheckRules) {
    {
        // An older backup is never replaced, and the save goes on.
        Opened o(doctest::AuthoredProject("Other"));
        kvdtest::WriteFile(o.dir.File("site_Original.kvd"), "older");
        ASSERT_TRUE(o.saver.Save(0));
        EXPECT_EQ(ReadFile(o.dir.File("site_Original.kvd")), "older");
    }
    {
        // Own name in another case, or anywhere among the modifiers: no copy.
        Opened a(doctest::AuthoredProject("kvd_edit"));
        ASSERT_TRUE(a.saver.Save(0));
        EXPECT_FALSE(FileExists(a.dir.File("site_Original.kvd")));
        Opened b(doctest::AuthoredProject("Other", {"X", "KVD_EDIT", "Y"}));
        ASSERT_TRUE(b.saver.Save(0));
        EXPECT_FALSE(FileExists(b.dir.File("site_Original.kvd")));
    }
    {
        // "original" anywhere in the path (lower case): saved in place.
        Opened o(doctest::AuthoredProject("Other"), "site.kvd", "original data");
        ASSERT_TRUE(o.saver.Save(0));
        EXPECT_FALSE(FileExists(o.dir.File("original data/site_Original.kvd")));
        Opened c(doctest::AuthoredProject("Other"), "site.kvd", "Original data");
        ASSERT_TRUE(c.saver.Save(0));
        EXPECT_TRUE(FileExists(c.dir.File("Original data/site_Original.kvd")));
    }
    {
        // No created-by record: the save stops with its message.
        kvdtest::XmlNode data = kvdtest::DataNode();
        kvdtest::AddSettings(data);
        Opened o(kvdtest::ProjectText(data));
        EXPECT_FALSE(o.saver.Save(0));
        ASSERT_EQ(o.sink.Messages().size(), 1u);
        EXPECT_EQ(o.sink.Messages()[0].text,
                  "Unable to access the CreatedBy block,\nOperation cancelled");
        EXPECT_EQ(ReadFile(o.path), o.original);
    }
    EXPECT_EQ(CProjectSaver::BackupPathFor("/a/site.kvd"), "/a/site_Original.kvd");
    EXPECT_EQ(CProjectSaver::BackupPathFor("/a/b.c/site"), "/a/b.c/site_Original.kvd");
    EXPECT_EQ(CProjectSaver::BackupPathFor("D:\\a.b\\site"), "D:\\a.b\\site_Original.kvd");
    EXPECT_EQ(CProjectSaver::BackupPathFor("x.tar.kvd"), "x.tar_Original.kvd");
}

TEST(ProjectSaver, CommentNamesTheFramesChanges) {
    EXPECT_EQ(CProjectSaver::GetFileComment(0), "");
    EXPECT_EQ(CProjectSaver::GetFileComment(1), "Imported lines");
    EXPECT_EQ(CProjectSaver::GetFileComment(2), "Deleted lines");
    EXPECT_EQ(CProjectSaver::GetFileComment(3), "Imported lines, Deleted lines");

    Opened o(doctest::AuthoredProject("KVD_Edit"));
    ASSERT_TRUE(o.saver.Save(3));
    EXPECT_NE(ReadFile(o.path).find("comment=\"Imported lines, Deleted lines\""),
              std::string::npos);
}

TEST(ProjectSaver, FailedWriteLeavesFileAndDocumentAsTheyWere) {
    Opened o(doctest::AuthoredProject("Other"), "site.kvd", "f");
    const std::string before = o.Memory();
    // The project's folder goes away (a card pulled out): the write cannot happen.
    ASSERT_EQ(rename(o.dir.File("f").c_str(), o.dir.File("g").c_str()), 0);
    EXPECT_FALSE(o.saver.Save(0));
    ASSERT_FALSE(o.sink.Messages().empty());
    EXPECT_EQ(o.sink.Messages().back().text,
              "An error occured while creating new KVD file.\nUnable to create KVD file:\n" +
                  o.path + "\nOperation aborted.\n");
    EXPECT_EQ(o.Memory(), before); // no ModifiedBy, no settings block left behind
    EXPECT_TRUE(o.handBack.empty());
    ASSERT_EQ(rename(o.dir.File("g").c_str(), o.dir.File("f").c_str()), 0);
    EXPECT_EQ(ReadFile(o.path), o.original);

    // The retry adds exactly one record, and the settings block once.
    ASSERT_TRUE(o.saver.Save(0));
    const std::string saved = ReadFile(o.path);
    EXPECT_EQ(CountElements(saved, "ModifiedBy"), 1);
    EXPECT_EQ(CountElements(saved, "CreatedBy"), 2);
    EXPECT_EQ(CountElements(saved, "Lurra_Mapper_Settings"), 1);
    EXPECT_EQ(ReadFile(o.dir.File("f/site_Original.kvd")), o.original);
}

TEST(ProjectSaver, SaveAsUpgradesAndMovesOnlyWhenWritten) {
    Opened o(doctest::AuthoredProject("Other", {}, "1.1.0"));
    const std::string target = o.dir.File("copy.kvd");

    // A target that cannot be written: path and records stay.
    const std::string bad = o.dir.File("no/such/copy.kvd");
    EXPECT_FALSE(o.saver.SaveAs(bad, 1));
    EXPECT_EQ(o.holder.GetFilePathName(), o.path);
    EXPECT_EQ(o.sink.Messages().back().text,
              "An error occured while creating new KVD file.\nUnable to create KVD file:\n" + bad +
                  "\nOperation aborted.\n");
    EXPECT_EQ(CountElements(o.Memory(), "ModifiedBy"), 0);

    ASSERT_TRUE(o.saver.SaveAs(target, 1));
    EXPECT_EQ(o.holder.GetFilePathName(), target);
    EXPECT_EQ(ReadFile(o.path), o.original); // the old file is left alone, no owner check
    EXPECT_FALSE(FileExists(o.dir.File("site_Original.kvd")));
    const std::string saved = ReadFile(target);
    EXPECT_NE(saved.find("<Data version=\"1.2.0\">"), std::string::npos);
    EXPECT_NE(saved.find("comment=\"Imported lines\""), std::string::npos);
    EXPECT_EQ(o.handBack.back(), std::make_pair(std::string("LAST_SAVE"), target));
}

TEST(ProjectSaver, ClosePrompt) {
    kvdtest::CaptureSink sink;
    int saves = 0, discards = 0;
    auto save = [&](bool result) {
        return [&saves, result] {
            ++saves;
            return result;
        };
    };
    auto discard = [&] { ++discards; };
    EXPECT_TRUE(CProjectSaver::SaveModified(false, "/p.kvd", save(true), discard));
    EXPECT_TRUE(sink.Messages().empty());

    sink.Answer(ORQ::IDYES);
    EXPECT_TRUE(CProjectSaver::SaveModified(true, "/p.kvd", save(true), discard));
    EXPECT_EQ(sink.Messages()[0].text, "Save /p.kvd ?");
    EXPECT_EQ(sink.Messages()[0].style & ORQ::MB_BUTTONMASK, unsigned(ORQ::MB_YESNOCANCEL));
    sink.Answer(ORQ::IDYES);
    EXPECT_FALSE(CProjectSaver::SaveModified(true, "/p.kvd", save(false), discard));
    EXPECT_EQ(saves, 2);
    sink.Answer(ORQ::IDNO);
    EXPECT_TRUE(CProjectSaver::SaveModified(true, "/p.kvd", save(true), discard));
    EXPECT_EQ(discards, 1);
    sink.Answer(ORQ::IDCANCEL);
    EXPECT_FALSE(CProjectSaver::SaveModified(true, "/p.kvd", save(true), discard));
    EXPECT_EQ(saves, 2);
}

// Saving into another folder is asked about first, with both folders named; the same folder,
// however spelt, is not.
TEST(ProjectSaver, MovedFolderQuestionNamesBothFolders) {
    kvdtest::TempDir dir;
    ASSERT_EQ(0, mkdir(dir.File("sub").c_str(), 0755));
    struct Row {
        const char *name;
        std::string from, to;
        bool asks;
    };
    for (const Row &row : {
             Row{"same folder", dir.File("a.kvd"), dir.File("b.kvd"), false},
             Row{"same folder through ..", dir.File("a.kvd"), dir.File("sub/../b.kvd"), false},
             Row{"same folder, trailing dot", dir.File("a.kvd"), dir.File("./b.kvd"), false},
             Row{"a sub folder", dir.File("a.kvd"), dir.File("sub/a.kvd"), true},
             Row{"a folder not yet there", dir.File("a.kvd"), dir.File("new/a.kvd"), true},
             Row{"no project path yet", "", dir.File("a.kvd"), false},
         }) {
        SCOPED_TRACE(row.name);
        const std::string question = CProjectSaver::MovedFolderQuestion(row.from, row.to);
        EXPECT_EQ(row.asks, !question.empty()) << question;
        if (row.asks) {
            const std::string to = row.to.substr(0, row.to.rfind('/'));
            EXPECT_EQ("The line files stay in " + dir.Path() + "; the project saved in " + to +
                          " will not find them. Save anyway?",
                      question);
        }
    }
}

namespace {

// The question a save asks before it writes over another program's write.
std::string ChangedQuestion(const std::string &path) {
    return path + " has been changed by another program since it was opened or last saved. "
                  "Save over it?";
}

// Writes bytes as a new file beside path and renames it over path, as editors save.
void ReplaceByRename(const std::string &path, const std::string &bytes) {
    kvdtest::WriteFile(path + ".new", bytes);
    ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
}

} // namespace

// What another program did to the project file since it was opened, and what Save does then:
// it asks before it writes over another's write (Yes writes, No writes nothing, not even the
// backup copy of a foreign project, and leaves the document as it was), and asks nothing when
// nobody else wrote the file or it is gone.
TEST(ProjectSaver, AsksBeforeWritingOverAnotherProgramsWrite) {
    const std::string other = doctest::AuthoredProject("GPR Acquire", {"Another program"});
    struct SCase {
        const char *name;
        std::function<void(const std::string &path)> change;
        int answer; // 0: no question expected
        bool written;
    };
    const SCase cases[] = {
        {"nobody else wrote it", [](const std::string &) {}, 0, true},
        {"written by another, No", [&](const std::string &p) { kvdtest::WriteFile(p, other); },
         ORQ::IDNO, false},
        {"written by another, Yes", [&](const std::string &p) { kvdtest::WriteFile(p, other); },
         ORQ::IDYES, true},
        {"replaced by another with the same bytes, No",
         [](const std::string &p) { ReplaceByRename(p, ReadFile(p)); }, ORQ::IDNO, false},
        {"removed meanwhile", [](const std::string &p) { ASSERT_EQ(::unlink(p.c_str()), 0); }, 0,
         true},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        Opened o(doctest::AuthoredProject("GPR Acquire"));
        const std::string memory = o.Memory();
        c.change(o.path);
        const std::string onDisk = FileExists(o.path) ? ReadFile(o.path) : std::string();
        if (c.answer)
            o.sink.Answer(c.answer);
        EXPECT_EQ(o.saver.Save(0), c.written);
        if (c.answer) {
            ASSERT_EQ(o.sink.Messages().size(), 1u) << o.sink.AllTexts();
            EXPECT_EQ(o.sink.Messages()[0].text, ChangedQuestion(o.path));
            EXPECT_EQ(o.sink.Messages()[0].style & ORQ::MB_BUTTONMASK, unsigned(ORQ::MB_YESNO));
            EXPECT_TRUE(o.sink.Messages()[0].style & ORQ::MB_DEFBUTTON2) << "No by default";
        } else {
            EXPECT_TRUE(o.sink.Messages().empty()) << o.sink.AllTexts();
        }
        if (c.written) {
            EXPECT_EQ(CountElements(ReadFile(o.path), "ModifiedBy"), 1);
            EXPECT_EQ(o.handBack.size(), 1u);
        } else {
            EXPECT_EQ(ReadFile(o.path), onDisk) << "No writes nothing";
            EXPECT_FALSE(FileExists(o.dir.File("site_Original.kvd"))) << "nor the backup copy";
            EXPECT_EQ(o.Memory(), memory) << "the document stays as it was";
            EXPECT_TRUE(o.handBack.empty());
        }
    }
}

// A save over the project's own earlier write asks nothing, however often; after No the next
// save asks again, after Yes it does not. Save As to another file asks nothing (the file dialog
// confirmed an existing one), and from then on the new file is the one watched; Save As onto
// the project's own file, by any spelling, asks as Save does.
TEST(ProjectSaver, OnlyAnotherProgramsWriteOfTheFileItSavesToIsAskedAbout) {
    Opened o(doctest::AuthoredProject("GPR Acquire"));
    for (int save = 0; save < 3; ++save)
        ASSERT_TRUE(o.saver.Save(0)) << "save " << save;
    EXPECT_TRUE(o.sink.Messages().empty()) << o.sink.AllTexts();

    kvdtest::WriteFile(o.path, "another program's");
    o.sink.Answer(ORQ::IDNO);
    EXPECT_FALSE(o.saver.Save(0));
    o.sink.Answer(ORQ::IDYES);
    EXPECT_TRUE(o.saver.Save(0));
    EXPECT_TRUE(o.saver.Save(0));
    ASSERT_EQ(o.sink.Messages().size(), 2u) << o.sink.AllTexts();
    EXPECT_EQ(o.sink.Messages()[1].text, ChangedQuestion(o.path));
    o.sink.Clear();

    const std::string copy = o.dir.File("copy.kvd");
    kvdtest::WriteFile(copy, "chosen in the file dialog");
    kvdtest::WriteFile(o.path, "another program's again");
    ASSERT_TRUE(o.saver.SaveAs(copy, 0));
    kvdtest::WriteFile(o.path, "and again");
    ASSERT_TRUE(o.saver.Save(0)) << "the old file is no longer the project's";
    EXPECT_TRUE(o.sink.Messages().empty()) << o.sink.AllTexts();
    EXPECT_EQ(ReadFile(o.path), "and again");

    ReplaceByRename(copy, ReadFile(copy));
    const std::string otherSpelling = o.dir.Path() + "/./copy.kvd";
    o.sink.Answer(ORQ::IDNO);
    EXPECT_FALSE(o.saver.SaveAs(otherSpelling, 0));
    ASSERT_EQ(o.sink.Messages().size(), 1u) << o.sink.AllTexts();
    EXPECT_EQ(o.sink.Messages()[0].text, ChangedQuestion(otherSpelling));
    EXPECT_EQ(o.holder.GetFilePathName(), copy);
    o.sink.Answer(ORQ::IDYES);
    EXPECT_TRUE(o.saver.SaveAs(otherSpelling, 0));
    EXPECT_EQ(o.sink.Messages().size(), 2u);
}
