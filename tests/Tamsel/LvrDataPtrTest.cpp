#include "Tamsel/LvrDataPtr.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using kvdtest::TempDir;
using kvdtest::WriteFile;

namespace {

Clvr3DDataAxis Ranges(int f0, int l0, int f1, int l1, int f2 = 0, int l2 = 0) {
    Clvr3DDataAxis a;
    a.m_axis[0] = {0, f0, l0};
    a.m_axis[1] = {0, f1, l1};
    a.m_axis[2] = {0, f2, l2};
    return a;
}

} // namespace

TEST(SampleBlock, AllocatesWithNegativeLowerBoundsAndAddressesElements) {
    ClvrDataPtr v;
    ASSERT_EQ(v.Allocate(2, -64, 99, 0, 9, 0, 0, true), 1);
    EXPECT_EQ(v.StorageSize(), 3280);
    EXPECT_EQ(v.Axes().m_axis[0].m_step, 2);
    EXPECT_EQ(v.Axes().m_axis[1].m_step, 328);
    EXPECT_EQ(v.Axes().m_axis[2].m_step, 3280);
    EXPECT_EQ(v.RefCount(), 1);
    EXPECT_EQ(v.Current(), v.Origin());
    EXPECT_EQ(v.Index(0), -64);
    ASSERT_EQ(v.Seek(-64, 0, 0), 1);
    EXPECT_EQ(v.Current() - v.Origin(), 0);
    ASSERT_EQ(v.Seek(0, 1, 0), 1);
    EXPECT_EQ(v.Current() - v.Origin(), 328 + 128);
    EXPECT_EQ(v.Seek(100, 0, 0), 0);
    EXPECT_EQ(v.Index(1), 1) << "a refused seek leaves the position";
    EXPECT_EQ(v.Step(1, 8), 1);
    EXPECT_EQ(v.Index(1), 9);
    EXPECT_EQ(v.Step(1, 1), 0);
    EXPECT_EQ(v.Step(3, 1), 0);
    EXPECT_EQ(v.Position(1), 1);
    EXPECT_EQ(v.Current() - v.Origin(), 3280 - 2);
    EXPECT_EQ(v.Position(0), 1);
    EXPECT_EQ(v.Position(2), 0);
}

TEST(SampleBlock, RefusesBadSizesAndOverflow) {
    ClvrDataPtr v;
    EXPECT_EQ(v.Allocate(0, 0, 1, 0, 1, 0, 0, false), 0);
    EXPECT_EQ(v.Allocate(2, -64, 2147483000, 0, 0, 0, 0, false), 0);
    EXPECT_EQ(v.Allocate(2, -64, 65535, 0, 100000, 0, 0, false), 0); // over 2^31 bytes
    EXPECT_FALSE(v.Holds());
    EXPECT_EQ(v.LoadTraceBlock("x", 0, 10), -9999);
    EXPECT_EQ(v.LoadTraceBlock("x", 10, -3), -9999);
}

TEST(SampleBlock, StorageGoesWithTheLastHolder) {
    ClvrDataPtr owner;
    ASSERT_EQ(owner.Allocate(2, -64, 9, 0, 4, 0, 0, true), 1);
    ClvrDataPtr cut;
    EXPECT_EQ(cut.Share(owner), 2);
    Slvr3DDescriptor want{cut.Origin(), 2, Ranges(0, 3, 1, 2)};
    ASSERT_EQ(cut.CutToRange(want, false), 1);
    {
        ClvrDataPtr copy = cut;
        EXPECT_EQ(owner.RefCount(), 3);
    }
    EXPECT_EQ(owner.RefCount(), 2);
    owner.Release();
    EXPECT_FALSE(owner.Holds());
    EXPECT_EQ(cut.RefCount(), 1);
    std::memset(cut.Current(), 0x5a, 2); // still valid storage
    cut.Release();
    EXPECT_EQ(cut.RefCount(), 0);
}

