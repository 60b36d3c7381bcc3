#pragma once

#include "orq_utils/Str.h"

#include <functional>
#include <map>
#include <string>

// The diagnostic function-entry logger. Methods of the program's windows, documents and
// dialogs report their entry with KVD_LOG_CALL(); the logger keeps the latest report of each
// source location and writes them all to a text log, at exit (level 1) or after every report
// (level 2, the Help menu's "Diagnostic Mode"). The log of an earlier run is read back at start,
// so coverage accumulates over runs until the file is deleted.
//
// Coverage is counted against the number of reporting locations of the program: the lines of its
// sources that begin with KVD_LOG_CALL( or KVD_LOG_CALL_TEXT(, counted by the build.
class CCodeLogger {
public:
    // What the log takes from the usage clock: its active seconds (pending ones included) and
    // its statistics text.
    struct SClockReadout {
        std::function<long long()> activeSeconds;
        std::function<bool(std::string &)> statsText;
        explicit operator bool() const { return activeSeconds && statsText; }
    };

    // iniPath: the INI file holding "CODE_LOGGER"/"LOG_LEVEL" (empty: level 1, nothing stored).
    // logPath: the log file; empty means the settings folder's "<program> (<version without
    // dots>).log". clock: the application's usage clock (any type with GetActiveSeconds(bool)
    // and GetStatsText(string&)), or null. locationCount: the coverage total; below 0 the
    // number of reporting locations of the program.
    template <class Clock>
    CCodeLogger(const std::string &iniPath, const std::string &logPath, Clock *clock,
                int locationCount = -1)
        : CCodeLogger(iniPath, logPath, ReadoutOf(clock), locationCount) {}
    CCodeLogger(const std::string &iniPath, const std::string &logPath, std::nullptr_t,
                int locationCount = -1)
        : CCodeLogger(iniPath, logPath, SClockReadout{}, locationCount) {}
    CCodeLogger(const std::string &iniPath, const std::string &logPath, SClockReadout clock,
                int locationCount = -1);
    // Writes the log.
    ~CCodeLogger();
    CCodeLogger(const CCodeLogger &) = delete;
    CCodeLogger &operator=(const CCodeLogger &) = delete;

    // 0 nothing logged, 1 entries kept and written at exit, 2 log rewritten after every entry.
    int GetLevel() const { return m_level; }
    // Sets the level and stores it as "%d" under "CODE_LOGGER"/"LOG_LEVEL" when there is an
    // INI path.
    void SetLevel(int level);
    std::string GetLogPath() const { return m_logPath; }
    // Number of distinct source locations logged (this run and earlier runs of this log).
    int GetEntryCount() const { return static_cast<int>(m_entries.size()); }
    // The coverage total of this logger.
    int GetLocationTotal() const { return m_locationTotal; }

    // One entry report: source file, line, signature, decorated name and an optional text.
    void LogCall(const std::string &file, unsigned line, const std::string &signature,
                 const std::string &decorated, const char *custom);
    // Writes the log file now (replacing it); false when it cannot be written.
    bool WriteLog();
    // Merges an existing log: keeps its "Start Time" line and its entries. True when there is
    // none or it was read to its end; false for a damaged log (fewer than seven lines).
    bool ReadLog();
    // No stack is captured on this platform: always empty.
    static std::string GetStackText(int depth, int skip);

    // The number of reporting locations in the program's sources.
    static const int kLocationCount;
    static int GetProgramLocationCount() { return kLocationCount; }
    // The key of a source location: file name after its last separator, ":" and the line
    // right-aligned in five characters.
    static std::string MakeKey(const std::string &file, unsigned line);
    // The "Code Coverage, ..." line of count entries out of total.
    static std::string CoverageLine(int count, int total);

private:
    template <class Clock> static SClockReadout ReadoutOf(Clock *clock) {
        SClockReadout r;
        if (clock) {
            r.activeSeconds = [clock] {
                return static_cast<long long>(clock->GetActiveSeconds(true));
            };
            r.statsText = [clock](std::string &out) {
                ORQ::CStr text;
                bool ok = clock->GetStatsText(text);
                out = text;
                return ok;
            };
        }
        return r;
    }
    static std::string Now();

    std::map<std::string, std::string> m_entries;
    int m_level = 1;
    SClockReadout m_clock;
    std::string m_logPath;
    std::string m_header;
    std::string m_iniPath;
    int m_locationTotal = 0;
};

// The one global logger: set by the application at the end of start-up, deleted and cleared in
// its shutdown. Reports are made only while it exists.
extern CCodeLogger *g_pCodeLogger;

// The entry report that a method makes first; KVD_LOG_CALL_TEXT adds a text of its own.
#define KVD_LOG_CALL_TEXT(custom)                                                                  \
    do {                                                                                           \
        if (g_pCodeLogger)                                                                         \
            g_pCodeLogger->LogCall(__FILE__, __LINE__, __PRETTY_FUNCTION__, __func__, custom);     \
    } while (0)
#define KVD_LOG_CALL() KVD_LOG_CALL_TEXT(nullptr)
