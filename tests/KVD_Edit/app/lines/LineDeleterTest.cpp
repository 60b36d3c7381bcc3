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

} // namespace
