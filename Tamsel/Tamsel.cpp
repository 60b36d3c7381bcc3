#include "Tamsel/Tamsel.h"

#include "Tamsel/LinePath.h"
#include "Tamsel/TamselText.h"
#include "orq_utils/FileReplacement.h"
#include "orq_utils/FileStamp.h"
#include "orq_utils/FolderListing.h"
#include "orq_utils/PendingReplacement.h"
#include "orq_utils/SmallFile.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <sstream>
#include <strings.h>
#include <unistd.h>

namespace ORQ {
namespace {

// The whole number a time zero reads back as (the reader clamps to the int range); 0 for none.
int TimeZeroAsRead(double value) {
    if (!(value == value))
        return 0;
    if (value >= INT_MAX)
        return INT_MAX;
    if (value <= INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// Real headers are a few kilobytes; anything near this size is not a header.
constexpr size_t kMaxHeaderBytes = 4 * 1024 * 1024;

// The whole text of the header file at path, read with one open and as few reads as its size
// needs; the reason in words when it cannot be read or is no header file, else empty. folder,
// when given, is a listing that may be of path's folder.
std::string ReadHeaderFile(const std::string &path, std::string &text, const CFolderListing *folder,
                           CFileStamp &state) {
    if (path.empty())
        return std::strerror(ENOENT);
    // Not blocking: a named pipe given as a header must not hang the reader. A file of the
    // listing's folder is opened through the folder the listing holds open.
    const std::string entry = folder ? folder->EntryOf(path) : std::string();
    const int fd = !entry.empty() ? folder->Open(entry, O_RDONLY | O_NONBLOCK)
                                  : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::strerror(errno);
    // Stamped before the read: a write after the stamp makes the stamp disagree with the file.
    state = CFileStamp::OfOpenFile(fd);
    const ESmallFileRead read = ReadSmallFile(fd, kMaxHeaderBytes, text);
    const int err = errno;
    ::close(fd);
    switch (read) {
    case SMALL_FILE_READ:
        if (state.NeedsDigest()) {
            CByteDigest digest;
            digest.Add(text.data(), text.size());
            state.SetDigest(digest.Value());
        }
        return std::string();
    case SMALL_FILE_NOT_MEASURED:
        return std::strerror(err);
    case SMALL_FILE_NOT_A_FILE:
        return "it is not a file";
    case SMALL_FILE_TOO_LARGE:
        return "it is far too large to be a radar line header";
    case SMALL_FILE_UNREADABLE:
        break;
    }
    return "the file could not be read";
}

// The set of the bytes a text holds.
struct SCharSet {
    uint64_t bits[4] = {0, 0, 0, 0};
    void Add(char c) {
        const auto byte = static_cast<unsigned char>(c);
        bits[byte >> 6] |= uint64_t{1} << (byte & 63);
    }
    // Whether every byte of this set is in other.
    bool Within(const SCharSet &other) const {
        for (int i = 0; i < 4; ++i)
            if (bits[i] & ~other.bits[i])
                return false;
        return true;
    }
};

// A key of the key table with its length and bytes.
struct SKeyIndex {
    const char *key = "";
    size_t length = 0;
    SCharSet chars;
};

const char *const kSeparators[] = {"", "=", ".", "", "-"};

struct SKeyRow {
    TamselType m_type;
    const char *m_key;
    int m_separator;
    const char *m_format;
};

// The key table. Row order decides which key a line matches: the reader takes the first row
// whose key occurs anywhere in the upper-cased line, so the catch-all row comes last.
const SKeyRow kKeyTable[38] = {
    {TT_NONE, "", 0, ""},
    {TT_FILE_ID, "", 0, "%d"},
    {TT_TITLE, "", 0, "%s"},
    {TT_DATE, "", 0, "%d/%d/%d"},
    {TT_TRACES, "NUMBER OF TRACES", 1, "%d"},
    {TT_SAMPLES, "NUMBER OF SAMPLES", 1, "%d"},
    {TT_PTS_PER_TRC, "NUMBER OF PTS/TRC", 1, "%d"},
    {TT_TIMEZERO, "TIMEZERO AT POINT", 1, "%d"},
    {TT_TIME_WINDOW, "TOTAL TIME WINDOW", 1, "%d"},
    {TT_START_POSITION, "STARTING POSITION", 1, "%f"},
    {TT_FINAL_POSITION, "FINAL POSITION", 1, "%f"},
    {TT_STEP_SIZE, "STEP SIZE USED", 1, "%f"},
    {TT_POSITION_UNITS, "POSITION UNITS", 1, "%s"},
    {TT_FREQUENCY, "NOMINAL FREQUENCY", 1, "%f"},
    {TT_ANTENNA_SEPARATION, "ANTENNA SEPARATION", 1, "%f"},
    {TT_PULSER_VOLTAGE, "PULSER VOLTAGE (V)", 1, "%d"},
    {TT_STACKS, "NUMBER OF STACKS", 1, "%d"},
    {TT_SURVEY_MODE, "SURVEY MODE", 1, "%s"},
    {TT_ODOMETER_CAL, "ODOMETER CAL (T/M)", 1, "%f"},
    {TT_STACKING_TYPE, "STACKING TYPE", 1, "%s"},
    {TT_TRACE_HEADER_DEF, "TRACEHEADERDEF_%d", 1, "%s"},
    {TT_SERIAL, "%s SERIAL", 1, "%s"},
    {TT_COLLECTED_BY, "COLLECTED BY", 0, "%s"},
    {TT_BATTERY, "START RX BATTERY", 1, "%s"},
    {TT_BATTERY, "START RX BATTERY", 1, "%s"},
    {TT_BATTERY, "START DVL BATTERY", 1, "%s"},
    {TT_PORT, "PORT_%d", 1, "%s"},
    {TT_CHANNEL, "CHAN_%d", 1, "%s"},
    {TT_CHANNEL, "DATASRC_%d", 1, "%s"},
    {TT_MERGE, "THIS FILE IS A MERGE OF", 0, "%s"},
    {TT_SATURATION, "SIGNAL SATURATION CORRECTION APPLIED", 0, ""},
    {TT_CMP_VELOCITY, "CMP VELOCITY ANALYSIS", 0, ""},
    {TT_TOPO_SHIFTED, "TRACES TOPO SHIFTED", 2, "%s"},
    {TT_ELEVATION, "ELEVATION DATA ENTERED", 3, "%s"},
    {TT_SOURCE_FILE, "SOURCE DATA FILE", 1, "%s"},
    {TT_GAIN, "GAIN", 0, "%s"},
    {TT_POSITIONS_ADDED, "X Y Z POSITIONS ADDED", 4, "%s"},
    {TT_OTHER, "", 0, "%s"},
};

const std::array<SKeyIndex, 38> &KeyIndex() {
    static const std::array<SKeyIndex, 38> index = [] {
        std::array<SKeyIndex, 38> keys;
        for (size_t r = 0; r < keys.size(); ++r) {
            keys[r].key = kKeyTable[r].m_key;
            keys[r].length = std::strlen(kKeyTable[r].m_key);
            for (size_t i = 0; i < keys[r].length; ++i)
                keys[r].chars.Add(kKeyTable[r].m_key[i]);
        }
        return keys;
    }();
    return index;
}

const SKeyRow *FindRow(TamselType type) {
    for (const auto &row : kKeyTable)
        if (row.m_type == type)
            return &row;
    return nullptr;
}

// The header's line end: files stay usable by the Windows tools of the crews.
const char kEol[] = "\r\n";

// A measure as "%f %s" (six decimals, a blank, the unit's symbol), in the C locale.
std::string ShowMeasure(const SMeasure &m) {
    return FormatFixed6(m.value) + " " + CMeasure::UnitToString(m.unit);
}

// The number after a label on a line, and the unit named between it and the next label (or the
// end of the line). Without a label the value is 0 in metres. Without a unit (or with one that
// is not known) the measure takes unitInForce and named stays false, so that a later "POSITION
// UNITS" line still relabels it as it does a measure without a label.
SMeasure MeasureAfterLabel(const std::string &line, const std::string &upper, const char *label,
                           const std::vector<const char *> &nextLabels, EUnitType unitInForce,
                           bool &named) {
    named = false;
    const size_t at = upper.find(label);
    if (at == std::string::npos)
        return SMeasure(0, UNIT_M);
    size_t end = 0;
    const double value = ScanDouble(line, at + std::strlen(label), end);
    size_t stop = line.size();
    for (const char *next : nextLabels) {
        const size_t p = upper.find(next, end);
        if (p != std::string::npos && p < stop)
            stop = p;
    }
    const std::string unitText = TrimBlanks(line.substr(end, stop - end));
    const EUnitType unit = unitText.empty() ? UNIT_NONE : CMeasure::StringToUnit(unitText);
    named = unit != UNIT_NONE;
    return SMeasure(value, named ? unit : unitInForce);
}

// A "POSITION UNITS" line relabels every measure in position units, and the datum, velocity
// and elevation unless their own lines named a unit (explicitUnits: datum, velocity, elevation).
void SetPositionUnit(STamsel &r, EUnitType unit, const bool explicitUnits[3]) {
    for (SMeasure *m : {&r.m_startPosition, &r.m_finalPosition, &r.m_stepSize, &r.m_further1,
                        &r.m_further2, &r.m_further3, &r.m_antennaSeparation})
        m->unit = unit;
    if (!explicitUnits[0])
        r.m_datum.unit = unit;
    if (!explicitUnits[1])
        r.m_velocity.unit = unit;
    if (!explicitUnits[2])
        r.m_elevation.unit = unit;
}

// The velocity and datum of a "TRACES TOPO SHIFTED" line.
void ReadTopoShift(STamsel &r, const std::string &line, EUnitType positionUnit,
                   bool explicitUnits[3]) {
    const std::string upper = UpperAscii(line);
    r.m_velocity =
        MeasureAfterLabel(line, upper, "VELOCITY =", {"DATUM"}, positionUnit, explicitUnits[1]);
    r.m_datum =
        MeasureAfterLabel(line, upper, "DATUM =", {"VELOCITY"}, positionUnit, explicitUnits[0]);
}

// The maximum and minimum of an "ELEVATION DATA ENTERED" line, in the unit the line names
// first (else the position unit in force); true when the line names one.
bool ReadElevation(STamsel &r, const std::string &line, EUnitType positionUnit) {
    const std::string upper = UpperAscii(line);
    bool namedMax = false, namedMin = false;
    const SMeasure maximum =
        MeasureAfterLabel(line, upper, "MAX =", {"MIN"}, positionUnit, namedMax);
    const SMeasure minimum =
        MeasureAfterLabel(line, upper, "MIN =", {"MAX"}, positionUnit, namedMin);
    const EUnitType unit = namedMax ? maximum.unit : namedMin ? minimum.unit : positionUnit;
    double y = minimum.value;
    if (namedMax && namedMin && minimum.unit != unit)
        y = CMeasure::ConvertTo(minimum.value, minimum.unit, unit);
    r.m_elevation.Set(maximum.value, y, unit);
    return namedMax || namedMin;
}

// The GPS kind of an "X Y Z POSITIONS ADDED" line: UTM with the zone it names, else
// latitude/longitude.
void ReadPositionsAdded(STamsel &r, const std::string &value) {
    const std::string upper = UpperAscii(value);
    const size_t at = upper.find("UTM ZONE");
    if (at != std::string::npos) {
        r.m_gpsType = GPS_UTM;
        size_t p = at + 8;
        while (p < value.size() && (value[p] == ' ' || value[p] == '\t'))
            ++p;
        r.m_utmZone = TrimBlanks(value.substr(p));
    } else {
        r.m_gpsType = GPS_LATLONG;
        r.m_utmZone.clear();
    }
}

} // namespace

bool operator==(const STamsel &a, const STamsel &b) {
    auto same = [](const SMeasure &x, const SMeasure &y) {
        return x.value == y.value && x.unit == y.unit;
    };
    return a.m_firstLine == b.m_firstLine && a.m_title1 == b.m_title1 && a.m_title2 == b.m_title2 &&
           a.m_title3 == b.m_title3 && a.m_date == b.m_date && a.m_traces == b.m_traces &&
           a.m_points == b.m_points && a.m_timeZero == b.m_timeZero &&
           a.m_timeWindow == b.m_timeWindow && a.m_spare == b.m_spare &&
           same(a.m_startPosition, b.m_startPosition) &&
           same(a.m_finalPosition, b.m_finalPosition) && same(a.m_stepSize, b.m_stepSize) &&
           same(a.m_further1, b.m_further1) && same(a.m_further2, b.m_further2) &&
           same(a.m_further3, b.m_further3) && a.m_odometerCal == b.m_odometerCal &&
           a.m_frequency == b.m_frequency && same(a.m_antennaSeparation, b.m_antennaSeparation) &&
           a.m_pulserVoltage == b.m_pulserVoltage && a.m_stacks == b.m_stacks &&
           a.m_surveyMode == b.m_surveyMode && a.m_stackingType == b.m_stackingType &&
           a.m_saturationCorrected == b.m_saturationCorrected && a.m_gpsType == b.m_gpsType &&
           a.m_utmZone == b.m_utmZone && a.m_reserved == b.m_reserved && a.m_gain == b.m_gain &&
           a.m_topoShifted == b.m_topoShifted && same(a.m_datum, b.m_datum) &&
           same(a.m_velocity, b.m_velocity) && a.m_elevation.x == b.m_elevation.x &&
           a.m_elevation.y == b.m_elevation.y && a.m_elevation.unit == b.m_elevation.unit &&
           a.m_cmpSurvey == b.m_cmpSurvey;
}

bool operator!=(const STamsel &a, const STamsel &b) {
    return !(a == b);
}

// ---- TamselItem ----

TamselItem::TamselItem(TamselType type, const std::string &text) : m_type(type), m_value(text) {}

TamselItem &TamselItem::Set(TamselType type, const std::string &value) {
    m_type = type;
    m_value = value;
    if (const SKeyRow *row = FindRow(type))
        m_raw = std::string(row->m_key) + " " + kSeparators[row->m_separator] + " " + value;
    return *this;
}

TamselType TamselItem::Parse(const std::string &line) {
    const std::string upper = UpperAscii(line);
    // A header is read line by line, and every line is matched against the keys in turn: a key
    // whose characters are not all in the line is passed over without a search.
    const std::array<SKeyIndex, 38> &keys = KeyIndex();
    SCharSet present;
    for (const char c : upper)
        present.Add(c);
    const SKeyRow *winner = &kKeyTable[37];
    for (int r = 4; r < 38; ++r) {
        const SKeyIndex &key = keys[r];
        if (key.chars.Within(present) && upper.find(key.key, 0, key.length) != std::string::npos) {
            winner = &kKeyTable[r];
            break;
        }
    }
    m_raw = line;
    m_type = winner->m_type;
    m_value.clear();
    const char *separator = kSeparators[winner->m_separator];
    if (*separator) {
        const size_t at = upper.find(separator);
        if (at != std::string::npos && at > 0) {
            size_t p = at + std::strlen(separator);
            while (p < line.size() && (line[p] == ' ' || line[p] == '\t'))
                ++p;
            m_value = line.substr(p);
        }
    }
    return m_type;
}

TamselType TamselItem::Read(Tamsel &owner) {
    std::string line;
    if (owner.Storage() != ST_FILE || !ReadTextLine(owner.File(), line))
        return TT_NONE;
    return Parse(line);
}

int TamselItem::Write(Tamsel &owner) {
    std::iostream &file = owner.File();
    if (owner.Storage() != ST_FILE || !file.good())
        return -1;
    file << m_raw << kEol;
    return file.good() ? static_cast<int>(m_raw.size()) + 1 : -1;
}

// ---- Tamsel ----

Tamsel::Tamsel() {
    GprClear();
}

Tamsel::~Tamsel() {
    m_kept.clear();
    CloseFile();
}

std::iostream &Tamsel::File() {
    if (m_created)
        return *m_createdText;
    return m_file;
}

void Tamsel::CloseFile() {
    m_file.str(std::string());
    m_file.clear();
    if (!m_created)
        return;
    const std::string text = m_createdText->str();
    if (!m_created->Write(text.data(), text.size()) || !m_created->Finish() || !m_created->Commit())
        m_created->Discard();
    m_created.reset();
    m_createdText.reset();
}

Tamsel &Tamsel::GprClear() {
    m_record = STamsel();
    m_gainLines.clear();
    m_loaded = false;
    return *this;
}

Tamsel &Tamsel::SetElevation(double a, double b, EUnitType unit) {
    m_record.m_elevation.Set(b, a, unit);
    return *this;
}

Tamsel &Tamsel::SetGpsType(EGpsType type) {
    m_record.m_gpsType = type;
    return *this;
}

const char *Tamsel::GetKey(TamselType type) {
    const SKeyRow *row = FindRow(type);
    return row ? row->m_key : nullptr;
}

const char *Tamsel::GetSeparator(TamselType type) {
    const SKeyRow *row = FindRow(type);
    return row ? kSeparators[row->m_separator] : nullptr;
}

Tamsel &Tamsel::AddComment(const char *text) {
    m_kept.emplace_back(text ? text : "");
    return *this;
}

const char *Tamsel::GetComment(int n) const {
    if (n < 0)
        return nullptr;
    for (const auto &line : m_kept)
        if (n-- == 0)
            return line.c_str();
    return nullptr;
}

Tamsel &Tamsel::ClearComments() {
    m_kept.clear();
    return *this;
}

int Tamsel::DeleteComments(const char *prefix) {
    if (!prefix)
        return 0;
    const size_t n = std::strlen(prefix);
    int removed = 0;
    for (auto it = m_kept.begin(); it != m_kept.end();) {
        if (::strncasecmp(it->c_str(), prefix, n) == 0) {
            it = m_kept.erase(it);
            ++removed;
        } else {
            ++it;
        }
    }
    return removed;
}

int Tamsel::DeleteComment(const char *prefix) {
    if (!prefix)
        return 0;
    const size_t n = std::strlen(prefix);
    for (auto it = m_kept.begin(); it != m_kept.end(); ++it) {
        if (::strncasecmp(it->c_str(), prefix, n) == 0) {
            m_kept.erase(it);
            return 1;
        }
    }
    return 0;
}

bool Tamsel::Load(const char *path, StorageType storage) {
    return LoadFound(ResolveLinePath(path ? path : ""), storage, nullptr);
}

bool Tamsel::Load(const char *path, StorageType storage, const CFolderListing &folder) {
    return LoadFound(path ? path : "", storage, &folder);
}

bool Tamsel::LoadFound(const std::string &path, StorageType storage, const CFolderListing *folder) {
    GprClear();
    m_kept.clear();
    m_message.clear();
    m_state = CFileStamp();
    CloseFile();
    m_path = path;
    m_storage = storage;

    auto fail = [this](const std::string &why) {
        m_message = "Unable to read the header " + m_path + ": " + why;
        m_file.str(std::string());
        m_file.clear();
        GprClear();
        m_kept.clear();
        return true;
    };

    if (storage == ST_FILE) {
        // A replacement of the line's files that a killed write left part-way is finished
        // first, so that the header read belongs with the trace file beside it.
        if (!m_path.empty()) {
            if (folder)
                FinishPendingReplacementOf(m_path, *folder, kLineFileExtensions);
            else
                FinishPendingReplacementOf(m_path, kLineFileExtensions);
        }
        std::string content;
        const std::string why = ReadHeaderFile(m_path, content, folder, m_state);
        if (!why.empty())
            return fail(why);
        // A header is text: a NUL byte means some other (binary) file was given.
        if (content.find('\0') != std::string::npos)
            return fail("it holds binary data, not radar line header text");
        m_file.str(std::move(content));
        m_file.clear();
    }

    m_knownKeys = 0;
    Read();
    if (m_file.bad())
        return fail("the file could not be read");
    // Without a single known key (an empty file, a line of something else) there is no line to
    // speak of: not a header of 0 traces.
    if (storage == ST_FILE && m_knownKeys == 0)
        return fail("it holds none of the keys of a radar line header, so it is not a radar line "
                    "header");
    m_loaded = true;
    m_file.str(std::string());
    m_file.clear();
    return false;
}

int Tamsel::Read() {
    std::string line;
    if (!ReadTextLine(m_file, line))
        return 0;
    m_record.m_firstLine = line;

    // The first line is the file identifier when it is a positive number; otherwise it is
    // already the first of the title lines.
    std::string candidate;
    bool have = true;
    if (AtofC(line.c_str()) > 0)
        have = ReadTextLine(m_file, candidate);
    else
        candidate = line;

    auto holds = [](const std::string &s, char c) { return s.find(c) != std::string::npos; };
    if (have && !holds(candidate, '/')) {
        m_record.m_title1 = candidate;
        have = ReadTextLine(m_file, candidate);
        if (have && !holds(candidate, '=') && !holds(candidate, '/')) {
            m_record.m_title2 = candidate;
            have = ReadTextLine(m_file, candidate);
            if (have && !holds(candidate, '=') && !holds(candidate, '/')) {
                m_record.m_title3 = candidate;
                have = ReadTextLine(m_file, candidate);
            }
        }
    }

    EUnitType positionUnit = UNIT_M;
    bool explicitUnits[3] = {false, false, false}; // datum, velocity, elevation
    if (have) {
        if (holds(candidate, '/')) {
            m_record.m_date = candidate;
        } else {
            // A header without a date line: the line after the titles counts only when it is a
            // known keyed line. An empty or unknown line there is neither the date nor kept, or
            // the empty date line the writer puts there would be kept and grow with every save.
            TamselItem item;
            if (item.Parse(candidate) != TT_OTHER) {
                ++m_knownKeys;
                ReadKeyed(item, positionUnit, explicitUnits);
            }
        }
    }

    TamselItem item;
    while (item.Read(*this) != TT_NONE) {
        if (item.GetType() != TT_OTHER)
            ++m_knownKeys;
        ReadKeyed(item, positionUnit, explicitUnits);
    }
    return 0;
}

void Tamsel::ReadKeyed(const TamselItem &item, EUnitType &positionUnit, bool explicitUnits[3]) {
    STamsel &r = m_record;
    const std::string &value = item.GetValue();
    switch (item.GetType()) {
    case TT_TRACES:
        r.m_traces = AtoiC(value.c_str());
        break;
    case TT_SAMPLES:
    case TT_PTS_PER_TRC:
        r.m_points = AtoiC(value.c_str());
        break;
    case TT_TIMEZERO:
        r.m_timeZero = AtoiC(value.c_str());
        break;
    case TT_TIME_WINDOW:
        r.m_timeWindow = AtofC(value.c_str());
        break;
    // Positions take the unit of the "POSITION UNITS" line in force, wherever it stands.
    case TT_START_POSITION:
        r.m_startPosition.Set(AtofC(value.c_str()), positionUnit);
        break;
    case TT_FINAL_POSITION:
        r.m_finalPosition.Set(AtofC(value.c_str()), positionUnit);
        break;
    case TT_STEP_SIZE:
        r.m_stepSize.Set(AtofC(value.c_str()), positionUnit);
        break;
    case TT_POSITION_UNITS:
        positionUnit = CMeasure::StringToUnit(value);
        SetPositionUnit(r, positionUnit, explicitUnits);
        break;
    case TT_FREQUENCY:
        r.m_frequency = AtofC(value.c_str());
        break;
    case TT_ANTENNA_SEPARATION:
        r.m_antennaSeparation.value = AtofC(value.c_str());
        break;
    case TT_PULSER_VOLTAGE:
        r.m_pulserVoltage = AtofC(value.c_str());
        break;
    case TT_STACKS:
        r.m_stacks = AtoiC(value.c_str());
        break;
    case TT_SURVEY_MODE:
        r.m_surveyMode = value;
        r.m_cmpSurvey = value.find("CMP") != std::string::npos;
        break;
    case TT_ODOMETER_CAL:
        r.m_odometerCal = AtofC(value.c_str());
        break;
    case TT_STACKING_TYPE:
        r.m_stackingType = value;
        break;
    case TT_SATURATION:
        r.m_saturationCorrected = true;
        break;
    case TT_TOPO_SHIFTED:
        r.m_topoShifted = true;
        ReadTopoShift(r, item.GetRaw(), positionUnit, explicitUnits);
        break;
    case TT_ELEVATION:
        explicitUnits[2] = ReadElevation(r, item.GetRaw(), positionUnit);
        break;
    case TT_GAIN:
        r.m_gain = true;
        m_gainLines.push_back(item.GetRaw());
        break;
    case TT_POSITIONS_ADDED:
        ReadPositionsAdded(r, value);
        break;
    default:
        m_kept.push_back(item.GetRaw());
        break;
    }
}

int Tamsel::Write() {
    WriteText(File());
    return 0;
}

std::string Tamsel::GetText() const {
    std::ostringstream text;
    WriteText(text);
    return text.str();
}

void Tamsel::WriteText(std::ostream &out) const {
    const STamsel &r = m_record;
    // A first line that is not a positive number was read as the first title (or as the date)
    // too; it is written once so that the header does not grow with every save.
    const bool firstIsTitle = !(AtofC(r.m_firstLine.c_str()) > 0);
    const bool skipTitle1 = firstIsTitle && !r.m_title1.empty() && r.m_title1 == r.m_firstLine;
    const bool skipDate =
        firstIsTitle && r.m_title1.empty() && !r.m_date.empty() && r.m_date == r.m_firstLine;

    out << r.m_firstLine << kEol;
    if (!r.m_title1.empty() && !skipTitle1)
        out << r.m_title1 << kEol;
    if (!r.m_title2.empty())
        out << r.m_title2 << kEol;
    if (!r.m_title3.empty())
        out << r.m_title3 << kEol;
    if (!skipDate)
        out << r.m_date << kEol;

    auto keyed = [&](TamselType type, const std::string &value) {
        std::string key = GetKey(type);
        if (key.size() < 18)
            key.append(18 - key.size(), ' ');
        out << key << " " << GetSeparator(type) << " " << value << kEol;
    };
    keyed(TT_TRACES, std::to_string(r.m_traces));
    keyed(TT_PTS_PER_TRC, std::to_string(r.m_points));
    // Read as a whole number, so written as the one it reads as: in exponent form a time zero of
    // a million or more would read back as its first digit.
    keyed(TT_TIMEZERO, std::to_string(TimeZeroAsRead(r.m_timeZero)));
    keyed(TT_TIME_WINDOW, FormatG(r.m_timeWindow));
    keyed(TT_START_POSITION, FormatG(r.m_startPosition.value));
    keyed(TT_FINAL_POSITION, FormatG(r.m_finalPosition.value));
    keyed(TT_STEP_SIZE, FormatG(r.m_stepSize.value));
    keyed(TT_POSITION_UNITS, CMeasure::UnitToString(r.m_stepSize.unit));
    keyed(TT_FREQUENCY, FormatG(r.m_frequency));
    keyed(TT_ANTENNA_SEPARATION, FormatG(r.m_antennaSeparation.value));
    keyed(TT_PULSER_VOLTAGE, FormatG(r.m_pulserVoltage));
    keyed(TT_STACKS, std::to_string(r.m_stacks));
    keyed(TT_SURVEY_MODE, r.m_surveyMode);
    keyed(TT_ODOMETER_CAL, FormatG(r.m_odometerCal));
    keyed(TT_STACKING_TYPE, r.m_stackingType);

    if (r.m_saturationCorrected)
        out << GetKey(TT_SATURATION) << kEol;
    if (r.m_topoShifted)
        out << GetKey(TT_TOPO_SHIFTED) << GetSeparator(TT_TOPO_SHIFTED) << " "
            << "VELOCITY = " << ShowMeasure(r.m_velocity) << "DATUM = " << ShowMeasure(r.m_datum)
            << kEol;
    if (r.m_elevation.x != 0 || r.m_elevation.y != 0) {
        const std::string unit = CMeasure::UnitToString(r.m_elevation.unit);
        out << GetKey(TT_ELEVATION) << GetSeparator(TT_ELEVATION)
            << " MAX = " << FormatG(r.m_elevation.x) << " " << unit
            << " MIN = " << FormatG(r.m_elevation.y) << " " << unit << kEol;
    }
    if (r.m_gain) {
        if (m_gainLines.empty())
            out << GetKey(TT_GAIN) << kEol;
        for (const auto &line : m_gainLines)
            out << line << kEol;
    }
    if (r.m_gpsType == GPS_UTM)
        out << GetKey(TT_POSITIONS_ADDED) << " " << GetSeparator(TT_POSITIONS_ADDED) << " UTM Zone "
            << r.m_utmZone << kEol;
    else if (r.m_gpsType == GPS_LATLONG)
        out << GetKey(TT_POSITIONS_ADDED) << " " << GetSeparator(TT_POSITIONS_ADDED) << " LatLong"
            << kEol;
    for (const auto &line : m_kept)
        out << line << kEol;
}

int Tamsel::Save(const std::string &path, StorageType storage) {
    m_loaded = false;
    m_message.clear();
    // A save writes the path it is given: finding a file of another letter case is for reading,
    // and would here overwrite another line's header.
    if (!path.empty())
        m_path = path;
    m_storage = storage;
    CloseFile();
    if (storage != ST_FILE) {
        m_loaded = true;
        return 0;
    }
    if (m_path.empty()) {
        m_message = "Unable to save the header: no file name is known.";
        return 1;
    }

    // Write beside the target and rename over it: a failed save leaves the old header whole. A
    // replacement of the line's files left part-way goes first, or it would later put its
    // older header over this one.
    FinishPendingReplacementOf(m_path, kLineFileExtensions);
    if (!ReplaceFileContent(m_path, GetText())) {
        m_message = "Unable to save the header " + m_path + ": " + std::strerror(errno);
        return 1;
    }
    m_loaded = true;
    return 0;
}

int Tamsel::Create(const char *path, StorageType storage) {
    // A file an earlier Create began is finished first.
    CloseFile();
    m_path = path ? path : "";
    m_storage = storage;
    if (storage != ST_FILE)
        return 0;
    // The new text goes to a temporary file beside the target when the stream closes; the old
    // file stays whole until then. A replacement of the line's files left part-way goes first.
    FinishPendingReplacementOf(m_path, kLineFileExtensions);
    auto file = std::make_unique<CFileReplacement>(m_path);
    if (!file->Open())
        return 1;
    m_created = std::move(file);
    m_createdText = std::make_unique<std::stringstream>();
    return 0;
}

} // namespace ORQ
