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
// and the normal rectangle that a close at the end stores. The program's own correction of the
// frame's size counts as read at once, and readings still showing the frame before it are passed
// over for a while.
TEST(NormalPlacement, KeepsTheLastFrameSeenInTheNormalState) {
    const SPlacementRect normal{100, 80, 900, 680}, moved{150, 90, 950, 690},
        screen{0, 0, 1280, 1024}, iconic{0, 0, 1, 1}, uncorrected{100, 80, 902, 705};
    constexpr auto N = CNormalPlacement::NORMAL, MAX = CNormalPlacement::MAXIMISED,
                   MIN = CNormalPlacement::MINIMISED;
    struct SReading {
        SPlacementRect frame;
        CNormalPlacement::EState state;
        int ms;             // after the start
        bool asked = false; // the program's request of frame, from the one read before
    };
    const struct {
        const char *name;
        std::vector<SReading> readings;
        SPlacementRect stored;
    } rows[] = {
        {"normal all along", {{normal, N, 0}, {moved, N, 3000}}, moved},
        {"maximised a while after the last move",
         {{normal, N, 0}, {moved, N, 3000}, {screen, MAX, 9000}},
         moved},
        {"maximised frame read before the state came",
         {{normal, N, 0}, {screen, N, 5000}, {screen, MAX, 5040}},
         normal},
        {"the state came a second after the maximised frame (a loaded machine)",
         {{normal, N, 0}, {screen, N, 5000}, {screen, MAX, 6200}},
         normal},
        {"the state came before the frame changed",
         {{normal, N, 0}, {normal, MAX, 5000}, {screen, MAX, 5100}},
         normal},
        {"the state came before the frame changed, right after the frame's last correction",
         {{moved, N, 0}, {normal, N, 400}, {normal, MAX, 1400}, {screen, MAX, 1500}},
         normal},
        {"moved right before it was maximised",
         {{normal, N, 0}, {moved, N, 5000}, {screen, MAX, 5100}},
         moved},
        {"as large as the screen in the normal state long before",
         {{normal, N, 0}, {screen, N, 2000}, {screen, MAX, 8000}},
         screen},
        {"minimised right after a move: the frame stays",
         {{normal, N, 0}, {moved, N, 4000}, {moved, MIN, 4100}},
         moved},
        {"maximised, restored, moved, minimised",
         {{normal, N, 0},
          {screen, MAX, 2000},
          {normal, N, 4000},
          {moved, N, 6000},
          {iconic, MIN, 9000}},
         moved},
        {"maximised twice",
         {{normal, N, 0},
          {screen, N, 2000},
          {screen, MAX, 2050},
          {normal, N, 4000},
          {screen, N, 6000},
          {screen, MAX, 6030}},
         normal},
        {"maximised before a reading showed the start's correction",
         {{uncorrected, N, 0}, {normal, N, 400, true}, {uncorrected, N, 600}, {screen, MAX, 1500}},
         normal},
        {"the frame kept its size past the while (the correction came to nothing)",
         {{uncorrected, N, 0}, {normal, N, 400, true}, {uncorrected, N, 3000}, {screen, MAX, 9000}},
         uncorrected},
        {"moved after the correction",
         {{uncorrected, N, 0}, {normal, N, 400, true}, {moved, N, 900}, {screen, MAX, 5000}},
         moved},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        CNormalPlacement placement;
        const Clock::time_point start = Clock::now();
        SPlacementRect last;
        for (const SReading &r : row.readings) {
            if (r.asked)
                placement.Requested(r.frame, last, start + milliseconds(r.ms));
            else
                placement.Observe(r.frame, r.state, start + milliseconds(r.ms));
            last = r.frame;
        }
        ASSERT_TRUE(placement.Known());
        EXPECT_EQ(Text(row.stored), Text(placement.Normal()));
    }
}

TEST(NormalPlacement, NothingIsKnownBeforeANormalReading) {
    CNormalPlacement placement;
    EXPECT_FALSE(placement.Known());
    placement.Observe({0, 0, 1280, 1024}, CNormalPlacement::MAXIMISED, Clock::now());
    EXPECT_FALSE(placement.Known()) << "a maximised frame is no normal rectangle";
}