TEST(SampleBlock, IntersectsRanges) {
    const Clvr3DDataAxis avail = Ranges(0, 511, 0, 249);
    Clvr3DDataAxis out;
    EXPECT_EQ(ClvrDataPtr::IntersectAxes(out, avail, Ranges(0, 511, 0, 249), 3), 0);
    EXPECT_EQ(ClvrDataPtr::IntersectAxes(out, avail, Ranges(10, 100, 0, 249), 3), 1);
    EXPECT_EQ(out.m_axis[0].m_first, 10);
    EXPECT_EQ(out.m_axis[0].m_last, 100);
    EXPECT_EQ(ClvrDataPtr::IntersectAxes(out, avail, Ranges(-5, 511, 0, 249), 3), 2);
    EXPECT_EQ(ClvrDataPtr::IntersectAxes(out, avail, Ranges(-5, 500, 0, 249), 3), 2 | 1);
    EXPECT_EQ(ClvrDataPtr::IntersectAxes(out, avail, Ranges(-5, 600, -1, 300), 3), 2);
    EXPECT_EQ(ClvrDataPtr::IntersectAxes(out, avail, Ranges(0, 511, 300, 400), 3), -1);
}

TEST(SampleBlock, CutsToARangeOfTheSameStorageAndRefusesOutside) {
    ClvrDataPtr block;
    ASSERT_EQ(block.Allocate(2, -64, 9, 0, 4, 0, 0, true), 1);
    for (int t = 0; t < 5; ++t)
        for (int s = -64; s < 10; ++s) {
            const int16_t v = static_cast<int16_t>(t * 100 + s);
            std::memcpy(block.At(s, t, 0), &v, 2);
        }
    ClvrDataPtr view;
    view.Share(block);
    ASSERT_EQ(view.CutToRange({view.Origin(), 2, Ranges(2, 5, 1, 3)}, false), 1);
    EXPECT_EQ(view.At(1, 1, 0), nullptr);
    int16_t v = 0;
    std::memcpy(&v, view.At(2, 1, 0), 2);
    EXPECT_EQ(v, 102);
    std::memcpy(&v, view.At(5, 3, 0), 2);
    EXPECT_EQ(v, 305);
    EXPECT_EQ(view.Origin(), block.At(2, 1, 0));
    // Outside the storage, a different element size or an upside-down range: refused, unchanged.
    const Slvr3DDescriptor before = view.Descriptor();
    EXPECT_EQ(view.CutToRange({view.Origin(), 2, Ranges(0, 10, 0, 1)}, false), 0);
    EXPECT_EQ(view.CutToRange({view.Origin(), 4, Ranges(0, 1, 0, 1)}, false), 0);
    EXPECT_EQ(view.CutToRange({view.Origin(), 2, Ranges(3, 1, 0, 1)}, false), 0);
    EXPECT_EQ(view.CutToRange({nullptr, 2, Ranges(0, 1, 0, 1)}, false), 0);
    EXPECT_EQ(view.Origin(), before.m_origin);
    EXPECT_EQ(view.Axes().m_axis[0].m_last, 5);
}

TEST(SampleBlock, ReadsWholeFilesAndReportsTheirSize) {
    TempDir dir;
    const int traces = 3, points = 10;
    const std::string exact(size_t(traces) * (points + 64) * 2, '\x11');
    WriteFile(dir.File("exact.dt1"), exact);
    WriteFile(dir.File("short.dt1"), exact.substr(1));
    WriteFile(dir.File("long.dt1"), exact + exact);
    WriteFile(dir.File("empty.dt1"), "");
    ClvrDataPtr v;
    EXPECT_EQ(v.LoadTraceBlock(dir.File("exact.dt1").c_str(), traces, points), 0);
    EXPECT_EQ(v.LoadTraceBlock(dir.File("short.dt1").c_str(), traces, points), 1);
    EXPECT_EQ(v.LoadTraceBlock(dir.File("long.dt1").c_str(), traces, points), 2);
    EXPECT_EQ(v.LoadTraceBlock(dir.File("empty.dt1").c_str(), traces, points), -300);
    EXPECT_FALSE(v.Holds());
    EXPECT_EQ(v.LoadTraceBlock(dir.File("none.dt1").c_str(), traces, points), -300 - ENOENT);
    EXPECT_FALSE(v.Holds());
    EXPECT_EQ(v.LoadTraceBlock(dir.Path().c_str(), traces, points), -300 - EISDIR);

    ASSERT_EQ(v.Allocate(1, 0, 9, 0, 0, 0, 0, false), 1);
    int err = 0;
    EXPECT_EQ(v.ReadWholeFile(dir.File("exact.dt1").c_str(), 4, err), int64_t(exact.size()) - 4);
    EXPECT_EQ(v.ReadWholeFile(dir.File("exact.dt1").c_str(), 11, err), -11)
        << "never reads past the storage";
    EXPECT_EQ(err, EINVAL);
}

