#include "CallRegisterWriter.h"

#include "CDatabase.h"
#include "LogCategories.h"

#include <QTimer>

#include <utility>

CallRegisterWriter::CallRegisterWriter(CDatabase* database, QObject* parent)
    : QObject(parent)
    , m_database(database)
    , m_retry(new QTimer(this))
{
    m_retry->setObjectName(QStringLiteral("registerRetryTimer"));
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &CallRegisterWriter::drain);
}

CallRegisterWriter::~CallRegisterWriter()
{
    // Those who asked are going too: nobody is told any more.
    for (Job& job : m_jobs)
        job.done = nullptr;
    m_held = false;
    drain();
    if (!m_jobs.empty())
        qCWarning(lcContacts) << m_jobs.size() << "writes to the call register lost: the database stayed locked";
}

void CallRegisterWriter::enqueue(Write write, Done done)
{
    m_jobs.push_back({ std::move(write), std::move(done) });
    if (!m_retry->isActive())
        drain();
}

bool CallRegisterWriter::idle() const
{
    return m_jobs.empty();
}

void CallRegisterWriter::setRetryIntervals(int lockedMs, int fullMs)
{
    m_lockedRetryMs = lockedMs;
    m_fullRetryMs = fullMs;
}

void CallRegisterWriter::drain()
{
    // A Done that asks for another write lands here again: that write waits its turn.
    if (m_draining)
        return;
    m_draining = true;
    while (!m_jobs.empty()) {
        const bool landed = m_jobs.front().write();
        if (!landed && (m_database->isBusy() || m_database->isFull() || m_database->isUnreachable())) {
            qCDebug(lcContacts) << "the database is"
                                << (m_database->isBusy() ? "locked;" : m_database->isFull() ? "full;" : "out of reach;")
                                << m_jobs.size() << "writes to the call register wait";
            m_held = true;
            m_retry->start(m_database->isBusy() ? m_lockedRetryMs : m_fullRetryMs);
            break;
        }
        if (landed && std::exchange(m_held, false))
            emit resumed();
        const Done done = std::move(m_jobs.front().done);
        m_jobs.pop_front();
        if (done)
            done(landed);
    }
    m_draining = false;
}
