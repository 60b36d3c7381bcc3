#pragma once

#include "KVD3/Kvd3Export.h"
#include "KVD3/KvdSettingsBlock.h"
#include "KVD3/ReferenceConverter.h"
#include "orq_utils/Measure.h"
#include "orq_utils/Str.h"

#include <cstdint>
#include <memory>
#include <vector>

// Direction of a line in the grid, derived from its positions when the data block is read.
// Queries take LT_ANY for "any type"; LT_RESERVED is never produced.
enum ELineType : int32_t {
    LT_ANY = -1,
    LT_NONE = 0,     // neither along X nor along Y
    LT_RESERVED = 1, // not produced
    LT_XLINE = 2,    // X varies, Y stays within the step-size tolerance
    LT_YLINE = 3     // every X within the step-size tolerance of the first X
};

namespace ORQ {

class CKVDXmlFile;

// The project file's "Data" element read into memory: line sets, lines, the data files of each
// line with their positions, fiducial comments, odometer range and the settings in force. It is
// read once, right after construction; the data-block query interface is its only user.
class KVD3_API CKvdDataBlock_V110 {
public:
    // Reads the "Settings" element at the file's cursor (leaving the cursor there) into a new
    // block, or gives null when it could not be loaded; messages go to the errors text.
    using SettingsFactory = CKvdSettingsBlock_V110 *(*)(CKVDXmlFile *file, CStr &errors);

    class KVD3_API CDataFile {
    public:
        struct SPosition {
            double X = 0.0;
            double Y = 0.0;
            double Z = 0.0;
            double normalized_file_pos = 0.0; // fraction of the way along the file, 0 to 1
            EUnitType units = UNIT_FT;        // metres (1) or feet (5)
        };
        struct SFidComment {
            CStr text;
            double ododist = 0.0; // odometer distance, metres
            char fileflag = 0;    // first character of the "fileflag" text
        };

        CDataFile() = default;
        virtual ~CDataFile();

        // Reads the "DataFile" element at the file's cursor (the cursor is back on it). A data
        // file without "DataSampleCnt" takes its sample counts from its radar line header and
        // gains the element in the document. 0 when "Odometer" is missing (what was read
        // before is kept), else 1.
        int ReadFileBlock(CKVDXmlFile *file, CStr &errors);
        // The same; hasSettings tells whether a child of the element may be its own "Settings"
        // (false only when no child is so named).
        int ReadFileBlock(CKVDXmlFile *file, CStr &errors, bool &hasSettings);

        // Same odometer start, end and step, sequence number, file type, settings block
        // (the same object), file folder and name.
        int operator==(const CDataFile &other) const;

        CStr m_Name;
        CStr m_Extension; // the "ext" text; "HD+DT1" once a ".hd" and a ".dt1" entry merged
        uint32_t m_FileTypeUID = 0;
        int32_t m_Seq = 0;
        CStr m_FileDirPath;
        double m_OdoStart = 0.0; // metres
        double m_OdoEnd = 0.0;
        double m_OdoStep = 0.0;
        uint32_t m_Dim0 = 0;
        uint32_t m_Dim1 = 0;
        uint32_t m_Dim2 = 0;
        const CKvdSettingsBlock_V110 *m_pSettings = nullptr; // in force; owned by the block
        std::vector<SPosition> m_Positions; // ascending by normalized file position
        std::vector<int> m_SensorIDs;
        std::vector<SFidComment> m_FidComments; // ascending by odometer distance
    };

    // The files of one line that share an extension-list name, at place "seq" - 1. Places that
    // no file took are empty. Only the places that hold a file are stored, so that a "seq" of
    // two thousand million costs one entry, not a list of that length.
    class KVD3_API CExtension {
    public:
        explicit CExtension(const CStr &name) : m_Name(name) {}

        // Stores the file at place "seq" - 1 and takes it over; the place, or -1 (the file is
        // not taken) when that place is already used or "seq" is below 1.
        int AddFile(std::unique_ptr<CDataFile> &file);
        // Removes a place, moving the later files down, then drops empty places at the end;
        // the index of the last place left, -1 when none is left.
        int RemoveFile(int place);

        // Number of places that hold a file.
        int FileCount() const;
        // The n-th file counting only places that hold one; null when there is none.
        const CDataFile *GetFile(int n) const;
        // Number of places: the last place that holds a file, plus one.
        size_t PlaceCount() const { return m_Files.empty() ? 0 : m_Files.back().place + 1; }
        // The file at a place; null for an empty place or one beyond the list.
        const CDataFile *FileAtPlace(size_t place) const;

