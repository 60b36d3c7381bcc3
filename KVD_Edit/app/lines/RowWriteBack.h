#pragma once

#include "KVD_Edit/app/grid/GridInfo.h"
#include "KVD_Edit/app/lines/FiducialImporter.h"

#include "orq_utils/Measure.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CLineNodes;
struct SRowHeader;
namespace ORQ {
class CKVDXmlFile;
class CKvdSettingsBlock_V110;
struct STamsel;
} // namespace ORQ

// The new values of one edited grid row. Lengths are in unit.
struct SRowValues {
    std::string dataFileName; // ".\" + path + ".dt1", possibly followed by " (+)"
    std::string lineName;     // the new name
    int orientation = 0;      // 2 X line, 3 Y line
    double xMin = 0;
    double xMax = 0;
    double yMin = 0;
    double yMax = 0;
    double step = 0;
    bool reversed = false;
    ORQ::EUnitType unit = ORQ::UNIT_M;
};

// What reading a row's files for its fiducial comments found: CFiducialImporter's result (the
// trace count when they could be read; kHeaderNotLoaded, kEmptyLine or kTraceFileUnreadable when
// not) and why a trace file could not be read or that it holds more traces than its header gives.
// Comments are renewed only from a trace file that its header describes: otherwise they are kept.
struct SFidFilesRead {
    int result = 1;
    ETraceFileFault fault = ETraceFileFault::None;
    bool KeepsComments() const { return result <= 0 || fault == ETraceFileFault::Long; }
};

// A grid row whose fiducial comments a re-import kept.
struct SKeptFiducials {
    std::string lineName;
    std::string dataFileName; // as the grid shows it: ".\" + path + ".dt1", maybe " (+)"
    SFidFilesRead why;
};

// Writes an edited grid row back into the project file: renames the line (one row edited),
// rewrites the two positions and the odometer of every data file of the line, and renews the
// fiducial comments and the settings of the data file the row shows. Every check comes before
// the first change, so a refused row leaves the file as it was. Fiducial comments are renewed
// only from files that can be read and agree: a header that gives no traces, or a trace file that
// is missing, unreadable, or shorter or longer than its header says, leaves the comments the
// project holds as they are (they may be the only copy left).
class CRowWriteBack {
public:
    // projectPath: the project file; data file names are relative to its folder. lines, when
    // given, finds the line of a row without walking its set (a pass over many rows builds it
    // once); a line it no longer knows is looked for by walking the document. The settings of
    // the data block and of each line set are read once while the writer lives: the rows it
    // writes never change them, and nothing else may while it is in use.
    CRowWriteBack(ORQ::CKVDXmlFile *file, const std::string &projectPath,
                  const CLineNodes *lines = nullptr);
    ~CRowWriteBack();
    CRowWriteBack(const CRowWriteBack &) = delete;
    CRowWriteBack &operator=(const CRowWriteBack &) = delete;

    // oldGridName and oldLineName name the line as the grid showed it before the edit;
    // selectedCount is the number of selected grid rows (only one renames). True when written.
    bool ModifyRow(const SRowValues &row, const std::string &oldGridName,
                   const std::string &oldLineName, int selectedCount);
    // Renews only the fiducial comments of the data file the row shows, from its trace file;
    // names, positions, odometer and settings stay as they are. True when the row's line was
    // found and its comments renewed; changed (when given) is set when the comments now differ
    // from what the file held before. header, when given, is the row's header as just read,
    // with its files as found: they are neither looked for nor read again. A row whose files
    // cannot be read (its header included) or disagree keeps its comments and returns false
    // without a message; read, when given, tells what reading them found.
    bool RewriteFiducials(const SRowValues &row, const std::string &gridName,
                          const std::string &lineName, bool *changed = nullptr,
                          const SRowHeader *header = nullptr, SFidFilesRead *read = nullptr);

    // The one message that names the rows whose comments were kept, one line each in the order
    // given (at most kKeptLinesShown, then how many more); empty when there are none.
    static constexpr size_t kKeptLinesShown = 20;
    static std::string KeptFiducialsMessage(const std::vector<SKeptFiducials> &rows);

    // The values of a grid row whose lengths are in unit.
    static SRowValues ValuesOf(const SGridInfo &row, ORQ::EUnitType unit);

    // The header path of a row's data file name.
    std::string HeaderPath(const std::string &dataFileName) const;

private:
    // The find step of both jobs: FindLine from the "Data" element, reporting a missing set or
    // line or a new name already taken; true with the cursor on the line.
    bool GotoLine(const std::string &setName, const std::string &lineName,
                  const std::string &newName);
    // Puts the cursor on the set named setName under "Data" (where the cursor stands) and on its
    // line named lineName; renaming also tells whether newName is taken by another line of the set.
    enum class EFind { Found, NoSet, NoLine, NameUsed };
    EFind FindLine(const std::string &setName, const std::string &lineName,
                   const std::string &newName, bool renaming);

    // A "Settings" child as it was read: whether there is one, the block when it loaded
    // completely, what its load reported, and whether that was shown.
    struct SSettingsRead {
        bool present = false;
        bool told = false;
        std::unique_ptr<ORQ::CKvdSettingsBlock_V110> block;
        std::string errors;
    };
    // The data block's settings (the cursor on "Data"), read at the first call; a block that is
    // there but fails to load is reported once while the writer lives.
    const ORQ::CKvdSettingsBlock_V110 *DataBlockSettings();
    // The settings in force for the line under the cursor: inForce, then its set's, then its
    // own (kept in own), each where it loads completely; the cursor stays.
    const ORQ::CKvdSettingsBlock_V110 *
    LineSettings(const ORQ::CKvdSettingsBlock_V110 *inForce,
                 std::unique_ptr<ORQ::CKvdSettingsBlock_V110> &own);

    ORQ::CKVDXmlFile *m_file;
    const CLineNodes *m_lines;
    std::unique_ptr<SSettingsRead> m_dataSettings;
    std::unordered_map<const void *, std::unique_ptr<ORQ::CKvdSettingsBlock_V110>> m_setSettings;
    std::string m_projectFolder;
};
