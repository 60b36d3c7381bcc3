#pragma once

#include "KVD3/Kvd3Export.h"

#include <vector>

namespace ORQ {

// A piecewise-linear table from one distance scale to another. Lookups interpolate inside the
// table and extrapolate along its first and last segments; a table of one point is a constant
// shift.
class KVD3_API CConverter {
public:
    struct hash {
        double first = 0.0;
        double second = 0.0;
    };

    CConverter() = default;
    CConverter(const CConverter &other) = default;
    CConverter &operator=(const CConverter &other);
    virtual ~CConverter() = default;

    // Replaces the points by (first[i], second[i]); 0 (table unchanged) for a null array or a
    // negative count.
    int SetTable(const double *first, const double *second, int count);

    // The second value at first value x, and the first value at second value y.
    double Forward(double x) const;
    double Inverse(double y) const;

    // The largest first-to-second slope between neighbouring points (at least 0); 1.0 for
    // fewer than two points.
    double GetLargestRatio() const;

    // True when both the first and the second values never decrease along the table.
    bool IsMonotonic() const;

    const std::vector<hash> &GetPoints() const { return m_points; }

private:
    double Lookup(double x, bool inverse) const;

    // Lookup cursor, reset by every lookup.
    mutable int m_prev = 0;
    mutable int m_cur = 0;
    std::vector<hash> m_points;
};

} // namespace ORQ
