#pragma once

#include "Tamsel/LvrDataPtr.h"
#include "Tamsel/TamselExport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ORQ {
class CFolderListing;
struct STamsel;
} // namespace ORQ

// The 128-byte header in front of each trace of a .dt1 file (little-endian).
// Packed: traces follow each other at any even offset, so a header inside a
// loaded block need not be aligned.
struct __attribute__((packed)) DT1TraceHeader {
    uint8_t m_bytes0[12];  // 0 to 11: not read here
    float m_topo;          // 12: topography elevation, in the header's position unit
    uint8_t m_bytes16[16]; // 16 to 31: not read here
    double m_x;            // 32: X position (longitude with latitude/longitude GPS)
    double m_y;            // 40: Y position (latitude)
    double m_z;            // 48: Z position (elevation in metres)
    uint8_t m_bytes56[32]; // 56 to 87: not read here
    int32_t m_flags;       // 88: flag word; the low byte holds the skip bit
    uint8_t m_bytes92[4];  // 92 to 95: not read here
    float m_commentFlag;   // 96: 1 (truncated) when the trace carries a comment
    char m_comment[28];    // 100: comment, ended by NUL or by the 28th byte
};
static_assert(sizeof(DT1TraceHeader) == 128, "a trace header is 128 bytes");
static_assert(offsetof(DT1TraceHeader, m_x) == 32 && offsetof(DT1TraceHeader, m_y) == 40 &&
                  offsetof(DT1TraceHeader, m_z) == 48 && offsetof(DT1TraceHeader, m_flags) == 88 &&
                  offsetof(DT1TraceHeader, m_commentFlag) == 96 &&
                  offsetof(DT1TraceHeader, m_comment) == 100,
              "trace header layout");

// Flag byte 88: the trace is a skip trace.
constexpr uint8_t DT1_SKIP_TRACE = 4;

// The trace file of a radar line, as the program reads it.
class TAMSEL_API IDT1File {
public:
    enum ECdpType { WholeTraces = 0, TraceHeaders = 1, TraceSamples = 2 };

    virtual bool GetDataCdp(ClvrDataPtr &out, ECdpType type) const = 0;
    virtual DT1TraceHeader *GetTraceHdrPtr(long trace) = 0;
    virtual ClvrDataPtr *GetRawDataCdpPtr() = 0;
    virtual int Save(const char *path, bool flag) = 0;
    virtual int Load(const char *path, long traces, long points) = 0;
    virtual unsigned long TrcCnt() = 0;
    virtual unsigned long SmpCnt() = 0;
    virtual ~IDT1File() = default;
};

// A .dt1 trace file loaded whole into one sample block: axis 0 is the sample
// index from -64 (the trace header's 16-bit slots) to points - 1, axis 1 the
// trace index, axis 2 one plane. Fiducial comments and skip traces are
// collected from the trace headers on load.
class TAMSEL_API CDT1File : public IDT1File {
public:
    struct SFiducialData {
        std::string m_text; // up to 28 characters of the trace's comment
        int32_t m_trace = -1;
    };

    CDT1File() = default;
    CDT1File(const CDT1File &) = default;
    CDT1File &operator=(const CDT1File &) = default;
    ~CDT1File() override = default;

    // 0 loaded; -1 the file is shorter than traces x (points + 64) x 2 bytes; -2
    // the counts are not positive or too large, or the file cannot be opened or
    // read. A longer file loads (0) and says so in the last message. Failures and
    // the longer file are shown through the message sink.
    int Load(const char *path, long traces, long points) override;
    // There is no trace-file writer: always -1.
    int Save(const char *path, bool flag) override;

    // How many whole traces of points samples (each with its 128-byte header) bytes of a trace
    // file hold: bytes over the size of one trace (points below 0 count as 0); -1 for bytes below
    // 0 (a size not known). A trace file agrees with its header when this is the header's count.
    static long long WholeTraces(long long bytes, long points);
    // How many whole traces of points samples the file at path holds (WholeTraces of its size);
    // -1 when it cannot be measured. What a header may claim for its line is bounded by this.
    static long long TraceCapacity(const char *path, long points);
    // The same for a file of the folder that folder listed, named as the listing spells it
    // (CFolderListing::Find): it is measured by one stat, and a pending replacement is looked
    // for in the listing.
    static long long TraceCapacity(const std::string &path, long points,
                                   const ORQ::CFolderListing &folder);

    bool GetRawData(short &out, long trace, long sample);
    bool GetRawData(short &out, double trace, double sample);
    // Plain int indices would be ambiguous between the two forms above.
    bool GetRawData(short &out, int trace, int sample) {
        return GetRawData(out, long(trace), long(sample));
    }
    DT1TraceHeader *GetTraceHdrPtr(long trace) override;
    DT1TraceHeader *GetTraceHdrPtr(double trace);
    DT1TraceHeader *GetTraceHdrPtr(int trace) { return GetTraceHdrPtr(long(trace)); }
    bool GetDataCdp(ClvrDataPtr &out, ECdpType type) const override;
    unsigned long TrcCnt() override;
    unsigned long SmpCnt() override;

    int GetSkipTraceCount() const { return static_cast<int>(m_skipTraces.size()); }
    int GetSkipTraceIndex(int i) const;
    int GetFiducialCount() const { return static_cast<int>(m_fiducials.size()); }
    SFiducialData GetFiducial(int i) const;

    void SetTamsel(const ORQ::STamsel *header) { m_tamsel = header; }
    const ClvrDataPtr *GetCDP() const { return &m_block; }
    ClvrDataPtr *GetRawDataCdpPtr() override { return &m_block; }
    std::string GetFileName() const { return m_fileName; }
    // The note of the last load of a file longer than its header says (empty
    // until then).
    const std::string &GetLastMessage() const { return m_lastMessage; }

private:
    void ImportFiducials();

    std::vector<SFiducialData> m_fiducials;
    std::vector<int> m_skipTraces;
    const ORQ::STamsel *m_tamsel = nullptr;
    ClvrDataPtr m_block;
    std::string m_fileName;
    std::string m_lastMessage;
};
