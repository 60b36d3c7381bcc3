#include "KVD3/KvdDataBlockInterface.h"

#include "KVD3/KVDXmlFile.h"
#include "KVD3/VersionRecord.h"
#include "orq_utils/MessageSink.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace ORQ {

using CLine = CKvdDataBlock_V110::CLine;
using CDataFile = CKvdDataBlock_V110::CDataFile;

namespace {

const char *const kLoadErrorsHeader =
    "The following errors have occured while attempting to load KVD:\n(creating a new KVD file "
    "and manually importing Lines in\nKVD_Edit may solve this problem)";

// True when the current node's "version" equals the given one in every component.
bool VersionIs(CKVDXmlFile *file, const char *version) {
    CStr text(version);
    int overall = 0, major = 0, minor = 0, patch = 0;
    return file->NodeVersionCompatibility(text, overall, major, minor, patch) && overall == 0 &&
           major == 0 && minor == 0 && patch == 0;
}

} // namespace

CKvdDataBlockInterface::~CKvdDataBlockInterface() = default;

CKvdDataBlockInterface *CKvdDataBlockInterface::CreateAndInit(CKVDXmlFile *file, int show,
                                                              CStr *errors) {
    CStr collected;
    std::unique_ptr<CKvdDataBlockInterface_V110> result;
    if (!file) {
        collected = "\nError: No Datablock found!";
    } else {
        // Reading moves the cursor; it goes back where it was, and the stack stays as it was.
        file->PushPosition();
        file->GotoRootNode();
        if (!file->GotoChildNode("Data", 0)) {
            collected += "\nError: No Datablock found!";
        } else {
            if (!VersionIs(file, "1.2.0") && !VersionIs(file, "1.1.0"))
                collected += "\nWarning: The KVD Data block you are attempting to open is not "
                             "supportedby the current version of the software.\nInvalid Version.  "
                             "We only support 1.10 to 1.20.";
            result = std::make_unique<CKvdDataBlockInterface_V110>();
            if (!result->Initialize(file, collected))
                result.reset();
        }
        file->GotoTopPosition();
        file->PopPosition();
    }
    if (!collected.empty() && show)
        ShowMessage(kLoadErrorsHeader + collected, MB_OK | MB_ICONWARNING);
    if (errors)
        *errors = collected;
    return result.release();
}

int CKvdDataBlockInterface::CompareLines(const LineInfo &a, const LineInfo &b) {
    return b.lateralOffset > a.lateralOffset ? 1 : 0;
}

CKvdSettingsBlock_V110 *CKvdDataBlockInterface::CreateSettings(CKVDXmlFile *file, CStr &errors) {
    auto block = std::make_unique<CKvdSettingsBlock_V110>();
    if (!block->LoadSettings(file, errors))
        return nullptr;
    return block.release();
}

// ---------------------------------------------------------------------------------------------

CKvdDataBlockInterface_V110::~CKvdDataBlockInterface_V110() = default;

int CKvdDataBlockInterface_V110::Initialize(CKVDXmlFile *file, CStr &errors) {
    m_block.SetSettingsFactory(&CKvdDataBlockInterface::CreateSettings);
    const int read = m_block.ReadKvdDataBlock(file, errors);
    if (read)
        BuildIndex();
    return read;
}

void CKvdDataBlockInterface_V110::BuildIndex() {
    const auto &sets = m_block.GetSets();
    for (int byName = 0; byName < 2; ++byName) {
        for (int t = -1; t <= 3; ++t) {
            SWalkIndex &index = m_index[byName][t + 1];
            index.lines.clear();
            index.setStart.clear();
            auto add = [&](const CLine *line, int set, int position) {
                if (t == LT_ANY || line->m_LineType == t)
                    index.lines.push_back(SWalkLine{line, set, position});
            };
            for (size_t s = 0; s < sets.size(); ++s) {
                index.setStart.push_back(index.lines.size());
                if (byName) {
                    for (size_t i = 0; i < sets[s]->m_LinesByName.size(); ++i)
                        add(sets[s]->m_LinesByName[i].get(), static_cast<int>(s),
                            static_cast<int>(i));
                } else {
                    for (size_t i = 0; i < sets[s]->m_LinesByType.size(); ++i)
                        add(sets[s]->m_LinesByType[i], static_cast<int>(s), static_cast<int>(i));
                }
            }
            index.setStart.push_back(index.lines.size());
            if (byName) {
                const auto &free = m_block.GetFreeLines();
                for (size_t i = 0; i < free.size(); ++i)
                    add(free[i].get(), -2, static_cast<int>(i));
            } else {
                const auto &free = m_block.GetFreeLinesByType();
                for (size_t i = 0; i < free.size(); ++i)
                    add(free[i], -2, static_cast<int>(i));
            }
        }
    }
}

