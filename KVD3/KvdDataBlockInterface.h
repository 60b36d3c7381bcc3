#pragma once

#include "KVD3/Kvd3Export.h"
#include "KVD3/KvdDataBlock.h"
#include "orq_utils/Str.h"

#include <cstdint>
#include <vector>

namespace ORQ {

class CKVDXmlFile;

// The read-only view through which the editor walks the project's "Data" block: line sets,
// lines, the data files of each line with their positions, settings and fiducial comments.
//
// Addressing, common to the queries that take a set, a type and a mode:
// - set >= 0 walks only that set (sets stand in name order); -1 every set in order and then
//   the lines written directly under "Data"; -2 only those lines.
// - type LT_ANY (-1) matches every line, 0 to 3 only lines of that type.
// - mode WALK_BY_NAME walks each set's lines in name order and the lines outside sets in
//   document order; WALK_BY_TYPE walks the lines grouped by type (0, 2, 3), X lines from bottom
//   to top and the others from left to right.
// Lines are counted from 0 along the walk, running on from the sets into the lines outside
// sets with set -1. Results: 1 found, 0 not found, -1 bad arguments. Empty places of a line's
// file lists are never counted.
class KVD3_API CKvdDataBlockInterface {
public:
    // The walks of the mode argument (values as callers pass them).
    enum EWalkMode : int { WALK_BY_TYPE = 1, WALK_BY_NAME = 2 };
    struct SFileInfo {
        CStr path; // FileDirPath + "\" + name, or the name alone (as stored, no extension)
        const CKvdDataBlock_V110::CDataFile::SPosition *positions = nullptr; // null when none
        int32_t numPositions = 0;
        CStr extension;               // "ext" text, e.g. "HD+DT1"
        ELineType lineType = LT_NONE; // type of the line holding the file
        double odoStart = 0.0;        // metres
        double odoEnd = 0.0;
        double odoStep = 0.0;
        uint32_t dim0 = 0;
        uint32_t dim1 = 0;                                // samples per trace
        uint32_t dim2 = 0;                                // traces
        const CKvdSettingsBlock_V110 *settings = nullptr; // in force for the file
    };

    struct SLineInfo {
        CStr name;
        ELineType lineType = LT_NONE;
        double xMin = 0.0; // in the positions' unit
        double xMax = 0.0;
        double yMin = 0.0;
        double yMax = 0.0;
        double numPositions = 0.0; // over the line's files
        char editFlag = 'N';       // 'Y', 'N' or 'R'
        int32_t lineIndex = 0;     // position in the list walked (within its set)
        int32_t setIndex = -2;     // -2 outside any set
    };

    struct SLineSetInfo {
        CStr name;
        int32_t index = 0;
        double values[9] = {0, 0, 0, 0, 0, 0, 1.0, 0, 0};
    };

    struct LineInfo {
        int32_t index = 0;
        CStr name;
        uint32_t numExtensions = 0;
        const CReferenceConverter *converter = nullptr; // null without linear references
        double lateralOffset = 0.0; // metres, of the line's first linear reference
    };

    struct ExtensionInfo {
        int32_t index = 0;
        CStr extension;
        uint32_t numFiles = 0;
    };

    struct FileInfo {
        CStr name;
        CStr fileDirPath;
        CStr extension;
        double odoStart = 0.0; // metres
        double odoEnd = 0.0;
        double odoStep = 0.0;
        const CKvdSettingsBlock_V110 *settings = nullptr;
        uint32_t dim0 = 0;
        uint32_t dim1 = 0;
        uint32_t dim2 = 0;
    };

    CKvdDataBlockInterface() = default;
    CKvdDataBlockInterface(const CKvdDataBlockInterface &) = delete;
    CKvdDataBlockInterface &operator=(const CKvdDataBlockInterface &) = delete;
    virtual ~CKvdDataBlockInterface();

    // Reads the "Data" block of an open project file into a new interface, which the caller
    // owns (null when there is no "Data" element). Errors and warnings collected while reading
    // are shown in one message when show is not 0 and copied to errors when given. The file's
    // cursor and position stack are as they were afterwards.
    static CKvdDataBlockInterface *CreateAndInit(CKVDXmlFile *file, int show, CStr *errors);

    // 1 when b's lateral offset is greater than a's.
    static int CompareLines(const LineInfo &a, const LineInfo &b);

    // The data block's settings factory: a block read from the "Settings" element at the
    // cursor, or null when it lacks required elements.
    static CKvdSettingsBlock_V110 *CreateSettings(CKVDXmlFile *file, CStr &errors);

