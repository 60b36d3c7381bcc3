#include "KVD_Edit/app/shell/NormalPlacement.h"

namespace {

bool Same(const SPlacementRect &a, const SPlacementRect &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

void CNormalPlacement::Observe(const SPlacementRect &frame, bool normal, Clock::time_point at) {
    if (!normal) {
        // The first reading in the new state: a normal reading just before that already showed
        // this frame was the manager's change seen before its word on the state.
        if (m_normal && m_last && m_previous && Same(m_last->frame, frame) &&
            at - m_last->at < kStateLag) {
            m_last = m_previous;
            m_previous.reset();
        }
        m_normal = false;
        return;
    }
    m_normal = true;
    if (m_last && Same(m_last->frame, frame))
        return;
    m_previous = m_last;
    m_last = SReading{frame, at};
}
