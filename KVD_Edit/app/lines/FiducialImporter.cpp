#include "KVD_Edit/app/lines/FiducialImporter.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD_Edit/app/shell/BusyIndicator.h"
#include "Tamsel/DT1File.h"
#include "Tamsel/LinePair.h"
#include "Tamsel/LinePath.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/Str.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Byte offsets in the 128-byte trace header.
constexpr size_t kTraceHeaderSize = 128;
constexpr size_t kPositionOffset = 4;
constexpr size_t kFlagOffset = 88;
constexpr size_t kCommentFlagOffset = 96;
constexpr size_t kCommentOffset = 100;
constexpr size_t kCommentLength = 28;
constexpr uint8_t kSkipBit = 4;
// Traces up to this size are read many at a time.
constexpr uint64_t kRunBytes = 256 * 1024;

// Closes the file it holds.
struct SFile {
    int fd;
    ~SFile() { ::close(fd); }
};

enum class ERead { Done, End, Error };

// Reads exactly bytes at offset: Done, End when the file ends first, Error.
ERead ReadAt(int fd, char *to, size_t bytes, uint64_t offset) {
    while (bytes > 0) {
        const ssize_t n = ::pread(fd, to, bytes, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return ERead::Error;
        if (n == 0)
            return ERead::End;
        to += n;
        bytes -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return ERead::Done;
}

template <class T> T Field(const char *header, size_t offset) {
    T value;
    std::memcpy(&value, header + offset, sizeof value);
    return value;
}

// The comment flag is a float that counts when its integer part is not 0.
bool HasComment(float flag) {
    return std::isfinite(flag) && std::fabs(flag) >= 1.0f;
}

std::string TraceFilePath(const std::string &headerPath) {
    const size_t dot = headerPath.find_last_of('.');
    const size_t sep = headerPath.find_last_of("/\\");
    std::string base = headerPath;
    if (dot != std::string::npos && (sep == std::string::npos || dot > sep))
        base = headerPath.substr(0, dot);
    return base + ".dt1";
}

} // namespace

double CFiducialImporter::MapPosition(double position, double x0, double x1, double y0, double y1) {
    if (x1 == x0 || !std::isfinite(position))
        return y0;
    const double mapped = y0 + (position - x0) * (y1 - y0) / (x1 - x0);
    return std::isfinite(mapped) ? mapped : y0;
}

namespace {

// The marks of the trace file at found for the header's counts (ReadMarks after its header).
int ReadTraceMarks(const ORQ::STamsel *header, const std::string &found,
                   std::vector<SFiducialMark> &marks, ETraceFileFault &why) {
    marks.clear();
    why = ETraceFileFault::None;
    const int32_t traces = header->m_traces;
    const int32_t points = header->m_points;
    if (traces <= 0 || points <= 0)
        return CFiducialImporter::kEmptyLine;

    const int fd = ::open(found.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = errno == ENOENT || errno == ENOTDIR ? ETraceFileFault::Missing
                                                  : ETraceFileFault::ReadError;
        return CFiducialImporter::kTraceFileUnreadable;
    }
    SFile file{fd};
    // Both counts are positive 32-bit values, so the product fits in 64 bits.
    const uint64_t record = kTraceHeaderSize + 2 * static_cast<uint64_t>(points);

    // The file agrees with its header when it holds the header's number of whole traces; bytes
    // short of one more trace after them are no trace.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        why = ETraceFileFault::ReadError;
        return CFiducialImporter::kTraceFileUnreadable;
    }
    const long long holds = CDT1File::WholeTraces(static_cast<long long>(st.st_size), points);
    if (holds < traces) {
        why = ETraceFileFault::Short;
        return CFiducialImporter::kTraceFileUnreadable;
    }
    if (holds > traces)
        why = ETraceFileFault::Long;

    // Short traces are read in runs of whole traces, long ones header by header: either way a
    // line costs a few reads, not two system calls per trace. Runs read every byte the header
    // promises, so a file cut while it is read ends them.
    const bool runs = record <= kRunBytes;
    const int32_t perRead = runs ? std::min(traces, static_cast<int32_t>(kRunBytes / record)) : 1;
    std::vector<char> buffer(runs ? static_cast<size_t>(perRead * record) : kTraceHeaderSize);
    for (int32_t first = 0; first < traces; first += perRead) {
        const int32_t count = std::min(perRead, traces - first);
        const size_t bytes = runs ? static_cast<size_t>(count * record) : kTraceHeaderSize;
        const ERead read = ReadAt(fd, buffer.data(), bytes, record * static_cast<uint64_t>(first));
        if (read != ERead::Done) {
            why = read == ERead::End ? ETraceFileFault::Short : ETraceFileFault::ReadError;
            marks.clear();
            return CFiducialImporter::kTraceFileUnreadable;
        }
        for (int32_t k = 0; k < count; ++k) {
            const char *head = buffer.data() + (runs ? k * record : 0);
            if (!HasComment(Field<float>(head, kCommentFlagOffset)))
                continue;
            if (static_cast<uint8_t>(head[kFlagOffset]) & kSkipBit)
                continue;
            const char *text = head + kCommentOffset;
            const std::string comment(text, strnlen(text, kCommentLength));
            if (ORQ::CStr::CompareNoCase(comment, "SKIP") == 0)
                continue;
            SFiducialMark mark;
            mark.trace = first + k;
            mark.position = Field<float>(head, kPositionOffset);
            mark.comment = comment;
            marks.push_back(std::move(mark));
        }
    }
    return traces;
}

} // namespace

