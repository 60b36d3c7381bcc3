#include "KVD_Edit/app/edit/EditSetupLogic.h"
#include "KVD_Edit/app/edit/EditPositionLogic.h"
#include "KVD_Edit/app/edit/EditText.h"

#include "tests/KVD_Edit/app/edit/EditProject.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace edittest;
using kvdtest::CaptureSink;
using kvdtest::GridProjectLayout;

namespace {

bool Exists(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// A project of three X lines at Y 0, 5 and 10 (the last 10.0004 long), all selected and
// gathered, with the dialog's logic over it.
struct Fixture {
    CEditProject p;
    CEditSetupLogic logic;
    explicit Fixture(std::vector<std::string> select = {"A", "B", "C"})
        : p(Layout()), logic(&p.Engine().Data(), p) {
        p.Select(select);
        EXPECT_TRUE(p.Engine().Gather(p, 1000));
        logic.SyncWorkBuffers();
    }
    static GridProjectLayout Layout() {
        GridProjectLayout layout;
        layout.lines = {XLine("A", 0, 0, 5), XLine("B", 5, 0, 5), XLine("C", 10, 0, 10.0004)};
        return layout;
    }
    // Types text into a field tab and presses Enter.
    bool Enter(int tab, std::string text) {
        logic.SetCurrentTab(tab);
        logic.OnTextChanged(tab, text);
        return logic.Preview(tab, text, false);
    }
};

TEST(EditSetupLogic, GridColumnsChooseTheFirstTab) {
    const struct {
        int column, tab;
    } rows[] = {{0, TAB_NAME},     {1, TAB_NAME},   {2, TAB_ORIENTATION}, {3, TAB_POSITION},
                {6, TAB_POSITION}, {7, TAB_LENGTH}, {8, TAB_STEP},        {9, TAB_ORIENTATION},
                {11, TAB_NAME},    {-1, TAB_NAME}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.column);
        EXPECT_EQ(CEditSetupLogic::TabForColumn(row.column), row.tab);
    }
}

TEST(EditSetupLogic, InvalidEntriesAreRefusedAndReset) {
    Fixture f;
    ASSERT_TRUE(f.logic.Open());
    for (const char *text : {"", "-", ".", "-.", "1.2.3", "4-2", "12a"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(CEditSetupLogic::IsNumberText(text));
    }
    for (const char *text : {"0", "-3", ".5", "12.", "0.040"})
        EXPECT_TRUE(CEditSetupLogic::IsNumberText(text)) << text;

    const struct {
        const char *name;
        int tab;
        const char *text;
        const char *message;
        const char *reset;
    } rows[] = {
        {"step 0", TAB_STEP, "0", EditText::kStepZero, "0.500000"},
        {"step -0", TAB_STEP, "-0", EditText::kStepZero, "0.500000"},
        {"negative step", TAB_STEP, "-0.1", EditText::kStepNegative, "0.500000"},
        {"tiny negative step", TAB_STEP, "-.000001", EditText::kStepNegative, "0.500000"},
        {"letters in the step", TAB_STEP, "0.5x", EditText::kInvalidNumber, "0.500000"},
        {"empty length", TAB_LENGTH, "", EditText::kInvalidNumber, "10.000"},
        {"zero length", TAB_LENGTH, "0.000", EditText::kLengthZero, "10.000"},
        {"negative length", TAB_LENGTH, "-4", EditText::kLengthNegative, "10.000"},
        {"a lone minus as spacing", TAB_SPACING, "-", EditText::kInvalidNumber, "5.000000"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        f.logic.SetCurrentTab(row.tab);
        f.logic.Display(row.tab);
        CaptureSink sink;
        std::string text = row.text;
        EXPECT_FALSE(f.logic.Preview(row.tab, text, false));
        EXPECT_EQ(sink.AllTexts(), row.message);
        EXPECT_EQ(text, row.reset);
        EXPECT_EQ(f.p.applies, 0);
    }
    EXPECT_EQ(f.logic.Snapshots().GetCount(), 0) << "nothing refused saves a restore point";
}

TEST(EditSetupLogic, EmptyNameIsRefusedAndTheOldNameKept) {
    Fixture f({"B"});
    ASSERT_TRUE(f.logic.Open());
    f.logic.SetCurrentTab(TAB_NAME);
    EXPECT_EQ(f.logic.Display(TAB_NAME), "B");
    EXPECT_TRUE(f.logic.FieldEnabled(TAB_NAME));
    CaptureSink sink;
    std::string text;
    EXPECT_FALSE(f.logic.Preview(TAB_NAME, text, false));
    EXPECT_EQ(sink.AllTexts(), EditText::kEmptyName);
    EXPECT_EQ(text, "B");
    EXPECT_TRUE(f.Enter(TAB_NAME, "B7"));
    EXPECT_NE(f.p.Row("B7"), nullptr);

    // Several rows: the name field shows nothing and takes nothing.
    Fixture g;
    EXPECT_FALSE(g.logic.FieldEnabled(TAB_NAME));
    EXPECT_EQ(g.logic.Display(TAB_NAME), "");
}

// The shown "%.3f" of a length of 10.0004 must not become a length edit of every line when
// something else is applied later.
TEST(EditSetupLogic, RoundedShownValuesAreNoEdit) {
    Fixture f;
    ASSERT_TRUE(f.logic.Open());
    f.logic.SetCurrentTab(TAB_LENGTH);
    std::string shown = f.logic.Display(TAB_LENGTH);
    EXPECT_EQ(shown, "10.000");
    EXPECT_FALSE(f.logic.OnTextChanged(TAB_LENGTH, shown));
    EXPECT_FALSE(f.logic.Preview(TAB_LENGTH, shown, false)) << "Enter on an unchanged field";
    EXPECT_FALSE(f.Enter(TAB_LENGTH, "10.0")) << "the same value typed otherwise";
    EXPECT_EQ(f.p.applies, 0);

    f.p.Engine().Data().reverseDirection = true;
    f.logic.SetCurrentTab(TAB_ORIENTATION);
    ASSERT_TRUE(f.logic.AnyWorkChanges(true, false));
    EXPECT_EQ(f.p.applies, 1);
    EXPECT_DOUBLE_EQ(f.p.Row("A")->xMax, 5) << "no line was stretched";
    EXPECT_TRUE(f.p.Row("A")->reversed);
}

TEST(EditSetupLogic, UndoStepsBackByteForByteAndCancelRestoresTheBase) {
    Fixture f;
    ASSERT_TRUE(f.logic.Open());
    const std::string base = f.p.Xml();
    const std::string folder = f.logic.Snapshots().GetFolder();
    struct stat st;
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "snapshots live in a private folder";
    EXPECT_EQ(folder.rfind(CEditSnapshots::TempFolder(), 0), 0u);

    ASSERT_TRUE(f.Enter(TAB_STEP, "0.25"));
    const std::string once = f.p.Xml();
    EXPECT_NE(once, base);
    f.p.Engine().Gather(f.p, 1000);
    f.logic.SyncWorkBuffers();
    f.p.Engine().Data().swapXY = true;
    ASSERT_TRUE(f.logic.AnyWorkChanges(true, false));
    EXPECT_EQ(f.logic.Snapshots().GetCount(), 2);
    EXPECT_TRUE(f.logic.IsUndoEnabled());
    EXPECT_TRUE(f.logic.IsHintShown());

    ASSERT_TRUE(f.logic.Undo());
    EXPECT_EQ(f.p.Xml(), once);
    EXPECT_TRUE(f.logic.IsUndoEnabled());
    ASSERT_TRUE(f.logic.Undo());
    EXPECT_EQ(f.p.Xml(), base) << "two Undos after two applies give the project as it was";
    EXPECT_FALSE(f.logic.IsUndoEnabled());
    EXPECT_FALSE(f.logic.IsHintShown());
    EXPECT_EQ(f.p.reloadsAfterUndo, 2);
    EXPECT_EQ(f.p.Files().GetFilePathName(), f.p.Path()) << "the project keeps its own path";
    // Undo at count 0 stays at 0 and keeps the base.
    EXPECT_TRUE(f.logic.Undo());
    EXPECT_EQ(f.logic.Snapshots().GetCount(), 0);
    EXPECT_EQ(f.p.Xml(), base);

    ASSERT_TRUE(f.Enter(TAB_LENGTH, "3"));
    ASSERT_TRUE(f.Enter(TAB_STEP, "0.1"));
    EXPECT_NE(f.p.Xml(), base);
    EXPECT_TRUE(f.logic.Cancel());
    EXPECT_EQ(f.p.Xml(), base);
    EXPECT_EQ(f.p.Files().GetFilePathName(), f.p.Path());
    EXPECT_NE(f.p.Files().GetDataBlockInterface(), nullptr);
}

TEST(EditSetupLogic, SnapshotsAreRemovedWhateverWayTheDialogEnds) {
    std::string folder;
    {
        Fixture f;
        ASSERT_TRUE(f.logic.Open());
        folder = f.logic.Snapshots().GetFolder();
        ASSERT_TRUE(f.Enter(TAB_STEP, "0.25"));
        ASSERT_TRUE(Exists(f.logic.Snapshots().RestorePointPath(1)));
        ASSERT_TRUE(f.logic.Undo());
        ASSERT_TRUE(f.Enter(TAB_STEP, "0.3"));
        ASSERT_TRUE(f.Enter(TAB_STEP, "0.2"));
        EXPECT_TRUE(f.logic.Cancel());
    }
    EXPECT_FALSE(Exists(folder)) << "no snapshot file or folder is left";
}

TEST(EditSetupLogic, SnapshotFailuresRefuseTheEdit) {
    {
        Fixture f;
        kvdtest::ScopedEnv tmp("TMPDIR", "/nonexistent/folder");
        CaptureSink sink;
        EXPECT_FALSE(f.logic.Open()) << "without its base snapshot the dialog does not open";
        EXPECT_NE(sink.AllTexts().find("/nonexistent/folder"), std::string::npos);
    }
    Fixture f;
    ASSERT_TRUE(f.logic.Open());
    const std::string base = f.p.Xml();
    // The folder goes away under the dialog: the restore point cannot be written.
    const std::string folder = f.logic.Snapshots().GetFolder();
    ASSERT_EQ(unlink(f.logic.Snapshots().BasePath().c_str()), 0);
    ASSERT_EQ(rmdir(folder.c_str()), 0);
    CaptureSink sink;
    EXPECT_FALSE(f.Enter(TAB_STEP, "0.25"));
    EXPECT_EQ(sink.AllTexts(), EditText::kErrorSaving);
    EXPECT_EQ(f.p.applies, 0);
    EXPECT_EQ(f.logic.Snapshots().GetCount(), 0) << "a failed restore point is not counted";
    EXPECT_EQ(f.p.Xml(), base);
    EXPECT_DOUBLE_EQ(f.p.Engine().WorkRow().step, 0.5) << "the edit is dropped";

    // A snapshot that cannot be read leaves the project loaded as it is.
    sink.Clear();
    EXPECT_FALSE(f.logic.Undo());
    EXPECT_EQ(f.p.reloadsAfterUndo, 0);
    EXPECT_NE(f.p.Files().GetDataBlockInterface(), nullptr);
    EXPECT_EQ(f.p.Xml(), base);
    EXPECT_TRUE(f.logic.Cancel()) << "nothing was applied: nothing to return to";
}

TEST(EditSetupLogic, PositionPageMovesTheGroupByTypedValues) {
    Fixture f;
    ASSERT_TRUE(f.logic.Open());
    CEditPositionLogic page(&f.p.Engine().Data());
    std::string texts[PF_COUNT];
    for (int i = 0; i < PF_COUNT; ++i)
        texts[i] = page.Display(i);
    EXPECT_EQ(texts[PF_XMAX], "10.000");
    EXPECT_TRUE(page.FieldEnabled(PF_XMIN));
    EXPECT_FALSE(page.FieldEnabled(PF_XMAX));

    // Invalid: reset, flagged and refused.
    texts[PF_YMIN] = "1-2";
    page.OnTextChanged(PF_YMIN, texts[PF_YMIN]);
    SFieldCheck check = page.ValidateFields(texts);
    EXPECT_FALSE(check.valid);
    EXPECT_EQ(check.message, EditText::kInvalidNumber);
    EXPECT_EQ(check.resetText, "0.000");
    EXPECT_TRUE(page.TakeInvalidEntryFlag());
    EXPECT_FALSE(page.TakeInvalidEntryFlag());
    texts[PF_YMIN] = check.resetText;

    // Unchanged texts take nothing, 12.5 in Xmin moves every line by 12.5.
    EXPECT_FALSE(page.UpdateValues(texts));
    texts[PF_XMIN] = "12.5";
    EXPECT_TRUE(page.OnTextChanged(PF_XMIN, texts[PF_XMIN]));
    EXPECT_TRUE(page.ValidateFields(texts).valid);
    EXPECT_TRUE(page.UpdateValues(texts));
    EXPECT_EQ(f.p.Engine().Data().moveAsGroup, 1);
    EXPECT_TRUE(f.p.Engine().Data().keepLength);
    f.logic.SetCurrentTab(TAB_POSITION);
    ASSERT_TRUE(f.logic.AnyWorkChanges(true, false));
    EXPECT_DOUBLE_EQ(f.p.Row("A")->xMin, 12.5);
    EXPECT_DOUBLE_EQ(f.p.Row("A")->xMax, 17.5);
    EXPECT_DOUBLE_EQ(f.p.Row("C")->xMax, 22.5);
    EXPECT_DOUBLE_EQ(f.p.Row("C")->yMin, 10);
}

} // namespace
