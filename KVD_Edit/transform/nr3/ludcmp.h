#pragma once

// LU decomposition (Crout's method with implicit scaled partial pivoting) and its solver.
// Errors are written to standard output and thrown as an int; InvertMatrix catches them.

#include "KVD_Edit/transform/nr3/NumMatrix.h"

namespace ORQ::Transform {

class LUdcmp {
public:
    // Decomposes a copy of the square matrix a. Throws (int 1) "Singular matrix in LUdcmp" when
    // a row is all zero or any element is not finite.
    explicit LUdcmp(const CNumMatrix<double> &a);
    ~LUdcmp() = default;
    LUdcmp(const LUdcmp &) = delete;
    LUdcmp &operator=(const LUdcmp &) = delete;

    // Solves A x = b; b and x must both have n elements ("LUdcmp::solve bad sizes"). x may be
    // b itself.
    void solve(const CNumVector<double> &b, CNumVector<double> &x) const;
    // Solves A X = B column by column; both n rows and the same columns. X may be B itself.
    void solve(const CNumMatrix<double> &b, CNumMatrix<double> &x) const;
    // The inverse of A.
    void BuildInverse(CNumMatrix<double> &ainv) const;

private:
    int n;
    CNumMatrix<double> lu;
    CNumVector<int> indx;
    double d;
    const CNumMatrix<double> &aref;
};

} // namespace ORQ::Transform
