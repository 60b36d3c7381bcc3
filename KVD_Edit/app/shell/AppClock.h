#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// The application profile as the usage clock reads and writes it (integer and text values by
// section and entry). The application hands the clock its profile store; calls may come from the
// clock's worker thread, so an implementation must be safe to call from any thread.
class IAppProfile {
public:
    virtual ~IAppProfile() = default;
    virtual int GetProfileInt(const std::string &section, const std::string &entry,
                              int defaultValue) = 0;
    virtual bool WriteProfileInt(const std::string &section, const std::string &entry,
                                 int value) = 0;
    virtual std::string GetProfileString(const std::string &section, const std::string &entry,
                                         const std::string &defaultValue) = 0;
    virtual bool WriteProfileString(const std::string &section, const std::string &entry,
                                    const std::string &value) = 0;
};

// Histogram of the gaps between user inputs, kept per program version in the application
// profile. Pair 0 of the table holds the activity limit (seconds) and the sampling period
// (milliseconds); pairs 1..N-1 hold the lower bound of a gap class (seconds, ascending) and the
// number of gaps counted in it.
class CInputGapStats {
public:
    static constexpr const char *kSection = "APPCLKSTATS";
    static constexpr const char *kDefaultText =
        "11,5,500,1,0,5,0,10,0,30,0,60,0,120,0,300,0,600,0,1800,0,3600,0";
    // More pairs than this are taken for a damaged value, not a table.
    static constexpr int kMaxPairs = 1000;

    explicit CInputGapStats(IAppProfile *profile = nullptr) : m_profile(profile) {}
    void SetProfile(IAppProfile *profile) { m_profile = profile; }

    // Keeps the version text and parses the text, or the stored profile value when text is null.
    int Load(const char *version, const char *text);
    // 1 when the text is a complete table (which then replaces the current one), else 0 and the
    // current table stays.
    int Parse(const char *text);
    // Writes the given text (which must parse) or the current table to the profile.
    int Save(const char *text);
    // The table in the writer's form "N, a, b, ...", 0 without a table.
    int Format(std::string &out) const;
    // Counts a gap (milliseconds) in its class; with save the table is written. 1 when the gap
    // is longer than the activity limit, 0 when not, -1 without a table or on a failed save.
    int Record(uint32_t gapMs, bool save);

    bool HasTable() const { return !m_table.empty(); }
    int GetPairCount() const { return static_cast<int>(m_table.size()); }
    std::pair<int, int> GetPair(int i) const { return m_table.at(static_cast<size_t>(i)); }
    const std::string &GetVersion() const { return m_version; }
    std::string EntryName() const { return "Ver(" + m_version + ")"; }

private:
    IAppProfile *m_profile;
    std::string m_version;
    std::vector<std::pair<int, int>> m_table;
};

// Measures how long the program is actively used. A low-priority worker samples the time of the
// last user input in the main window; gaps up to the activity limit add to the active time, and
// every gap of a second or more is counted in the histogram. Both accumulate per program
// version in the application profile.
//
// The last input time is fed by the application's event filter (NoteUserInput); state shared
// with the worker is atomic or guarded by the clock's mutex.
class CAppClock {
public:
    static constexpr const char *kSection = "APPCLK";
    static constexpr const char *kUnknownVersion = "?, ?, ?, ?";
    // The sampling period is taken from stored text; keep it within sane bounds.
    static constexpr int kMinPeriodMs = 100;
    static constexpr int kMaxPeriodMs = 10000;

    CAppClock();
    ~CAppClock();
    CAppClock(const CAppClock &) = delete;
    CAppClock &operator=(const CAppClock &) = delete;

    // The profile the clock keeps its values in; without one the clock cannot start.
    void SetProfile(IAppProfile *profile);

    // 0 queries, 1 starts the worker, anything else asks a running worker to stop. Returns the
    // run state afterwards: 0 stopped, 1 running, -1 stop requested.
    int Control(int request);
    int GetRunState() const { return m_runState.load(); }

    // Profile total of the version, plus the pending whole seconds when asked.
    int GetActiveSeconds(bool includePending);
    bool GetStatsText(std::string &out);
    // Stores a new statistics text; only while stopped.
    bool SetStatsText(const char *text);

    // Records a key or mouse input in the main window now (any thread).
    void NoteUserInput() { NoteUserInput(TickCount()); }
    void NoteUserInput(uint32_t tick) { m_lastInput.store(tick); }
    uint32_t GetLastInputTime() const { return m_lastInput.load(); }
    // Milliseconds of a monotonic clock, wrapping at 2^32 like the platform's tick count.
    static uint32_t TickCount();

    // Loads version and statistics; Control runs it while no version is known. With an empty
    // version the program's own "ProductVersion" is taken.
    bool Initialize(const std::string &version = std::string());
    const std::string &GetVersion() const { return m_version; }

    // One sample of the worker: the gap from the previous input to `current` is counted and
    // added to the active time. Returns the input time to compare the next sample with.
    uint32_t Sample(uint32_t previous, uint32_t current);
    // Adds active milliseconds; whole seconds go to the profile once there are at least
    // thresholdSeconds of them.
    void AddActiveTime(uint32_t ms, int thresholdSeconds);
    uint32_t GetPendingMs() const { return m_pendingMs.load(); }
    // The sampling period in use (the table's, clamped).
    int GetPeriodMs();

private:
    void ThreadProc();
    void JoinFinishedWorker();
    std::string EntryName() const { return "Ver(" + m_version + ")"; }

    std::atomic<int> m_runState{0};
    std::atomic<uint32_t> m_lastInput{0};
    std::atomic<uint32_t> m_pendingMs{0};
    std::atomic<bool> m_workerDone{true};
    std::thread m_worker;
    std::string m_version;
    IAppProfile *m_profile = nullptr;
    CInputGapStats m_stats;

    std::mutex m_mutex; // guards m_stats and the profile total
    std::mutex m_wakeMutex;
    std::condition_variable m_wake;
};