bool CKvdDataBlockInterface_V110::CheckArgs(ELineType type, int set) const {
    if (type < LT_ANY || type > LT_YLINE)
        return false;
    if (set == -1 || set == -2)
        return true;
    return set >= 0 && set <= GetSetCount();
}

const CKvdDataBlockInterface_V110::SWalkIndex &
CKvdDataBlockInterface_V110::Index(bool byName, ELineType type) const {
    return m_index[byName ? 1 : 0][type + 1];
}

void CKvdDataBlockInterface_V110::Range(const SWalkIndex &index, int set, size_t &begin,
                                        size_t &end) const {
    const int count = GetSetCount();
    begin = end = 0;
    if (index.setStart.empty())
        return;
    if (set == -1) {
        begin = 0;
        end = index.lines.size();
    } else if (set == -2) {
        begin = index.setStart[count];
        end = index.lines.size();
    } else if (set >= 0 && set < count) {
        begin = index.setStart[set];
        end = index.setStart[set + 1];
    }
}

const CKvdDataBlockInterface_V110::SWalkLine *
CKvdDataBlockInterface_V110::FindLine(int n, int set, ELineType type, bool byName) const {
    if (n < 0 || !CheckArgs(type, set))
        return nullptr;
    const SWalkIndex &index = Index(byName, type);
    size_t begin, end;
    Range(index, set, begin, end);
    if (static_cast<size_t>(n) >= end - begin)
        return nullptr;
    return &index.lines[begin + n];
}

void CKvdDataBlockInterface_V110::FillLineInfo(const SWalkLine &w, SLineInfo *out) const {
    const CLine &line = *w.line;
    out->name = line.m_Name;
    out->lineType = line.m_LineType;
    out->xMin = line.m_XMin;
    out->xMax = line.m_XMax;
    out->yMin = line.m_YMin;
    out->yMax = line.m_YMax;
    out->numPositions = line.m_TotalPositions;
    out->editFlag = line.m_EditFlag;
    out->lineIndex = w.index;
    out->setIndex = w.set;
}

void CKvdDataBlockInterface_V110::FillFileInfo(const CLine &line, const CDataFile &file,
                                               SFileInfo *out) const {
    out->path =
        file.m_FileDirPath.empty() ? file.m_Name : CStr(file.m_FileDirPath + "\\" + file.m_Name);
    out->positions = file.m_Positions.empty() ? nullptr : file.m_Positions.data();
    out->numPositions = static_cast<int32_t>(file.m_Positions.size());
    out->extension = file.m_Extension;
    out->lineType = line.m_LineType;
    out->odoStart = file.m_OdoStart;
    out->odoEnd = file.m_OdoEnd;
    out->odoStep = file.m_OdoStep;
    out->dim0 = file.m_Dim0;
    out->dim1 = file.m_Dim1;
    out->dim2 = file.m_Dim2;
    out->settings = file.m_pSettings;
}

// ---------------------------------------------------------------------------------------------
// Queries

CStr CKvdDataBlockInterface_V110::GetDataDir() const {
    return m_block.GetDataDir();
}

int CKvdDataBlockInterface_V110::GetSetCount() const {
    return static_cast<int>(m_block.GetSets().size());
}

int CKvdDataBlockInterface_V110::GetNumLines(int set, ELineType type) const {
    if (!CheckArgs(type, set))
        return 0;
    size_t begin, end;
    Range(Index(false, type), set, begin, end);
    return static_cast<int>(end - begin);
}

int CKvdDataBlockInterface_V110::GetLineInfo(int line, LineInfo *out) const {
    const auto &free = m_block.GetFreeLines();
    if (!out || line < 0 || line >= static_cast<int>(free.size()))
        return 0;
    const CLine &l = *free[line];
    out->index = line;
    out->name = l.m_Name;
    out->numExtensions = static_cast<uint32_t>(l.m_Extensions.size());
    out->converter = l.m_pConverter.get();
    out->lateralOffset = l.m_LinearRefs.empty() ? 0.0 : l.m_LinearRefs.front().reflateral;
    return 1;
}

