#include "StationCallQueue.h"

#include "CDatabase.h"
#include "CallOutbox.h"
#include "CallRegisterTable.h"
#include "LogCategories.h"

#include <QTimer>

StationCallQueue::StationCallQueue(CDatabase* server, const QString& outboxPath, QObject* parent)
    : QObject(parent)
    , m_server(server)
    , m_outbox(std::make_unique<CallOutbox>(outboxPath))
    , m_retry(new QTimer(this))
{
    m_retry->setObjectName(QStringLiteral("stationRetryTimer"));
    m_retry->setSingleShot(true);
    m_retry->setInterval(RetryIntervalMs);
    connect(m_retry, &QTimer::timeout, this, &StationCallQueue::flush);
    connect(m_server, &CDatabase::reconnected, this, &StationCallQueue::flush);
    m_waiting = m_outbox->count(CallRegisterTable::ownerTag());
}

StationCallQueue::~StationCallQueue() = default;

bool StationCallQueue::send(const CallRecord& call)
{
    if (m_outbox->count() == 0 && !m_server->isUnreachable() && CallRegisterTable::store(m_server, call))
        return true;
    if (!m_outbox->keep(call))
        return false;
    flush();
    return true;
}

int StationCallQueue::waiting() const
{
    return m_waiting;
}

QString StationCallQueue::outboxProblem() const
{
    return m_outbox->problem();
}

QList<CallRecord> StationCallQueue::finishLeftBehind()
{
    QList<CallRecord> finished;
    for (CallOutbox::Waiting& waiting : m_outbox->waiting()) {
        CallRecord& call = waiting.call;
        if (call.finished || call.owner == CallRegisterTable::ownerTag() || !CallRegisterTable::ownerGone(call.owner))
            continue;
        call.finished = true;
        if (m_outbox->keep(call))
            finished.append(call);
    }
    flush();
    return finished;
}

bool StationCallQueue::ours(const CallRecord& call)
{
    return call.owner == CallRegisterTable::ownerTag() || CallRegisterTable::ownerGone(call.owner);
}

void StationCallQueue::flush()
{
    if (!m_server->isUnreachable()) {
        for (const CallOutbox::Waiting& waiting : m_outbox->waiting()) {
            if (!ours(waiting.call))
                continue;
            if (!CallRegisterTable::store(m_server, waiting.call)) {
                // Out of reach, the server says when it is back; one that refuses is asked again.
                if (!m_server->isUnreachable())
                    m_retry->start();
                break;
            }
            m_outbox->forget(waiting.call.uid, waiting.version);
        }
    }
    countWaiting();
}

void StationCallQueue::countWaiting()
{
    const int before = m_waiting;
    m_waiting = m_outbox->count(CallRegisterTable::ownerTag());
    if (m_waiting == before)
        return;
    qCDebug(lcContacts) << m_waiting << "calls wait for the station's server";
    emit waitingChanged(m_waiting);
    if (m_waiting == 0)
        emit resumed();
}
