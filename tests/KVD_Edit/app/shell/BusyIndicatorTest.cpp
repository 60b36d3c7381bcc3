#include "KVD_Edit/app/shell/BusyIndicator.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Counts how often the display is shown and removed.
struct SDisplayLog {
    int shown = 0;
    int removed = 0;
    int ticks = 0;
    bool cancel = false;
    std::function<void()> onTick; // what the display's drawing runs (timers of the program)
};

class CFakeDisplay : public IBusyDisplay {
public:
    explicit CFakeDisplay(SDisplayLog &log) : m_log(log) { ++m_log.shown; }
    ~CFakeDisplay() override { ++m_log.removed; }
    bool IsCancelled() override { return m_log.cancel; }
    void Tick() override {
        ++m_log.ticks;
        if (m_log.onTick)
            m_log.onTick();
    }

private:
    SDisplayLog &m_log;
};

CBusyIndicator::DisplayFactory FactoryFor(SDisplayLog &log) {
    return [&log] { return std::make_unique<CFakeDisplay>(log); };
}

// A clock the test moves by hand.
struct SFakeClock {
    CBusyIndicator::Clock::time_point now{std::chrono::seconds(1000)};
    int asked = 0;
    CBusyIndicator::TimeSource Source() {
        return [this] {
            ++asked;
            return now;
        };
    }
    void Advance(int ms) { now += std::chrono::milliseconds(ms); }
};

} // namespace

TEST(BusyIndicator, NestedLevelsShowOnceAndLastEndRemoves) {
    SDisplayLog log;
    CBusyIndicator busy(FactoryFor(log));
    busy.Begin();
    busy.Begin();
    EXPECT_EQ(1, log.shown);
    EXPECT_EQ(2, busy.GetCount());
    busy.End();
    EXPECT_TRUE(busy.IsShown());
    EXPECT_EQ(0, log.removed);
    busy.End();
    EXPECT_FALSE(busy.IsShown());
    EXPECT_EQ(1, log.removed);
    // A new outermost level shows again.
    busy.Begin();
    EXPECT_EQ(2, log.shown);
    busy.End();
}

TEST(BusyIndicator, EndWithoutBeginDoesNothing) {
    SDisplayLog log;
    CBusyIndicator busy(FactoryFor(log));
    busy.End();
    EXPECT_EQ(0, busy.GetCount());
    EXPECT_EQ(0, log.removed);
    busy.Begin();
    busy.End();
    busy.End();
    EXPECT_EQ(0, busy.GetCount());
    EXPECT_EQ(1, log.removed);
}

TEST(BusyIndicator, EndAllAndDestructionRemoveTheDisplayOnce) {
    SDisplayLog log;
    {
        CBusyIndicator busy(FactoryFor(log));
        busy.Begin();
        busy.Begin();
        busy.Begin();
        busy.EndAll();
        EXPECT_EQ(0, busy.GetCount());
        EXPECT_EQ(1, log.removed);
        busy.EndAll();
        EXPECT_EQ(1, log.removed);
        busy.Begin();
        busy.Begin();
    }
    EXPECT_EQ(2, log.shown);
    EXPECT_EQ(2, log.removed);
}

TEST(BusyIndicator, EndNeverWaitsWhenNothingCouldBeShown) {
    // Without windows nothing is shown; the levels still nest and End returns at once.
    CBusyIndicator busy([] { return std::unique_ptr<IBusyDisplay>(); });
    busy.Begin();
    busy.Begin();
    EXPECT_FALSE(busy.IsShown());
    EXPECT_FALSE(busy.IsCancelled());
    busy.End();
    busy.End();
    EXPECT_EQ(0, busy.GetCount());
}