int CKvdDataBlockInterface_V110::GetExtensionInfo(int line, int ext, ExtensionInfo *out) const {
    const auto &free = m_block.GetFreeLines();
    if (!out || line < 0 || line >= static_cast<int>(free.size()))
        return 0;
    const CLine &l = *free[line];
    if (ext < 0 || ext >= static_cast<int>(l.m_Extensions.size()))
        return 0;
    out->index = ext;
    out->extension = l.m_Extensions[ext]->m_Name;
    out->numFiles = static_cast<uint32_t>(l.m_Extensions[ext]->FileCount());
    return 1;
}

int CKvdDataBlockInterface_V110::GetExtensionInfo(int line, const CStr &ext,
                                                  ExtensionInfo *out) const {
    const auto &free = m_block.GetFreeLines();
    if (line < 0 || line >= static_cast<int>(free.size()))
        return 0;
    return GetExtensionInfo(line, free[line]->GetExtension(ext), out);
}

int CKvdDataBlockInterface_V110::GetFileInfo(int line, int ext, int file, FileInfo *out) const {
    const auto &free = m_block.GetFreeLines();
    if (!out || line < 0 || line >= static_cast<int>(free.size()))
        return 0;
    const CLine &l = *free[line];
    if (ext < 0 || ext >= static_cast<int>(l.m_Extensions.size()))
        return 0;
    const CDataFile *f = l.m_Extensions[ext]->GetFile(file);
    if (!f)
        return 0;
    out->name = f->m_Name;
    out->fileDirPath = f->m_FileDirPath;
    out->extension = f->m_Extension;
    out->odoStart = f->m_OdoStart;
    out->odoEnd = f->m_OdoEnd;
    out->odoStep = f->m_OdoStep;
    out->settings = f->m_pSettings;
    out->dim0 = f->m_Dim0;
    out->dim1 = f->m_Dim1;
    out->dim2 = f->m_Dim2;
    return 1;
}

int CKvdDataBlockInterface_V110::GetFileInfo(int line, const CStr &ext, int file,
                                             FileInfo *out) const {
    const auto &free = m_block.GetFreeLines();
    if (line < 0 || line >= static_cast<int>(free.size()))
        return 0;
    return GetFileInfo(line, free[line]->GetExtension(ext), file, out);
}

int CKvdDataBlockInterface_V110::GetLine(SLineInfo *out, int n, int set, ELineType type,
                                         int mode) const {
    if (!out || n < 0)
        return 0;
    const SWalkLine *w = FindLine(n, set, type, mode == WALK_BY_TYPE);
    if (!w)
        return 0;
    FillLineInfo(*w, out);
    return 1;
}

int CKvdDataBlockInterface_V110::GetLineSet(SLineSetInfo *out, int set) const {
    if (out && set >= 0 && set < GetSetCount()) {
        out->name = m_block.GetSets()[set]->m_Name;
        out->index = set;
        out->values[0] = out->values[1] = out->values[2] = 0.0;
        out->values[6] = 1.0;
        out->values[7] = out->values[8] = 0.0;
    }
    return 0;
}

int CKvdDataBlockInterface_V110::GetLineInfo(SLineInfo *out, int n, ELineType type, int set,
                                             int mode) const {
    if (!out || n < 0 || !CheckArgs(type, set) || (mode != WALK_BY_TYPE && mode != WALK_BY_NAME))
        return -1;
    const SWalkLine *w = FindLine(n, set, type, mode == WALK_BY_NAME);
    if (!w)
        return 0;
    FillLineInfo(*w, out);
    return 1;
}

int CKvdDataBlockInterface_V110::GetFileInfo(SFileInfo *out, int file, int line, ELineType type,
                                             int set, int mode) const {
    if (!out || file < 0 || line < -1 || !CheckArgs(type, set) ||
        (mode != WALK_BY_TYPE && mode != WALK_BY_NAME))
        return -1;
    const bool byName = mode == WALK_BY_NAME;
    if (line == -1) {
        const SWalkIndex &index = Index(byName, type);
        size_t begin, end;
        Range(index, set, begin, end);
        int n = file;
        for (size_t i = begin; i < end; ++i) {
            const CLine &l = *index.lines[i].line;
            const int count = l.FileCount();
            if (n < count) {
                FillFileInfo(l, *l.GetFile(n), out);
                return 1;
            }
            n -= count;
        }
        return 0;
    }
    // In the name-ordered lists every line counts; a line of another type gives nothing.
    const SWalkLine *w = FindLine(line, set, byName ? LT_ANY : type, byName);
    if (!w || (type != LT_ANY && w->line->m_LineType != type))
        return 0;
    const CDataFile *f = w->line->GetFile(file);
    if (!f)
        return 0;
    FillFileInfo(*w->line, *f, out);
    return 1;
}

