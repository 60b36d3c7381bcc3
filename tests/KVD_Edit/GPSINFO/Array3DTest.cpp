#include "KVD_Edit/GPSINFO/Array3D.h"

#include "tests/support/RadarLineGenerator.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <sys/stat.h>

TEST(Array3D, NegativeBoundsSeekAndSharedBlocks) {
    CArray3D a;
    ASSERT_EQ(a.Alloc(2, -64, 9, 0, 2, 0, 0, true), 1);
    EXPECT_EQ(a.SizeBytes(), 74 * 3 * 2);
    ASSERT_EQ(a.Seek(-64, 1, 0), 1);
    EXPECT_EQ(static_cast<char *>(a.Element()) - a.Data(), 148);
    ASSERT_EQ(a.Seek(0, 2, 0), 1);
    EXPECT_EQ(static_cast<char *>(a.Element()) - a.Data(), 2 * 148 + 128);
    EXPECT_EQ(a.Seek(10, 0, 0), 0);
    EXPECT_EQ(a.Seek(-65, 0, 0), 0);
    EXPECT_EQ(a.Seek(0, 3, 0), 0);
    EXPECT_EQ(a.Index(1), 2); // unchanged by the refused seeks

    CArray3D b = a; // shares the block
    EXPECT_EQ(a.UseCount(), 2);
    EXPECT_EQ(b.Data(), a.Data());
    a.Release();
    EXPECT_FALSE(a.IsAllocated());
    EXPECT_EQ(b.UseCount(), 1);
    EXPECT_EQ(b.Data()[0], 0);

    EXPECT_EQ(a.Alloc(0, 0, 1, 0, 1, 0, 1, false), 0);
    EXPECT_EQ(a.Alloc(2, 5, 4, 0, 1, 0, 1, false), 0);
    EXPECT_EQ(a.Alloc(2, INT_MIN, INT_MAX, INT_MIN, INT_MAX, 0, 0, false), 0); // too large
    EXPECT_EQ(CArray3D::AllocZeroBased(nullptr, 1, 1, 1, 1, true), 0);
    EXPECT_EQ(CArray3D::AllocZeroBased(&a, 1, 0, 1, 1, true), 0);
    EXPECT_EQ(CArray3D::AllocZeroBased(&a, 1, 5, 1, 1, true), 1);
}

TEST(Array3D, SizesBeyondTwoGigabytesAndCountsOfZero) {
    EXPECT_EQ(CArray3D::Dt1Size(20000, 60000), int64_t(20000) * 60064 * 2);
    EXPECT_EQ(CArray3D::Dt1Size(INT_MAX, INT_MAX - 64), -1); // beyond memory
    EXPECT_EQ(CArray3D::Dt1Size(0, 10), -1);
    EXPECT_EQ(CArray3D::Dt1Size(10, -1), -1);

    kvdtest::TempDir dir;
    kvdtest::SRadarLine line;
    line.traces = 5;
    line.samples = 16;
    ASSERT_TRUE(kvdtest::WriteRadarLine(dir.File("L"), line));
    const std::string path = dir.File("L.dt1");
    CArray3D a;
    EXPECT_EQ(a.ReadDt1(path.c_str(), 5, 16), 0);
    EXPECT_EQ(a.SizeBytes(), 5 * 80 * 2);
    EXPECT_EQ(a.ReadDt1(path.c_str(), 0, 16), -9999);
    EXPECT_EQ(a.ReadDt1(path.c_str(), 5, -3), -9999);
    // A header promising far more than the file holds: refused before any allocation.
    EXPECT_EQ(a.ReadDt1(path.c_str(), 100000000, 30000), 1);
    EXPECT_FALSE(a.IsAllocated());
    EXPECT_EQ(a.ReadDt1(path.c_str(), 4, 16), 2);
    EXPECT_TRUE(a.IsAllocated());
    EXPECT_EQ(a.ReadDt1(dir.File("none.dt1").c_str(), 5, 16), -300 - ENOENT);
    EXPECT_FALSE(a.IsAllocated());
}

TEST(Array3D, FileReadAndAtomicWrite) {
    kvdtest::TempDir dir;
    const std::string path = dir.File("f.bin");
    kvdtest::WriteFile(path, "abcdefghij");
    chmod(path.c_str(), 0640);
    CArray3D a;
    ASSERT_EQ(CArray3D::AllocZeroBased(&a, 1, 8, 1, 1, true), 1);
    int opened = -1;
    EXPECT_EQ(a.ReadFile(path.c_str(), 0, &opened), 2); // two bytes more in the file
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(std::string(a.Data(), 8), "abcdefgh");
    EXPECT_EQ(a.ReadFile(path.c_str(), 4, nullptr), 6);
    kvdtest::WriteFile(path, "xyz");
    EXPECT_EQ(a.ReadFile(path.c_str(), 0, &opened), -5); // three of eight
    EXPECT_EQ(a.ReadFile(dir.File("none").c_str(), 0, &opened), -8);
    EXPECT_EQ(opened, ENOENT);
    EXPECT_EQ(a.ReadFile(path.c_str(), 9, nullptr), -9); // beyond the block

    std::memcpy(a.Data(), "12345678", 8);
    EXPECT_EQ(a.WriteFile(path.c_str(), 0), 0);
    EXPECT_EQ(kvdtest::ReadFile(path), "12345678");
    struct stat st {};
    stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u); // permissions kept
    EXPECT_EQ(a.WriteFile(path.c_str(), 3), 0);
    EXPECT_EQ(kvdtest::ReadFile(path), "123");
    EXPECT_EQ(a.WriteFile(dir.File("no/such/folder").c_str(), 0), -8);
    EXPECT_EQ(kvdtest::ReadFile(path), "123");
}
