// Long reads and writes a piece at a time: every byte is handed to a step exactly once, in
// order, with progress after each piece; an early end stops the work and a failed step stops
// it without a progress call for the failure.
#include "orq_utils/Pieces.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

TEST(Pieces, CoversTheBytesInOrderAndReportsEachPiece) {
    const struct {
        const char *name;
        int64_t size;
        int64_t piece;
        int64_t endsAt;  // the data ends there (a short file); -1 for no early end
        int64_t failsAt; // the step at this offset fails; -1 for none
        int64_t result;
        std::vector<std::pair<int64_t, int64_t>> steps; // offset, length asked
        int progress;
    } rows[] = {
        {"whole pieces", 8, 4, -1, -1, 8, {{0, 4}, {4, 4}}, 2},
        {"a shorter last piece", 10, 4, -1, -1, 10, {{0, 4}, {4, 4}, {8, 2}}, 3},
        {"smaller than a piece", 3, 4, -1, -1, 3, {{0, 3}}, 1},
        {"nothing to do", 0, 4, -1, -1, 0, {}, 0},
        {"the data ends early", 10, 4, 6, -1, 6, {{0, 4}, {4, 4}, {6, 4}}, 3},
        {"a step fails", 10, 4, -1, 4, -1, {{0, 4}, {4, 4}}, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::pair<int64_t, int64_t>> steps;
        int progress = 0;
        const int64_t result = ORQ::InPieces(
            row.size, row.piece,
            [&](int64_t at, int64_t length) -> int64_t {
                steps.emplace_back(at, length);
                if (at == row.failsAt)
                    return -1;
                if (row.endsAt >= 0 && at + length > row.endsAt)
                    return row.endsAt - at;
                return length;
            },
            [&progress] { ++progress; });
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(steps, row.steps);
        EXPECT_EQ(progress, row.progress);
    }
    // Without a progress callback the work is the same.
    EXPECT_EQ(ORQ::InPieces(10, 4, [](int64_t, int64_t length) { return length; }, {}), 10);
}
