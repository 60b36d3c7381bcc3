#pragma once

#include "KVD_Edit/GPSINFO/GpsFileRecovery.h"
#include "KVD_Edit/app/grid/GridInfo.h"
#include "orq_utils/Str.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CGPSInfo;
class CLineNodes;
struct SImportedLine;
namespace ORQ {
class CKVDXmlFile;
}

// What the GPS and topography commands need of the document and of the grid of its frame. The
// document answers with its project holder, its GPS data and its child frame; tests record.
class IGpsCommandHost {
public:
    virtual ~IGpsCommandHost() = default;

    // The open project file and the document's GPS data; null while there is none.
    virtual ORQ::CKVDXmlFile *GetKvdFile() = 0;
    virtual CGPSInfo *GetGPSInfo() = 0;

    // The grid's stored rows (lengths in each row's own unit) and their selection.
    virtual int GetNumRows() const = 0;
    virtual SGridInfo *GetRowInfo(int row) = 0;
    virtual bool IsRowSelected(int row) const = 0;
    virtual int GetSelectedCount() const = 0;
    // The child frame's select-all.
    virtual void SelectAllLines() = 0;
    // The child frame's attachment of a file to one row (loads it into the GPS data and records
    // it in the row); true when attached, else the loader's text is in errors.
    virtual bool AttachGPSOrTopoFile(const char *path, SGridInfo &row, int kind,
                                     ORQ::CStr &errors) = 0;

    virtual void SetModifiedFlag() = 0;
    // Rebuilds the data-block query interface after the project file was edited.
    virtual void UpdateKvdDataBlockPtr() = 0;
    // The child frame's reloads of the grid; both keep the row selection.
    virtual void ReloadReportErrors() = 0;
    virtual void ReloadNoErrors() = 0;
    // An index of the project's lines kept across commands (a load attaches row by row), or
    // null: the commands then index the lines themselves when they work on several rows.
    virtual const CLineNodes *GetLineNodes() { return nullptr; }
};

// The "Line" elements of a project by line set and line name (without regard to case), found in
// one walk of the data block, so that commands on many rows do not walk every line again for
// each of them. A line found is checked against the document as it stands (its name, its set's
// name, its place under "Data"), so a line renamed, moved or removed since is not taken.
class CLineNodes {
public:
    explicit CLineNodes(ORQ::CKVDXmlFile *file);
    // Releases the handles it took of the file.
    ~CLineNodes();
    CLineNodes(const CLineNodes &) = delete;
    CLineNodes &operator=(const CLineNodes &) = delete;

    ORQ::CKVDXmlFile *File() const { return m_file; }
    // Moves the file's cursor to the line (set "" for a line directly under "Data"), the first
    // of its names in document order; false (the cursor somewhere) when it is not known or no
    // longer stands there: the caller then walks the document.
    bool Goto(const std::string &set, const std::string &line) const;
    // Lets go of the file without releasing anything: for a file object that is gone.
    void Forget() {
        m_handles.clear();
        m_file = nullptr;
    }

private:
    struct SSet {
        bool found = false; // a "LineSet" of the name exists (always for the lines under "Data")
        std::unordered_map<std::string, void *> lines;
    };
    void AddLines(SSet &set);

    ORQ::CKVDXmlFile *m_file;
    std::unordered_map<std::string, SSet> m_sets; // by lower-case set name; "" under "Data"
    std::vector<void *> m_handles;
};

// The GPS and topography commands on the rows of the grid: attach a file lying beside a line
// (a data-file entry of the line in the project, and its values merged into the line's files),
// detach it (the entry only), merge or remove the values in the line's .hd and .dt1 files, and
// recover a missing file from the trace headers. A command works on the given row, or on the
// selected rows when none is given.
//
// A command for one given row is what a grid load runs while it walks the query interface: such
// a call never rebuilds the interface and never reloads the grid (the load does both itself
// afterwards).
class CGpsCommands {
public:
    static constexpr const char *kIncludeAllLines = "Do you wish to include all lines?";

    explicit CGpsCommands(IGpsCommandHost &host) : m_host(host) {}

