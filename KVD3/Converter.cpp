#include "KVD3/Converter.h"

#include <cstddef>

namespace ORQ {

using std::size_t;

CConverter &CConverter::operator=(const CConverter &other) {
    if (this != &other)
        m_points = other.m_points;
    return *this;
}

int CConverter::SetTable(const double *first, const double *second, int count) {
    if (!first || !second || count < 0)
        return 0;
    std::vector<hash> points(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        points[i] = hash{first[i], second[i]};
    m_points.swap(points);
    return 1;
}

double CConverter::Forward(double x) const {
    return Lookup(x, false);
}

double CConverter::Inverse(double y) const {
    return Lookup(y, true);
}

double CConverter::Lookup(double x, bool inverse) const {
    const int n = static_cast<int>(m_points.size());
    m_prev = 0;
    m_cur = 0;
    // An empty table has nothing to say: the value passes unchanged.
    if (n == 0)
        return x;
    auto key = [&](int i) { return inverse ? m_points[i].second : m_points[i].first; };
    auto val = [&](int i) { return inverse ? m_points[i].first : m_points[i].second; };

    while (m_cur + 1 < n) {
        m_prev = m_cur;
        ++m_cur;
        if (x < key(m_cur))
            break;
    }
    int prev = m_prev;
    int cur = m_cur;
    if (cur != 0 && key(cur) == key(prev)) {
        // A segment of equal keys has no slope (this happens only at the ends of the table).
        // Below the table take the first segment that has one, above it the last.
        if (prev == 0 && x < key(0)) {
            while (cur + 1 < n && key(cur) == key(cur - 1))
                ++cur;
            prev = cur - 1;
        } else {
            while (prev > 0 && key(prev) == key(cur))
                --prev;
            cur = prev + 1;
        }
        if (key(cur) == key(prev))
            return x + (val(cur) - key(cur));
    }
    if (cur == 0)
        return x + (val(0) - key(0));
    return val(cur) + (val(cur) - val(prev)) * (x - key(cur)) / (key(cur) - key(prev));
}

double CConverter::GetLargestRatio() const {
    if (m_points.size() < 2)
        return 1.0;
    double largest = 0.0;
    for (size_t i = 1; i < m_points.size(); ++i) {
        const double down = m_points[i].second - m_points[i - 1].second;
        if (down == 0.0)
            continue;
        const double ratio = (m_points[i].first - m_points[i - 1].first) / down;
        if (ratio > largest)
            largest = ratio;
    }
    return largest;
}

bool CConverter::IsMonotonic() const {
    for (size_t i = 1; i < m_points.size(); ++i) {
        if (m_points[i].first < m_points[i - 1].first ||
            m_points[i].second < m_points[i - 1].second)
            return false;
    }
    return true;
}

} // namespace ORQ
