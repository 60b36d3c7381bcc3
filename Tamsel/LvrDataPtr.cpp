#include "Tamsel/LvrDataPtr.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int64_t kMaxBlockBytes = std::numeric_limits<int32_t>::max();

// Blocks from this size on are mapped memory, backed by huge pages where the system offers
// them. A whole trace file is read into fresh memory: faulting it in page by page costs far
// more than reading the file, so the reader populates the pages itself, a cache-sized piece at
// a time, just before it reads into them. Measured in fresh processes (bench/
// Dt1FreshProcessBench), mapped memory read faster than fresh heap memory at every size from
// 256 KiB up (0.8x the heap's time at 256 KiB, 0.05x from 2 MiB); smaller blocks stay on the
// heap, whose small pieces are usually in memory already.
constexpr int64_t kMappedBlockBytes = 256 * 1024;
constexpr int64_t kReadPiece = 2 * 1024 * 1024;

struct BlockDeleter {
    size_t m_mapped = 0; // bytes mapped, 0 for heap memory
    void operator()(char *p) const {
        if (m_mapped)
            ::munmap(p, m_mapped);
        else
            std::free(p);
    }
};

// total bytes of memory (zeroed when zeroFill; mapped memory always is); null when there is none.
std::unique_ptr<char, BlockDeleter> AllocateBlock(int64_t total, bool zeroFill) {
    const size_t bytes = static_cast<size_t>(total);
    if (total >= kMappedBlockBytes) {
        void *p =
            ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p != MAP_FAILED) {
#ifdef MADV_HUGEPAGE
            ::madvise(p, bytes, MADV_HUGEPAGE);
#endif
            return std::unique_ptr<char, BlockDeleter>(static_cast<char *>(p), BlockDeleter{bytes});
        }
    }
    void *p = zeroFill ? std::calloc(bytes, 1) : std::malloc(bytes);
    return std::unique_ptr<char, BlockDeleter>(static_cast<char *>(p), BlockDeleter{0});
}

} // namespace

// One allocation shared by every view of it.
struct ClvrDataPtr::SStorage {
    std::unique_ptr<char, BlockDeleter> m_data;
    int64_t m_size = 0;
    Slvr3DDescriptor m_full;
};

int64_t Clvr3DDataAxis::Count(int axis) const {
    if (axis < 0 || axis > 2)
        return 0;
    const int64_t span = int64_t(m_axis[axis].m_last) - m_axis[axis].m_first;
    return (span < 0 ? -span : span) + 1;
}

int ClvrDataPtr::Allocate(int elementSize, int first0, int last0, int first1, int last1, int first2,
                          int last2, bool zeroFill) {
    Release();
    if (elementSize < 1)
        return 0;
    Clvr3DDataAxis axes;
    axes.m_axis[0] = {0, first0, last0};
    axes.m_axis[1] = {0, first1, last1};
    axes.m_axis[2] = {0, first2, last2};
    // Sizes in 64 bits: a damaged header must not wrap a count into a small block.
    const int64_t bytes0 = axes.Count(0) * elementSize;
    if (bytes0 > kMaxBlockBytes)
        return 0;
    const int64_t bytes1 = bytes0 * axes.Count(1);
    if (bytes1 > kMaxBlockBytes)
        return 0;
    const int64_t total = bytes1 * axes.Count(2);
    if (total > kMaxBlockBytes)
        return 0;
    axes.m_axis[0].m_step = elementSize;
    axes.m_axis[1].m_step = static_cast<int32_t>(bytes0);
    axes.m_axis[2].m_step = static_cast<int32_t>(bytes1);

    auto storage = std::make_shared<SStorage>();
    storage->m_data = AllocateBlock(total, zeroFill);
    if (!storage->m_data)
        return 0;
    storage->m_size = total;
    storage->m_full = {storage->m_data.get(), elementSize, axes};

    m_storage = std::move(storage);
    m_origin = m_storage->m_full.m_origin;
    m_elementSize = elementSize;
    m_axes = axes;
    m_current = m_origin;
    m_index[0] = first0;
    m_index[1] = first1;
    m_index[2] = first2;
    return 1;
}

void ClvrDataPtr::Release() {
    m_storage.reset();
    m_current = nullptr;
    m_index[0] = m_index[1] = m_index[2] = 0;
    m_origin = nullptr;
    m_elementSize = 0;
    m_axes = Clvr3DDataAxis();
}

int ClvrDataPtr::Share(const ClvrDataPtr &source) {
    if (&source != this)
        *this = source;
    return RefCount();
}

int ClvrDataPtr::RefCount() const {
    return m_storage ? static_cast<int>(m_storage.use_count()) : 0;
}

