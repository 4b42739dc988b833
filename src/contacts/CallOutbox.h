#ifndef CALLOUTBOX_H
#define CALLOUTBOX_H

#include "CallRecord.h"

#include <QList>
#include <QString>

// The calls that wait on this computer for the station's server: a small SQLite file of its own,
// so that a call taken while the server is out of reach outlives the program stopping or the
// power going before the server is back. One row per call, its latest record, in the order the
// calls began; several programs on one computer may share the file.
class CallOutbox
{
public:
    // A record as it waits: version tells it apart from a later one of the same call.
    struct Waiting
    {
        CallRecord call;
        qint64 version = 0;
    };

    // Opens, or makes, the file at path. One that cannot be opened is replaced by one in memory,
    // which keeps the calls until the program stops; problem() says why.
    explicit CallOutbox(const QString& path);
    ~CallOutbox();
    CallOutbox(const CallOutbox&) = delete;
    CallOutbox& operator=(const CallOutbox&) = delete;

    // Why the file could not be used; empty when it is.
    QString problem() const { return m_problem; }
    // Keeps the call's latest record in place of the one before; false when it could not be kept.
    bool keep(const CallRecord& call);
    // The records waiting, in the order their calls began.
    QList<Waiting> waiting() const;
    // Drops a record once it was sent, unless a later one of the call arrived meanwhile.
    bool forget(const QString& uid, qint64 version);
    // How many calls wait; of one program only when owner is given.
    int count(const QString& owner = QString()) const;

private:
    bool open(const QString& path);

    QString m_connection;
    QString m_problem;
};

#endif // CALLOUTBOX_H
