#include "KVD_Edit/app/shell/NormalPlacement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Clock = CNormalPlacement::Clock;
using std::chrono::milliseconds;

std::string Text(const SPlacementRect &r) {
    return FormatC("%d,%d,%d,%d", r.left, r.top, r.right, r.bottom);
}

} // namespace

// The frame's readings as the program takes them, with the state the toolkit reported then,
// and the normal rectangle that a close at the end stores.
TEST(NormalPlacement, KeepsTheLastFrameSeenInTheNormalState) {
    const SPlacementRect normal{100, 80, 900, 680}, moved{150, 90, 950, 690},
        screen{0, 0, 1280, 1024}, iconic{0, 0, 1, 1};
    struct SReading {
        SPlacementRect frame;
        bool normal;
        int ms; // after the start
    };
    const struct {
        const char *name;
        std::vector<SReading> readings;
        SPlacementRect stored;
    } rows[] = {
        {"normal all along", {{normal, true, 0}, {moved, true, 3000}}, moved},
        {"maximised a while after the last move",
         {{normal, true, 0}, {moved, true, 3000}, {screen, false, 9000}},
         moved},
        {"maximised frame read before the state came",
         {{normal, true, 0}, {screen, true, 5000}, {screen, false, 5040}},
         normal},
        {"the state came before the frame changed",
         {{normal, true, 0}, {normal, false, 5000}, {screen, false, 5100}},
         normal},
        {"moved right before it was maximised",
         {{normal, true, 0}, {moved, true, 5000}, {screen, false, 5100}},
         moved},
        {"as large as the screen in the normal state long before",
         {{normal, true, 0}, {screen, true, 2000}, {screen, false, 8000}},
         screen},
        {"minimised frame read before the state came",
         {{normal, true, 0}, {iconic, true, 4000}, {iconic, false, 4100}},
         normal},
        {"maximised, restored, moved, minimised",
         {{normal, true, 0},
          {screen, false, 2000},
          {normal, true, 4000},
          {moved, true, 6000},
          {iconic, false, 9000}},
         moved},
        {"maximised twice",
         {{normal, true, 0},
          {screen, true, 2000},
          {screen, false, 2050},
          {normal, true, 4000},
          {screen, true, 6000},
          {screen, false, 6030}},
         normal},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        CNormalPlacement placement;
        const Clock::time_point start = Clock::now();
        for (const SReading &r : row.readings)
            placement.Observe(r.frame, r.normal, start + milliseconds(r.ms));
        ASSERT_TRUE(placement.Known());
        EXPECT_EQ(Text(row.stored), Text(placement.Normal()));
    }
}

TEST(NormalPlacement, NothingIsKnownBeforeANormalReading) {
    CNormalPlacement placement;
    EXPECT_FALSE(placement.Known());
    placement.Observe({0, 0, 1280, 1024}, false, Clock::now());
    EXPECT_FALSE(placement.Known()) << "a maximised frame is no normal rectangle";
}
