#ifndef MANUALCLOCK_H
#define MANUALCLOCK_H

#include <QPointer>
#include <map>
#include <utility>

#include "VirtualClock.h"

// A clock that stands still until a test advances it: fast and deterministic. Actions that
// fall due during an advance run in time order (actions due at the same moment in the order
// they were scheduled), each with the clock reading its due time, including actions scheduled
// by other actions when they fall due within the advanced span.
class ManualClock : public VirtualClock
{
    Q_OBJECT

public:
    explicit ManualClock(QObject* parent = nullptr);

    qint64 nowMs() const override;
    void schedule(int delayMs, QObject* context, std::function<void()> action) override;

    // Moves the time on by ms (0 runs whatever is due now). Not to be called from an action.
    void advance(int ms);

private:
    struct Entry
    {
        QPointer<QObject> context;
        std::function<void()> action;
    };

    qint64 m_now = 0;
    quint64 m_sequence = 0;
    bool m_advancing = false;
    std::map<std::pair<qint64, quint64>, Entry> m_actions; // (due time, sequence) -> action
};

#endif // MANUALCLOCK_H
