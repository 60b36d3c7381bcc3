#pragma once

#include "KVD_Edit/app/lines/ImportLineType.h"
#include "KVD_Edit/app/lines/LineNumbering.h"
#include "orq_utils/Measure.h"

#include <memory>
#include <string>
#include <vector>

namespace ORQ {
class CKVDXmlFile;
class CKvdSettingsBlock_V110;
class Tamsel;
struct STamsel;
} // namespace ORQ

// A line the import has written, as the GPS steps need it.
struct SImportedLine {
    std::string gridName;   // the line set ("" outside sets)
    std::string lineName;   // the name given to the line
    std::string baseName;   // the trace file's base name
    std::string subFolder;  // relative to the project folder, "\"-separated ("" for none)
    std::string headerPath; // the .hd on disk
    int lineType = 0;       // 2 X line, 3 Y line
    const ORQ::Tamsel *header = nullptr; // the loaded header
    // The two positions written for the line, first and last, in positionUnit.
    double x[2] = {0, 0};
    double y[2] = {0, 0};
    ORQ::EUnitType positionUnit = ORQ::UNIT_M;
};

// What the import asks of the windows and of the document around it.
class IImportHost {
public:
    virtual ~IImportHost() = default;

    // The file dialog: false when it was not ended with OK. Fills the chosen paths and the
    // 1-based index of the filter in force.
    virtual bool ChooseFiles(const std::string &initialFolder, const std::string &filter,
                             std::vector<std::string> &paths, int &filterIndex) = 0;
    // The import dialog over record: false when cancelled.
    virtual bool RunImportDialog(int setsSupported, ImportLineType &record, int preselect) = 0;

    // The document's GPS data: emptied before an import; the "AutoImport" setting cleared once
    // the user confirmed the import.
    virtual void ClearGps() {}
    virtual void ClearAutoImport() {}
    virtual void BeginWait() {}
    virtual void EndWait() {}
    // A GPS file lies beside the new line and is to be attached (the cursor stands on the
    // line): enters it into the project, loads it and writes it into the line files. Returns
    // error text for the import's report.
    virtual std::string AttachGps(const SImportedLine & /*line*/, const std::string & /*gpsPath*/) {
        return std::string();
    }
    // No GPS file exists but the header says the positions lie in the trace headers: writes
    // the GPS file from them.
    virtual void WriteGpsFromTraces(const SImportedLine & /*line*/, double /*stepMetres*/) {}
};

// Values one import leaves for the next (the frame keeps them).
struct SImportMemory {
    double offsetX = 0;
    double offsetY = 0;
    double spacing = 0;
};

// Adds radar lines to an open project: the trace files chosen in the project folder or below
// are sorted and numbered by name, and each becomes a "Line" with one "DataFile" (file type,
// folder, two positions, odometer, settings where they differ from those in force, fiducial
// comments) in the line set named in the import dialog. The chosen paths are as the file
// system spells them (UTF-8); the names written are their program text (code page 1252), and
// a name that text cannot hold is refused before anything is written.
class CLineImporter {
public:
    static const char *const kFilter;

    // projectPath: the project file; its folder is the only place lines are taken from.
    CLineImporter(ORQ::CKVDXmlFile *file, const std::string &projectPath);

    // Runs the whole import; true when at least one line was written.
    bool Import(IImportHost &host, SImportMemory &memory);

    // The pieces of Import, for its callers and tests.
    // The folder of the chosen paths relative to the project folder ("\"-separated, "" for the
    // project folder itself) in the program's text; false when it lies elsewhere.
    bool SubFolderOf(const std::vector<std::string> &paths, std::string &subFolder) const;
    // The chosen paths whose names cannot be stored in a project (a letter of the file's name,
    // or of its folder below the project folder, that code page 1252 lacks), in their order.
    std::vector<std::string> UnstorableNames(const std::vector<std::string> &paths) const;
    // The path on disk of a file of the chosen folder with the given extension (".hd").
    std::string FilePath(const std::string &subFolder, const std::string &baseName,
                         const std::string &extension) const;

    // What the last Import wrote.
    const std::vector<std::string> &WrittenLines() const { return m_written; }
    const std::string &Errors() const { return m_errors; }

private:
    // The steps of Import once the dialog is answered: each chosen file becomes a line.
    bool WriteAll(IImportHost &host, const ImportLineType &record,
                  const std::vector<SFileListEntry> &files, const std::string &subFolder);
    // The data block's settings (a warning shows when they do not load); the cursor stays.
    std::unique_ptr<ORQ::CKvdSettingsBlock_V110> ReadDataSettings();
    // Moves to the data block, gives it the current version and, while the project had no line,
    // makes the first file's settings those in force.
    void PrepareDataBlock(const ORQ::Tamsel &hd, const ORQ::CKvdSettingsBlock_V110 &fileSettings,
                          std::unique_ptr<ORQ::CKvdSettingsBlock_V110> &dataSettings,
                          bool &replaceDataSettings);
    // Moves into the line set named gridName, appending it when there is none (from the data
    // block; an empty name stays there). Returns the settings in force for its lines.
    const ORQ::CKvdSettingsBlock_V110 *
    EnterLineSet(const std::string &gridName, const ORQ::Tamsel &hd,
                 const ORQ::CKvdSettingsBlock_V110 &fileSettings,
                 const ORQ::CKvdSettingsBlock_V110 *dataSettings,
                 std::unique_ptr<ORQ::CKvdSettingsBlock_V110> &setSettings);
    // Writes the "DataFile" of a new line (the current node): type, folder, two positions,
    // odometer and fiducial comments; fills the line's positions and type.
    void WriteDataFile(const ImportLineType &record, const SFileListEntry &f,
                       const std::string &subFolder, const ORQ::STamsel &t, SImportedLine &line);
    // Attaches the GPS file beside the line, or has it written from the trace headers.
    void AddGps(IImportHost &host, const ImportLineType &record, const SImportedLine &line,
                const ORQ::STamsel &t);

    ORQ::CKVDXmlFile *m_file;
    std::string m_projectFolder;
    std::vector<std::string> m_written;
    std::string m_errors;
};
