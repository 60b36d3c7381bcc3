#pragma once

// A similarity transform between two plane coordinate systems (shift, rotation, scale per axis)
// held as a 3x3 homogeneous matrix with its inverse. In the program the parameter matrix maps
// world (UTM easting, northing) to local grid metres.

#include "KVD_Edit/transform/Math2D.h"
#include "KVD_Edit/transform/nr3/NumMatrix.h"

#include <memory>

namespace ORQ::Transform {

// Shift, rotation (radians, counter-clockwise) and scale. The identity is 0, 0, 0, 1, 1.
struct STransformParams {
    double shiftX = 0.0;
    double shiftY = 0.0;
    double rotation = 0.0;
    double scaleX = 1.0;
    double scaleY = 1.0;
};

class CTransformMatrix2D {
public:
    // Stores the values and builds both matrices; when the matrix cannot be inverted, Transform
    // gives (NaN, NaN) until SetParams succeeds.
    CTransformMatrix2D(double shiftX, double shiftY, double rotation, double scaleX, double scaleY);
    // The identity for a null record.
    explicit CTransformMatrix2D(const STransformParams *params = nullptr);
    CTransformMatrix2D(const CTransformMatrix2D &other);
    CTransformMatrix2D &operator=(const CTransformMatrix2D &other);
    virtual ~CTransformMatrix2D();

    // Null: the identity, true. Otherwise takes the values and rebuilds; false when the matrix
    // cannot be inverted (the inverse then keeps its previous content).
    bool SetParams(const STransformParams *params);

    // Through the inverse matrix: local to world in the program's use.
    SPoint2D Transform(const SPoint2D &point) const;
    // Through the parameter matrix: world to local in the program's use.
    SPoint2D InverseTransform(const SPoint2D &point) const;

private:
    bool Rebuild();

    std::unique_ptr<CNumMatrix<double>> m_matrix;
    std::unique_ptr<CNumMatrix<double>> m_inverse;
    STransformParams m_params;
};

// The parameters, with one scale for both axes, whose matrix takes p1 to q1 and p2 to q2.
// False, out unchanged, when p1 and p2 (or q1 and q2, within 1e-7) coincide, a value is not
// finite or the fit cannot be inverted.
bool ComputeTwoPointTransform(STransformParams *out, const SPoint2D &p1, const SPoint2D &q1,
                              const SPoint2D &p2, const SPoint2D &q2);

// The parameters with the given rotation and scale 1 whose matrix takes a to b: P goes to
// R(rotation) (P - a) + b. False, out unchanged, for values that are not finite.
bool ComputeOnePointTransform(STransformParams *out, const SPoint2D &a, const SPoint2D &b,
                              double rotation);

// The matrix taking a to (0, 0) and b to (1, 0); returns the distance from a to b, or 0 (out
// untouched) when the points coincide.
double ComputeNormalisingMatrix(CNumMatrix<double> *out, const SPoint2D &a, const SPoint2D &b);

// M = S * R * T of the parameters: a point P goes to S R (P + shift).
void BuildTransformMatrix(CNumMatrix<double> *out, const STransformParams &params);

// The inverse by LU decomposition; false, out unchanged, when in cannot be inverted.
bool InvertMatrix(CNumMatrix<double> *out, const CNumMatrix<double> &in);

} // namespace ORQ::Transform
