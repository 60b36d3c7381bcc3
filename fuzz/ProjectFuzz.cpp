// Project file (.kvd): open as the editor opens it (file, settings block, data block), ask
// every query of the data block, save, reload. The radar lines' stored styles load checked. What
// opens saves; the saved file opens again with the same lines and saving that gives the same bytes.

#include "KVD3/KVDXmlFile.h"
#include "KVD3/KvdDataBlockInterface.h"
#include "KVD_Edit/app/document/KvdGprDataFiles.h"
#include "KVD_Edit/app/document/MapperSettings.h"
#include "KVD_Edit/app/document/ProjectLoader.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>

namespace {

using ORQ::CKvdDataBlockInterface;
using ORQ::CKvdDataBlockInterface_V110;

// Walks the queries over at most a few hundred lines and files of each kind; returns the
// number of lines.
int AskEveryQuery(const CKvdDataBlockInterface_V110 &block) {
    (void)block.GetDataDir();
    const int sets = block.GetSetCount();
    for (int set = -2; set < std::min(sets, 50); ++set) {
        CKvdDataBlockInterface::SLineSetInfo setInfo;
        block.GetLineSet(&setInfo, set);
        for (int type : {LT_ANY, LT_NONE, LT_XLINE, LT_YLINE}) {
            const auto lineType = static_cast<ELineType>(type);
            const int lines = std::min(block.GetNumLines(set, lineType), 200);
            for (int mode = 1; mode <= 2; ++mode) {
                for (int n = 0; n < lines; ++n) {
                    CKvdDataBlockInterface::SLineInfo line;
                    block.GetLine(&line, n, set, lineType, mode);
                    block.GetLineInfo(&line, n, lineType, set, mode);
                    const int files = std::min(block.GetFileCount(n, set, lineType, mode), 50);
                    for (int f = 0; f < files; ++f) {
                        CKvdDataBlockInterface::SFileInfo file;
                        if (block.GetFileInfo(&file, f, n, lineType, set, mode) == 1 &&
                            file.numPositions > 0)
                            kvdfuzz::Check(file.positions != nullptr,
                                           "a file with positions points at them");
                        ORQ::CKvdDataBlock_V110::CDataFile::SFidComment fid;
                        for (int k = 0; k < 20; ++k)
                            if (!block.GetFidComment(&fid, set, n, f, k, lineType, mode))
                                break;
                    }
                    int at = n, foundSet = set;
                    ELineType foundType = lineType;
                    block.GetLineAddress(&at, &foundType, &foundSet, mode);
                }
                int file = 0, line = 0, fileSet = set;
                ELineType fileType = lineType;
                block.GetFileAddress(&file, &line, &fileType, &fileSet, mode);
            }
        }
    }
    for (int line = 0; line < 200; ++line) {
        CKvdDataBlockInterface::LineInfo info;
        if (!block.GetLineInfo(line, &info))
            break;
        for (uint32_t ext = 0; ext < std::min(info.numExtensions, 20u); ++ext) {
            CKvdDataBlockInterface::ExtensionInfo extension;
            if (!block.GetExtensionInfo(line, int(ext), &extension))
                continue;
            block.GetExtensionInfo(line, extension.extension, &extension);
            for (uint32_t f = 0; f < std::min(extension.numFiles, 20u); ++f) {
                CKvdDataBlockInterface::FileInfo file;
                block.GetFileInfo(line, int(ext), int(f), &file);
                block.GetFileInfo(line, extension.extension, int(f), &file);
            }
        }
    }
    return block.GetNumLines(-1, LT_ANY);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    kvdfuzz::Quiet();
    const std::string input = kvdfuzz::Scratch("in.kvd");
    const std::string first = kvdfuzz::Scratch("first.kvd");
    const std::string second = kvdfuzz::Scratch("second.kvd");
    kvdfuzz::WriteBytes(input, data, size);

    CKvdGprDataFiles holder;
    CMapperSettings settings;
    if (!CProjectLoader::Open(holder, settings, input, false))
        return 0;
    // Whatever the settings block holds, the radar lines get styles the dialog can show.
    for (int entry = 0; entry < 2; ++entry)
        kvdfuzz::Check(IsLineDisplayEntryInRange(settings.LineDisplay.Entry[entry]),
                       "the radar lines' styles load within their ranges");
    const CKvdDataBlockInterface_V110 *block = holder.GetDataBlockInterface();
    kvdfuzz::Check(block != nullptr, "an open project has its data block");
    const int lines = AskEveryQuery(*block);
    kvdfuzz::Check(holder.SaveKvdXmlFile(first.c_str()) == 0, "an open project saves");

    CKvdGprDataFiles reloaded;
    kvdfuzz::Check(reloaded.LoadKvdXmlFile(first.c_str()) == 1, "a saved project opens again");
    kvdfuzz::Check(reloaded.GetDataBlockInterface() != nullptr, "the reopened project has data");
    kvdfuzz::Check(AskEveryQuery(*reloaded.GetDataBlockInterface()) == lines,
                   "a saved project opens with the same lines");
    kvdfuzz::Check(reloaded.SaveKvdXmlFile(second.c_str()) == 0, "a reopened project saves");
    kvdfuzz::Check(kvdfuzz::ReadBytes(first) == kvdfuzz::ReadBytes(second),
                   "saving a reopened project gives the same bytes");
    return 0;
}