TEST(BusyIndicator, IndicatorsAreIndependent) {
    // The busy state is the object's own: no named system object links two indicators (or two
    // running copies of the program).
    SDisplayLog first, second;
    CBusyIndicator a(FactoryFor(first));
    CBusyIndicator b(FactoryFor(second));
    a.Begin();
    b.Begin();
    b.End();
    EXPECT_TRUE(a.IsShown());
    EXPECT_EQ(1, second.removed);
    EXPECT_EQ(0, first.removed);
    a.End();
}

TEST(BusyIndicator, CancelRequestIsReadFromTheShownDisplay) {
    SDisplayLog log;
    CBusyIndicator busy(FactoryFor(log));
    log.cancel = true;
    EXPECT_FALSE(busy.IsCancelled()); // nothing shown
    busy.Begin();
    EXPECT_TRUE(busy.IsCancelled());
    busy.End();
}

TEST(BusyIndicator, DefaultDisplayNeedsWindows) {
    // Headless: the default indicator shows nothing and never blocks.
    CBusyIndicator busy;
    busy.Begin();
    EXPECT_FALSE(busy.IsShown());
    busy.End();
}

TEST(BusyIndicator, TicksDrawTheShownDisplayAtMostOncePerInterval) {
    SDisplayLog log;
    SFakeClock clock;
    CBusyIndicator busy(FactoryFor(log), clock.Source());
    // Nothing shown: a tick costs a test, not even a look at the clock.
    for (int i = 0; i < 1000; ++i)
        busy.Tick();
    EXPECT_EQ(0, clock.asked);

    busy.Begin();
    const int interval = static_cast<int>(CBusyIndicator::kTickInterval.count());
    clock.Advance(interval - 1);
    busy.Tick();
    EXPECT_EQ(0, log.ticks) << "the display drew as it appeared, less than an interval ago";
    clock.Advance(1);
    busy.Tick();
    busy.Tick();
    EXPECT_EQ(1, log.ticks);
    clock.Advance(interval / 2);
    busy.Tick();
    EXPECT_EQ(1, log.ticks);
    clock.Advance(interval / 2);
    busy.Tick();
    EXPECT_EQ(2, log.ticks);

    // A nested level ticks the same display; after the last End nothing draws.
    busy.Begin();
    clock.Advance(interval * 3);
    busy.Tick();
    EXPECT_EQ(3, log.ticks);
    busy.End();
    busy.End();
    clock.Advance(interval * 3);
    busy.Tick();
    EXPECT_EQ(3, log.ticks);
    EXPECT_EQ(1, log.shown);
}

TEST(BusyIndicator, WorkRunInsideADrawingNeitherDrawsAgainNorPullsTheDisplayAway) {
    SDisplayLog log;
    SFakeClock clock;
    CBusyIndicator busy(FactoryFor(log), clock.Source());
    const int interval = static_cast<int>(CBusyIndicator::kTickInterval.count());
    busy.Begin();
    // A timer of the program runs inside the drawing and does work that ticks in turn.
    log.onTick = [&] {
        clock.Advance(interval * 2);
        busy.Tick();
    };
    clock.Advance(interval);
    busy.Tick();
    EXPECT_EQ(1, log.ticks) << "a tick inside the drawing draws nothing more";

    // Work that ends the last level from inside the drawing: the display goes once the drawing
    // has returned, not under its feet.
    int removedInside = -1;
    log.onTick = [&] {
        busy.End();
        removedInside = log.removed;
    };
    clock.Advance(interval);
    busy.Tick();
    EXPECT_EQ(0, removedInside);
    EXPECT_EQ(1, log.removed);
    EXPECT_FALSE(busy.IsShown());
    EXPECT_EQ(0, busy.GetCount());
    clock.Advance(interval);
    busy.Tick();
    EXPECT_EQ(2, log.ticks);
}

TEST(BusyIndicator, LongWorkTicksWithoutAnApplication) {
    // The plain classes tick from their loops; headless there is no application and nothing
    // to draw.
    EXPECT_EQ(nullptr, AppBusyIndicator());
    BusyTick();
    CBusyLevel level;
    BusyTick();
}