int CKvdDataBlockInterface_V110::GetFileCount(int line, int set, ELineType type, int mode) const {
    if (line < -1 || !CheckArgs(type, set))
        return -1;
    const bool byName = mode == WALK_BY_NAME;
    if (line == -1) {
        const SWalkIndex &index = Index(byName, type);
        size_t begin, end;
        Range(index, set, begin, end);
        int total = 0;
        for (size_t i = begin; i < end; ++i)
            total += index.lines[i].line->FileCount();
        return total;
    }
    const SWalkLine *w = FindLine(line, set, type, byName);
    return w ? w->line->FileCount() : 0;
}

bool CKvdDataBlockInterface_V110::GetFidComment(CDataFile::SFidComment *out, int set, int line,
                                                int file, int fid, ELineType type, int mode) const {
    if (!out || file < 0 || fid < 0)
        return false;
    const SWalkLine *w = FindLine(line, set, type, mode == WALK_BY_NAME);
    if (!w)
        return false;
    const CDataFile *f = w->line->GetFile(file);
    if (!f || fid >= static_cast<int>(f->m_FidComments.size()))
        return false;
    *out = f->m_FidComments[fid];
    return true;
}

int CKvdDataBlockInterface_V110::GetLineAddress(int *line, ELineType *type, int *set,
                                                int mode) const {
    if (!line || *line < 0 || (mode != WALK_BY_TYPE && mode != WALK_BY_NAME))
        return -1;
    const ELineType t = type ? *type : LT_ANY;
    const int s = set ? *set : -1;
    if (!CheckArgs(t, s))
        return -1;
    const SWalkLine *w = FindLine(*line, s, t, mode == WALK_BY_NAME);
    if (!w)
        return 0;
    if (type)
        *type = w->line->m_LineType;
    if (set)
        *set = w->set;
    *line = w->index;
    return 1;
}

int CKvdDataBlockInterface_V110::GetFileAddress(int *file, int *line, ELineType *type, int *set,
                                                int mode) const {
    if (!file || *file < 0 || (mode != WALK_BY_TYPE && mode != WALK_BY_NAME))
        return -1;
    const int skip = line ? *line : 0;
    const ELineType t = type ? *type : LT_ANY;
    const int s = set ? *set : -1;
    if (skip < 0 || !CheckArgs(t, s))
        return -1;
    const bool byName = mode == WALK_BY_NAME;
    // With WALK_BY_TYPE only lines of the wanted type are passed over, with WALK_BY_NAME any line.
    const SWalkIndex &index = Index(byName, t);
    size_t begin, end;
    Range(index, s, begin, end);
    int counted = 0;
    int passed = 0;
    int currentList = -3;
    for (size_t i = begin; i < end; ++i) {
        const SWalkLine &w = index.lines[i];
        if (w.set != currentList) {
            currentList = w.set;
            passed = 0;
        }
        if (byName ? w.index < skip : passed++ < skip)
            continue;
        const int count = w.line->FileCount();
        if (*file < counted + count) {
            int n = *file - counted;
            for (const auto &ext : w.line->m_Extensions) {
                const int inList = ext->FileCount();
                if (n < inList)
                    break;
                n -= inList;
            }
            if (type)
                *type = w.line->m_LineType;
            if (set)
                *set = w.set;
            if (line)
                *line = w.index;
            const int number = *file + 1;
            *file = n;
            return number;
        }
        counted += count;
    }
    return 0;
}

bool CKvdDataBlockInterface_V110::IsGPRData(const CStr &fileName) {
    CStr upper(fileName);
    upper.ToUpper();
    return upper.find("DT1") != std::string::npos;
}

} // namespace ORQ

void KVDDataBlockInterfaceRM_GetVerStr(char *buffer, int length) {
    static const char record[] =
        "KVDDataBlockInterfaceRM\t1.1.0.0\tVersion 1 Release 1\t2005-02-07\t"
        "KVD3-DI-0110";
    ORQ::CopyVersionRecord(record, buffer, length);
}
