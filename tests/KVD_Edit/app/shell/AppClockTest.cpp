#include "KVD_Edit/app/shell/AppClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace {

// The application profile in memory.
class CMemoryProfile : public IAppProfile {
public:
    int GetProfileInt(const std::string &s, const std::string &e, int def) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_values.find(s + "/" + e);
        return it == m_values.end() ? def : std::stoi(it->second);
    }
    bool WriteProfileInt(const std::string &s, const std::string &e, int value) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_values[s + "/" + e] = std::to_string(value);
        ++m_writes;
        return true;
    }
    std::string GetProfileString(const std::string &s, const std::string &e,
                                 const std::string &def) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_values.find(s + "/" + e);
        return it == m_values.end() ? def : it->second;
    }
    bool WriteProfileString(const std::string &s, const std::string &e,
                            const std::string &value) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_values[s + "/" + e] = value;
        ++m_writes;
        return true;
    }
    std::string Get(const std::string &key) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_values.count(key) ? m_values[key] : std::string();
    }
    void Set(const std::string &key, const std::string &value) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_values[key] = value;
    }
    int Writes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_writes;
    }

private:
    std::mutex m_mutex;
    std::map<std::string, std::string> m_values;
    int m_writes = 0;
};

const std::string kStatsKey = "APPCLKSTATS/Ver(4.1.1.0)";
const std::string kClockKey = "APPCLK/Ver(4.1.1.0)";

int Count(const CInputGapStats &stats, int pair) {
    return stats.GetPair(pair).second;
}

} // namespace

TEST(InputGapStats, ParsesAndFormatsTheStatisticsText) {
    CInputGapStats stats;
    ASSERT_EQ(1, stats.Parse(CInputGapStats::kDefaultText));
    std::string text;
    ASSERT_EQ(1, stats.Format(text));
    EXPECT_EQ("11, 5, 500, 1, 0, 5, 0, 10, 0, 30, 0, 60, 0, 120, 0, 300, 0, 600, 0, 1800, 0, "
              "3600, 0",
              text);
    // The writer's form with blanks reads the same as the compact form.
    CInputGapStats again;
    ASSERT_EQ(1, again.Parse(text.c_str()));
    std::string text2;
    again.Format(text2);
    EXPECT_EQ(text, text2);
    // Empty fields between commas are skipped.
    ASSERT_EQ(1, again.Parse("2,,5,500,,1,7"));
    EXPECT_EQ(7, Count(again, 1));
}

TEST(InputGapStats, RejectsMalformedTextsAndKeepsTheTable) {
    CInputGapStats stats;
    ASSERT_EQ(1, stats.Parse("2,5,500,1,3"));
    EXPECT_EQ(0, stats.Parse("3,5,500,1,4")); // three pairs announced, too few given
    EXPECT_EQ(0, stats.Parse(""));
    EXPECT_EQ(0, stats.Parse("1,5,500")); // fewer than two pairs
    EXPECT_EQ(0, stats.Parse("-4,5,500,1,0"));
    EXPECT_EQ(0, stats.Parse("abc"));
    EXPECT_EQ(0, stats.Parse(nullptr));
    // A huge count is refused before anything is allocated.
    EXPECT_EQ(0, stats.Parse("2000000000,5,500,1,0"));
    EXPECT_EQ(0, stats.Parse("99999999999999999999,5,500,1,0"));
    ASSERT_EQ(2, stats.GetPairCount());
    EXPECT_EQ(3, Count(stats, 1));
    CInputGapStats none;
    std::string text;
    EXPECT_EQ(0, none.Format(text));
    EXPECT_EQ(-1, none.Record(5000, false));
}

TEST(InputGapStats, CountsGapsInTheirClass) {
    CInputGapStats stats;
    ASSERT_EQ(1, stats.Parse(CInputGapStats::kDefaultText));
    EXPECT_EQ(0, stats.Record(900, false));  // below 1 s: no class
    EXPECT_EQ(0, stats.Record(3400, false)); // class from 1 s
    EXPECT_EQ(0, stats.Record(5000, false)); // 5 s is not more than the limit
    EXPECT_EQ(1, stats.Record(5001, false)); // idle: longer than 5 s
    EXPECT_EQ(1, stats.Record(2000000, false));
    EXPECT_EQ(1, stats.Record(5000000, false));
    EXPECT_EQ(1, Count(stats, 1));
    EXPECT_EQ(2, Count(stats, 2));
    EXPECT_EQ(1, Count(stats, 9));  // 1800 s
    EXPECT_EQ(1, Count(stats, 10)); // 3600 s
    int total = 0;
    for (int i = 1; i < stats.GetPairCount(); ++i)
        total += Count(stats, i);
    EXPECT_EQ(5, total);
}

TEST(InputGapStats, LoadsAndSavesPerVersion) {
    CMemoryProfile profile;
    profile.Set("APPCLKSTATS/Ver(4.1.2.0)", "2,5,500,1,9");
    CInputGapStats stats(&profile);
    EXPECT_EQ(0, stats.Save(nullptr)); // no version yet
    ASSERT_EQ(1, stats.Load("4.1.1.0", nullptr));
    EXPECT_EQ(11, stats.GetPairCount()); // default of a version without entry
    stats.Record(1500, true);
    EXPECT_EQ("11, 5, 500, 1, 1, 5, 0, 10, 0, 30, 0, 60, 0, 120, 0, 300, 0, 600, 0, 1800, 0, "
              "3600, 0",
              profile.Get(kStatsKey));
    CInputGapStats other(&profile);
    ASSERT_EQ(1, other.Load("4.1.2.0", nullptr));
    EXPECT_EQ(9, Count(other, 1));
    EXPECT_EQ(0, other.Load(nullptr, "2,5,500,1,0"));
    EXPECT_EQ(0, other.Save("3,5,500,1,4")); // a given text must parse
    EXPECT_EQ("2,5,500,1,9", profile.Get("APPCLKSTATS/Ver(4.1.2.0)"));
}

