#include "KVD_Edit/app/lines/LineDeleter.h"

#include "tests/KVD_Edit/app/lines/ImportTestSupport.h"

#include <gtest/gtest.h>

using importtest::Count;
using importtest::Project;

namespace {

const char *const kTwoSets = "<Data version=\"1.2.0\">"
                             "<LineSet name=\"A\"><Line name=\"L1\"/><Line name=\"L2\"/></LineSet>"
                             "<LineSet name=\"B\"><Line name=\"L9\"/></LineSet>"
                             "<Line name=\"Free\"/></Data>";

TEST(LineDeletion, RemovesLinesAndTheSetTheyEmpty) {
    Project p(kTwoSets);
    kvdtest::CaptureSink sink;
    const SDeleteResult r =
        CLineDeleter::DeleteKVDEntries(p.File(), {{"a", "l1"}, {"b", "L9"}, {"", "FREE"}});
    EXPECT_EQ(r.linesRemoved, 3);
    EXPECT_EQ(r.setsRemoved, 1);
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    const std::string xml = p.Text();
    EXPECT_NE(xml.find("<LineSet name=\"A\"><Line name=\"L2\"/></LineSet></Data>"),
              std::string::npos)
        << xml;
    EXPECT_EQ(Count(xml, "<Line "), 1);
}

TEST(LineDeletion, TwoRowsOfOneLineDeleteItOnce) {
    Project p(kTwoSets);
    kvdtest::CaptureSink sink;
    const SDeleteResult r =
        CLineDeleter::DeleteKVDEntries(p.File(), {{"B", "L9"}, {"b", "l9"}, {"A", "L1"}});
    EXPECT_EQ(r.linesRemoved, 2);
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    EXPECT_EQ(p.Text().find("LineSet name=\"B\""), std::string::npos);
}

TEST(LineDeletion, ReportsWhatIsMissingAndRemovesNothingElse) {
    Project p(kTwoSets);
    const std::string before = p.Text();
    kvdtest::CaptureSink sink;
    const SDeleteResult r =
        CLineDeleter::DeleteKVDEntries(p.File(), {{"C", "L1"}, {"A", "L7"}, {"", "nothing"}});
    EXPECT_EQ(r.linesRemoved, 0);
    ASSERT_EQ(sink.Messages().size(), 2u);
    EXPECT_EQ(sink.Messages()[0].text, "Entry not found");
    EXPECT_EQ(sink.Messages()[1].text, "Line A L7, not found");
    EXPECT_EQ(p.Text(), before);
}

TEST(LineDeletion, OlderProjectsRefuseRowsOfSets) {
    Project p("<Data version=\"1.1.0\"><LineSet name=\"A\"><Line name=\"L1\"/></LineSet>"
              "<Line name=\"L1\"/></Data>");
    const std::string before = p.Text();
    kvdtest::CaptureSink sink;
    const SDeleteResult r = CLineDeleter::DeleteKVDEntries(p.File(), {{"A", "L1"}});
    EXPECT_EQ(r.linesRemoved, 0);
    EXPECT_EQ(sink.AllTexts(), "Deleting sets are not supported");
    EXPECT_EQ(p.Text(), before) << "the line outside the set is another line";

    EXPECT_EQ(CLineDeleter::DeleteKVDEntries(p.File(), {{"", "l1"}}).linesRemoved, 1);
    EXPECT_NE(p.Text().find("<LineSet name=\"A\"><Line name=\"L1\"/></LineSet></Data>"),
              std::string::npos);
}

// Each row takes the first set of its name that is still there and the first line of its name
// in that set, in the order of the rows, as a walk over the siblings would find them.
TEST(LineDeletion, TakesTheFirstSetAndLineOfANameInTheOrderOfTheRows) {
    const struct {
        const char *name;
        const char *data;
        std::vector<SDeleteRow> rows;
        int lines, sets;
        std::string messages;
        const char *after;
    } cases[] = {
        {"an emptied set leaves its name to the next set of that name",
         "<LineSet name=\"A\"><Line name=\"L1\"/></LineSet>"
         "<LineSet name=\"a\"><Line name=\"L1\"/><Line name=\"L2\"/></LineSet>",
         {{"A", "L1"}, {"A", "L2"}},
         2,
         1,
         "",
         "<LineSet name=\"a\"><Line name=\"L1\"/></LineSet>"},
        {"a line the first set lacks is not looked for in the next",
         "<LineSet name=\"A\"><Line name=\"L1\"/></LineSet>"
         "<LineSet name=\"A\"><Line name=\"L2\"/></LineSet>",
         {{"A", "L2"}, {"A", "L1"}},
         1,
         1,
         "Line A L2, not found",
         "<LineSet name=\"A\"><Line name=\"L2\"/></LineSet>"},
        {"of two lines of one name the first goes",
         "<LineSet name=\"A\"><Line name=\"L1\" seq=\"1\"/><Line name=\"l1\" seq=\"2\"/></LineSet>",
         {{"A", "L1"}, {"a", "l1"}},
         1,
         0,
         "",
         "<LineSet name=\"A\"><Line name=\"l1\" seq=\"2\"/></LineSet>"},
        {"a line without a name keeps its set",
         "<LineSet name=\"A\"><Line name=\"L1\"/><Line/></LineSet>",
         {{"A", "L1"}},
         1,
         0,
         "",
         "<LineSet name=\"A\"><Line/></LineSet>"},
        {"a line outside the sets is another line than one of a set",
         "<LineSet name=\"A\"><Line name=\"L1\"/></LineSet><Line name=\"L1\"/>",
         {{"", "L1"}},
         1,
         0,
         "",
         "<LineSet name=\"A\"><Line name=\"L1\"/></LineSet></Data>"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Project p(std::string("<Data version=\"1.2.0\">") + c.data + "</Data>");
        kvdtest::CaptureSink sink;
        const SDeleteResult r = CLineDeleter::DeleteKVDEntries(p.File(), c.rows);
        EXPECT_EQ(r.linesRemoved, c.lines);
        EXPECT_EQ(r.setsRemoved, c.sets);
        EXPECT_EQ(sink.AllTexts(), c.messages);
        const std::string xml = p.Text();
        EXPECT_NE(xml.find(std::string("<Data version=\"1.2.0\">") + c.after), std::string::npos)
            << xml;
    }
}

// Half the lines of a large set, named in the reverse of their order: the other half stays, in
// its order.
TEST(LineDeletion, RemovesHalfOfALargeSetAndKeepsTheRestInOrder) {
    std::string data = "<Data version=\"1.2.0\"><LineSet name=\"G\">";
    std::vector<SDeleteRow> rows;
    std::string kept;
    for (int i = 0; i < 4000; ++i) {
        const std::string line = "<Line name=\"L" + std::to_string(i) + "\"/>";
        data += line;
        if (i % 2 == 0)
            kept += line;
    }
    for (int i = 3999; i >= 0; --i)
        if (i % 2 == 1)
            rows.push_back({"G", "l" + std::to_string(i)});
    Project p(data + "</LineSet></Data>");
    kvdtest::CaptureSink sink;
    const SDeleteResult r = CLineDeleter::DeleteKVDEntries(p.File(), rows);
    EXPECT_EQ(r.linesRemoved, 2000);
    EXPECT_EQ(r.setsRemoved, 0);
    EXPECT_TRUE(sink.Messages().empty()) << sink.AllTexts();
    EXPECT_NE(p.Text().find("<LineSet name=\"G\">" + kept + "</LineSet>"), std::string::npos);
}

} // namespace
