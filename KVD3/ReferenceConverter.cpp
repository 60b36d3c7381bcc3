#include "KVD3/ReferenceConverter.h"

#include <cmath>

namespace ORQ {

CReferenceConverter::CReferenceConverter()
    : m_user2Ref(std::make_unique<CConverter>()), m_ref2Odo(std::make_unique<CConverter>()) {}

CReferenceConverter::CReferenceConverter(const CReferenceConverter &other)
    : m_user2Ref(std::make_unique<CConverter>(*other.m_user2Ref)),
      m_ref2Odo(std::make_unique<CConverter>(*other.m_ref2Odo)) {}

CReferenceConverter &CReferenceConverter::operator=(const CReferenceConverter &other) {
    *m_user2Ref = *other.m_user2Ref;
    *m_ref2Odo = *other.m_ref2Odo;
    return *this;
}

CReferenceConverter::~CReferenceConverter() = default;

int CReferenceConverter::InitializeUser2RefTable(const double *user, const double *ref, int count) {
    return m_user2Ref->SetTable(user, ref, count);
}

int CReferenceConverter::InitializeRef2OdoTable(const double *ref, const double *odo, int count) {
    return m_ref2Odo->SetTable(ref, odo, count);
}

double CReferenceConverter::User2Odo(double user) const {
    return m_ref2Odo->Forward(m_user2Ref->Forward(user));
}

double CReferenceConverter::Odo2User(double odo) const {
    return m_user2Ref->Inverse(m_ref2Odo->Inverse(odo));
}

double CReferenceConverter::User2Idx(double &user, double start, double step, int rounding) const {
    double index = 0.0;
    // Without a step every distance is the first trace.
    if (step != 0.0) {
        index = (User2Odo(user) - start) / step;
        switch (rounding) {
        case ROUND_DOWN:
            index = std::floor(index);
            break;
        case ROUND_UP:
            index = std::ceil(index);
            break;
        case ROUND_NEAREST:
            index = std::floor(index + 0.5);
            break;
        default:
            break;
        }
    }
    user = Idx2User(index, start, step);
    return index;
}

double CReferenceConverter::Idx2User(double index, double start, double step) const {
    return Odo2User(index * step + start);
}

double CReferenceConverter::GetLargestRef2OdoRatio() const {
    return m_ref2Odo->GetLargestRatio();
}

} // namespace ORQ
