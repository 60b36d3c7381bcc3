#pragma once

// Long reads and writes go a piece at a time, with a call of the caller's progress after each,
// so that a busy display stays alive and the work can be followed.

#include <cstdint>
#include <functional>

namespace ORQ {

// Goes through size bytes from the start, pieces of at most piece bytes: step(offset, length)
// does one piece and returns how many of its bytes it did (0 where the data ends early), or a
// negative number when it failed. progress, when set, is called after each piece that did not
// fail. The bytes done (fewer than size when the data ended), or -1 when a step failed.
template <typename Step>
int64_t InPieces(int64_t size, int64_t piece, Step step, const std::function<void()> &progress) {
    int64_t done = 0;
    while (done < size) {
        const int64_t did = step(done, size - done < piece ? size - done : piece);
        if (did < 0)
            return -1;
        done += did;
        if (progress)
            progress();
        if (did == 0)
            break;
    }
    return done;
}

} // namespace ORQ
