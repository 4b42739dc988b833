#ifndef REALTIMECLOCK_H
#define REALTIMECLOCK_H

#include <QElapsedTimer>

#include "VirtualClock.h"

// Wall-clock time for the virtual hybrid inside the running program: actions run from Qt
// timers on the thread's event loop.
class RealTimeClock : public VirtualClock
{
    Q_OBJECT

public:
    explicit RealTimeClock(QObject* parent = nullptr);

    qint64 nowMs() const override;
    void schedule(int delayMs, QObject* context, std::function<void()> action) override;

private:
    QElapsedTimer m_elapsed;
};

#endif // REALTIMECLOCK_H
