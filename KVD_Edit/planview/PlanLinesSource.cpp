#include "KVD_Edit/planview/PlanLinesSource.h"

#include "KVD3/KvdDataBlockInterface.h"

#include <algorithm>

namespace {

// The walk the plan view numbers its lines by: any line type, the type-ordered lists.
constexpr int kWalkMode = ORQ::CKvdDataBlockInterface::WALK_BY_TYPE;
// Fiducial comments are asked for with this mode (it walks the same lists).
constexpr int kFidMode = 0;

} // namespace

bool BuildLinesSource(CLinesSource &out, const ORQ::CKvdDataBlockInterface_V110 *query, int set) {
    if (query == nullptr) {
        out.clear();
        return false;
    }
    // Every paint reads the lines anew: the vectors of the last reading are reused, so that a
    // repaint allocates nothing when the project did not change.
    const int lineCount = std::max(query->GetNumLines(set, LT_ANY), 0);
    out.resize(static_cast<size_t>(lineCount));
    for (int i = 0; i < lineCount; ++i) {
        SLineSource &line = out[static_cast<size_t>(i)];
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
            line.lineType = LT_NONE;
        }
        const int fileCount = std::max(query->GetFileCount(i, set, LT_ANY, kWalkMode), 0);
        line.files.resize(static_cast<size_t>(fileCount));
        for (int j = 0; j < fileCount; ++j) {
            SLineFileSource &file = line.files[static_cast<size_t>(j)];
            file.positions.clear();
            file.fiducials.clear();
            ORQ::CKvdDataBlockInterface::SFileInfo fi;
            if (query->GetFileInfo(&fi, j, i, LT_ANY, set, kWalkMode) != 1) {
                file.found = false;
                file.isGPR = false;
                file.traces = 0;
                file.odoStep = 0;
                continue;
            }
            file.found = true;
            line.lineType = static_cast<int>(fi.lineType);
            file.isGPR = ORQ::CKvdDataBlockInterface_V110::IsGPRData(fi.extension);
            file.traces = static_cast<long long>(fi.dim2);
            file.odoStep = fi.odoStep;
            if (fi.positions != nullptr && fi.numPositions > 0) {
                file.positions.resize(static_cast<size_t>(fi.numPositions));
                for (int k = 0; k < fi.numPositions; ++k) {
                    const auto &p = fi.positions[k];
                    SLinePosition &pos = file.positions[static_cast<size_t>(k)];
                    pos.x = p.X;
                    pos.y = p.Y;
                    pos.z = p.Z;
                    pos.normalized_file_pos = p.normalized_file_pos;
                    pos.units = p.units;
                }
            }
            ORQ::CKvdDataBlock_V110::CDataFile::SFidComment fid;
            for (int c = 0; query->GetFidComment(&fid, set, i, j, c, LT_ANY, kFidMode); ++c) {
                SLineFiducial f;
                f.text = fid.text;
                f.ododist = fid.ododist;
                file.fiducials.push_back(std::move(f));
            }
        }
    }
    return true;
}
