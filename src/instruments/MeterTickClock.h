#ifndef METERTICKCLOCK_H
#define METERTICKCLOCK_H

#include <QElapsedTimer>
#include <QtGlobal>

#include <functional>

// Counts the level meters' release ticks against the time that has passed. The meters fall by
// a fixed step per tick; the screen is redrawn only once a frame, a few ticks at a time, and
// this clock says how many ticks a frame owes, so that the meters fall exactly as fast as with
// a timer firing every tick.
class MeterTickClock
{
public:
    // `now` gives monotonic milliseconds; by default the clock's own elapsed timer.
    explicit MeterTickClock(int tickMs, std::function<qint64()> now = {});

    int tickMs() const { return m_tickMs; }

    // Ticks count from now on: the first falls due one tick from now.
    void restart();
    // The ticks that fell due since the last call (or the restart), now counted as run; with
    // aheadMs, also those falling due within that time from now (a frame that comes early).
    int takeDueTicks(qint64 aheadMs = 0);

private:
    int m_tickMs;
    std::function<qint64()> m_now;
    QElapsedTimer m_elapsed;
    qint64 m_origin = 0;
    qint64 m_ticksRun = 0;
};

#endif // METERTICKCLOCK_H
