#include "KVD_Edit/planview/PlanLinesSource.h"

#include "KVD3/KvdDataBlockInterface.h"

namespace {

// The walk the plan view numbers its lines by: any line type, the type-ordered lists.
constexpr int kWalkMode = 1;
// Fiducial comments are asked for with this mode (it walks the same lists).
constexpr int kFidMode = 0;

} // namespace

bool BuildLinesSource(CLinesSource &out, const ORQ::CKvdDataBlockInterface_V110 *query, int set) {
    out.clear();
    if (query == nullptr)
        return false;
    const int lineCount = query->GetNumLines(set, LT_ANY);
    out.reserve(lineCount > 0 ? static_cast<size_t>(lineCount) : 0);
    for (int i = 0; i < lineCount; ++i) {
        SLineSource line;
        // The address the selection list uses; a line the walk cannot name keeps the walk's own
        // address, which the list resolves the same way.
        ORQ::CKvdDataBlockInterface::SLineInfo info;
        if (query->GetLineInfo(&info, i, LT_ANY, set, kWalkMode) == 1) {
            line.set = info.setIndex;
            line.line = info.lineIndex;
            line.lineType = static_cast<int>(info.lineType);
        } else {
            line.set = set;
            line.line = i;
        }
        const int fileCount = query->GetFileCount(i, set, LT_ANY, kWalkMode);
        for (int j = 0; j < fileCount; ++j) {
            SLineFileSource file;
            ORQ::CKvdDataBlockInterface::SFileInfo fi;
            if (query->GetFileInfo(&fi, j, i, LT_ANY, set, kWalkMode) != 1) {
                file.found = false;
                line.files.push_back(std::move(file));
                continue;
            }
            line.lineType = static_cast<int>(fi.lineType);
            file.isGPR = ORQ::CKvdDataBlockInterface_V110::IsGPRData(fi.extension);
            file.traces = static_cast<long long>(fi.dim2);
            if (fi.positions != nullptr && fi.numPositions > 0) {
                file.positions.reserve(static_cast<size_t>(fi.numPositions));
                for (int k = 0; k < fi.numPositions; ++k) {
                    const auto &p = fi.positions[k];
                    SLinePosition pos;
                    pos.x = p.X;
                    pos.y = p.Y;
                    pos.z = p.Z;
                    pos.normalized_file_pos = p.normalized_file_pos;
                    pos.units = p.units;
                    file.positions.push_back(pos);
                }
            }
            ORQ::CKvdDataBlock_V110::CDataFile::SFidComment fid;
            for (int c = 0; query->GetFidComment(&fid, set, i, j, c, LT_ANY, kFidMode); ++c) {
                SLineFiducial f;
                f.text = fid.text;
                f.ododist = fid.ododist;
                file.fiducials.push_back(std::move(f));
            }
            line.files.push_back(std::move(file));
        }
        out.push_back(std::move(line));
    }
    return true;
}