    // Attaches the file of the kind beside each row whose status for the kind is 2. Without a
    // row, asks first whether all lines are meant (exactly one row selected). With reload, the
    // interface is rebuilt and the grid reloaded with error report. True when a file was
    // attached.
    bool AttachDataFile(int kind, bool reload, SGridInfo *row);
    // Removes the data-file entry of the kind from the lines of the selected rows whose file of
    // the kind is attached (GPS status 1, 3 or 5; topography 1 or 3); the line files stay.
    void DetachDataFile(int kind);
    // Writes the values of the kind that the GPS data holds for each row into the row's .hd and
    // .dt1 files (clear: removes them; gpsElevation: the GPS elevations become the topography).
    // The first failure is shown and ends the command; without a given row the grid is reloaded
    // in any case.
    void MergeDataFile(int kind, SGridInfo *row, bool clear, bool gpsElevation);
    // Writes the missing file of the kind for each row from its trace headers; a row whose file
    // exists keeps it. The last result of WriteGpsFileFromTraces, or kNothingRecovered.
    int RecoverDataFile(int kind, SGridInfo *row, bool reload);
    static constexpr int kNothingRecovered = -3;

    // With exactly one row selected asks kIncludeAllLines; Yes selects every row (true).
    bool AskIncludeAllLines();

    // Adds (remove false) or removes the data-file entry of a kind in the line of the row (found
    // by set and line name without regard to case; a line outside sets directly under "Data").
    // oldFileName names the entry to replace or remove ("" adds one); a new entry is written
    // from the row's current file name of the kind. The cursor is restored. False, with a
    // message, when the line or the entry is not found or the entry cannot be removed.
    // lines, when given, finds the line without a walk of the data block.
    static bool EditLineDataFileEntry(ORQ::CKVDXmlFile *file, const SGridInfo &row,
                                      const std::string &oldFileName, int kind, bool remove,
                                      const CLineNodes *lines = nullptr);

    // The row's data file relative to the project folder without its leading ".\", its " (+)"
    // mark and its extension ("sub\LINE").
    static std::string RowFileBase(const SGridInfo &row);
    // The path of the row's file with that extension ("hd", "dt1", "GPS") below folder, as
    // found on disk whatever the letter case, else where it would be created.
    static std::string RowFilePath(const std::string &folder, const SGridInfo &row,
                                   const std::string &extension);
    // The folder of the project file.
    static std::string ProjectFolder(ORQ::CKVDXmlFile *file);

private:
    std::vector<SGridInfo *> TargetRows(SGridInfo *row) const;
    // The host's line index, else one of this command's own for several rows (null for one).
    const CLineNodes *LineNodes(ORQ::CKVDXmlFile *file, size_t rows);

    IGpsCommandHost &m_host;
    std::unique_ptr<CLineNodes> m_lines;
};

// Loads the file at path (below folder, the project folder) for one row into the GPS data:
// GPS needs at least two fixes, topography a file that reads without error. On success the
// row records the file (".\sub\LINE.GPS"); otherwise its status for the kind becomes 3 (5 for
// a GPS file of fewer than two fixes) and errors says why.
bool AttachFileToRow(CGPSInfo *gps, const std::string &path, const std::string &folder,
                     SGridInfo &row, int kind, ORQ::CStr &errors);

// The GPS step of a line import: the GPS file beside the new line is entered as the line's
// data-file entry (from row: set and line names, extent, step, unit and the GPS file's name
// relative to the project folder), read into the GPS data under the row's set and line index
// (fewer than two fixes show the loader's text) and its positions written into the line's .hd
// and .dt1 files. Returns the write-back's error text for the import's report.
std::string AttachImportedGps(ORQ::CKVDXmlFile *file, CGPSInfo *gps, const SGridInfo &row,
                              const std::string &gpsPath, const std::string &hdPath);

// The grid row of a line just written by an import, as its GPS data-file entry is made from:
// names, orientation, unit, extent, direction, trace count and step (in the row's unit), under
// the given set and line index (new lines are not in the query interface yet).
SGridInfo ImportedGridRow(const SImportedLine &line, int setIndex, int lineIndex);

// The GPS steps of one line import, as the editor's import and the demo tool's do them: the
// new lines are not in the query interface yet, so their GPS data is kept under a set index of
// its own (their lines numbered in import order) until the reload after the import registers
// them properly.
class CImportGpsSteps {
public:
    // The GPS file found beside a new line attached to it (see AttachImportedGps), its name
    // entered relative to the project folder.
    std::string AttachGps(ORQ::CKVDXmlFile *file, CGPSInfo *gps, const SImportedLine &line,
                          const std::string &gpsPath);
    // A GPS file written beside the new line from its traces' positions.
    static void WriteGpsFromTraces(const SImportedLine &line, double stepMetres);

private:
    static constexpr int kImportedSet = -3;
    int m_imported = 0;
};
