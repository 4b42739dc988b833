#include "ManualClock.h"

ManualClock::ManualClock(QObject* parent)
    : VirtualClock(parent)
{
}

qint64 ManualClock::nowMs() const
{
    return m_now;
}

void ManualClock::schedule(int delayMs, QObject* context, std::function<void()> action)
{
    Q_ASSERT(context);
    const qint64 due = m_now + qMax(0, delayMs);
    m_actions.emplace(std::make_pair(due, m_sequence++), Entry { context, std::move(action) });
}

void ManualClock::advance(int ms)
{
    Q_ASSERT(!m_advancing);
    if (m_advancing)
        return;
    m_advancing = true;
    const qint64 target = m_now + qMax(0, ms);
    while (!m_actions.empty() && m_actions.begin()->first.first <= target) {
        auto first = m_actions.begin();
        m_now = first->first.first;
        Entry entry = std::move(first->second);
        m_actions.erase(first);
        if (entry.context)
            entry.action();
    }
    m_now = target;
    m_advancing = false;
}
