#pragma once

#include "KVD_Edit/app/grid/GridInfo.h"

#include "Tamsel/Tamsel.h"
#include "orq_utils/FolderListing.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace ORQ {
class CKvdDataBlockInterface_V110;
class Tamsel;
} // namespace ORQ

// What building the grid rows asks of the document and its GPS data. The child frame answers
// with the document's GPS data (CGPSDataSample on its CGPSInfo) and commands; tests record.
class IGridLoadHooks {
public:
    virtual ~IGridLoadHooks() = default;
    // Registers a line with the document's GPS data (CGPSDataSample::AddLine).
    virtual void AddLine(int set, int lineType, int line, double odoStep, int traces,
                         const std::string &path) = 0;
    // Reads a GPS file into a line (CGPSDataSample::LoadGpsFile): the number of fixes, or a
    // negative value when it failed; error text goes to errors.
    virtual int LoadGpsFile(const std::string &path, int set, int line, int traces,
                            std::string &errors) = 0;
    // Reads a topography (position/elevation) file into a line (CGPSDataSample::LoadTopoFile):
    // 0 when it loaded, else a negative value. Hooks without GPS data read none.
    virtual int LoadTopoFile(const std::string & /*path*/, int /*set*/, int /*line*/,
                             int /*traces*/) {
        return -1;
    }
    // Loads the line's GPS from its GPS file or its trace headers (CGPSDataSample::LoadLineGps);
    // traceFile is the line's trace file as found, traceCapacity the whole traces it holds (-1
    // when it could not be measured).
    virtual void LoadLineGps(const std::string &gpsPath, const ORQ::Tamsel &header,
                             const std::string &traceFile, long long traceCapacity, int set,
                             int line, double odoStep, int traces) = 0;
    // The GPS question of the load (CChildFrame::AskImportGps): true to import.
    virtual bool AskImportGps() = 0;
    // Enters the GPS file beside the row's trace file into the project and loads it; true when
    // it was attached.
    virtual bool AttachGps(SGridInfo &row) = 0;
    // Writes the row's GPS file from its trace headers (the row's GPS status becomes 2 when the
    // file then exists).
    virtual void RecoverGps(SGridInfo &row) = 0;
    // The first row's header sets the document's display unit (loads with error report only).
    virtual void SetDisplayUnit(ORQ::EUnitType unit) = 0;
};

// The header of a row's data file as the grid's load read it, with where the line's files were
// found and what the trace file holds: what comes right after the load in the same operation (the
// fiducial renewal, the reload it posts) neither looks for nor reads them again.
struct SRowHeader {
    std::shared_ptr<const ORQ::Tamsel> header; // loaded; its path is the .hd as found on disk
    std::string traceFilePath;                 // the .dt1 as found on disk
    long long traceCapacity = -1; // the whole traces the .dt1 holds, -1 when not measured

    const ORQ::STamsel &Values() const { return *header->GetTamsel(); }
    const std::string &HeaderPath() const { return header->FilePathName(); }
};
using RowHeaders = std::unordered_map<std::string, SRowHeader>; // by the row's data file name

// The headers a load read, kept for the reload it posts in the same operation (the fiducial
// renewal's): taken once, and only while that operation goes on and this process has written no
// file since they were read; otherwise the reload reads the files again.
class CCarriedHeaders {
public:
    void Keep(RowHeaders &&headers, unsigned long filesWrittenAtRead);
    // The headers kept, now no longer kept, for a load while the operation that read them still
    // goes on; empty when there are none or they may be out of date.
    RowHeaders TakeInSameOperation();
    // Drops the headers kept: a load of another operation reads its files again.
    void Forget();

private:
    RowHeaders m_headers;
    unsigned long m_filesWrittenAt = 0;
};

