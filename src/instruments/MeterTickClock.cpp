#include "MeterTickClock.h"

#include <climits>

MeterTickClock::MeterTickClock(int tickMs, std::function<qint64()> now)
    : m_tickMs(qMax(1, tickMs))
    , m_now(std::move(now))
{
    if (!m_now) {
        m_elapsed.start();
        m_now = [this] { return m_elapsed.elapsed(); };
    }
    restart();
}

void MeterTickClock::restart()
{
    m_origin = m_now();
    m_ticksRun = 0;
}

int MeterTickClock::takeDueTicks(qint64 aheadMs)
{
    // A clock that went back (a test's, or a restart in between) owes nothing, not a negative
    // count; nor does a frame that comes after one that took its ticks ahead of time.
    const qint64 due = qMax<qint64>(0, (m_now() + qMax<qint64>(0, aheadMs) - m_origin) / m_tickMs - m_ticksRun);
    m_ticksRun += due;
    return static_cast<int>(qMin<qint64>(due, INT_MAX));
}
