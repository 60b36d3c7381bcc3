#include "KVD_Edit/app/shell/BusyIndicator.h"

#include "KVD_Edit/app/shell/BusyDlg.h"

CBusyIndicator::CBusyIndicator() : m_factory(&CBusyDlg::CreateDisplay) {}

CBusyIndicator::CBusyIndicator(DisplayFactory factory) : m_factory(std::move(factory)) {}

CBusyIndicator::~CBusyIndicator() {
    EndAll();
}

void CBusyIndicator::Begin() {
    if (++m_count >= 2)
        return;
    if (m_factory)
        m_display = m_factory();
}

void CBusyIndicator::End() {
    if (m_count == 0)
        return;
    if (--m_count > 0)
        return;
    m_display.reset();
}

void CBusyIndicator::EndAll() {
    while (m_count > 0)
        End();
}

bool CBusyIndicator::IsCancelled() {
    return m_display && m_display->IsCancelled();
}
