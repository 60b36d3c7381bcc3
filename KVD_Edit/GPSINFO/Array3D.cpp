#include "KVD_Edit/GPSINFO/Array3D.h"

#include "Tamsel/Tamsel.h"
#include "orq_utils/FileReplacement.h"
#include "orq_utils/PendingReplacement.h"
#include "orq_utils/Pieces.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// No block larger than this is attempted: beyond it a size is a corrupt count, not a line.
constexpr int64_t kMaxBlockBytes = int64_t(1) << 46;

bool Multiply(int64_t a, int64_t b, int64_t &out) {
    return !__builtin_mul_overflow(a, b, &out) && out <= kMaxBlockBytes;
}

// Reads up to size bytes; the count read, or -1 on an error.
int64_t ReadAll(int fd, char *out, int64_t size) {
    int64_t done = 0;
    while (done < size) {
        const int64_t want = size - done < (int64_t(1) << 30) ? size - done : (int64_t(1) << 30);
        const ssize_t n = ::read(fd, out + done, size_t(want));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

} // namespace

int CArray3D::Alloc(int elementSize, int lo0, int hi0, int lo1, int hi1, int lo2, int hi2,
                    bool zeroFill) {
    Release();
    const int lo[3] = {lo0, lo1, lo2};
    const int hi[3] = {hi0, hi1, hi2};
    if (elementSize <= 0)
        return 0;
    SDescriptor desc;
    desc.elementSize = elementSize;
    int64_t stride = elementSize;
    for (int axis = 0; axis < 3; ++axis) {
        if (hi[axis] < lo[axis])
            return 0;
        desc.lo[axis] = lo[axis];
        desc.hi[axis] = hi[axis];
        desc.stride[axis] = stride;
        const int64_t count = int64_t(hi[axis]) - lo[axis] + 1;
        if (!Multiply(stride, count, stride))
            return 0;
    }
    auto block = std::make_shared<SBlock>();
    block->data.reset(zeroFill ? new (std::nothrow) char[size_t(stride)]()
                               : new (std::nothrow) char[size_t(stride)]);
    if (!block->data)
        return 0;
    block->size = stride;
    m_block = std::move(block);
    m_desc = desc;
    m_element = m_block->data.get();
    m_index[0] = lo0;
    m_index[1] = lo1;
    m_index[2] = lo2;
    return 1;
}

int CArray3D::AllocZeroBased(CArray3D *array, int elementSize, int count0, int count1, int count2,
                             bool zeroFill) {
    if (!array || elementSize <= 0 || count0 <= 0 || count1 <= 0 || count2 <= 0)
        return 0;
    return array->Alloc(elementSize, 0, count0 - 1, 0, count1 - 1, 0, count2 - 1, zeroFill);
}

int CArray3D::Seek(int i, int j, int k) {
    if (!m_block)
        return 0;
    const int at[3] = {i, j, k};
    int64_t offset = 0;
    for (int axis = 0; axis < 3; ++axis) {
        if (at[axis] < m_desc.lo[axis] || at[axis] > m_desc.hi[axis])
            return 0;
        offset += (int64_t(at[axis]) - m_desc.lo[axis]) * m_desc.stride[axis];
    }
    m_element = m_block->data.get() + offset;
    m_index[0] = i;
    m_index[1] = j;
    m_index[2] = k;
    return 1;
}

void CArray3D::Release() {
    m_block.reset();
    m_element = nullptr;
    m_index[0] = m_index[1] = m_index[2] = 0;
    m_desc = SDescriptor();
}

char *CArray3D::Data() const {
    return m_block ? m_block->data.get() : nullptr;
}

int64_t CArray3D::SizeBytes() const {
    return m_block ? m_block->size : 0;
}

int64_t CArray3D::ReadFile(const char *path, int64_t size, int *openResult,
                           const std::function<void()> &progress) {
    if (size == 0)
        size = SizeBytes();
    if (!m_block || !path || size <= 0 || size > SizeBytes()) {
        if (openResult)
            *openResult = EINVAL;
        return -size;
    }
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (openResult)
        *openResult = fd < 0 ? errno : 0;
    if (fd < 0)
        return -size;
    struct stat st {};
    const int64_t length = ::fstat(fd, &st) == 0 ? int64_t(st.st_size) : -1;
    char *const data = m_block->data.get();
    const int64_t got = ORQ::InPieces(
        size, kProgressBytes,
        [&](int64_t at, int64_t count) { return ReadAll(fd, data + at, count); }, progress);
    ::close(fd);
    if (got < 0 || length < 0)
        return -size;
    if (got < size)
        return got - size;
    return length - size;
}

int64_t CArray3D::WriteFile(const char *path, int64_t size) {
    if (size == 0)
        size = SizeBytes();
    if (!m_block || !path || size <= 0 || size > SizeBytes())
        return -size;
    ORQ::CFileReplacement file(path);
    if (!file.Open() || !file.Write(m_block->data.get(), size_t(size)) || !file.Finish() ||
        !file.Commit())
        return -size;
    return 0;
}

int64_t CArray3D::Dt1Size(int64_t traces, int64_t samples) {
    int64_t size = 0;
    if (traces <= 0 || samples <= 0 || !Multiply(traces, samples + 64, size) ||
        !Multiply(size, 2, size))
        return -1;
    return size;
}

int CArray3D::ReadDt1(const char *path, int traces, int samples,
                      const std::function<void()> &progress) {
    Release();
    const int64_t size = Dt1Size(traces, samples);
    if (size < 0 || samples > INT32_MAX - 64)
        return -9999;
    // The file's own length is checked first: a header whose counts promise more than the
    // file holds must not make us allocate (perhaps gigabytes) for nothing.
    // A replacement of the line's files that a killed write left part-way is finished first.
    if (path)
        ORQ::FinishPendingReplacementOf(path, ORQ::kLineFileExtensions);
    struct stat st {};
    if (!path || ::stat(path, &st) != 0)
        return -300 - (path ? errno : EINVAL);
    if (int64_t(st.st_size) < size)
        return 1;
    if (!Alloc(2, -64, samples - 1, 0, traces - 1, 0, 0, false))
        return -9999;
    int opened = 0;
    const int64_t result = ReadFile(path, size, &opened, progress);
    if (result < 0) {
        Release();
        if (opened == 0 && result > -size)
            return 1; // shrank since it was measured
        return -300 - opened;
    }
    return result > 0 ? 2 : 0;
}
