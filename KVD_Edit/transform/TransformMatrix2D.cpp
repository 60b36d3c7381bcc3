#include "KVD_Edit/transform/TransformMatrix2D.h"

#include "KVD_Edit/transform/nr3/ludcmp.h"

#include <cmath>
#include <limits>

namespace ORQ::Transform {

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;
constexpr double kMinLocalDistance = 1e-7;

SPoint2D Apply(const CNumMatrix<double> &m, const SPoint2D &p) {
    if (m.GetRows() != 3 || m.GetCols() != 3) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan};
    }
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2], m[1][0] * p.x + m[1][1] * p.y + m[1][2]};
}

bool Finite(const SPoint2D &p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

} // namespace

CTransformMatrix2D::CTransformMatrix2D(double shiftX, double shiftY, double rotation, double scaleX,
                                       double scaleY)
    : m_matrix(std::make_unique<CNumMatrix<double>>()),
      m_inverse(std::make_unique<CNumMatrix<double>>()), m_params{shiftX, shiftY, rotation, scaleX,
                                                                  scaleY} {
    Rebuild();
}

CTransformMatrix2D::CTransformMatrix2D(const STransformParams *params)
    : m_matrix(std::make_unique<CNumMatrix<double>>()),
      m_inverse(std::make_unique<CNumMatrix<double>>()) {
    SetParams(params);
}

CTransformMatrix2D::CTransformMatrix2D(const CTransformMatrix2D &other)
    : m_matrix(std::make_unique<CNumMatrix<double>>(*other.m_matrix)),
      m_inverse(std::make_unique<CNumMatrix<double>>(*other.m_inverse)), m_params(other.m_params) {}

CTransformMatrix2D &CTransformMatrix2D::operator=(const CTransformMatrix2D &other) {
    if (this != &other) {
        *m_matrix = *other.m_matrix;
        *m_inverse = *other.m_inverse;
        m_params = other.m_params;
    }
    return *this;
}

CTransformMatrix2D::~CTransformMatrix2D() = default;

bool CTransformMatrix2D::SetParams(const STransformParams *params) {
    if (!params) {
        m_params = STransformParams();
        m_matrix->SetIdentity(3);
        m_inverse->SetIdentity(3);
        return true;
    }
    m_params = *params;
    return Rebuild();
}

bool CTransformMatrix2D::Rebuild() {
    BuildTransformMatrix(m_matrix.get(), m_params);
    return InvertMatrix(m_inverse.get(), *m_matrix);
}

SPoint2D CTransformMatrix2D::Transform(const SPoint2D &point) const {
    return Apply(*m_inverse, point);
}

SPoint2D CTransformMatrix2D::InverseTransform(const SPoint2D &point) const {
    return Apply(*m_matrix, point);
}

void BuildTransformMatrix(CNumMatrix<double> *out, const STransformParams &params) {
    if (!out)
        return;
    CNumMatrix<double> t, r, s;
    t.SetIdentity(3);
    t[0][2] = params.shiftX;
    t[1][2] = params.shiftY;
    r.SetIdentity(3);
    const double c = std::cos(params.rotation);
    const double sn = std::sin(params.rotation);
    r[0][0] = c;
    r[0][1] = -sn;
    r[1][0] = sn;
    r[1][1] = c;
    s.SetIdentity(3);
    s[0][0] = params.scaleX;
    s[1][1] = params.scaleY;
    CNumMatrix<double> sr;
    sr.Multiply(s, r);
    out->Multiply(sr, t);
}

bool InvertMatrix(CNumMatrix<double> *out, const CNumMatrix<double> &in) {
    if (!out)
        return false;
    try {
        LUdcmp lu(in);
        CNumMatrix<double> inverse;
        lu.BuildInverse(inverse);
        *out = std::move(inverse);
        return true;
    } catch (...) {
        return false;
    }
}

double ComputeNormalisingMatrix(CNumMatrix<double> *out, const SPoint2D &a, const SPoint2D &b) {
    const double d = std::hypot(b.x - a.x, b.y - a.y);
    if (!(d >= kEpsilon))
        return 0.0;
    STransformParams p;
    p.shiftX = -a.x;
    p.shiftY = -a.y;
    p.rotation = -std::atan2(b.y - a.y, b.x - a.x);
    p.scaleX = p.scaleY = 1.0 / d;
    BuildTransformMatrix(out, p);
    return d;
}

bool ComputeTwoPointTransform(STransformParams *out, const SPoint2D &p1, const SPoint2D &q1,
                              const SPoint2D &p2, const SPoint2D &q2) {
    if (!out || !Finite(p1) || !Finite(q1) || !Finite(p2) || !Finite(q2))
        return false;
    CNumMatrix<double> n1, n2, n2inv;
    const double dP = ComputeNormalisingMatrix(&n1, p1, p2);
    if (!(dP >= kEpsilon))
        return false;
    const double dQ = ComputeNormalisingMatrix(&n2, q1, q2);
    if (!(dQ >= kMinLocalDistance))
        return false;
    if (!InvertMatrix(&n2inv, n2))
        return false;
    CNumMatrix<double> m;
    m.Multiply(n2inv, n1);

    STransformParams fit;
    fit.scaleX = fit.scaleY = dQ / dP;
    fit.rotation = std::atan2(m[1][0], m[0][0]);
    fit.shiftX = fit.shiftY = 0.0;
    // The shift follows from undoing scale and rotation: T = (S R)^-1 M.
    CNumMatrix<double> a, ainv, t;
    BuildTransformMatrix(&a, fit);
    if (!InvertMatrix(&ainv, a) || !t.Multiply(ainv, m))
        return false;
    fit.shiftX = t[0][2];
    fit.shiftY = t[1][2];
    if (!std::isfinite(fit.shiftX) || !std::isfinite(fit.shiftY) || !std::isfinite(fit.scaleX))
        return false;
    *out = fit;
    return true;
}

bool ComputeOnePointTransform(STransformParams *out, const SPoint2D &a, const SPoint2D &b,
                              double rotation) {
    if (!out || !Finite(a) || !Finite(b) || !std::isfinite(rotation))
        return false;
    STransformParams p;
    p.shiftX = -a.x;
    p.shiftY = -a.y;
    p.rotation = rotation;
    p.scaleX = p.scaleY = 1.0;
    const CTransformMatrix2D temporary(&p);
    const SPoint2D q = temporary.Transform({-b.x, -b.y});
    if (!Finite(q))
        return false;
    p.shiftX = -q.x;
    p.shiftY = -q.y;
    *out = p;
    return true;
}

} // namespace ORQ::Transform
