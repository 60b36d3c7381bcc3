#include "KVD_Edit/transform/nr3/ludcmp.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace ORQ::Transform {

namespace {

[[noreturn]] void NrError(const char *message, const char *file, int line) {
    std::printf("ERROR: %s\n     in file %s at line %d\n", message, file, line);
    std::fflush(stdout);
    throw 1;
}

constexpr double kTiny = 1.0e-40;

} // namespace

#define NR_ERROR(message) NrError(message, __FILE__, __LINE__)

LUdcmp::LUdcmp(const CNumMatrix<double> &a)
    : n(a.GetRows()), lu(a), indx(a.GetRows()), d(1.0), aref(a) {
    if (a.GetCols() != n)
        NR_ERROR("LUdcmp: matrix not square");
    // Scale of each row. A row of zeros, or any value that is not a number, leaves nothing to
    // solve for.
    CNumVector<double> scale(n);
    for (int i = 0; i < n; ++i) {
        double big = 0.0;
        for (int j = 0; j < n; ++j) {
            const double value = std::fabs(lu[i][j]);
            if (!std::isfinite(value))
                NR_ERROR("Singular matrix in LUdcmp");
            if (value > big)
                big = value;
        }
        if (big == 0.0)
            NR_ERROR("Singular matrix in LUdcmp");
        scale[i] = 1.0 / big;
    }
    for (int k = 0; k < n; ++k) {
        // A later row wins only with a strictly larger scaled magnitude; with none above 0 the
        // diagonal row stays and its zero pivot becomes tiny below.
        double big = 0.0;
        int imax = k;
        for (int i = k; i < n; ++i) {
            const double value = scale[i] * std::fabs(lu[i][k]);
            if (value > big) {
                big = value;
                imax = i;
            }
        }
        if (imax != k) {
            for (int j = 0; j < n; ++j)
                std::swap(lu[imax][j], lu[k][j]);
            d = -d;
            scale[imax] = scale[k];
        }
        indx[k] = imax;
        if (lu[k][k] == 0.0)
            lu[k][k] = kTiny;
        for (int i = k + 1; i < n; ++i) {
            const double factor = lu[i][k] /= lu[k][k];
            for (int j = k + 1; j < n; ++j)
                lu[i][j] -= factor * lu[k][j];
        }
    }
    // Overflow on the way is as useless as a singular matrix.
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (!std::isfinite(lu[i][j]))
                NR_ERROR("Singular matrix in LUdcmp");
}

void LUdcmp::solve(const CNumVector<double> &b, CNumVector<double> &x) const {
    if (b.GetSize() != n || x.GetSize() != n)
        NR_ERROR("LUdcmp::solve bad sizes");
    if (&x != &b)
        for (int i = 0; i < n; ++i)
            x[i] = b[i];
    // Forward substitution, skipping the leading zeros of the right-hand side.
    bool started = false;
    int first = 0;
    for (int i = 0; i < n; ++i) {
        const int p = indx[i];
        double sum = x[p];
        x[p] = x[i];
        if (started) {
            for (int j = first; j < i; ++j)
                sum -= lu[i][j] * x[j];
        } else if (sum != 0.0) {
            started = true;
            first = i;
        }
        x[i] = sum;
    }
    for (int i = n - 1; i >= 0; --i) {
        double sum = x[i];
        for (int j = i + 1; j < n; ++j)
            sum -= lu[i][j] * x[j];
        x[i] = sum / lu[i][i];
    }
}

void LUdcmp::solve(const CNumMatrix<double> &b, CNumMatrix<double> &x) const {
    if (b.GetRows() != n || x.GetRows() != n || b.GetCols() != x.GetCols())
        NR_ERROR("LUdcmp::solve bad sizes");
    const int m = b.GetCols();
    CNumVector<double> column(n);
    for (int j = 0; j < m; ++j) {
        for (int i = 0; i < n; ++i)
            column[i] = b[i][j];
        solve(column, column);
        for (int i = 0; i < n; ++i)
            x[i][j] = column[i];
    }
}

void LUdcmp::BuildInverse(CNumMatrix<double> &ainv) const {
    ainv.SetIdentity(n);
    solve(ainv, ainv);
}

} // namespace ORQ::Transform