Slvr3DDescriptor ClvrDataPtr::StorageDescriptor() const {
    return m_storage ? m_storage->m_full : Slvr3DDescriptor();
}

int64_t ClvrDataPtr::StorageSize() const {
    return m_storage ? m_storage->m_size : 0;
}

bool ClvrDataPtr::Contains(int i0, int i1, int i2) const {
    if (!m_origin)
        return false;
    const int idx[3] = {i0, i1, i2};
    for (int a = 0; a < 3; ++a)
        if (idx[a] < m_axes.m_axis[a].m_first || idx[a] > m_axes.m_axis[a].m_last)
            return false;
    return true;
}

char *ClvrDataPtr::Address(int i0, int i1, int i2) const {
    const int idx[3] = {i0, i1, i2};
    int64_t offset = 0;
    for (int a = 0; a < 3; ++a)
        offset += (int64_t(idx[a]) - m_axes.m_axis[a].m_first) * m_axes.m_axis[a].m_step;
    return m_origin + offset;
}

char *ClvrDataPtr::At(int i0, int i1, int i2) const {
    return Contains(i0, i1, i2) ? Address(i0, i1, i2) : nullptr;
}

int ClvrDataPtr::Seek(int i0, int i1, int i2) {
    if (!Contains(i0, i1, i2))
        return 0;
    m_current = Address(i0, i1, i2);
    m_index[0] = i0;
    m_index[1] = i1;
    m_index[2] = i2;
    return 1;
}

int ClvrDataPtr::Step(int axis, int n) {
    if (axis < 0 || axis > 2 || !m_origin)
        return 0;
    const int64_t next = int64_t(m_index[axis]) + n;
    if (next < m_axes.m_axis[axis].m_first || next > m_axes.m_axis[axis].m_last)
        return 0;
    m_current += int64_t(n) * m_axes.m_axis[axis].m_step;
    m_index[axis] = static_cast<int>(next);
    return 1;
}

int ClvrDataPtr::Position(int where) {
    switch (where) {
    case -1:
        return Seek(m_axes.m_axis[0].m_first, m_axes.m_axis[1].m_first, m_axes.m_axis[2].m_first);
    case 1:
        return Seek(m_axes.m_axis[0].m_last, m_axes.m_axis[1].m_last, m_axes.m_axis[2].m_last);
    case 0:
        return Seek(0, 0, 0);
    default:
        return 0;
    }
}

int64_t ClvrDataPtr::ReadWholeFile(const char *path, int64_t byteCount, int &openError) {
    int64_t count = byteCount;
    if (count == 0)
        count = m_axes.Count(0) * m_axes.Count(1) * m_axes.Count(2) * m_elementSize;
    openError = 0;
    // Never read past the storage, whatever the caller asked for.
    if (!m_storage || !path || count <= 0 ||
        m_origin + count > m_storage->m_data.get() + m_storage->m_size ||
        m_origin < m_storage->m_data.get()) {
        openError = EINVAL;
        return -count;
    }
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        openError = errno;
        return -count;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        openError = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return -count;
    }
    const int64_t length = st.st_size;
    const bool mapped = m_storage->m_data.get_deleter().m_mapped != 0;
    const uintptr_t pageMask = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE)) - 1;
    int64_t done = 0;
    bool failed = false;
    while (done < count) {
        int64_t piece = count - done;
        if (mapped) {
            piece = std::min(piece, kReadPiece);
#ifdef MADV_POPULATE_WRITE
            // Older kernels refuse it: the read then faults the pages in itself.
            const uintptr_t from = reinterpret_cast<uintptr_t>(m_origin + done) & ~pageMask;
            const uintptr_t to = reinterpret_cast<uintptr_t>(m_origin + done + piece);
            ::madvise(reinterpret_cast<void *>(from), to - from, MADV_POPULATE_WRITE);
#endif
        }
        const ssize_t n = ::read(fd, m_origin + done, static_cast<size_t>(piece));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failed = true;
            break;
        }
        if (n == 0)
            break;
        done += n;
    }
    ::close(fd);
    if (failed)
        return -count;
    if (done == count)
        return length - count;
    return done - count;
}

int ClvrDataPtr::LoadTraceBlock(const char *path, int traces, int points) {
    Release();
    if (traces < 1 || points < 1 || int64_t(points) - 1 > std::numeric_limits<int32_t>::max())
        return -9999;
    if (!Allocate(2, -64, points - 1, 0, traces - 1, 0, 0, false))
        return -9999;
    int openError = 0;
    const int64_t count = StorageSize();
    const int64_t result = ReadWholeFile(path, 0, openError);
    if (result == 0)
        return 0;
    if (result == -count) {
        Release();
        return -300 - openError;
    }
    return result < 0 ? 1 : 2;
}

