#include "KVD_Edit/app/lines/ImportDlgLogic.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace ImportDlgLogic;

TEST(ImportDialogLogic, OffersEachGridNameOnce) {
    EXPECT_EQ(GridNameChoices({"a10", "", "A1", "A10", "a1", "B"}),
              (std::vector<std::string>{"a10", "A1", "B"}));
    EXPECT_EQ(PreselectedType(0), ImportLineType::kXAndYLines);
    EXPECT_EQ(PreselectedType(1), ImportLineType::kXLines);
    EXPECT_EQ(PreselectedType(2), ImportLineType::kYLines);
    EXPECT_EQ(PreselectedType(3), ImportLineType::kNone);
    EXPECT_EQ(SpacingGroupLabel(ORQ::UNIT_FT), "Line Spacing (ft)");
    EXPECT_EQ(OffsetGroupLabel(ORQ::UNIT_CM), "Offset from current origin (m)");
    EXPECT_EQ(SpacingText(0.5), "0.50000000");
    EXPECT_EQ(OffsetText(-1.25), "-1.250");
}

TEST(ImportDialogLogic, OkChecksInOrder) {
    kvdtest::CaptureSink sink;
    ImportLineType record;
    SDialogInput in;
    EXPECT_FALSE(Accept(1, in, record));
    EXPECT_EQ(sink.AllTexts(), kNoLineType);

    sink.Clear();
    in.selectedType = ImportLineType::kYLines;
    in.gridText = "  grid1 ";
    EXPECT_FALSE(Accept(0, in, record));
    EXPECT_EQ(sink.AllTexts(), kNeedNewerVersion);
    EXPECT_EQ(record.gridName, "GRID1") << "fields pass into the record as they are checked";

    sink.Clear();
    in.gridText = " ";
    EXPECT_FALSE(Accept(1, in, record));
    EXPECT_EQ(sink.AllTexts(), kNoGridName);

    sink.Clear();
    in.gridText = "g";
    in.spacingText = "abc";
    sink.Answer(ORQ::IDNO);
    EXPECT_FALSE(Accept(1, in, record));
    EXPECT_EQ(sink.AllTexts(), kNoSpacing);
    sink.Answer(ORQ::IDYES);
    in.offsetXText = "1.5";
    in.offsetYText = "inf";
    in.addGps = false;
    EXPECT_TRUE(Accept(1, in, record));
    EXPECT_EQ(record.spacing, 0);
    EXPECT_EQ(record.offsetX, 1.5);
    EXPECT_EQ(record.offsetY, 0);
    EXPECT_FALSE(record.addGps);

    sink.Clear();
    ImportLineType single;
    single.spacing = -1;
    in.spacingText = "0";
    EXPECT_TRUE(Accept(1, in, single));
    EXPECT_EQ(single.spacing, -1);
    EXPECT_TRUE(sink.Messages().empty());
}

} // namespace
