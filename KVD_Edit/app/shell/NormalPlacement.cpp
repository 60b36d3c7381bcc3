#include "KVD_Edit/app/shell/NormalPlacement.h"

void CNormalPlacement::Observe(const SPlacementRect &frame, EState state, Clock::time_point at) {
    if (state != NORMAL) {
        // The first reading maximised: a normal reading just before that already showed this
        // frame was the manager's change seen before its word on the state.
        if (state == MAXIMISED && m_state == NORMAL && m_last && m_previous &&
            m_last->frame == frame && at - m_last->at < kStateLag) {
            m_last = m_previous;
            m_previous.reset();
        }
        m_state = state;
        return;
    }
    m_state = NORMAL;
    if (m_last && m_last->frame == frame)
        return;
    m_previous = m_last;
    m_last = SReading{frame, at};
}
