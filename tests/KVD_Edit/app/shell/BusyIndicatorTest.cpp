#include "KVD_Edit/app/shell/BusyIndicator.h"

#include <gtest/gtest.h>

namespace {

// Counts how often the display is shown and removed.
struct SDisplayLog {
    int shown = 0;
    int removed = 0;
    bool cancel = false;
};

class CFakeDisplay : public IBusyDisplay {
public:
    explicit CFakeDisplay(SDisplayLog &log) : m_log(log) { ++m_log.shown; }
    ~CFakeDisplay() override { ++m_log.removed; }
    bool IsCancelled() override { return m_log.cancel; }

private:
    SDisplayLog &m_log;
};

CBusyIndicator::DisplayFactory FactoryFor(SDisplayLog &log) {
    return [&log] { return std::make_unique<CFakeDisplay>(log); };
}

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
