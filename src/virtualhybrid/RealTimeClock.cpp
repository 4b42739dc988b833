#include "RealTimeClock.h"

#include <QTimer>

RealTimeClock::RealTimeClock(QObject* parent)
    : VirtualClock(parent)
{
    m_elapsed.start();
}

qint64 RealTimeClock::nowMs() const
{
    return m_elapsed.elapsed();
}

void RealTimeClock::schedule(int delayMs, QObject* context, std::function<void()> action)
{
    Q_ASSERT(context);
    // Short delays (the USB frame pace is 1 ms) need the precise timer to keep their pace.
    QTimer::singleShot(qMax(0, delayMs), Qt::PreciseTimer, context, std::move(action));
}