int ClvrDataPtr::MakeTraceView(const ClvrDataPtr &source, char kind) {
    if (kind != 'A' && kind != 'H' && kind != 'T')
        return 0;
    const int64_t bytesPerTrace0 =
        (int64_t(source.m_axes.m_axis[0].m_last) - source.m_axes.m_axis[0].m_first + 1) *
        source.m_axes.m_axis[0].m_step;
    const int64_t bytesPerTrace = bytesPerTrace0 < 0 ? -bytesPerTrace0 : bytesPerTrace0;
    if (!source.Holds() || bytesPerTrace < 130)
        return 0;
    Share(source);
    const int lastSample = static_cast<int>((bytesPerTrace - 128) / 2 - 1);
    switch (kind) {
    case 'A':
        m_axes.m_axis[0] = {2, -64, lastSample};
        m_elementSize = 2;
        break;
    case 'H':
        m_axes.m_axis[0] = {4, 0, 25};
        m_elementSize = 4;
        break;
    default:
        m_origin += 128;
        m_axes.m_axis[0] = {2, 0, lastSample};
        m_elementSize = 2;
        break;
    }
    Position(-1);
    return 1;
}

int ClvrDataPtr::IntersectAxes(Clvr3DDataAxis &out, const Clvr3DDataAxis &available,
                               const Clvr3DDataAxis &requested, int axisCount) {
    if (axisCount > 3)
        axisCount = 3;
    int result = 0;
    for (int a = 0; a < axisCount; ++a) {
        const auto &av = available.m_axis[a];
        const auto &rq = requested.m_axis[a];
        auto &o = out.m_axis[a];
        o.m_step = av.m_step;
        o.m_first = rq.m_first > av.m_first ? rq.m_first : av.m_first;
        o.m_last = rq.m_last < av.m_last ? rq.m_last : av.m_last;
        if (o.m_last < o.m_first)
            return -1;
        if (o.m_first > av.m_first || o.m_last < av.m_last)
            result |= 1;
        if (rq.m_first < av.m_first || rq.m_last > av.m_last)
            result |= 2;
    }
    return result;
}

void ClvrDataPtr::SwapAxes(Clvr3DDataAxis &axes, int a, int b) {
    if (a == b || a < 0 || a > 2 || b < 0 || b > 2)
        return;
    std::swap(axes.m_axis[a], axes.m_axis[b]);
}

void ClvrDataPtr::OrderAxesLike(Clvr3DDataAxis &axes, const Clvr3DDataAxis &storage, int index[3]) {
    for (int k = 0; k < 3; ++k) {
        for (int j = k + 1; j < 3; ++j) {
            if (axes.m_axis[k].m_step == storage.m_axis[k].m_step)
                break;
            if (axes.m_axis[j].m_step == storage.m_axis[k].m_step) {
                SwapAxes(axes, k, j);
                std::swap(index[k], index[j]);
                break;
            }
        }
    }
}

int ClvrDataPtr::CutToRange(const Slvr3DDescriptor &requested, bool takeAsIs) {
    if (!requested.m_origin || requested.m_elementSize == 0)
        return 0;
    for (const auto &ax : requested.m_axes.m_axis)
        if (ax.m_last < ax.m_first)
            return 0;
    const ClvrDataPtr kept = *this;
    const int keptIndex[3] = {m_index[0], m_index[1], m_index[2]};

    char *origin = requested.m_origin;
    Clvr3DDataAxis axes = requested.m_axes;
    if (!takeAsIs) {
        if (!m_storage || m_storage->m_full.m_elementSize != requested.m_elementSize)
            return 0;
        const Slvr3DDescriptor &full = m_storage->m_full;
        m_origin = full.m_origin;
        m_elementSize = full.m_elementSize;
        m_axes = full.m_axes;
        int order[3] = {0, 1, 2};
        OrderAxesLike(axes, full.m_axes, order);
        // A checked cut addresses the storage itself: its steps, never the
        // caller's.
        for (int a = 0; a < 3; ++a)
            axes.m_axis[a].m_step = full.m_axes.m_axis[a].m_step;
        if (!Seek(axes.m_axis[0].m_last, axes.m_axis[1].m_last, axes.m_axis[2].m_last) ||
            !Seek(axes.m_axis[0].m_first, axes.m_axis[1].m_first, axes.m_axis[2].m_first)) {
            *this = kept;
            return 0;
        }
        origin = m_current;
    }
    m_origin = origin;
    m_elementSize = requested.m_elementSize;
    m_axes = axes;
    if (!Seek(keptIndex[0], keptIndex[1], keptIndex[2]))
        Position(-1);
    return 1;
}
