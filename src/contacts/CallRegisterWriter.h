#ifndef CALLREGISTERWRITER_H
#define CALLREGISTERWRITER_H

#include <QObject>

#include <deque>
#include <functional>

class CDatabase;
class QTimer;

// Writes to the call register in the order they were asked for, without ever waiting on the GUI
// thread for a file that another program has locked: a write the lock refuses stays at the head
// of the queue and is tried again from a timer, the ones after it wait behind it. A full disk is
// waited out the same way, so that a call ending meanwhile keeps its final values until there is
// room for them, and a station's server out of reach until it is back. A write that fails for any other reason (a read-only file) has been reported by
// the database and is not tried again.
class CallRegisterWriter : public QObject
{
    Q_OBJECT

public:
    static constexpr int RetryIntervalMs = 500;
    // A full disk is seldom cleared within a second; each try costs a journal written and dropped.
    static constexpr int FullRetryIntervalMs = 2000;

    // One write; true once it landed, false when it failed.
    using Write = std::function<bool()>;
    // What follows a write that is done: whether it landed.
    using Done = std::function<void(bool landed)>;

    explicit CallRegisterWriter(CDatabase* database, QObject* parent = nullptr);
    // Writes still waiting are tried once more: the lock may be gone.
    ~CallRegisterWriter() override;

    // Runs the write now when nothing waits, else after the writes before it.
    void enqueue(Write write, Done done = Done());
    // Whether no write waits.
    bool idle() const;
    // How long a write waits before it is tried again after a lock and after a full disk or a
    // server out of reach.
    void setRetryIntervals(int lockedMs, int fullMs);

signals:
    // Fires when a write lands after writes were held back by a lock or a full disk.
    void resumed();

private:
    struct Job
    {
        Write write;
        Done done;
    };

    // Runs the waiting writes in order until one is refused by a lock.
    void drain();

    CDatabase* m_database;
    std::deque<Job> m_jobs;
    QTimer* m_retry;
    int m_lockedRetryMs = RetryIntervalMs;
    int m_fullRetryMs = FullRetryIntervalMs;
    bool m_draining = false;
    bool m_held = false;
};

#endif // CALLREGISTERWRITER_H
