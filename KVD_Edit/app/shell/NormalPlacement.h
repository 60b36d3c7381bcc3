#pragma once

#include "KVD_Edit/app/shell/Helpers.h"

#include <chrono>
#include <optional>

// The rectangle a top-level window has in its normal state (neither maximised nor minimised),
// kept from readings of its frame on the screen while it was normal: what it stores as its
// placement when it closes maximised or minimised.
//
// The window manager changes the frame of a window it maximises and tells the new state
// separately, and the program may read the frame between the two: a reading taken while the
// window still counted as normal can already show the maximised frame. Such a reading, taken
// less than kStateLag before the first reading in the maximised state and equal to it, is no
// normal rectangle: the one before it stands. A minimised window keeps its frame, and a normal
// reading equal to the minimised frame is its normal rectangle.
class CNormalPlacement {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kStateLag{3000};

    enum EState { NORMAL, MAXIMISED, MINIMISED };

    // One reading of the frame (left, top, right, bottom on the screen, decorations included)
    // and the state the window was in then (full screen counts as maximised).
    void Observe(const SPlacementRect &frame, EState state, Clock::time_point at);

    // The program gave its normal frame a new size of its own (before: the frame it had). The
    // window system may show the change only a while later, and the manager may maximise the
    // frame before the program reads it again: the frame asked for counts as read now, and for
    // kRequestLag normal readings that still show the frame before are passed over.
    static constexpr std::chrono::milliseconds kRequestLag{2000};
    void Requested(const SPlacementRect &frame, const SPlacementRect &before, Clock::time_point at);

    // Whether a reading in the normal state was kept.
    bool Known() const { return m_last.has_value(); }
    // The last reading kept in the normal state (all 0 when none is known).
    SPlacementRect Normal() const;

private:
    struct SReading {
        SPlacementRect frame;
        Clock::time_point at; // when the frame was first read so
    };

    std::optional<SReading> m_last;
    std::optional<SReading> m_previous;
    EState m_state = NORMAL; // the state of the latest reading
    // The first reading maximised showed the last normal frame: either the manager's maximised
    // frame was read before its word on the state (the normal frame is the one before), or the
    // word came before the frame changed (the last is the normal frame). A later maximised
    // reading of another frame tells the second.
    bool m_maximisedFrameSeenFirst = false;
    // The frame before the program's own request, while its readings are passed over.
    std::optional<SPlacementRect> m_beforeRequest;
    Clock::time_point m_requestAt;
};
