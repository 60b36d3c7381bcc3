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
    if (m_last && m_last->frame == frame)
        return;
    m_previous = m_last;
    m_last = SReading{frame, at};
}

SPlacementRect CNormalPlacement::Normal() const {
    const std::optional<SReading> &normal = m_maximisedFrameSeenFirst ? m_previous : m_last;
    return normal ? normal->frame : SPlacementRect();
}
