#include "KVD_Edit/app/FiducialImporter.h"

#include "KVD3/KVDXmlFile.h"
#include "Tamsel/LinePath.h"
#include "Tamsel/Tamsel.h"
#include "orq_utils/Str.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace {

// Byte offsets in the 128-byte trace header.
constexpr size_t kTraceHeaderSize = 128;
constexpr size_t kPositionOffset = 4;
constexpr size_t kFlagOffset = 88;
constexpr size_t kCommentFlagOffset = 96;
constexpr size_t kCommentOffset = 100;
constexpr size_t kCommentLength = 28;
constexpr uint8_t kSkipBit = 4;

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

int CFiducialImporter::ReadMarks(const std::string &headerPath, std::vector<SFiducialMark> &marks) {
    marks.clear();
    ORQ::Tamsel header;
    if (header.Load(headerPath.c_str(), ORQ::ST_FILE) || !header.GetTamsel())
        return kHeaderNotLoaded;
    const int32_t traces = header.GetTamsel()->m_traces;
    const int32_t points = header.GetTamsel()->m_points;
    if (traces <= 0 || points <= 0)
        return kEmptyLine;

    std::ifstream in(ORQ::ResolveLinePath(TraceFilePath(headerPath)), std::ios::binary);
    if (!in)
        return kTraceFileUnreadable;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    // Both counts are positive 32-bit values, so the product fits in 64 bits.
    const uint64_t record = kTraceHeaderSize + 2 * static_cast<uint64_t>(points);
    const uint64_t needed = record * static_cast<uint64_t>(traces);
    if (size < 0 || static_cast<uint64_t>(size) < needed)
        return kTraceFileUnreadable;

    char head[kTraceHeaderSize];
    for (int32_t t = 0; t < traces; ++t) {
        in.seekg(static_cast<std::streamoff>(record * static_cast<uint64_t>(t)));
        if (!in.read(head, sizeof head)) {
            marks.clear();
            return kTraceFileUnreadable;
        }
        if (!HasComment(Field<float>(head, kCommentFlagOffset)))
            continue;
        if (static_cast<uint8_t>(head[kFlagOffset]) & kSkipBit)
            continue;
        const char *text = head + kCommentOffset;
        const std::string comment(text, strnlen(text, kCommentLength));
        if (ORQ::CStr::CompareNoCase(comment, "SKIP") == 0)
            continue;
        SFiducialMark mark;
        mark.trace = t;
        mark.position = Field<float>(head, kPositionOffset);
        mark.comment = comment;
        marks.push_back(std::move(mark));
    }
    return traces;
}

int CFiducialImporter::UpdateFidDetails(ORQ::CKVDXmlFile *file, const std::string &headerPath,
                                        ORQ::EUnitType unit, double step, double x0, double x1,
                                        double y0, double y1) {
    std::vector<SFiducialMark> marks;
    const int result = ReadMarks(headerPath, marks);
    if (result <= 0 || !file)
        return result;
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
    return result;
}
