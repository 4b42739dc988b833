#ifndef STATIONCALLQUEUE_H
#define STATIONCALLQUEUE_H

#include "CallRecord.h"

#include <QList>
#include <QObject>

#include <memory>

class CallOutbox;
class CDatabase;
class QTimer;

// Records the calls of a studio on the station's server. A call's record goes straight to the
// server while it answers and nothing waits before it; otherwise it waits in a file on this
// computer (CallOutbox) and is sent when the server is back, in the order the calls began. Sent
// twice, a record still writes one row: its uid finds the row written the first time.
class StationCallQueue : public QObject
{
    Q_OBJECT

public:
    // How often records refused by a server that answers are tried again.
    static constexpr int RetryIntervalMs = 10000;

    StationCallQueue(CDatabase* server, const QString& outboxPath, QObject* parent = nullptr);
    ~StationCallQueue() override;

    // Sends the call's latest record, or keeps it on this computer; false when it could be neither.
    bool send(const CallRecord& call);
    // How many of this program's calls wait for the server.
    int waiting() const;
    // Why calls that wait are kept only in memory; empty while they are kept in the file.
    QString outboxProblem() const;
    // The calls that a program on this computer stopped following before they ended, and before
    // they reached the server: they are finished as they were last known, and returned.
    QList<CallRecord> finishLeftBehind();

signals:
    // Fires when the number of this program's calls waiting for the server changes.
    void waitingChanged(int count);
    // Fires when the last call that waited has reached the server.
    void resumed();

public slots:
    // Sends what waits, unless the server is known to be out of reach.
    void flush();

private:
    // Whether a waiting record is this program's to send: its own, or one of a program gone.
    static bool ours(const CallRecord& call);
    void countWaiting();

    CDatabase* m_server;
    std::unique_ptr<CallOutbox> m_outbox;
    QTimer* m_retry;
    int m_waiting = 0;
};

#endif // STATIONCALLQUEUE_H
