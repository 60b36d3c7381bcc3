#include "Tamsel/DT1File.h"

#include "Tamsel/LinePath.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/FolderListing.h"
#include "orq_utils/MessageSink.h"
#include "orq_utils/PendingReplacement.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <strings.h>
#include <sys/stat.h>

namespace {

constexpr long kMaxCount = std::numeric_limits<int32_t>::max();

// Rounds a fractional index to the nearest integer; false for a value no index
// can have.
bool RoundIndex(double x, long &out) {
    const double r = std::floor(x + 0.5);
    if (!(r >= -double(kMaxCount) && r <= double(kMaxCount)))
        return false;
    out = static_cast<long>(r);
    return true;
}

std::string DisplayPath(const char *path) {
    return path ? path : "";
}

} // namespace

int CDT1File::Load(const char *path, long traces, long points) {
    if (traces <= 0 || points <= 0) {
        ORQ::ShowMessage("The trace file " + DisplayPath(path) +
                             " was not loaded: its header gives no traces or no samples per "
                             "trace (traces " +
                             std::to_string(traces) + ", samples " + std::to_string(points) + ").",
                         ORQ::MB_OK | ORQ::MB_ICONERROR);
        return -2;
    }
    // The block is addressed with 32-bit steps: refuse what a damaged header
    // would blow up.
    const long double bytes = static_cast<long double>(traces) * (points + 64.0L) * 2.0L;
    if (traces > kMaxCount || points > kMaxCount - 64 || bytes > kMaxCount) {
        ORQ::ShowMessage("The trace file " + DisplayPath(path) +
                             " was not loaded: its header gives " + std::to_string(traces) +
                             " traces of " + std::to_string(points) +
                             " samples, more than a trace file can hold.",
                         ORQ::MB_OK | ORQ::MB_ICONERROR);
        return -2;
    }
    m_fileName.clear();
    const std::string resolved = ORQ::ResolveLinePath(DisplayPath(path));
    // A replacement of the line's files that a killed write left part-way is finished first.
    ORQ::FinishPendingReplacementOf(resolved, ORQ::kLineFileExtensions);
    const int result = m_block.LoadTraceBlock(resolved.c_str(), static_cast<int>(traces),
                                              static_cast<int>(points));
    if (result == 2) {
        m_lastMessage = "Number of data points in .DT1 file exceeds \"Traces x "
                        "Points per Trace\" "
                        "defined in .HD file.\nOnly " +
                        std::to_string(traces) +
                        " traces will be loaded\nNote: File maybe corrupted.";
        ORQ::ShowMessage(m_lastMessage, ORQ::MB_OK | ORQ::MB_ICONWARNING);
    } else if (result != 0) {
        m_block.Release();
        m_fiducials.clear();
        m_skipTraces.clear();
        if (result < 1) {
            std::string reason;
            if (result == -9999)
                reason = "there is not enough memory for it";
            else if (result < -300)
                reason = std::strerror(-300 - result);
            else
                reason = "it could not be read (empty or unreadable)";
            ORQ::ShowMessage("Unable to load the trace file " + resolved + ": " + reason + ".",
                             ORQ::MB_OK | ORQ::MB_ICONERROR);
            return -2;
        }
        ORQ::ShowMessage("The trace file " + resolved + " is shorter than its header says (" +
                             std::to_string(traces) + " traces of " + std::to_string(points) +
                             " samples); it may be truncated and was not loaded.",
                         ORQ::MB_OK | ORQ::MB_ICONERROR);
        return -1;
    }
    m_fileName = resolved;
    ImportFiducials();
    return 0;
}

int CDT1File::Save(const char *, bool) {
    return -1;
}

long long CDT1File::WholeTraces(long long bytes, long points) {
    if (bytes < 0)
        return -1;
    // A header without samples still has 128 bytes of trace header per trace.
    points = points < 0 ? 0 : points;
    return bytes / ((static_cast<long long>(points) + 64) * 2);
}