// Finds the files a project names, as written on Windows (backslashes, any letter case, names in
// code page 1252), below an existing folder whose files are named in UTF-8 or in raw code page
// 1252 bytes. Each folder is listed once per finder, so that a load of many lines in one folder
// does not list it again for every file; the listing also answers what else a reader asks of
// each line's files (a pending replacement, a trace file's size).
class CLineFileFinder {
public:
    // The path of the existing file folder/relative (relative may use "\" or "/"), or empty.
    std::string Find(const std::string &folder, const std::string &relative);
    // The same path for showing: folder/relative with "/" separators, spelled as the file
    // system spells names (UTF-8).
    static std::string Join(const std::string &folder, const std::string &relative);

    // The listing of folder, read on its first use by this finder.
    const ORQ::CFolderListing &Listing(const std::string &folder);

private:
    std::unordered_map<std::string, ORQ::CFolderListing> m_listings;
    std::string m_lastFolder; // the folder of the last listing asked for
    const ORQ::CFolderListing *m_last = nullptr;
};

// Rebuilds the rows of the line grid from the project's query interface: one row per radar data
// file of every line, with the line's set, name, orientation, extent, length, step, edit flag,
// traces and GPS state, reading each line's .hd header again. Problems are collected as text.
class CGridRowBuilder {
public:
    struct SInput {
        ORQ::CKvdDataBlockInterface_V110 *dbi = nullptr;
        std::string projectFolder; // folder of the project file (no trailing separator needed)
        ORQ::EUnitType displayUnit = ORQ::UNIT_M;
        ORQ::EUnitType frameUnit = ORQ::UNIT_M; // position unit of the last header read
        double stepTolerance = 0.01;            // metres
        bool reportErrors = false;
        // Headers a load earlier in the same operation read, with no file written since (null
        // when none): a row found here is built from them, its files neither looked for nor read.
        const RowHeaders *knownHeaders = nullptr;
    };
    struct SResult {
        std::vector<std::unique_ptr<SGridInfo>> rows;
        std::string errors;
        bool fiducialsPresent = false; // some data file has a fiducial comment
        bool gpsAttached = false;      // a GPS file was attached during the load
        ORQ::EUnitType frameUnit = ORQ::UNIT_M;
        ORQ::EUnitType displayUnit = ORQ::UNIT_M;
        // The header each row with a loaded header was built from, by the row's data file name:
        // what comes right after the reload (the fiducial pass) need not read them again. Empty
        // when the load itself wrote a file (a GPS file attached or recovered): what it read
        // before may be out of date.
        RowHeaders headers;
        // FileReplacementsBegun when the headers were read: they hold while it stands still.
        unsigned long filesWrittenAtRead = 0;
    };

    static constexpr size_t kErrorTextLimit = 300;
    static constexpr const char *kErrorIntro =
        "The following errors have occured while attempting to load the KVD\n(creating a new "
        "KVD file and importing data lines manually may fix problem):\n";
    static constexpr const char *kGpsQuestion =
        "GPS Information is available for loaded data.\nImport available GPS information?";

    // Builds the rows; without a query interface there are none.
    static SResult Build(const SInput &input, IGridLoadHooks &hooks);

    // The error text as shown: more than kErrorTextLimit characters are cut to that many,
    // followed by "...".
    static std::string CutErrors(const std::string &errors);

    // The key a row is found by again after a reload: grid name, ",", data file name without
    // its first " (+)" (when that is not at its start).
    static std::string SelectionKey(const SGridInfo &row);
    // True when path lies in folder or below it: its text begins with the folder's text (letter
    // case counts) followed by a separator.
    static bool IsInFolder(const std::string &path, const std::string &folder);
    // The name a row records for a file below the project folder: "." and the part of path
    // after the folder, with "\" separators (".\sub\line.GPS").
    // The name is the program's text (code page 1252) of the file system's.
    static std::string RelativeName(const std::string &path, const std::string &folder);

    // Keys compare without regard to case (code page 1252 letters, CGridSelection::Fold).
    static bool SameSelectionKey(const std::string &a, const std::string &b);
};
