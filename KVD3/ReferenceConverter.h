#pragma once

#include "KVD3/Converter.h"
#include "KVD3/Kvd3Export.h"

#include <memory>

namespace ORQ {

// Converts distances along a line between the user's distance, the reference distance of the
// line's linear references and the odometer distance, and between a distance and a trace index.
class KVD3_API CReferenceConverter {
public:
    enum ERounding { ROUND_DOWN = 1, ROUND_UP = 2, ROUND_NEAREST = 3 };

    CReferenceConverter();
    CReferenceConverter(const CReferenceConverter &other);
    CReferenceConverter &operator=(const CReferenceConverter &other);
    virtual ~CReferenceConverter();

    int InitializeUser2RefTable(const double *user, const double *ref, int count);
    int InitializeRef2OdoTable(const double *ref, const double *odo, int count);

    double User2Odo(double user) const;
    double Odo2User(double odo) const;

    // The trace index of a user distance for traces at start + index x step, rounded as asked
    // (any other rounding value leaves it unrounded); the user distance moves onto that index.
    double User2Idx(double &user, double start, double step, int rounding) const;
    double Idx2User(double index, double start, double step) const;

    double GetLargestRef2OdoRatio() const;

    const CConverter &GetUser2RefTable() const { return *m_user2Ref; }
    const CConverter &GetRef2OdoTable() const { return *m_ref2Odo; }

private:
    std::unique_ptr<CConverter> m_user2Ref;
    std::unique_ptr<CConverter> m_ref2Odo;
};

} // namespace ORQ