long long CDT1File::TraceCapacity(const char *path, long points) {
    if (!path || points > kMaxCount)
        return -1;
    const std::string resolved = ORQ::ResolveLinePath(path);
    ORQ::FinishPendingReplacementOf(resolved, ORQ::kLineFileExtensions);
    struct stat st {};
    if (::stat(resolved.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return WholeTraces(static_cast<long long>(st.st_size), points);
}

long long CDT1File::TraceCapacity(const std::string &path, long points,
                                  const ORQ::CFolderListing &folder) {
    if (points > kMaxCount)
        return -1;
    ORQ::FinishPendingReplacementOf(path, folder, ORQ::kLineFileExtensions);
    // A path of another folder, or a name the listing lacks, is measured as a single file is.
    const std::string leaf = folder.EntryOf(path);
    if (leaf.empty())
        return TraceCapacity(path.c_str(), points);
    const long long size = folder.SizeOf(leaf);
    if (size < 0 && !folder.Has(leaf))
        return TraceCapacity(path.c_str(), points);
    return WholeTraces(size, points);
}

void CDT1File::ImportFiducials() {
    m_fiducials.clear();
    m_skipTraces.clear();
    if (!m_block.Holds())
        return;
    const auto &traceAxis = m_block.Axes().m_axis[1];
    for (int t = traceAxis.m_first; t <= traceAxis.m_last; ++t) {
        const char *header = m_block.At(-64, t, 0);
        if (!header)
            continue;
        float flag = 0;
        std::memcpy(&flag, header + offsetof(DT1TraceHeader, m_commentFlag), sizeof flag);
        const bool skip =
            (static_cast<uint8_t>(header[offsetof(DT1TraceHeader, m_flags)]) & DT1_SKIP_TRACE) != 0;
        // The flag counts when it truncates to 1 (1.0 up to but not including 2.0).
        if (flag >= 1.0f && flag < 2.0f) {
            const char *text = header + offsetof(DT1TraceHeader, m_comment);
            const std::string comment(text, ::strnlen(text, sizeof(DT1TraceHeader::m_comment)));
            const bool skipNote =
                (skip && comment.size() == 4 && ::strcasecmp(comment.c_str(), "SKIP") == 0) ||
                (comment.size() == 7 && ::strcasecmp(comment.c_str(), "SKIPPED") == 0);
            if (!skipNote)
                m_fiducials.push_back({comment, t});
        }
        if (skip)
            m_skipTraces.push_back(t);
    }
}

bool CDT1File::GetRawData(short &out, long trace, long sample) {
    if (trace < 0 || trace > kMaxCount || sample < -kMaxCount || sample > kMaxCount)
        return false;
    const char *p = m_block.At(static_cast<int>(sample), static_cast<int>(trace), 0);
    if (!p)
        return false;
    std::memcpy(&out, p, sizeof out);
    return true;
}

bool CDT1File::GetRawData(short &out, double trace, double sample) {
    long t = 0, s = 0;
    if (!RoundIndex(trace, t) || !RoundIndex(sample, s))
        return false;
    return GetRawData(out, t, s);
}

DT1TraceHeader *CDT1File::GetTraceHdrPtr(long trace) {
    if (trace < -kMaxCount || trace > kMaxCount)
        return nullptr;
    return reinterpret_cast<DT1TraceHeader *>(m_block.At(-64, static_cast<int>(trace), 0));
}

DT1TraceHeader *CDT1File::GetTraceHdrPtr(double trace) {
    long t = 0;
    return RoundIndex(trace, t) ? GetTraceHdrPtr(t) : nullptr;
}

bool CDT1File::GetDataCdp(ClvrDataPtr &out, ECdpType type) const {
    static const char kinds[] = {'A', 'H', 'T'};
    if (type < 0 || type > 2)
        return false;
    return out.MakeTraceView(m_block, kinds[type]) == 1;
}

unsigned long CDT1File::TrcCnt() {
    if (!m_block.Holds())
        return 0;
    const auto &ax = m_block.Axes().m_axis[1];
    return static_cast<unsigned long>(int64_t(ax.m_last) - ax.m_first + 1);
}

unsigned long CDT1File::SmpCnt() {
    if (!m_block.Holds())
        return 0;
    const auto &ax = m_block.Axes().m_axis[0];
    return static_cast<unsigned long>(int64_t(ax.m_last) - ax.m_first - 63);
}

int CDT1File::GetSkipTraceIndex(int i) const {
    return (i >= 0 && i < GetSkipTraceCount()) ? m_skipTraces[static_cast<size_t>(i)] : -1;
}

CDT1File::SFiducialData CDT1File::GetFiducial(int i) const {
    return (i >= 0 && i < GetFiducialCount()) ? m_fiducials[static_cast<size_t>(i)]
                                              : SFiducialData();
}
