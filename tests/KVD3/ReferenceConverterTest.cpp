#include "KVD3/ReferenceConverter.h"
#include "KVD3/Converter.h"

#include <gtest/gtest.h>

#include <cmath>

using ORQ::CConverter;
using ORQ::CReferenceConverter;

namespace {

CConverter Table(std::initializer_list<std::pair<double, double>> points) {
    std::vector<double> a, b;
    for (const auto &p : points) {
        a.push_back(p.first);
        b.push_back(p.second);
    }
    CConverter c;
    c.SetTable(a.data(), b.data(), static_cast<int>(a.size()));
    return c;
}

} // namespace

TEST(Converter, InterpolatesAndExtrapolatesAlongEndSegments) {
    const CConverter c = Table({{0, 10}, {100, 110}});
    EXPECT_DOUBLE_EQ(60, c.Forward(50));
    EXPECT_DOUBLE_EQ(0, c.Forward(-10));
    EXPECT_DOUBLE_EQ(210, c.Forward(200));
    EXPECT_DOUBLE_EQ(50, c.Inverse(60));

    const CConverter bent = Table({{0, 0}, {10, 5}, {30, 25}});
    EXPECT_DOUBLE_EQ(2.5, bent.Forward(5));
    EXPECT_DOUBLE_EQ(15, bent.Forward(20));
    EXPECT_DOUBLE_EQ(20, bent.Inverse(15));
    EXPECT_DOUBLE_EQ(2, bent.GetLargestRatio());
}

TEST(Converter, OnePointIsAShiftAndEmptyTablePassesValues) {
    const CConverter c = Table({{5, 8}});
    EXPECT_DOUBLE_EQ(3, c.Forward(0));
    EXPECT_DOUBLE_EQ(103, c.Forward(100));
    EXPECT_DOUBLE_EQ(-3, c.Inverse(0));
    EXPECT_DOUBLE_EQ(1.0, c.GetLargestRatio());

    CConverter empty;
    EXPECT_DOUBLE_EQ(7.5, empty.Forward(7.5));
    EXPECT_DOUBLE_EQ(7.5, empty.Inverse(7.5));
}

TEST(Converter, SetTableRefusesBadArgumentsAndKeepsPoints) {
    CConverter c = Table({{0, 0}, {1, 2}});
    const double v[] = {1, 2};
    EXPECT_EQ(0, c.SetTable(v, v, -1));
    EXPECT_EQ(0, c.SetTable(nullptr, v, 1));
    EXPECT_EQ(2u, c.GetPoints().size());
    EXPECT_DOUBLE_EQ(1, c.Forward(0.5));
}

TEST(Converter, EqualNeighbouringValuesStayFinite) {
    // Repeated keys at both ends and inside, and a table of one repeated key.
    const CConverter c = Table({{0, 0}, {0, 1}, {10, 11}, {20, 21}, {20, 30}});
    for (double x : {-5.0, 0.0, 5.0, 10.0, 20.0, 25.0}) {
        EXPECT_TRUE(std::isfinite(c.Forward(x))) << x;
        EXPECT_TRUE(std::isfinite(c.Inverse(x))) << x;
    }
    EXPECT_DOUBLE_EQ(-4, c.Forward(-5)); // along the first segment with a slope
    EXPECT_DOUBLE_EQ(6, c.Forward(5));

    const CConverter flat = Table({{3, 4}, {3, 9}});
    EXPECT_TRUE(std::isfinite(flat.Forward(1)));
    EXPECT_TRUE(std::isfinite(flat.Inverse(1)));
    EXPECT_TRUE(std::isfinite(Table({{0, 2}, {1, 2}, {2, 3}}).GetLargestRatio()));
}

TEST(Converter, MonotonicTest) {
    EXPECT_TRUE(Table({{0, 0}, {10, 5}, {10, 6}}).IsMonotonic());
    EXPECT_FALSE(Table({{0, 0}, {10, 5}, {20, 4}}).IsMonotonic());
}

TEST(ReferenceConverter, ChainsTablesAndIndexes) {
    CReferenceConverter rc;
    const double zero = 0;
    rc.InitializeUser2RefTable(&zero, &zero, 1);
    const double ref[] = {0, 20, 40};
    const double odo[] = {0, 10, 20};
    rc.InitializeRef2OdoTable(ref, odo, 3);
    EXPECT_DOUBLE_EQ(5, rc.User2Odo(10));
    EXPECT_DOUBLE_EQ(30, rc.Odo2User(15));
    EXPECT_DOUBLE_EQ(2, rc.GetLargestRef2OdoRatio());

    CReferenceConverter identity;
    identity.InitializeUser2RefTable(&zero, &zero, 1);
    identity.InitializeRef2OdoTable(&zero, &zero, 1);
    double user = 0.124;
    EXPECT_DOUBLE_EQ(2, identity.User2Idx(user, 0, 0.05, CReferenceConverter::ROUND_NEAREST));
    EXPECT_NEAR(0.1, user, 1e-12);
    user = 0.124;
    EXPECT_DOUBLE_EQ(3, identity.User2Idx(user, 0, 0.05, CReferenceConverter::ROUND_UP));
    user = 0.124;
    EXPECT_NEAR(2.48, identity.User2Idx(user, 0, 0.05, 0), 1e-12);
    // No step: the first trace, never inf.
    user = 3;
    EXPECT_DOUBLE_EQ(0, identity.User2Idx(user, 1, 0, CReferenceConverter::ROUND_DOWN));
    EXPECT_DOUBLE_EQ(1, user);

    CReferenceConverter copy(rc);
    EXPECT_DOUBLE_EQ(5, copy.User2Odo(10));
    identity = rc;
    EXPECT_DOUBLE_EQ(5, identity.User2Odo(10));
}
