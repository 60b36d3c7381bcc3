#include "KVD_Edit/app/shell/AppClock.h"

#include "KVD_Edit/app/shell/VersionInfo.h"
#include "orq_utils/CLocale.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Fields of a comma-separated text; empty fields between commas are skipped.
std::vector<std::string> SplitFields(const char *text) {
    std::vector<std::string> fields;
    std::string field;
    for (const char *p = text;; ++p) {
        if (*p == ',' || *p == '\0') {
            if (!field.empty())
                fields.push_back(field);
            field.clear();
            if (*p == '\0')
                break;
        } else {
            field += *p;
        }
    }
    return fields;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// CInputGapStats

int CInputGapStats::Load(const char *version, const char *text) {
    if (!version)
        return 0;
    m_version = version;
    if (text)
        return Parse(text);
    if (!m_profile)
        return Parse(kDefaultText);
    const std::string stored = m_profile->GetProfileString(kSection, EntryName(), kDefaultText);
    return Parse(stored.c_str());
}

int CInputGapStats::Parse(const char *text) {
    if (!text)
        return 0;
    const std::vector<std::string> fields = SplitFields(text);
    if (fields.empty())
        return 0;
    const long count = std::strtol(fields[0].c_str(), nullptr, 10);
    // The count comes from stored text: check it against the fields present before allocating.
    if (count < 2 || count > kMaxPairs)
        return 0;
    if (fields.size() - 1 < static_cast<size_t>(count) * 2)
        return 0;
    std::vector<std::pair<int, int>> table;
    table.reserve(static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) {
        table.emplace_back(ORQ::AtoiC(fields[1 + 2 * i].c_str()),
                           ORQ::AtoiC(fields[2 + 2 * i].c_str()));
    }
    m_table = std::move(table);
    return 1;
}

int CInputGapStats::Save(const char *text) {
    if (m_version.empty())
        return 0;
    std::string value;
    if (text) {
        if (!Parse(text))
            return 0;
        value = text;
    } else if (!Format(value)) {
        return 0;
    }
    if (!m_profile)
        return 0;
    return m_profile->WriteProfileString(kSection, EntryName(), value) ? 1 : 0;
}

int CInputGapStats::Format(std::string &out) const {
    if (m_table.empty())
        return 0;
    out = std::to_string(m_table.size());
    for (const auto &pair : m_table)
        out += ", " + std::to_string(pair.first) + ", " + std::to_string(pair.second);
    return 1;
}

int CInputGapStats::Record(uint32_t gapMs, bool save) {
    if (m_table.empty())
        return -1;
    const long long seconds = gapMs / 1000;
    int hit = 0;
    for (size_t i = 1; i < m_table.size(); ++i) {
        if (m_table[i].first <= seconds)
            hit = static_cast<int>(i);
    }
    if (hit > 0 && m_table[static_cast<size_t>(hit)].second < INT_MAX)
        ++m_table[static_cast<size_t>(hit)].second;
    if (save && !Save(nullptr))
        return -1;
    return static_cast<long long>(gapMs) > static_cast<long long>(m_table[0].first) * 1000 ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// CAppClock

CAppClock::CAppClock() = default;

CAppClock::~CAppClock() {
    // The worker wakes at once on a stop request; the bound only guards against a profile store
    // that hangs.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Control(-1) != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (m_worker.joinable())
        m_worker.join();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_version.empty())
        m_stats.Save(nullptr);
}

void CAppClock::SetProfile(IAppProfile *profile) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_profile = profile;
    m_stats.SetProfile(profile);
}

uint32_t CAppClock::TickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool CAppClock::Initialize(const std::string &version) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_profile)
        return false;
    m_lastInput.store(TickCount());
    m_version = version;
    if (m_version.empty()) {
        m_version = kUnknownVersion;
        CVersionInfo info;
        std::string product;
        if (info.Load(nullptr) >= 0 && info.GetString(10, product) && !product.empty())
            m_version = product;
    }
    // A damaged stored table must not keep the clock from running: start from the default
    // statistics, which the next save writes over the damaged value.
    if (!m_stats.Load(m_version.c_str(), nullptr))
        m_stats.Parse(CInputGapStats::kDefaultText);
    return true;
}

void CAppClock::JoinFinishedWorker() {
    if (m_worker.joinable() && m_runState.load() == 0 && m_workerDone.load())
        m_worker.join();
}

int CAppClock::Control(int request) {
    if (m_version.empty() && !Initialize())
        return m_runState.load();
    JoinFinishedWorker();
    const int state = m_runState.load();
    if (request == 0 || request == state)
        return state;
    if (request == 1) {
        if (!m_worker.joinable()) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (!m_stats.HasTable())
                    return state;
            }
            m_workerDone.store(false);
            m_worker = std::thread(&CAppClock::ThreadProc, this);
        }
        return m_runState.load();
    }
    int running = 1;
    if (m_runState.compare_exchange_strong(running, -1)) {
        std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_wake.notify_all();
    }
    return m_runState.load();
}

int CAppClock::GetPeriodMs() {
    std::lock_guard<std::mutex> lock(m_mutex);
    const int period = m_stats.HasTable() ? m_stats.GetPair(0).second : 500;
    return std::clamp(period, kMinPeriodMs, kMaxPeriodMs);
}

int CAppClock::GetActiveSeconds(bool includePending) {
    int seconds = 0;
    if (m_profile && !m_version.empty())
        seconds = m_profile->GetProfileInt(kSection, EntryName(), 0);
    if (includePending)
        seconds += static_cast<int>(m_pendingMs.load() / 1000);
    return seconds;
}

bool CAppClock::GetStatsText(std::string &out) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stats.Format(out) != 0;
}

bool CAppClock::SetStatsText(const char *text) {
    if (m_version.empty() && !Initialize())
        return false;
    if (m_runState.load() != 0 || !text)
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stats.Save(text) != 0;
}

void CAppClock::AddActiveTime(uint32_t ms, int thresholdSeconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const uint32_t pending = m_pendingMs.load() + ms;
    m_pendingMs.store(pending);
    const uint32_t seconds = pending / 1000;
    if (seconds == 0 || static_cast<long long>(seconds) < thresholdSeconds)
        return;
    if (m_profile && !m_version.empty()) {
        const int total = m_profile->GetProfileInt(kSection, EntryName(), 0);
        m_profile->WriteProfileInt(kSection, EntryName(), total + static_cast<int>(seconds));
    }
    m_pendingMs.store(pending - seconds * 1000);
}

uint32_t CAppClock::Sample(uint32_t previous, uint32_t current) {
    if (current == previous)
        return current;
    const uint32_t gap = current - previous; // unsigned: the tick counter may wrap
    int limit = 0;
    int idle = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        idle = m_stats.Record(gap, false);
        limit = m_stats.HasTable() ? m_stats.GetPair(0).first : 0;
    }
    if (idle == 0)
        AddActiveTime(gap, limit);
    return current;
}

void CAppClock::ThreadProc() {
    // Lowest priority: the clock must never compete with the editor's own work.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
    int expected = 0;
    m_runState.compare_exchange_strong(expected, 1);
    uint32_t previous = m_lastInput.load();
    const int period = GetPeriodMs();
    while (m_runState.load() == 1) {
        previous = Sample(previous, GetLastInputTime());
        std::unique_lock<std::mutex> lock(m_wakeMutex);
        m_wake.wait_for(lock, std::chrono::milliseconds(period),
                        [this] { return m_runState.load() != 1; });
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stats.Save(nullptr);
    }
    AddActiveTime(0, 0);
    m_runState.store(0);
    m_workerDone.store(true);
}