int CFiducialImporter::ReadMarks(const std::string &headerPath, std::vector<SFiducialMark> &marks,
                                 const ORQ::STamsel *header, const std::string &traceFilePath,
                                 ETraceFileFault *fault, const ORQ::CFileStamp *headerState) {
    BusyTick();
    marks.clear();
    ETraceFileFault ignored = ETraceFileFault::None;
    ETraceFileFault &why = fault ? *fault : ignored;
    why = ETraceFileFault::None;
    const std::string found =
        traceFilePath.empty() ? ORQ::ResolveLinePath(TraceFilePath(headerPath)) : traceFilePath;
    const std::string hdPath = ORQ::ResolveLinePath(headerPath);
    if (header && headerState) {
        // The caller's header serves while its file is still the one it read and the trace file
        // is read with no write of the line under way.
        const ORQ::CLinePairCheck check(hdPath, found);
        const int result = ReadTraceMarks(header, found, marks, why);
        if (check.WholeWith(*headerState))
            return result;
        marks.clear();
        why = ETraceFileFault::None;
    } else if (header) {
        return ReadTraceMarks(header, found, marks, why);
    }
    // Both files read here: as one write left them, read again when a write came between them.
    // A header object is made only when there is one to read: its streams are dear to build.
    auto loaded = std::make_unique<ORQ::Tamsel>();
    int result = kHeaderNotLoaded;
    const ORQ::ELinePairRead pair =
        ORQ::ReadLinePair(hdPath, found, nullptr, [&](const ORQ::CLinePairCheck &, int) {
            if (loaded->Load(hdPath.c_str(), ORQ::ST_FILE) || !loaded->GetTamsel()) {
                result = kHeaderNotLoaded;
                return false;
            }
            result = ReadTraceMarks(loaded->GetTamsel(), found, marks, why);
            return true;
        });
    if (pair != ORQ::PAIR_READ_BUSY)
        return result;
    // Another program kept writing the line: nothing of a pair no write made is kept.
    marks.clear();
    why = ETraceFileFault::ReadError;
    return kTraceFileUnreadable;
}

void CFiducialImporter::WriteMarks(ORQ::CKVDXmlFile *file, const std::vector<SFiducialMark> &marks,
                                   ORQ::EUnitType unit, double step, double x0, double x1,
                                   double y0, double y1) {
    if (!file)
        return;
    const std::string units = ORQ::CMeasure::UnitToString(unit);
    for (const SFiducialMark &mark : marks) {
        double position = mark.position;
        if (step != 0)
            position = MapPosition(position, x0, x1, y0, y1);
        else if (!std::isfinite(position))
            position = 0;
        if (!file->AppendChildNode("FIDComment"))
            break;
        ORQ::CStr dist;
        dist.Format("%f", position);
        file->SetNodeAttribute("ododist", dist);
        file->SetNodeAttribute("units", units);
        file->SetNodeAttribute("fileflag", step != 0 ? "C" : "D");
        file->SetNodeText(mark.comment);
        file->GotoParentNode();
    }
}

int CFiducialImporter::UpdateFidDetails(ORQ::CKVDXmlFile *file, const std::string &headerPath,
                                        ORQ::EUnitType unit, double step, double x0, double x1,
                                        double y0, double y1, const ORQ::STamsel *header,
                                        const std::string &traceFilePath) {
    std::vector<SFiducialMark> marks;
    const int result = ReadMarks(headerPath, marks, header, traceFilePath);
    if (result > 0)
        WriteMarks(file, marks, unit, step, x0, x1, y0, y1);
    return result;
}