TEST(AppClock, ActiveTimeCountsShortGapsAndFlushesWholeSeconds) {
    CMemoryProfile profile;
    CAppClock clock;
    clock.SetProfile(&profile);
    ASSERT_TRUE(clock.Initialize("4.1.1.0"));
    // Sixty seconds of input every 400 ms.
    uint32_t t = 1000;
    uint32_t previous = t;
    for (int i = 0; i < 150; ++i) {
        t += 400;
        previous = clock.Sample(previous, t);
    }
    // Written in steps of at least 5 s; the rest pending.
    const int stored = std::stoi(profile.Get(kClockKey));
    EXPECT_EQ(0, stored % 5);
    EXPECT_EQ(60, clock.GetActiveSeconds(true));
    EXPECT_EQ(stored, clock.GetActiveSeconds(false));
    // Gaps under a second are not counted in the histogram.
    std::string stats;
    ASSERT_TRUE(clock.GetStatsText(stats));
    EXPECT_EQ(0u, stats.find("11, 5, 500, 1, 0, 5, 0"));

    // A pause of 7 s adds nothing and counts once in the class from 5 s.
    previous = clock.Sample(previous, t + 7000);
    EXPECT_EQ(60, clock.GetActiveSeconds(true));
    ASSERT_TRUE(clock.GetStatsText(stats));
    EXPECT_EQ(0u, stats.find("11, 5, 500, 1, 0, 5, 1, 10, 0"));
    // The flush at the end writes every pending whole second.
    clock.AddActiveTime(0, 0);
    EXPECT_EQ("60", profile.Get(kClockKey));
    EXPECT_EQ(0u, clock.GetPendingMs());
}

TEST(AppClock, TickWrapAroundGivesTheTrueGap) {
    CMemoryProfile profile;
    CAppClock clock;
    clock.SetProfile(&profile);
    ASSERT_TRUE(clock.Initialize("4.1.1.0"));
    clock.Sample(0xFFFFFF00u, 0x00000F00u); // 4096 ms across the wrap
    EXPECT_EQ(4096u, clock.GetPendingMs());
}

TEST(AppClock, DamagedStoredStatisticsFallBackToTheDefault) {
    CMemoryProfile profile;
    profile.Set(kStatsKey, "3,5,500,1,4");
    CAppClock clock;
    clock.SetProfile(&profile);
    ASSERT_TRUE(clock.Initialize("4.1.1.0"));
    std::string stats;
    ASSERT_TRUE(clock.GetStatsText(stats));
    EXPECT_EQ(0u, stats.find("11, 5, 500"));
    EXPECT_EQ(500, clock.GetPeriodMs());
}

TEST(AppClock, StoredPeriodIsClamped) {
    CMemoryProfile profile;
    profile.Set(kStatsKey, "2,5,1,1,0");
    CAppClock fast;
    fast.SetProfile(&profile);
    ASSERT_TRUE(fast.Initialize("4.1.1.0"));
    EXPECT_EQ(CAppClock::kMinPeriodMs, fast.GetPeriodMs());
    profile.Set(kStatsKey, "2,5,86400000,1,0");
    CAppClock slow;
    slow.SetProfile(&profile);
    ASSERT_TRUE(slow.Initialize("4.1.1.0"));
    EXPECT_EQ(CAppClock::kMaxPeriodMs, slow.GetPeriodMs());
}

TEST(AppClock, CannotStartWithoutProfile) {
    CAppClock clock;
    EXPECT_EQ(0, clock.Control(1));
    EXPECT_EQ(0, clock.Control(0));
}

TEST(AppClock, StartsAndStopsPromptlyAndSavesOnStop) {
    CMemoryProfile profile;
    // The longest period: the stop must still not wait for it.
    profile.Set(kStatsKey, "2,5,10000,1,0");
    CAppClock clock;
    clock.SetProfile(&profile);
    ASSERT_TRUE(clock.Initialize("4.1.1.0"));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (clock.Control(1) != 1 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(1, clock.GetRunState());
    EXPECT_FALSE(clock.SetStatsText("2,5,500,1,0")); // only while stopped

    const auto start = std::chrono::steady_clock::now();
    while (clock.Control(-1) != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ("2, 5, 10000, 1, 0", profile.Get(kStatsKey));
    EXPECT_EQ(0, clock.Control(0));
    // Restartable.
    EXPECT_TRUE(clock.SetStatsText("2,5,500,1,3"));
    EXPECT_EQ("2,5,500,1,3", profile.Get(kStatsKey));
    while (clock.Control(1) != 1)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TEST(AppClock, VersionsKeepSeparateTotals) {
    CMemoryProfile profile;
    {
        CAppClock a;
        a.SetProfile(&profile);
        a.Initialize("4.1.1.0");
        a.AddActiveTime(6000, 5);
    }
    {
        CAppClock b;
        b.SetProfile(&profile);
        b.Initialize("4.1.2.0");
        b.AddActiveTime(8000, 5);
        EXPECT_EQ(8, b.GetActiveSeconds(false));
    }
    EXPECT_EQ("6", profile.Get("APPCLK/Ver(4.1.1.0)"));
    EXPECT_EQ("8", profile.Get("APPCLK/Ver(4.1.2.0)"));
    EXPECT_FALSE(profile.Get("APPCLKSTATS/Ver(4.1.2.0)").empty());
}
