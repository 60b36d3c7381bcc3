#pragma once

#include "Tamsel/TamselExport.h"
#include "orq_utils/FileStamp.h"
#include "orq_utils/Measure.h"

#include <cstdint>
#include <fstream>
#include <list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// How positions were added to the traces of a radar line.
enum EGpsType : int32_t {
    GPS_NONE = 0,
    GPS_UTM = 2,    // UTM, with a zone text
    GPS_LATLONG = 3 // latitude/longitude
};

namespace ORQ {

class CFileReplacement;
class CFolderListing;

// The files of a radar line that are replaced together, by extension (without "."): its header
// and its trace file. A replacement record of a line may name only these.
inline const std::vector<std::string> kLineFileExtensions{"hd", "dt1"};

// Type of a header line: the rows of the key table.
enum TamselType : int32_t {
    TT_NONE = -1,
    TT_FILE_ID = 1,
    TT_TITLE = 2,
    TT_DATE = 3,
    TT_TRACES = 4,
    TT_SAMPLES = 5,
    TT_PTS_PER_TRC = 6,
    TT_TIMEZERO = 7,
    TT_TIME_WINDOW = 8,
    TT_START_POSITION = 9,
    TT_FINAL_POSITION = 10,
    TT_STEP_SIZE = 11,
    TT_POSITION_UNITS = 12,
    TT_FREQUENCY = 13,
    TT_ANTENNA_SEPARATION = 14,
    TT_PULSER_VOLTAGE = 15,
    TT_STACKS = 16,
    TT_SURVEY_MODE = 17,
    TT_ODOMETER_CAL = 18,
    TT_STACKING_TYPE = 19,
    TT_TRACE_HEADER_DEF = 20,
    TT_SERIAL = 21,
    TT_COLLECTED_BY = 22,
    TT_BATTERY = 23,
    TT_PORT = 24,
    TT_CHANNEL = 25,
    TT_MERGE = 26,
    TT_SATURATION = 27,
    TT_CMP_VELOCITY = 28,
    TT_TOPO_SHIFTED = 29,
    TT_ELEVATION = 30,
    TT_SOURCE_FILE = 31,
    TT_GAIN = 32,
    TT_POSITIONS_ADDED = 33,
    TT_OTHER = 34
};

// Where a header is loaded from and saved to; only a plain file on disk does any input/output.
enum StorageType : int32_t { ST_FILE = 0 };

// The values of a radar line header (.hd). Positions, step and the three further measures carry
// the line's position unit.
struct TAMSEL_API STamsel {
    std::string m_firstLine;
    std::string m_title1;
    std::string m_title2;
    std::string m_title3;
    std::string m_date;
    int32_t m_traces = 0;
    int32_t m_points = 0; // points (samples) per trace
    double m_timeZero = 0;
    double m_timeWindow = 0;
    double m_spare = 0;
    SMeasure m_startPosition;
    SMeasure m_finalPosition;
    SMeasure m_stepSize;
    SMeasure m_further1;
    SMeasure m_further2;
    SMeasure m_further3;
    double m_odometerCal = 0;
    double m_frequency = 0;
    SMeasure m_antennaSeparation;
    double m_pulserVoltage = 0;
    int32_t m_stacks = 0;
    std::string m_surveyMode;
    std::string m_stackingType;
    bool m_saturationCorrected = false;
    EGpsType m_gpsType = GPS_NONE;
    std::string m_utmZone;
    bool m_reserved = false;
    bool m_gain = false;
    bool m_topoShifted = false;
    SMeasure m_datum;
    SMeasure m_velocity;
    S2DMeasure m_elevation; // x = maximum, y = minimum
    bool m_cmpSurvey = false;
};

// Field by field.
TAMSEL_API bool operator==(const STamsel &a, const STamsel &b);
TAMSEL_API bool operator!=(const STamsel &a, const STamsel &b);

class Tamsel;

// One line of a header: the line as read, its type and the text after the key's separator.
class TAMSEL_API TamselItem {
public:
    TamselItem(TamselType type = TT_TITLE, const std::string &text = std::string());
    TamselItem(const TamselItem &) = default;
    TamselItem &operator=(const TamselItem &) = default;

    TamselType GetType() const { return m_type; }
    const std::string &GetValue() const { return m_value; }
    const std::string &GetRaw() const { return m_raw; }
    TamselItem &SetType(TamselType type) {
        m_type = type;
        return *this;
    }
    TamselItem &SetValue(const std::string &value) {
        m_value = value;
        return *this;
    }
    // Sets type and value and rebuilds the line as key, separator and value.
    TamselItem &Set(TamselType type, const std::string &value);

