#include "KVD_Edit/transform/nr3/ludcmp.h"
#include "KVD_Edit/transform/TransformMatrix2D.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ORQ::Transform;

namespace {

CNumMatrix<double> Make(int n, std::initializer_list<double> values) {
    CNumMatrix<double> m(n, n);
    int i = 0;
    for (double v : values) {
        m[i / n][i % n] = v;
        ++i;
    }
    return m;
}

// Runs f with standard output captured; returns what it printed.
template <class F> std::string Printed(F f) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

} // namespace

TEST(LUdcmp, SolvesWithPivotingAndLeadingZeros) {
    // The first pivot is 0: rows must be exchanged.
    const CNumMatrix<double> a = Make(3, {0, 2, 1, 1, 1, 1, 2, 1, 3});
    LUdcmp lu(a);
    CNumVector<double> b(3), x(3);
    b[0] = 0; // leading zero of the right-hand side
    b[1] = 2;
    b[2] = 5;
    lu.solve(b, x);
    for (int i = 0; i < 3; ++i) {
        double row = 0;
        for (int j = 0; j < 3; ++j)
            row += a[i][j] * x[j];
        EXPECT_NEAR(row, b[i], 1e-12) << i;
    }
    // Solving in place gives the same.
    lu.solve(b, b);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(b[i], x[i], 1e-12);
}

TEST(LUdcmp, InverseTimesMatrixIsIdentity) {
    const CNumMatrix<double> a = Make(3, {4, -2, 1, 3, 6, -4, 2, 1, 8});
    CNumMatrix<double> inv;
    ASSERT_TRUE(InvertMatrix(&inv, a));
    CNumMatrix<double> product;
    ASSERT_TRUE(product.Multiply(a, inv));
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(product[i][j], i == j ? 1.0 : 0.0, 1e-12);
}

TEST(LUdcmp, ZeroRowNaNAndInfinityAreSingular) {
    CNumMatrix<double> out(1, 1, 42.0);
    const std::string printed = Printed([&] {
        EXPECT_FALSE(InvertMatrix(&out, Make(2, {1, 2, 0, 0})));
    });
    EXPECT_NE(printed.find("ERROR: Singular matrix in LUdcmp"), std::string::npos);
    Printed([&] { EXPECT_FALSE(InvertMatrix(&out, Make(2, {1, NAN, 0, 1}))); });
    Printed([&] { EXPECT_FALSE(InvertMatrix(&out, Make(2, {1, INFINITY, 0, 1}))); });
    // Overflow during the decomposition counts as singular too.
    Printed([&] { EXPECT_FALSE(InvertMatrix(&out, Make(2, {1e300, 1e300, -1e308, 1e308}))); });
    // The output keeps its previous content after every failure.
    EXPECT_EQ(out.GetRows(), 1);
    EXPECT_EQ(out[0][0], 42.0);
    Printed([&] { EXPECT_FALSE(InvertMatrix(&out, CNumMatrix<double>(2, 3, 1.0))); });
}

TEST(LUdcmp, BadSizesRaiseAnError) {
    LUdcmp lu(Make(2, {2, 0, 0, 2}));
    CNumVector<double> b(3), x(2);
    std::string printed = Printed([&] { EXPECT_THROW(lu.solve(b, x), int); });
    EXPECT_NE(printed.find("ERROR: LUdcmp::solve bad sizes\n     in file "), std::string::npos);
    CNumMatrix<double> bm(2, 2, 1.0), xm(2, 3, 0.0);
    Printed([&] { EXPECT_THROW(lu.solve(bm, xm), int); });
}

TEST(NumMatrix, MultiplyResizeAndIdentity) {
    CNumMatrix<double> a(2, 3, 1.0), b(3, 2, 2.0), c;
    ASSERT_TRUE(c.Multiply(a, b));
    EXPECT_EQ(c.GetRows(), 2);
    EXPECT_EQ(c.GetCols(), 2);
    EXPECT_EQ(c[1][1], 6.0);
    EXPECT_FALSE(c.Multiply(a, a));
    EXPECT_EQ(c[0][0], 6.0); // unchanged after a refused product
    // The product may be written over one of its factors.
    CNumMatrix<double> m = Make(2, {1, 2, 3, 4});
    ASSERT_TRUE(m.Multiply(m, m));
    EXPECT_EQ(m[0][0], 7.0);
    EXPECT_EQ(m[1][1], 22.0);
    m.SetIdentity(3);
    EXPECT_EQ(m.GetRows(), 3);
    EXPECT_EQ(m[2][2], 1.0);
    EXPECT_EQ(m[0][2], 0.0);
    CNumMatrix<double> empty(-1, 4);
    EXPECT_EQ(empty.GetRows(), 0);
    EXPECT_EQ(empty.GetCols(), 0);
}
