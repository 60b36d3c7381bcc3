#include "KVD_Edit/planview/PlanLinesSource.h"

#include "KVD3/KvdDataBlockInterface.h"
#include "tests/support/PlanProject.h"
#include "tests/support/ProjectFixture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace kvdtest;

TEST(PlanLinesSource, ReadsLinesInWalkOrderWithAddressesPositionsAndFiducials) {
    std::vector<PlanLineSpec> lines = PlanGridLines();
    lines[1].fids = {{3.0, "road"}, {7.5, "pipe"}};
    lines[1].positions = 5;
    CaptureSink sink;
    ProjectFixture project(PlanProjectText(lines, "m"));
    std::unique_ptr<ORQ::CKvdDataBlockInterface_V110> iface(
        static_cast<ORQ::CKvdDataBlockInterface_V110 *>(
            ORQ::CKvdDataBlockInterface::CreateAndInit(project.File(), 0, nullptr)));
    ASSERT_TRUE(iface);

    CLinesSource source;
    ASSERT_TRUE(BuildLinesSource(source, iface.get()));
    ASSERT_EQ(6u, source.size());
    // X lines from bottom to top, then Y lines from left to right; each named by set and
    // index within the set, as the grid and the selection list name it.
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(0, source[i].set);
        EXPECT_EQ(i, source[i].line);
        EXPECT_EQ(i < 3 ? 2 : 3, source[i].lineType);
        ASSERT_EQ(1u, source[i].files.size());
        EXPECT_TRUE(source[i].files[0].isGPR);
        EXPECT_EQ(100, source[i].files[0].traces);
    }
    EXPECT_DOUBLE_EQ(0, source[0].files[0].positions[0].y);
    EXPECT_DOUBLE_EQ(10, source[2].files[0].positions[0].y);
    EXPECT_DOUBLE_EQ(18, source[5].files[0].positions[0].x);
    const SLineFileSource &x05 = source[1].files[0];
    ASSERT_EQ(5u, x05.positions.size());
    EXPECT_DOUBLE_EQ(15, x05.positions[3].x);
    EXPECT_DOUBLE_EQ(0.75, x05.positions[3].normalized_file_pos);
    ASSERT_EQ(2u, x05.fiducials.size());
    EXPECT_EQ("pipe", x05.fiducials[1].text);
    EXPECT_DOUBLE_EQ(7.5, x05.fiducials[1].ododist);

    EXPECT_FALSE(BuildLinesSource(source, nullptr));
    EXPECT_TRUE(source.empty());
}