    virtual CStr GetDataDir() const = 0;
    // Lines of a set (or -1 / -2 as above) of a type; 0 for a set index out of range.
    virtual int GetNumLines(int set, ELineType type) const = 0;
    // These address the lines outside sets in document order: 1 filled, 0 out of range.
    virtual int GetLineInfo(int line, LineInfo *out) const = 0;
    virtual int GetExtensionInfo(int line, int ext, ExtensionInfo *out) const = 0;
    virtual int GetExtensionInfo(int line, const CStr &ext, ExtensionInfo *out) const = 0;
    virtual int GetFileInfo(int line, int ext, int file, FileInfo *out) const = 0;
    virtual int GetFileInfo(int line, const CStr &ext, int file, FileInfo *out) const = 0;
    // The n-th line of the walk; mode WALK_BY_TYPE walks the name-ordered lists, any other mode
    // the type-ordered ones. 1 found, 0 not found (also for n < 0).
    virtual int GetLine(SLineInfo *out, int n, int set, ELineType type, int mode) const = 0;
    // Fills name and index of a set in range; returns 0 in every case.
    virtual int GetLineSet(SLineSetInfo *out, int set) const = 0;
    virtual int GetSetCount() const = 0;

protected:
    virtual int Initialize(CKVDXmlFile *file, CStr &errors) = 0;
};

class KVD3_API CKvdDataBlockInterface_V110 : public CKvdDataBlockInterface {
public:
    CKvdDataBlockInterface_V110() = default;
    ~CKvdDataBlockInterface_V110() override;

    CStr GetDataDir() const override;
    int GetNumLines(int set, ELineType type) const override;
    int GetLineInfo(int line, LineInfo *out) const override;
    int GetExtensionInfo(int line, int ext, ExtensionInfo *out) const override;
    int GetExtensionInfo(int line, const CStr &ext, ExtensionInfo *out) const override;
    int GetFileInfo(int line, int ext, int file, FileInfo *out) const override;
    int GetFileInfo(int line, const CStr &ext, int file, FileInfo *out) const override;
    int GetLine(SLineInfo *out, int n, int set, ELineType type, int mode) const override;
    int GetLineSet(SLineSetInfo *out, int set) const override;
    int GetSetCount() const override;

    // The n-th line of the walk. 1 found, 0 not found, -1 bad arguments.
    int GetLineInfo(SLineInfo *out, int n, ELineType type, int set, int mode) const;
    // With line -1 the file-th data file over all lines of the walk, else the file-th data file
    // of the line-th line. 1 found, 0 not found, -1 bad arguments.
    int GetFileInfo(SFileInfo *out, int file, int line, ELineType type, int set, int mode) const;
    // Data files of the line-th line (line -1: of every line of the walk); 0 when there is no
    // such line, -1 bad arguments. Any mode but WALK_BY_NAME walks the type-ordered lists.
    int GetFileCount(int line, int set, ELineType type, int mode) const;
    // The fid-th fiducial comment of the file-th data file of the line-th line; any mode but
    // WALK_BY_NAME walks the type-ordered lists. false when any of them does not exist.
    bool GetFidComment(CKvdDataBlock_V110::CDataFile::SFidComment *out, int set, int line, int file,
                       int fid, ELineType type, int mode) const;
    // Finds the *line-th line of the walk (type and set from *type and *set when given, else
    // any). On success writes the line's own type, its set index (-2 outside sets) and its
    // position within its list back, and returns 1; 0 not found, -1 bad arguments.
    int GetLineAddress(int *line, ELineType *type, int *set, int mode) const;
    // Finds data file number *file of the walk, after passing over *line lines (when given) at
    // the start of every list. Writes the line's type, set and position in its list and the
    // file's index within its extension list back; returns the number of files counted up to
    // and including it, 0 when the walk ends first, -1 bad arguments.
    int GetFileAddress(int *file, int *line, ELineType *type, int *set, int mode) const;

    // True for a radar trace file: the upper-cased name contains "DT1".
    static bool IsGPRData(const CStr &fileName);

    void SetStepSizeTolerance(double metres) { m_block.SetStepSizeTolerance(metres); }
    double GetStepSizeTolerance() const { return m_block.GetStepSizeTolerance(); }

    const CKvdDataBlock_V110 &GetBlock() const { return m_block; }

protected:
    int Initialize(CKVDXmlFile *file, CStr &errors) override;
    friend class CKvdDataBlockInterface;

private:
    struct SWalkLine {
        const CKvdDataBlock_V110::CLine *line;
        int set;   // -2 outside sets
        int index; // position in its list
    };
    // The lines of one list choice and one type filter, sets in order and then the lines
    // outside sets; setStart[s] is where set s begins, setStart[set count] where the lines
    // outside sets begin. Built once after reading, so that every address is found directly.
    struct SWalkIndex {
        std::vector<SWalkLine> lines;
        std::vector<size_t> setStart;
    };

    void BuildIndex();
    bool CheckArgs(ELineType type, int set) const;
    const SWalkIndex &Index(bool byName, ELineType type) const;
    // The range of the index that a set argument selects.
    void Range(const SWalkIndex &index, int set, size_t &begin, size_t &end) const;
    const SWalkLine *FindLine(int n, int set, ELineType type, bool byName) const;
    void FillLineInfo(const SWalkLine &w, SLineInfo *out) const;
    void FillFileInfo(const CKvdDataBlock_V110::CLine &line,
                      const CKvdDataBlock_V110::CDataFile &file, SFileInfo *out) const;

    CKvdDataBlock_V110 m_block;
    SWalkIndex m_index[2][5]; // [by name][type + 1]
};

} // namespace ORQ

// Version records of the query interface and data block modules, at most length - 1
// characters, always terminated.
KVD3_API void KVDDataBlockInterfaceRM_GetVerStr(char *buffer, int length);