    // Reads one line of the owner's open file and parses it; TT_NONE when nothing was read.
    TamselType Read(Tamsel &owner);
    // Writes the line and a line end to the owner's open file; the bytes written, or -1.
    int Write(Tamsel &owner);

protected:
    TamselType Parse(const std::string &line);
    friend class Tamsel;

private:
    std::string m_raw;
    TamselType m_type;
    std::string m_value;
};

// A radar line header file: loads the keyed lines into an STamsel record, keeps every line it
// does not understand and writes all of it back.
class TAMSEL_API Tamsel {
public:
    Tamsel();
    ~Tamsel();
    Tamsel(const Tamsel &) = delete;
    Tamsel &operator=(const Tamsel &) = delete;

    // false on success, true when the file cannot be opened or read, or is not a header at all
    // (binary data, far too large, not one known key). A failed load leaves a cleared, unloaded
    // record. A replacement of the line's files that a killed write left is finished first.
    bool Load(const char *path, StorageType storage);
    // The same for a reader of many headers of one folder: path is a file of the folder that
    // folder listed, named as the listing spells it (CFolderListing::Find), so it is not looked
    // for again, and the listing tells whether a pending replacement must be finished first.
    bool Load(const char *path, StorageType storage, const CFolderListing &folder);
    // Writes the header to path (empty: the path last loaded or saved), replacing the file
    // atomically; 0 on success, 1 on failure (the old file is then unchanged).
    int Save(const std::string &path, StorageType storage);
    // Opens path for writing anew; 1 when that fails, else 0. Writes nothing. What Write puts
    // into it replaces the old file whole when the stream closes (the next Load, Save or
    // Create, or the end of the object), so a process stopped part-way leaves the old file.
    int Create(const char *path, StorageType storage);

    int Read();
    int Write();
    // The header's text, as Save writes it into the file.
    std::string GetText() const;

    // The record, or null while no header is loaded.
    const STamsel *GetTamsel() const { return m_loaded ? &m_record : nullptr; }
    bool IsLoaded() const { return m_loaded; }
    const std::string &FilePathName() const { return m_path; }
    // The state of the file the last Load read (unknown when it read none): whether the file
    // is still the one read, for a reader that reads the line's trace file later.
    const CFileStamp &FileState() const { return m_state; }
    StorageType Storage() const { return m_storage; }
    // Why the last Load or Save failed (empty after a success).
    const std::string &GetLastMessage() const { return m_message; }

    // Elevation range: maximum b, minimum a, in unit.
    Tamsel &SetElevation(double a, double b, EUnitType unit);
    Tamsel &SetGpsType(EGpsType type);

    static const char *GetKey(TamselType type);
    static const char *GetSeparator(TamselType type);

    // Clears every value of the record and the loaded flag.
    Tamsel &GprClear();

    // The kept lines, in file order.
    Tamsel &AddComment(const char *text);
    const char *GetComment(int n) const;
    Tamsel &ClearComments();
    int DeleteComments(const char *prefix);
    int DeleteComment(const char *prefix);

protected:
    // The file Load reads, or the text a Create collects.
    std::iostream &File();
    friend class TamselItem;

private:
    // Load of a path already found; folder, when given, lists its folder.
    bool LoadFound(const std::string &path, StorageType storage, const CFolderListing *folder);
    void ReadKeyed(const TamselItem &item, EUnitType &positionUnit, bool explicitUnits[3]);
    // The header's text, as Write and Save put it into the file.
    void WriteText(std::ostream &out) const;
    // Closes the stream; the text collected since Create then replaces the file.
    void CloseFile();

    STamsel m_record;
    std::list<std::string> m_kept;
    bool m_loaded = false;
    std::stringstream m_file;                         // the text Load reads
    std::unique_ptr<CFileReplacement> m_created;      // the file Create opened, until it closes
    std::unique_ptr<std::stringstream> m_createdText; // its text, while it is open
    std::string m_path;
    StorageType m_storage = ST_FILE;
    std::vector<std::string> m_gainLines; // the gain lines as read, written back verbatim
    std::string m_message;
    CFileStamp m_state;  // of the file the last Load read
    int m_knownKeys = 0; // keyed lines the last Read recognised
};

} // namespace ORQ
