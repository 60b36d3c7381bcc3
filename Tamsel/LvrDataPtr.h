#pragma once

#include "Tamsel/TamselExport.h"

#include <cstdint>
#include <memory>

// Index ranges of a three-dimensional block: for each axis the distance in
// bytes from one index to the next and the first and last index (inclusive;
// negative indices allowed).
struct TAMSEL_API Clvr3DDataAxis {
    struct SAxis {
        int32_t m_step = 0;
        int32_t m_first = 0;
        int32_t m_last = 0;
    };
    SAxis m_axis[3];

    // Number of indices of one axis (0 for an axis outside 0 to 2).
    int64_t Count(int axis) const;
};

// Where a block's elements lie: the address of the element at the first index
// of every axis, the element size and the axis ranges.
struct TAMSEL_API Slvr3DDescriptor {
    char *m_origin = nullptr;
    int32_t m_elementSize = 0;
    Clvr3DDataAxis m_axes;
};

// A view into a reference-counted three-dimensional block of fixed-size
// elements. Several views share one storage; each addresses it through its own
// origin and steps, so cutting a range or picking the trace headers never
// copies a sample. The storage goes with the last view holding it. Operations
// return 1 for success and 0 for failure unless told otherwise.
class TAMSEL_API ClvrDataPtr {
public:
    ClvrDataPtr() = default;
    // Copies share the storage, like Share.
    ClvrDataPtr(const ClvrDataPtr &) = default;
    ClvrDataPtr &operator=(const ClvrDataPtr &) = default;
    ClvrDataPtr(ClvrDataPtr &&) noexcept = default;
    ClvrDataPtr &operator=(ClvrDataPtr &&) noexcept = default;
    ~ClvrDataPtr() = default;

    // Makes a new storage of |last - first| + 1 indices per axis and views all of
    // it. Fails (0) for an element size below 1, a block of more than 2^31 - 1
    // bytes or a failed allocation.
    int Allocate(int elementSize, int first0, int last0, int first1, int last1, int first2,
                 int last2, bool zeroFill);
    // Lets go of the storage (freed when no other view holds it) and empties the
    // view.
    void Release();
    // Views what source views, sharing its storage; returns the storage's holder
    // count.
    int Share(const ClvrDataPtr &source);

    // Moves the current element to (i0, i1, i2) when each index lies in its
    // axis's range.
    int Seek(int i0, int i1, int i2);
    // Moves the current element by n along one axis when the new index stays in
    // range.
    int Step(int axis, int n);
    // -1: first indices, 1: last indices, 0: indices (0, 0, 0).
    int Position(int where);

    // Reads byteCount bytes (0: the whole view) of a file into the storage.
    // Returns 0 for a file of exactly that size, the surplus for a longer file,
    // (bytes read - count) for a shorter one and -count when the file cannot be
    // opened or read (openError receives errno then).
    int64_t ReadWholeFile(const char *path, int64_t byteCount, int &openError);
    // Loads a trace file of traces x (points + 64) 16-bit slots: 0 exact, 1 file
    // shorter, 2 file longer, -9999 no storage, -300 - errno when the file cannot
    // be opened or read.
    int LoadTraceBlock(const char *path, int traces, int points);
    // Views the traces of a trace block: 'A' whole traces (header slots at -64 to
    // -1), 'H' the trace headers as 26 four-byte values, 'T' the samples only.
    int MakeTraceView(const ClvrDataPtr &source, char kind);
    // Narrows the view to the requested range of its storage (checked unless
    // takeAsIs).
    int CutToRange(const Slvr3DDescriptor &requested, bool takeAsIs);

    // Overlap of requested and available ranges over the first axisCount axes: -1
    // when they do not overlap on some axis; else bit 0 set when the overlap is
    // smaller than what is available, bit 1 set when the request reaches beyond
    // it. out takes the overlap (and the available steps).
    static int IntersectAxes(Clvr3DDataAxis &out, const Clvr3DDataAxis &available,
                             const Clvr3DDataAxis &requested, int axisCount);
    static void SwapAxes(Clvr3DDataAxis &axes, int a, int b);
    // Brings the axes of axes into the order of the storage's axes (matched by
    // step), swapping the matching entries of index too.
    static void OrderAxesLike(Clvr3DDataAxis &axes, const Clvr3DDataAxis &storage, int index[3]);

    // True while the view holds storage.
    bool Holds() const { return m_storage != nullptr; }
    // Holders of the storage (0 when the view holds nothing).
    int RefCount() const;
    char *Current() const { return m_current; }
    int Index(int axis) const { return (axis >= 0 && axis < 3) ? m_index[axis] : 0; }
    char *Origin() const { return m_origin; }
    int ElementSize() const { return m_elementSize; }
    const Clvr3DDataAxis &Axes() const { return m_axes; }
    Slvr3DDescriptor Descriptor() const { return {m_origin, m_elementSize, m_axes}; }
    // The storage's full descriptor (empty when the view holds nothing).
    Slvr3DDescriptor StorageDescriptor() const;
    int64_t StorageSize() const;
    // Address of element (i0, i1, i2), or null when it lies outside the view.
    char *At(int i0, int i1, int i2) const;
    bool Contains(int i0, int i1, int i2) const;

private:
    struct SStorage;

    char *Address(int i0, int i1, int i2) const;

    char *m_current = nullptr;
    int m_index[3] = {0, 0, 0};
    std::shared_ptr<SStorage> m_storage;
    char *m_origin = nullptr;
    int32_t m_elementSize = 0;
    Clvr3DDataAxis m_axes;
};
