#include "KVD_Edit/app/shell/NormalPlacement.h"

void CNormalPlacement::Observe(const SPlacementRect &frame, EState state, Clock::time_point at) {
    if (state != NORMAL) {
        if (state == MAXIMISED && m_state == NORMAL && m_last && m_previous &&
            m_last->frame == frame && at - m_last->at < kStateLag)
            m_maximisedFrameSeenFirst = true;
        else if (m_maximisedFrameSeenFirst && state == MAXIMISED && frame != m_last->frame)
            m_maximisedFrameSeenFirst = false;
        m_state = state;
        return;
    }
    if (m_maximisedFrameSeenFirst) {
        m_last = m_previous;
        m_previous.reset();
        m_maximisedFrameSeenFirst = false;
    }
    m_state = NORMAL;
    if (m_beforeRequest) {
        if (frame == *m_beforeRequest && at - m_requestAt < kRequestLag)
            return;
        m_beforeRequest.reset();
    }
    if (m_last && m_last->frame == frame)
        return;
    m_previous = m_last;
    m_last = SReading{frame, at};
}

void CNormalPlacement::Requested(const SPlacementRect &frame, const SPlacementRect &before,
                                 Clock::time_point at) {
    Observe(frame, NORMAL, at);
    if (m_state != NORMAL || before == frame)
        return;
    m_beforeRequest = before;
    m_requestAt = at;
}

SPlacementRect CNormalPlacement::Normal() const {
    const std::optional<SReading> &normal = m_maximisedFrameSeenFirst ? m_previous : m_last;
    return normal ? normal->frame : SPlacementRect();
}
