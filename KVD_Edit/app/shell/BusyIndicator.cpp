#include "KVD_Edit/app/shell/BusyIndicator.h"

#include "KVD_Edit/app/shell/BusyDlg.h"
#include "KVD_Edit/app/shell/KVDVApp.h"

CBusyIndicator::CBusyIndicator() : m_factory(&CBusyDlg::CreateDisplay) {}

CBusyIndicator::CBusyIndicator(DisplayFactory factory, TimeSource now)
    : m_factory(std::move(factory)), m_now(std::move(now)) {}

CBusyIndicator::~CBusyIndicator() {
    EndAll();
}

void CBusyIndicator::Begin() {
    m_idleOnce = false;
    if (++m_count >= 2)
        return;
    // The next level of an operation whose display was kept shows that display on.
    if (m_display)
        return;
    if (m_factory)
        m_display = m_factory();
    // A new display draws itself once as it appears.
    if (m_display)
        m_lastDraw = Now();
}

void CBusyIndicator::End() {
    if (m_count == 0)
        return;
    if (--m_count > 0)
        return;
    if (m_handOver) {
        m_handOver = false;
        return;
    }
    Remove();
}

void CBusyIndicator::Remove() {
    // Ended from inside the display's own drawing (a timer's work): it goes when that returns.
    if (m_ticking) {
        m_retired = std::move(m_display);
        return;
    }
    m_removing = true;
    m_display.reset();
    m_removing = false;
}

void CBusyIndicator::EndAll() {
    m_handOver = false;
    while (m_count > 0)
        End();
    if (m_display)
        Remove();
}

void CBusyIndicator::HandOver() {
    if (m_count > 0)
        m_handOver = true;
}

bool CBusyIndicator::IdleAsksForMore() {
    if (m_count > 0 || !m_display) {
        m_idleOnce = false;
        return false;
    }
    if (!m_idleOnce) {
        m_idleOnce = true;
        return true;
    }
    m_idleOnce = false;
    Remove();
    return false;
}

bool CBusyIndicator::IsCancelled() {
    return m_display && m_display->IsCancelled();
}

void CBusyIndicator::TickShown() {
    // A timer that runs inside the display's drawing may do work that ticks in turn: that work
    // is already inside a drawing.
    if (m_ticking)
        return;
    if (Now() - m_lastDraw < kTickInterval)
        return;
    m_ticking = true;
    m_display->Tick();
    m_ticking = false;
    m_removing = m_retired != nullptr;
    m_retired.reset();
    m_removing = false;
    m_lastDraw = Now();
}

CBusyIndicator *AppBusyIndicator() {
    CKVDVApp *app = GetKVDVApp();
    return app ? &app->GetBusyIndicator() : nullptr;
}

bool AppIsBusy() {
    const CBusyIndicator *busy = AppBusyIndicator();
    return busy && busy->IsBusy();
}

void BusyTick() {
    if (CBusyIndicator *busy = AppBusyIndicator())
        busy->Tick();
}