TEST(SampleBlock, MakesTraceViewsOverTheSameStorage) {
    ClvrDataPtr block;
    ASSERT_EQ(block.Allocate(2, -64, 99, 0, 9, 0, 0, true), 1);
    ClvrDataPtr whole, headers, samples;
    ASSERT_EQ(whole.MakeTraceView(block, 'A'), 1);
    EXPECT_EQ(whole.Axes().m_axis[0].m_first, -64);
    EXPECT_EQ(whole.Axes().m_axis[0].m_last, 99);
    ASSERT_EQ(headers.MakeTraceView(block, 'H'), 1);
    EXPECT_EQ(headers.ElementSize(), 4);
    EXPECT_EQ(headers.Axes().m_axis[0].m_last, 25);
    EXPECT_EQ(headers.At(25, 2, 0), block.At(-64, 2, 0) + 100);
    ASSERT_EQ(samples.MakeTraceView(block, 'T'), 1);
    EXPECT_EQ(samples.Axes().m_axis[0].m_first, 0);
    EXPECT_EQ(samples.Axes().m_axis[0].m_last, 99);
    EXPECT_EQ(samples.At(0, 3, 0), block.At(0, 3, 0));
    EXPECT_EQ(samples.Current(), samples.Origin());
    EXPECT_EQ(block.RefCount(), 4);
    EXPECT_EQ(samples.MakeTraceView(block, 'Q'), 0);

    ClvrDataPtr tiny, view;
    ASSERT_EQ(tiny.Allocate(2, -64, 0, 0, 1, 0, 0, true), 1); // 130 bytes: one sample
    EXPECT_EQ(view.MakeTraceView(tiny, 'T'), 1);
    ASSERT_EQ(tiny.Allocate(1, 0, 128, 0, 1, 0, 0, true), 1); // 129 bytes: no sample
    EXPECT_EQ(view.MakeTraceView(tiny, 'T'), 0);
    ClvrDataPtr empty;
    EXPECT_EQ(view.MakeTraceView(empty, 'A'), 0);
}

TEST(SampleBlock, OrdersAndSwapsAxes) {
    Clvr3DDataAxis storage;
    storage.m_axis[0] = {2, 0, 9};
    storage.m_axis[1] = {20, 0, 4};
    storage.m_axis[2] = {100, 0, 0};
    Clvr3DDataAxis req;
    req.m_axis[0] = {20, 1, 2};
    req.m_axis[1] = {2, 3, 4};
    req.m_axis[2] = {100, 0, 0};
    int index[3] = {7, 8, 9};
    ClvrDataPtr::OrderAxesLike(req, storage, index);
    EXPECT_EQ(req.m_axis[0].m_step, 2);
    EXPECT_EQ(req.m_axis[0].m_first, 3);
    EXPECT_EQ(req.m_axis[1].m_first, 1);
    EXPECT_EQ(index[0], 8);
    EXPECT_EQ(index[1], 7);
    ClvrDataPtr::SwapAxes(req, 1, 1);
    ClvrDataPtr::SwapAxes(req, 0, 3);
    EXPECT_EQ(req.m_axis[0].m_step, 2);
}

TEST(SampleBlock, LargeBlocksAreZeroedSharedAndFreedLikeSmallOnes) {
    ClvrDataPtr big;
    ASSERT_EQ(big.Allocate(2, -64, 1023, 0, 2999, 0, 0, true), 1); // 6.5 MB
    const char *last = big.At(1023, 2999, 0);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last - big.Origin(), big.StorageSize() - 2);
    EXPECT_EQ(big.Origin()[0], 0);
    EXPECT_EQ(last[1], 0);
    std::memset(big.Origin(), 0x7f, static_cast<size_t>(big.StorageSize()));
    ClvrDataPtr view;
    ASSERT_EQ(view.MakeTraceView(big, 'T'), 1);
    big.Release();
    EXPECT_EQ(view.At(1023, 2999, 0)[1], 0x7f);
    view.Release();
    EXPECT_EQ(view.RefCount(), 0);
}
