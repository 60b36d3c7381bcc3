// One busy display for an operation that runs as several levels one after another (an open,
// the reload it posts, the reload that one posts): the levels hand the display on, and a display
// that no level takes goes when the program is idle.

#include "KVD_Edit/app/shell/BusyIndicator.h"

#include <gtest/gtest.h>

namespace {

struct SDisplayLog {
    int shown = 0;
    int removed = 0;
    int ticks = 0;
};

class CFakeDisplay : public IBusyDisplay {
public:
    explicit CFakeDisplay(SDisplayLog &log) : m_log(log) { ++m_log.shown; }
    ~CFakeDisplay() override { ++m_log.removed; }
    bool IsCancelled() override { return false; }
    void Tick() override { ++m_log.ticks; }

private:
    SDisplayLog &m_log;
};

CBusyIndicator::DisplayFactory FactoryFor(SDisplayLog &log) {
    return [&log] { return std::make_unique<CFakeDisplay>(log); };
}

} // namespace

TEST(BusyHandOver, LevelsOfOneOperationShareOneDisplay) {
    SDisplayLog log;
    CBusyIndicator::Clock::time_point now{std::chrono::seconds(1000)};
    CBusyIndicator busy(FactoryFor(log), [&now] { return now; });

    // The open: loads the project and posts the reload.
    busy.Begin();
    busy.HandOver();
    busy.End();
    EXPECT_EQ(0, busy.GetCount());
    EXPECT_TRUE(busy.IsKept()) << "the open's display waits for the reload it posted";
    EXPECT_EQ(0, log.removed);

    // The reload, with a nested level (the fiducial renewal) that posts one more reload.
    busy.Begin();
    EXPECT_FALSE(busy.IsKept());
    now += 2 * CBusyIndicator::kTickInterval;
    busy.Tick();
    EXPECT_EQ(1, log.ticks) << "the reload's ticks draw the kept display";
    busy.Begin();
    busy.HandOver();
    busy.End();
    EXPECT_EQ(0, log.removed) << "an inner End never removes the display";
    busy.End();
    EXPECT_TRUE(busy.IsKept()) << "a hand-over in an inner level keeps the display too";

    // The last reload posts nothing: its End removes the display.
    busy.Begin();
    busy.End();
    EXPECT_EQ(1, log.shown) << "one display for the whole operation";
    EXPECT_EQ(1, log.removed);
    EXPECT_FALSE(busy.IsShown());

    // The hand-over was used up: the next operation has a display of its own, removed by its
    // End.
    busy.Begin();
    busy.End();
    EXPECT_EQ(2, log.shown);
    EXPECT_EQ(2, log.removed);
}

TEST(BusyHandOver, KeptDisplayGoesWhenIdleOrAtTheEnd) {
    struct SCase {
        const char *name;
        void (*finish)(CBusyIndicator &);
    };
    const SCase cases[] = {
        {"second idle call",
         [](CBusyIndicator &busy) {
             EXPECT_TRUE(busy.IdleAsksForMore()) << "the first idle call asks for another";
             EXPECT_TRUE(busy.IsKept());
             EXPECT_FALSE(busy.IdleAsksForMore());
         }},
        {"end of all levels", [](CBusyIndicator &busy) { busy.EndAll(); }},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        SDisplayLog log;
        CBusyIndicator busy(FactoryFor(log));
        busy.Begin();
        busy.HandOver();
        busy.End();
        ASSERT_TRUE(busy.IsKept());
        c.finish(busy);
        EXPECT_FALSE(busy.IsShown()) << "the posted work began no level";
        EXPECT_EQ(1, log.removed);
    }

    SDisplayLog log;
    {
        CBusyIndicator busy(FactoryFor(log));
        // Idle while a level is open changes nothing (a modal question runs an event loop).
        busy.Begin();
        EXPECT_FALSE(busy.IdleAsksForMore());
        EXPECT_FALSE(busy.IdleAsksForMore());
        EXPECT_TRUE(busy.IsShown());
        busy.End();
        EXPECT_EQ(1, log.removed);
        // A hand-over without an open level keeps nothing.
        busy.HandOver();
        busy.Begin();
        busy.End();
        EXPECT_EQ(2, log.removed);
        // A display still kept when the indicator goes is removed with it.
        busy.Begin();
        busy.HandOver();
        busy.End();
    }
    EXPECT_EQ(3, log.shown);
    EXPECT_EQ(3, log.removed);
}
