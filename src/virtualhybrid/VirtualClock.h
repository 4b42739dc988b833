#ifndef VIRTUALCLOCK_H
#define VIRTUALCLOCK_H

#include <QObject>
#include <functional>

// The time source of the virtual hybrid. Everything the emulated unit does by itself (polling
// its module, reporting levels, ringing, answering a store, coming back after a reboot) is an
// action scheduled here, so that the program runs it in real time and tests run it on a clock
// they advance themselves.
class VirtualClock : public QObject
{
    Q_OBJECT

public:
    explicit VirtualClock(QObject* parent = nullptr);

    // Milliseconds since the clock was created.
    virtual qint64 nowMs() const = 0;

    // Runs action once, delayMs from now (a negative delay counts as 0), unless context has
    // been destroyed by then. context must not be null; it is what the action works on.
    virtual void schedule(int delayMs, QObject* context, std::function<void()> action) = 0;
};

#endif // VIRTUALCLOCK_H