        struct SPlacedFile {
            size_t place;
            std::unique_ptr<CDataFile> file; // never null
        };
        CStr m_Name;
        std::vector<SPlacedFile> m_Files; // ascending by place
    };

    class KVD3_API CLine {
    public:
        struct SLinearRef {
            double ododist = 0.0;     // metres
            double refdist = 0.0;     // metres
            double reflateral = 0.0;  // metres
            EUnitType units = UNIT_M; // the unit the values were written in
        };

        CLine() = default;
        virtual ~CLine();

        // Reads the name and the linear references of the "Line" element at the cursor; the
        // cursor is back on it. Always 1.
        int ReadLineBlock(CKVDXmlFile *file, CStr &errors);
        // Index of the extension list of that name (letter case ignored); -1 when none.
        int GetExtension(const CStr &ext) const;
        // Files a data file into its extension list, merging a ".hd" and a ".dt1" entry of the
        // same file into "HD+DT1". The list's index, or -1 when the file is refused (then it
        // stays with the caller).
        int AddFile(std::unique_ptr<CDataFile> &file);
        // Removes the extension lists that hold no places.
        void ClearEmptyExtLists();

        // Number of files over all extension lists (empty places not counted).
        int FileCount() const;
        // The n-th file over all extension lists in order; null when there is none.
        const CDataFile *GetFile(int n) const;

        CStr m_Name;
        ELineType m_LineType = LT_NONE;
        double m_XMin = 0.0; // in the unit of the line's positions
        double m_YMin = 0.0;
        double m_XMax = 0.0;
        double m_YMax = 0.0;
        double m_TotalPositions = 0.0;
        char m_EditFlag = 'N'; // 'Y' more than 2 positions, 'R' runs backwards, else 'N'
        std::vector<SLinearRef> m_LinearRefs; // ascending by odometer distance
        std::vector<std::unique_ptr<CExtension>> m_Extensions;
        std::unique_ptr<CReferenceConverter> m_pConverter; // null without "LinearRef"
    };

    struct KVD3_API CSetLines {
        CStr m_Name;
        std::vector<std::unique_ptr<CLine>> m_LinesByName; // owning; sorted by name
        std::vector<CLine *> m_LinesByType;                // the same lines by type and place
    };

    CKvdDataBlock_V110();
    CKvdDataBlock_V110(const CKvdDataBlock_V110 &) = delete;
    CKvdDataBlock_V110 &operator=(const CKvdDataBlock_V110 &) = delete;
    virtual ~CKvdDataBlock_V110();

    void SetSettingsFactory(SettingsFactory factory) { m_pSettingsFactory = factory; }

    // Reads the "Data" element that is the file's current node. 0 when the current node is not
    // "Data" (nothing read) or when reading stopped; problems are appended to errors. The
    // file's progress callback is called for each line read.
    int ReadKvdDataBlock(CKVDXmlFile *file, CStr &errors);
    virtual int LoadDataLines(CKVDXmlFile *file, CStr &errors);

    void SetStepSizeTolerance(double metres) { m_StepSizeTolerance = metres; }
    double GetStepSizeTolerance() const { return m_StepSizeTolerance; }
    // True when a and b lie within the tolerance of each other, the tolerance taken in unit.
    bool CheckStepSizeTolerance(double a, double b, EUnitType unit) const;
    // Fills type, extents, number of positions and edit flag of every line.
    void PopulateLineStartandEnd();

    const CStr &GetDataDir() const { return m_DataDir; }
    const std::vector<std::unique_ptr<CSetLines>> &GetSets() const { return m_Sets; }
    const std::vector<std::unique_ptr<CLine>> &GetFreeLines() const { return m_FreeLines; }
    const std::vector<CLine *> &GetFreeLinesByType() const { return m_FreeLinesByType; }
    const std::vector<std::unique_ptr<CKvdSettingsBlock_V110>> &GetSettingsBlocks() const {
        return m_SettingsBlocks;
    }

private:
    void PopulateLine(CLine &line) const;
    void OrderLines();

    SettingsFactory m_pSettingsFactory = nullptr;
    CStr m_DataDir;
    std::vector<std::unique_ptr<CLine>> m_FreeLines; // document order
    std::vector<CLine *> m_FreeLinesByType;
    std::vector<std::unique_ptr<CKvdSettingsBlock_V110>> m_SettingsBlocks;
    std::vector<std::unique_ptr<CSetLines>> m_Sets;
    double m_StepSizeTolerance = 0.01; // metres
};

} // namespace ORQ

// The data block module's version record, at most length - 1 characters, always terminated.
KVD3_API void KVDDataBlock_GetVerStr(char *buffer, int length);
