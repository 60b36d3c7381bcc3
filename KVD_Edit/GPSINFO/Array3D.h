#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// A three-dimensional block of fixed-size elements over inclusive index ranges (lower bounds may
// be negative), with a whole-file reader and writer. Copies share the block: it is freed with
// the last object that holds it.
//
// A .dt1 trace file is held as int16 over [-64 .. samples - 1] x [0 .. traces - 1] x [0 .. 0]:
// index -64 of axis 0 is the first int16 of a trace's 128-byte header, so Seek(-64, t, 0)
// selects the header of trace t (0-based) and Seek(0, t, 0) its first sample.
//
// Sizes are 64-bit throughout: a line of traces x (samples + 64) x 2 bytes may exceed 2 GiB.
class CArray3D {
public:
    // Index arithmetic of a block: bounds inclusive, strides in bytes.
    struct SDescriptor {
        int elementSize = 0;
        int lo[3] = {0, 0, 0};
        int hi[3] = {-1, -1, -1};
        int64_t stride[3] = {0, 0, 0};
    };

    CArray3D() = default;
    CArray3D(const CArray3D &) = default;
    CArray3D &operator=(const CArray3D &) = default;
    ~CArray3D() = default;

    // Releases a block already held, then allocates elementSize x the number of indices of the
    // three axes, zero-filled on request, and seeks to the lower bounds. 0 when a size is not
    // positive, an upper bound lies below its lower bound, the size overflows or memory is
    // short (the object then holds nothing).
    int Alloc(int elementSize, int lo0, int hi0, int lo1, int hi1, int lo2, int hi2, bool zeroFill);
    // Alloc with ranges 0 .. count - 1; 0 for a null object or a size or count of 0 or less.
    static int AllocZeroBased(CArray3D *array, int elementSize, int count0, int count1, int count2,
                              bool zeroFill);

    // Selects element (i, j, k); 0 when an index lies outside its bounds (selection unchanged).
    int Seek(int i, int j, int k);
    // The element the last Seek selected (the first one after Alloc); null without a block.
    void *Element() const { return m_element; }
    int Index(int axis) const { return m_index[axis]; }

    // Drops this object's share of the block and empties the object.
    void Release();
    // Empties the object; the block lives on while another object shares it.
    void Reset() { Release(); }

    // Reads size bytes of a file into the start of the block (0: the whole block). openResult
    // receives 0 when the file opened, else the error number. Result: when all size bytes were
    // read, the file length minus size (0 exact, positive: the file is longer); when fewer,
    // that count minus size (negative); -size when the file does not open or the read fails.
    // progress, when given, is called after each kProgressBytes read.
    int64_t ReadFile(const char *path, int64_t size, int *openResult,
                     const std::function<void()> &progress = {});
    // Replaces the file with the first size bytes of the block (0: the whole block), atomically
    // through a temporary file beside it. 0 on success, -size on any failure (the file is then
    // as it was).
    int64_t WriteFile(const char *path, int64_t size);

    // Reads a whole .dt1 trace file of the given counts into a new block. 0: the file holds
    // exactly the block; 2: the file is longer (the block holds its beginning); 1: the file is
    // shorter (no block is kept: its counts cannot describe the file); -9999: counts of 0 or
    // less, a size beyond memory, or no memory; -300 minus the open result when the file does
    // not open or cannot be read (no block is kept). progress as for ReadFile.
    int ReadDt1(const char *path, int traces, int samples,
                const std::function<void()> &progress = {});

    // The bytes a long read or write handles between two calls of its progress callback.
    static constexpr int64_t kProgressBytes = int64_t(1) << 20;

    // Bytes of a .dt1 file of these counts, or -1 for counts of 0 or less or a size that
    // cannot be held.
    static int64_t Dt1Size(int64_t traces, int64_t samples);

    bool IsAllocated() const { return m_block != nullptr; }
    char *Data() const;
    int64_t SizeBytes() const;
    long UseCount() const { return m_block.use_count(); }
    const SDescriptor &Descriptor() const { return m_desc; }

private:
    struct SBlock {
        std::unique_ptr<char[]> data;
        int64_t size = 0;
    };

    void *m_element = nullptr;
    int m_index[3] = {0, 0, 0};
    std::shared_ptr<SBlock> m_block;
    SDescriptor m_desc;
};
